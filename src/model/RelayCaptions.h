// The words of the relay page for its rows and conditions, which the error lines use too.
#pragma once

#include <array>
#include <string>

#include "model/RelaySettings.h"

inline constexpr std::array<const char*, kEventRowCount> kZoneCaptions{"Тревоги", "Восстановления",
                                                                       "Аварии"};
inline constexpr std::array<const char*, kEventRowCount> kPartitionCaptions{"Постановки", "Снятия",
                                                                            "Тревоги"};

// The pages' titles: the common page and "Реле 1" ... "Реле 5".
inline constexpr const char* kCommonPageCaption = "Общие";
inline std::string RelayPageCaption(int relayNumber) {
    return "Реле " + std::to_string(relayNumber);
}

// The reactions' names in the legend's words, indexed by the reaction code.
inline constexpr std::array<const char*, rrNone + 1> kReactionNames{
    "Включение", "Включение на время", "Выключение", "Включение с частотой 1 Гц", "Без реакции"};

// The name of a code 0..4; any other code as its number, so that a wrong code stays visible.
inline std::string ReactionName(TRelayReaction code) {
    return IsReactionCode(code) ? kReactionNames.at(static_cast<std::size_t>(code))
                                : std::to_string(code);
}

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
