// The emulator over a real pseudo-terminal: raw bytes from the tool's end, answers back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "ToolEnd.h"
#include "emulator/ModuleEmulator.h"

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

TEmulatorOptions Unpaced() {
    TEmulatorOptions options;
    options.Pacing = false;
    return options;
}

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "emulator_" + std::to_string(::getpid()) + "_" + name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(EmulatorLine, AnswersReadsAndWritesOverThePseudoTerminal) {
    TModuleEmulator emulator(Unpaced(), PowerUpState(10));
    TToolEnd tool(emulator.DevicePath());
    ASSERT_TRUE(tool.IsOpen());

    EXPECT_EQ(tool.Exchange("*10v\r"), "*10v\r\nVER 08.00\r\nOK\r\n");
    EXPECT_EQ(tool.Exchange("*10E1F=3\r"), "*10E1F=3\r\nOK\r\n");
    EXPECT_EQ(tool.Exchange("*10T0=0A\r"), "*10T0=0A\r\nOK\r\n");
    EXPECT_EQ(tool.Exchange("*10T\r"), "*10T\r\n0A 00 00 00 00\r\nOK\r\n");
    EXPECT_EQ(tool.Exchange("*10E1\r"), "*10E1\r\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 3\r\nOK\r\n");
    EXPECT_EQ(tool.Exchange("]]]+rb\r"), "OK\r\n");

    const TModuleState state = emulator.Snapshot();
    EXPECT_EQ(state.Relays[1].Zone(zeFault, 16), 3);
    EXPECT_EQ(state.Relays[0].Duration, 10);
    EXPECT_EQ(emulator.CommandCount(), 5);
}

TEST(EmulatorLine, OtherAddressesAndMalformedCommandsStaySilent) {
    TModuleEmulator emulator(Unpaced(), PowerUpState(10));
    TToolEnd tool(emulator.DevicePath());
    // Had any of the first lines been answered, its bytes would come before the last answer.
    EXPECT_EQ(tool.Exchange("*11v\r*10A5\r*10X0\r*10o=ab\rnoise*10o\r"), "*10o\r\n10\r\nOK\r\n");
}

TEST(EmulatorLine, ObjectNumberMovesAfterItsAnswer) {
    TModuleEmulator emulator(Unpaced(), PowerUpState(7));
    TToolEnd tool(emulator.DevicePath());
    EXPECT_EQ(tool.Exchange("*07o=12\r"), "*07o=12\r\nOK\r\n");
    EXPECT_EQ(tool.Exchange("*07o\r*12o\r"), "*12o\r\n12\r\nOK\r\n");
    EXPECT_EQ(emulator.Snapshot().ObjectNumber, 12);
}

TEST(EmulatorLine, ToolMayCloseAndReopenThePort) {
    TModuleEmulator emulator(Unpaced(), PowerUpState(10));
    {
        TToolEnd first(emulator.DevicePath());
        EXPECT_EQ(first.Exchange("*10A00=2\r"), "*10A00=2\r\nOK\r\n");
    }
    TToolEnd second(emulator.DevicePath());
    EXPECT_EQ(second.Exchange("*10A0\r"), "*10A0\r\n2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\nOK\r\n");
}

TEST(EmulatorLine, ReplyDelayHoldsTheAnswerBack) {
    TEmulatorOptions options;
    options.ReplyDelayMs = 300;
    TModuleEmulator emulator(options, PowerUpState(10));
    TToolEnd tool(emulator.DevicePath());
    const auto start = TClock::now();
    EXPECT_EQ(tool.Exchange("*10o\r"), "*10o\r\n10\r\nOK\r\n");
    const auto waited = TClock::now() - start;
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 2s);
}

TEST(EmulatorLine, StopDoesNotWaitForAPendingAnswer) {
    TEmulatorOptions options;
    options.ReplyDelayMs = 30'000;
    TModuleEmulator emulator(options, PowerUpState(10));
    TToolEnd tool(emulator.DevicePath());
    tool.Write("*10o\r");
    while (emulator.CommandCount() == 0)
        std::this_thread::sleep_for(1ms);
    const auto start = TClock::now();
    emulator.Stop();
    EXPECT_LT(TClock::now() - start, 2s);
    EXPECT_EQ(tool.ReadSome(50ms), "");
}

TEST(EmulatorLine, SplitAnswersArriveInPiecesAndWhole) {
    TEmulatorOptions options = Unpaced();
    options.Split = true;
    TModuleEmulator emulator(options, PowerUpState(10));
    TToolEnd tool(emulator.DevicePath());
    const std::string expected = "*10L3\r\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\nOK\r\n";
    bool sawPiece = false;
    // A busy machine may let pieces merge once; three tries make a false failure unlikely.
    for (int attempt = 0; attempt < 3 && !sawPiece; ++attempt) {
        tool.Write("*10L3\r");
        const std::string first = tool.ReadSome(2s);
        sawPiece = first.size() < expected.size();
        EXPECT_EQ(first + tool.ReadUntil("OK\r\n"), expected);
    }
    EXPECT_TRUE(sawPiece);
}

TEST(EmulatorLine, HangsUpAfterTheGivenNumberOfCommands) {
    TEmulatorOptions options = Unpaced();
    options.HangUpAfter = 2;
    TModuleEmulator emulator(options, PowerUpState(10));
    TToolEnd tool(emulator.DevicePath());
    EXPECT_EQ(tool.Exchange("]*10o\r"), "*10o\r\n10\r\nOK\r\n");
    EXPECT_FALSE(emulator.HasHungUp());
    // The last answer still arrives whole before the line goes dead.
    EXPECT_EQ(tool.Exchange("*10v\r"), "*10v\r\nVER 08.00\r\nOK\r\n");
    EXPECT_TRUE(tool.WaitForHangUp(2s));
    EXPECT_TRUE(emulator.HasHungUp());
    EXPECT_EQ(tool.ReadSome(10ms), "");
}

TEST(EmulatorLine, TranscriptRecordsEveryCommandAndAnswerInOrder) {
    TEmulatorOptions options = Unpaced();
    options.TranscriptFile = TempPath("transcript.txt");
    {
        TModuleEmulator emulator(options, PowerUpState(10));
        TToolEnd tool(emulator.DevicePath());
        tool.Exchange("*10o\r");
        tool.Exchange("*11o\r*10X\r]+rb\r");
    }
    EXPECT_EQ(ReadFile(options.TranscriptFile),
              "> *10o\\r\n"
              "< *10o\\r\\n10\\r\\nOK\\r\\n\n"
              "> *11o\\r\n"
              "> *10X\\r\n"
              "> ]\n"
              "> +rb\\r\n"
              "< OK\\r\\n\n");
    std::remove(options.TranscriptFile.c_str());
}

TEST(EmulatorLine, TranscriptThatCannotBeOpenedFailsTheStart) {
    TEmulatorOptions options;
    options.TranscriptFile = "/nonexistent-folder/transcript.txt";
    EXPECT_THROW(TModuleEmulator(options, PowerUpState(10)), std::runtime_error);
}

}  // namespace
