// Some of a module's values, each named by its settings-file section and key: the values a
// settings file holds, or those chosen to be written.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/ModuleSettings.h"

class TModuleValueSet {
  public:
    // Names as the pages write them ("FormRelay_1", "Z13"); other spellings are not matched.
    void Add(const std::string& section, const std::string& key);
    bool Contains(const std::string& section, const std::string& key) const;
    std::size_t Size() const { return m_values.size(); }
    bool Empty() const { return m_values.empty(); }

    // Every value of a module.
    static TModuleValueSet Whole();

  private:
    std::set<std::pair<std::string, std::string>> m_values;
};

// The base settings with the values of `values` in the places the set names.
TModuleSettings OverlaidSettings(const TModuleSettings& base, const TModuleSettings& values,
                                 const TModuleValueSet& places);

// The places of the set where values differ from module (object numbers as numbers).
TModuleValueSet DifferingPlaces(const TModuleValueSet& places, const TModuleSettings& values,
                                const TModuleSettings& module);

// The pages that hold a value of the set, in the order "Записать всё" writes them: "Общие",
// "Реле 1" ... "Реле 5".
std::vector<std::string> PagesOf(const TModuleValueSet& places);
