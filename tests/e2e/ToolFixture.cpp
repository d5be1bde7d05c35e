#include "ToolFixture.h"

#include <QApplication>
#include <algorithm>
#include <fstream>

#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "shell/ConnectDialog.h"
#include "shell/ErrorListWindow.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "widgets/LogView.h"
#include "widgets/StoredControls.h"

void ToolTest::SetUp() {
    char pattern[] = "/tmp/tarnel-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    m_transcript = (m_dir / "transcript.txt").string();
    m_previousReporter =
        SetErrorReporter([this](const QString& text) { m_reportedErrors.push_back(text); });
}

void ToolTest::TearDown() {
    m_controller.reset();
    m_progress.reset();
    m_main.reset();
    if (m_module) {
        m_module->Stop();
    }
    m_module.reset();
    SetErrorReporter(m_previousReporter);
    std::filesystem::remove_all(m_dir);
}

void ToolTest::StartModule(TModuleState state, TModuleFaults faults, bool pacing, int hangUpAfter) {
    m_objectNumber = state.ObjectNumber;
    TEmulatorOptions options;
    options.Behaviour.Faults = std::move(faults);
    options.Pacing = pacing;
    options.HangUpAfter = hangUpAfter;
    options.ReplyDelayMs = m_replyDelayMs;
    options.TranscriptFile = m_transcript;
    m_module = std::make_unique<TModuleEmulator>(options, std::move(state));
}

void ToolTest::StartTool() {
    m_main = std::make_unique<TMainWindow>();
    m_progress = std::make_unique<TProgressWindow>(m_main.get());
    m_controller = std::make_unique<TFormsController>(*m_main, *m_progress, SettingsFile());
    m_main->Controller = m_controller.get();
    m_controller->BackupFolder = BackupDir();
    m_controller->ListPorts = [] {
        std::vector<TSerialPortInfo> ports(2);
        ports[0].Name = "ttyS0";
        ports[1].Name = "ttyS1";
        return ports;
    };
    m_controller->ConfirmRenumber = [this](int from, int to) {
        m_renumberQuestions.push_back({from, to});
        return m_renumberAnswer;
    };
    m_controller->RunErrorWindow = [this](TErrorListWindow& window) {
        std::vector<std::string> rows;
        for (int row = 0; row < window.ErrorTable->rowCount(); ++row) {
            rows.push_back(window.ErrorTable->item(row, 0)->text().toStdString());
        }
        EXPECT_EQ(window.ErrorCount->text().toStdString(), std::to_string(rows.size()));
        if (!rows.empty()) {
            m_errorWindows.push_back(rows);
        }
        const QString notes = window.NotesLabel->text();
        std::vector<std::string> lines;
        for (const QString& line : notes.split('\n', Qt::SkipEmptyParts)) {
            lines.push_back(line.toStdString());
        }
        m_windowNotes.push_back(lines);
    };
    m_main->resize(919, 775);
    m_main->show();
}

void ToolTest::Connect(const std::string& port, const std::string& moduleNumber, bool accept) {
    m_controller->RunConnectDialog = [this, port, moduleNumber, accept](TConnectDialog& dialog) {
        ++m_connectDialogs;
        dialog.ComPorts->setEditText(QString::fromStdString(port));
        dialog.etObjN->setText(QString::fromStdString(moduleNumber));
        return accept;
    };
    Run(&TMainWindow::ConnectToModule);
}

void ToolTest::Run(void (TMainWindow::*handler)()) {
    (m_main.get()->*handler)();
    QApplication::processEvents();
}

std::vector<std::string> ToolTest::ReceivedCommands() const {
    std::vector<std::string> commands;
    std::ifstream file(m_transcript);
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("> ", 0) == 0) {
            commands.push_back(line.substr(2));
        }
    }
    return commands;
}

QStringList ToolTest::LogLines() const {
    QStringList lines;
    const QAbstractItemModel* model = m_main->ExchangeLog->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex caption = model->index(row, 0);
        lines << caption.data().toString();
        for (int child = 0; child < model->rowCount(caption); ++child) {
            lines << model->index(child, 0, caption).data().toString();
        }
    }
    return lines;
}

std::vector<std::string> WithoutBackupRead(std::vector<std::string> commands, std::size_t at,
                                           std::size_t count) {
    if (at + count > commands.size()) {
        return commands;
    }
    const auto first = commands.begin() + static_cast<std::ptrdiff_t>(at);
    const auto last = first + static_cast<std::ptrdiff_t>(count);
    if (std::any_of(first, last, [](const std::string& command) {
            return command.find('=') != std::string::npos;
        })) {
        return commands;
    }
    commands.erase(first, last);
    return commands;
}

TModuleState PatternedState(std::int32_t objectNumber, int seed) {
    TModuleState state = PowerUpState(objectNumber);
    int value = seed;
    auto next = [&value] {
        value = (value * 13 + 7) % 97;
        return value % 5;
    };
    for (TRelaySettings& relay : state.Relays) {
        relay.Duration = (seed * 37 + relay.Number * 11) % 256;
        for (auto& row : relay.Zones) {
            for (auto& code : row)
                code = next();
        }
        for (auto& row : relay.Partitions) {
            for (auto& code : row)
                code = next();
        }
        for (auto& code : relay.Yes)
            code = next();
        for (auto& code : relay.No)
            code = next();
    }
    return state;
}

// The pages' values as the module would hold them.
TModuleState PagesState(const TFormsController& controller) {
    TModuleState state;
    state.ObjectNumber = controller.CommonPage()->etO->text().toInt();
    for (int n = 1; n <= kRelayCount; ++n) {
        TRelayPage& page = *controller.RelayPage(n);
        TRelaySettings settings = page.Settings();
        settings.Duration = page.etDuration->text().toInt();
        state.Relays.at(static_cast<std::size_t>(n - 1)) = settings;
    }
    return state;
}

void SetPages(TFormsController& controller, const TModuleState& state) {
    controller.CommonPage()->etO->setText(QString::number(state.ObjectNumber));
    for (int n = 1; n <= kRelayCount; ++n) {
        TRelayPage& page = *controller.RelayPage(n);
        const TRelaySettings& settings = state.Relays.at(static_cast<std::size_t>(n - 1));
        page.Settings() = settings;
        page.etDuration->setText(QString::number(settings.Duration));
    }
}
