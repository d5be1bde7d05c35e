// A faulty module or line: each fault ends with its error line, box or window, the controls
// unlocked and the connection state consistent.
#include <QTreeWidget>

#include "Controls.h"
#include "RelayFormsController.h"
#include "ToolFixture.h"
#include "fCommon.h"
#include "fMain.h"
#include "fRelay.h"

namespace {

void ExpectUnlocked(const TFormMain& main) {
    EXPECT_TRUE(main.tv1->isEnabled());
    EXPECT_TRUE(main.ToolBar1->isEnabled());
    for (const QMenu* menu : main.TopLevelMenus()) {
        // A hidden menu reports itself disabled whatever it was set to.
        if (menu->menuAction()->isVisible()) {
            EXPECT_TRUE(menu->menuAction()->isEnabled()) << menu->title().toStdString();
        }
    }
}

const char* kDurationLine(int relay) {
    static std::string line;
    line = "Ошибка при чтении параметра \"Реле № " + std::to_string(relay) + " \"";
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

    Run(&TFormMain::tbReadClick);

    ASSERT_EQ(m_errorWindows.size(), 1u);
    EXPECT_EQ(m_errorWindows[0], std::vector<std::string>{kDurationLine(3)});
    // The other eleven reads still ran and filled the page; the duration stays cleared.
    TRelaySettings expected = stored.Relays[2];
    expected.Duration = 0;
    EXPECT_EQ(m_controller->RelayPage(3)->Settings(), expected);
    EXPECT_EQ(m_controller->RelayPage(3)->etDuration->text(), "0");
    ExpectUnlocked(*m_main);
}

TEST_F(ToolTest, ReadAllFromAModuleThatStopsAnsweringListsOneLinePerPage) {
    TModuleFaults faults;
    faults.IgnoreLetters = "oTARELMDCYPFW";
    StartModule(PowerUpState(10), faults);
    StartTool();
    ConnectToModule();
    ASSERT_TRUE(m_controller->IsConnected());

    Run(&TFormMain::tbReadAllClick);

    ASSERT_EQ(m_errorWindows.size(), 1u);
    const std::vector<std::string> expected{"Ошибка при чтении параметра \"№ объекта\"",
                                            kDurationLine(1),
                                            kDurationLine(2),
                                            kDurationLine(3),
                                            kDurationLine(4),
                                            kDurationLine(5)};
    EXPECT_EQ(m_errorWindows[0], expected);
    EXPECT_EQ(m_controller->CommonPage()->etO->text(), "");
    EXPECT_TRUE(m_controller->IsConnected());
    ExpectUnlocked(*m_main);
}

TEST_F(ToolTest, AnAnswerThatIsNoNumberEndsTheReadWithAnErrorBox) {
    TModuleFaults faults;
    faults.BadValueLetter = 'R';
    StartModule(PatternedState(10, 8), faults);
    StartTool();
    ConnectToModule();
    m_controller->SelectPage(1);

    Run(&TFormMain::tbReadClick);

    ASSERT_EQ(m_reportedErrors.size(), 1u);
    EXPECT_NE(m_reportedErrors[0].indexOf("not a valid integer"), -1)
        << m_reportedErrors[0].toStdString();
    EXPECT_TRUE(m_errorWindows.empty());
    EXPECT_TRUE(m_controller->IsConnected());
    ExpectUnlocked(*m_main);
    // The read stopped at the bad answer: duration, zone alarms, then the restores.
    EXPECT_EQ(ReceivedCommands().back(), "*10R0\\r");
    EXPECT_FALSE(m_progress->isVisible());
}

TEST_F(ToolTest, APulledCableInTheMiddleOfWriteAllLeavesAConsistentTool) {
    StartModule(PowerUpState(10), {}, false, 30);
    StartTool();
    ConnectToModule();
    SetPages(*m_controller, PatternedState(10, 9));
    const TModuleState pages = PagesState(*m_controller);

    Run(&TFormMain::tbWriteAllClick);

    ExpectUnlocked(*m_main);
    EXPECT_TRUE(m_module->HasHungUp());
    // Either the port reported the failure or every later command timed out in the log.
    EXPECT_TRUE(!m_reportedErrors.empty() ||
                LogLines().filter(QString::fromUtf8("Не получили: OK")).size() > 0);
    EXPECT_EQ(PagesState(*m_controller), pages);

    m_reportedErrors.clear();
    Run(&TFormMain::tbDisconnectClick);
    EXPECT_FALSE(m_controller->IsConnected());
    EXPECT_TRUE(m_main->tbConnect->isEnabled());
    EXPECT_FALSE(m_main->tbDisconnect->isEnabled());
}
