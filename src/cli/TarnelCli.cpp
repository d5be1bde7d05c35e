// tarnel-cli: reads, writes and compares a module's settings without a window, for scripts and
// batch provisioning. Exit status: 0 done, 1 the module differs or did not take a write, 2 error,
// 3 a scan that no number answered, 128 + the signal's number when a signal stopped it (after the
// module was released).
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "backup/BackupStore.h"
#include "cli/CliConsole.h"
#include "cli/CliOptions.h"
#include "cli/ModuleSettingsFile.h"
#include "cli/ScanCommand.h"
#include "cli/SettingsTable.h"
#include "control/DeviceController.h"
#include "control/ModulePort.h"
#include "ini/FileErrorMessage.h"
#include "ini/IniFile.h"
#include "model/ModuleCompare.h"
#include "model/RelayCaptions.h"
#include "serial/DeviceErrorText.h"
#include "serial/SerialErr.h"
#include "serial/SerialPortInfo.h"

namespace {

constexpr int kExitDiffers = 1;
constexpr int kExitFailed = 2;
const char kProgramVersion[] = "tarnel-cli " TARNEL_VERSION;

// A failure that ends the program with one line on standard error.
class ECliFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

// Everything a command prints goes out at once; a standard output that takes it not (a full disk,
// a closed pipe) is an error of the command.
void PrintOut(const std::string& text) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (!written || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        const int error = errno != 0 ? errno : EIO;
        throw ECliFailure("Не удалось записать стандартный вывод: " +
                          FileErrorReason("", error, true));
    }
}

std::string ReadStandardInput() {
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        text.append(buffer, got);
    }
    if (std::ferror(stdin) != 0) {
        throw ECliFailure("Не удалось прочитать стандартный ввод");
    }
    return text;
}

// A read must not end in a file it cannot write: the target is checked as the commit will need
// it (a regular file or none, writable, in a folder that takes a new file) before the module is
// asked anything.
void CheckOutputFile(const std::string& path) {
    const std::string folder =
        path.find('/') == std::string::npos ? "." : path.substr(0, path.find_last_of('/') + 1);
    auto refuse = [&](const std::string& why) { throw ECliFailure(why + " Модуль не читался."); };
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            refuse(FileErrorMessage(path, EISDIR, true));
        }
        // A commit replaces the file by a rename, which would put a plain file in place of a
        // device or a pipe.
        if (!S_ISREG(info.st_mode)) {
            refuse("Не удалось записать файл " + path +
                   ": это не обычный файл. Укажите файл или --output - для вывода.");
        }
        if (::access(path.c_str(), W_OK) != 0) {
            refuse(FileErrorMessage(path, errno, true));
        }
    } else if (errno != ENOENT) {
        refuse(FileErrorMessage(path, errno, true));
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        refuse(FileErrorMessage(path, errno, true));
    }
}

THeldSettings LoadSettingsArgument(const std::string& fileName) {
    if (fileName == kStandardStream) {
        return LoadHeldSettingsText("(стандартный ввод)", ReadStandardInput());
    }
    return LoadHeldSettingsFile(fileName);
}

std::string OpenFailureText(const std::string& port, const EDeviceError& error) {
    const std::string reason = OpenFailureReason(port, error);
    std::string text = "Не удалось открыть порт " + port;
    return reason.empty() ? text : text + ": " + reason;
}

// One session with the module: the port opened, the version checked, and the release sequence
// sent at the end whatever happens, unless the port itself is gone.
class TSession {
  public:
    TSession(const TCliOptions& options, TConsole& console) : m_console(console) {
        // Until the module is reached a signal ends the program at once, as any program: a
        // write waiting for its standard input must give way to Ctrl+C.
        InstallStopSignals();
        TConnectResult connection;
        Run([&] {
            connection = TDeviceController::Connect(m_port, options.Port, options.TimeoutMs,
                                                    console, options.ObjectNumber, console);
        });
        m_controller = std::move(connection.Controller);
        if (connection.Failure == TConnectFailure::PortNotOpened) {
            try {
                std::rethrow_exception(connection.OpenError);
            } catch (const EDeviceError& error) {
                throw ECliFailure(OpenFailureText(options.Port, error));
            }
        }
        if (connection.Failure != TConnectFailure::None) {
            // The module was let go after the failed check; a release that failed is said first.
            m_ended = true;
            if (connection.ReleaseError) {
                try {
                    std::rethrow_exception(connection.ReleaseError);
                } catch (const EDeviceError& error) {
                    m_console.Error("модуль не отпущен: " + DeviceErrorText(error));
                }
            }
            const std::string number = std::to_string(options.ObjectNumber);
            throw ECliFailure(connection.Failure == TConnectFailure::OtherVersion
                                  ? "Модуль с номером " + number + " ответил другой версией: \"" +
                                        connection.VersionAnswer + "\""
                                  : "Модуль с номером " + number +
                                        " не отвечает: проверьте номер объекта и кабель");
        }
    }
    ~TSession() { Release(); }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    TDeviceController& Controller() { return *m_controller; }

