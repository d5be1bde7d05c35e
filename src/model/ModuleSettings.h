// The settings of the common page, as the page keeps them.
#pragma once

#include <string>

// The object number as its edit holds it: up to two decimal digits, possibly with a leading zero,
// or whatever a file put there; a write checks it before it goes out.
struct TCommonSettings {
    std::string ObjectNumber = "01";

    bool operator==(const TCommonSettings&) const = default;
};
