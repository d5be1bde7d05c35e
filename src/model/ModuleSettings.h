// The settings of a whole module as the pages hold them: the common page and the five relays.
#pragma once

#include <array>
#include <string>

#include "model/RelaySettings.h"

// The object number as its edit holds it: up to two decimal digits, possibly with a leading zero,
// or whatever a file put there; a write checks it before it goes out.
struct TCommonSettings {
    std::string ObjectNumber = "01";

    bool operator==(const TCommonSettings&) const = default;
};

// What the common page's edit can show: one or two decimal digits. Anything else that a file
// holds is replaced by the edit's default.
inline bool IsShownObjectNumber(const std::string& text) {
    return !text.empty() && text.size() <= 2 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}
inline constexpr const char* kDefaultObjectNumber = "01";

// The log line of a value from a settings file that the pages had to replace.
inline std::string LoadReplacementNote(const std::string& fileName, const std::string& section,
                                       const std::string& key, const std::string& value,
                                       const std::string& replacement) {
    return "Файл " + fileName + ": значение " + section + "/" + key + "=" + value +
           " заменено на " + replacement;
}

struct TModuleSettings {
    TCommonSettings Common;
    // Element n-1 is relay n, and carries that number.
    std::array<TRelaySettings, kRelayCount> Relays;

    TModuleSettings() {
        for (int n = 1; n <= kRelayCount; ++n) {
            Relays.at(n - 1).Number = n;
        }
    }

    bool operator==(const TModuleSettings&) const = default;
};
