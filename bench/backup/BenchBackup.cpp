// What the backup before a connection's first write costs against the emulator paced like a
// 19200-baud line: "Записать изменения" of one value and "Записать" of one page after "Читать
// всё", whose values serve the backup, and without it, when the whole module is read first; the
// save of the backup file
// alone; and tarnel-cli write with its backup, without it and with --changed, whose read serves
// the backup. The backups go to a scratch XDG_DATA_HOME.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "backup/BackupStore.h"
#include "emulator/ModuleEmulator.h"
#include "emulator/Transcript.h"
#include "pages/RelayPage.h"
#include "shell/AppErrorReport.h"
#include "shell/ConnectDialog.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/QtSyncDispatcher.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 3;
constexpr int kSaveRuns = 200;

// What crossed the line during one command, and how long the command took.
struct TFigures {
    std::size_t Commands = 0;
    std::size_t BytesIn = 0;
    // Both ways: what the line time is made of.
    std::size_t LineBytes = 0;
    double Ms = 0;
};

std::vector<std::string> TranscriptLines(const fs::path& transcript) {
    std::vector<std::string> lines;
    std::ifstream file(transcript);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Times the command and counts the transcript's lines it added.
TFigures Measure(const fs::path& transcript, const std::function<void()>& command) {
    const std::size_t from = TranscriptLines(transcript).size();
    QElapsedTimer timer;
    timer.start();
    command();
    TFigures figures;
    figures.Ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const std::vector<std::string> lines = TranscriptLines(transcript);
    for (std::size_t i = from; i < lines.size(); ++i) {
        const std::size_t bytes = EscapedByteCount(lines[i].substr(2));
        figures.LineBytes += bytes;
        if (lines[i].starts_with("> ")) {
            ++figures.Commands;
            figures.BytesIn += bytes;
        }
    }
    return figures;
}

// The run of median time.
TFigures Median(std::vector<TFigures> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const TFigures& a, const TFigures& b) { return a.Ms < b.Ms; });
    return runs[runs.size() / 2];
}

void PrintRow(const char* caption, const TFigures& f) {
    const double lineMs = static_cast<double>(f.LineBytes) * TModuleEmulator::kBitsPerByte /
                          TModuleEmulator::kBaudRate * 1000.0;
    std::printf("%-36s %8zu %8zu %10zu %10.2f", caption, f.Commands, f.BytesIn, f.LineBytes, f.Ms);
    if (lineMs > 0) {
        std::printf(" %7.3f", f.Ms / lineMs);
    }
    std::printf("\n");
}

TModuleSettings AsSettings(const TModuleState& state) {
    TModuleSettings settings;
    settings.Common.ObjectNumber = std::to_string(state.ObjectNumber);
    settings.Relays = state.Relays;
    return settings;
}

void StepOneCell(TFormsController& controller) {
    TRelaySettings settings = controller.RelayPage(1)->Settings();
    NextReaction(settings.Zone(zeAlarm, 1));
    controller.RelayPage(1)->ShowSettings(settings);
}

// "Записать изменения" of one value and "Записать" of relay 1 in fresh connections, after
// "Читать всё" or without it; then
// saves to `file` the module's values with one of them changed.
void TimeWindowWrites(const fs::path& dir, TModuleEmulator& module, const fs::path& file) {
    const fs::path transcript = dir / "transcript.txt";
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
    // The pages start as the module's values, so that one step of a cell is the one change.
    controller.Connect();
    mainForm.ReadAllPages();
    controller.Disconnect();

    // "Записать изменения" reads the module anyway; "Записать" of one page reads it only for the
    // backup, so the pair shows what the backup itself costs without a prior read.
    const struct {
        const char* AfterRead;
        const char* NothingRead;
        void (TMainWindow::*Command)();
    } commands[] = {
        {"(a) write changes after read all", "(b) write changes, nothing read",
         &TMainWindow::WriteChangesToModule},
        {"(d) write relay 1 after read all", "(e) write relay 1, nothing read",
         &TMainWindow::WritePage},
    };
    for (const auto& command : commands) {
        for (const bool readFirst : {true, false}) {
            std::vector<TFigures> runs;
            for (int run = 0; run < kRuns; ++run) {
                controller.Connect();
                if (readFirst) {
                    mainForm.ReadAllPages();
                }
                StepOneCell(controller);
                controller.SelectPage(1);
                runs.push_back(Measure(transcript, [&] { (mainForm.*command.Command)(); }));
                controller.Disconnect();
            }
            PrintRow(readFirst ? command.AfterRead : command.NothingRead, Median(runs));
        }
    }
    StepOneCell(controller);
    controller.SaveToFile(file.string());
    controller.Shutdown();
}

