// Raw reads and writes on the tool's end of the emulator's line.
#include "ToolEnd.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

TToolEnd::TToolEnd(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    termios mode{};
    if (m_fd.IsOpen() && ::tcgetattr(m_fd.Get(), &mode) == 0) {
        ::cfmakeraw(&mode);
        ::tcsetattr(m_fd.Get(), TCSANOW, &mode);
    }
}

void TToolEnd::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd.Get(), bytes.data(), bytes.size());
        if (written <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string TToolEnd::ReadSome(std::chrono::milliseconds limit) {
    pollfd input{m_fd.Get(), POLLIN, 0};
    if (::poll(&input, 1, static_cast<int>(limit.count())) <= 0)
        return {};
    char buffer[512];
    const ssize_t count = ::read(m_fd.Get(), buffer, sizeof buffer);
    return count > 0 ? std::string(buffer, static_cast<std::size_t>(count)) : std::string();
}

std::string TToolEnd::ReadUntil(std::string_view ending, std::chrono::milliseconds limit) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    std::string text;
    while (text.find(ending) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            giveUp - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd input{m_fd.Get(), POLLIN, 0};
        if (::poll(&input, 1, static_cast<int>(left.count())) <= 0)
            break;
        if ((input.revents & POLLIN) == 0)
            break;
        char buffer[512];
        const ssize_t count = ::read(m_fd.Get(), buffer, sizeof buffer);
        if (count <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

bool TToolEnd::WaitForHangUp(std::chrono::milliseconds limit) {
    pollfd input{m_fd.Get(), POLLIN, 0};
    if (::poll(&input, 1, static_cast<int>(limit.count())) <= 0)
        return false;
    return (input.revents & POLLHUP) != 0;
}
