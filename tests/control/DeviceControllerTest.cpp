// The device controller over a scripted module: command order, progress, error lines, release.
#include <gtest/gtest.h>

#include "DeviceController.h"
#include "DeviceView.h"
#include "FakeTransport.h"
#include "ModuleSettings.h"
#include "RecordingLog.h"
#include "RelaySettings.h"
#include "StrLib.h"

namespace {

// Records what the controller asks of the windows.
class TRecordingView : public IDeviceView {
  public:
    void SetProgressPosition(int position) override { Calls.push_back("position " + N(position)); }
    void SetProgressMin(int minimum) override { Calls.push_back("min " + N(minimum)); }
    void SetProgressMax(int maximum) override {
        Calls.push_back("max " + N(maximum));
        Maximum = maximum;
    }
    void SetProgressStep(int step) override { Calls.push_back("step " + N(step)); }
    void StepProgressBar() override { ++Steps; }
    void ShowProgress() override { Shown = true; }
    void HideProgress() override { Shown = false; }
    void SetVersionText(const std::string& version) override { Version = version; }
    void ProcessMessages() override { ++Pumps; }
    bool CancelRequested() override { return CancelAfterSteps >= 0 && Steps >= CancelAfterSteps; }
    void ResetCancel() override { CancelAfterSteps = -1; }
    bool ConfirmRenumber(int from, int to) override {
        Calls.push_back("renumber " + N(from) + " to " + N(to));
        return RenumberAnswer;
    }

    std::vector<std::string> Calls;
    int Maximum = -1;
    int Steps = 0;
    int Pumps = 0;
    bool Shown = false;
    std::string Version = "Версия";
    // The user presses "Отмена" once this many steps were made; -1 never.
    int CancelAfterSteps = -1;
    bool RenumberAnswer = true;

  private:
    static std::string N(int n) { return std::to_string(n); }
};

// A module that answers every command with its echo and "OK"; reads get the given values.
class DeviceControllerTest : public ::testing::Test {
  protected:
    DeviceControllerTest()
        : m_controller(
              m_transport,
              [this](const std::string& text) {
                  m_slow.push_back(text);
                  m_order.push_back(text);
              },
              m_log, 7, m_view) {
        m_transport.SetDefaultReply([this](const std::string& sent) -> std::optional<std::string> {
            m_order.push_back(sent);
            const std::string command = sent.substr(3, sent.size() - 4);
            if (m_silent.find(command) != std::string::npos) {
                return std::nullopt;
            }
            const auto value = m_values.find(command);
            const std::string read = value != m_values.end() ? value->second : DefaultRead(command);
            return sent + "\n" + (read.empty() ? "" : read + "\r\n") + "OK\r\n";
        });
        m_relay.Number = 3;
    }

    // What a module at power-up answers to a read; writes carry no value.
    static std::string DefaultRead(const std::string& command) {
        if (command.find('=') != std::string::npos) {
            return "";
        }
        switch (command[0]) {
            case 'T':
                return "00 00 00 00 00";
            case 'o':
                return "07";
            case 'v':
                return "VER 08.00";
            case 'C':
            case 'Y':
            case 'P':
            case 'F':
            case 'W':
                return "00";
            default:
                return "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0";
        }
    }

    // The commands sent, without the object prefix and the carriage return.
    std::vector<std::string> Commands() const {
        std::vector<std::string> commands;
        for (const std::string& sent : m_transport.Sent()) {
            commands.push_back(sent.rfind("*07", 0) == 0 ? sent.substr(3, sent.size() - 4) : sent);
        }
        return commands;
    }

    TFakeTransport m_transport;
    TRecordingLog m_log;
    TRecordingView m_view;
    std::vector<std::string> m_slow;
    // Slow sends and commands together, in the order they went out.
    std::vector<std::string> m_order;
    std::map<std::string, std::string> m_values;
    std::string m_silent;
    TDeviceController m_controller;
    TCommonSettings m_common;
    TRelaySettings m_relay;
};

const char kRow[] = "0 1 2 3 4 0 1 2 3 4 0 1 2 3 4 3";

std::string ReadError(const std::string& name) {
    return "Ошибка при чтении параметра \"" + name + "\"";
}

std::string WriteError(const std::string& name) {
    return "Ошибка при записи параметра \"" + name + "\"";
}

}  // namespace

