// The command line of tarnel-cli: what runs, and what is refused before anything runs.
#include <gtest/gtest.h>

#include "cli/CliOptions.h"

namespace {

using TArgs = std::vector<std::string>;

std::string Joined(const TArgs& args) {
    std::string joined;
    for (const auto& arg : args) {
        joined += arg + " ";
    }
    return joined;
}

TEST(CliOptionsTest, CommandsTakeTheirOptionsInAnyOrder) {
    TCliOptions read = ParseCliOptions({"read", "--object", "10", "--port", "/dev/ttyUSB0"});
    EXPECT_EQ(read.Command, "read");
    EXPECT_EQ(read.Port, "/dev/ttyUSB0");
    EXPECT_EQ(read.ObjectNumber, 10);
    EXPECT_EQ(read.TimeoutMs, 300);
    EXPECT_TRUE(read.Output.empty());

    TCliOptions write =
        ParseCliOptions({"--log", "write", "f.txt", "--port", "ttyS0", "--object", "7", "--changed",
                         "--verify", "--keep-number", "--timeout", "500"});
    EXPECT_EQ(write.Command, "write");
    EXPECT_EQ(write.File, "f.txt");
    EXPECT_TRUE(write.Changed && write.Verify && write.KeepNumber && write.Log);
    EXPECT_EQ(write.TimeoutMs, 500);

    EXPECT_EQ(ParseCliOptions({"ports"}).Command, "ports");
    EXPECT_EQ(ParseCliOptions({"--version"}).Command, "version");
}

// Every spelling a Unix user may type gives the same options.
TEST(CliOptionsTest, SpellingsOfOptionsAndValuesAreTheUsualOnes) {
    struct TCase {
        TArgs Args;
        std::string Port;
        int Object;
        std::string File;
        std::string Output;
        bool Quiet;
        bool Log;
    };
    const TCase cases[] = {
        {{"read", "--port=/dev/ttyS1", "--object=12"}, "/dev/ttyS1", 12, "", "", false, false},
        {{"read", "-p", "ttyS1", "-o", "12"}, "ttyS1", 12, "", "", false, false},
        {{"read", "-pttyS1", "-o12", "-qv"}, "ttyS1", 12, "", "", true, true},
        {{"read", "-p", "a", "-o", "1", "--verbose"}, "a", 1, "", "", false, true},
        {{"read", "-p", "a", "-o", "1", "--output", "-"}, "a", 1, "", "-", false, false},
        {{"read", "-p", "a", "-o", "1", "--output=-q"}, "a", 1, "", "-q", false, false},
        {{"write", "-p", "a", "-o", "1", "-"}, "a", 1, "-", "", false, false},
        {{"write", "-p", "a", "-o", "1", "--", "-file-with-dash.txt"},
         "a",
         1,
         "-file-with-dash.txt",
         "",
         false,
         false},
        {{"diff", "-", "--port", "a", "--object", "0", "--quiet"}, "a", 0, "-", "", true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(Joined(c.Args));
        const TCliOptions options = ParseCliOptions(c.Args);
        EXPECT_EQ(options.Port, c.Port);
        EXPECT_EQ(options.ObjectNumber, c.Object);
        EXPECT_EQ(options.File, c.File);
        EXPECT_EQ(options.Output, c.Output);
        EXPECT_EQ(options.Quiet, c.Quiet);
        EXPECT_EQ(options.Log, c.Log);
    }
}

TEST(CliOptionsTest, HelpOfACommandAndOfTheProgram) {
    struct TCase {
        TArgs Args;
        const char* Topic;
    };
    const TCase cases[] = {
        {{"--help"}, ""},
        {{"-h"}, ""},
        {{"help"}, ""},
        {{"help", "write"}, "write"},
        {{"write", "--help"}, "write"},
        {{"ports", "-h"}, "ports"},
        // Help wins over what else is wrong with the line: the user asks for it to mend it.
        {{"read", "--changed", "--help"}, "read"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(Joined(c.Args));
        const TCliOptions options = ParseCliOptions(c.Args);
        EXPECT_EQ(options.Command, "help");
        EXPECT_EQ(options.HelpTopic, c.Topic);
    }
    EXPECT_NE(CliHelp("write").find("--changed"), std::string::npos);
    EXPECT_EQ(CliHelp("ports").find("--port"), std::string::npos);
    EXPECT_NE(CliHelp("").find("tarnel-cli show"), std::string::npos);
}

TEST(CliOptionsTest, TheShellGivesThePortAndObjectWhenTheLineDoesNot) {
    const TCliEnvironment shell{std::string("/dev/ttyUSB3"), std::string("42")};
    const TCliOptions fromShell = ParseCliOptions({"read"}, shell);
    EXPECT_EQ(fromShell.Port, "/dev/ttyUSB3");
    EXPECT_EQ(fromShell.ObjectNumber, 42);
    const TCliOptions given = ParseCliOptions({"read", "-p", "ttyS0", "-o", "7"}, shell);
    EXPECT_EQ(given.Port, "ttyS0");
    EXPECT_EQ(given.ObjectNumber, 7);
    EXPECT_THROW(ParseCliOptions({"read"}, {std::string("p"), std::string("100")}), ECliUsage);
    // Commands without a module do not look at them.
    EXPECT_NO_THROW(ParseCliOptions({"ports"}, {std::string(""), std::string("x")}));
}

TEST(CliOptionsTest, BadCommandLinesAreRefusedWithTheirReason) {
    struct TCase {
        TArgs Args;
        const char* Says;
    };
    const TCase cases[] = {
        {{}, "Не указана команда"},
        {{"erase"}, "Неизвестная команда erase"},
        {{"help", "erase"}, "Неизвестная команда erase"},
        {{"read", "--port", "p"}, "--object"},
        {{"read", "--object", "1"}, "--port"},
        {{"read", "--port", "p", "--object", "100"}, "--object"},
        {{"read", "--port", "p", "--object", "1x"}, "--object"},
        {{"read", "--port", "p", "--object"}, "Нет значения"},
        {{"read", "-p", "p", "-o"}, "Нет значения у -o"},
        {{"read", "--port", "p", "--object", "1", "--fast"}, "Неизвестный параметр --fast"},
        {{"read", "-p", "p", "-o", "1", "-x"}, "Неизвестный параметр -x"},
        {{"read", "-p", "p", "-o", "1", "--quiet=yes"}, "не принимает значения"},
        {{"read", "-p", "p", "-p", "q", "-o", "1"}, "указан дважды"},
        {{"read", "--port=", "-o", "1"}, "Пустое значение"},
        {{"write", "--port", "p", "--object", "1"}, "один файл"},
        {{"diff", "--port", "p", "--object", "1", "a", "b"}, "один файл"},
        {{"read", "--port", "p", "--object", "1", "extra"}, "Лишний аргумент extra"},
        {{"read", "--port", "p", "--object", "1", "--changed"},
         "Команда read не принимает параметр --changed"},
        {{"diff", "--port", "p", "--object", "1", "f", "--output", "o"},
         "Команда diff не принимает параметр --output"},
        {{"show", "-p", "p", "-o", "1", "--output", "o"}, "не принимает параметр --output"},
        {{"ports", "--port", "x"}, "Команда ports не принимает параметр --port"},
        {{"ports", "-q"}, "Команда ports не принимает параметр -q"},
        {{"ports", "--log"}, "не принимает параметр --log"},
        {{"read", "--port", "p", "--object", "1", "--timeout", "0"}, "--timeout"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.Args));
        try {
            ParseCliOptions(c.Args);
            ADD_FAILURE() << "taken";
        } catch (const ECliUsage& e) {
            EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos) << e.what();
        }
    }
}

}  // namespace
