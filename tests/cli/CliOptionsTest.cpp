// The command line of tarnel-cli: what runs, and what is refused before anything runs.
#include <gtest/gtest.h>

#include "CliOptions.h"

namespace {

using TArgs = std::vector<std::string>;

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
    EXPECT_EQ(ParseCliOptions({"read", "--help"}).Command, "help");
    EXPECT_EQ(ParseCliOptions({"--version"}).Command, "version");
}

TEST(CliOptionsTest, BadCommandLinesAreRefusedWithTheirReason) {
    struct TCase {
        TArgs Args;
        const char* Says;
    };
    const TCase cases[] = {
        {{}, "Не указана команда"},
        {{"erase"}, "Неизвестная команда erase"},
        {{"read", "--port", "p"}, "--object"},
        {{"read", "--object", "1"}, "--port"},
        {{"read", "--port", "p", "--object", "100"}, "--object"},
        {{"read", "--port", "p", "--object", "1x"}, "--object"},
        {{"read", "--port", "p", "--object"}, "Нет значения"},
        {{"read", "--port", "p", "--object", "1", "--fast"}, "Неизвестный параметр --fast"},
        {{"write", "--port", "p", "--object", "1"}, "один файл"},
        {{"diff", "--port", "p", "--object", "1", "a", "b"}, "один файл"},
        {{"read", "--port", "p", "--object", "1", "extra"}, "Лишний аргумент extra"},
        {{"read", "--port", "p", "--object", "1", "--changed"}, "только для команды write"},
        {{"diff", "--port", "p", "--object", "1", "f", "--output", "o"}, "только для команды read"},
        {{"read", "--port", "p", "--object", "1", "--timeout", "0"}, "--timeout"},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& arg : c.Args) {
            joined += arg + " ";
        }
        SCOPED_TRACE(joined);
        try {
            ParseCliOptions(c.Args);
            ADD_FAILURE() << "taken";
        } catch (const ECliUsage& e) {
            EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos) << e.what();
        }
    }
}

}  // namespace
