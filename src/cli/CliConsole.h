// What tarnel-cli shows on standard error while it works: the progress line, the exchange log
// and its notes, kept apart so that a log line never lands inside the progress line.
#pragma once

#include <string>
#include <vector>

#include "cli/ConsoleText.h"
#include "control/DeviceView.h"
#include "log/LogWriter.h"

struct TConsoleSettings {
    // Standard error is a terminal: the progress line is drawn.
    bool Terminal = false;
    bool Quiet = false;
    // The exchange lines go out (--log).
    bool Log = false;
    // The module keeps its own number whatever a file says (--keep-number).
    bool KeepNumber = false;
};

// Set by the stop signals; the operation stops after its command and the module is released.
bool StopRequested();
// The signal that asked the stop, 0 when none did.
int StopSignal();
// SIGINT, SIGTERM and SIGHUP ask the running command to stop.
void InstallStopSignals();

// "Запись: Реле 2  214/536".
std::string ProgressLine(const TOperationProgress& progress);

class TConsole : public IDeviceView, public TLogWriter {
  public:
    explicit TConsole(const TConsoleSettings& settings);
    ~TConsole() override;
    TConsole(const TConsole&) = delete;
    TConsole& operator=(const TConsole&) = delete;

    // A line of the program for the user ("tarnel-cli: …"); after --quiet only errors are said.
    void Note(const std::string& text);
    void Error(const std::string& text);

    void SetProgressPosition(int /*position*/) override {}
    void SetProgressMin(int /*minimum*/) override {}
    void SetProgressMax(int /*maximum*/) override {}
    void SetProgressStep(int /*step*/) override {}
    void StepProgressBar() override {}
    void ShowProgress() override {}
    void HideProgress() override;
    void SetOperationProgress(const TOperationProgress& progress) override;
    void SetVersionText(const std::string& /*version*/) override {}
    void ProcessMessages() override {}
    bool CancelRequested() override { return StopRequested(); }
    TRenumberAnswer ConfirmRenumber(int from, int to) override;

    void WriteInfo(const std::string& text) override;
    void WriteError(const std::string& text) override;
    void WriteMessage(const std::string& text) override;
    void WriteData(const std::string& caption, const std::string& data, TColor color) override;
    void WriteDataLines(const std::string& caption, const std::vector<std::string>& lines,
                        TColor color) override;

  private:
    void LogLine(const std::string& text);
    void Line(const std::string& text);

    TConsoleSettings m_settings;
    // Characters (not bytes) of the progress line on screen, 0 when none is.
    std::size_t m_drawnWidth = 0;
};
