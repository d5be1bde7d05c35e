// Where current.ini goes for a program run from its build folder and for an installed one, which
// keeps it in the user's configuration folder even when it could write its own folder (root).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "pages/PageBase.h"
#include "shell/SettingsLocation.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable, or removes it, for one test and puts the old value back.
class TEnvironmentValue {
  public:
    TEnvironmentValue(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        Set(value);
    }
    ~TEnvironmentValue() { Set(m_old); }
    TEnvironmentValue(const TEnvironmentValue&) = delete;
    TEnvironmentValue& operator=(const TEnvironmentValue&) = delete;

  private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(m_name, value->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

class SettingsDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnel-settings-dir-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    // A file, with the folders it needs, below the test's folder.
    void MakeFile(const std::string& relative) {
        fs::create_directories((m_dir / relative).parent_path());
        std::ofstream(m_dir / relative) << "[Desktop Entry]\n";
    }
    std::string Folder(const std::string& relative) const { return (m_dir / relative).string(); }

    fs::path m_dir;
};

struct TProgramFolderCase {
    const char* What;
    // Files made below the test's folder before the question.
    std::vector<std::string> Files;
    // The program's folder below the test's folder, as GetAppDir gives it.
    std::string AppDir;
    bool Installed;
};

TEST_F(SettingsDirTest, AProgramIsInstalledOnlyInABinFolderWithItsDesktopEntryBeside) {
    const std::vector<TProgramFolderCase> cases{
        {"build folder", {}, "build/bin/", false},
        {"install prefix", {"usr/share/applications/tarnel-config.desktop"}, "usr/bin/", true},
        {"without the trailing slash",
         {"usr/share/applications/tarnel-config.desktop"},
         "usr/bin",
         true},
        {"another program's entry", {"usr/share/applications/other.desktop"}, "usr/bin/", false},
        {"entry beside a folder not named bin",
         {"opt/share/applications/tarnel-config.desktop"},
         "opt/tarnel/",
         false},
        {"entry inside the program folder",
         {"build/bin/share/applications/tarnel-config.desktop"},
         "build/bin/",
         false},
        {"a folder in the entry's place",
         {"usr/share/applications/tarnel-config.desktop/readme"},
         "usr/bin/",
         false},
    };
    // Each case has a folder of its own.
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const TProgramFolderCase& c = cases[i];
        SCOPED_TRACE(c.What);
        const std::string root = std::to_string(i) + "/";
        for (const std::string& file : c.Files) {
            MakeFile(root + file);
        }
        fs::create_directories(m_dir / (root + c.AppDir));
        EXPECT_EQ(IsInstalledProgramDir(Folder(root + c.AppDir)), c.Installed);
    }
}

TEST_F(SettingsDirTest, AWritableBuildFolderKeepsCurrentIniBesideTheProgram) {
    const TEnvironmentValue xdg("XDG_CONFIG_HOME", Folder("config"));
    const std::string appDir = Folder("build/bin") + "/";
    fs::create_directories(appDir);

    EXPECT_EQ(SettingsDirFor(appDir, true), appDir);
    EXPECT_FALSE(fs::exists(m_dir / "config"));
}

TEST_F(SettingsDirTest, AnInstalledProgramUsesTheUsersFolderEvenWhenItCouldWriteItsOwn) {
    MakeFile("usr/share/applications/tarnel-config.desktop");
    const std::string appDir = Folder("usr/bin") + "/";
    fs::create_directories(appDir);
    {
        const TEnvironmentValue xdg("XDG_CONFIG_HOME", Folder("config"));
        const TEnvironmentValue home("HOME", Folder("home"));
        for (bool writable : {true, false}) {
            SCOPED_TRACE(writable ? "writable" : "read-only");
            EXPECT_EQ(SettingsDirFor(appDir, writable), Folder("config/tarnel-config") + "/");
        }
        EXPECT_TRUE(fs::is_directory(m_dir / "config" / "tarnel-config"));
    }
    {
        // Without XDG_CONFIG_HOME, or with it empty, the folder is ~/.config.
        const TEnvironmentValue home("HOME", Folder("home"));
        for (const std::optional<std::string>& xdgValue :
             {std::optional<std::string>(), std::optional<std::string>("")}) {
            const TEnvironmentValue xdg("XDG_CONFIG_HOME", xdgValue);
            EXPECT_EQ(SettingsDirFor(appDir, true), Folder("home/.config/tarnel-config") + "/");
        }
        EXPECT_TRUE(fs::is_directory(m_dir / "home" / ".config" / "tarnel-config"));
    }
}

TEST_F(SettingsDirTest, TheBuildFoldersProgramsAreNotInstalledOnes) {
    // The build must not leave a desktop entry where an install puts it.
    const char* buildDir = std::getenv("TARNEL_BUILD_DIR");
    const fs::path build = buildDir != nullptr ? fs::path(buildDir) : fs::path(GetAppDir()) / "..";
    ASSERT_TRUE(fs::exists(build / "bin" / "tarnel-config"));
    EXPECT_FALSE(IsInstalledProgramDir((build / "bin").string() + "/"));
}

}  // namespace