TEST_F(DeviceControllerTest, ReadingARelayRunsTwelveReadsAndStepsTheProgressTwelveTimes) {
    m_values = {{"T", "01 02 FF 04 05"}, {"A2", kRow}, {"C2", "34"}, {"F2", "34"}};
    m_controller.ReadRelay(m_relay);

    EXPECT_EQ(Commands(), (std::vector<std::string>{"T", "A2", "R2", "E2", "M2", "D2", "L2", "C2",
                                                    "Y2", "P2", "F2", "W2"}));
    EXPECT_EQ(m_view.Calls, (std::vector<std::string>{"position 0", "min 0", "max 12", "step 1"}));
    EXPECT_EQ(m_view.Steps, 12);
    EXPECT_EQ(m_view.Pumps, 12);
    EXPECT_FALSE(m_view.Shown);
    EXPECT_EQ(std::to_string(m_relay.Duration), "255");
    EXPECT_EQ(m_relay.Zone(zeAlarm, 5), 4);
    EXPECT_EQ(m_relay.Zone(zeAlarm, 16), 3);
    // Panel link: the first digit is "No"; fire alarm: the first digit is "Yes".
    EXPECT_EQ(m_relay.NoOf(rcPanelLink), 3);
    EXPECT_EQ(m_relay.YesOf(rcPanelLink), 4);
    EXPECT_EQ(m_relay.YesOf(rcFire), 3);
    EXPECT_EQ(m_relay.NoOf(rcFire), 4);
    EXPECT_TRUE(m_controller.GetErrors().empty());
}

TEST_F(DeviceControllerTest, AFailedDurationReadListsTheRelayAndTheOtherReadsStillRun) {
    m_silent = "T";
    m_values = {{"A2", kRow}};
    m_relay.Duration = 99;
    m_controller.ReadRelay(m_relay);

    EXPECT_EQ(m_controller.GetErrors(),
              std::vector<std::string>{"Ошибка при чтении параметра \"Реле № 3 \""});
    EXPECT_EQ(std::to_string(m_relay.Duration), "99");
    EXPECT_EQ(Commands().size(), 12u);
    EXPECT_EQ(m_relay.Zone(zeAlarm, 16), 3);
}

TEST_F(DeviceControllerTest, AFailedRowReadKeepsTheOldRow) {
    m_silent = "R2";
    m_relay.Zone(zeRestore, 1) = rrOff;
    m_controller.ReadRelay(m_relay);
    EXPECT_EQ(m_relay.Zone(zeRestore, 1), rrOff);
    EXPECT_EQ(m_controller.GetErrors(),
              std::vector<std::string>{ReadError("Реле 3: Зоны, Восстановления")});
}

