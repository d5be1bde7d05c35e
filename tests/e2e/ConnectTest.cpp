// Connecting and disconnecting: the version check, the dialog's answers and the port's faults.
#include <QAction>
#include <fstream>

#include "ToolFixture.h"
#include "ini/IniFile.h"
#include "shell/ConnectDialog.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "transport/ComPortWorker.h"
#include "transport/ModuleLine.h"
#include "widgets/StoredControls.h"

namespace {

struct TCommandStates {
    bool Connect, Disconnect, Read, Write, ReadAll, WriteAll;
};

void ExpectCommandStates(const TMainWindow& main, const TCommandStates& expected) {
    const std::pair<const QAction*, const QAction*> pairs[] = {
        {main.ConnectAction, main.ConnectAction}, {main.DisconnectAction, main.DisconnectAction},
        {main.ReadAction, main.ReadAction},       {main.WriteAction, main.WriteAction},
        {main.ReadAllAction, main.ReadAllAction}, {main.WriteAllAction, main.WriteAllAction}};
    const bool states[] = {expected.Connect, expected.Disconnect, expected.Read,
                           expected.Write,   expected.ReadAll,    expected.WriteAll};
    for (std::size_t i = 0; i < std::size(pairs); ++i) {
        EXPECT_EQ(pairs[i].first->isEnabled(), states[i]) << pairs[i].first->text().toStdString();
        EXPECT_EQ(pairs[i].second->isEnabled(), states[i]) << pairs[i].second->text().toStdString();
    }
}

constexpr TCommandStates kDisconnected{true, false, false, false, false, false};
constexpr TCommandStates kConnected{false, true, true, true, true, true};

}  // namespace

TEST_F(ToolTest, ConnectChecksTheVersionAndEnablesTheModuleCommands) {
    StartModule();
    StartTool();
    ConnectToModule();

    EXPECT_TRUE(m_reportedErrors.empty());
    EXPECT_TRUE(m_controller->IsConnected());
    ExpectCommandStates(*m_main, kConnected);
    EXPECT_EQ(m_main->StatusText(1).toStdString(), m_module->DevicePath());
    EXPECT_EQ(m_main->StatusText(2), "VER 08.00");
    EXPECT_EQ(m_main->StatusText(3), QString::fromUtf8("Объект 10"));
    EXPECT_TRUE(LogLines().contains(QString::fromUtf8("Прочли версию")));
    EXPECT_EQ(ReceivedCommands(), std::vector<std::string>{"*10v\\r"});
}

TEST_F(ToolTest, DisconnectReleasesTheModuleThenClosesThePort) {
    StartModule();
    StartTool();
    ConnectToModule();
    Run(&TMainWindow::DisconnectFromModule);

    EXPECT_FALSE(m_controller->IsConnected());
    ExpectCommandStates(*m_main, kDisconnected);
    // The status bar shows the connection as it is now, not the last port and version.
    EXPECT_EQ(m_main->StatusText(1), QString::fromUtf8("Нет связи"));
    EXPECT_EQ(m_main->StatusText(2), QString());
    EXPECT_EQ(m_main->StatusText(3), QString());
    EXPECT_EQ(ReceivedCommands(), (std::vector<std::string>{"*10v\\r", "]", "]", "]", "+rb\\r"}));
    const QStringList answers = LogLines().filter(QString::fromUtf8("Ответ: "));
    ASSERT_EQ(answers.size(), 1);
    EXPECT_TRUE(answers[0].startsWith(QString::fromUtf8("Ответ: OK")));
    // The port is free again: another connect works.
    ConnectToModule();
    EXPECT_TRUE(m_controller->IsConnected());
}

class VersionCheckTest : public ToolTest {
  protected:
    void ExpectConnectRefused(const TModuleFaults& faults, bool logsReadFailure,
                              const char* boxSays) {
        StartModule(PowerUpState(10), faults);
        StartTool();
        ConnectToModule();

        EXPECT_FALSE(m_controller->IsConnected());
        ExpectCommandStates(*m_main, kDisconnected);
        ASSERT_EQ(m_reportedErrors.size(), 1u);
        EXPECT_TRUE(m_reportedErrors[0].contains(QString::fromUtf8(boxSays)))
            << m_reportedErrors[0].toStdString();
        // A failed connect leaves no port or version in the status bar.
        EXPECT_EQ(m_main->StatusText(1), QString::fromUtf8("Нет связи"));
        EXPECT_EQ(m_main->StatusText(2), QString());
        EXPECT_EQ(LogLines().contains(QString::fromUtf8("Не смогли прочесть версию")),
                  logsReadFailure);
        EXPECT_EQ(ReceivedCommands(),
                  (std::vector<std::string>{"*10v\\r", "]", "]", "]", "+rb\\r"}));
    }
};

