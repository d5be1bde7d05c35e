// The transcript file and the escaping of its lines.
#include "emulator/Transcript.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

std::string EscapeBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\r':
                text += "\\r";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\t':
                text += "\\t";
                break;
            case '\\':
                text += "\\\\";
                break;
            default:
                if (byte >= 32 && byte < 127) {
                    text += c;
                } else {
                    text += "\\x";
                    text += kHex[byte >> 4];
                    text += kHex[byte & 0xF];
                }
        }
    }
    return text;
}

std::size_t EscapedByteCount(std::string_view escaped) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < escaped.size(); ++i, ++count) {
        if (escaped[i] == '\\' && i + 1 < escaped.size()) {
            i += escaped[i + 1] == 'x' ? 3 : 1;
        }
    }
    return count;
}

TTranscript::TTranscript(const std::string& fileName) : m_file(std::fopen(fileName.c_str(), "w")) {
    if (!m_file) {
        throw std::runtime_error("Cannot open transcript " + fileName + ": " +
                                 std::strerror(errno));
    }
}

void TTranscript::Received(std::string_view bytes) {
    WriteLine("> ", bytes);
}

void TTranscript::Sent(std::string_view bytes) {
    WriteLine("< ", bytes);
}

void TTranscript::WriteLine(std::string_view marker, std::string_view bytes) {
    const std::string line = std::string(marker) + EscapeBytes(bytes) + "\n";
    std::fwrite(line.data(), 1, line.size(), m_file.get());
    // Tests read the transcript while the emulator still runs.
    std::fflush(m_file.get());
}
