// Reading, writing, saving and loading the pages against the module emulator.
#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <csignal>
#include <set>

#include "ToolFixture.h"
#include "ini/IniFile.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "shell/CompareWindow.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/TerminationSignals.h"
#include "widgets/StoredControls.h"

namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

// The 107 commands of one relay in the order the tool must send them.
std::vector<std::string> RelayWriteCommands(const std::string& prefix, const TRelaySettings& s) {
    const std::string r = std::to_string(s.Number - 1);
    std::vector<std::string> commands;
    auto add = [&](const std::string& text) { commands.push_back(prefix + text + "\\r"); };
    char duration[8];
    std::snprintf(duration, sizeof duration, "%02X", s.Duration);
    add("T" + r + "=" + duration);
    for (int z = 1; z <= kTableWidth; ++z) {
        add("A" + r + Hex(z - 1) + "=" + Hex(s.Zone(zeAlarm, z)));
        add("R" + r + Hex(z - 1) + "=" + Hex(s.Zone(zeRestore, z)));
        add("E" + r + Hex(z - 1) + "=" + Hex(s.Zone(zeFault, z)));
    }
    for (int p = 1; p <= kTableWidth; ++p) {
        add("M" + r + Hex(p - 1) + "=" + Hex(s.Partition(peArm, p)));
        add("D" + r + Hex(p - 1) + "=" + Hex(s.Partition(peDisarm, p)));
        add("L" + r + Hex(p - 1) + "=" + Hex(s.Partition(peAlarm, p)));
    }
    for (TRelayCondition c : {rcPanelLink, rcJournal, rcPower, rcFire, rcDelay}) {
        const std::string letter(1, ConditionLetter(c));
        const int yes = YesSubIndex(c);
        add(letter + r + std::to_string(1 - yes) + "=" + Hex(s.NoOf(c)));
        add(letter + r + std::to_string(yes) + "=" + Hex(s.YesOf(c)));
    }
    return commands;
}

}  // namespace

TEST_F(ToolTest, WriteAllPutsEveryPageIntoTheModuleInTheFixedOrder) {
    // The window takes its events while it waits for answers, and only a module that takes a
    // moment to answer, as a real one does, is waited for.
    m_replyDelayMs = 3;
    StartModule();
    StartTool();
    ConnectToModule();
    const TModuleState wanted = PatternedState(10, 1);
    SetPages(*m_controller, wanted);
    // The progress window names the operation and the page and counts the whole operation.
    QStringList progressTexts;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (m_progress->isVisible() &&
            !progressTexts.contains(m_progress->OperationLabel->text())) {
            progressTexts << m_progress->OperationLabel->text();
        }
    });
    watch.start(0);

    Run(&TMainWindow::WriteAllPages);
    watch.stop();
    // The module was not read in this connection: its backup reads it whole first.
    const QStringList writeTexts = progressTexts.filter(QString::fromUtf8("Запись: "));
    ASSERT_FALSE(writeTexts.isEmpty());
    for (const QString& text : progressTexts) {
        EXPECT_TRUE(text.startsWith(QString::fromUtf8("Запись: ")) ||
                    text.startsWith(QString::fromUtf8("Чтение: ")))
            << text.toStdString();
        const char* total = text.startsWith(QString::fromUtf8("Запись: ")) ? " из 536" : " из 57";
        EXPECT_TRUE(text.contains(QString::fromUtf8(total))) << text.toStdString();
    }
    EXPECT_TRUE(writeTexts.filter(QString::fromUtf8("Реле 5 — ")).size() > 0);

    EXPECT_TRUE(m_reportedErrors.empty());
    EXPECT_TRUE(m_errorWindows.empty());
    EXPECT_EQ(m_module->Snapshot(), wanted);
    EXPECT_EQ(PagesState(*m_controller), wanted);

    std::vector<std::string> expected{"*10v\\r", "*10o=10\\r"};
    for (const TRelaySettings& relay : wanted.Relays) {
        const auto commands = RelayWriteCommands("*10", relay);
        expected.insert(expected.end(), commands.begin(), commands.end());
    }
    EXPECT_EQ(WithoutBackupRead(ReceivedCommands(), 1, kWholeReadCommands), expected);
    // The page the user was on comes back when the operation ends.
    EXPECT_EQ(m_controller->CurrentPage(), m_controller->CommonPage());
    EXPECT_EQ(m_main->PageTree->currentItem(), m_main->PageTree->topLevelItem(0));
    EXPECT_TRUE(m_main->PageTree->isEnabled());
    EXPECT_TRUE(m_main->ToolBar->isEnabled());
    EXPECT_FALSE(m_progress->isVisible());
}

