// Times "read all", "write all" and "write changes" of five values through the whole tool against
// the emulator paced like a 19200-baud line, and prints each as a ratio to the line time of the
// bytes exchanged, and "write changes" as a share of "write all". The CPU time per command (the
// module's "> " lines in the transcript) is the whole process's, which holds the emulator's
// serving thread too, and the GUI thread's own.
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "emulator/ModuleEmulator.h"
#include "emulator/Transcript.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "shell/AppErrorReport.h"
#include "shell/ConnectDialog.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/QtSyncDispatcher.h"
#include "transport/ModuleLine.h"
#include "widgets/StoredControls.h"

namespace {

constexpr double kBitsPerByte = 10.0;
constexpr double kBaudRate = kModuleBaudRate;

// Bytes that crossed the line in both directions, counted from the transcript's given line on,
// and the commands among them.
std::size_t LineBytes(const std::string& transcript, std::size_t fromLine, std::size_t& lines,
                      std::size_t& commands) {
    std::ifstream file(transcript);
    std::string line;
    std::size_t bytes = 0;
    lines = 0;
    commands = 0;
    while (std::getline(file, line)) {
        if (lines++ >= fromLine && line.size() >= 2) {
            bytes += EscapedByteCount(line.substr(2));
            commands += line.starts_with("> ") ? 1 : 0;
        }
    }
    return bytes;
}

double CpuMs(clockid_t clock) {
    timespec time{};
    clock_gettime(clock, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TApplication app(argc, argv);
    TQtSyncDispatcherScope syncDispatcher;
    SetErrorReporter([](const QString& text) {
        std::fprintf(stderr, "error: %s\n", text.toUtf8().constData());
    });

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tarnel-bench-e2e";
    std::filesystem::create_directories(dir);
    const std::string transcript = (dir / "transcript.txt").string();

    TEmulatorOptions options;
    options.Pacing = true;
    options.TranscriptFile = transcript;
    TModuleEmulator module(options, PowerUpState(10));

    TMainWindow mainForm;
    TProgressWindow progress(&mainForm);
    TFormsController controller(mainForm, progress, (dir / "current.ini").string());
    mainForm.Controller = &controller;
    mainForm.show();
    controller.RunConnectDialog = [&module](TConnectDialog& dialog) {
        dialog.ComPorts->setEditText(QString::fromStdString(module.DevicePath()));
        dialog.etObjN->setText("10");
        return true;
    };
    controller.RunErrorWindow = [](TErrorListWindow&) {};
    // The pages keep the module's number, so no write renumbers it.
    controller.CommonPage()->etO->setText("10");
    controller.Connect();
    if (!controller.IsConnected()) {
        std::fprintf(stderr, "could not connect to the emulator\n");
        return 1;
    }

    std::size_t lines = 0;
    std::size_t commandCount = 0;
    LineBytes(transcript, 0, lines, commandCount);
    struct TCommand {
        const char* name;
        void (TMainWindow::*handler)();
        // Run before the timing starts.
        std::function<void()> prepare;
    };
    // Five values changed on the pages, as an installer changes a few reactions on site.
    auto changeFiveValues = [&controller] {
        for (int n = 1; n <= 5; ++n) {
            TRelaySettings settings = controller.RelayPage(n)->Settings();
            NextReaction(settings.Zone(zeAlarm, n));
            controller.RelayPage(n)->ShowSettings(settings);
        }
    };
    // The first operation of the program also shows the progress window for the first time and
    // lays out its fonts' glyphs; it is timed on a line of its own, and the figures after it are
    // those of every later command.
    const TCommand commands[] = {{"read 1st", &TMainWindow::ReadAllPages, {}},
                                 {"read all", &TMainWindow::ReadAllPages, {}},
                                 {"write all", &TMainWindow::WriteAllPages, {}},
                                 {"changes", &TMainWindow::WriteChangesToModule, changeFiveValues}};
    // "µ" takes two bytes and one column.
    std::printf("%-10s %10s %12s %12s %8s %8s %15s %15s\n", "command", "bytes", "measured ms",
                "line ms", "ratio", "commands", "CPU µs/cmd", "GUI CPU µs/cmd");
    double writeAllMs = 0;
    for (const TCommand& command : commands) {
        if (command.prepare) {
            command.prepare();
        }
        const std::size_t firstLine = lines;
        const double processStart = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        const double threadStart = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        QElapsedTimer timer;
        timer.start();
        (mainForm.*command.handler)();
        const double measuredMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        const double processMs = CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processStart;
        const double threadMs = CpuMs(CLOCK_THREAD_CPUTIME_ID) - threadStart;
        const std::size_t bytes = LineBytes(transcript, firstLine, lines, commandCount);
        const double lineMs = static_cast<double>(bytes) * kBitsPerByte / kBaudRate * 1000.0;
        const double perCommand =
            1000.0 / static_cast<double>(std::max<std::size_t>(commandCount, 1));
        std::printf("%-10s %10zu %12.1f %12.1f %8.3f %8zu %14.1f %14.1f\n", command.name, bytes,
                    measuredMs, lineMs, measuredMs / lineMs, commandCount, processMs * perCommand,
                    threadMs * perCommand);
        if (command.handler == &TMainWindow::WriteAllPages) {
            writeAllMs = measuredMs;
        } else if (command.handler == &TMainWindow::WriteChangesToModule) {
            std::printf("\"Записать изменения\" of five values takes %.3f of \"Записать всё\"\n",
                        measuredMs / writeAllMs);
        }
    }
    controller.Disconnect();
    controller.Shutdown();
    std::filesystem::remove_all(dir);
    return 0;
}
