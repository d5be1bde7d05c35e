// tarnel-cli against the module emulator on a pseudo-terminal: read, write, write of changes,
// diff and ports, and the failures that end with one line and status 2.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FileContents.h"
#include "IniFile.h"
#include "ModuleEmulator.h"
#include "ModuleSettingsFile.h"
#include "SerialPortInfo.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

class CliProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* build = std::getenv("TARNEL_BUILD_DIR");
        ASSERT_NE(build, nullptr) << "TARNEL_BUILD_DIR is not set";
        m_program = (fs::path(build) / "bin" / "tarnel-cli").string();
        char pattern[] = "/tmp/tarnel-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        m_module.reset();
        fs::remove_all(m_dir);
    }
    void StartModule(TModuleState state, TModuleFaults faults = {}) {
        TEmulatorOptions options;
        options.Pacing = false;
        options.Behaviour.Faults = std::move(faults);
        m_module = std::make_unique<TModuleEmulator>(options, std::move(state));
    }
    std::string Path(const char* name) const { return (m_dir / name).string(); }

    TRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), m_program);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const std::string out = Path("stdout.txt");
        const std::string err = Path("stderr.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = -1;
        TRun run;
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
    std::vector<std::string> Connection(const char* object = "10") const {
        return {"--port", m_module->DevicePath(), "--object", object};
    }
    std::vector<std::string> With(std::vector<std::string> args,
                                  const std::vector<std::string>& more) const {
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    std::string m_program;
    fs::path m_dir;
    std::unique_ptr<TModuleEmulator> m_module;
};

TModuleSettings AsSettings(const TModuleState& state) {
    TModuleSettings settings;
    settings.Common.ObjectNumber = std::to_string(state.ObjectNumber);
    for (int n = 1; n <= kRelayCount; ++n) {
        settings.Relays.at(n - 1) = state.Relays.at(n - 1);
    }
    return settings;
}

TModuleState StateWithPattern() {
    TModuleState state = PowerUpState(10);
    for (TRelaySettings& relay : state.Relays) {
        relay.Duration = 10 * relay.Number;
        relay.Zone(zeRestore, relay.Number) = rrOff;
        relay.YesOf(rcJournal) = rrOn1Hz;
    }
    return state;
}

TEST_F(CliProgramTest, ReadWritesTheModuleIntoASettingsFile) {
    const TModuleState stored = StateWithPattern();
    StartModule(stored);
    const TRun run = Run(With({"read", "--output", Path("module.txt")}, Connection()));
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::vector<std::string> replaced;
    EXPECT_EQ(LoadModuleSettingsFile(Path("module.txt"), replaced), AsSettings(stored));

    const TRun printed = Run(With({"read"}, Connection()));
    EXPECT_EQ(printed.Status, 0) << printed.Err;
    EXPECT_NE(printed.Out.find("Реле 3: длительность 30"), std::string::npos) << printed.Out;
}

TEST_F(CliProgramTest, DiffSaysWhetherTheModuleEqualsTheFile) {
    const TModuleState stored = StateWithPattern();
    StartModule(stored);
    SaveModuleSettingsFile(Path("same.txt"), AsSettings(stored));
    EXPECT_EQ(Run(With({"diff", Path("same.txt")}, Connection())).Status, 0);

    TModuleSettings other = AsSettings(stored);
    other.Relays[1].Zone(zeAlarm, 4) = rrNone;
    SaveModuleSettingsFile(Path("other.txt"), other);
    const TRun run = Run(With({"diff", Path("other.txt")}, Connection()));
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out,
              "Реле 2, Зоны / Тревоги, 4: в модуле «Включение», на страницах «Без "
              "реакции»\n");
}

TEST_F(CliProgramTest, WriteSendsTheFileAndWriteOfChangesOnlyWhatDiffers) {
    StartModule(PowerUpState(10));
    TModuleSettings file = AsSettings(StateWithPattern());
    SaveModuleSettingsFile(Path("file.txt"), file);
    const TRun all = Run(With({"write", Path("file.txt"), "--verify"}, Connection()));
    EXPECT_EQ(all.Status, 0) << all.Err;
    EXPECT_EQ(AsSettings(m_module->Snapshot()), file);
    const int afterAll = m_module->CommandCount();

    file.Relays[4].Partition(peAlarm, 16) = rrOff;
    SaveModuleSettingsFile(Path("file.txt"), file);
    const TRun changed = Run(With({"write", Path("file.txt"), "--changed"}, Connection()));
    EXPECT_EQ(changed.Status, 0) << changed.Err;
    EXPECT_EQ(AsSettings(m_module->Snapshot()), file);
    // The version, the whole module read aside, and the one write.
    EXPECT_EQ(m_module->CommandCount() - afterAll, 1 + 1 + 5 * 12 + 1);
}

TEST_F(CliProgramTest, WriteRenumbersTheModuleUnlessTheNumberIsKept) {
    StartModule(PowerUpState(10));
    TModuleSettings file = AsSettings(PowerUpState(10));
    file.Common.ObjectNumber = "12";
    SaveModuleSettingsFile(Path("file.txt"), file);
    const TRun kept = Run(With({"write", Path("file.txt"), "--keep-number"}, Connection()));
    EXPECT_EQ(kept.Status, 0) << kept.Err;
    EXPECT_EQ(m_module->Snapshot().ObjectNumber, 10);

    const TRun renumbered = Run(With({"write", Path("file.txt")}, Connection()));
    EXPECT_EQ(renumbered.Status, 0) << renumbered.Err;
    EXPECT_NE(renumbered.Err.find("модуль перенумерован с 10 на 12"), std::string::npos)
        << renumbered.Err;
    EXPECT_EQ(m_module->Snapshot().ObjectNumber, 12);
}

TEST_F(CliProgramTest, FailuresEndWithOneLineAndStatusTwo) {
    TModuleFaults silent;
    silent.Silent = true;
    StartModule(PowerUpState(10), silent);
    std::ofstream(Path("junk.txt"), std::ios::binary) << "[General]\nx=1\n";
    struct TCase {
        const char* Name;
        std::vector<std::string> Args;
        const char* Says;
    };
    const TCase cases[] = {
        {"bad option", {"read", "--bogus"}, "Неизвестный параметр --bogus"},
        {"missing file", With({"write", Path("missing.txt")}, Connection()), "Не удалось открыть"},
        {"file without settings", With({"diff", Path("junk.txt")}, Connection()),
         "не содержит настроек"},
        {"missing port", {"read", "--port", Path("no-port"), "--object", "10"}, "не найден"},
        {"silent module", With({"read", "--output", Path("out.txt")}, Connection()), "не отвечает"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    EXPECT_FALSE(fs::exists(Path("out.txt")));
}

TEST_F(CliProgramTest, PortsListsOnePortALine) {
    const TRun run = Run({"ports"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(run.Out.empty() || run.Out.back() == '\n');
    // Each line is the port's name, a tab and its description, as the system lists them.
    std::string expected;
    for (const TSerialPortInfo& port : ListSerialPorts()) {
        expected += port.Name + "\t" + port.Description() + "\n";
    }
    EXPECT_EQ(run.Out, expected);
    const TRun help = Run({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("tarnel-cli read"), std::string::npos);
}

}  // namespace