void TimeBackupSave(const fs::path& dir) {
    const TBackupStore store(dir / "backups");
    const TModuleSettings settings = AsSettings(PowerUpState(10));
    // Each copy a second apart, as copies of separate writes are; past kKeptPerObject every save
    // also removes the oldest.
    const auto start = std::chrono::system_clock::now();
    std::vector<TFigures> runs;
    for (int run = 0; run < kSaveRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        store.Save(settings, 10, "VER 08.00", start + std::chrono::seconds(run));
        runs.push_back({.Ms = static_cast<double>(timer.nsecsElapsed()) / 1e6});
    }
    PrintRow("(c) backup file save alone", Median(runs));
}

// tarnel-cli write of a whole settings file that differs from the module in one value, each run
// against a fresh module.
void TimeCliWrites(const fs::path& dir, const TModuleState& state, const fs::path& file) {
    const fs::path transcript = dir / "cli-transcript.txt";
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/tarnel-cli");
    const struct {
        const char* Caption;
        const char* Option;
    } cases[] = {{"tarnel-cli write (backup)", nullptr},
                 {"tarnel-cli write --no-backup", "--no-backup"},
                 {"tarnel-cli write --changed (backup)", "--changed"}};
    for (const auto& c : cases) {
        std::vector<TFigures> runs;
        for (int run = 0; run < kRuns; ++run) {
            TEmulatorOptions options;
            options.TranscriptFile = transcript.string();
            TModuleEmulator module(options, state);
            QStringList args = {QStringLiteral("write"), QStringLiteral("--port"),
                                QString::fromStdString(module.DevicePath()),
                                QStringLiteral("--object"), QStringLiteral("10")};
            if (c.Option != nullptr) {
                args << QString::fromLatin1(c.Option);
            }
            args << QString::fromStdString(file.string());
            runs.push_back(Measure(transcript, [&] {
                QProcess process;
                process.start(program, args);
                process.waitForFinished(120000);
                if (process.exitCode() != 0) {
                    std::fprintf(stderr, "%s", process.readAllStandardError().constData());
                }
            }));
        }
        PrintRow(c.Caption, Median(runs));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    char pattern[] = "/tmp/tarnel-bench-backup-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "data").string()));
    TApplication app(argc, argv);
    TQtSyncDispatcherScope syncDispatcher;
    SetErrorReporter([](const QString& text) {
        std::fprintf(stderr, "error: %s\n", text.toUtf8().constData());
    });

    std::printf("paced %d-baud emulator, median of %d fresh connections (of %d saves for (c))\n",
                TModuleEmulator::kBaudRate, kRuns, kSaveRuns);
    std::printf("%-36s %8s %8s %10s %10s %7s\n", "case", "commands", "bytes in", "line bytes", "ms",
                "ratio");
    TEmulatorOptions options;
    options.TranscriptFile = (dir / "transcript.txt").string();
    TModuleEmulator module(options, PowerUpState(10));
    const fs::path file = dir / "settings.txt";
    TimeWindowWrites(dir, module, file);
    TimeBackupSave(dir);
    TimeCliWrites(dir, module.Snapshot(), file);
    fs::remove_all(dir);
    return 0;
}
