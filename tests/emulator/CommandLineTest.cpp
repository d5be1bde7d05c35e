// The emulator program's arguments.
#include <gtest/gtest.h>

#include <stdexcept>

#include "emulator/EmulatorCommandLine.h"

namespace {

TEST(EmulatorCommandLine, DefaultsArePacedFaultlessAndUnaddressed) {
    const TEmulatorCommandLine line = ParseEmulatorCommandLine({});
    EXPECT_FALSE(line.ObjectNumber.has_value());
    EXPECT_TRUE(line.Options.Pacing);
    EXPECT_EQ(line.Options.ReplyDelayMs, 0);
    EXPECT_EQ(line.Options.Behaviour.Version, "VER 08.00");
    EXPECT_EQ(line.Options.HangUpAfter, 0);
    EXPECT_FALSE(line.Options.Split);
    EXPECT_FALSE(line.ShowHelp);
}

TEST(EmulatorCommandLine, TakesEveryOption) {
    const TEmulatorCommandLine line = ParseEmulatorCommandLine({"--object",
                                                                "7",
                                                                "--version",
                                                                "VER 08.01",
                                                                "--state",
                                                                "in.ini",
                                                                "--save",
                                                                "out.ini",
                                                                "--link",
                                                                "/tmp/tty",
                                                                "--transcript",
                                                                "t.txt",
                                                                "--no-pacing",
                                                                "--reply-delay",
                                                                "40",
                                                                "--silent",
                                                                "--ignore",
                                                                "AT",
                                                                "--lowercase",
                                                                "--split",
                                                                "--noise",
                                                                "--bad-value",
                                                                "C",
                                                                "--wrong-version",
                                                                "--trailing",
                                                                "--hangup-after",
                                                                "3"});
    EXPECT_EQ(line.ObjectNumber, 7);
    EXPECT_EQ(line.StateFile, "in.ini");
    EXPECT_EQ(line.SaveFile, "out.ini");
    EXPECT_EQ(line.LinkPath, "/tmp/tty");
    const TEmulatorOptions& options = line.Options;
    EXPECT_EQ(options.Behaviour.Version, "VER 08.01");
    EXPECT_EQ(options.TranscriptFile, "t.txt");
    EXPECT_FALSE(options.Pacing);
    EXPECT_EQ(options.ReplyDelayMs, 40);
    EXPECT_TRUE(options.Split);
    EXPECT_EQ(options.HangUpAfter, 3);
    const TModuleFaults& faults = options.Behaviour.Faults;
    EXPECT_TRUE(faults.Silent);
    EXPECT_EQ(faults.IgnoreLetters, "AT");
    EXPECT_TRUE(faults.Lowercase);
    EXPECT_TRUE(faults.Noise);
    EXPECT_EQ(faults.BadValueLetter, 'C');
    EXPECT_TRUE(faults.WrongVersion);
    EXPECT_TRUE(faults.Trailing);
}

TEST(EmulatorCommandLine, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> refused = {
        {"--object"},
        {"--object", "x"},
        {"--object", "-1"},
        {"--object", "1e3"},
        {"--reply-delay", "-5"},
        {"--hangup-after", "0"},
        {"--bad-value", "AB"},
        {"--ignore", ""},
        {"--frobnicate"},
        {"extra"},
    };
    for (const auto& arguments : refused) {
        SCOPED_TRACE(arguments.front());
        EXPECT_THROW(ParseEmulatorCommandLine(arguments), std::invalid_argument);
    }
}

}  // namespace
