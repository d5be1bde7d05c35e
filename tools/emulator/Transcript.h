// A file with one escaped line per received command and per answer, in the order they passed.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Carriage return, line feed, tab and backslash as \r \n \t \\, other bytes outside 32..126 as
// \xNN (two upper-case hexadecimal digits); printable ASCII stays as it is.
std::string EscapeBytes(std::string_view bytes);
// How many bytes an escaped text stands for: the line time a transcript line took.
std::size_t EscapedByteCount(std::string_view escaped);

class TTranscript {
  public:
    // Creates or empties the file; throws std::runtime_error when it cannot be opened.
    explicit TTranscript(const std::string& fileName);

    // "> " and the escaped bytes the module received.
    void Received(std::string_view bytes);
    // "< " and the escaped bytes the module sent.
    void Sent(std::string_view bytes);

  private:
    void WriteLine(std::string_view marker, std::string_view bytes);

    struct TCloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, TCloseFile> m_file;
};
