#include "serial/DeviceErrorText.h"

#include <cerrno>
#include <cstring>

std::string DeviceFailureText(const EDeviceError& error) {
    switch (error.ErrorCode()) {
        case errDeviceNotOpened:
            return "порт не открыт";
        case errDeviceAlreadyOpened:
            return "порт уже открыт";
        case errUpdateCommState:
        case errUpdateBuffers:
        case errUpdateTimeouts:
            return "не удалось настроить порт";
        case errSendLocked:
        case errReadLocked:
            return "порт занят другой операцией программы";
        case errReadPort:
            return "не удалось принять данные из порта";
        case errWritePort:
            return "не удалось передать данные в порт";
        case errEnumPorts:
            return "не удалось получить список портов";
        case errCannotOpenDevice:
            return "не удалось открыть порт";
        default:
            return "ошибка порта";
    }
}

std::string DeviceReasonText(int osError) {
    switch (osError) {
        case 0:
            return {};
        case EIO:
        case ENXIO:
        case ENODEV:
        case EPIPE:
        case ESHUTDOWN:
            return "устройство пропало: кабель или USB-адаптер отключён. Подключите его и "
                   "подключитесь снова";
        case ENOENT:
            return "такого порта нет. Проверьте, что адаптер подключён, и выберите порт из списка";
        case EACCES:
        case EPERM:
            return "нет прав на порт. Добавьте пользователя в группу порта (обычно dialout: sudo "
                   "usermod -aG dialout $USER) и войдите в систему снова";
        case EBUSY:
            return "порт занят другой программой. Закройте её и подключитесь снова";
        case ENOTTY:
            return "это не последовательный порт. Выберите порт из списка";
        case EISDIR:
            return "это папка, а не порт. Выберите порт из списка";
        case ETIMEDOUT:
            return "устройство не ответило вовремя. Проверьте кабель";
        default:
            return "системная ошибка " + std::to_string(osError) + " (" + std::strerror(osError) +
                   ")";
    }
}

std::string DeviceErrorText(const EDeviceError& error) {
    const std::string reason = DeviceReasonText(error.OsError());
    return reason.empty() ? DeviceFailureText(error) : DeviceFailureText(error) + ": " + reason;
}
