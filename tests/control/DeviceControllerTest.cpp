// The device controller over a scripted module: command order, progress, error lines, release.
#include <gtest/gtest.h>

#include "FakeTransport.h"
#include "RecordingLog.h"
#include "control/DeviceController.h"
#include "control/DeviceView.h"
#include "model/ModuleSettings.h"
#include "model/RelaySettings.h"
#include "protocol/AnswerText.h"

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
    void SetOperationProgress(const TOperationProgress& progress) override {
        Texts.push_back(OperationProgressText(progress));
    }
    void SetVersionText(const std::string& version) override { Version = version; }
    void ProcessMessages() override { ++Pumps; }
    bool CancelRequested() override { return CancelAfterSteps >= 0 && Steps >= CancelAfterSteps; }
    void ResetCancel() override { CancelAfterSteps = -1; }
    TRenumberAnswer ConfirmRenumber(int from, int to) override {
        Calls.push_back("renumber " + N(from) + " to " + N(to));
        return RenumberAnswer;
    }

    std::vector<std::string> Calls;
    // What the progress window said, in order.
    std::vector<std::string> Texts;
    int Maximum = -1;
    int Steps = 0;
    int Pumps = 0;
    bool Shown = false;
    std::string Version = "Версия";
    // The user presses "Отмена" once this many steps were made; -1 never.
    int CancelAfterSteps = -1;
    TRenumberAnswer RenumberAnswer = TRenumberAnswer::Renumber;

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
    EXPECT_EQ(m_view.Calls, (std::vector<std::string>{"min 0", "max 12", "position 0", "step 1"}));
    EXPECT_EQ(m_view.Steps, 12);
    // The view takes its events at most ten times a second, and these answers came at once.
    EXPECT_EQ(m_view.Pumps, 1);
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

// A read error names the value in the page's words, as a write error does.
TEST_F(DeviceControllerTest, AFailedDurationReadNamesTheDurationAndTheOtherReadsStillRun) {
    m_silent = "T";
    m_values = {{"A2", kRow}};
    m_relay.Duration = 99;
    m_controller.ReadRelay(m_relay);

    EXPECT_EQ(m_controller.GetErrors(),
              std::vector<std::string>{"Ошибка при чтении параметра \"Реле 3: Длительность\""});
    EXPECT_EQ(std::to_string(m_relay.Duration), "99");
    EXPECT_EQ(Commands().size(), 12u);
    EXPECT_EQ(m_relay.Zone(zeAlarm, 16), 3);
}

// The progress names the operation and the page and counts over the whole operation, errors
// included; an operation of the caller spans the pages it calls and keeps the window shown.
TEST_F(DeviceControllerTest, TheProgressNamesTheOperationAndPageAndCountsOverTheWholeOperation) {
    EXPECT_EQ(TDeviceController::ModuleCommands(true), 57);
    EXPECT_EQ(TDeviceController::ModuleCommands(false), 536);
    EXPECT_EQ(TDeviceController::PageCommands(false, false), 107);

    TModuleSettings module;
    module.Common.ObjectNumber = "07";
    m_silent = "T2=00 A20=0";
    m_controller.WriteModule(module);
    // One line as each page starts, and one after each command.
    ASSERT_EQ(m_view.Texts.size(), 6u + 536u);
    EXPECT_EQ(m_view.Texts.front(), "Запись: Общие — 0 из 536");
    EXPECT_EQ(m_view.Texts[1], "Запись: Общие — 1 из 536");
    EXPECT_EQ(m_view.Texts[2], "Запись: Реле 1 — 1 из 536");
    EXPECT_EQ(m_view.Texts[2 + 2 * 108], "Запись: Реле 3 — 215 из 536");
    EXPECT_EQ(m_view.Texts[2 + 2 * 108 + 2], "Запись: Реле 3 — 217 из 536, ошибок: 2");
    EXPECT_EQ(m_view.Texts.back(), "Запись: Реле 5 — 536 из 536, ошибок: 2");
    EXPECT_EQ(m_view.Maximum, 536);
    EXPECT_FALSE(m_view.Shown);

    // Pages read one by one inside the caller's operation count on, and the window stays.
    m_view.Texts.clear();
    m_silent.clear();
    m_controller.ClearErrors();
    m_controller.BeginOperation("Сравнение", 1 + 2 * 12);
    m_controller.ReadCommon(m_common);
    EXPECT_TRUE(m_view.Shown);
    m_controller.ReadRelay(m_relay);
    EXPECT_TRUE(m_view.Shown);
    m_controller.EndOperation();
    EXPECT_FALSE(m_view.Shown);
    EXPECT_EQ(m_view.Texts.back(), "Сравнение: Реле 3 — 13 из 25");
    EXPECT_EQ(m_view.Maximum, 25);

    // A total counted short grows with the page; an operation never ended is forgotten with
    // the command.
    m_controller.BeginOperation("Чтение", 5);
    m_controller.ReadRelay(m_relay);
    EXPECT_EQ(m_view.Texts.back(), "Чтение: Реле 3 — 12 из 12");
    m_controller.ClearErrors();
    m_controller.ReadCommon(m_common);
    EXPECT_EQ(m_view.Texts.back(), "Чтение: Общие — 1 из 1");
    EXPECT_FALSE(m_view.Shown);
}

