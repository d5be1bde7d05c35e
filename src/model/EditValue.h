// The number that an edit's text stands for, shared by the pages and by programs without them.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <optional>
#include <string_view>

// A plain decimal number as the tool's number edits take it: one to maxDigits digits, nothing
// else (no sign, blank or "$").
inline bool IsPlainNumber(std::string_view text, std::size_t maxDigits) {
    return !text.empty() && text.size() <= maxDigits &&
           text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Decimal with an optional sign, or hexadecimal after "$"; blanks around the text are ignored.
inline std::optional<int> ParseEditInteger(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    int base = 10;
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() == '-' || text.front() == '+') {
        return std::nullopt;
    }
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, base);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// The value an edit limited to minimum..maximum shows for a text; text that is no number
// stands for the fallback.
inline int ClampedEditValue(std::string_view text, int minimum, int fallback, int maximum) {
    return std::clamp(ParseEditInteger(text).value_or(fallback), minimum, maximum);
}
