// What a window says when the serial port fails, for the driver's codes and the usual errors.
#include <gtest/gtest.h>

#include <cerrno>

#include "serial/DeviceErrorText.h"

namespace {

TEST(DeviceErrorTextTest, SaysWhatFailedWhyAndTheFixInRussian) {
    struct TCase {
        int Code;
        int OsError;
        const char* Text;
    };
    const TCase cases[] = {
        {errWritePort, EIO,
         "не удалось передать данные в порт: устройство пропало: кабель или USB-адаптер отключён. "
         "Подключите его и подключитесь снова"},
        {errReadPort, ENXIO,
         "не удалось принять данные из порта: устройство пропало: кабель или "
         "USB-адаптер отключён. Подключите его и подключитесь снова"},
        {errCannotOpenDevice, EACCES,
         "не удалось открыть порт: нет прав на порт. Добавьте пользователя в группу порта (обычно "
         "dialout: sudo usermod -aG dialout $USER) и войдите в систему снова"},
        {errCannotOpenDevice, EBUSY,
         "не удалось открыть порт: порт занят другой программой. Закройте её и подключитесь снова"},
        {errCannotOpenDevice, ENOENT,
         "не удалось открыть порт: такого порта нет. Проверьте, что "
         "адаптер подключён, и выберите порт из списка"},
        {errCannotOpenDevice, EISDIR,
         "не удалось открыть порт: это папка, а не порт. Выберите порт из списка"},
        {errCannotOpenDevice, ENOTTY,
         "не удалось открыть порт: это не последовательный порт. Выберите порт из списка"},
        {errUpdateCommState, 0, "не удалось настроить порт"},
        {errDeviceNotOpened, 0, "порт не открыт"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(DeviceErrorText(EDeviceError("English text for the log", c.Code, c.OsError)),
                  c.Text);
    }
    const std::string unusual = DeviceErrorText(EDeviceError("x", errWritePort, EXDEV));
    EXPECT_NE(unusual.find("системная ошибка 18"), std::string::npos) << unusual;
    EXPECT_EQ(DeviceReasonText(0), "");
}

// The driver's English messages, their misspelling included, stay in the log; what a user reads
// is Russian for every code of the catalogue.
TEST(DeviceErrorTextTest, NoCodeShowsTheDriversEnglish) {
    const std::pair<int, const char*> catalogue[] = {
        {errDeviceNotOpened, msgDeviceNotOpened},
        {errDeviceAlreadyOpened, msgDeviceAlreadyOpened},
        {errUpdateCommState, msgUpdateCommState},
        {errSendLocked, msgSendLocked},
        {errReadLocked, msgReadLocked},
        {errUpdateBuffers, msgUpdateBuffers},
        {errUpdateTimeouts, "Unable to update timeouts."},
        {errReadPort, "Unable to read from port."},
        {errWritePort, "Unable to write to port."},
        {errEnumPorts, "Unable to enumerate ports."},
        {errCannotOpenDevice, "Cannot open device x"}};
    for (const auto& [code, message] : catalogue) {
        SCOPED_TRACE(message);
        const std::string text = DeviceErrorText(EDeviceError(message, code, 0));
        EXPECT_EQ(text.find("allready"), std::string::npos);
        EXPECT_EQ(text.find(message), std::string::npos);
        EXPECT_FALSE(text.empty());
    }
}

}  // namespace
