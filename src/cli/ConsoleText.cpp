#include "cli/ConsoleText.h"

#include <cstdio>

std::string VisibleText(const std::string& text) {
    std::string visible;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            visible += "\\r";
        } else if (c == '\n') {
            visible += "\\n";
        } else if (byte < 0x20U || byte == 0x7FU) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            visible += code;
        } else {
            visible += c;
        }
    }
    return visible;
}

std::size_t TextWidth(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) {
            ++count;
        }
    }
    return count;
}

std::string PaddedTo(const std::string& text, std::size_t width) {
    const std::size_t have = TextWidth(text);
    return text + std::string(have < width ? width - have : 0, ' ');
}
