// The keys, sections and values of a relay's settings in a settings file, without pages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ExpectedRelayKeys.h"
#include "ini/IniFile.h"
#include "model/RelaySettingsIni.h"

namespace fs = std::filesystem;

namespace {

class RelaySettingsIniTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("tarnel-relayini-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_path = (m_dir / "relay.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Contents() const {
        std::ifstream in(m_path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_dir;
    std::string m_path;
};

TRelaySettings Sample(int number) {
    TRelaySettings s;
    s.Number = number;
    s.Duration = 17 * number;
    for (int e = 1; e <= 3; ++e) {
        for (int n = 1; n <= 16; ++n) {
            s.Zone(static_cast<TZoneEvent>(e), n) = (e + n) % 5;
            s.Partition(static_cast<TPartitionEvent>(e), n) = (e * n + number) % 5;
        }
    }
    for (int c = 1; c <= 5; ++c) {
        s.YesOf(static_cast<TRelayCondition>(c)) = c % 5;
        s.NoOf(static_cast<TRelayCondition>(c)) = (c + number) % 5;
    }
    return s;
}

TEST(RelaySectionName, FollowsTheNamesOfTheFiveRelayPages) {
    EXPECT_EQ(RelaySectionName(1), "FormRelay");
    EXPECT_EQ(RelaySectionName(2), "FormRelay_1");
    EXPECT_EQ(RelaySectionName(5), "FormRelay_4");
}

TEST_F(RelaySettingsIniTest, WritesThe107KeysInOrderIntoEachRelaysSection) {
    TIniFile ini(m_path);
    for (int relay = 1; relay <= 5; ++relay) {
        SaveRelaySettings(ini, Sample(relay));
    }
    ini.UpdateFile();
    const TIniFile saved(m_path);
    const auto expected = ExpectedRelayKeys();
    ASSERT_EQ(expected.size(), 107u);
    for (int relay = 1; relay <= 5; ++relay) {
        EXPECT_EQ(saved.ReadSection(RelaySectionName(relay)), expected) << "relay " << relay;
    }
    EXPECT_EQ(saved.ReadString("FormRelay_1", "etDuration", ""), "34");
    EXPECT_EQ(saved.ReadString("FormRelay", "P116", ""), std::to_string((16 + 1) % 5));
}

TEST_F(RelaySettingsIniTest, LoadGivesBackWhatWasSavedAndASecondSaveTheSameBytes) {
    {
        TIniFile ini(m_path);
        for (int relay = 1; relay <= 5; ++relay) {
            SaveRelaySettings(ini, Sample(relay));
        }
        ini.UpdateFile();
    }
    const auto first = Contents();
    for (int relay = 1; relay <= 5; ++relay) {
        TRelaySettings loaded;
        loaded.Number = relay;
        LoadRelaySettings(TIniFile(m_path), loaded);
        EXPECT_EQ(loaded, Sample(relay)) << "relay " << relay;
        TIniFile again(m_path);
        SaveRelaySettings(again, loaded);
        again.UpdateFile();
    }
    EXPECT_EQ(Contents(), first);
}

TEST_F(RelaySettingsIniTest, MissingOrBadValuesKeepTheCurrentOnesAndOddCodesStay) {
    std::ofstream(m_path, std::ios::binary) << "[formrelay_2]\r\n"
                                               "etDuration=007\r\n"
                                               "z11=7\r\n"
                                               "Z12=-1\r\n"
                                               "Z13=abc\r\n"
                                               "Z14=0x03\r\n"
                                               "Z15=\r\n"
                                               "No5=12abc\r\n";
    TRelaySettings s = Sample(3);
    const TRelaySettings before = s;
    LoadRelaySettings(TIniFile(m_path), s);
    EXPECT_EQ(s.Duration, 7);
    EXPECT_EQ(s.Zone(zeAlarm, 1), 7);
    EXPECT_EQ(s.Zone(zeAlarm, 2), -1);
    EXPECT_EQ(s.Zone(zeAlarm, 3), before.Zone(zeAlarm, 3));
    EXPECT_EQ(s.Zone(zeAlarm, 4), 3);
    EXPECT_EQ(s.Zone(zeAlarm, 5), before.Zone(zeAlarm, 5));
    EXPECT_EQ(s.NoOf(rcDelay), before.NoOf(rcDelay));
    EXPECT_EQ(s.Partitions, before.Partitions);
}

TEST_F(RelaySettingsIniTest, DurationIsClampedLikeTheEdit) {
    struct TCase {
        const char* Stored;
        int Expected;
    } const cases[] = {{"300", 255}, {"-4", 0}, {"abc", 0}, {"", 0}, {" 42 ", 42}, {"$10", 16}};
    for (const auto& c : cases) {
        std::ofstream(m_path, std::ios::binary | std::ios::trunc)
            << "[FormRelay]\netDuration=" << c.Stored << "\n";
        TRelaySettings s;
        s.Number = 1;
        s.Duration = 99;
        LoadRelaySettings(TIniFile(m_path), s);
        EXPECT_EQ(s.Duration, c.Expected) << "stored '" << c.Stored << "'";
    }
    TRelaySettings s;
    s.Number = 1;
    s.Duration = 99;
    std::ofstream(m_path, std::ios::binary | std::ios::trunc) << "[FormRelay]\nP11=1\n";
    LoadRelaySettings(TIniFile(m_path), s);
    EXPECT_EQ(s.Duration, 99) << "a missing key keeps the duration";
}

}  // namespace
