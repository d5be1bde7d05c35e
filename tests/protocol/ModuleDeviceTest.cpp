// Framing, exchange, parsing and logging of the generic device layer.
#include <gtest/gtest.h>

#include <stdexcept>

#include "FakeTransport.h"
#include "RecordingLog.h"
#include "protocol/ModuleDevice.h"

using Lines = std::vector<std::string>;

class DeviceTest : public ::testing::Test {
  protected:
    TFakeTransport comm;
    TRecordingLog log;
    TModuleDevice device{&comm, "VER 08", "*05", "\r", "OK", &log};
};

TEST_F(DeviceTest, FramesWithPrefixAndSuffix) {
    EXPECT_EQ(device.FrameCommand("A0"), "*05A0\r");
    device.SetPrefix("*12");
    EXPECT_EQ(device.FrameCommand("A0"), "*12A0\r");
}

TEST_F(DeviceTest, BaseParserTakesTheTextBetweenTheFirstMarkAndTheFirstTerminator) {
    const struct {
        const char* Name;
        std::string Raw;
        std::string Expected;
    } cases[] = {
        {"value after the mark, trimmed", "*05o\r> 12 \r\nOK", "12"},
        {"without a mark it starts at the beginning", " 12 OK", "12"},
        {"only the first mark counts", "a>b>c OK", "b>c"},
        {"only the first terminator counts", ">1 OK 2 OK", "1"},
        {"without the terminator the value is empty", "> 12", ""},
        {"the terminator's letter case is significant", "> 12 ok", ""},
        {"nothing before the terminator", ">OK", ""},
        {"empty answer", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(device.ParseAnswer(c.Raw), c.Expected) << c.Name;
    }
}

TEST_F(DeviceTest, QueryLogsBothDirectionsAndParses) {
    comm.On("*05o\r", "> 12 OK");
    std::string value = "old";
    EXPECT_TRUE(device.Query("o", value));
    EXPECT_EQ(value, "12");
    EXPECT_EQ(log.Rendered(), (Lines{"data <<<<: *05o\\r", "data >>>>: > 12 OK"}));
    EXPECT_EQ(log.Entries()[0].Color, clBlue);
    EXPECT_EQ(log.Entries()[1].Color, clFuchsia);
    EXPECT_EQ(log.Entries()[0].Color, RgbColor(0, 0, 255));
    EXPECT_EQ(log.Entries()[1].Color, RgbColor(255, 0, 255));
}

TEST_F(DeviceTest, QueryOnSilenceFailsAfterTheStoredTimeoutAndLogsAnEmptyAnswer) {
    comm.OnSilence("*05o\r");
    std::string value = "old";
    EXPECT_FALSE(device.Query("o", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(comm.ReceiveTimeouts(), std::vector<int>{300});
    EXPECT_EQ(comm.ElapsedMs(), 300);
    EXPECT_EQ(log.Rendered(), (Lines{"data <<<<: *05o\\r", "data >>>>: "}));
}

TEST_F(DeviceTest, QueryTimeoutLeavesThePartialRawAnswer) {
    comm.On("*05o\r", "> 1");
    std::string value;
    EXPECT_FALSE(device.Query("o", value));
    EXPECT_EQ(value, "> 1");
    EXPECT_EQ(log.Rendered().back(), "data >>>>: > 1");
}

TEST_F(DeviceTest, FailedSendLogsOnlyTheSentLine) {
    comm.OnSendFailure("*05o\r");
    comm.OnSendFailure("*05A00=4\r");
    comm.OnSendFailure("+rb\r");
    std::string value;
    EXPECT_FALSE(device.Query("o", value));
    EXPECT_FALSE(device.Execute("A00=4"));
    EXPECT_FALSE(device.ExchangeRaw("+rb\r", value, {"OK"}));
    EXPECT_TRUE(comm.ReceiveTimeouts().empty());
    EXPECT_EQ(log.Rendered(),
              (Lines{"data <<<<: *05o\\r", "lines <<<<: *05A00=4\\r", "data <<<<: +rb\\r"}));
}

TEST_F(DeviceTest, QueryIntReadsDecimalOrHexadecimal) {
    const struct {
        std::string Answer;
        bool Hexadecimal;
        bool Expected;
        std::int32_t Value;
    } cases[] = {
        {"> 12 OK", false, true, 12},   {"> 12 OK", true, true, 18},
        {"> 1G OK", false, false, -7},  {"> 1G OK", true, false, -7},
        {"> ff OK", true, true, 255},   {"> OK", false, false, -7},
        {"> -3 OK", false, true, -3},   {"> 1 2 OK", false, false, -7},
        {"> $0C OK", false, false, -7}, {"> $0C OK", true, false, -7},
    };
    for (const auto& c : cases) {
        comm.On("*05o\r", c.Answer);
        std::int32_t value = -7;
        EXPECT_EQ(device.QueryInt("o", value, c.Hexadecimal), c.Expected) << c.Answer;
        EXPECT_EQ(value, c.Value) << c.Answer;
    }
}

TEST_F(DeviceTest, QueryIntOnSilenceLeavesTheValue) {
    std::int32_t value = -7;
    EXPECT_FALSE(device.QueryInt("o", value, false));
    EXPECT_EQ(value, -7);
}

TEST_F(DeviceTest, QueryRetryTriesThreeTimesWithItsOwnTimeout) {
    comm.OnSilence("*05v\r");
    comm.OnSilence("*05v\r");
    comm.On("*05v\r", "> VER 08 OK");
    std::string value;
    EXPECT_TRUE(device.QueryRetry("v", value, 1000, true));
    EXPECT_EQ(value, "VER 08");
    EXPECT_EQ(log.WithCaption("<<<<").size(), 3u);
    EXPECT_EQ(log.WithCaption(">>>>").size(), 3u);
    EXPECT_EQ(comm.ReceiveTimeouts(), (std::vector<int>{1000, 1000, 1000}));
    EXPECT_EQ(comm.ElapsedMs(), 2000);
}

TEST_F(DeviceTest, QueryRetryStopsAtTheFirstAnswerAndCanKeepItRaw) {
    comm.On("*05v\r", "> VER 08 OK");
    std::string value;
    EXPECT_TRUE(device.QueryRetry("v", value, 50, false));
    EXPECT_EQ(value, "> VER 08 OK");
    EXPECT_EQ(comm.Sent().size(), 1u);
}

TEST_F(DeviceTest, QueryRetryFailsWhenNoAttemptIsAnswered) {
    comm.OnSendFailure("*05v\r");
    comm.OnSilence("*05v\r");
    std::string value;
    EXPECT_FALSE(device.QueryRetry("v", value, 100, true));
    EXPECT_EQ(comm.Sent().size(), 3u);
    EXPECT_EQ(log.WithCaption("<<<<").size(), 3u);
    EXPECT_EQ(log.WithCaption(">>>>").size(), 2u);
}

TEST_F(DeviceTest, ExecuteLogsListsAndTheMissingAcknowledgement) {
    comm.On("*05A00=4\r", "*05A00=4\r\nOK");
    EXPECT_TRUE(device.Execute("A00=4"));
    comm.OnSilence("*05A01=4\r");
    EXPECT_FALSE(device.Execute("A01=4"));
    EXPECT_EQ(log.Rendered(), (Lines{"lines <<<<: *05A00=4\\r", "lines >>>>: OK",
                                     "lines <<<<: *05A01=4\\r", "error: Не получили: OK"}));
    EXPECT_EQ(log.Entries()[0].Color, clBlue);
    EXPECT_EQ(log.Entries()[1].Color, clFuchsia);
    EXPECT_EQ(comm.ReceiveTimeouts(), (std::vector<int>{300, 300}));
}

TEST_F(DeviceTest, ExecuteHexPadsAndTakesValuesAsUnsigned) {
    device.ExecuteHex("X", 10, 4, "=");
    device.ExecuteHex2("T0", 256, "=");
    device.ExecuteHex2("T0", 5, ":");
    device.ExecuteHex2("T0", -1, "=");
    EXPECT_EQ(comm.Sent(), (Lines{"*05X=000A\r", "*05T0=100\r", "*05T0:05\r", "*05T0=FFFFFFFF\r"}));
}

TEST_F(DeviceTest, SendRbCommandSendsUnframedAndLogsTheAnswer) {
    comm.On("+rb\r", "+rb\r\nOK");
    device.SendRbCommand();
    EXPECT_EQ(comm.Sent(), Lines{"+rb\r"});
    EXPECT_EQ(log.Rendered(), (Lines{"data <<<<: +rb\\r", "data >>>>: +rb\\r\\nOK",
                                     "message: Ответ: +rb\\r\\nOK"}));
}

TEST_F(DeviceTest, SendRbCommandLogsTheAnswerAlsoWhenNothingArrived) {
    device.SendRbCommand();
    EXPECT_EQ(log.Rendered(), (Lines{"data <<<<: +rb\\r", "data >>>>: ", "message: Ответ: "}));
}

TEST_F(DeviceTest, MatchesVersionIsCaseSensitive) {
    const struct {
        std::string Answer;
        bool Expected;
    } cases[] = {
        {"VER 08", true}, {"xx VER 08 v1.005", true}, {"ver 08", false}, {"VER 8", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(device.MatchesVersion(c.Answer), c.Expected) << c.Answer;
    }
}

TEST_F(DeviceTest, WorksTheSameWithoutALog) {
    TModuleDevice silent(&comm, "VER 08", "*05", "\r", "OK", nullptr);
    comm.On("*05o\r", "> 12 OK");
    std::int32_t value = 0;
    EXPECT_TRUE(silent.QueryInt("o", value, false));
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(silent.Execute("x"));
    silent.SendRbCommand();
    EXPECT_EQ(comm.Sent().size(), 3u);
}

TEST_F(DeviceTest, TransportErrorsReachTheCaller) {
    comm.SetDefaultReply([](const std::string&) -> std::optional<std::string> {
        throw std::runtime_error("port not open");
    });
    std::string value;
    EXPECT_THROW(device.Query("o", value), std::runtime_error);
    EXPECT_THROW(device.Execute("o=1"), std::runtime_error);
}
