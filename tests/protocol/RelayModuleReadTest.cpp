// The relay module's reads: command texts, captions, the answer parser and value conversion.
#include <gtest/gtest.h>

#include <functional>

#include "FakeTransport.h"
#include "RecordingLog.h"
#include "protocol/RelayModule.h"

using Lines = std::vector<std::string>;

// The module echoes the command line, then sends the value and "OK".
static std::string ModuleAnswer(const std::string& sent, const std::string& value) {
    return sent + "\n" + value + "\r\nOK\r\n";
}

static std::string Escaped(std::string text) {
    for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at)) {
        text.replace(at, 1, "\\r");
    }
    return text;
}

static TReactionRow FilledRow(TRelayReaction code) {
    TReactionRow row;
    row.fill(code);
    return row;
}

class DevRelayReadTest : public ::testing::Test {
  protected:
    TFakeTransport comm;
    TRecordingLog log;
    TRelayModule relay{&comm, 5, &log};
};

TEST_F(DevRelayReadTest, EveryReadLogsItsCaptionAndSendsItsCommand) {
    const TReactionRow untouchedRow = FilledRow(3);
    TReactionRow row = untouchedRow;
    TPulseDurations durations{9, 9, 9, 9, 9};
    TRelayReaction no = 9;
    TRelayReaction yes = 9;
    std::int32_t number = 9;
    std::string text;
    const struct {
        const char* Caption;
        std::string Sent;
        std::function<bool()> Read;
    } cases[] = {
        {"Читаю № объекта", "*05o\r", [&] { return relay.ReadObjectNumber(number); }},
        {"Читаю версию", "*05v\r", [&] { return relay.ReadVersion(text); }},
        {"Читаю длительность импульса включения реле", "*05T\r",
         [&] { return relay.ReadPulseDurations(durations); }},
        {"Читаю \"Тревоги зон\"", "*05A0\r", [&] { return relay.ReadZoneAlarms(1, row); }},
        {"Читаю \"Восстановления зон\"", "*05R1\r", [&] { return relay.ReadZoneRestores(2, row); }},
        {"Читаю \"Аварии зон\"", "*05E4\r", [&] { return relay.ReadZoneFaults(5, row); }},
        {"Читаю \"Постановки разделов\"", "*05M2\r",
         [&] { return relay.ReadPartitionArmings(3, row); }},
        {"Читаю \"Снятия разделов\"", "*05D3\r",
         [&] { return relay.ReadPartitionDisarmings(4, row); }},
        {"Читаю \"Тревоги разделов\"", "*05L0\r",
         [&] { return relay.ReadPartitionAlarms(1, row); }},
        {"Читаю \"Связь с панелью\"", "*05C1\r", [&] { return relay.ReadPanelLink(2, no, yes); }},
        {"Читаю \"Пустой журнал\"", "*05Y2\r", [&] { return relay.ReadJournal(3, no, yes); }},
        {"Читаю \"Внешнее питание\"", "*05P3\r", [&] { return relay.ReadPower(4, no, yes); }},
        {"Читаю \"Пожарная тревога\"", "*05F4\r", [&] { return relay.ReadFire(5, no, yes); }},
        {"Читаю \"Задержка\"", "*05W0\r", [&] { return relay.ReadDelay(1, no, yes); }},
    };
    // The module is silent: every read fails after its message, its command and an empty answer.
    for (const auto& c : cases) {
        log.Clear();
        EXPECT_FALSE(c.Read()) << c.Caption;
        EXPECT_EQ(comm.Sent().back(), c.Sent) << c.Caption;
        EXPECT_EQ(log.Rendered(), (Lines{std::string("message: ") + c.Caption,
                                         "data <<<<: " + Escaped(c.Sent), "data >>>>: "}))
            << c.Caption;
    }
    EXPECT_EQ(row, untouchedRow);
    EXPECT_EQ(durations, (TPulseDurations{9, 9, 9, 9, 9}));
    EXPECT_EQ(no, 9);
    EXPECT_EQ(yes, 9);
    EXPECT_EQ(number, 9);
    EXPECT_EQ(comm.ReceiveTimeouts(), std::vector<int>(std::size(cases), 300));
}

