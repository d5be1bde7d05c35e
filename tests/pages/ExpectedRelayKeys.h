// The 107 keys of a relay's section in the order a new file receives them, written out
// independently of the code under test.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::string> ExpectedRelayKeys() {
    std::vector<std::string> keys{"etDuration"};
    for (int e = 1; e <= 3; ++e) {
        for (const char* table : {"P", "Z"}) {
            for (int n = 1; n <= 16; ++n) {
                keys.push_back(table + std::to_string(e) + std::to_string(n));
            }
        }
    }
    for (int c = 1; c <= 5; ++c) {
        keys.push_back("Yes" + std::to_string(c));
        keys.push_back("No" + std::to_string(c));
    }
    return keys;
}