TEST_F(ToolTest, ReadAllFillsEveryPageFromTheModule) {
    const TModuleState stored = PatternedState(10, 2);
    m_replyDelayMs = 10;
    StartModule(stored);
    StartTool();
    ConnectToModule();
    m_main->PageTree->setCurrentItem(m_main->PageTree->topLevelItem(0));

    // At every step of the operation the tree names the page on screen.
    std::set<std::pair<QString, QString>> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QTreeWidgetItem* node = m_main->PageTree->currentItem();
        seen.insert(
            {node != nullptr ? node->text(0) : QString(), m_controller->CurrentPage()->Caption()});
    });
    watch.start(0);
    Run(&TMainWindow::ReadAllPages);
    watch.stop();

    EXPECT_TRUE(m_reportedErrors.empty());
    EXPECT_TRUE(m_errorWindows.empty());
    EXPECT_EQ(PagesState(*m_controller), stored);
    EXPECT_GE(seen.size(), 2u);
    for (const auto& [named, shown] : seen) {
        EXPECT_EQ(named, shown);
    }
    // Back on "Общие", which the tree names, and "Читать" reads that page.
    EXPECT_EQ(m_controller->CurrentPage(), m_controller->CommonPage());
    EXPECT_EQ(m_main->PageTree->currentItem(), m_main->PageTree->topLevelItem(0));
    EXPECT_TRUE(m_controller->CommonPage()->isVisible());
    // The durations of all five relays come in one answer, asked for once.
    const std::vector<std::string> commands = ReceivedCommands();
    ASSERT_EQ(commands.size(), 1u + kWholeReadCommands);
    EXPECT_EQ(commands[1], "*10o\\r");
    EXPECT_EQ(commands[2], "*10T\\r");
    EXPECT_EQ(commands[3], "*10A0\\r");
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "*10T\\r"), 1);
    EXPECT_EQ(commands[2 + TDeviceController::kRelayReadCommands], "*10A1\\r");
    const std::size_t before = ReceivedCommands().size();
    Run(&TMainWindow::ReadPage);
    const std::vector<std::string> afterRead = ReceivedCommands();
    ASSERT_EQ(afterRead.size(), before + 1u);
    EXPECT_EQ(afterRead.back(), "*10o\\r");
}

TEST_F(ToolTest, ReadAndWriteOfTheShownPageTouchOnlyThatPage) {
    const TModuleState stored = PatternedState(10, 3);
    StartModule(stored);
    StartTool();
    ConnectToModule();
    m_controller->SelectPage(3);

    Run(&TMainWindow::ReadPage);
    TRelayPage& page = *m_controller->RelayPage(3);
    TRelaySettings read = page.Settings();
    read.Duration = page.etDuration->text().toInt();
    EXPECT_EQ(read, stored.Relays[2]);
    EXPECT_EQ(m_controller->RelayPage(2)->Settings(), TRelaySettings{.Number = 2});

    page.Settings().Zone(zeFault, 16) = rrOn1Hz;
    page.etDuration->setText("200");
    Run(&TMainWindow::WritePage);
    TModuleState expected = stored;
    expected.Relays[2].Zone(zeFault, 16) = rrOn1Hz;
    expected.Relays[2].Duration = 200;
    EXPECT_EQ(m_module->Snapshot(), expected);
    // The backup reads only the pages this connection has not read: all but relay 3.
    const std::vector<std::string> commands =
        WithoutBackupRead(ReceivedCommands(), 13,
                          TDeviceController::kCommonPageCommands +
                              TDeviceController::RelayReadCommands(kRelayCount - 1));
    ASSERT_EQ(commands.size(), 1u + 12u + 107u);
    EXPECT_EQ(commands[13], "*10T2=C8\\r");
}

TEST_F(ToolTest, WritingANewObjectNumberMovesTheConnectionToIt) {
    StartModule();
    StartTool();
    ConnectToModule();
    m_controller->CommonPage()->etO->setText("12");
    Run(&TMainWindow::WritePage);
    m_controller->SelectPage(1);
    Run(&TMainWindow::ReadPage);

    EXPECT_EQ(m_module->Snapshot().ObjectNumber, 12);
    const std::vector<std::string> commands =
        WithoutBackupRead(ReceivedCommands(), 1, kWholeReadCommands);
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ(commands[1], "*10o=12\\r");
    EXPECT_EQ(commands[2], "*12T\\r");
    EXPECT_TRUE(m_errorWindows.empty());
    EXPECT_EQ(m_renumberQuestions, (std::vector<std::pair<int, int>>{{10, 12}}));
    ASSERT_GE(m_windowNotes.size(), 1u);
    EXPECT_EQ(m_windowNotes[0], std::vector<std::string>{"Модуль перенумерован с 10 на 12"});
}

