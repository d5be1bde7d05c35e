// The containment test of the transport contract, and the scripted transport that tests rely on.
#include <gtest/gtest.h>

#include "FakeTransport.h"

TEST(AnswerContains, FoldsOnlyAsciiLettersAndNeverMatchesEmpty) {
    const struct {
        const char* Name;
        std::string Answer;
        std::string S;
        bool Expected;
    } cases[] = {
        {"terminator inside the answer", "*05A0\r0 OK\r\n", "OK", true},
        {"lower-case answer", "ok", "OK", true},
        {"lower-case terminator", "OK", "ok", true},
        {"mixed case version", "ver 08", "VER 08", true},
        {"empty s", "abc", "", false},
        {"empty answer", "", "OK", false},
        {"a gap between the letters", "O K", "OK", false},
        {"8-bit letters do not fold", "\xE0", "\xC0", false},
        {"8-bit letters match themselves", "x\xE0y", "\xE0", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnswerContains(c.Answer, c.S), c.Expected) << c.Name;
    }
}

TEST(AnswerEndsWith, LooksOnlyAtTheEndWithTheSameFolding) {
    const struct {
        const char* Name;
        std::string Answer;
        std::string S;
        bool Expected;
    } cases[] = {
        {"terminator at the end", "*05A0\r0 OK", "OK", true},
        {"lower-case answer", "0 ok", "OK", true},
        {"terminator before the end", "OK\r\n", "OK", false},
        {"longer than the answer", "K", "OK", false},
        {"empty s", "abc", "", false},
        {"8-bit letters do not fold", "\xE0", "\xC0", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnswerEndsWith(c.Answer, c.S), c.Expected) << c.Name;
    }
}

class FakeTransportTest : public ::testing::Test {
  protected:
    TFakeTransport comm;
    std::string answer;
};

TEST_F(FakeTransportTest, TerminatorSplitAcrossBurstsIsFound) {
    comm.OnBursts("cmd", {{"12 O", 0}, {"K", 40}});
    ASSERT_TRUE(comm.Send("cmd"));
    EXPECT_TRUE(comm.Receive(answer, "OK"));
    EXPECT_EQ(answer, "12 OK");
    EXPECT_EQ(comm.ElapsedMs(), 40);
}

TEST_F(FakeTransportTest, CharactersOutsideTenToOneTwentySevenAreDroppedAndTheWaitGoesOn) {
    const std::string dropped{'\0', '\x09', '\x80', '\xFF'};
    comm.On("cmd", "1" + dropped + "2\r\n" + dropped + "O" + dropped + "K");
    comm.Send("cmd");
    EXPECT_TRUE(comm.Receive(answer, "OK"));
    EXPECT_EQ(answer, "12\r\nOK");
}

TEST_F(FakeTransportTest, EmptyTerminatorOrListRunsToTheTimeout) {
    comm.On("cmd", "OK");
    comm.Send("cmd");
    EXPECT_FALSE(comm.Receive(answer, ""));
    EXPECT_EQ(answer, "OK");
    comm.Send("cmd");
    EXPECT_FALSE(comm.ReceiveAny(answer, {}, 50));
    EXPECT_EQ(comm.ReceiveTimeouts(), (std::vector<int>{300, 50}));
    EXPECT_EQ(comm.ElapsedMs(), 350);
}

TEST_F(FakeTransportTest, SilenceTimesOutWithAnEmptyAnswerOnTheVirtualClock) {
    comm.OnSilence("cmd");
    answer = "old";
    comm.Send("cmd");
    EXPECT_FALSE(comm.Receive(answer, "OK"));
    EXPECT_EQ(answer, "");
    EXPECT_FALSE(comm.WaitFor("OK", 1000));
    EXPECT_EQ(comm.ElapsedMs(), 1300);
    EXPECT_EQ(comm.ReceiveTimeouts(), (std::vector<int>{300, 1000}));
}

TEST_F(FakeTransportTest, PartialAnswerKeepsWhatArrivedAndALateBurstMissesTheTimeout) {
    comm.OnBursts("cmd", {{"12 ", 0}, {"OK", 301}});
    comm.Send("cmd");
    EXPECT_FALSE(comm.Receive(answer, "OK"));
    EXPECT_EQ(answer, "12 ");
    EXPECT_EQ(comm.Pending(), "OK");
}

TEST_F(FakeTransportTest, TextAfterTheTerminatorStaysPendingUntilTheNextSend) {
    comm.On("cmd", "1 OK tail");
    comm.Send("cmd");
    EXPECT_TRUE(comm.Receive(answer, "OK"));
    EXPECT_EQ(answer, "1 OK");
    EXPECT_EQ(comm.Pending(), " tail");
    comm.Send("other");
    EXPECT_EQ(comm.Pending(), "");
}

TEST_F(FakeTransportTest, ReceiveAnyTakesTheWholeBurstBeforeItLooks) {
    comm.OnBursts("cmd", {{"xx ERR yy", 0}, {" OK", 50}});
    comm.Send("cmd");
    EXPECT_TRUE(comm.ReceiveAny(answer, {"OK", "err"}));
    EXPECT_EQ(answer, "xx ERR yy");
}

TEST_F(FakeTransportTest, AnAnswerStillOnTheWayArrivesAfterTheNextSend) {
    comm.OnBursts("slow", {{"OK", 400}});
    comm.Send("slow");
    EXPECT_FALSE(comm.WaitFor("OK"));
    comm.OnSilence("next");
    comm.Send("next");
    EXPECT_TRUE(comm.WaitFor("OK"));
}

TEST_F(FakeTransportTest, ScriptsRunInOrderAndTheLastOneRepeats) {
    comm.OnSilence("cmd");
    comm.OnSendFailure("cmd");
    comm.On("cmd", "OK");
    comm.SetDefaultReply([](const std::string& sent) -> std::optional<std::string> {
        return sent == "ping" ? std::optional<std::string>("pong OK") : std::nullopt;
    });
    comm.Send("cmd");
    EXPECT_FALSE(comm.WaitFor("OK"));
    EXPECT_FALSE(comm.Send("cmd"));
    EXPECT_TRUE(comm.Send("cmd"));
    EXPECT_TRUE(comm.WaitFor("OK"));
    EXPECT_TRUE(comm.Send("cmd"));
    EXPECT_TRUE(comm.WaitFor("OK"));
    comm.Send("ping");
    EXPECT_TRUE(comm.Receive(answer, "OK"));
    EXPECT_EQ(answer, "pong OK");
    comm.Send("unknown");
    EXPECT_FALSE(comm.WaitFor("OK"));
    EXPECT_EQ(comm.Sent(),
              (std::vector<std::string>{"cmd", "cmd", "cmd", "cmd", "ping", "unknown"}));
}
