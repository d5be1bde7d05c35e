// tarnel-cli scan against the module emulator on a pseudo-terminal: what it prints, its exit
// status, and the command lines it refuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "FileContents.h"
#include "cli/CliOptions.h"
#include "control/ModuleScan.h"
#include "emulator/ModuleEmulator.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct TScanRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

class CliScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* build = std::getenv("TARNEL_BUILD_DIR");
        ASSERT_NE(build, nullptr) << "TARNEL_BUILD_DIR is not set";
        m_program = (fs::path(build) / "bin" / "tarnel-cli").string();
        char pattern[] = "/tmp/tarnel-cli-scan-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        m_module.reset();
        fs::remove_all(m_dir);
    }
    void StartModule(int objectNumber, bool silent = false) {
        TEmulatorOptions options;
        options.Pacing = false;
        options.Behaviour.Faults.Silent = silent;
        m_module = std::make_unique<TModuleEmulator>(options, PowerUpState(objectNumber));
    }
    // Runs "tarnel-cli scan --port <emulator> --timeout 40" with standard error in a file, so the
    // progress comes as plain lines.
    TScanRun RunScan() {
        const std::string out = (m_dir / "stdout.txt").string();
        const std::string err = (m_dir / "stderr.txt").string();
        std::vector<std::string> args{m_program,   "scan", "--port", m_module->DevicePath(),
                                      "--timeout", "40"};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = -1;
        TScanRun run;
        if (posix_spawn(&pid, m_program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        run.Out = FileContents(out);
        run.Err = FileContents(err);
        return run;
    }

    std::string m_program;
    fs::path m_dir;
    std::unique_ptr<TModuleEmulator> m_module;
};

TEST_F(CliScanTest, PrintsTheNumberThatAnsweredWithItsVersion) {
    StartModule(37);
    const TScanRun run = RunScan();
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "37  VER 08.00\n");
    // Not a terminal: the progress comes as plain lines, every tenth number.
    EXPECT_NE(run.Err.find("tarnel-cli: Поиск модулей: 50/100\n"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find('\r'), std::string::npos);
}

TEST_F(CliScanTest, NothingAnsweringEndsWithItsOwnStatus) {
    StartModule(37, true);
    const TScanRun run = RunScan();
    EXPECT_EQ(run.Status, 3) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find("ответили номеров: 0"), std::string::npos) << run.Err;
}

TEST(ScanOptions, TakesThePortAndItsOwnWaitAndNoObject) {
    const TCliOptions plain = ParseCliOptions({"scan", "--port", "ttyUSB0"});
    EXPECT_EQ(plain.Command, "scan");
    EXPECT_EQ(plain.Port, "ttyUSB0");
    EXPECT_EQ(plain.TimeoutMs, kScanAnswerTimeoutMs);
    EXPECT_EQ(ParseCliOptions({"scan", "--timeout", "200"}, {.Port = "ttyS1", .ObjectNumber = {}})
                  .TimeoutMs,
              200);
    EXPECT_EQ(ParseCliOptions({"scan", "-q"}, {.Port = "ttyS1", .ObjectNumber = {}}).Port, "ttyS1");

    const std::vector<std::vector<std::string>> refused{
        {"scan"},
        {"scan", "--port", "ttyUSB0", "--object", "10"},
        {"scan", "--port", "ttyUSB0", "extra"},
    };
    for (const std::vector<std::string>& args : refused) {
        EXPECT_THROW(ParseCliOptions(args), ECliUsage) << args.back();
    }
}

}  // namespace
