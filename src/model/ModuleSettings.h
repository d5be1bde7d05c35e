// The settings of a whole module as the pages hold them: the common page and the five relays.
#pragma once

#include <array>
#include <string>

#include "model/EditValue.h"
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
    return IsPlainNumber(text, 2);
}
inline constexpr const char* kDefaultObjectNumber = "01";

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
