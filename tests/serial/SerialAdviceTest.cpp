// Advice for failed opens, one row per reason, on device, process, lock and port trees made here.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "serial/SerialAdvice.h"
#include "serial/SerialErr.h"

namespace {

namespace fs = std::filesystem;

// A small copy of the parts of a system that the advice reads: /dev, /proc, the lock folder and
// the kernel's tty class, in a folder of the test's own.
class TFakeSystem {
  public:
    TFakeSystem() {
        char pattern[] = "/tmp/tarnel-advice-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern;
        for (const char* folder : {"dev", "proc", "lock", "tty", "no-ports"})
            fs::create_directories(m_root / folder);
        Roots.DevDir = (m_root / "dev").string();
        Roots.ProcDir = (m_root / "proc").string();
        Roots.LockDir = (m_root / "lock").string();
        Roots.TtyClassDir = (m_root / "tty").string();
    }
    TFakeSystem(const TFakeSystem&) = delete;
    TFakeSystem& operator=(const TFakeSystem&) = delete;
    ~TFakeSystem() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::string Device(const std::string& name) {
        const fs::path path = m_root / "dev" / name;
        std::ofstream(path).put('\n');
        return path.string();
    }
    void Port(const std::string& name) { fs::create_directories(m_root / "tty" / name / "device"); }
    void Process(long pid, const std::string& program) {
        fs::create_directories(m_root / "proc" / std::to_string(pid) / "fd");
        std::ofstream(m_root / "proc" / std::to_string(pid) / "comm") << program << "\n";
    }
    void OpenFile(long pid, int fd, const std::string& target) {
        fs::create_symlink(target,
                           m_root / "proc" / std::to_string(pid) / "fd" / std::to_string(fd));
    }
    void LockFile(const std::string& deviceName, long pid) {
        char line[16];
        std::snprintf(line, sizeof line, "%10ld\n", pid);
        std::ofstream(m_root / "lock" / ("LCK.." + deviceName)) << line;
    }
    void NoPorts() { Roots.TtyClassDir = (m_root / "no-ports").string(); }

    TSerialAdviceRoots Roots;

  private:
    fs::path m_root;
};

// The group the device file ends up in: dialout where the test may give it away, else ours.
std::string GroupOf(const std::string& path) {
    if (::geteuid() == 0) {
        if (const group* dialout = ::getgrnam("dialout")) [[maybe_unused]]
            const int changed = ::chown(path.c_str(), 0, dialout->gr_gid);
    }
    struct stat device {};
    ::stat(path.c_str(), &device);
    const group* owner = ::getgrgid(device.st_gid);
    return owner ? owner->gr_name : "";
}

std::string Advice(const std::string& port, int osError, const TSerialAdviceRoots& roots) {
    return OpenFailureAdvice(port, EDeviceError(CannotOpenDeviceMessage(port), 65535, osError),
                             roots);
}

TEST(OpenFailureAdviceTest, EachReasonGetsItsSentence) {
    TFakeSystem system;
    const std::string usb0 = system.Device("ttyUSB0");
    const std::string group = GroupOf(usb0);
    ASSERT_FALSE(group.empty());
    system.Device("ttyUSB1");
    system.Device("ttyACM0");
    system.Device("notatty");
    system.Port("ttyS0");
    system.Port("ttyUSB0");
    system.Process(4242, "minicom");
    system.OpenFile(4242, 3, usb0);
    system.Process(5151, "picocom");
    system.LockFile("ttyUSB1", 5151);
    // A lock file that names a process /proc does not show.
    system.LockFile("ttyACM0", 999999);

    const std::string busyFix = ": закройте её и подключитесь снова.";
    const std::string permission = "Нет прав на порт ttyUSB0: он доступен группе " + group +
                                   " — выполните «sudo usermod -aG " + group +
                                   " $USER» и войдите в систему заново.";
    const struct {
        const char* Name;
        std::string Port;
        int OsError;
        std::string Expected;
    } cases[] = {
        {"no permission names the device's group and the command", "ttyUSB0", EACCES, permission},
        {"an operation not permitted is the same", "ttyUSB0", EPERM, permission},
        {"busy: the process that has the device open", "ttyUSB0", EBUSY,
         "Порт ttyUSB0 занят программой minicom (процесс 4242)" + busyFix},
        {"busy by flock: the process in the lock file", "ttyUSB1", EWOULDBLOCK,
         "Порт ttyUSB1 занят программой picocom (процесс 5151)" + busyFix},
        {"busy with no process shown", "ttyS0", EBUSY,
         "Порт ttyS0 занят другой программой" + busyFix},
        {"a lock file of a process that has ended, which this user may not remove", "ttyACM0",
         EBUSY,
         "Порт ttyACM0 закрыт файлом блокировки " + system.Roots.LockDir +
             "/LCK..ttyACM0, оставшимся от завершённой программы (процесс 999999), а удалить его "
             "у вас нет прав: выполните «sudo rm " +
             system.Roots.LockDir + "/LCK..ttyACM0» и подключитесь снова."},
        {"an absolute path is used as it stands", usb0, EAGAIN,
         "Порт " + usb0 + " занят программой minicom (процесс 4242)" + busyFix},
        {"not found lists the ports that are present", "ttyUSB9", ENOENT,
         "Порт ttyUSB9 не найден: проверьте кабель или выберите один из имеющихся портов: ttyS0, "
         "ttyUSB0."},
        {"a vanished device is not found either", "ttyUSB9", ENODEV,
         "Порт ttyUSB9 не найден: проверьте кабель или выберите один из имеющихся портов: ttyS0, "
         "ttyUSB0."},
        {"not a serial device", "notatty", ENOTTY,
         "Устройство notatty не является последовательным портом: выберите порт вида ttyUSB0 или "
         "ttyS0."},
        {"any other error has no advice", "ttyUSB0", EIO, ""},
        {"no OS error has no advice", "ttyUSB0", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Advice(c.Port, c.OsError, system.Roots), c.Expected) << c.Name;
}

TEST(OpenFailureAdviceTest, NotFoundWithNoPortPresentSaysSo) {
    TFakeSystem system;
    system.NoPorts();
    for (int osError : {ENOENT, ENXIO}) {
        EXPECT_EQ(Advice("ttyUSB0", osError, system.Roots),
                  "Порт ttyUSB0 не найден, и последовательных портов в системе нет: проверьте, "
                  "подключён ли кабель.")
            << osError;
    }
}

TEST(OpenFailureAdviceTest, ADeviceOfRootsGroupAsksForTheAdministrator) {
    TFakeSystem system;
    const std::string device = system.Device("ttyS4");
    // The tests run as root, who may give a file to root's group.
    ASSERT_EQ(::chown(device.c_str(), 0, 0), 0);
    EXPECT_EQ(Advice("ttyS4", EACCES, system.Roots),
              "Нет прав на порт ttyS4: попросите администратора открыть вам доступ к устройству " +
                  device + ".");
}

TEST(OpenFailureAdviceTest, DeviceErrorsKeepTheirOsError) {
    EXPECT_EQ(EDeviceError("Device not opened.", 1).OsError(), 0);
    EXPECT_EQ(EDeviceError("Cannot open device ttyS0", 65535, ENOENT).OsError(), ENOENT);
}

}  // namespace
