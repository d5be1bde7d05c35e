// The tool's end of the emulator's line for tests: raw bytes out, raw bytes in.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "emulator/PseudoTerminal.h"

class TToolEnd {
  public:
    // Opens the device in raw mode; fails the calling test's assertions through its result.
    explicit TToolEnd(const std::string& path);

    bool IsOpen() const { return m_fd.IsOpen(); }
    void Write(std::string_view bytes);
    // Collects bytes until the text holds the ending or the time is up.
    std::string ReadUntil(std::string_view ending,
                          std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    // Reads once, as soon as anything arrives or the time is up.
    std::string ReadSome(std::chrono::milliseconds limit);
    // Sends a line and returns everything up to and including the "OK\r\n" of its answer.
    std::string Exchange(std::string_view bytes) {
        Write(bytes);
        return ReadUntil("OK\r\n");
    }
    // True when the other side hangs up within the time.
    bool WaitForHangUp(std::chrono::milliseconds limit);

  private:
    TFileDescriptor m_fd;
};
