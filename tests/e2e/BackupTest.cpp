// The backup before a connection's first write, against the emulator: it holds the module as it
// was, costs no command when the module was read whole, reads the rest otherwise, and a backup
// that cannot be made keeps every write from going out.
#include <QTest>
#include <fstream>

#include "ToolFixture.h"
#include "backup/BackupStore.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "shell/BackupsDialog.h"

namespace {

TModuleState StateOf(const TModuleSettings& settings) {
    TModuleState state;
    state.ObjectNumber = std::stoi(settings.Common.ObjectNumber);
    state.Relays = settings.Relays;
    return state;
}

TModuleFaults Ignoring(const char* letters) {
    TModuleFaults faults;
    faults.IgnoreLetters = letters;
    return faults;
}

class BackupTest : public ToolTest {
  protected:
    std::vector<TBackupEntry> Backups() const { return TBackupStore(BackupDir()).List(); }
    // Steps one zone cell of the relay's page, as a click does.
    void ChangeCell(int relay) {
        m_controller->SelectPage(relay);
        TRelaySettings& settings = m_controller->RelayPage(relay)->Settings();
        settings.Zone(zeAlarm, 3) = (settings.Zone(zeAlarm, 3) + 1) % 5;
    }
};

}  // namespace

struct TWriteCommand {
    const char* Name;
    void (TMainWindow::*Command)();
};

class FirstWriteTest : public BackupTest, public ::testing::WithParamInterface<TWriteCommand> {};

