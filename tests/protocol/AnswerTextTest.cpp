// Substring, trimming, splitting and conversion rules used to cut answers apart.
#include <gtest/gtest.h>

#include <climits>

#include "protocol/AnswerText.h"

TEST(CopyTrim, FollowsTheSubstringAndTrimRules) {
    const struct {
        const char* Name;
        std::string Text;
        int Index;
        int Count;
        std::string Expected;
    } cases[] = {
        {"leading spaces and a trailing carriage return go", "   12 34\r", 1, 100, "12 34"},
        {"all control characters count as blanks", "\t\n\x01 x \r\n", 1, 100, "x"},
        {"an index below 1 counts as 1", "abc", 0, 2, "ab"},
        {"a negative index counts as 1", "abc", -5, 1, "a"},
        {"an index past the end gives nothing", "abc", 4, 1, ""},
        {"a negative count gives nothing", "abc", 1, -1, ""},
        {"a count past the end stops at the end", "abc", 2, 100, "bc"},
        {"a count of zero gives nothing", "abc", 1, 0, ""},
        {"inner blanks stay", " a  b ", 1, 100, "a  b"},
        {"8-bit letters are no blanks", "\xC0 ", 1, 100, "\xC0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CopyTrim(c.Text, c.Index, c.Count), c.Expected) << c.Name;
    }
}

TEST(Pos, CountsFromOneAndGivesZeroWhenAbsent) {
    EXPECT_EQ(Pos("OK", "12 OK OK"), 4);
    EXPECT_EQ(Pos("OK", "12 ok"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("a", ""), 0);
}

TEST(SplitBySet, CutsAtEverySeparator) {
    const TCharSet spaces = CharSetOf(" ");
    const struct {
        const char* Name;
        std::string Text;
        TArrayOfString Expected;
    } cases[] = {
        {"three values, single spaces", "1 2 3", {"1", "2", "3"}},
        {"two spaces give an empty middle part", "1  2", {"1", "", "2"}},
        {"a single value is one part", "1A", {"1A"}},
        {"a trailing separator gives an empty last part", "1 ", {"1", ""}},
        {"a leading separator gives an empty first part", " 1", {"", "1"}},
        {"NUL always separates",
         std::string("1\0"
                     "2",
                     3),
         {"1", "2"}},
        {"other blanks do not separate", "1\t2", {"1\t2"}},
    };
    for (const auto& c : cases) {
        TArrayOfString parts;
        SplitBySet(c.Text, spaces, parts);
        EXPECT_EQ(parts, c.Expected) << c.Name;
    }
}

TEST(SplitBySet, EmptyTextGivesNoPartsAndLeavesTheArrayAlone) {
    TArrayOfString parts;
    SplitBySet("", CharSetOf(" "), parts);
    EXPECT_TRUE(parts.empty());
    parts = {"kept"};
    SplitBySet("", CharSetOf(" "), parts);
    EXPECT_EQ(parts, TArrayOfString{"kept"});
    SplitBySet("a b", CharSetOf(" "), parts);
    EXPECT_EQ(parts, (TArrayOfString{"a", "b"}));
}

TEST(StrToInt, ReadsDecimalAndDollarHexadecimal) {
    const struct {
        std::string Text;
        std::int32_t Expected;
    } cases[] = {
        {"12", 12},
        {"-5", -5},
        {"+7", 7},
        {"0012", 12},
        {"$12", 18},
        {"$1a", 26},
        {"$1A", 26},
        {"$FFFFFFFF", -1},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$80000000", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StrToInt(c.Text), c.Expected) << c.Text;
        std::int32_t value = 0;
        EXPECT_TRUE(TryStrToInt(c.Text, value)) << c.Text;
        EXPECT_EQ(value, c.Expected) << c.Text;
    }
}

TEST(StrToInt, RejectsWhatIsNoNumberAndNamesTheText) {
    for (const std::string text : {"", "1G", "$", "-", "$1G", " 12", "12 ", "1 2", "2147483648",
                                   "-2147483649", "$100000000", "0x10", "1A"}) {
        std::int32_t value = 99;
        EXPECT_FALSE(TryStrToInt(text, value)) << text;
        EXPECT_EQ(value, 99) << text;
        try {
            StrToInt(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
        }
    }
}

TEST(HexStrToInt, ReadsHexDigitsAndNamesTheModuleText) {
    EXPECT_EQ(HexStrToInt("1A"), 26);
    EXPECT_EQ(HexStrToInt("ff"), 255);
    EXPECT_EQ(HexStrToInt("0"), 0);
    for (const std::string text : {"1G", "", " ", "-", "$1"}) {
        try {
            HexStrToInt(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
        }
    }
}

TEST(IntToHex, PadsToTheDigitsAndGrowsBeyondThem) {
    EXPECT_EQ(IntToHex(0, 2), "00");
    EXPECT_EQ(IntToHex(10, 2), "0A");
    EXPECT_EQ(IntToHex(255, 2), "FF");
    EXPECT_EQ(IntToHex(256, 2), "100");
    EXPECT_EQ(IntToHex(4, 1), "4");
    EXPECT_EQ(IntToHex(0, 1), "0");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(0xFFFFFFFFu, 1), "FFFFFFFF");
}
