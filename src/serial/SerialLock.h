// UUCP lock files: the LCK..NAME files in which serial programs note which process uses a device.
#pragma once

#include <sys/types.h>

#include <string>

// The folder where serial programs of this system keep their lock files.
inline constexpr const char* kUucpLockDir = "/run/lock";

// The lock file's name for a device: its path under devDir with '/' turned into '_'
// (LCK..ttyUSB0, LCK..pts_7), or the last part of a path elsewhere. Symbolic links are followed
// first, so two names of one device share one lock.
std::string UucpLockName(const std::string& devicePath, const std::string& devDir = "/dev");

// The process a lock file names, or 0 when the file is missing or names none.
pid_t UucpLockOwner(const std::string& lockFile);

// Whether a process of that id runs (also when it belongs to another user).
bool ProcessIsAlive(pid_t pid);

// Removes the temporary files (LTMP.<pid>.<n>) that a process killed while taking a lock left in
// lockDir, where that process no longer runs; nothing else is touched.
void RemoveDeadTemporaries(const std::string& lockDir);

// A lock file this process wrote; it is removed when the object goes.
class TUucpLock {
  public:
    enum class TResult {
        Taken,
        // Another live process holds the device; errno is EBUSY.
        Busy,
        // The folder is missing or cannot be written: the device is used without a lock file.
        Unavailable,
    };

    TUucpLock() = default;
    TUucpLock(TUucpLock&& other) noexcept;
    TUucpLock& operator=(TUucpLock&& other) noexcept;
    TUucpLock(const TUucpLock&) = delete;
    TUucpLock& operator=(const TUucpLock&) = delete;
    ~TUucpLock() { Release(); }

    // Writes this process's lock file for devicePath into lockDir, replacing a stale one that a
    // process which no longer runs left behind, and clearing such a process's temporary files.
    TResult Take(const std::string& lockDir, const std::string& devicePath);
    void Release();
    const std::string& File() const { return m_file; }

  private:
    std::string m_file;
};