    // Runs an exchange; a failing port ends the session without the release, which could only
    // fail again and say so a second time.
    template <typename TBody>
    void Run(TBody body) {
        try {
            body();
        } catch (const EDeviceError&) {
            m_ended = true;
            throw;
        }
    }

    // Reads every page; false when a read failed or the operation stopped.
    bool ReadModule(TModuleSettings& module) {
        m_controller->ClearErrors();
        Run([&] { m_controller->ReadModule(module); });
        return ReportErrors();
    }

    // Says the error lines of the last operation and what it left; true when it ran whole.
    bool ReportErrors() {
        for (const std::string& line : m_controller->GetErrors()) {
            m_console.Error(line);
        }
        for (const std::string& line : m_controller->GetNotes()) {
            m_console.Note(line);
        }
        return m_controller->Completed();
    }

  private:
    void Release() {
        if (!m_controller || m_ended) {
            return;
        }
        try {
            m_controller->ReleaseDevice();
        } catch (const EDeviceError& error) {
            m_console.Error("модуль не отпущен: " + DeviceErrorText(error));
        }
        m_ended = true;
    }

    TConsole& m_console;
    TComPort m_port;
    std::unique_ptr<TDeviceController> m_controller;
    // The module was released, or the port failed: nothing more goes out.
    bool m_ended = false;
};

TModuleSettings ReadWholeModule(const TCliOptions& options, TConsole& console,
                                const char* whatIsLeft) {
    TModuleSettings module;
    TSession session(options, console);
    if (!session.ReadModule(module)) {
        throw ECliFailure(std::string("Модуль прочитан не полностью; ") + whatIsLeft);
    }
    return module;
}

// Each value of the file that the module does not hold, "Различий: N" at the end.
int PrintDifferences(const TModuleSettings& module, const THeldSettings& file) {
    const std::vector<TSettingsDifference> differences =
        CompareSettings(module, OverlaidSettings(module, file.Values, file.Held));
    std::string text;
    for (const TSettingsDifference& difference : differences) {
        text += difference.Text("в файле") + "\n";
    }
    PrintOut(text + "Различий: " + std::to_string(differences.size()) + "\n");
    return differences.empty() ? 0 : kExitDiffers;
}

int RunRead(const TCliOptions& options, TConsole& console) {
    const bool toStandardOutput = options.Output.empty() || options.Output == kStandardStream;
    if (!toStandardOutput) {
        CheckOutputFile(options.Output);
    }
    const TModuleSettings module = ReadWholeModule(options, console, "файл не записан");
    if (toStandardOutput) {
        PrintOut(FormatModuleSettings(module));
        return 0;
    }
    try {
        SaveModuleSettingsFile(options.Output, module);
    } catch (const EIniFileError& error) {
        throw ECliFailure(FileErrorMessage(options.Output, error.OsError(), true));
    }
    return 0;
}

int RunShow(const TCliOptions& options, TConsole& console) {
    PrintOut(SettingsTable(ReadWholeModule(options, console, "настройки не показаны")));
    return 0;
}

// The one line of a port that failed in the middle of a write: why, and what the module got.
std::string InterruptedWriteText(const EDeviceError& error, const TDeviceController& controller,
                                 const std::vector<std::string>& pages) {
    const std::vector<std::string>& finished = controller.FinishedPages();
    std::vector<std::string> left;
    for (const std::string& page : pages) {
        if (std::find(finished.begin(), finished.end(), page) == finished.end()) {
            left.push_back(page == controller.OperationPage() ? page + " (не полностью)" : page);
        }
    }
    std::string text = "Запись прервана: " + DeviceErrorText(error) + ". ";
    text += finished.empty() ? "Ничего не записано полностью" : "Записаны: " + Joined(finished);
    return text + (left.empty() ? "" : "; не записаны: " + Joined(left));
}

// A backup that cannot be made keeps the module as it is.
[[noreturn]] void RefuseWithoutBackup(const std::exception& error) {
    throw ECliFailure(std::string(error.what()) +
                      " Запись не выполнена (--no-backup пишет без резервной копии).");
}

