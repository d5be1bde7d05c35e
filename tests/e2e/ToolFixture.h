// The whole tool against the module emulator on a pseudo-terminal, with every dialog answered by
// the test.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/DeviceController.h"
#include "emulator/ModuleEmulator.h"
#include "shell/AppErrorReport.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"

class ToolTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the module; without pacing unless asked, so that the tests run fast.
    void StartModule(TModuleState state, TModuleFaults faults = {}, bool pacing = false,
                     int hangUpAfter = 0);
    void StartModule() { StartModule(PowerUpState(10)); }
    void StartTool();
    // Runs the connect command with the dialog filled as given (or cancelled).
    void Connect(const std::string& port, const std::string& moduleNumber, bool accept = true);
    void ConnectToModule() { Connect(m_module->DevicePath(), std::to_string(m_objectNumber)); }
    // Runs a main-window command the way its handler does, errors going to the error report.
    void Run(void (TMainWindow::*handler)());
    void StopModule() { m_module->Stop(); }

    // The commands the module received, in order, as the transcript escapes them.
    std::vector<std::string> ReceivedCommands() const;
    // The texts of the log's lines, captions and their children in order.
    QStringList LogLines() const;
    std::filesystem::path Dir() const { return m_dir; }
    std::string SettingsFile() const { return (m_dir / "current.ini").string(); }
    // Where the tool keeps the module's settings before a write.
    std::filesystem::path BackupDir() const { return m_dir / "backups"; }

    std::unique_ptr<TModuleEmulator> m_module;
    std::unique_ptr<TMainWindow> m_main;
    std::unique_ptr<TProgressWindow> m_progress;
    std::unique_ptr<TFormsController> m_controller;
    int m_objectNumber = 10;
    // The module's wait before each answer: a module that answers within a few milliseconds, as
    // a real one does, gives the window its events while the exchange runs.
    int m_replyDelayMs = 0;
    std::vector<QString> m_reportedErrors;
    // The rows of each error window that listed errors, and the notes of every window shown.
    std::vector<std::vector<std::string>> m_errorWindows;
    std::vector<std::vector<std::string>> m_windowNotes;
    int m_connectDialogs = 0;
    // The questions before a renumbering write, as (from, to), and the answer they get.
    std::vector<std::pair<int, int>> m_renumberQuestions;
    TRenumberAnswer m_renumberAnswer = TRenumberAnswer::Renumber;

  private:
    std::filesystem::path m_dir;
    std::string m_transcript;
    TErrorReporter m_previousReporter;
};

// A whole-module read: what the backup before a connection's first write sends when the
// connection has read nothing yet.
inline constexpr std::size_t kWholeReadCommands = TDeviceController::ModuleCommands(true);

// The commands with the backup's read taken out: the count commands from at, when every one of
// them is a read (sets nothing). Anything else leaves the commands whole, so that a comparison
// shows where they went wrong.
std::vector<std::string> WithoutBackupRead(std::vector<std::string> commands, std::size_t at,
                                           std::size_t count);

// A state with every code and duration different, so that a misplaced value shows.
TModuleState PatternedState(std::int32_t objectNumber, int seed);

// The pages' values as the module would hold them, and the pages set to a module's values.
TModuleState PagesState(const TFormsController& controller);
void SetPages(TFormsController& controller, const TModuleState& state);
