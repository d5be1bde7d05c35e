// The program itself ends the orderly way on SIGTERM: it saves current.ini and says with its exit
// status whether that worked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "FileContents.h"
#include "ini/IniFile.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// A copy of the program in a folder of the test's own, so that its current.ini is kept there.
class ProgramExitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* build = std::getenv("TARNEL_BUILD_DIR");
        ASSERT_NE(build, nullptr) << "TARNEL_BUILD_DIR is not set";
        char pattern[] = "/tmp/tarnel-program-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        const fs::path program = fs::path(build) / "bin" / "tarnel-config";
        std::error_code ec;
        fs::create_hard_link(program, Program(), ec);
        if (ec) {
            fs::copy_file(program, Program());
        }
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path Program() const { return m_dir / "tarnel-config"; }
    fs::path Settings() const { return m_dir / "current.ini"; }

    // Starts the program with SIGTERM blocked and sends it at once: the signal waits until the
    // program listens for it, as a signal sent any time later would find it listening. With
    // duringStart, SIGTERM is not blocked and goes as soon as the program has taken its settings
    // lock, early in its start, before its windows exist. Gives the exit status, or -1 when the
    // program did not end by itself.
    int StartAndTerminate(bool duringStart = false) {
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t blocked;
        sigemptyset(&blocked);
        if (!duringStart) {
            sigaddset(&blocked, SIGTERM);
        }
        posix_spawnattr_setsigmask(&attributes, &blocked);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string errors = (m_dir / "stderr.txt").string();
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const std::string program = Program().string();
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        pid_t pid = -1;
        const int spawned =
            posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (spawned != 0) {
            return -2;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        if (duringStart) {
            const fs::path lock = m_dir / "current.ini.lock";
            while (!fs::exists(lock) && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        ::kill(pid, SIGTERM);
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_stderr = FileContents(m_dir / "stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    fs::path m_dir;
    std::string m_stderr;
};

TEST_F(ProgramExitTest, SigtermSavesCurrentIniAndEndsWell) {
    std::ofstream(Settings(), std::ios::binary) << "[FormCommon]\r\netO=07\r\n";
    EXPECT_EQ(StartAndTerminate(), 0) << m_stderr;
    const TIniFile saved(Settings().string());
    EXPECT_EQ(saved.ReadString("FormCommon", "etO", ""), "07");
    EXPECT_EQ(saved.ReadSection("FormRelay_4").size(), 107u);
}

// The handler is there before anything else the program does: a SIGTERM during the start, before
// the main window exists, is no death by the signal.
TEST_F(ProgramExitTest, SigtermDuringTheStartEndsTheProgramTheOrderlyWay) {
    for (int trial = 0; trial < 5; ++trial) {
        SCOPED_TRACE(trial);
        fs::remove(m_dir / "current.ini.lock");
        std::ofstream(Settings(), std::ios::binary | std::ios::trunc)
            << "[FormCommon]\r\netO=07\r\n";
        EXPECT_EQ(StartAndTerminate(true), 0) << m_stderr;
        EXPECT_EQ(TIniFile(Settings().string()).ReadString("FormCommon", "etO", ""), "07");
    }
}

// A copy killed between its temporary file and the rename left the file beside current.ini; the
// next start removes it.
TEST_F(ProgramExitTest, TheStartRemovesTheTemporaryFileOfAKilledSave) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const fs::path leftover = m_dir / (".ini-" + std::to_string(child) + "-4242");
    std::ofstream(leftover) << "[FormCommon]\r\netO=07\r\n";
    EXPECT_EQ(StartAndTerminate(), 0) << m_stderr;
    EXPECT_FALSE(fs::exists(leftover));
}

TEST_F(ProgramExitTest, SigtermWithASaveThatFailsEndsWithAFailureOnStandardError) {
    fs::create_directory(Settings());
    EXPECT_EQ(StartAndTerminate(), 1) << m_stderr;
    EXPECT_NE(m_stderr.find("Unable to write to " + Settings().string()), std::string::npos)
        << m_stderr;
}

}  // namespace