TEST_F(VersionCheckTest, ASilentModuleIsReleasedAndLeftDisconnected) {
    TModuleFaults faults;
    faults.Silent = true;
    ExpectConnectRefused(faults, true, "модуль с номером 10 не отвечает");
}

TEST_F(VersionCheckTest, AModuleWithAnotherVersionIsReleasedAndLeftDisconnected) {
    TModuleFaults faults;
    faults.WrongVersion = true;
    ExpectConnectRefused(faults, false, "модуль с номером 10 ответил другой версией");
}

// The answer's "ok" in lower case leaves no value to cut out; the box shows what the module sent.
TEST_F(VersionCheckTest, AModuleAnsweringInLowerCaseIsShownWithWhatItSent) {
    TModuleFaults faults;
    faults.Lowercase = true;
    ExpectConnectRefused(faults, false, "ответил \"VER 08.00 ok\" не по протоколу");
}

TEST_F(ToolTest, ConnectErrorsShowABoxAndLeaveTheToolDisconnected) {
    StartModule();
    StartTool();
    TComPortWorker holder(true);
    holder.Open(m_module->DevicePath(), br19200, kAnswerTimeoutMs);

    struct TCase {
        const char* name;
        std::string port;
        std::string number;
        std::string expectedBox;
        // The sentence after the first line that gives the reason and the way out.
        std::string reason;
    };
    const TCase cases[] = {
        {"busy port", m_module->DevicePath(), "10",
         "Ошибка подключения: не удалось открыть порт " + m_module->DevicePath() + ".", "занят"},
        {"missing port", "/dev/tarnel-no-such-port", "10",
         "Ошибка подключения: не удалось открыть порт /dev/tarnel-no-such-port.", "не найден"},
        {"no serial device", "/dev/null", "10",
         "Ошибка подключения: не удалось открыть порт /dev/null.",
         "не является последовательным портом"},
        {"empty module number", m_module->DevicePath(), "",
         "Ошибка подключения: некорректный номер объекта.", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_reportedErrors.clear();
        Connect(c.port, c.number);
        ASSERT_EQ(m_reportedErrors.size(), 1u);
        const std::string box = m_reportedErrors[0].toStdString();
        if (c.reason.empty()) {
            EXPECT_EQ(box, c.expectedBox);
        } else {
            EXPECT_EQ(box.substr(0, box.find('\n')), c.expectedBox);
            EXPECT_NE(box.find(c.reason, c.expectedBox.size()), std::string::npos) << box;
        }
        // The window speaks Russian; the driver's English text is in the log only.
        EXPECT_EQ(box.find("Cannot open"), std::string::npos) << box;
        EXPECT_FALSE(m_controller->IsConnected());
        ExpectCommandStates(*m_main, kDisconnected);
    }
    EXPECT_TRUE(LogLines().filter("Cannot open device /dev/null").size() > 0);
    EXPECT_TRUE(ReceivedCommands().empty());
}

TEST_F(ToolTest, CancellingTheDialogStillStoresItsValues) {
    StartModule();
    StartTool();
    m_controller->RunConnectDialog = [](TConnectDialog& dialog) {
        dialog.ComPorts->setCurrentIndex(1);
        dialog.etObjN->setText("42");
        return false;
    };
    Run(&TMainWindow::ConnectToModule);

    EXPECT_FALSE(m_controller->IsConnected());
    EXPECT_TRUE(m_reportedErrors.empty());
    const TIniFile ini(SettingsFile());
    EXPECT_EQ(ini.ReadString("FormConnect", "etObjN", ""), "42");
    EXPECT_EQ(ini.ReadString("FormConnect", "ComPorts", ""), "1");
    EXPECT_EQ(ini.ReadString("FormConnect", "ComPortName", ""), "ttyS1");
    EXPECT_EQ(ini.ReadString("FormConnect", "meMasterKey", ""), "9618");
}

TEST_F(ToolTest, AModuleNumberTypedWithALeadingZeroAddressesThatModule) {
    StartModule(PowerUpState(5));
    StartTool();
    Connect(m_module->DevicePath(), "05");
    EXPECT_TRUE(m_controller->IsConnected());
    EXPECT_EQ(ReceivedCommands(), std::vector<std::string>{"*05v\\r"});
}

// The cable goes between the failed version check and the release: the port is closed all the
// same, so nothing stays open or locked behind a window that shows "disconnected".
TEST_F(ToolTest, AReleaseThatFailsAfterAFailedVersionCheckStillClosesThePort) {
    TModuleFaults faults;
    faults.WrongVersion = true;
    StartModule(PowerUpState(10), faults, false, 1);
    StartTool();
    ConnectToModule();

    EXPECT_FALSE(m_controller->IsConnected());
    ExpectCommandStates(*m_main, kDisconnected);
    ASSERT_GE(m_reportedErrors.size(), 1u);
    EXPECT_TRUE(m_reportedErrors[0].contains(QString::fromUtf8("ответил другой версией")))
        << m_reportedErrors[0].toStdString();
}
