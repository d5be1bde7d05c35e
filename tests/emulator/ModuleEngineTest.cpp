// The module's answers to raw bytes, without a line in between.
#include <gtest/gtest.h>

#include <string>

#include "emulator/ModuleEngine.h"
#include "emulator/Transcript.h"

namespace {

const std::string kZeros16 = "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0";

class ModuleEngineTest : public ::testing::Test {
  protected:
    explicit ModuleEngineTest(TModuleBehaviour behaviour = {})
        : m_engine(std::move(behaviour), PowerUpState(10)) {}

    // Everything the module sends back for the bytes.
    std::string Send(std::string_view bytes) {
        std::string answers;
        for (const TExchange& exchange : m_engine.Feed(bytes))
            answers += exchange.Answer;
        return answers;
    }
    const TModuleState& State() const { return m_engine.State(); }

    TModuleEngine m_engine;
};

TEST_F(ModuleEngineTest, AnswersEveryReadOfAFreshModule) {
    const struct {
        const char* Command;
        std::string Value;
    } cases[] = {
        {"v", "VER 08.00"}, {"o", "10"},      {"T", "00 00 00 00 00"},
        {"A0", kZeros16},   {"R1", kZeros16}, {"E2", kZeros16},
        {"M3", kZeros16},   {"D4", kZeros16}, {"L0", kZeros16},
        {"C0", "00"},       {"Y1", "00"},     {"P2", "00"},
        {"F3", "00"},       {"W4", "00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Command);
        const std::string line = std::string("*10") + c.Command + "\r";
        EXPECT_EQ(Send(line), line + "\n" + c.Value + "\r\nOK\r\n");
    }
}

TEST_F(ModuleEngineTest, TableWritesLandInTheirRowAndReadBack) {
    const struct {
        char Letter;
        bool Zone;
        int Row;
    } rows[] = {{'A', true, zeAlarm}, {'R', true, zeRestore}, {'E', true, zeFault},
                {'M', false, peArm},  {'D', false, peDisarm}, {'L', false, peAlarm}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Letter);
        const std::string write = std::string("*10") + row.Letter + "3F=4\r";
        EXPECT_EQ(Send(write), write + "\nOK\r\n");
        Send(std::string("*10") + row.Letter + "30=2\r");
        const TRelaySettings& relay = State().Relays[3];
        const TReactionRow& stored =
            row.Zone ? relay.ZoneRow(static_cast<TZoneEvent>(row.Row))
                     : relay.PartitionRow(static_cast<TPartitionEvent>(row.Row));
        EXPECT_EQ(stored[15], 4);
        EXPECT_EQ(stored[0], 2);
        const std::string read = std::string("*10") + row.Letter + "3\r";
        EXPECT_EQ(Send(read), read + "\n2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 4\r\nOK\r\n");
    }
    // Only relay 4 (digit 3) changed.
    EXPECT_EQ(State().Relays[2], PowerUpState(10).Relays[2]);
}

TEST_F(ModuleEngineTest, CodesKeepAll32BitsAndReadBackWithoutLeadingZeros) {
    Send("*10A0B=FFFFFFFF\r*10A0C=1a\r*10A0D=00000003\r");
    EXPECT_EQ(State().Relays[0].Zone(zeAlarm, 12), -1);
    EXPECT_EQ(State().Relays[0].Zone(zeAlarm, 13), 26);
    EXPECT_EQ(Send("*10A0\r"), "*10A0\r\n0 0 0 0 0 0 0 0 0 0 0 FFFFFFFF 1A 3 0 0\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, ConditionSubIndicesMapToYesAndNo) {
    const struct {
        char Letter;
        TRelayCondition Condition;
        bool YesIsSubIndex1;
    } conditions[] = {{'C', rcPanelLink, true},
                      {'Y', rcJournal, true},
                      {'P', rcPower, true},
                      {'F', rcFire, false},
                      {'W', rcDelay, false}};
    for (const auto& c : conditions) {
        SCOPED_TRACE(c.Letter);
        const std::string prefix = std::string("*10") + c.Letter + "1";
        Send(prefix + "0=3\r");
        Send(prefix + "1=1\r");
        const TRelaySettings& relay = State().Relays[1];
        EXPECT_EQ(relay.YesOf(c.Condition), c.YesIsSubIndex1 ? 1 : 3);
        EXPECT_EQ(relay.NoOf(c.Condition), c.YesIsSubIndex1 ? 3 : 1);
        EXPECT_EQ(Send(prefix + "\r"), prefix + "\r\n31\r\nOK\r\n");
    }
}

TEST_F(ModuleEngineTest, ConditionReadCarriesOneDigitPerSubIndex) {
    Send("*10C00=1F\r");
    EXPECT_EQ(State().Relays[0].NoOf(rcPanelLink), 31);
    EXPECT_EQ(Send("*10C0\r"), "*10C0\r\nF0\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, DurationsAreWrittenPerRelayAndReadTogether) {
    EXPECT_EQ(Send("*10T2=05\r"), "*10T2=05\r\nOK\r\n");
    Send("*10T0=FF\r*10T4=100\r");
    EXPECT_EQ(State().Relays[2].Duration, 5);
    EXPECT_EQ(Send("*10T\r"), "*10T\r\nFF 00 05 00 100\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, AnswersOnlyItsOwnObjectNumber) {
    EXPECT_EQ(Send("*11v\r*1v\r*v\r"), "");
    // The number is compared as a number: leading zeros do not change the address.
    EXPECT_EQ(Send("*010o\r"), "*010o\r\n10\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, ObjectNumberWriteAnswersUnderTheOldNumberThenMoves) {
    EXPECT_EQ(Send("*10o=12\r"), "*10o=12\r\nOK\r\n");
    EXPECT_EQ(State().ObjectNumber, 12);
    EXPECT_EQ(Send("*10o\r"), "");
    EXPECT_EQ(Send("*12o\r"), "*12o\r\n12\r\nOK\r\n");
    Send("*12o=5\r");
    EXPECT_EQ(Send("*05o\r"), "*05o\r\n05\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, MalformedCommandsGetNoAnswerAndChangeNothing) {
    for (const char* line :
         {"*10A5\r", "*10A0G=1\r", "*10T0=\r", "*10o=ab\r", "*10X0\r", "*10A0F=4x\r", "*10\r"}) {
        SCOPED_TRACE(EscapeBytes(line));
        const auto exchanges = m_engine.Feed(line);
        ASSERT_EQ(exchanges.size(), 1u);
        EXPECT_EQ(exchanges[0].Received, line);
        EXPECT_TRUE(exchanges[0].IsCommandLine);
        EXPECT_EQ(exchanges[0].Answer, "");
    }
    EXPECT_EQ(State(), PowerUpState(10));
}

TEST_F(ModuleEngineTest, IgnoresBytesBeforeTheStar) {
    EXPECT_EQ(Send("\n\x01garbage 10v\r*10v\r"), "*10v\r\nVER 08.00\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, AStarInsideALineStartsItAgain) {
    const auto exchanges = m_engine.Feed("*10A*10v\r");
    ASSERT_EQ(exchanges.size(), 1u);
    EXPECT_EQ(exchanges[0].Received, "*10v\r");
    EXPECT_EQ(exchanges[0].Answer, "*10v\r\nVER 08.00\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, DropsALineThatNeverEnds) {
    EXPECT_EQ(Send("*10" + std::string(100, '0') + "\r"), "");
    EXPECT_EQ(m_engine.PartialInputSize(), 0u);
    EXPECT_EQ(Send("*10o\r"), "*10o\r\n10\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, ReleaseSequenceIsAcceptedAndAcknowledged) {
    const auto exchanges = m_engine.Feed("]]]+rb\r");
    ASSERT_EQ(exchanges.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(exchanges[i].Received, "]");
        EXPECT_EQ(exchanges[i].Answer, "");
        EXPECT_FALSE(exchanges[i].IsCommandLine);
    }
    EXPECT_EQ(exchanges[3].Received, "+rb\r");
    EXPECT_EQ(exchanges[3].Answer, "OK\r\n");
    EXPECT_EQ(Send("+rx\r+r*10o\r"), "*10o\r\n10\r\nOK\r\n");
}

TEST_F(ModuleEngineTest, CommandsSplitAcrossFeedsStillAnswer) {
    EXPECT_EQ(Send("*1"), "");
    EXPECT_EQ(m_engine.PartialInputSize(), 2u);
    EXPECT_EQ(Send("0v"), "");
    EXPECT_EQ(Send("\r"), "*10v\r\nVER 08.00\r\nOK\r\n");
}

// The fault switches, each against a clean module's answer.
template <class TSetFault>
TModuleBehaviour WithFaults(TSetFault setFault) {
    TModuleBehaviour behaviour;
    setFault(behaviour.Faults);
    return behaviour;
}

TEST(ModuleEngineFaults, SilentModuleNeitherAnswersNorActs) {
    TModuleEngine engine(WithFaults([](TModuleFaults& f) { f.Silent = true; }), PowerUpState(10));
    for (const TExchange& exchange : engine.Feed("*10v\r*10A00=3\r*10o=5\r+rb\r")) {
        EXPECT_EQ(exchange.Answer, "") << EscapeBytes(exchange.Received);
    }
    EXPECT_EQ(engine.State(), PowerUpState(10));
}

TEST(ModuleEngineFaults, IgnoredLettersGoUnansweredAndHaveNoEffect) {
    TModuleEngine engine(WithFaults([](TModuleFaults& f) { f.IgnoreLetters = "AT+"; }),
                         PowerUpState(10));
    const auto exchanges = engine.Feed("*10A00=3\r*10T0=05\r*10A0\r*10R00=3\r*10v\r+rb\r");
    ASSERT_EQ(exchanges.size(), 6u);
    EXPECT_EQ(exchanges[0].Answer, "");
    EXPECT_EQ(exchanges[1].Answer, "");
    EXPECT_EQ(exchanges[2].Answer, "");
    EXPECT_EQ(exchanges[3].Answer, "*10R00=3\r\nOK\r\n");
    EXPECT_EQ(exchanges[4].Answer, "*10v\r\nVER 08.00\r\nOK\r\n");
    EXPECT_EQ(exchanges[5].Answer, "");
    EXPECT_EQ(engine.State().Relays[0].Zone(zeAlarm, 1), 0);
    EXPECT_EQ(engine.State().Relays[0].Duration, 0);
    EXPECT_EQ(engine.State().Relays[0].Zone(zeRestore, 1), 3);
}

TEST(ModuleEngineFaults, IgnoredWritesGoUnansweredWhileTheirReadsAnswer) {
    TModuleEngine engine(WithFaults([](TModuleFaults& f) { f.IgnoreWriteLetters = "A"; }),
                         PowerUpState(10));
    const auto exchanges = engine.Feed("*10A00=3\r*10A0\r*10R00=3\r");
    ASSERT_EQ(exchanges.size(), 3u);
    EXPECT_EQ(exchanges[0].Answer, "");
    EXPECT_EQ(exchanges[1].Answer.rfind("*10A0\r\n0 0", 0), 0u) << exchanges[1].Answer;
    EXPECT_EQ(exchanges[2].Answer, "*10R00=3\r\nOK\r\n");
    EXPECT_EQ(engine.State().Relays[0].Zone(zeAlarm, 1), 0);
    EXPECT_EQ(engine.State().Relays[0].Zone(zeRestore, 1), 3);
}

TEST(ModuleEngineFaults, LowercaseAffectsHexadecimalAndOk) {
    TModuleEngine engine(WithFaults([](TModuleFaults& f) { f.Lowercase = true; }),
                         PowerUpState(10));
    engine.Feed("*10T1=AB\r*10A0F=1C\r*10C00=E\r");
    const auto answer = [&](std::string_view bytes) { return engine.Feed(bytes).at(0).Answer; };
    EXPECT_EQ(answer("*10T\r"), "*10T\r\n00 ab 00 00 00\r\nok\r\n");
    EXPECT_EQ(answer("*10A0\r"), "*10A0\r\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1c\r\nok\r\n");
    EXPECT_EQ(answer("*10C0\r"), "*10C0\r\ne0\r\nok\r\n");
    EXPECT_EQ(answer("*10v\r"), "*10v\r\nVER 08.00\r\nok\r\n");
    EXPECT_EQ(answer("+rb\r"), "ok\r\n");
}

TEST(ModuleEngineFaults, NoiseMixesBytesThatTheToolDrops) {
    TModuleEngine engine(WithFaults([](TModuleFaults& f) { f.Noise = true; }), PowerUpState(10));
    const std::string answer = engine.Feed("*10A0\r").at(0).Answer;
    std::string kept;
    int noise = 0;
    for (char c : answer) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 10 && byte <= 127) {
            kept += c;
        } else {
            ++noise;
        }
    }
    EXPECT_GT(noise, 5);
    EXPECT_EQ(kept, "*10A0\r\n" + kZeros16 + "\r\nOK\r\n");
}

TEST(ModuleEngineFaults, BadValueSpoilsOnlyItsLetter) {
    TModuleEngine engine(WithFaults([](TModuleFaults& f) { f.BadValueLetter = 'A'; }),
                         PowerUpState(10));
    EXPECT_EQ(engine.Feed("*10A2\r").at(0).Answer,
              "*10A2\r\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 G\r\nOK\r\n");
    EXPECT_EQ(engine.Feed("*10R2\r").at(0).Answer, "*10R2\r\n" + kZeros16 + "\r\nOK\r\n");

    TModuleEngine pairs(WithFaults([](TModuleFaults& f) { f.BadValueLetter = 'F'; }),
                        PowerUpState(10));
    EXPECT_EQ(pairs.Feed("*10F0\r").at(0).Answer, "*10F0\r\n0G\r\nOK\r\n");
}

TEST(ModuleEngineFaults, WrongVersionAnswersAnOlderVersion) {
    TModuleBehaviour behaviour = WithFaults([](TModuleFaults& f) { f.WrongVersion = true; });
    behaviour.Version = "VER 08.05";
    TModuleEngine engine(behaviour, PowerUpState(10));
    EXPECT_EQ(engine.Feed("*10v\r").at(0).Answer, "*10v\r\nVER 07.00\r\nOK\r\n");
}

TEST(ModuleEngineFaults, TrailingTextFollowsOk) {
    TModuleEngine engine(WithFaults([](TModuleFaults& f) { f.Trailing = true; }), PowerUpState(10));
    EXPECT_EQ(engine.Feed("*10o\r").at(0).Answer, "*10o\r\n10\r\nOK\r\nEXTRA TEXT\r\n");
    EXPECT_EQ(engine.Feed("+rb\r").at(0).Answer, "OK\r\nEXTRA TEXT\r\n");
}

TEST(ModuleEngine, VersionTextIsConfigurable) {
    TModuleBehaviour behaviour;
    behaviour.Version = "VER 08.12 test";
    TModuleEngine engine(behaviour, PowerUpState(3));
    EXPECT_EQ(engine.Feed("*03v\r").at(0).Answer, "*03v\r\nVER 08.12 test\r\nOK\r\n");
}

TEST(Transcript, EscapesControlAndHighBytes) {
    EXPECT_EQ(EscapeBytes("*10A0\r\n0 1\r\nOK\r\n"), "*10A0\\r\\n0 1\\r\\nOK\\r\\n");
    EXPECT_EQ(EscapeBytes(std::string("a\0b\x80\xff\\\t", 7)), "a\\x00b\\x80\\xFF\\\\\\t");
}

// The benchmarks count the line's bytes from the transcript: an escaped line counts as the bytes
// it stands for.
TEST(Transcript, AnEscapedLineCountsAsTheBytesItStandsFor) {
    for (const std::string& bytes :
         {std::string("*10A0\r\n0 1\r\nOK\r\n"), std::string("a\0b\x80\xff\\\t", 7),
          std::string("\\x41"), std::string()}) {
        EXPECT_EQ(EscapedByteCount(EscapeBytes(bytes)), bytes.size()) << EscapeBytes(bytes);
    }
}

}  // namespace
