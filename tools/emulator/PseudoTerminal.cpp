// Opening, raw mode and hang-up of the emulator's pseudo-terminal, and the device link.
#include "emulator/PseudoTerminal.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

std::runtime_error OsError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

TFileDescriptor::TFileDescriptor(TFileDescriptor&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)) {}

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void TFileDescriptor::Close() {
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

TPseudoTerminal::TPseudoTerminal() {
    int master = -1;
    int peer = -1;
    char name[PATH_MAX] = {};
    if (::openpty(&master, &peer, name, nullptr, nullptr) != 0)
        throw OsError("openpty");
    m_master = TFileDescriptor(master);
    m_peer = TFileDescriptor(peer);
    m_peerPath = name;

    // Echo and newline translation would corrupt the frames in both directions.
    termios mode{};
    if (::tcgetattr(peer, &mode) != 0)
        throw OsError("tcgetattr");
    ::cfmakeraw(&mode);
    if (::tcsetattr(peer, TCSANOW, &mode) != 0)
        throw OsError("tcsetattr");

    const int flags = ::fcntl(master, F_GETFL);
    if (flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0)
        throw OsError("fcntl");
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(peer, F_SETFD, FD_CLOEXEC);
}

int TPseudoTerminal::UnreadByPeer() const {
    int count = 0;
    if (!m_peer.IsOpen() || ::ioctl(m_peer.Get(), FIONREAD, &count) != 0)
        return 0;
    return count;
}

void TPseudoTerminal::HangUp() {
    m_peer.Close();
    m_master.Close();
}

TDeviceLink::TDeviceLink(std::string linkPath, const std::string& target)
    : m_linkPath(std::move(linkPath)), m_target(target) {
    struct stat existing {};
    if (::lstat(m_linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            throw std::runtime_error(m_linkPath + " exists and is not a symbolic link");
        }
        if (::unlink(m_linkPath.c_str()) != 0)
            throw OsError("unlink " + m_linkPath);
    }
    if (::symlink(target.c_str(), m_linkPath.c_str()) != 0)
        throw OsError("symlink " + m_linkPath);
}

TDeviceLink::~TDeviceLink() {
    char target[PATH_MAX] = {};
    const ssize_t length = ::readlink(m_linkPath.c_str(), target, sizeof target - 1);
    if (length >= 0 && std::string(target, static_cast<std::size_t>(length)) == m_target) {
        ::unlink(m_linkPath.c_str());
    }
}
