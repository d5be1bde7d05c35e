// tarnel-cli: reads, writes and compares a module's settings without a window, for scripts and
// batch provisioning. Exit status: 0 done, 1 the module differs or did not take a write, 2 error.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>

#include "CliOptions.h"
#include "ComPortWorker.h"
#include "DeviceController.h"
#include "DeviceView.h"
#include "IniFile.h"
#include "LogWriter.h"
#include "ModuleCompare.h"
#include "ModuleSettingsFile.h"
#include "RelayCaptions.h"
#include "SerialAdvice.h"
#include "SerialErr.h"
#include "SerialPortInfo.h"

namespace {

constexpr int kExitDiffers = 1;
constexpr int kExitFailed = 2;
const char kProgramVersion[] = "tarnel-cli " TARNEL_VERSION;

// Set by SIGINT and SIGTERM: the operation stops after its command and the module is released.
volatile std::sig_atomic_t g_stopRequested = 0;

void OnStopSignal(int /*signalNumber*/) {
    g_stopRequested = 1;
}

// A failure that ends the program with one line on standard error.
class ECliFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A progress bar on standard error when it is a terminal, nothing otherwise.
class TConsoleView : public IDeviceView {
  public:
    // With keepNumber the module's own number is kept whatever the file says.
    explicit TConsoleView(bool keepNumber)
        : m_terminal(::isatty(STDERR_FILENO) == 1), m_keepNumber(keepNumber) {}
    void SetProgressPosition(int position) override { m_position = position; }
    void SetProgressMin(int /*minimum*/) override {}
    void SetProgressMax(int maximum) override { m_maximum = maximum; }
    void SetProgressStep(int /*step*/) override {}
    void StepProgressBar() override {
        ++m_position;
        Draw();
    }
    void ShowProgress() override {}
    void HideProgress() override {
        if (m_terminal && m_drawn) {
            std::fputs("\r\033[K", stderr);
            m_drawn = false;
        }
    }
    void SetVersionText(const std::string& /*version*/) override {}
    void ProcessMessages() override {}
    bool CancelRequested() override { return g_stopRequested != 0; }
    // Said when the new number is about to go out, not before: a run that fails to connect has
    // renumbered nothing.
    TRenumberAnswer ConfirmRenumber(int from, int to) override {
        if (m_keepNumber) {
            return TRenumberAnswer::KeepNumber;
        }
        HideProgress();
        std::fprintf(stderr, "tarnel-cli: модуль перенумерован с %d на %d\n", from, to);
        return TRenumberAnswer::Renumber;
    }

  private:
    void Draw() {
        if (!m_terminal || m_maximum <= 0) {
            return;
        }
        constexpr int kWidth = 40;
        const int filled = kWidth * std::min(m_position, m_maximum) / m_maximum;
        std::fprintf(stderr, "\r[%s%s] %d/%d", std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, ' ').c_str(), m_position, m_maximum);
        m_drawn = true;
    }

    bool m_terminal;
    bool m_keepNumber;
    bool m_drawn = false;
    int m_position = 0;
    int m_maximum = 0;
};

// The exchange lines of the window's log, as plain text on standard error, or nothing.
class TConsoleLog : public TLogWriter {
  public:
    explicit TConsoleLog(bool enabled) : m_enabled(enabled) {}
    void WriteInfo(const std::string& text) override { Line(text); }
    void WriteError(const std::string& text) override { Line("! " + text); }
    void WriteMessage(const std::string& text) override { Line(text); }
    void WriteData(const std::string& caption, const std::string& data, TColor) override {
        Line(caption + " " + data);
    }
    void WriteDataLines(const std::string& caption, const std::vector<std::string>& lines,
                        TColor) override {
        Line(caption);
        for (const std::string& line : lines) {
            Line("    " + line);
        }
    }

  private:
    void Line(const std::string& text) {
        if (m_enabled) {
            std::fprintf(stderr, "%s\n", text.c_str());
        }
    }
    bool m_enabled;
};

// One session with the module: the port opened, the version checked, and the release sequence
// sent at the end whatever happens.
class TSession {
  public:
    TSession(const TCliOptions& options, TLogWriter& log, IDeviceView& view) {
        try {
            m_worker.Open(options.Port, br19200, options.TimeoutMs);
        } catch (const EDeviceError& error) {
            std::string text = error.what();
            if (const std::string advice = OpenFailureAdvice(options.Port, error);
                !advice.empty()) {
                text += ". " + advice;
            }
            throw ECliFailure(text);
        }
        m_controller =
            std::make_unique<TDeviceController>(m_worker, log, options.ObjectNumber, view);
        if (!m_controller->CheckVersion()) {
            // The window lets the module go after a failed check too; the object never
            // finishes construction, so its destructor would not.
            try {
                m_controller->ReleaseDevice();
            } catch (const std::exception&) {
            }
            const std::string number = std::to_string(options.ObjectNumber);
            throw ECliFailure(m_controller->VersionAnswered()
                                  ? "Модуль с номером " + number + " ответил другой версией: \"" +
                                        m_controller->VersionAnswer() + "\""
                                  : "Модуль с номером " + number +
                                        " не отвечает: проверьте номер объекта и кабель");
        }
    }
    ~TSession() {
        try {
            if (m_controller) {
                m_controller->ReleaseDevice();
            }
        } catch (const std::exception& error) {
            std::fprintf(stderr, "tarnel-cli: %s\n", error.what());
        }
    }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    TDeviceController& Controller() { return *m_controller; }

    // Reads every page; false when a read failed or the operation stopped.
    bool ReadModule(TModuleSettings& module) {
        m_controller->ClearErrors();
        m_controller->ReadModule(module);
        return ReportErrors();
    }

