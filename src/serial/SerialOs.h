// The small OS-shaped API under the serial port component: one implementation on termios, one
// recording fake in the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/SerialLock.h"

using TOsHandle = int;
constexpr TOsHandle InvalidOsHandle = -1;

// The line-state record: rate, data format, flow control and special characters, with the flag
// word laid out bit for bit as the component builds it.
struct TLineState {
    std::uint32_t DCBlength = 28;
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;

    bool operator==(const TLineState&) const = default;
};

// Flag bits of TLineState::Flags.
constexpr std::uint32_t lfBinary = 0x0001;
constexpr std::uint32_t lfParity = 0x0002;
constexpr std::uint32_t lfOutxCtsFlow = 0x0004;
constexpr std::uint32_t lfOutxDsrFlow = 0x0008;
constexpr std::uint32_t lfDtrControlEnable = 0x0010;
constexpr std::uint32_t lfDtrControlHandshake = 0x0020;
constexpr std::uint32_t lfDsrSensitivity = 0x0040;
constexpr std::uint32_t lfTXContinueOnXoff = 0x0080;
constexpr std::uint32_t lfOutX = 0x0100;
constexpr std::uint32_t lfInX = 0x0200;
constexpr std::uint32_t lfErrorChar = 0x0400;
constexpr std::uint32_t lfNull = 0x0800;
constexpr std::uint32_t lfRtsControlEnable = 0x1000;
constexpr std::uint32_t lfRtsControlHandshake = 0x2000;
constexpr std::uint32_t lfAbortOnError = 0x4000;

// Purge flags.
constexpr std::uint32_t purgeTxAbort = 0x0001;
constexpr std::uint32_t purgeRxAbort = 0x0002;
constexpr std::uint32_t purgeTxClear = 0x0004;
constexpr std::uint32_t purgeRxClear = 0x0008;

struct TCommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;

    bool operator==(const TCommTimeouts&) const = default;
};

struct TCommProperties {
    std::uint32_t CurrentRxQueue = 0;
    std::uint32_t CurrentTxQueue = 0;
};

struct TQueueCounts {
    std::uint32_t InQue = 0;
    std::uint32_t OutQue = 0;
};

// A manual-reset wake-up that ends a WaitCommEvent from another thread.
class ICloseEvent {
  public:
    virtual ~ICloseEvent() = default;
    virtual void Signal() = 0;
};

enum class TWaitResult { Event, Closed, Failed };

// Every call reports failure through its result and leaves the reason in errno.
class ISerialOs {
  public:
    ISerialOs() = default;
    ISerialOs(const ISerialOs&) = delete;
    ISerialOs& operator=(const ISerialOs&) = delete;
    virtual ~ISerialOs() = default;

    // Opens a device exclusively by its name; InvalidOsHandle on failure.
    virtual TOsHandle OpenDevice(const std::string& deviceName) = 0;
    virtual void CloseDevice(TOsHandle handle) = 0;
    virtual bool GetCommState(TOsHandle handle, TLineState& state) = 0;
    virtual bool SetCommState(TOsHandle handle, const TLineState& state) = 0;
    virtual bool SetupComm(TOsHandle handle, std::uint32_t inQueue, std::uint32_t outQueue) = 0;
    virtual bool PurgeComm(TOsHandle handle, std::uint32_t flags) = 0;
    virtual bool ClearCommError(TOsHandle handle, std::uint32_t& errors, TQueueCounts& counts) = 0;
    virtual bool GetCommTimeouts(TOsHandle handle, TCommTimeouts& timeouts) = 0;
    virtual bool SetCommTimeouts(TOsHandle handle, const TCommTimeouts& timeouts) = 0;
    virtual bool GetCommProperties(TOsHandle handle, TCommProperties& properties) = 0;
    virtual bool SetCommMask(TOsHandle handle, std::uint32_t mask) = 0;
    virtual std::unique_ptr<ICloseEvent> CreateCloseEvent() = 0;
    // Blocks until an event of the mask occurs (Event, with the events in `events`), the close
    // event is signalled (Closed), or the line cannot report events any more (Failed).
    virtual TWaitResult WaitCommEvent(TOsHandle handle, std::uint32_t& events,
                                      ICloseEvent& closeEvent) = 0;
    // Waits up to timeoutMs for received bytes; false when none arrived.
    virtual bool WaitForInput(TOsHandle handle, std::uint32_t timeoutMs) = 0;
    // A transfer of up to `count` bytes bounded by the handle's timeouts: the byte count, or -1
    // when it failed.
    virtual long ReadFile(TOsHandle handle, void* buffer, std::uint32_t count) = 0;
    virtual long WriteFile(TOsHandle handle, const void* buffer, std::uint32_t count) = 0;
};

// What the termios implementation is set up with.
struct TPosixSerialOptions {
    // Folder of the UUCP lock files that other serial programs honour; empty means none. Where it
    // is missing or cannot be written, devices are opened without a lock file.
    std::string LockDir = kUucpLockDir;
    // Counts the received bytes waiting on a descriptor; empty means FIONREAD. Tests put a count
    // here that lets a read happen in the middle of it.
    std::function<std::uint32_t(int fd)> CountQueuedInput;
};

// The termios implementation. Device names: a bare name means /dev/ plus that name, an absolute
// path is used as it stands.
std::unique_ptr<ISerialOs> MakePosixSerialOs(TPosixSerialOptions options = {});
