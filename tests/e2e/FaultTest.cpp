// A faulty module or line: each fault ends with its error line, box or window, the controls
// unlocked and the connection state consistent.
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "ToolFixture.h"
#include "control/DeviceController.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "shell/CompareWindow.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "widgets/StoredControls.h"

namespace {

void ExpectUnlocked(const TMainWindow& main) {
    EXPECT_TRUE(main.PageTree->isEnabled());
    EXPECT_TRUE(main.ToolBar->isEnabled());
    for (const QMenu* menu : main.TopLevelMenus()) {
        // A hidden menu reports itself disabled whatever it was set to.
        if (menu->menuAction()->isVisible()) {
            EXPECT_TRUE(menu->menuAction()->isEnabled()) << menu->title().toStdString();
        }
    }
}

const char* kDurationLine(int relay) {
    static std::string line;
    line = "Ошибка при чтении параметра \"Реле " + std::to_string(relay) + ": Длительность\"";
    return line.c_str();
}

}  // namespace

TEST_F(ToolTest, AModuleThatIgnoresTheDurationReadListsThatRelayInTheErrorWindow) {
    TModuleFaults faults;
    faults.IgnoreLetters = "T";
    const TModuleState stored = PatternedState(10, 7);
    StartModule(stored, faults);
    StartTool();
    ConnectToModule();
    m_controller->SelectPage(3);
    m_controller->RelayPage(3)->etDuration->setText("77");

    Run(&TMainWindow::ReadPage);

    ASSERT_EQ(m_errorWindows.size(), 1u);
    EXPECT_EQ(m_errorWindows[0], std::vector<std::string>{kDurationLine(3)});
    // The other eleven reads still ran and filled the page; the duration keeps what it showed.
    TRelaySettings expected = stored.Relays[2];
    expected.Duration = 77;
    EXPECT_EQ(m_controller->RelayPage(3)->Settings(), expected);
    EXPECT_EQ(m_controller->RelayPage(3)->etDuration->text(), "77");
    ExpectUnlocked(*m_main);
}

// Five commands in a row without an answer stop "Читать всё": the error window says so and lists
// every page that was not read, and the pages keep what they showed.
TEST_F(ToolTest, ReadAllFromAModuleThatStopsAnsweringStopsAfterFiveCommands) {
    TModuleFaults faults;
    faults.IgnoreLetters = "oTARELMDCYPFW";
    StartModule(PowerUpState(10), faults);
    StartTool();
    const TModuleState pages = PatternedState(33, 4);
    SetPages(*m_controller, pages);
    ConnectToModule();
    ASSERT_TRUE(m_controller->IsConnected());

    Run(&TMainWindow::ReadAllPages);

    ASSERT_EQ(m_errorWindows.size(), 1u);
    const std::vector<std::string> expected{
        "Ошибка при чтении параметра \"№ объекта\"",
        kDurationLine(1),
        "Ошибка при чтении параметра \"Реле 1: Зоны, Тревоги\"",
        "Ошибка при чтении параметра \"Реле 1: Зоны, Восстановления\"",
        "Ошибка при чтении параметра \"Реле 1: Зоны, Аварии\"",
        "Модуль не отвечает",
        "Страница \"Реле 1\" прочитана не полностью",
        "Страница \"Реле 2\" не прочитана",
        "Страница \"Реле 3\" не прочитана",
        "Страница \"Реле 4\" не прочитана",
        "Страница \"Реле 5\" не прочитана"};
    EXPECT_EQ(m_errorWindows[0], expected);
    EXPECT_EQ(ReceivedCommands().size(), 1u + 5u);
    EXPECT_EQ(PagesState(*m_controller), pages);
    EXPECT_TRUE(m_controller->IsConnected());
    ExpectUnlocked(*m_main);
}

