// The table of "tarnel-cli show": every code stands under its zone or partition number, whatever
// the captions' letters, and every value of the module is in it.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/ConsoleText.h"
#include "cli/SettingsTable.h"

namespace {

// The character offsets where the words of the line begin, from the given offset on.
std::vector<std::size_t> WordStarts(const std::string& line, std::size_t from) {
    std::vector<std::size_t> starts;
    std::size_t offset = 0;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0U) == 0x80U) {
            continue;
        }
        const bool blank = line[i] == ' ';
        if (!blank && !inWord && offset >= from) {
            starts.push_back(offset);
        }
        inWord = !blank;
        ++offset;
    }
    return starts;
}

TEST(SettingsTableTest, CodesStandUnderTheirNumbers) {
    TModuleSettings settings;
    settings.Common.ObjectNumber = "42";
    for (TRelaySettings& relay : settings.Relays) {
        relay.Duration = 200 + relay.Number;
        for (int n = 1; n <= kTableWidth; ++n) {
            relay.Zone(zeFault, n) = (n + relay.Number) % 5;
            relay.Partition(peDisarm, n) = n % 5;
        }
    }
    std::istringstream table(SettingsTable(settings));
    std::vector<std::string> lines;
    for (std::string line; std::getline(table, line);) {
        lines.push_back(line);
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Номер объекта: 42");
    int relays = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with("Реле ")) {
            continue;
        }
        ++relays;
        EXPECT_EQ(lines[i], "Реле " + std::to_string(relays) + ", длительность " +
                                std::to_string(200 + relays));
        const std::string& header = lines.at(i + 1);
        const std::vector<std::size_t> columns = WordStarts(header, 0);
        ASSERT_EQ(columns.size(), static_cast<std::size_t>(kTableWidth));
        // The six rows: the codes start where the numbers do, one under each.
        for (std::size_t row = 1; row <= 6; ++row) {
            SCOPED_TRACE(lines.at(i + 1 + row));
            EXPECT_EQ(WordStarts(lines.at(i + 1 + row), columns.front()), columns);
        }
        // The zones' fault row carries this relay's codes.
        const std::string& faults = lines.at(i + 4);
        EXPECT_TRUE(faults.starts_with("  Зоны / Аварии")) << faults;
        EXPECT_NE(
            faults.find(std::to_string((1 + relays) % 5) + "  " + std::to_string((2 + relays) % 5)),
            std::string::npos)
            << faults;
    }
    EXPECT_EQ(relays, kRelayCount);
    EXPECT_EQ(TextWidth("Зоны"), 4u);
}

}  // namespace