// "Оставить номер" writes the rest and keeps the number; "Отмена" writes nothing at all; an
// object number the module cannot take sends nothing for it, and says why.
TEST_F(ToolTest, TheRenumberAnswersAndARefusedNumberWriteWhatTheySay) {
    const struct {
        const char* Name;
        const char* Number;
        TRenumberAnswer Answer;
        std::size_t Commands;
        std::vector<std::string> Errors;
        std::vector<std::string> Notes;
    } cases[] = {
        // The connection's first write reads the module for its backup first.
        {"keep",
         "12",
         TRenumberAnswer::KeepNumber,
         kWholeReadCommands + 5 * 107,
         {},
         {"Номер объекта оставлен 10, остальное записано"}},
        {"cancel",
         "12",
         TRenumberAnswer::Cancel,
         0,
         {},
         {"Операция отменена пользователем", "Страница \"Общие\" не записана",
          "Страница \"Реле 1\" не записана", "Страница \"Реле 2\" не записана",
          "Страница \"Реле 3\" не записана", "Страница \"Реле 4\" не записана",
          "Страница \"Реле 5\" не записана", "Номер объекта не изменён на 12, ничего не записано"}},
        {"empty", "", TRenumberAnswer::Renumber, 5 * 107, {"№ объекта не задан — не записан"}, {}},
    };
    StartModule();
    StartTool();
    ConnectToModule();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::size_t before = ReceivedCommands().size();
        m_errorWindows.clear();
        m_windowNotes.clear();
        m_renumberAnswer = c.Answer;
        m_controller->CommonPage()->etO->setText(QString::fromUtf8(c.Number));
        Run(&TMainWindow::WriteAllPages);

        const std::vector<std::string> commands = ReceivedCommands();
        EXPECT_EQ(commands.size() - before, c.Commands);
        EXPECT_EQ(
            std::count_if(commands.begin(), commands.end(),
                          [](const std::string& s) { return s.find("o=") != std::string::npos; }),
            0);
        EXPECT_EQ(m_module->Snapshot().ObjectNumber, 10);
        EXPECT_EQ(m_errorWindows.empty() ? std::vector<std::string>{} : m_errorWindows[0],
                  c.Errors);
        EXPECT_EQ(m_windowNotes.empty() ? std::vector<std::string>{} : m_windowNotes[0], c.Notes);
    }
}

TEST_F(ToolTest, SavedFilesLoadBackToTheSamePagesAndSaveToTheSameBytes) {
    StartModule(PatternedState(10, 4));
    StartTool();
    ConnectToModule();
    Run(&TMainWindow::ReadAllPages);
    const TModuleState read = PagesState(*m_controller);

    const std::string first = (Dir() / "first.txt").string();
    const std::string second = (Dir() / "second.txt").string();
    std::optional<QString> answer = QString::fromStdString(first);
    m_main->RunFileDialog = [&answer](QFileDialog*) { return answer; };
    Run(&TMainWindow::SaveToFile);

    Run(&TMainWindow::SetAllDefaults);
    EXPECT_NE(PagesState(*m_controller), read);
    Run(&TMainWindow::LoadFromFile);
    EXPECT_EQ(PagesState(*m_controller), read);

    answer = QString::fromStdString(second);
    Run(&TMainWindow::SaveToFile);
    QFile a(QString::fromStdString(first));
    QFile b(QString::fromStdString(second));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    // A cancelled dialog changes no file and no page.
    answer.reset();
    Run(&TMainWindow::SetAllDefaults);
    const TModuleState defaults = PagesState(*m_controller);
    Run(&TMainWindow::LoadFromFile);
    EXPECT_EQ(PagesState(*m_controller), defaults);
    EXPECT_TRUE(m_reportedErrors.empty());
}

TEST_F(ToolTest, DefaultsResetTheDurationAndObjectNumberButKeepTheReactions) {
    StartModule();
    StartTool();
    SetPages(*m_controller, PatternedState(33, 5));
    m_controller->SelectPage(2);
    TRelaySettings expected = m_controller->RelayPage(2)->Settings();
    expected.Duration = 0;

    Run(&TMainWindow::SetPageDefaults);
    EXPECT_EQ(m_controller->RelayPage(2)->etDuration->text(), "0");
    EXPECT_EQ(m_controller->RelayPage(2)->Settings(), expected);
    EXPECT_EQ(m_controller->CommonPage()->etO->text(), "33");

    Run(&TMainWindow::SetAllDefaults);
    EXPECT_EQ(m_controller->CommonPage()->etO->text(), "01");
    for (int n = 1; n <= kRelayCount; ++n) {
        EXPECT_EQ(m_controller->RelayPage(n)->etDuration->text(), "0");
    }
}

