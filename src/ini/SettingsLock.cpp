// An flock on a file of its own: the settings file itself is replaced by every save, and a lock
// on a replaced file would guard nothing.
#include "ini/SettingsLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

TSettingsLock::TSettingsLock(std::string lockFile) : m_fileName(std::move(lockFile)) {
    const int fd = ::open(m_fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    m_fd = fd;
}

TSettingsLock::~TSettingsLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}
