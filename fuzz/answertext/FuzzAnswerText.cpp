// Fuzzes the answer string helpers against plain reference versions of their documented rules.
//
// Input, as libFuzzer's FuzzedDataProvider splits it: from the end a 1-based index, a count, a
// hexadecimal width and a 32-bit value; from the start a search text and a separator set, each
// ended by a backslash and another character; the rest is the text that every helper works on.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "protocol/AnswerText.h"

namespace {

[[noreturn]] void Disagree(const char* helper, const std::string& input) {
    std::fprintf(stderr, "fuzz_strlib: %s disagrees with its rule for '", helper);
    for (char c : input) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 32 && code < 127) {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02X", code);
        }
    }
    std::fputs("'\n", stderr);
    std::abort();
}

void Agree(bool same, const char* helper, const std::string& input) {
    if (!same) {
        Disagree(helper, input);
    }
}

// The references walk character by character in 64-bit arithmetic, the plainest reading of
// each rule in AnswerText.h, with no shortcut shared with the code under test.

int RefPos(const std::string& sub, const std::string& text) {
    if (sub.empty()) {
        return 0;
    }
    for (std::size_t start = 0; start + sub.size() <= text.size(); ++start) {
        bool match = true;
        for (std::size_t k = 0; k < sub.size() && match; ++k) {
            match = text[start + k] == sub[k];
        }
        if (match) {
            return static_cast<int>(start + 1);
        }
    }
    return 0;
}

std::string RefCopy(const std::string& text, int index, int count) {
    const long long first = index < 1 ? 1 : index;
    const long long size = static_cast<long long>(text.size());
    std::string piece;
    for (long long at = first; at < first + count && at <= size; ++at) {
        piece += text[static_cast<std::size_t>(at - 1)];
    }
    return piece;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string RefTrim(const std::string& text) {
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) {
        ++first;
    }
    std::size_t end = text.size();
    while (end > first && IsBlank(text[end - 1])) {
        --end;
    }
    std::string trimmed;
    for (std::size_t k = first; k < end; ++k) {
        trimmed += text[k];
    }
    return trimmed;
}

TArrayOfString RefSplit(const std::string& text, const std::string& separators,
                        const TArrayOfString& before) {
    if (text.empty()) {
        return before;
    }
    TArrayOfString parts;
    std::string piece;
    for (char c : text) {
        if (c == '\0' || separators.find(c) != std::string::npos) {
            parts.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    parts.push_back(piece);
    return parts;
}

int DigitOf(char c, int base) {
    int digit = 99;
    if (c >= '0' && c <= '9') {
        digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
    }
    return digit < base ? digit : -1;
}

// An optional sign, then decimal digits or "$" and hexadecimal digits; a decimal value must fit
// the signed 32-bit range, a hexadecimal one 32 unsigned bits, which then wrap to signed.
std::optional<std::int32_t> RefStrToInt(const std::string& text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    int base = 10;
    if (at < text.size() && text[at] == '$') {
        base = 16;
        ++at;
    }
    if (at == text.size()) {
        return std::nullopt;
    }
    long long magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit = DigitOf(text[at], base);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFLL) {
            return std::nullopt;
        }
    }
    if (base == 10) {
        const long long value = negative ? -magnitude : magnitude;
        if (value < -2147483648LL || value > 2147483647LL) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(value);
    }
    const long long wrapped = (negative ? (1LL << 32) - magnitude : magnitude) % (1LL << 32);
    return static_cast<std::int32_t>(wrapped >= (1LL << 31) ? wrapped - (1LL << 32) : wrapped);
}

std::string RefIntToHex(std::uint32_t value, int digits) {
    const char* const kDigits = "0123456789ABCDEF";
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const unsigned digit = (value >> shift) & 0xFu;
        if (digit != 0 || !text.empty() || shift == 0) {
            text += kDigits[digit];
        }
    }
    while (static_cast<int>(text.size()) < digits) {
        text = "0" + text;
    }
    return text;
}

// what() is a C string, so a text with a NUL in it shows only up to the NUL.
std::string NotAnInteger(const std::string& text) {
    const std::string message = "'" + text + "' is not a valid integer value";
    return message.substr(0, message.find('\0'));
}

void CheckNumber(const std::string& text) {
    const std::optional<std::int32_t> expected = RefStrToInt(text);
    std::int32_t value = 0x1CEB00DA;
    const bool parsed = TryStrToInt(text, value);
    Agree(parsed == expected.has_value(), "TryStrToInt", text);
    Agree(parsed ? value == *expected : value == 0x1CEB00DA, "TryStrToInt's value", text);
    try {
        const std::int32_t converted = StrToInt(text);
        Agree(expected.has_value() && converted == *expected, "StrToInt", text);
    } catch (const EConvertError& error) {
        Agree(!expected && error.what() == NotAnInteger(text), "StrToInt's error", text);
    }
    const std::optional<std::int32_t> hex = RefStrToInt("$" + text);
    try {
        const std::int32_t converted = HexStrToInt(text);
        Agree(hex.has_value() && converted == *hex, "HexStrToInt", text);
    } catch (const EConvertError& error) {
        Agree(!hex && error.what() == NotAnInteger(text), "HexStrToInt's error", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int index = input.ConsumeIntegral<int>();
    const int count = input.ConsumeIntegral<int>();
    const int digits = input.ConsumeIntegralInRange<int>(-4, 40);
    const std::uint32_t value = input.ConsumeIntegral<std::uint32_t>();
    const std::string sub = input.ConsumeRandomLengthString(64);
    const std::string separators = input.ConsumeRandomLengthString(16);
    const std::string text = input.ConsumeRemainingBytesAsString();
    const std::string where = text + "' index " + std::to_string(index) + " count " +
                              std::to_string(count) + " sub '" + sub + "' value " +
                              std::to_string(value) + " digits " + std::to_string(digits);

    Agree(Pos(sub, text) == RefPos(sub, text), "Pos", where);
    Agree(Copy(text, index, count) == RefCopy(text, index, count), "Copy", where);
    Agree(Trim(text) == RefTrim(text), "Trim", where);
    Agree(CopyTrim(text, index, count) == RefTrim(RefCopy(text, index, count)), "CopyTrim", where);

    const TCharSet set = CharSetOf(separators);
    for (int c = 0; c < 256; ++c) {
        Agree(set.test(static_cast<std::size_t>(c)) ==
                  (separators.find(static_cast<char>(c)) != std::string::npos),
              "CharSetOf", separators);
    }
    const TArrayOfString before{sub};
    TArrayOfString parts = before;
    SplitBySet(text, set, parts);
    Agree(parts == RefSplit(text, separators, before), "SplitBySet", where);

    Agree(IntToHex(value, digits) == RefIntToHex(value, digits), "IntToHex", where);

    CheckNumber(text);
    CheckNumber(sub);
    return 0;
}