TEST_F(ToolTest, ClosingWhileConnectedReleasesTheModuleAndKeepsThePagesInCurrentIni) {
    const TModuleState stored = PatternedState(10, 6);
    StartModule(stored);
    StartTool();
    ConnectToModule();
    Run(&TMainWindow::ReadAllPages);

    m_main->close();
    EXPECT_FALSE(m_controller->IsConnected());
    const std::vector<std::string> commands = ReceivedCommands();
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(commands.end() - 4, commands.end()),
              (std::vector<std::string>{"]", "]", "]", "+rb\\r"}));

    m_controller->Shutdown();
    const TIniFile ini(SettingsFile());
    EXPECT_EQ(ini.ReadString("FormCommon", "etO", ""), "10");
    EXPECT_EQ(ini.ReadInteger("FormRelay_2", "Z316", -1), stored.Relays[2].Zone(zeFault, 16));
    EXPECT_EQ(ini.ReadString("FormRelay_4", "etDuration", ""),
              std::to_string(stored.Relays[4].Duration));

    // The next start shows the same pages.
    m_controller.reset();
    m_progress.reset();
    m_main.reset();
    StartTool();
    EXPECT_EQ(PagesState(*m_controller), stored);
}

TEST_F(ToolTest, ACloseDuringWriteAllWaitsForTheEndOfTheExchange) {
    m_replyDelayMs = 3;
    StartModule();
    StartTool();
    ConnectToModule();
    bool closedDuringExchange = false;
    QString noteAfterClose;
    QTimer::singleShot(20, m_main.get(), [this, &closedDuringExchange] {
        closedDuringExchange = m_controller->IsExchangeRunning();
        m_main->close();
    });
    // The progress window says that the close waits, and how to end the wait sooner.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [this, &noteAfterClose] {
        if (m_main->IsCloseDeferred() && m_progress->NoteLabel->isVisible()) {
            noteAfterClose = m_progress->NoteLabel->text();
        }
    });
    watch.start(0);

    Run(&TMainWindow::WriteAllPages);
    watch.stop();
    ASSERT_TRUE(closedDuringExchange);
    EXPECT_TRUE(noteAfterClose.contains(QString::fromUtf8("закроется")))
        << noteAfterClose.toStdString();
    EXPECT_TRUE(noteAfterClose.contains(QString::fromUtf8("Отмена")));
    QApplication::processEvents();

    EXPECT_FALSE(m_main->isVisible());
    EXPECT_FALSE(m_controller->IsConnected());
    const std::vector<std::string> commands =
        WithoutBackupRead(ReceivedCommands(), 1, kWholeReadCommands);
    ASSERT_EQ(commands.size(), 1u + 1u + 5u * 107u + 4u);
    EXPECT_EQ(std::vector<std::string>(commands.end() - 4, commands.end()),
              (std::vector<std::string>{"]", "]", "]", "+rb\\r"}));
    EXPECT_TRUE(m_reportedErrors.empty());
}

// SIGTERM takes the path of "Выход": the running exchange ends, the module is released and the
// pages are in current.ini, where a plain kill would have left the module held and lost them.
TEST_F(ToolTest, ATerminationSignalDuringWriteAllEndsTheExchangeReleasesAndSaves) {
    const TModuleState pages = PatternedState(10, 3);
    m_replyDelayMs = 3;
    StartModule();
    StartTool();
    SetPages(*m_controller, pages);
    ConnectToModule();
    TTerminationSignals termination;
    QObject::connect(&termination, &TTerminationSignals::Received, m_main.get(),
                     &TMainWindow::CloseUnattended);
    bool signalledDuringExchange = false;
    QTimer::singleShot(20, m_main.get(), [this, &signalledDuringExchange] {
        signalledDuringExchange = m_controller->IsExchangeRunning();
        ::raise(SIGTERM);
    });

    Run(&TMainWindow::WriteAllPages);
    ASSERT_TRUE(signalledDuringExchange);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_main->isVisible(); }, 5000));

    EXPECT_FALSE(m_controller->IsConnected());
    const std::vector<std::string> commands =
        WithoutBackupRead(ReceivedCommands(), 1, kWholeReadCommands);
    ASSERT_EQ(commands.size(), 1u + 1u + 5u * 107u + 4u);
    EXPECT_EQ(std::vector<std::string>(commands.end() - 4, commands.end()),
              (std::vector<std::string>{"]", "]", "]", "+rb\\r"}));
    EXPECT_EQ(TIniFile(SettingsFile()).ReadInteger("FormRelay_2", "Z316", -1),
              pages.Relays[2].Zone(zeFault, 16));
    EXPECT_FALSE(m_main->SettingsLost());
}

