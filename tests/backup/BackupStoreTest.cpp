// The backup folder: the names a copy gets, the copies kept per object number, the listing, and
// the refusal of a folder that takes no copy.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FileContents.h"
#include "Unprivileged.h"
#include "backup/BackupStore.h"
#include "model/ModuleSettingsIni.h"

namespace fs = std::filesystem;

namespace {

// 2026-12-10 18:05:12 local time, plus a number of seconds.
std::chrono::system_clock::time_point LocalTime(int extraSeconds = 0) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 10;
    local.tm_hour = 18;
    local.tm_min = 5;
    local.tm_sec = 12;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local)) +
           std::chrono::seconds(extraSeconds);
}

TModuleSettings SomeSettings(int duration) {
    TModuleSettings settings;
    settings.Common.ObjectNumber = "10";
    settings.Relays[2].Duration = duration;
    settings.Relays[4].Zone(zeAlarm, 3) = rrOn1Hz;
    return settings;
}

std::vector<std::string> Names(const std::vector<TBackupEntry>& entries) {
    std::vector<std::string> names;
    for (const TBackupEntry& entry : entries) {
        names.push_back(entry.Path.filename().string());
    }
    return names;
}

class BackupStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnel-backup-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
};

TEST_F(BackupStoreTest, ACopyIsNamedByObjectVersionAndLocalTimeAndLoadsBack) {
    const TBackupStore store(m_dir / "data" / "backups");
    const TModuleSettings settings = SomeSettings(77);
    const fs::path path = store.Save(settings, 10, "VER 08.03", LocalTime());
    EXPECT_EQ(path, m_dir / "data" / "backups" / "obj10_VER-08.03_2026-12-10T18-05-12.txt");
    EXPECT_EQ(FileContents(path), FormatModuleSettings(settings));
    EXPECT_EQ(TBackupStore::Load(path), settings);
    // The folders made for it are the user's alone.
    for (const fs::path& folder : {m_dir / "data", m_dir / "data" / "backups"}) {
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700U) << folder;
    }
    const std::vector<TBackupEntry> listed = store.List();
    ASSERT_EQ(listed.size(), 1U);
    EXPECT_EQ(listed[0], (TBackupEntry{path, 10, "VER-08.03", "2026-12-10 18:05:12"}));
}

TEST_F(BackupStoreTest, TheVersionBecomesASafePartOfTheName) {
    const struct {
        const char* Answer;
        const char* Part;
    } cases[] = {
        {"VER 08.03", "VER-08.03"},
        {"../../etc/x", ".._.._etc_x"},
        {"a\tb\r\n*?", "a_b____"},
        {"Вер", "______"},
        {"", "_"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Answer);
        EXPECT_EQ(BackupVersionPart(c.Answer), c.Part);
        const TBackupStore store(m_dir / c.Part);
        const fs::path path = store.Save(SomeSettings(1), 7, c.Answer, LocalTime());
        EXPECT_EQ(path.parent_path(), m_dir / c.Part);
        ASSERT_EQ(store.List().size(), 1U);
        EXPECT_EQ(store.List()[0].Version, c.Part);
    }
    EXPECT_EQ(BackupVersionPart(std::string(100, 'V')).size(), 40U);
}

TEST_F(BackupStoreTest, CopiesOfTheSameSecondKeepNamesOfTheirOwn) {
    const TBackupStore store(m_dir);
    for (int duration = 1; duration <= 3; ++duration) {
        store.Save(SomeSettings(duration), 10, "VER 08.03", LocalTime());
    }
    const std::vector<TBackupEntry> listed = store.List();
    EXPECT_EQ(Names(listed), (std::vector<std::string>{
                                 "obj10_VER-08.03_2026-12-10T18-05-12-3.txt",
                                 "obj10_VER-08.03_2026-12-10T18-05-12-2.txt",
                                 "obj10_VER-08.03_2026-12-10T18-05-12.txt",
                             }));
    ASSERT_EQ(listed.size(), 3U);
    EXPECT_EQ(TBackupStore::Load(listed[0].Path), SomeSettings(3));
    EXPECT_EQ(TBackupStore::Load(listed[2].Path), SomeSettings(1));
}

