// Keeps two copies of the tool from writing the same settings folder.
#pragma once

#include <string>

// Holds an exclusive lock on a lock file beside the settings for as long as it lives. The lock
// goes with the process, so a copy that crashed never blocks the next one.
class TSettingsLock {
  public:
    // Tries once, without waiting; IsHeld tells whether it got the lock.
    explicit TSettingsLock(std::string lockFile);
    ~TSettingsLock();
    TSettingsLock(const TSettingsLock&) = delete;
    TSettingsLock& operator=(const TSettingsLock&) = delete;

    bool IsHeld() const { return m_fd >= 0; }
    // Another copy holds the lock. Neither this nor IsHeld is true when the lock file cannot be
    // made: in a folder the user may not write, the settings cannot be written either, and the
    // save says so.
    bool IsHeldElsewhere() const { return m_heldElsewhere; }
    const std::string& FileName() const { return m_fileName; }

  private:
    std::string m_fileName;
    int m_fd = -1;
    bool m_heldElsewhere = false;
};
