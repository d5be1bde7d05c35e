// A settings file goes both ways between the window and tarnel-cli: the same keys, values and
// bytes, and the window's replacements of values the pages cannot show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <memory>

#include "FileContents.h"
#include "PageSet.h"
#include "cli/ModuleSettingsFile.h"
#include "ini/IniFile.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"

namespace fs = std::filesystem;

namespace {

TModuleSettings Patterned() {
    TModuleSettings settings;
    settings.Common.ObjectNumber = "42";
    for (TRelaySettings& relay : settings.Relays) {
        relay.Duration = relay.Number * 31;
        for (int n = 1; n <= kTableWidth; ++n) {
            relay.Zone(zeAlarm, n) = (n + relay.Number) % 5;
            relay.Zone(zeFault, n) = (n * 3) % 5;
            relay.Partition(peDisarm, n) = (n * relay.Number) % 5;
        }
        relay.YesOf(rcFire) = rrOff;
        relay.NoOf(rcDelay) = rrOn1Hz;
    }
    return settings;
}

class SettingsFileRoundTripTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("tarnel-cli-files-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    fs::path m_dir;
};

TEST_F(SettingsFileRoundTripTest, TheToolWritesTheBytesOfTheWindowAndReadsWhatTheWindowSaved) {
    const TModuleSettings settings = Patterned();
    {
        // The window's pages save first; the second set below loads the tool's file.
        TPageSet window;
        window.Common.ShowSettings(settings.Common);
        for (int n = 1; n <= kRelayCount; ++n) {
            window.Relays.at(n - 1)->ShowSettings(settings.Relays.at(n - 1));
        }
        window.Save(Path("window.txt"));
    }
    SaveModuleSettingsFile(Path("tool.txt"), settings);
    // The same lines; the tool's file has the platform's line ends, the window's those of its
    // files on their original system.
    std::string windowLines = FileContents(Path("window.txt"));
    std::erase(windowLines, '\r');
    EXPECT_EQ(FileContents(Path("tool.txt")), windowLines);
    EXPECT_EQ(FileContents(Path("tool.txt")).find('\r'), std::string::npos);

    std::vector<std::string> replaced;
    EXPECT_EQ(LoadModuleSettingsFile(Path("window.txt"), replaced), settings);
    EXPECT_TRUE(replaced.empty());

    TPageSet loaded;
    loaded.Load(Path("tool.txt"));
    EXPECT_EQ(loaded.Settings(), settings);
}

TEST_F(SettingsFileRoundTripTest, TheToolReplacesWhatTheWindowReplaces) {
    std::ofstream(Path("odd.txt"), std::ios::binary)
        << "[FormCommon]\r\netO=123\r\n[FormRelay_2]\r\netDuration=999\r\nZ15=-7\r\nYes3=9\r\n";
    std::vector<std::string> replaced;
    const TModuleSettings tool = LoadModuleSettingsFile(Path("odd.txt"), replaced);
    TPageSet window;
    window.Load(Path("odd.txt"));
    EXPECT_EQ(tool, window.Settings());
    EXPECT_EQ(tool.Common.ObjectNumber, "01");
    EXPECT_EQ(tool.Relays[2].Duration, kMaxDuration);
    EXPECT_EQ(tool.Relays[2].Zone(zeAlarm, 5), rrNone);
    EXPECT_EQ(replaced.size(), 3u);
}

// A read of the module leaves nothing of the file it replaces: no comment, stale key, other
// section, second copy of a section or old line end.
TEST_F(SettingsFileRoundTripTest, TheToolReplacesAFileWhole) {
    std::ofstream(Path("old.txt"), std::ios::binary)
        << "; notes of the installer\r\n[Other]\r\nx=1\r\n[FormRelay]\r\nstale=7\r\nZ11=3\r\n"
           "[FormRelay]\r\nZ11=2\r\n";
    const TModuleSettings settings = Patterned();
    SaveModuleSettingsFile(Path("old.txt"), settings);
    EXPECT_EQ(FileContents(Path("old.txt")), FormatModuleSettings(settings));
    std::vector<std::string> replaced;
    EXPECT_EQ(LoadModuleSettingsFile(Path("old.txt"), replaced), settings);
}

TEST_F(SettingsFileRoundTripTest, FilesWithoutSettingsAreRefused) {
    std::ofstream(Path("other.txt"), std::ios::binary) << "[General]\nx=1\n";
    std::ofstream(Path("empty.txt"), std::ios::binary) << "";
    std::vector<std::string> replaced;
    for (const char* name : {"other.txt", "empty.txt", "missing.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(LoadModuleSettingsFile(Path(name), replaced), ESettingsFileError);
    }
}

}  // namespace
