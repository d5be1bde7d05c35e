// Raising the serial driver's errors, with the OS error text where the catalogue asks for it.
#include "serial/SerialErr.h"

#include <cerrno>
#include <cstring>

void RaiseDeviceError(const std::string& msg, int code, int osError) {
    throw EDeviceError(msg, code, osError);
}

void RaiseOSDeviceError(const std::string& msg, int code) {
    const int osError = errno;
    char buffer[256] = {};
    // The GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(osError, buffer, sizeof buffer);
    throw EDeviceError(FormatOSDeviceError(msg, osError, TrimOSErrorText(text ? text : "")), code,
                       osError);
}

// The number is an errno value and the text strerror's, so the message calls it an OS error where
// the desktop original said "Win32 error"; the rest of the form is kept.
std::string FormatOSDeviceError(const std::string& msg, int osError, const std::string& osText) {
    return msg + " (OS error " + std::to_string(osError) + ": " + osText + ")";
}

std::string TrimOSErrorText(std::string text) {
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

std::string CannotOpenDeviceMessage(const std::string& deviceName) {
    std::string message = msgCannotOpenDevice;
    message.replace(message.find("%s"), 2, deviceName);
    return message;
}