// Values the page cannot hold are failed reads of those values: the page keeps what it had.
TEST_F(DeviceControllerTest, AnswersOutOfRangeAreFailedReadsAndThePageKeepsItsValues) {
    struct TCase {
        const char* Name;
        const char* Command;
        const char* Answer;
        const char* ErrorName;
    };
    const TCase cases[] = {
        {"a code above 4", "A2", "7 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", "Реле 3: Зоны, Тревоги"},
        {"a code that is -1", "M2", "0 FFFFFFFF 0 0 0 0 0 0 0 0 0 0 0 0 0 0",
         "Реле 3: Разделы, Постановки"},
        {"a row with fewer than 16 codes", "L2", "0 1 2", "Реле 3: Разделы, Тревоги"},
        {"an empty row", "E2", "", "Реле 3: Зоны, Аварии"},
        {"a condition code above 4", "P2", "05", "Реле 3: Внешнее питание"},
        {"a duration above 255", "T", "01 02 1FF 04 05", "Реле № 3 "},
        {"a duration list that ends before the relay", "T", "01 02", "Реле № 3 "},
        {"no duration at all", "T", "", "Реле № 3 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRelaySettings relay;
        relay.Number = 3;
        relay.Duration = 77;
        for (auto& row : relay.Zones) {
            row.fill(rrOff);
        }
        for (auto& row : relay.Partitions) {
            row.fill(rrOff);
        }
        relay.Yes.fill(rrOff);
        relay.No.fill(rrOff);
        const TRelaySettings before = relay;
        m_values = {{c.Command, c.Answer}};
        m_controller.ClearErrors();
        m_controller.ReadRelay(relay);
        EXPECT_EQ(m_controller.GetErrors(), std::vector<std::string>{ReadError(c.ErrorName)});
        EXPECT_EQ(std::to_string(relay.Duration), std::string(c.Command) == "T" ? "77" : "0");
        TRelaySettings expected = before;
        // Everything else was read: the module's power-up values.
        for (TZoneEvent e : {zeAlarm, zeRestore, zeFault}) {
            if (ZoneEventLetter(e) != c.Command[0]) {
                expected.ZoneRow(e).fill(rrOn);
            }
        }
        for (TPartitionEvent e : {peArm, peDisarm, peAlarm}) {
            if (PartitionEventLetter(e) != c.Command[0]) {
                expected.PartitionRow(e).fill(rrOn);
            }
        }
        for (TRelayCondition k : {rcPanelLink, rcJournal, rcPower, rcFire, rcDelay}) {
            if (ConditionLetter(k) != c.Command[0]) {
                expected.YesOf(k) = rrOn;
                expected.NoOf(k) = rrOn;
            }
        }
        expected.Duration = relay.Duration;
        EXPECT_EQ(relay, expected);
    }
}

TEST_F(DeviceControllerTest, AnObjectNumberOutOfRangeIsAFailedRead) {
    for (const char* answer : {"-5", "100", "$0A"}) {
        SCOPED_TRACE(answer);
        m_values = {{"o", answer}};
        m_common.ObjectNumber = "07";
        m_controller.ClearErrors();
        m_controller.ReadCommon(m_common);
        EXPECT_EQ(m_common.ObjectNumber, "07");
        EXPECT_EQ(m_controller.GetErrors(), std::vector<std::string>{ReadError("№ объекта")});
    }
}

// A write that the module does not acknowledge is named in the words of the page.
TEST_F(DeviceControllerTest, EveryWriteWithoutOkIsAnErrorLine) {
    m_silent = "T2=0A A24=2 L2F=2 C21=2 F21=2";
    m_relay.Duration = 10;
    m_relay.Zone(zeAlarm, 5) = rrOff;
    m_relay.Partition(peAlarm, 16) = rrOff;
    m_relay.YesOf(rcPanelLink) = rrOff;
    m_relay.NoOf(rcFire) = rrOff;
    m_controller.WriteRelay(m_relay);
    EXPECT_EQ(Commands().size(), 107u);
    EXPECT_EQ(m_controller.GetErrors(),
              (std::vector<std::string>{WriteError("Реле 3: Длительность"),
                                        WriteError("Реле 3: Зоны, Тревоги, зона 5"),
                                        WriteError("Реле 3: Разделы, Тревоги, раздел 16"),
                                        WriteError("Реле 3: Связь с панелью, Есть"),
                                        WriteError("Реле 3: Пожарная тревога, Тревога сброшена")}));
}

TEST_F(DeviceControllerTest, ACodeThePageCannotShowNeverGoesOut) {
    m_relay.Duration = 10;
    m_relay.Zone(zeAlarm, 1) = -7;
    m_relay.YesOf(rcDelay) = 9;
    m_controller.WriteRelay(m_relay);
    const std::vector<std::string> commands = Commands();
    EXPECT_EQ(commands.size(), 105u);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "A20=0"), 0);
    EXPECT_EQ(m_controller.GetErrors(),
              (std::vector<std::string>{WriteError("Реле 3: Зоны, Тревоги, зона 1"),
                                        WriteError("Реле 3: Задержка, Есть")}));
}

TEST_F(DeviceControllerTest, FiveSilentCommandsInARowStopTheOperation) {
    m_silent = "A21=0 R21=0 E21=0 A22=0 R22=0";
    m_relay.Duration = 10;
    m_controller.WriteRelay(m_relay);
    // The duration and zone 1 went through; the five silent writes are the last ones sent.
    EXPECT_EQ(Commands().size(), 1u + 3u + 5u);
    EXPECT_FALSE(m_view.Shown);
    std::vector<std::string> expected;
    for (const char* name :
         {"Реле 3: Зоны, Тревоги, зона 2", "Реле 3: Зоны, Восстановления, зона 2",
          "Реле 3: Зоны, Аварии, зона 2", "Реле 3: Зоны, Тревоги, зона 3",
          "Реле 3: Зоны, Восстановления, зона 3"}) {
        expected.push_back(WriteError(name));
    }
    expected.push_back("Модуль не отвечает");
    expected.push_back("Страница \"Реле 3\" записана не полностью");
    EXPECT_EQ(m_controller.GetErrors(), expected);

    // The rest of the command's pages are listed, not written.
    m_controller.WriteCommon(m_common);
    EXPECT_EQ(Commands().size(), 9u);
    EXPECT_EQ(m_controller.GetErrors().back(), "Страница \"Общие\" не записана");

    // Four in a row do not stop it.
    m_silent = "A21=0 R21=0 E21=0 A22=0";
    m_controller.ClearErrors();
    m_controller.WriteRelay(m_relay);
    EXPECT_EQ(Commands().size(), 9u + 107u);
}

