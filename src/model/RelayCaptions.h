// The words of the relay page for its rows and conditions, which the error lines use too.
#pragma once

#include <array>

#include "model/RelaySettings.h"

inline constexpr std::array<const char*, kEventRowCount> kZoneCaptions{"Тревоги", "Восстановления",
                                                                       "Аварии"};
inline constexpr std::array<const char*, kEventRowCount> kPartitionCaptions{"Постановки", "Снятиия",
                                                                            "Тревоги"};

struct TConditionText {
    const char* Group;
    const char* Yes;
    const char* No;
};
// Indexed by TRelayCondition - 1.
inline constexpr std::array<TConditionText, kConditionCount> kConditionTexts{{
    {"Связь с панелью", "Есть", "Нет"},
    {"Режим", "Пустой журнал", "Не пустой журнал"},
    {"Внешнее питание", "Основное", "Резервное"},
    {"Пожарная тревога", "Тревога ПОЖАР", "Тревога сброшена"},
    {"Задержка", "Есть", "Нет"},
}};

inline const char* ZoneRowCaption(TZoneEvent e) {
    return kZoneCaptions.at(e - 1);
}

inline const char* PartitionRowCaption(TPartitionEvent e) {
    return kPartitionCaptions.at(e - 1);
}

inline const char* ConditionCaption(TRelayCondition c) {
    return kConditionTexts.at(c - 1).Group;
}

inline const char* ConditionStateCaption(TRelayCondition c, bool yes) {
    return yes ? kConditionTexts.at(c - 1).Yes : kConditionTexts.at(c - 1).No;
}