// A write that the module never acknowledges is no success: every one is a line of the window.
TEST_F(ToolTest, WritesTheModuleIgnoresAreListedInTheErrorWindow) {
    TModuleFaults faults;
    // The reads answer, so that the backup before the write can be made.
    faults.IgnoreWriteLetters = "A";
    StartModule(PowerUpState(10), faults);
    StartTool();
    ConnectToModule();
    m_controller->SelectPage(2);

    Run(&TMainWindow::WritePage);

    ASSERT_EQ(m_errorWindows.size(), 1u);
    ASSERT_EQ(m_errorWindows[0].size(), 16u);
    EXPECT_EQ(m_errorWindows[0][0],
              "Ошибка при записи параметра \"Реле 2: Зоны, Тревоги, зона 1\"");
    EXPECT_EQ(m_errorWindows[0][15],
              "Ошибка при записи параметра \"Реле 2: Зоны, Тревоги, зона 16\"");
    EXPECT_TRUE(m_controller->IsConnected());
}

// A pulled cable ends the connection: one box names the page, the port is closed and the
// commands show the disconnected state, so nothing later runs into the dead port again.
TEST_F(ToolTest, APulledCableEndsTheConnectionWithOneBox) {
    // The backup's whole read goes first.
    StartModule(PowerUpState(10), {}, false, 1 + kWholeReadCommands + 1 + 107 + 5);
    StartTool();
    ConnectToModule();
    ASSERT_TRUE(m_controller->IsConnected());
    ASSERT_EQ(m_main->StatusText(2).left(6), QString::fromUtf8("VER 08"));

    Run(&TMainWindow::WriteAllPages);

    ASSERT_EQ(m_reportedErrors.size(), 1u);
    EXPECT_TRUE(m_reportedErrors[0].startsWith(
        QString::fromUtf8("Связь с модулем потеряна при записи страницы \"Реле 2\"")))
        << m_reportedErrors[0].toStdString();
    // The reason is said in Russian; the driver's English text is left to the log.
    EXPECT_TRUE(m_reportedErrors[0].contains(QString::fromUtf8("не удалось")))
        << m_reportedErrors[0].toStdString();
    EXPECT_FALSE(m_reportedErrors[0].contains("Unable")) << m_reportedErrors[0].toStdString();
    EXPECT_FALSE(m_controller->IsConnected());
    EXPECT_EQ(m_main->StatusText(1), QString::fromUtf8("Нет связи"));
    EXPECT_EQ(m_main->StatusText(2), QString());
    EXPECT_FALSE(m_main->ReadAllAction->isEnabled());
    EXPECT_TRUE(m_main->ConnectAction->isEnabled());
    ExpectUnlocked(*m_main);
}

// A comparison reads every page while the common page is shown: the box names the page the
// cable was pulled in, not the one on screen.
TEST_F(ToolTest, APulledCableDuringACompareNamesThePageBeingRead) {
    StartModule(PowerUpState(10), {}, false, 1 + 1 + TDeviceController::kRelayReadCommands + 5);
    StartTool();
    ConnectToModule();
    m_controller->SelectPage(0);
    m_controller->RunCompareWindow = [](TCompareWindow&) {};

    Run(&TMainWindow::CompareWithModule);

    ASSERT_EQ(m_reportedErrors.size(), 1u);
    EXPECT_TRUE(m_reportedErrors[0].startsWith(
        QString::fromUtf8("Связь с модулем потеряна при чтении страницы \"Реле 2\"")))
        << m_reportedErrors[0].toStdString();
    EXPECT_FALSE(m_controller->IsConnected());
}

TEST_F(ToolTest, AnAnswerThatIsNoNumberEndsTheReadWithAnErrorBox) {
    TModuleFaults faults;
    faults.BadValueLetter = 'R';
    const TModuleState module = PatternedState(10, 8);
    StartModule(module, faults);
    StartTool();
    const TModuleState before = PatternedState(10, 3);
    SetPages(*m_controller, before);
    ConnectToModule();
    m_controller->SelectPage(1);

    Run(&TMainWindow::ReadPage);

    ASSERT_EQ(m_reportedErrors.size(), 1u);
    EXPECT_NE(m_reportedErrors[0].indexOf("not a valid integer"), -1)
        << m_reportedErrors[0].toStdString();
    EXPECT_TRUE(m_errorWindows.empty());
    EXPECT_TRUE(m_controller->IsConnected());
    ExpectUnlocked(*m_main);
    // The read stopped at the bad answer: duration, zone alarms, then the restores.
    EXPECT_EQ(ReceivedCommands().back(), "*10R0\\r");
    EXPECT_FALSE(m_progress->isVisible());
    // What was read before the bad answer is the module's; the rest keeps what the page had.
    TRelaySettings expected = before.Relays[0];
    expected.Duration = module.Relays[0].Duration;
    expected.ZoneRow(zeAlarm) = module.Relays[0].ZoneRow(zeAlarm);
    EXPECT_EQ(PagesState(*m_controller).Relays[0], expected);
}