int RunWrite(const TCliOptions& options, TConsole& console) {
    THeldSettings file = LoadSettingsArgument(options.File);
    if (options.KeepNumber) {
        file.Values.Common.ObjectNumber = std::to_string(options.ObjectNumber);
    }
    // The folder is checked before the module is reached, so that a folder that takes no copy
    // costs no exchange at all.
    std::optional<TBackupStore> backups;
    if (!options.NoBackup) {
        backups.emplace(TBackupStore::DefaultFolder());
        try {
            backups->CheckWritable();
        } catch (const std::runtime_error& error) {
            RefuseWithoutBackup(error);
        }
    }
    TSession session(options, console);
    TDeviceController& controller = session.Controller();
    TModuleValueSet toWrite = file.Held;
    // One read serves both the write of changes and the backup.
    TModuleSettings module;
    if (options.Changed || backups) {
        if (!session.ReadModule(module)) {
            throw ECliFailure("Модуль прочитан не полностью; запись не выполнена");
        }
    }
    if (options.Changed) {
        toWrite = DifferingPlaces(file.Held, file.Values, module);
    }
    console.Note("значений в файле: " + std::to_string(file.Held.Size()) +
                 ", будет записано: " + std::to_string(toWrite.Size()));
    if (backups && !toWrite.Empty()) {
        try {
            const auto path =
                backups->Save(module, options.ObjectNumber, controller.VersionAnswer(),
                              std::chrono::system_clock::now());
            console.Note("резервная копия: " + path.string());
        } catch (const std::runtime_error& error) {
            RefuseWithoutBackup(error);
        }
    }
    if (!toWrite.Empty()) {
        controller.ClearErrors();
        try {
            session.Run([&] { controller.WriteModule(file.Values, nullptr, &toWrite); });
        } catch (const EDeviceError& error) {
            throw ECliFailure(InterruptedWriteText(error, controller, PagesOf(toWrite)));
        }
        if (!session.ReportErrors()) {
            return kExitDiffers;
        }
    }
    if (options.Verify && !StopRequested()) {
        // Whatever stops the check, the module took the writes; the message says both.
        const std::string taken = "Запись принята модулем, но проверка не выполнена: ";
        TModuleSettings readBack;
        bool readWhole = false;
        try {
            readWhole = session.ReadModule(readBack);
        } catch (const EDeviceError& error) {
            throw ECliFailure(taken + DeviceErrorText(error));
        } catch (const std::exception& error) {
            throw ECliFailure(taken + error.what());
        }
        if (!readWhole) {
            throw ECliFailure(taken + "модуль прочитан не полностью");
        }
        if (PrintDifferences(readBack, file) != 0) {
            console.Error("Запись принята модулем, но проверка нашла различия с файлом");
            return kExitDiffers;
        }
    }
    return 0;
}

int RunDiff(const TCliOptions& options, TConsole& console) {
    THeldSettings file = LoadSettingsArgument(options.File);
    const TModuleSettings module = ReadWholeModule(options, console, "сравнение не выполнено");
    if (options.KeepNumber) {
        file.Values.Common.ObjectNumber = module.Common.ObjectNumber;
    }
    return PrintDifferences(module, file);
}

// One backup a line, newest first: object number, version, time and path, tab-separated as the
// ports are, for scripts.
int RunBackups(const TCliOptions& options) {
    const TBackupStore store(TBackupStore::DefaultFolder());
    std::string text;
    for (const TBackupEntry& entry : store.List(
             options.ObjectNumber < 0 ? std::nullopt : std::optional<int>(options.ObjectNumber))) {
        text += std::to_string(entry.ObjectNumber) + "\t" + entry.Version + "\t" + entry.Time +
                "\t" + entry.Path.string() + "\n";
    }
    PrintOut(text);
    return 0;
}

// One port a line: the name the tool opens, a tab, and what the system knows of the port.
int RunPorts() {
    std::string text;
    for (const TSerialPortInfo& port : ListSerialPorts()) {
        text += port.Name + "\t" + port.Description() + "\n";
    }
    PrintOut(text);
    return 0;
}

int RunCommand(const TCliOptions& options, TConsole& console) {
    if (options.Command == "read") {
        return RunRead(options, console);
    }
    if (options.Command == "show") {
        return RunShow(options, console);
    }
    if (options.Command == "write") {
        return RunWrite(options, console);
    }
    if (options.Command == "diff") {
        return RunDiff(options, console);
    }
    if (options.Command == "scan") {
        return RunScan(options, console, PrintOut);
    }
    if (options.Command == "backups") {
        return RunBackups(options);
    }
    return RunPorts();
}

TCliEnvironment ShellDefaults() {
    TCliEnvironment environment;
    if (const char* port = std::getenv("TARNEL_PORT")) {
        environment.Port = port;
    }
    if (const char* object = std::getenv("TARNEL_OBJECT")) {
        environment.ObjectNumber = object;
    }
    return environment;
}

}  // namespace

int main(int argc, char** argv) {
    TCliOptions options;
    try {
        options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), ShellDefaults());
    } catch (const ECliUsage& error) {
        std::fprintf(stderr, "tarnel-cli: %s (tarnel-cli --help)\n", error.what());
        return kExitFailed;
    }
    int status = kExitFailed;
    try {
        if (options.Command == "help") {
            PrintOut(CliHelp(options.HelpTopic));
            return 0;
        }
        if (options.Command == "version") {
            PrintOut(std::string(kProgramVersion) + "\n");
            return 0;
        }
        TConsoleSettings settings;
        settings.Terminal = ::isatty(STDERR_FILENO) == 1;
        settings.Quiet = options.Quiet;
        settings.Log = options.Log;
        settings.KeepNumber = options.KeepNumber;
        TConsole console(settings);
        try {
            status = RunCommand(options, console);
        } catch (const EDeviceError& error) {
            console.Error(DeviceErrorText(error));
        } catch (const EIniFileError& error) {
            console.Error(FileErrorMessage(error.FileName(), error.OsError(), true));
        } catch (const std::exception& error) {
            console.Error(error.what());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnel-cli: %s\n", error.what());
    }
    // A stopped run says so in its status, after the module was released above.
    return StopRequested() ? 128 + StopSignal() : status;
}
