// Only plain characters reach the terminal: the progress line is drawn with a carriage return
// and cleared with blanks, so a dumb terminal or a log file never sees an escape sequence.
#include "cli/CliConsole.h"

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

void OnStopSignal(int signalNumber) {
    g_stopSignal = signalNumber;
}

}  // namespace

bool StopRequested() {
    return g_stopSignal != 0;
}

int StopSignal() {
    return g_stopSignal;
}

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes of the port go on after the handler: the command finishes, then stops.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

std::string ProgressLine(const TOperationProgress& progress) {
    std::string line = progress.Operation;
    if (!progress.Page.empty()) {
        line += ": " + progress.Page;
    }
    return line + "  " + std::to_string(progress.Done) + "/" + std::to_string(progress.Total);
}

TConsole::TConsole(const TConsoleSettings& settings) : m_settings(settings) {}

TConsole::~TConsole() {
    HideProgress();
}

void TConsole::Note(const std::string& text) {
    if (!m_settings.Quiet) {
        Line("tarnel-cli: " + text);
    }
}

void TConsole::Error(const std::string& text) {
    Line("tarnel-cli: " + text);
}

void TConsole::HideProgress() {
    if (m_drawnWidth > 0) {
        std::fprintf(stderr, "\r%s\r", std::string(m_drawnWidth, ' ').c_str());
        std::fflush(stderr);
        m_drawnWidth = 0;
    }
}

void TConsole::SetOperationProgress(const TOperationProgress& progress) {
    if (!m_settings.Terminal || m_settings.Quiet || progress.Total <= 0) {
        return;
    }
    const std::string line = ProgressLine(progress);
    const std::size_t width = TextWidth(line);
    // A shorter line than the last one leaves no characters of it behind.
    const std::size_t padding = m_drawnWidth > width ? m_drawnWidth - width : 0;
    std::fprintf(stderr, "\r%s%s", line.c_str(), std::string(padding, ' ').c_str());
    std::fflush(stderr);
    m_drawnWidth = width + padding;
}

// The renumbering itself is said by the command's notes once the module took the new number.
TRenumberAnswer TConsole::ConfirmRenumber(int /*from*/, int /*to*/) {
    return m_settings.KeepNumber ? TRenumberAnswer::KeepNumber : TRenumberAnswer::Renumber;
}

void TConsole::WriteInfo(const std::string& text) {
    LogLine(text);
}

void TConsole::WriteError(const std::string& text) {
    LogLine("! " + text);
}

void TConsole::WriteMessage(const std::string& text) {
    LogLine(text);
}

void TConsole::WriteData(const std::string& caption, const std::string& data, TColor /*color*/) {
    LogLine(caption + " " + data);
}

void TConsole::WriteDataLines(const std::string& caption, const std::vector<std::string>& lines,
                              TColor /*color*/) {
    LogLine(caption);
    for (const std::string& line : lines) {
        LogLine("    " + line);
    }
}

void TConsole::LogLine(const std::string& text) {
    if (m_settings.Log) {
        Line(VisibleText(text));
    }
}

void TConsole::Line(const std::string& text) {
    HideProgress();
    std::fprintf(stderr, "%s\n", text.c_str());
}