TEST_F(DeviceControllerTest, CancelStopsAfterTheCurrentCommand) {
    m_view.CancelAfterSteps = 4;
    m_controller.ReadRelay(m_relay);
    EXPECT_EQ(Commands().size(), 4u);
    EXPECT_FALSE(m_view.Shown);
    EXPECT_EQ(m_controller.GetErrors(),
              (std::vector<std::string>{"Операция отменена",
                                        "Страница \"Реле 3\" прочитана не полностью"}));
    // A new command starts without the old cancel.
    m_controller.ClearErrors();
    m_controller.ReadRelay(m_relay);
    EXPECT_EQ(Commands().size(), 4u + 12u);
    EXPECT_TRUE(m_controller.GetErrors().empty());
}

TEST_F(DeviceControllerTest, RenumberingTheModuleIsAskedFirstAndANoSkipsOnlyThatWrite) {
    m_common.ObjectNumber = "1";
    m_view.RenumberAnswer = false;
    m_controller.WriteCommon(m_common);
    EXPECT_TRUE(m_transport.Sent().empty());
    EXPECT_EQ(m_view.Calls.back(), "renumber 7 to 1");
    EXPECT_TRUE(m_controller.GetErrors().empty());
    m_controller.WriteRelay(m_relay);
    EXPECT_EQ(m_transport.Sent().size(), 107u);
    EXPECT_EQ(m_transport.Sent().front().substr(0, 3), "*07");

    // The same number needs no question.
    m_view.Calls.clear();
    m_common.ObjectNumber = "07";
    m_controller.WriteCommon(m_common);
    EXPECT_EQ(m_transport.Sent().back(), "*07o=07\r");
    EXPECT_EQ(std::count(m_view.Calls.begin(), m_view.Calls.end(), "renumber 7 to 7"), 0);
}

TEST_F(DeviceControllerTest, ABadNumberStopsTheReadAndHidesTheProgress) {
    m_values = {{"A2", "0 1 ZZ"}};
    EXPECT_THROW(m_controller.ReadRelay(m_relay), EConvertError);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"T", "A2"}));
    EXPECT_FALSE(m_view.Shown);
}

TEST_F(DeviceControllerTest, WritingARelaySendsTheDurationThenZonesThenPartitionsThenConditions) {
    m_relay.Duration = 10;
    m_relay.Zone(zeFault, 16) = rrOn1Hz;
    m_relay.YesOf(rcFire) = rrOff;
    m_relay.NoOf(rcFire) = rrOnTimed;
    m_controller.WriteRelay(m_relay);

    const std::vector<std::string> commands = Commands();
    ASSERT_EQ(commands.size(), 107u);
    EXPECT_EQ(m_view.Steps, 107);
    EXPECT_EQ(m_view.Maximum, 107);
    EXPECT_EQ(commands[0], "T2=0A");
    EXPECT_EQ(std::vector<std::string>(commands.begin() + 1, commands.begin() + 5),
              (std::vector<std::string>{"A20=0", "R20=0", "E20=0", "A21=0"}));
    EXPECT_EQ(commands[48], "E2F=3");
    EXPECT_EQ(commands[49], "M20=0");
    EXPECT_EQ(std::vector<std::string>(commands.begin() + 97, commands.end()),
              (std::vector<std::string>{"C20=0", "C21=0", "Y20=0", "Y21=0", "P20=0", "P21=0",
                                        "F21=1", "F20=2", "W21=0", "W20=0"}));
}

TEST_F(DeviceControllerTest, TheCommonPageReadsAndWritesTheObjectNumber) {
    m_values = {{"o", "1"}};
    m_common.ObjectNumber.clear();
    m_controller.ReadCommon(m_common);
    EXPECT_EQ(m_common.ObjectNumber, "1");
    EXPECT_EQ(m_view.Maximum, 1);
    EXPECT_EQ(m_view.Steps, 1);

    m_common.ObjectNumber = "05";
    m_controller.WriteCommon(m_common);
    EXPECT_EQ(m_transport.Sent().back(), "*07o=05\r");
    m_controller.WriteRelay(m_relay);
    EXPECT_EQ(m_transport.Sent().back().substr(0, 3), "*05");
}