// One answer to "T" holds all five durations: the relay pages read in one operation ask for it
// once and each takes its own entry, in the order and with the errors of reading them one by one.
TEST_F(DeviceControllerTest, AnOperationAsksForTheDurationsOnceForAllItsRelayPages) {
    const auto durationReads = [this] {
        const std::vector<std::string> commands = Commands();
        return std::count(commands.begin(), commands.end(), "T");
    };
    m_values = {{"T", "01 02 03 04 05"}};
    TModuleSettings module;
    m_controller.ReadModule(module);
    EXPECT_EQ(durationReads(), 1);
    EXPECT_EQ(Commands().size(), static_cast<std::size_t>(TDeviceController::ModuleCommands(true)));
    EXPECT_EQ(Commands()[1], "T");
    for (int n = 1; n <= kRelayCount; ++n) {
        EXPECT_EQ(module.Relays.at(n - 1).Duration, n);
        EXPECT_EQ(m_controller.KnownValues().Values().Relays.at(n - 1).Duration, n);
    }
    EXPECT_EQ(m_view.Texts.back(), "Чтение: Реле 5 — 57 из 57");
    EXPECT_TRUE(m_controller.GetErrors().empty());

    // A page read alone asks for them, as ever.
    m_controller.ReadRelay(m_relay);
    EXPECT_EQ(durationReads(), 2);

    // An answer with a duration out of range serves no later page: each page asks again and only
    // the page whose entry is bad fails its duration.
    m_values = {{"T", "01 1FF 03 04 05"}};
    m_controller.ClearErrors();
    m_controller.ReadModule(module);
    EXPECT_EQ(durationReads(), 2 + kRelayCount);
    EXPECT_EQ(m_controller.GetErrors(),
              std::vector<std::string>{ReadError("Реле 2: Длительность")});

    // A write within the operation may change them: the next page asks again.
    m_values = {{"T", "01 02 03 04 05"}};
    const auto before = durationReads();
    m_controller.BeginOperation("Сравнение", 0);
    m_controller.ReadRelay(module.Relays[0]);
    m_controller.ReadRelay(module.Relays[1]);
    m_controller.WriteRelay(module.Relays[1]);
    m_controller.ReadRelay(module.Relays[2]);
    m_controller.EndOperation();
    EXPECT_EQ(durationReads(), before + 2);
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
        {"a duration above 255", "T", "01 02 1FF 04 05", "Реле 3: Длительность"},
        {"a duration list that ends before the relay", "T", "01 02", "Реле 3: Длительность"},
        {"no duration at all", "T", "", "Реле 3: Длительность"},
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

// The user's own stop is no error: it is said as a cancel, with what it left.
TEST_F(DeviceControllerTest, CancelStopsAfterTheCurrentCommandAndIsNoError) {
    m_view.CancelAfterSteps = 4;
    m_controller.ReadRelay(m_relay);
    EXPECT_EQ(Commands().size(), 4u);
    EXPECT_FALSE(m_view.Shown);
    EXPECT_TRUE(m_controller.GetErrors().empty());
    EXPECT_TRUE(m_controller.Cancelled());
    EXPECT_FALSE(m_controller.Completed());
    EXPECT_EQ(m_controller.GetNotes(),
              (std::vector<std::string>{"Операция отменена пользователем",
                                        "Страница \"Реле 3\" прочитана не полностью"}));
    // The rest of the command's pages are noted, not read; a real error is still counted.
    m_values = {{"o", "123"}};
    m_controller.ReadCommon(m_common);
    EXPECT_EQ(Commands().size(), 4u);
    EXPECT_EQ(m_controller.GetNotes().back(), "Страница \"Общие\" не прочитана");
    EXPECT_TRUE(m_controller.GetErrors().empty());

    // A new command starts without the old cancel.
    m_controller.ClearErrors();
    m_controller.ReadRelay(m_relay);
    EXPECT_EQ(Commands().size(), 4u + 12u);
    EXPECT_TRUE(m_controller.GetErrors().empty());
    EXPECT_FALSE(m_controller.Cancelled());
    EXPECT_TRUE(m_controller.GetNotes().empty());
    EXPECT_TRUE(m_controller.Completed());
}

// Each answer to the renumber question, over a whole module's write: what goes out, and what the
// command says it did.
TEST_F(DeviceControllerTest, RenumberingTheModuleIsAskedFirstAndEachAnswerIsSaid) {
    struct TCase {
        TRenumberAnswer Answer;
        std::size_t Sent;
        const char* FirstSent;
        const char* LastPrefix;
        std::vector<std::string> Notes;
        const char* Logged;
    };
    const TCase cases[] = {
        {TRenumberAnswer::Renumber,
         1 + 5 * 107,
         "*07o=01\r",
         "*01",
         {"Модуль перенумерован с 7 на 1"},
         "info: Модуль перенумерован с 7 на 1"},
        {TRenumberAnswer::KeepNumber,
         5 * 107,
         "*07T0=00\r",
         "*07",
         {"Номер объекта оставлен 7, остальное записано"},
         "info: Номер объекта не записан: изменение отменено"},
        {TRenumberAnswer::Cancel,
         0,
         "",
         "",
         {"Операция отменена пользователем", "Страница \"Общие\" не записана",
          "Страница \"Реле 1\" не записана", "Страница \"Реле 2\" не записана",
          "Страница \"Реле 3\" не записана", "Страница \"Реле 4\" не записана",
          "Страница \"Реле 5\" не записана", "Номер объекта не изменён на 1, ничего не записано"},
         "info: Запись отменена: номер объекта не изменён"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Answer));
        TFakeTransport transport;
        transport.SetDefaultReply([](const std::string& sent) -> std::optional<std::string> {
            return sent + "\nOK\r\n";
        });
        TRecordingLog log;
        TRecordingView view;
        view.RenumberAnswer = c.Answer;
        TDeviceController controller(
            transport, [](const std::string&) {}, log, 7, view);
        TModuleSettings module;
        module.Common.ObjectNumber = "1";
        for (int n = 1; n <= kRelayCount; ++n) {
            module.Relays.at(n - 1).Number = n;
        }
        controller.WriteModule(module);

        EXPECT_EQ(std::count(view.Calls.begin(), view.Calls.end(), "renumber 7 to 1"), 1);
        ASSERT_EQ(transport.Sent().size(), c.Sent);
        if (c.Sent > 0) {
            EXPECT_EQ(transport.Sent().front(), c.FirstSent);
            EXPECT_EQ(transport.Sent().back().substr(0, 3), c.LastPrefix);
        }
        EXPECT_TRUE(controller.GetErrors().empty());
        EXPECT_EQ(controller.Cancelled(), c.Answer == TRenumberAnswer::Cancel);
        EXPECT_EQ(controller.GetNotes(), c.Notes);
        const std::vector<std::string> lines = log.Rendered();
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.Logged), lines.end());
        EXPECT_FALSE(view.Shown);
    }

    // The same number needs no question.
    m_common.ObjectNumber = "07";
    m_controller.WriteCommon(m_common);
    EXPECT_EQ(m_transport.Sent().back(), "*07o=07\r");
    EXPECT_TRUE(m_view.Calls.empty() || m_view.Calls.back().rfind("renumber", 0) != 0);
    EXPECT_TRUE(m_controller.GetNotes().empty());
}

