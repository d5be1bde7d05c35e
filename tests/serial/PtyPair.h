// A pseudo-terminal for serial tests: the test plays the far end on the master side, the code
// under test opens the slave by its path.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>

class TPtyPair {
  public:
    TPtyPair() {
        char name[128] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        m_path = name;
        // The line discipline's echo and newline translation would corrupt frames.
        termios tio{};
        ::tcgetattr(m_master, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_master, TCSANOW, &tio);
    }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;
    ~TPtyPair() {
        CloseMaster();
        if (m_slave >= 0)
            ::close(m_slave);
    }

    const std::string& SlavePath() const { return m_path; }
    int Master() const { return m_master; }

    void Write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                throw std::runtime_error("write to the pseudo-terminal failed");
            done += static_cast<std::size_t>(n);
        }
    }

    // Collects what arrives until the line has been quiet for quietMs.
    std::string ReadQuiet(int quietMs = 100) {
        std::string received;
        for (;;) {
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, quietMs) <= 0 || !(fd.revents & POLLIN))
                return received;
            char buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                return received;
            received.append(buffer, static_cast<std::size_t>(n));
        }
    }

    // Reads up to and including `end`, or gives up after timeoutMs.
    std::string ReadUntil(char end, int timeoutMs = 2000) {
        std::string received;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (received.empty() || received.back() != end) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
                break;
            char c = 0;
            if (::read(m_master, &c, 1) != 1)
                break;
            received += c;
        }
        return received;
    }

    // The far end goes away, as a pulled cable does.
    void CloseMaster() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};
