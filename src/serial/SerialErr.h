// The serial driver's exception type, its raise routines and its catalogue of codes and messages.
#pragma once

#include <stdexcept>
#include <string>

class EDeviceError : public std::runtime_error {
  public:
    // osError is the errno of the OS call that failed, kept beside the catalogue's message so
    // that a caller can explain the failure; 0 when there was none.
    EDeviceError(const std::string& msg, int code, int osError = 0)
        : std::runtime_error(msg), m_errorCode(code), m_osError(osError) {}

    int ErrorCode() const { return m_errorCode; }
    int OsError() const { return m_osError; }

  private:
    int m_errorCode;
    int m_osError;
};

// The catalogue: every failure of the serial driver carries one of these codes and messages.
constexpr int errDeviceNotOpened = 1;
constexpr int errDeviceAlreadyOpened = 2;
constexpr int errUpdateCommState = 3;
constexpr int errSendLocked = 4;
constexpr int errReadLocked = 5;
constexpr int errUpdateBuffers = 6;
constexpr int errUpdateTimeouts = 7;
constexpr int errReadPort = 10;
constexpr int errWritePort = 11;
constexpr int errEnumPorts = 12;
constexpr int errCannotOpenDevice = 65535;

inline constexpr const char* msgDeviceNotOpened = "Device not opened.";
inline constexpr const char* msgDeviceAlreadyOpened = "Device is allready opened.";
inline constexpr const char* msgUpdateCommState = "Unable to update device control block.";
inline constexpr const char* msgSendLocked = "Device locked. Cannot perform send operations.";
inline constexpr const char* msgReadLocked = "Device locked. Cannot perform read operations.";
inline constexpr const char* msgUpdateBuffers = "Unable to update IO buffers.";
inline constexpr const char* msgUpdateTimeouts = "Unable to update Timeouts.";
inline constexpr const char* msgReadPort = "Unable to read from port.";
inline constexpr const char* msgWritePort = "Unable to write to port.";
inline constexpr const char* msgEnumPorts = "EnumPorts failed.";
inline constexpr const char* msgCannotOpenDevice = "Cannot open device %s";

[[noreturn]] void RaiseDeviceError(const std::string& msg, int code, int osError = 0);

// Appends the current errno, read before anything else can change it, and its text.
[[noreturn]] void RaiseOSDeviceError(const std::string& msg, int code);

// The message RaiseOSDeviceError builds for an OS error number and its text.
std::string FormatOSDeviceError(const std::string& msg, int osError, const std::string& osText);

// An OS error text without trailing blanks, line breaks and full stops.
std::string TrimOSErrorText(std::string text);

// "Cannot open device %s" completed with the device name.
std::string CannotOpenDeviceMessage(const std::string& deviceName);