    // Prints the error lines of the last operation, and after a stop what it left; true when
    // it ran whole.
    bool ReportErrors() {
        for (const std::string& line : m_controller->GetErrors()) {
            std::fprintf(stderr, "tarnel-cli: %s\n", line.c_str());
        }
        if (m_controller->Cancelled()) {
            for (const std::string& line : m_controller->GetNotes()) {
                std::fprintf(stderr, "tarnel-cli: %s\n", line.c_str());
            }
        }
        return m_controller->Completed();
    }

  private:
    TComPortWorker m_worker{true};
    std::unique_ptr<TDeviceController> m_controller;
};

TModuleSettings LoadFile(const std::string& fileName) {
    std::vector<std::string> replaced;
    TModuleSettings settings = LoadModuleSettingsFile(fileName, replaced);
    for (const std::string& line : replaced) {
        std::fprintf(stderr, "tarnel-cli: %s\n", line.c_str());
    }
    return settings;
}

// Prints each difference; gives the exit status of a comparison.
int PrintDifferences(const TModuleSettings& module, const TModuleSettings& file) {
    const std::vector<TSettingsDifference> differences = CompareSettings(module, file);
    for (const TSettingsDifference& difference : differences) {
        std::printf("%s\n", difference.Text().c_str());
    }
    return differences.empty() ? 0 : kExitDiffers;
}

void PrintSettings(const TModuleSettings& settings) {
    std::printf("Номер объекта: %s\n", settings.Common.ObjectNumber.c_str());
    for (const TRelaySettings& relay : settings.Relays) {
        std::printf("Реле %d: длительность %d\n", relay.Number, relay.Duration);
        auto row = [](const std::string& name, const TReactionRow& codes) {
            std::printf("  %-26s", name.c_str());
            for (TRelayReaction code : codes) {
                std::printf(" %d", code);
            }
            std::printf("\n");
        };
        for (TZoneEvent e : {zeAlarm, zeRestore, zeFault}) {
            row(std::string("Зоны / ") + ZoneRowCaption(e), relay.ZoneRow(e));
        }
        for (TPartitionEvent e : {peArm, peDisarm, peAlarm}) {
            row(std::string("Разделы / ") + PartitionRowCaption(e), relay.PartitionRow(e));
        }
        for (TRelayCondition c : {rcPanelLink, rcJournal, rcPower, rcFire, rcDelay}) {
            std::printf("  %s: %s %d, %s %d\n", ConditionCaption(c), ConditionStateCaption(c, true),
                        relay.YesOf(c), ConditionStateCaption(c, false), relay.NoOf(c));
        }
    }
    std::printf("Коды: 0 %s, 1 %s, 2 %s, 3 %s, 4 %s\n", ReactionName(0).c_str(),
                ReactionName(1).c_str(), ReactionName(2).c_str(), ReactionName(3).c_str(),
                ReactionName(4).c_str());
}

int RunRead(const TCliOptions& options, TLogWriter& log, IDeviceView& view) {
    TSession session(options, log, view);
    TModuleSettings module;
    if (!session.ReadModule(module)) {
        throw ECliFailure("Модуль прочитан не полностью; файл не записан");
    }
    if (options.Output.empty()) {
        PrintSettings(module);
    } else {
        SaveModuleSettingsFile(options.Output, module);
    }
    return 0;
}

int RunWrite(const TCliOptions& options, TLogWriter& log, IDeviceView& view) {
    TModuleSettings file = LoadFile(options.File);
    if (options.KeepNumber) {
        file.Common.ObjectNumber = std::to_string(options.ObjectNumber);
    }
    TSession session(options, log, view);
    TDeviceController& controller = session.Controller();
    TModuleSettings module;
    if (options.Changed && !session.ReadModule(module)) {
        throw ECliFailure("Модуль прочитан не полностью; запись не выполнена");
    }
    controller.ClearErrors();
    controller.WriteModule(file, options.Changed ? &module : nullptr);
    if (!session.ReportErrors()) {
        return kExitDiffers;
    }
    if (options.Verify) {
        TModuleSettings readBack;
        if (!session.ReadModule(readBack)) {
            throw ECliFailure("Проверка не выполнена: модуль прочитан не полностью");
        }
        return PrintDifferences(readBack, file);
    }
    return 0;
}

int RunDiff(const TCliOptions& options, TLogWriter& log, IDeviceView& view) {
    const TModuleSettings file = LoadFile(options.File);
    TSession session(options, log, view);
    TModuleSettings module;
    if (!session.ReadModule(module)) {
        throw ECliFailure("Модуль прочитан не полностью; сравнение не выполнено");
    }
    return PrintDifferences(module, file);
}

// One port a line: the name the tool opens, a tab, and what the system knows of the port.
int RunPorts() {
    for (const TSerialPortInfo& port : ListSerialPorts()) {
        std::printf("%s\t%s\n", port.Name.c_str(), port.Description().c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const TCliOptions options =
            ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.Command == "help") {
            std::fputs(kCliUsage, stdout);
            return 0;
        }
        if (options.Command == "version") {
            std::printf("%s\n", kProgramVersion);
            return 0;
        }
        std::signal(SIGINT, OnStopSignal);
        std::signal(SIGTERM, OnStopSignal);
        TConsoleLog log(options.Log);
        TConsoleView view(options.KeepNumber);
        if (options.Command == "read") {
            return RunRead(options, log, view);
        }
        if (options.Command == "write") {
            return RunWrite(options, log, view);
        }
        if (options.Command == "diff") {
            return RunDiff(options, log, view);
        }
        return RunPorts();
    } catch (const ECliUsage& error) {
        std::fprintf(stderr, "tarnel-cli: %s (tarnel-cli --help)\n", error.what());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnel-cli: %s\n", error.what());
    }
    return kExitFailed;
}
