// Substring, trimming, splitting and integer conversion rules of the module's answers.
#include "protocol/AnswerText.h"

#include <limits>
#include <optional>

TCharSet CharSetOf(std::string_view chars) {
    TCharSet set;
    for (char c : chars) {
        set.set(static_cast<unsigned char>(c));
    }
    return set;
}

int Pos(const std::string& sub, const std::string& text) {
    if (sub.empty()) {
        return 0;
    }
    const std::size_t found = text.find(sub);
    return found == std::string::npos ? 0 : static_cast<int>(found) + 1;
}

std::string Copy(const std::string& text, int index, int count) {
    if (index < 1) {
        index = 1;
    }
    const std::size_t start = static_cast<std::size_t>(index) - 1;
    if (start >= text.size() || count < 0) {
        return {};
    }
    return text.substr(start, static_cast<std::size_t>(count));
}

static bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string Trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsTrimmed(text[first])) {
        ++first;
    }
    while (last > first && IsTrimmed(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string CopyTrim(const std::string& text, int index, int count) {
    return Trim(Copy(text, index, count));
}

void SplitBySet(const std::string& text, const TCharSet& separators, TArrayOfString& parts) {
    if (text.empty()) {
        return;
    }
    parts.clear();
    TCharSet set = separators;
    set.set(0);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || set.test(static_cast<unsigned char>(text[i]))) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
}

static int DigitValue(char c, int base) {
    int digit = -1;
    if (c >= '0' && c <= '9') {
        digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
    }
    return digit < base ? digit : -1;
}

static std::optional<std::int32_t> ParseInt(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const bool hex = i < text.size() && text[i] == '$';
    if (hex) {
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    const int base = hex ? 16 : 10;
    const std::uint64_t limit =
        hex ? std::numeric_limits<std::uint32_t>::max()
            : static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) +
                  (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    // Negating in unsigned arithmetic keeps -2147483648 and the wrapped hexadecimal values defined.
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) {
        bits = ~bits + 1u;
    }
    return static_cast<std::int32_t>(bits);
}

static EConvertError NotAnInteger(const std::string& text) {
    return EConvertError("'" + text + "' is not a valid integer value");
}

std::int32_t StrToInt(const std::string& text) {
    const std::optional<std::int32_t> value = ParseInt(text);
    if (!value) {
        throw NotAnInteger(text);
    }
    return *value;
}

bool TryStrToInt(const std::string& text, std::int32_t& value) {
    const std::optional<std::int32_t> parsed = ParseInt(text);
    if (parsed) {
        value = *parsed;
    }
    return parsed.has_value();
}

std::int32_t HexStrToInt(const std::string& text) {
    const std::optional<std::int32_t> value = ParseInt("$" + text);
    if (!value) {
        throw NotAnInteger(text);
    }
    return *value;
}

std::string IntToHex(std::uint32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xFu]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < digits) {
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    }
    return text;
}