TEST_F(ToolTest, APulledCableInTheMiddleOfWriteAllLeavesAConsistentTool) {
    StartModule(PowerUpState(10), {}, false, 30);
    StartTool();
    ConnectToModule();
    SetPages(*m_controller, PatternedState(10, 9));
    const TModuleState pages = PagesState(*m_controller);
    m_controller->SelectPage(2);

    Run(&TMainWindow::WriteAllPages);

    ExpectUnlocked(*m_main);
    // A failed operation, too, ends on the page the user had chosen, and the tree names it.
    EXPECT_EQ(m_controller->CurrentPage(), m_controller->RelayPage(2));
    EXPECT_EQ(m_main->PageTree->currentItem()->text(0), QString::fromUtf8("Реле 2"));
    EXPECT_TRUE(m_module->HasHungUp());
    // Either the port reported the failure or every later command timed out in the log.
    EXPECT_TRUE(!m_reportedErrors.empty() ||
                LogLines().filter(QString::fromUtf8("Не получили: OK")).size() > 0);
    EXPECT_EQ(PagesState(*m_controller), pages);

    m_reportedErrors.clear();
    Run(&TMainWindow::DisconnectFromModule);
    EXPECT_FALSE(m_controller->IsConnected());
    EXPECT_TRUE(m_main->ConnectAction->isEnabled());
    EXPECT_FALSE(m_main->DisconnectAction->isEnabled());
}

// "Отмена" in the progress window stops "Читать всё" after the command that runs.
TEST_F(ToolTest, CancelInTheProgressWindowStopsReadAll) {
    StartModule(PowerUpState(10), {}, true);
    StartTool();
    ConnectToModule();
    QTimer::singleShot(150, m_progress.get(), [this] { m_progress->CancelButton->click(); });

    Run(&TMainWindow::ReadAllPages);

    // The cancel is said in the window, and is no error of it.
    EXPECT_TRUE(m_errorWindows.empty());
    ASSERT_EQ(m_windowNotes.size(), 1u);
    ASSERT_GE(m_windowNotes[0].size(), 2u);
    EXPECT_EQ(m_windowNotes[0][0], "Операция отменена пользователем");
    EXPECT_EQ(m_windowNotes[0].back(), "Страница \"Реле 5\" не прочитана");
    EXPECT_LT(ReceivedCommands().size(), 1u + kWholeReadCommands);
    EXPECT_FALSE(m_progress->isVisible());
    EXPECT_TRUE(m_controller->IsConnected());
    ExpectUnlocked(*m_main);
}

// A module whose answers come before the window would wait for them leaves the window no time
// while it waits; «Отмена» still reaches the operation between commands.
TEST_F(ToolTest, CancelReachesAnOperationWhoseAnswersComeAtOnce) {
    StartModule();
    StartTool();
    ConnectToModule();
    const std::size_t atConnect = ReceivedCommands().size();
    Run(&TMainWindow::ReadAllPages);
    // The click is waiting before the first command goes out, and the window took its last
    // events well before.
    QTest::qWait(300);
    QTimer::singleShot(0, m_progress.get(), [this] { m_progress->CancelButton->click(); });

    Run(&TMainWindow::WriteAllPages);

    ASSERT_EQ(m_windowNotes.size(), 1u);
    EXPECT_EQ(m_windowNotes[0][0], "Операция отменена пользователем");
    EXPECT_LT(ReceivedCommands().size(),
              atConnect + kWholeReadCommands + TDeviceController::ModuleCommands(false));
    EXPECT_TRUE(m_controller->IsConnected());
}
