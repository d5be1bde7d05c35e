// What a window says when the serial port fails: in Russian, what failed, why and, where there is
// one, the fix; the driver's English message stays for the log.
#pragma once

#include <string>

#include "serial/SerialErr.h"

// What failed, by the driver's code: "не удалось передать данные в порт".
std::string DeviceFailureText(const EDeviceError& error);
// Why, by the OS error the driver kept, with the fix; empty when the error keeps none.
std::string DeviceReasonText(int osError);
// Both in one sentence: "не удалось передать данные в порт: устройство пропало …".
std::string DeviceErrorText(const EDeviceError& error);
