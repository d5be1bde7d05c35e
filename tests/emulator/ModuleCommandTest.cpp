// What the module understands of a command text, and what it refuses.
#include <gtest/gtest.h>

#include "emulator/ModuleCommand.h"

namespace {

struct TParsedCase {
    const char* Text;
    TCommandKind Kind;
    char Letter;
    int Relay;
    int Index;
    std::int32_t Value;
};

TEST(ModuleCommand, UnderstandsEveryCommandOfTheSet) {
    const TParsedCase cases[] = {
        {"v", TCommandKind::ReadVersion, 'v', 0, 0, 0},
        {"o", TCommandKind::ReadObject, 'o', 0, 0, 0},
        {"o=12", TCommandKind::WriteObject, 'o', 0, 0, 12},
        {"o=05", TCommandKind::WriteObject, 'o', 0, 0, 5},
        {"o=123", TCommandKind::WriteObject, 'o', 0, 0, 123},
        {"T", TCommandKind::ReadDurations, 'T', 0, 0, 0},
        {"T2=05", TCommandKind::WriteDuration, 'T', 2, 0, 5},
        {"T4=FF", TCommandKind::WriteDuration, 'T', 4, 0, 255},
        {"T0=100", TCommandKind::WriteDuration, 'T', 0, 0, 256},
        {"A0", TCommandKind::ReadTable, 'A', 0, 0, 0},
        {"R1", TCommandKind::ReadTable, 'R', 1, 0, 0},
        {"E4", TCommandKind::ReadTable, 'E', 4, 0, 0},
        {"M2", TCommandKind::ReadTable, 'M', 2, 0, 0},
        {"D3", TCommandKind::ReadTable, 'D', 3, 0, 0},
        {"L0", TCommandKind::ReadTable, 'L', 0, 0, 0},
        {"A0F=4", TCommandKind::WriteTable, 'A', 0, 15, 4},
        {"E1F=3", TCommandKind::WriteTable, 'E', 1, 15, 3},
        {"L40=1", TCommandKind::WriteTable, 'L', 4, 0, 1},
        {"M2a=2", TCommandKind::WriteTable, 'M', 2, 10, 2},
        {"R0B=ffffffff", TCommandKind::WriteTable, 'R', 0, 11, -1},
        {"D0C=00000004", TCommandKind::WriteTable, 'D', 0, 12, 4},
        {"C1", TCommandKind::ReadCondition, 'C', 1, 0, 0},
        {"Y0", TCommandKind::ReadCondition, 'Y', 0, 0, 0},
        {"P4", TCommandKind::ReadCondition, 'P', 4, 0, 0},
        {"F2", TCommandKind::ReadCondition, 'F', 2, 0, 0},
        {"W3", TCommandKind::ReadCondition, 'W', 3, 0, 0},
        {"C01=3", TCommandKind::WriteCondition, 'C', 0, 1, 3},
        {"F10=4", TCommandKind::WriteCondition, 'F', 1, 0, 4},
        {"W41=1A", TCommandKind::WriteCondition, 'W', 4, 1, 26},
    };
    for (const TParsedCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const auto command = ParseModuleCommand(c.Text);
        ASSERT_TRUE(command.has_value());
        EXPECT_EQ(command->Kind, c.Kind);
        EXPECT_EQ(command->Letter, c.Letter);
        EXPECT_EQ(command->Relay, c.Relay);
        EXPECT_EQ(command->Index, c.Index);
        EXPECT_EQ(command->Value, c.Value);
    }
}

TEST(ModuleCommand, RefusesWhatItDoesNotUnderstand) {
    const char* const refused[] = {
        "",               // nothing after the object number
        "X0",             // unknown letter
        "a0",             // letters are case-sensitive
        "V",              // the version command is a lower-case v
        "v1",             // text after a command without arguments
        "o1",             // object read takes nothing, a write needs "="
        "o=",             // write without a number
        "o=ab",           // the object number is decimal
        "o=-1",           // no sign
        "o=1234567890",   // more digits than a 32-bit number holds safely
        "A5",             // relay digit above 4
        "A9",             // likewise
        "A",              // no relay digit
        "A0G=1",          // the index is one hexadecimal digit
        "A0F",            // an index without a value
        "A0F=",           // empty value
        "A0F=4 ",         // text after the value
        "A0F=1G",         // value not hexadecimal
        "A0F=123456789",  // more than 32 bits
        "A0F==4",         // doubled equals sign
        "A0FF=4",         // two index digits
        "T0",             // T r is a write; reading takes no relay digit
        "T0=",            // a write without a value
        "T5=01",          // relay digit above 4
        "T=01",           // a write without a relay digit
        "T01",            // no equals sign
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseModuleCommand(text).has_value());
    }
}

TEST(ModuleCommand, ConditionSubIndexIsZeroOrOne) {
    EXPECT_TRUE(ParseModuleCommand("C00=1").has_value());
    EXPECT_TRUE(ParseModuleCommand("C01=1").has_value());
    EXPECT_FALSE(ParseModuleCommand("C02=1").has_value());
    EXPECT_FALSE(ParseModuleCommand("W0F=1").has_value());
}

TEST(AddressedCommand, SplitsObjectNumberFromCommandText) {
    const auto line = SplitAddress("*07A1");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->ObjectNumber, 7);
    EXPECT_EQ(line->Text, "A1");

    const auto wide = SplitAddress("*123o=12");
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(wide->ObjectNumber, 123);
    EXPECT_EQ(wide->Text, "o=12");

    EXPECT_FALSE(SplitAddress("*A0").has_value());
    EXPECT_FALSE(SplitAddress("10A0").has_value());
    EXPECT_FALSE(SplitAddress("*1234567890A0").has_value());
}

}  // namespace
