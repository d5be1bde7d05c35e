// The tarnel-emulator program as a user starts it: device line, link, state files, and its end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ToolEnd.h"
#include "ini/IniFile.h"

namespace {

using namespace std::chrono_literals;

// The build folder comes from the test environment, or else from where test programs land in it.
std::string ProgramPath() {
    if (const char* buildDir = std::getenv("TARNEL_BUILD_DIR")) {
        return std::string(buildDir) + "/bin/tarnel-emulator";
    }
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return (self.parent_path().parent_path() / "bin" / "tarnel-emulator").string();
}

// One run of the program with its standard input and output on pipes.
class TEmulatorProcess {
  public:
    explicit TEmulatorProcess(std::vector<std::string> arguments) {
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(input[0], STDIN_FILENO);
            ::dup2(output[1], STDOUT_FILENO);
            std::vector<char*> argv;
            const std::string program = ProgramPath();
            argv.push_back(const_cast<char*>(program.c_str()));
            for (std::string& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        m_input = TFileDescriptor(input[1]);
        m_output = TFileDescriptor(output[0]);
    }

    ~TEmulatorProcess() {
        if (m_pid > 0 && !m_exited) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    // The first line of the output, without its line end.
    std::string FirstLine() {
        std::string line;
        char c = 0;
        while (::read(m_output.Get(), &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    void CloseInput() { m_input.Close(); }
    void Signal(int signal) { ::kill(m_pid, signal); }

    // The exit status, or -1 when the program has not ended within the time.
    int WaitForExit(std::chrono::milliseconds limit) {
        const auto giveUp = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < giveUp) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(5ms);
        }
        return -1;
    }

  private:
    pid_t m_pid = -1;
    bool m_exited = false;
    TFileDescriptor m_input;
    TFileDescriptor m_output;
};

class EmulatorProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (ProgramPath().empty() || ::access(ProgramPath().c_str(), X_OK) != 0) {
            GTEST_SKIP() << "tarnel-emulator not built or TARNEL_BUILD_DIR not set";
        }
        m_prefix = ::testing::TempDir() + "emulator_program_" + std::to_string(::getpid()) + "_";
    }
    void TearDown() override {
        for (const char* name : {"state.ini", "saved.ini", "link"}) {
            std::remove((m_prefix + name).c_str());
        }
    }
    std::string PathOf(const char* name) const { return m_prefix + name; }

    std::string m_prefix;
};

TEST_F(EmulatorProgramTest, ServesUntilInputClosesThenSavesItsMemory) {
    {
        TIniFile state(PathOf("state.ini"));
        state.WriteString("FormCommon", "etO", "05");
        state.WriteString("FormRelay_3", "Yes2", "3");
        state.UpdateFile();
    }
    TEmulatorProcess program({"--no-pacing", "--state", PathOf("state.ini"), "--save",
                              PathOf("saved.ini"), "--link", PathOf("link")});
    const std::string device = program.FirstLine();
    EXPECT_EQ(device.rfind("/dev/", 0), 0u) << device;

    {
        TToolEnd tool(PathOf("link"));
        ASSERT_TRUE(tool.IsOpen());
        EXPECT_EQ(tool.Exchange("*05Y3\r"), "*05Y3\r\n03\r\nOK\r\n");
        EXPECT_EQ(tool.Exchange("*05M4A=2\r"), "*05M4A=2\r\nOK\r\n");
        EXPECT_EQ(tool.Exchange("*05o=31\r"), "*05o=31\r\nOK\r\n");
    }
    program.CloseInput();
    EXPECT_EQ(program.WaitForExit(10s), 0);

    const TIniFile saved(PathOf("saved.ini"));
    EXPECT_EQ(saved.ReadString("FormCommon", "etO", ""), "31");
    EXPECT_EQ(saved.ReadString("FormRelay_4", "P111", ""), "2");
    EXPECT_EQ(saved.ReadString("FormRelay_3", "Yes2", ""), "3");
    // The link goes with the program.
    EXPECT_NE(::access(PathOf("link").c_str(), F_OK), 0);
}

TEST_F(EmulatorProgramTest, ObjectOptionWinsOverTheStateFile) {
    {
        TIniFile state(PathOf("state.ini"));
        state.WriteString("FormCommon", "etO", "05");
        state.UpdateFile();
    }
    TEmulatorProcess program({"--no-pacing", "--object", "42", "--state", PathOf("state.ini")});
    TToolEnd tool(program.FirstLine());
    EXPECT_EQ(tool.Exchange("*05o\r*42o\r"), "*42o\r\n42\r\nOK\r\n");
    program.CloseInput();
    EXPECT_EQ(program.WaitForExit(10s), 0);
}

TEST_F(EmulatorProgramTest, EndsOnSigtermAndSigint) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        TEmulatorProcess program({"--save", PathOf("saved.ini")});
        TToolEnd tool(program.FirstLine());
        EXPECT_EQ(tool.Exchange("*10T3=07\r"), "*10T3=07\r\nOK\r\n");
        program.Signal(signal);
        EXPECT_EQ(program.WaitForExit(10s), 0);
        const TIniFile saved(PathOf("saved.ini"));
        EXPECT_EQ(saved.ReadString("FormRelay_3", "etDuration", ""), "7");
        std::remove(PathOf("saved.ini").c_str());
    }
}

TEST_F(EmulatorProgramTest, BadArgumentsAndMissingStateFileFail) {
    TEmulatorProcess badArgument({"--object", "ten"});
    EXPECT_EQ(badArgument.WaitForExit(10s), 2);
    TEmulatorProcess missingState({"--state", PathOf("state.ini")});
    EXPECT_EQ(missingState.WaitForExit(10s), 1);
}

}  // namespace