// Only a plain decimal number goes out; anything else is said, never skipped in silence.
TEST_F(DeviceControllerTest, AnObjectNumberThatIsNoPlainNumberIsAWriteError) {
    for (const char* text : {"", "5a", "$0A", "-1", "100", " 5", "1e1"}) {
        SCOPED_TRACE(text);
        m_common.ObjectNumber = text;
        m_controller.ClearErrors();
        m_controller.WriteCommon(m_common);
        EXPECT_TRUE(m_transport.Sent().empty());
        EXPECT_EQ(m_controller.GetErrors(), std::vector<std::string>{WriteError("№ объекта")});
        EXPECT_FALSE(m_view.Shown);
    }
}

TEST_F(DeviceControllerTest, ASilentModuleFailsTheObjectNumberReadAndTheVersionCheck) {
    m_silent = "o v";
    m_controller.ReadCommon(m_common);
    EXPECT_EQ(m_controller.GetErrors(),
              std::vector<std::string>{"Ошибка при чтении параметра \"№ объекта\""});

    EXPECT_FALSE(m_controller.CheckVersion());
    EXPECT_EQ(m_log.Rendered().back(), "error: Не смогли прочесть версию");
    EXPECT_EQ(m_view.Version, "Версия");
    m_controller.ClearErrors();
    EXPECT_TRUE(m_controller.GetErrors().empty());
}

TEST_F(DeviceControllerTest, TheVersionCheckWantsVer08) {
    struct TCase {
        const char* answer;
        bool accepted;
    };
    const TCase cases[] = {
        {"VER 08.00", true}, {"VER 08.15 beta", true}, {"VER 07.00", false}, {"ver 08.00", false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.answer);
        m_values["v"] = c.answer;
        m_view.Version = "Версия";
        const std::size_t logged = m_log.Rendered().size();
        EXPECT_EQ(m_controller.CheckVersion(), c.accepted);
        EXPECT_EQ(m_view.Version, c.accepted ? c.answer : "Версия");
        const std::vector<std::string> lines = m_log.Rendered();
        const bool loggedVersion =
            std::find(lines.begin() + static_cast<std::ptrdiff_t>(logged), lines.end(),
                      std::string("data Прочли версию: ") + c.answer) != lines.end();
        EXPECT_EQ(loggedVersion, c.accepted);
    }
}

TEST_F(DeviceControllerTest, ReleaseSendsThreeBracketsSlowlyThenPlusRb) {
    m_controller.ReleaseDevice();
    EXPECT_EQ(m_order, (std::vector<std::string>{"]", "]", "]", "+rb\r"}));
    EXPECT_EQ(m_slow, (std::vector<std::string>{"]", "]", "]"}));
    EXPECT_EQ(m_transport.Sent(), std::vector<std::string>{"+rb\r"});
    EXPECT_EQ(m_log.Rendered().back().rfind("message: Ответ: ", 0), 0u);
}

// With the module's values given, only what differs goes out, in the order of a full write.
TEST_F(DeviceControllerTest, WritingChangesSendsOnlyWhatDiffersInTheUsualOrder) {
    TRelaySettings onModule = m_relay;
    m_relay.Duration = 10;
    m_relay.Zone(zeFault, 16) = rrOn1Hz;
    m_relay.Partition(peArm, 1) = rrOff;
    m_relay.YesOf(rcFire) = rrOff;
    m_controller.WriteRelay(m_relay, &onModule);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"T2=0A", "E2F=3", "M20=2", "F20=2"}));
    EXPECT_EQ(m_view.Maximum, 4);
    EXPECT_EQ(m_view.Steps, 4);
    EXPECT_TRUE(m_controller.GetErrors().empty());

    // Nothing differs: nothing is sent, and no progress shows.
    m_controller.WriteRelay(onModule, &onModule);
    EXPECT_EQ(Commands().size(), 4u);

    // The same object number in another spelling is no change; another number is.
    TCommonSettings onModuleCommon{"7"};
    m_common.ObjectNumber = "07";
    m_controller.WriteCommon(m_common, &onModuleCommon);
    EXPECT_EQ(Commands().size(), 4u);
    m_common.ObjectNumber = "08";
    m_controller.WriteCommon(m_common, &onModuleCommon);
    EXPECT_EQ(Commands().back(), "o=08");
}
