// The differences between two sets of module settings, in the words of the pages.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/ModuleSettings.h"
#include "model/RelayCaptions.h"

// One value that differs: where the pages show it, and the two values as the pages would show
// them (reaction names as in the legend, numbers as numbers).
struct TSettingsDifference {
    std::string Page;    // "Реле 3"
    std::string Row;     // "Зоны / Тревоги"
    std::string Column;  // "5"; empty for a value without columns
    std::string ModuleValue;
    std::string PagesValue;
    // The value's place in a settings file ("FormRelay_2", "Z35"): what a chosen row writes or
    // loads.
    std::string Section;
    std::string Key;
    // The reaction codes of a table cell or condition state, for their pictures; none for the
    // duration and the object number.
    std::optional<TRelayReaction> ModuleCode;
    std::optional<TRelayReaction> PagesCode;

    // One line: "Реле 3, Зоны / Тревоги, 5: в модуле «Включение», на страницах «Выключение»";
    // otherSide names where the second value is ("в файле" for a file).
    std::string Text(const std::string& otherSide = "на страницах") const;
    bool operator==(const TSettingsDifference&) const = default;
};

// Object numbers are the same when both are plain decimal numbers of one value ("01" and "1"), or
// the same text.
bool SameObjectNumber(const std::string& a, const std::string& b);

// Where the pages show the value of a relay table key ("Z13" is "Зоны / Тревоги, 3", "Yes2" is
// "Режим, Пустой журнал"); an unknown key is given back as it is.
std::string TableKeyPlace(const std::string& key);

// A value a page could not show and replaced, in the page's words:
// "Реле 1, Зоны / Тревоги, 3: 9 заменено на «Без реакции»".
std::string ReplacementText(const std::string& page, const std::string& place,
                            const std::string& value, const std::string& shownInstead);

// Every value that differs, in the order "Записать всё" writes them. Object numbers compare as
// numbers when both are plain decimal numbers ("01" equals "1").
std::vector<TSettingsDifference> CompareSettings(const TModuleSettings& module,
                                                 const TModuleSettings& pages);