TEST_F(DeviceControllerTest, ABadNumberStopsTheReadAndHidesTheProgress) {
    m_values = {{"A2", "0 1 ZZ"}};
    try {
        m_controller.ReadRelay(m_relay);
        ADD_FAILURE() << "read";
    } catch (const EConvertError& error) {
        // The parameter whose answer it was, and the parser's own words.
        EXPECT_EQ(std::string(error.what()),
                  "Ошибка при чтении параметра \"Реле 3: Зоны, Тревоги\": модуль ответил не "
                  "числом ('ZZ' is not a valid integer value)");
    }
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

// Only a plain decimal number in the module's range goes out; anything else is refused before a
// command, and the line says why.
TEST_F(DeviceControllerTest, AnObjectNumberThatCannotGoOutIsRefusedAndSaidSo) {
    const struct {
        const char* Text;
        const char* Line;
    } cases[] = {
        {"", "№ объекта не задан — не записан"},
        {"5a", "№ объекта «5a» не число — не записан"},
        {"$0A", "№ объекта «$0A» не число — не записан"},
        {" 5", "№ объекта « 5» не число — не записан"},
        {"1e1", "№ объекта «1e1» не число — не записан"},
        {"-1", "№ объекта -1 вне диапазона 0..99 — не записан"},
        {"100", "№ объекта 100 вне диапазона 0..99 — не записан"},
        {"123", "№ объекта 123 вне диапазона 0..99 — не записан"},
        {"0005", "№ объекта 0005 вне диапазона 0..99 — не записан"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        m_common.ObjectNumber = c.Text;
        m_controller.ClearErrors();
        m_controller.WriteCommon(m_common);
        EXPECT_TRUE(m_transport.Sent().empty());
        EXPECT_EQ(m_controller.GetErrors(), std::vector<std::string>{c.Line});
        EXPECT_FALSE(m_view.Shown);
        EXPECT_EQ(std::count(m_view.Calls.begin(), m_view.Calls.end(), "renumber 7 to 123"), 0);
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

// A module that answers in lower case is refused, and the user is shown what it sent.
TEST_F(DeviceControllerTest, AVersionAnswerThatIsCutToNothingShowsWhatTheModuleSent) {
    const struct {
        const char* Reply;
        const char* Shown;
    } cases[] = {
        {"*07v\r\nver 08.00\r\nok\r\n", "ver 08.00 ok"},
        {"*07v\r\nVER 08.00\r\nok\r\n", "VER 08.00 ok"},
        {"*07v\r\nVER 07.00\r\nOK\r\n", "VER 07.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Reply);
        m_transport.On("*07v\r", c.Reply);
        EXPECT_FALSE(m_controller.CheckVersion());
        EXPECT_TRUE(m_controller.VersionAnswered());
        EXPECT_EQ(m_controller.VersionAnswer(), c.Shown);
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

// A file that holds a few values writes those and nothing else, in the order of a whole write;
// the pages without a value of the set are not touched.
TEST_F(DeviceControllerTest, WritingASetOfValuesSendsOnlyThose) {
    TModuleSettings module;
    module.Common.ObjectNumber = "07";
    module.Relays[2].Duration = 10;
    module.Relays[2].Zone(zeFault, 16) = rrOn1Hz;
    module.Relays[4].YesOf(rcFire) = rrOff;
    TModuleValueSet only;
    only.Add("FormRelay_4", "Yes4");
    only.Add("FormRelay_2", "Z316");
    only.Add("FormRelay_2", "etDuration");
    m_controller.WriteModule(module, nullptr, &only);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"T2=0A", "E2F=3", "F40=2"}));
    EXPECT_EQ(m_view.Maximum, 3);
    EXPECT_EQ(m_controller.FinishedPages(), (std::vector<std::string>{"Реле 3", "Реле 5"}));

    // The object number goes out only when the set holds it.
    only.Add("FormCommon", "etO");
    m_controller.ClearErrors();
    m_controller.WriteModule(module, nullptr, &only);
    EXPECT_EQ(Commands().at(3), "o=07");
    EXPECT_EQ(Commands().size(), 7u);
    EXPECT_EQ(m_controller.FinishedPages(),
              (std::vector<std::string>{"Общие", "Реле 3", "Реле 5"}));
}

// The module's values are known as far as it answered: a read's values, a write's acknowledged
// values; a silent read or an unanswered write leaves what was known before.
TEST_F(DeviceControllerTest, KnownValuesFollowAnswersAndNothingElse) {
    const TKnownModuleValues& known = m_controller.KnownValues();
    EXPECT_TRUE(known.NothingKnown());

    m_values = {{"T", "01 02 05 04 05"}, {"A2", kRow}};
    m_silent = "R2";
    m_controller.ReadRelay(m_relay);
    EXPECT_TRUE(known.Known(3, kDurationPlace));
    EXPECT_EQ(known.Values().Relays[2].Duration, 5);
    EXPECT_TRUE(known.Known(3, ZonePlace(zeAlarm, 16)));
    EXPECT_EQ(known.Values().Relays[2].Zone(zeAlarm, 16), 3);
    // The silent row is not known; every other place is.
    for (int zone = 1; zone <= kTableWidth; ++zone) {
        EXPECT_FALSE(known.Known(3, ZonePlace(zeRestore, zone)));
    }
    EXPECT_EQ(known.KnownPlaces(3).count(), static_cast<std::size_t>(kRelayValueCount - 16));
    EXPECT_FALSE(known.Known(2, kDurationPlace));

    // A failed read of a known value keeps the value known as it was.
    m_values["T"] = "01 02 09 04 05";
    m_silent = "T R2";
    m_controller.ClearErrors();
    m_controller.ReadRelay(m_relay);
    EXPECT_EQ(known.Values().Relays[2].Duration, 5);

    // A write: acknowledged values become known, an unanswered one keeps the old value.
    m_silent = "A24=2";
    m_relay.Duration = 10;
    m_relay.Zone(zeAlarm, 5) = rrOff;
    m_relay.Zone(zeAlarm, 6) = rrOff;
    m_controller.ClearErrors();
    const TRelaySettings onModule = known.Values().Relays[2];
    m_controller.WriteRelay(m_relay, &onModule);
    EXPECT_EQ(known.Values().Relays[2].Duration, 10);
    EXPECT_EQ(known.Values().Relays[2].Zone(zeAlarm, 5), 4);
    EXPECT_EQ(known.Values().Relays[2].Zone(zeAlarm, 6), rrOff);
    EXPECT_EQ(known.Values().Relays[2].Zone(zeRestore, 1), 0);
    EXPECT_FALSE(known.Known(3, ZonePlace(zeRestore, 1)));

    // The object number: read, then an unanswered write of the same number keeps it.
    m_controller.ReadCommon(m_common);
    ASSERT_TRUE(known.ObjectNumberKnown());
    EXPECT_EQ(known.Values().Common.ObjectNumber, "7");
    m_silent = "o=07";
    m_common.ObjectNumber = "07";
    m_controller.WriteCommon(m_common);
    EXPECT_EQ(known.Values().Common.ObjectNumber, "7");
}
