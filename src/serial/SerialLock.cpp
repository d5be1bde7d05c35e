// Taking, reading and releasing UUCP lock files.
#include "serial/SerialLock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

// Two processes that both found a stale file race to replace it; a few rounds settle it.
constexpr int kTakeAttempts = 3;

std::string Resolved(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) != nullptr)
        return buffer;
    return path;
}

// Writes the whole file under a temporary name first and links it into place, so no other
// program ever reads a lock file without its process id.
bool LinkNewLockFile(const std::string& lockDir, const std::string& file) {
    char content[16];
    std::snprintf(content, sizeof content, "%10d\n", static_cast<int>(::getpid()));
    static std::atomic<unsigned> serial{0};
    const std::string temporary =
        lockDir + "/LTMP." + std::to_string(::getpid()) + "." + std::to_string(++serial);
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const ssize_t length = 11;
    const bool written = ::write(fd, content, length) == length;
    ::close(fd);
    const bool linked = written && ::link(temporary.c_str(), file.c_str()) == 0;
    const int linkError = errno;
    ::unlink(temporary.c_str());
    errno = written ? linkError : EIO;
    return linked;
}

}  // namespace

std::string UucpLockName(const std::string& devicePath, const std::string& devDir) {
    const std::string path = Resolved(devicePath);
    std::string root = Resolved(devDir);
    if (!root.empty() && root.back() != '/')
        root += '/';
    std::string name;
    if (path.rfind(root, 0) == 0 && path.size() > root.size()) {
        name = path.substr(root.size());
        for (char& c : name) {
            if (c == '/')
                c = '_';
        }
    } else {
        name = std::filesystem::path(path).filename().string();
    }
    return "LCK.." + name;
}

pid_t UucpLockOwner(const std::string& lockFile) {
    std::ifstream file(lockFile);
    long pid = 0;
    if (!(file >> pid) || pid <= 0 || pid > INT_MAX)
        return 0;
    return static_cast<pid_t>(pid);
}

bool ProcessIsAlive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 10 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

// The process id in "LTMP.<pid>.<n>", or 0 when the name is not of that form.
pid_t TemporaryOwner(const std::string& name) {
    const std::string prefix = "LTMP.";
    if (name.rfind(prefix, 0) != 0)
        return 0;
    const std::string rest = name.substr(prefix.size());
    const auto dot = rest.find('.');
    if (dot == std::string::npos || !AllDigits(rest.substr(0, dot)) ||
        !AllDigits(rest.substr(dot + 1)))
        return 0;
    const long pid = std::stol(rest.substr(0, dot));
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

}  // namespace

void RemoveDeadTemporaries(const std::string& lockDir) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(lockDir, error)) {
        const pid_t owner = TemporaryOwner(entry.path().filename().string());
        if (owner > 0 && !ProcessIsAlive(owner))
            ::unlink(entry.path().c_str());
    }
}

TUucpLock::TUucpLock(TUucpLock&& other) noexcept : m_file(std::exchange(other.m_file, {})) {}

TUucpLock& TUucpLock::operator=(TUucpLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_file = std::exchange(other.m_file, {});
    }
    return *this;
}

TUucpLock::TResult TUucpLock::Take(const std::string& lockDir, const std::string& devicePath) {
    Release();
    RemoveDeadTemporaries(lockDir);
    const std::string file = lockDir + "/" + UucpLockName(devicePath);
    for (int attempt = 0; attempt < kTakeAttempts; ++attempt) {
        // Looked at before writing, so a live lock counts also where this user may not write.
        // Our own id means another port of this program holds the device.
        if (ProcessIsAlive(UucpLockOwner(file))) {
            errno = EBUSY;
            return TResult::Busy;
        }
        if (LinkNewLockFile(lockDir, file)) {
            m_file = file;
            return TResult::Taken;
        }
        if (errno != EEXIST)
            return TResult::Unavailable;
        if (!ProcessIsAlive(UucpLockOwner(file)) && ::unlink(file.c_str()) != 0 &&
            errno != ENOENT) {
            // A stale lock that we may not remove still keeps other programs away; so it does us.
            errno = EBUSY;
            return TResult::Busy;
        }
    }
    errno = EBUSY;
    return TResult::Busy;
}

void TUucpLock::Release() {
    if (m_file.empty())
        return;
    const int saved = errno;
    ::unlink(m_file.c_str());
    errno = saved;
    m_file.clear();
}