TEST_F(DevRelayReadTest, RelayParserTakesTheValueBetweenTheEchoLineAndOk) {
    const struct {
        const char* Name;
        std::string Raw;
        std::string Expected;
    } cases[] = {
        {"echo, value, OK", "*05A0\r\n0 1 2\r\nOK", "0 1 2"},
        {"text before the prefix is ignored", "\r\nnoise *05A0\r0 1\rOK", "0 1"},
        {"blanks around the pieces are ignored", "  *05A0 \r\n\r\n 4 \r\n OK \r\n", "4"},
        {"only the first carriage return ends the echo", "*05v\rVER 08\rv1\rOK", "VER 08\rv1"},
        {"without a carriage return the value follows the prefix", "*05 7 OK", "7"},
        {"without the prefix reading starts at its length", "A0\r 3 4 OK", "3 4"},
        {"a lower-case terminator gives an empty value", "*05A0\r1 2 ok", ""},
        {"no value", "*05A0\r\nOK", ""},
        {"empty answer", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(relay.ParseAnswer(c.Raw), c.Expected) << c.Name;
    }
}

TEST_F(DevRelayReadTest, ListReadFillsTheRowInOrder) {
    TRelayModule relay7(&comm, 7, &log);
    comm.On("*07A1\r", ModuleAnswer("*07A1\r", "0 1 2 3 4 0 1 2 3 4 1A 1a f F 10 0"));
    TReactionRow row = FilledRow(9);
    EXPECT_TRUE(relay7.ReadZoneAlarms(2, row));
    EXPECT_EQ(row, (TReactionRow{0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 26, 26, 15, 15, 16, 0}));
    EXPECT_EQ(comm.Sent(), Lines{"*07A1\r"});
}

TEST_F(DevRelayReadTest, ListReadWithFewerOrMorePartsStaysInsideTheRow) {
    const struct {
        const char* Name;
        std::string Value;
        TReactionRow Expected;
    } cases[] = {
        {"fewer parts fill the first slots",
         "1 2 3",
         {1, 2, 3, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
        {"an empty value fills none", "", FilledRow(9)},
        {"parts beyond sixteen are ignored, even malformed ones",
         "0 1 2 3 4 0 1 2 3 4 0 1 2 3 4 2 3 ZZ",
         {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 2}},
    };
    for (const auto& c : cases) {
        comm.On("*05M0\r", ModuleAnswer("*05M0\r", c.Value));
        TReactionRow row = FilledRow(9);
        EXPECT_TRUE(relay.ReadPartitionArmings(1, row)) << c.Name;
        EXPECT_EQ(row, c.Expected) << c.Name;
    }
}

TEST_F(DevRelayReadTest, MalformedListRaisesAConversionErrorAndLeavesTheRow) {
    const struct {
        const char* Name;
        std::string Value;
        std::string Message;
    } cases[] = {
        {"a part that is no hexadecimal number", "0 1 1G 3", "'1G' is not a valid integer value"},
        {"two adjacent spaces", "0  1", "'' is not a valid integer value"},
        {"a negative part", "0 -1", "'-1' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        comm.On("*05E0\r", ModuleAnswer("*05E0\r", c.Value));
        TReactionRow row = FilledRow(9);
        try {
            relay.ReadZoneFaults(1, row);
            ADD_FAILURE() << c.Name << ": no error";
        } catch (const std::exception& error) {
            EXPECT_NE(dynamic_cast<const EConvertError*>(&error), nullptr) << c.Name;
            EXPECT_EQ(std::string(error.what()), c.Message) << c.Name;
        }
        EXPECT_EQ(row, FilledRow(9)) << c.Name;
    }
}

TEST_F(DevRelayReadTest, PulseDurationsFillRelayOneFirstAndStayInsideFiveSlots) {
    const struct {
        std::string Value;
        TPulseDurations Expected;
    } cases[] = {
        {"0A 14 1E 28 ff", {10, 20, 30, 40, 255}},
        {"01 02", {1, 2, 7, 7, 7}},
        {"01 02 03 04 05 06 07", {1, 2, 3, 4, 5}},
    };
    for (const auto& c : cases) {
        comm.On("*05T\r", ModuleAnswer("*05T\r", c.Value));
        TPulseDurations durations{7, 7, 7, 7, 7};
        EXPECT_TRUE(relay.ReadPulseDurations(durations)) << c.Value;
        EXPECT_EQ(durations, c.Expected) << c.Value;
    }
}

TEST_F(DevRelayReadTest, ConditionDigitsMapToNoAndYesPerCondition) {
    using TRead = bool (TRelayModule::*)(int, TRelayReaction&, TRelayReaction&);
    const struct {
        const char* Name;
        char Letter;
        TRead Read;
        TRelayReaction No;
        TRelayReaction Yes;
    } cases[] = {
        {"panel link: first digit is No", 'C', &TRelayModule::ReadPanelLink, 0, 4},
        {"journal: first digit is No", 'Y', &TRelayModule::ReadJournal, 0, 4},
        {"power: first digit is No", 'P', &TRelayModule::ReadPower, 0, 4},
        {"fire: first digit is Yes", 'F', &TRelayModule::ReadFire, 4, 0},
        {"delay: first digit is Yes", 'W', &TRelayModule::ReadDelay, 4, 0},
    };
    for (const auto& c : cases) {
        const std::string sent = std::string("*05") + c.Letter + "0\r";
        comm.On(sent, ModuleAnswer(sent, "04"));
        TRelayReaction no = 9;
        TRelayReaction yes = 9;
        EXPECT_TRUE((relay.*c.Read)(1, no, yes)) << c.Name;
        EXPECT_EQ(no, c.No) << c.Name;
        EXPECT_EQ(yes, c.Yes) << c.Name;
    }
}

TEST_F(DevRelayReadTest, PairReadConvertsTwoCharactersAndNeverReadsPastTheValue) {
    const struct {
        const char* Name;
        std::string Value;
        bool Converts;
        TRelayReaction No;
        TRelayReaction Yes;
    } cases[] = {
        {"lower-case digits", "ab", true, 10, 11},
        {"characters after the second are ignored", "12Z", true, 1, 2},
        {"a single character has no second digit", "1", false, 9, 9},
        {"an empty value has no digit at all", "", false, 9, 9},
        {"a first character that is no digit", "G1", false, 9, 9},
        {"a second character that is no digit", "1 ", false, 9, 9},
    };
    for (const auto& c : cases) {
        comm.On("*05C0\r", ModuleAnswer("*05C0\r", c.Value));
        TRelayReaction no = 9;
        TRelayReaction yes = 9;
        if (c.Converts) {
            EXPECT_TRUE(relay.ReadPanelLink(1, no, yes)) << c.Name;
        } else {
            EXPECT_THROW(relay.ReadPanelLink(1, no, yes), EConvertError) << c.Name;
        }
        EXPECT_EQ(no, c.No) << c.Name;
        EXPECT_EQ(yes, c.Yes) << c.Name;
    }
}

TEST_F(DevRelayReadTest, ObjectNumberIsDecimal) {
    const struct {
        std::string Value;
        bool Expected;
        std::int32_t Number;
    } cases[] = {{"12", true, 12}, {"007", true, 7}, {"1G", false, -1}, {"", false, -1}};
    for (const auto& c : cases) {
        comm.On("*05o\r", ModuleAnswer("*05o\r", c.Value));
        std::int32_t number = -1;
        EXPECT_EQ(relay.ReadObjectNumber(number), c.Expected) << c.Value;
        EXPECT_EQ(number, c.Number) << c.Value;
    }
}

TEST_F(DevRelayReadTest, VersionIsTheParsedTextOrWhatArrivedBeforeTheTimeout) {
    comm.On("*05v\r", ModuleAnswer("*05v\r", "VER 08 v1.005"));
    std::string text = "old";
    EXPECT_TRUE(relay.ReadVersion(text));
    EXPECT_EQ(text, "VER 08 v1.005");
    EXPECT_TRUE(relay.MatchesVersion(text));

    comm.On("*05v\r", "*05v\r\nVER");
    EXPECT_FALSE(relay.ReadVersion(text));
    EXPECT_EQ(text, "*05v\r\nVER");
}
