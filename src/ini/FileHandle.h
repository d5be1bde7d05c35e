// A file descriptor that closes itself, for the files the settings and backup services write.
#pragma once

#include <unistd.h>

class TFileHandle {
  public:
    explicit TFileHandle(int fd) : m_fd(fd) {}
    ~TFileHandle() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Closes now, for the caller to see whether the close failed.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int m_fd;
};