// "Сравнить с модулем" reads the module aside and lists each difference; the pages stay.
TEST_F(ToolTest, CompareListsEveryDifferenceAndLeavesThePages) {
    const TModuleState stored = PatternedState(10, 5);
    StartModule(stored);
    StartTool();
    TModuleState pages = stored;
    pages.Relays[2].Zone(zeAlarm, 5) = (stored.Relays[2].Zone(zeAlarm, 5) + 1) % 5;
    pages.Relays[4].Duration = (stored.Relays[4].Duration + 7) % 256;
    SetPages(*m_controller, pages);
    ConnectToModule();
    std::vector<std::vector<std::string>> shown;
    m_controller->RunCompareWindow = [&](TCompareWindow& window) {
        std::vector<std::string> lines;
        for (const TSettingsDifference& difference : window.CheckedDifferences()) {
            lines.push_back(difference.Text());
        }
        shown.push_back(lines);
    };

    Run(&TMainWindow::CompareWithModule);

    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(shown[0].size(), 2u) << (shown[0].empty() ? "" : shown[0][0]);
    EXPECT_EQ(shown[0][0].rfind("Реле 3, Зоны / Тревоги, 5: в модуле «", 0), 0u) << shown[0][0];
    EXPECT_EQ(shown[0][1].rfind("Реле 5, Импульс / Длительность: в модуле «", 0), 0u)
        << shown[0][1];
    EXPECT_EQ(PagesState(*m_controller), pages);
    EXPECT_TRUE(m_errorWindows.empty());

    SetPages(*m_controller, stored);
    Run(&TMainWindow::CompareWithModule);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].empty());
}

// "Записать изменения" sends only the values that differ, with their ordinary commands.
TEST_F(ToolTest, WriteChangesSendsOnlyTheValuesThatDiffer) {
    const TModuleState stored = PatternedState(10, 5);
    StartModule(stored);
    StartTool();
    TModuleState pages = stored;
    pages.Relays[0].Zone(zeFault, 16) = (stored.Relays[0].Zone(zeFault, 16) + 1) % 5;
    pages.Relays[3].YesOf(rcDelay) = (stored.Relays[3].YesOf(rcDelay) + 2) % 5;
    SetPages(*m_controller, pages);
    ConnectToModule();
    const std::size_t before = ReceivedCommands().size();

    Run(&TMainWindow::WriteChangesToModule);

    const std::vector<std::string> commands = ReceivedCommands();
    // The whole module read aside, then the two writes.
    ASSERT_EQ(commands.size(), before + kWholeReadCommands + 2u);
    EXPECT_EQ(commands[commands.size() - 2],
              "*10E0F=" + std::to_string(pages.Relays[0].Zone(zeFault, 16)) + "\\r");
    EXPECT_EQ(commands.back().substr(0, 6), "*10W30");
    EXPECT_TRUE(m_errorWindows.empty());
    EXPECT_EQ(m_module->Snapshot(), pages);
}

// A read is one step: undo gives back the values the pages had before it, and neither undo nor a
// write talks to the module or enters the history.
TEST_F(ToolTest, UndoOfAReadGivesBackThePagesAndWritesAreNoSteps) {
    const TModuleState stored = PatternedState(10, 3);
    StartModule(stored);
    StartTool();
    ConnectToModule();
    const TModuleState before = PagesState(*m_controller);
    ASSERT_NE(before, stored);

    Run(&TMainWindow::ReadAllPages);
    ASSERT_EQ(PagesState(*m_controller), stored);
    EXPECT_EQ(m_main->UndoAction->text(), QString::fromUtf8("&Отменить: Прочитать всё"));

    const std::size_t commands = ReceivedCommands().size();
    Run(&TMainWindow::UndoStep);
    EXPECT_EQ(PagesState(*m_controller), before);
    Run(&TMainWindow::RedoStep);
    EXPECT_EQ(PagesState(*m_controller), stored);
    EXPECT_EQ(ReceivedCommands().size(), commands);

    const std::size_t steps = m_controller->History().UndoCount();
    Run(&TMainWindow::WriteAllPages);
    EXPECT_TRUE(m_reportedErrors.empty());
    EXPECT_EQ(m_controller->History().UndoCount(), steps);
    EXPECT_EQ(m_main->UndoAction->text(), QString::fromUtf8("&Отменить: Прочитать всё"));
}