TEST_F(BackupStoreTest, TheNewestFiftyOfAnObjectAreKept) {
    const TBackupStore store(m_dir);
    store.Save(SomeSettings(1), 11, "VER 08.03", LocalTime(-3600));
    store.Save(SomeSettings(1), 11, "VER 08.03", LocalTime(-3599));
    for (int second = 0; second <= 50; ++second) {
        store.Save(SomeSettings(second), 10, "VER 08.03", LocalTime(second));
        // The copies of another number are not counted with these, nor removed.
        EXPECT_EQ(store.List(11).size(), 2U);
    }
    const std::vector<TBackupEntry> kept = store.List(10);
    ASSERT_EQ(kept.size(), TBackupStore::kKeptPerObject);
    // The oldest, of second 0, went; the newest is first.
    EXPECT_EQ(TBackupStore::Load(kept.front().Path), SomeSettings(50));
    EXPECT_EQ(TBackupStore::Load(kept.back().Path), SomeSettings(1));
    EXPECT_FALSE(fs::exists(m_dir / "obj10_VER-08.03_2026-12-10T18-05-12.txt"));
}

TEST_F(BackupStoreTest, TheListingIsNewestFirstAndLeavesOtherFilesOut) {
    const TBackupStore store(m_dir);
    const fs::path older = store.Save(SomeSettings(1), 10, "VER 08.03", LocalTime(-86400));
    const fs::path other = store.Save(SomeSettings(2), 3, "VER 08.00", LocalTime());
    const fs::path newer = store.Save(SomeSettings(3), 10, "VER 08.03", LocalTime(60));
    for (const char* foreign :
         {"notes.txt", "obj10_VER-08.03_2026-12-10T18-05.txt", "obj10_2026-12-10T18-05-12.txt",
          "obj100_V_2026-12-10T18-05-12.txt", "obj10_V_2026-12-10T18-05-12.txt~",
          "xobj10_V_2026-12-10T18-05-12.txt"}) {
        std::ofstream(m_dir / foreign) << "[FormCommon]\netO=10\n";
    }
    fs::create_directory(m_dir / "obj10_V_2027-01-01T00-00-00.txt");

    const struct {
        std::optional<int> Object;
        std::vector<fs::path> Expected;
    } cases[] = {
        {std::nullopt, {newer, other, older}},
        {10, {newer, older}},
        {3, {other}},
        {42, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Object.value_or(-1));
        std::vector<fs::path> paths;
        for (const TBackupEntry& entry : store.List(c.Object)) {
            paths.push_back(entry.Path);
        }
        EXPECT_EQ(paths, c.Expected);
    }
    EXPECT_EQ(store.List(3).at(0).Time, "2026-12-10 18:05:12");
    EXPECT_EQ(store.List(10).at(1).Time, "2026-12-09 18:05:12");
    EXPECT_TRUE(TBackupStore(m_dir / "missing").List().empty());
}

TEST_F(BackupStoreTest, AFolderThatTakesNoCopyIsRefusedWithTheReason) {
    const fs::path locked = m_dir / "locked";
    fs::create_directory(locked);
    const std::string failure = AsUnprivilegedUser(m_dir, [&]() -> std::string {
        ::chmod(locked.c_str(), 0555);
        const std::string expected =
            "Резервная копия не сохранена: нет прав на запись в папку " + locked.string();
        for (const fs::path& folder : {locked, locked / "backups"}) {
            const TBackupStore store(folder);
            try {
                store.Save(SomeSettings(1), 10, "VER 08.03", LocalTime());
                return "saved into " + folder.string();
            } catch (const std::runtime_error& error) {
                if (!std::string(error.what()).starts_with(expected)) {
                    return error.what();
                }
            }
        }
        return fs::is_empty(locked) ? "" : "something was left in the folder";
    });
    EXPECT_EQ(failure, "");
}

TEST_F(BackupStoreTest, TheDefaultFolderFollowsXdgDataHome) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::optional<std::string> xdg =
        savedXdg != nullptr ? std::optional<std::string>(savedXdg) : std::nullopt;
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome != nullptr ? savedHome : "";
    ::setenv("HOME", "/home/user", 1);
    const struct {
        std::optional<std::string> Xdg;
        const char* Folder;
    } cases[] = {
        {"/data/x", "/data/x/tarnel-config/backups"},
        {std::nullopt, "/home/user/.local/share/tarnel-config/backups"},
        {"", "/home/user/.local/share/tarnel-config/backups"},
        {"relative/data", "/home/user/.local/share/tarnel-config/backups"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Xdg.value_or("(unset)"));
        if (c.Xdg) {
            ::setenv("XDG_DATA_HOME", c.Xdg->c_str(), 1);
        } else {
            ::unsetenv("XDG_DATA_HOME");
        }
        EXPECT_EQ(TBackupStore::DefaultFolder(), fs::path(c.Folder));
    }
    ::setenv("HOME", home.c_str(), 1);
    if (xdg) {
        ::setenv("XDG_DATA_HOME", xdg->c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
}

}  // namespace
