// Reasons and fixes for failed opens, read from the OS error and the device, process and port
// trees.
#include "serial/SerialAdvice.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "serial/SerialEnum.h"
#include "serial/SerialPortInfo.h"

namespace {

namespace fs = std::filesystem;

struct THolder {
    long Pid = 0;
    std::string Program;
};

// The program name /proc shows for a process, or nothing when it shows none.
std::optional<std::string> ProgramOf(long pid, const TSerialAdviceRoots& roots) {
    std::ifstream comm(roots.ProcDir + "/" + std::to_string(pid) + "/comm");
    std::string name;
    if (!std::getline(comm, name) || name.empty())
        return std::nullopt;
    return name;
}

bool IsPid(const std::string& name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

// Which process holds the device: the one its UUCP lock file names, else the first whose open
// files include it.
std::optional<THolder> HolderOf(const std::string& devicePath, const TSerialAdviceRoots& roots) {
    const long lockOwner =
        UucpLockOwner(roots.LockDir + "/" + UucpLockName(devicePath, roots.DevDir));
    if (lockOwner > 0) {
        if (auto program = ProgramOf(lockOwner, roots))
            return THolder{lockOwner, *program};
    }
    struct stat device {};
    if (::stat(devicePath.c_str(), &device) != 0)
        return std::nullopt;
    std::error_code error;
    for (const fs::directory_entry& process : fs::directory_iterator(roots.ProcDir, error)) {
        const std::string name = process.path().filename().string();
        if (!IsPid(name))
            continue;
        std::error_code fdError;
        // Other users' open files stay hidden unless we are root; those are passed over.
        for (const fs::directory_entry& fd :
             fs::directory_iterator(process.path() / "fd", fdError)) {
            struct stat target {};
            if (::stat(fd.path().c_str(), &target) == 0 && target.st_dev == device.st_dev &&
                target.st_ino == device.st_ino) {
                const long pid = std::stol(name);
                if (auto program = ProgramOf(pid, roots))
                    return THolder{pid, *program};
            }
        }
    }
    return std::nullopt;
}

std::string NoPermissionAdvice(const std::string& portName, const std::string& devicePath) {
    struct stat device {};
    const group* owner =
        ::stat(devicePath.c_str(), &device) == 0 ? ::getgrgid(device.st_gid) : nullptr;
    // Joining root's group is no advice to give; an administrator has to open the device up.
    if (owner == nullptr || device.st_gid == 0) {
        return "Нет прав на порт " + portName +
               ": попросите администратора открыть вам доступ к устройству " + devicePath + ".";
    }
    const std::string group = owner->gr_name;
    return "Нет прав на порт " + portName + ": он доступен группе " + group +
           " — выполните «sudo usermod -aG " + group + " $USER» и войдите в систему заново.";
}

std::string BusyAdvice(const std::string& portName, const std::string& devicePath,
                       const TSerialAdviceRoots& roots) {
    // A lock file whose process has ended blocks the port only because this user may not remove
    // it (a program run as root left it): the way out is to remove it, not to close a program.
    // The open stops at such a file before it looks at who has the device open.
    const std::string lockFile = roots.LockDir + "/" + UucpLockName(devicePath, roots.DevDir);
    const pid_t owner = UucpLockOwner(lockFile);
    if (owner > 0 && !fs::exists(fs::path(roots.ProcDir) / std::to_string(owner)) &&
        !ProcessIsAlive(owner)) {
        return "Порт " + portName + " закрыт файлом блокировки " + lockFile +
               ", оставшимся от завершённой программы (процесс " + std::to_string(owner) +
               "), а удалить его у вас нет прав: выполните «sudo rm " + lockFile +
               "» и подключитесь снова.";
    }
    if (const auto holder = HolderOf(devicePath, roots)) {
        return "Порт " + portName + " занят программой " + holder->Program + " (процесс " +
               std::to_string(holder->Pid) + "): закройте её и подключитесь снова.";
    }
    return "Порт " + portName + " занят другой программой: закройте её и подключитесь снова.";
}

std::string NotFoundAdvice(const std::string& portName, const TSerialAdviceRoots& roots) {
    std::vector<std::string> ports;
    try {
        EnumComPorts(ports, roots.TtyClassDir);
    } catch (const EDeviceError&) {
        // A system without the tty class lists no ports.
        ports.clear();
    }
    if (ports.empty()) {
        return "Порт " + portName +
               " не найден, и последовательных портов в системе нет: проверьте, подключён ли "
               "кабель.";
    }
    std::string list;
    for (const std::string& port : ports)
        list += (list.empty() ? "" : ", ") + port;
    return "Порт " + portName + " не найден: проверьте кабель или выберите один из имеющихся " +
           "портов: " + list + ".";
}

std::string AdviceFor(const std::string& portName, int osError, const TSerialAdviceRoots& roots) {
    const std::string devicePath = SerialDevicePath(portName, roots.DevDir);
    switch (osError) {
        case EACCES:
        case EPERM:
            return NoPermissionAdvice(portName, devicePath);
        case EBUSY:
        // flock's EWOULDBLOCK is EAGAIN on Linux.
        case EAGAIN:
            return BusyAdvice(portName, devicePath, roots);
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return NotFoundAdvice(portName, roots);
        case ENOTTY:
            return "Устройство " + portName +
                   " не является последовательным портом: выберите порт вида ttyUSB0 или ttyS0.";
        default:
            return "";
    }
}

}  // namespace

std::string OpenFailureAdvice(const std::string& portName, const EDeviceError& error) {
    return OpenFailureAdvice(portName, error, TSerialAdviceRoots{});
}

std::string OpenFailureAdvice(const std::string& portName, const EDeviceError& error,
                              const TSerialAdviceRoots& roots) {
    // The advice only adds to the open error; a process or folder vanishing while it looks (a
    // /proc entry, a port unplugged) must not replace that error with its own.
    try {
        return AdviceFor(portName, error.OsError(), roots);
    } catch (const std::exception&) {
        return "";
    }
}