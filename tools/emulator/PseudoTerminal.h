// The emulator's end of a pseudo-terminal pair, whose other end the tool opens as its serial port.
#pragma once

#include <string>

// Owns one open file descriptor.
class TFileDescriptor {
  public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int fd) : m_fd(fd) {}
    ~TFileDescriptor() { Close(); }
    TFileDescriptor(TFileDescriptor&& other) noexcept;
    TFileDescriptor& operator=(TFileDescriptor&& other) noexcept;
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

  private:
    int m_fd = -1;
};

class TPseudoTerminal {
  public:
    // Opens the pair in raw mode, the emulator's end non-blocking; throws std::runtime_error.
    TPseudoTerminal();

    int Fd() const { return m_master.Get(); }
    bool IsOpen() const { return m_master.IsOpen(); }
    // The device file that the tool opens, e.g. /dev/pts/7.
    const std::string& PeerPath() const { return m_peerPath; }
    // Bytes sent to the tool that it has not read yet.
    int UnreadByPeer() const;
    // Closes both ends: the tool's poll wakes with POLLHUP and its reads give 0, as when a cable
    // is pulled; whatever it had not read yet is lost.
    void HangUp();

  private:
    TFileDescriptor m_master;
    // Held open so that the tool may close and reopen the port without the emulator's end seeing
    // a hang-up, and so that the raw mode set here survives between the tool's sessions.
    TFileDescriptor m_peer;
    std::string m_peerPath;
};

// A symbolic link to the tool's device, removed again when the object goes, provided it still
// points where it was made to point.
class TDeviceLink {
  public:
    // Replaces an existing symbolic link at linkPath; refuses (std::runtime_error) to replace
    // anything else.
    TDeviceLink(std::string linkPath, const std::string& target);
    ~TDeviceLink();
    TDeviceLink(const TDeviceLink&) = delete;
    TDeviceLink& operator=(const TDeviceLink&) = delete;

  private:
    std::string m_linkPath;
    std::string m_target;
};