// Each write command of the window, first in a connection with nothing read, reads the module
// whole and keeps it as it was before anything of the write went out.
TEST_P(FirstWriteTest, KeepsTheModuleAsItWas) {
    const TModuleState stored = PatternedState(10, 7);
    StartModule(stored);
    StartTool();
    SetPages(*m_controller, PatternedState(10, 8));
    ConnectToModule();
    m_controller->SelectPage(2);
    Run(GetParam().Command);

    EXPECT_TRUE(m_reportedErrors.empty());
    const std::vector<TBackupEntry> backups = Backups();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].ObjectNumber, 10);
    EXPECT_EQ(backups[0].Version.rfind("VER-08.", 0), 0u) << backups[0].Version;
    EXPECT_EQ(StateOf(TBackupStore::Load(backups[0].Path)), stored);
    EXPECT_NE(m_module->Snapshot(), stored);
    // After the version check, the whole read went before the first write.
    const std::vector<std::string> commands = ReceivedCommands();
    ASSERT_GT(commands.size(), 1u + kWholeReadCommands);
    for (std::size_t i = 1; i <= kWholeReadCommands; ++i) {
        EXPECT_EQ(commands[i].find('='), std::string::npos) << i << ": " << commands[i];
    }
    EXPECT_NE(commands[1 + kWholeReadCommands].find('='), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(WriteCommands, FirstWriteTest,
                         ::testing::Values(TWriteCommand{"WritePage", &TMainWindow::WritePage},
                                           TWriteCommand{"WriteAll", &TMainWindow::WriteAllPages},
                                           TWriteCommand{"WriteChanges",
                                                         &TMainWindow::WriteChangesToModule}),
                         [](const auto& info) { return std::string(info.param.Name); });

// After "Читать всё" the known values are the backup: the write sends only its own commands, and
// the next write of the same connection makes no second copy; a new connection makes a new one.
TEST_F(BackupTest, AModuleReadWholeIsBackedUpWithoutACommandAndOncePerConnection) {
    const TModuleState stored = PatternedState(10, 9);
    StartModule(stored);
    StartTool();
    ConnectToModule();
    Run(&TMainWindow::ReadAllPages);
    const std::size_t afterRead = ReceivedCommands().size();

    ChangeCell(2);
    Run(&TMainWindow::WriteChangesToModule);
    EXPECT_EQ(ReceivedCommands().size(), afterRead + 1u);
    ASSERT_EQ(Backups().size(), 1u);
    EXPECT_EQ(StateOf(TBackupStore::Load(Backups()[0].Path)), stored);

    ChangeCell(3);
    Run(&TMainWindow::WriteChangesToModule);
    EXPECT_EQ(ReceivedCommands().size(), afterRead + 2u);
    EXPECT_EQ(Backups().size(), 1u);

    Run(&TMainWindow::DisconnectFromModule);
    // A second in the name keeps the copies of one object number apart.
    QTest::qWait(1100);
    ConnectToModule();
    Run(&TMainWindow::ReadAllPages);
    ChangeCell(4);
    Run(&TMainWindow::WriteChangesToModule);
    ASSERT_EQ(Backups().size(), 2u);
    // The newest copy holds the two writes of the first connection.
    EXPECT_EQ(StateOf(TBackupStore::Load(Backups()[0].Path)).Relays[1].Zone(zeAlarm, 3),
              (stored.Relays[1].Zone(zeAlarm, 3) + 1) % 5);
    EXPECT_TRUE(m_reportedErrors.empty());
}

struct TRefusal {
    const char* Name;
    bool FolderUnderAFile;
    TModuleFaults Faults;
    const char* Reason;
};

class RefusedBackupTest : public BackupTest, public ::testing::WithParamInterface<TRefusal> {};

// No copy, no write: a folder that takes no file and a module that cannot be read whole both stop
// the write before its first command, and the box says why.
TEST_P(RefusedBackupTest, StopsTheWriteBeforeItsFirstCommand) {
    StartModule(PatternedState(10, 4), GetParam().Faults);
    StartTool();
    if (GetParam().FolderUnderAFile) {
        std::ofstream(Dir() / "file.txt") << "x";
        m_controller->BackupFolder = Dir() / "file.txt" / "backups";
    }
    ConnectToModule();
    Run(&TMainWindow::WriteAllPages);

    ASSERT_EQ(m_reportedErrors.size(), 1u);
    EXPECT_TRUE(m_reportedErrors[0].contains(QString::fromUtf8(GetParam().Reason)))
        << m_reportedErrors[0].toStdString();
    EXPECT_TRUE(m_reportedErrors[0].endsWith(QString::fromUtf8("Запись не выполнена.")))
        << m_reportedErrors[0].toStdString();
    for (const std::string& command : ReceivedCommands()) {
        EXPECT_EQ(command.find('='), std::string::npos) << command;
    }
    EXPECT_EQ(m_module->Snapshot(), PatternedState(10, 4));
    EXPECT_TRUE(Backups().empty());
    EXPECT_TRUE(m_controller->IsConnected());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedBackupTest,
    ::testing::Values(TRefusal{"FolderUnderAFile", true, {}, "Резервная копия не сохранена: "},
                      TRefusal{"UnreadableRows", false, Ignoring("A"),
                               "модуль прочитан не полностью"}),
    [](const auto& info) { return std::string(info.param.Name); });

// "Резервные копии…" lists the copies with how far each is from the pages, and loads the chosen
// one as one step that undo takes back.
TEST_F(BackupTest, TheBackupsWindowLoadsACopyAsOneUndoableStep) {
    const TModuleState stored = PatternedState(10, 2);
    StartModule(stored);
    StartTool();
    ConnectToModule();
    Run(&TMainWindow::ReadAllPages);
    ChangeCell(2);
    ChangeCell(3);
    Run(&TMainWindow::WriteChangesToModule);
    ASSERT_EQ(Backups().size(), 1u);
    const TModuleState written = PagesState(*m_controller);

    QStringList shown;
    m_controller->RunBackupsDialog = [&](TBackupsDialog& dialog) {
        for (int i = 0; i < dialog.BackupTable->topLevelItemCount(); ++i) {
            const QTreeWidgetItem& row = *dialog.BackupTable->topLevelItem(i);
            shown << row.text(0) + " | " + row.text(3);
        }
        dialog.BackupTable->setCurrentItem(dialog.BackupTable->topLevelItem(0));
        dialog.LoadButton->click();
        return dialog.result() == QDialog::Accepted;
    };
    Run(&TMainWindow::ShowBackups);

    // The copy holds the module before the write: the two cells differ from the pages.
    EXPECT_EQ(shown, QStringList{"10 | 2"});
    EXPECT_EQ(PagesState(*m_controller), stored);
    EXPECT_TRUE(m_main->UndoAction->text().contains(QString::fromUtf8("резервную копию")))
        << m_main->UndoAction->text().toStdString();
    Run(&TMainWindow::UndoStep);
    EXPECT_EQ(PagesState(*m_controller), written);
    EXPECT_TRUE(m_reportedErrors.empty());
}
