// tarnel-cli against the module emulator on a pseudo-terminal: read, write, write of changes,
// diff and ports, and the failures that end with one line and status 2.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FileContents.h"
#include "Unprivileged.h"
#include "backup/BackupStore.h"
#include "cli/ModuleSettingsFile.h"
#include "emulator/ModuleEmulator.h"
#include "ini/IniFile.h"
#include "serial/SerialPortInfo.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// A whole read of the module: the object number, the durations of all relays in one answer, and
// eleven rows of each relay.
constexpr int kWholeRead = 1 + 1 + 5 * 11;

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Where the program's standard streams go, and what it finds in its environment; without an
// XDG_DATA_HOME of its own the program keeps its backups in the test's folder.
struct TRunSetup {
    std::string In = "/dev/null";
    // Empty: a file of the test, read back as TRun::Out.
    std::string Out;
    std::vector<std::string> Environment;
    // Empty: a file of the test, read back as TRun::Err.
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
        StartModule(std::move(state), options);
    }
    void StartModule(TModuleState state, TEmulatorOptions options) {
        options.TranscriptFile = Path("transcript.txt");
        m_module = std::make_unique<TModuleEmulator>(options, std::move(state));
    }
    // The module got the release sequence at the end of the run.
    bool Released() const {
        return FileContents(Path("transcript.txt")).ends_with("> +rb\\r\n< OK\\r\\n\n");
    }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    // The backups the runs left, newest first.
    std::vector<TBackupEntry> Backups() const {
        return TBackupStore(m_dir / "data" / "tarnel-config" / "backups").List();
    }

    // Starts the program; Finish waits for it.
    pid_t Start(std::vector<std::string> args, const TRunSetup& setup = {}) {
        args.insert(args.begin(), m_program);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> environment = setup.Environment;
        if (std::none_of(environment.begin(), environment.end(), [](const std::string& text) {
                return text.starts_with("XDG_DATA_HOME=");
            })) {
            environment.push_back("XDG_DATA_HOME=" + Path("data"));
        }
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string text = *variable;
            if (!text.starts_with("TARNEL_PORT=") && !text.starts_with("TARNEL_OBJECT=") &&
                !text.starts_with("XDG_DATA_HOME=")) {
                environment.push_back(text);
            }
        }
        std::vector<char*> envp;
        for (std::string& variable : environment) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        const std::string out = setup.Out.empty() ? Path("stdout.txt") : setup.Out;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, setup.In.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        const std::string err = setup.Err.empty() ? Path("stderr.txt") : setup.Err;
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = -1;
        if (posix_spawn(&pid, m_program.c_str(), &actions, nullptr, argv.data(), envp.data()) !=
            0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    TRun Finish(pid_t pid) {
        TRun run;
        if (pid > 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        run.Out = FileContents(Path("stdout.txt"));
        run.Err = FileContents(Path("stderr.txt"));
        return run;
    }
    TRun Run(std::vector<std::string> args, const TRunSetup& setup = {}) {
        return Finish(Start(std::move(args), setup));
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

std::string CutAfter(const std::string& text, const std::string& part) {
    return text.substr(0, text.find(part) + part.size());
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

    // On standard output the same file, so that "read > f" and "write f" go together.
    const TRun printed = Run(With({"read"}, Connection()));
    EXPECT_EQ(printed.Status, 0) << printed.Err;
    EXPECT_EQ(printed.Out, FormatModuleSettings(AsSettings(stored)));
    EXPECT_EQ(Run(With({"read", "--output", "-"}, Connection())).Out, printed.Out);

    const TRun shown = Run(With({"show"}, Connection()));
    EXPECT_EQ(shown.Status, 0) << shown.Err;
    EXPECT_NE(shown.Out.find("Реле 3, длительность 30"), std::string::npos) << shown.Out;
}

TEST_F(CliProgramTest, DiffSaysWhetherTheModuleEqualsTheFile) {
    const TModuleState stored = StateWithPattern();
    StartModule(stored);
    SaveModuleSettingsFile(Path("same.txt"), AsSettings(stored));
    const TRun same = Run(With({"diff", Path("same.txt")}, Connection()));
    EXPECT_EQ(same.Status, 0) << same.Err;
    EXPECT_EQ(same.Out, "Различий: 0\n");

    TModuleSettings other = AsSettings(stored);
    other.Relays[1].Zone(zeAlarm, 4) = rrNone;
    SaveModuleSettingsFile(Path("other.txt"), other);
    const TRun run = Run(With({"diff", Path("other.txt")}, Connection()));
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out,
              "Реле 2, Зоны / Тревоги, 4: в модуле «Включение», в файле «Без реакции»\n"
              "Различий: 1\n");

    // Only what the file holds is compared; --keep-number leaves the number out.
    std::ofstream(Path("part.txt"), std::ios::binary)
        << "[FormCommon]\netO=12\n[FormRelay_1]\nZ14=0\nZ15=4\n";
    const TRun part = Run(With({"diff", Path("part.txt")}, Connection()));
    EXPECT_EQ(part.Status, 1);
    EXPECT_EQ(part.Out,
              "Общие, Объект / Номер объекта: в модуле «10», в файле «12»\n"
              "Реле 2, Зоны / Тревоги, 5: в модуле «Включение», в файле «Без реакции»\n"
              "Различий: 2\n");
    const TRun kept = Run(With({"diff", "--keep-number", Path("part.txt")}, Connection()));
    EXPECT_EQ(kept.Out,
              "Реле 2, Зоны / Тревоги, 5: в модуле «Включение», в файле «Без реакции»\n"
              "Различий: 1\n");
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
    // The version, the whole module read aside (which the backup takes too), and the one write.
    EXPECT_EQ(m_module->CommandCount() - afterAll, 1 + kWholeRead + 1);
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
    EXPECT_NE(renumbered.Err.find("Модуль перенумерован с 10 на 12"), std::string::npos)
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
        {"missing file", With({"write", Path("missing.txt")}, Connection()),
         "Не удалось прочитать файл"},
        {"file without settings", With({"diff", Path("junk.txt")}, Connection()),
         "не содержит ни одного значения"},
        {"missing port", {"read", "--port", Path("no-port"), "--object", "10"}, "не найден"},
        {"not a serial port",
         {"read", "--port", "/dev/null", "--object", "10"},
         "Не удалось открыть порт /dev/null: Устройство /dev/null не является последовательным"},
        {"a folder as port",
         {"read", "--port", m_dir.string(), "--object", "10"},
         "это папка, а не порт"},
        {"an option the command does not take",
         {"ports", "--port", "x"},
         "Команда ports не принимает параметр --port"},
        {"silent module", With({"read", "--output", Path("out.txt")}, Connection()), "не отвечает"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << c.Says << "\n" << run.Err;
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

// A write sends what the file says and nothing else: a missing value is not a 0, a missing
// object number renumbers nothing.
TEST_F(CliProgramTest, WriteSendsOnlyTheValuesTheFileHolds) {
    const TModuleState stored = StateWithPattern();
    TModuleSettings good = AsSettings(stored);
    good.Relays[0].Zone(zeAlarm, 1) = rrNone;
    SaveModuleSettingsFile(Path("good.txt"), good);
    struct TCase {
        const char* Name;
        std::string Text;
        int Writes;
        TModuleSettings Expected;
    };
    TModuleSettings firstValue = AsSettings(stored);
    firstValue.Relays[0].Zone(zeAlarm, 1) = rrNone;
    TModuleSettings duration = AsSettings(stored);
    duration.Relays[3].Duration = 77;
    const TCase cases[] = {
        {"the object number alone", "[FormCommon]\netO=10\n", 1, AsSettings(stored)},
        {"a relay without the common page", "[FormRelay_3]\netDuration=77\n", 1, duration},
        // Cut in the first relay, after the value of its first zone: the object number, the
        // duration, the first row of partitions and that zone.
        {"a file cut short", CutAfter(FileContents(Path("good.txt")), "Z11=4"), 1 + 1 + 16 + 1,
         firstValue},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        StartModule(stored);
        std::ofstream(Path("file.txt"), std::ios::binary) << c.Text;
        const TRun run = Run(With({"write", Path("file.txt")}, Connection()));
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(AsSettings(m_module->Snapshot()), c.Expected);
        // The version, the whole module read for the backup, the writes and nothing else.
        EXPECT_EQ(m_module->CommandCount(), 1 + kWholeRead + c.Writes);
        EXPECT_NE(run.Err.find("будет записано: " + std::to_string(c.Writes)), std::string::npos)
            << run.Err;
        EXPECT_TRUE(Released());
    }
}

TEST_F(CliProgramTest, AFileWithABadValueIsRefusedBeforeAnyCommand) {
    StartModule(StateWithPattern());
    const char* const bad[] = {"[FormCommon]\netO=150\n", "[FormRelay]\netDuration=300\n",
                               "[FormRelay]\nZ11=abc\n",  "[FormRelay]\nZ11=1.5\n",
                               "[FormRelay]\nZ11=\n",     "[FormRelay]\nZ11=0x10\n",
                               "[FormRelay]\nZ11=-5\n",   "[FormRelay]\nZ11=5\n"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        std::ofstream(Path("bad.txt"), std::ios::binary) << "[FormRelay_1]\nZ12=3\n" << text;
        for (const char* command : {"write", "diff"}) {
            const TRun run = Run(With({command, Path("bad.txt")}, Connection()));
            EXPECT_EQ(run.Status, 2);
            EXPECT_NE(run.Err.find("строка 4, ["), std::string::npos) << run.Err;
        }
    }
    EXPECT_EQ(m_module->CommandCount(), 0);
    EXPECT_EQ(m_module->Snapshot(), StateWithPattern());
}

TEST_F(CliProgramTest, ReadReplacesItsFileWholeAndChecksItFirst) {
    StartModule(StateWithPattern());
    std::ofstream(Path("old.txt"), std::ios::binary)
        << "; mine\r\n[FormRelay]\r\nstale=1\r\n[Other]\r\nx=2\r\n[FormRelay]\r\nZ11=3\r\n";
    const TRun run = Run(With({"read", "--output", Path("old.txt")}, Connection()));
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(FileContents(Path("old.txt")), FormatModuleSettings(AsSettings(StateWithPattern())));
    const int afterRead = m_module->CommandCount();

    // A folder, a device and a full standard output: refused, the first two before any command.
    const TRun folder = Run(With({"read", "--output", m_dir.string()}, Connection()));
    EXPECT_EQ(folder.Status, 2);
    EXPECT_NE(folder.Err.find("это папка"), std::string::npos) << folder.Err;
    const TRun device = Run(With({"read", "--output", "/dev/null"}, Connection()));
    EXPECT_EQ(device.Status, 2);
    EXPECT_NE(device.Err.find("не обычный файл"), std::string::npos) << device.Err;
    EXPECT_EQ(m_module->CommandCount(), afterRead);
    TRunSetup full;
    full.Out = "/dev/full";
    const TRun noSpace = Run(With({"read"}, Connection()), full);
    EXPECT_EQ(noSpace.Status, 2);
    EXPECT_NE(noSpace.Err.find("стандартный вывод"), std::string::npos) << noSpace.Err;
    EXPECT_TRUE(Released());
}

TEST_F(CliProgramTest, ReadToAFolderTheUserMayNotWriteSendsNothing) {
    StartModule(StateWithPattern());
    const fs::path locked = m_dir / "locked";
    fs::create_directories(locked);
    const std::string module = m_module->DevicePath();
    ::chmod(module.c_str(), 0666);
    const std::string failure = AsUnprivilegedUser(m_dir, [&]() -> std::string {
        ::chmod(locked.c_str(), 0555);
        const TRun run = Run({"read", "--port", module, "--object", "10", "--output",
                              (locked / "module.txt").string()},
                             {"/dev/null", "/dev/null", {}, ""});
        return run.Status == 2 && run.Err.find("Модуль не читался") != std::string::npos
                   ? ""
                   : "status " + std::to_string(run.Status) + ": " + run.Err;
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(m_module->CommandCount(), 0);
}

// The advice names the port's group and the command that joins it, as the README does.
TEST_F(CliProgramTest, APortOfAGroupTheUserIsNotInNamesTheGroup) {
    StartModule(PowerUpState(10));
    const std::string module = m_module->DevicePath();
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    if (::chown(module.c_str(), static_cast<uid_t>(-1), dialout->gr_gid) != 0) {
        GTEST_SKIP() << "this user cannot give the port to the group dialout";
    }
    ::chmod(module.c_str(), 0660);
    const std::string failure = AsUnprivilegedUser(m_dir, [&]() -> std::string {
        const TRun run = Run({"show", "-p", module, "-o", "10"});
        return run.Status == 2 && run.Err.find(
                                      "группе dialout — выполните «sudo usermod -aG "
                                      "dialout $USER»") != std::string::npos
                   ? ""
                   : "status " + std::to_string(run.Status) + ": " + run.Err;
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(m_module->CommandCount(), 0);
}

TEST_F(CliProgramTest, StandardInputAndTheShellsDefaults) {
    StartModule(PowerUpState(10));
    const TModuleSettings wanted = AsSettings(StateWithPattern());
    std::ofstream(Path("in.txt"), std::ios::binary) << FormatModuleSettings(wanted);
    TRunSetup setup;
    setup.In = Path("in.txt");
    setup.Environment = {"TARNEL_PORT=" + m_module->DevicePath(), "TARNEL_OBJECT=10"};
    const TRun run = Run({"write", "-"}, setup);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(AsSettings(m_module->Snapshot()), wanted);
    const TRun diff = Run({"diff", "-q", "-"}, setup);
    EXPECT_EQ(diff.Status, 0) << diff.Err;
    EXPECT_EQ(diff.Err, "");
}

// Every stop signal ends the write after its command, releases the module and says so in the
// status.
TEST_F(CliProgramTest, AStopSignalReleasesTheModule) {
    for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        TEmulatorOptions paced;
        StartModule(PowerUpState(10), paced);
        SaveModuleSettingsFile(Path("file.txt"), AsSettings(StateWithPattern()));
        const pid_t pid = Start(With({"write", Path("file.txt")}, Connection()));
        while (m_module->CommandCount() < 20) {
            ::usleep(1000);
        }
        ::kill(pid, signal);
        const TRun run = Finish(pid);
        EXPECT_EQ(run.Status, 128 + signal) << run.Err;
        EXPECT_LT(m_module->CommandCount(), 100);
        EXPECT_TRUE(Released()) << FileContents(Path("transcript.txt"));
    }
}

// Before the module is reached nothing needs releasing: a write that waits for its standard
// input ends at Ctrl+C at once.
TEST_F(CliProgramTest, CtrlCEndsAWriteThatWaitsForItsInput) {
    StartModule(PowerUpState(10));
    const std::string fifo = Path("input");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Held open for writing and never written, so the program's read waits.
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    TRunSetup setup;
    setup.In = fifo;
    const pid_t pid = Start(With({"write", "-"}, Connection()), setup);
    ASSERT_GT(pid, 0);
    ::usleep(200 * 1000);
    ::kill(pid, SIGINT);
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 300) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << "still waiting for its input after Ctrl+C";
            break;
        }
        ::usleep(10 * 1000);
    }
    ::close(writer);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_EQ(m_module->CommandCount(), 0);
}

TEST_F(CliProgramTest, ALostPortIsOneLineThatNamesThePages) {
    TEmulatorOptions options;
    options.Pacing = false;
    // The version, the read for the backup, the object number, relay 1's 107 writes and a few
    // of relay 2's.
    options.HangUpAfter = 1 + kWholeRead + 1 + 107 + 5;
    StartModule(PowerUpState(10), options);
    SaveModuleSettingsFile(Path("file.txt"), AsSettings(StateWithPattern()));
    const TRun run = Run(With({"write", "-q", Path("file.txt")}, Connection()));
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    EXPECT_NE(run.Err.find("Записаны: Общие, Реле 1; не записаны: Реле 2 (не полностью), Реле 3, "
                           "Реле 4, Реле 5"),
              std::string::npos)
        << run.Err;
}

TEST_F(CliProgramTest, TheLogAndTheProgressShowNoControlCharacters) {
    StartModule(PowerUpState(10));
    const TRun logged = Run(With({"read", "--log"}, Connection()));
    EXPECT_EQ(logged.Status, 0) << logged.Err;
    EXPECT_NE(logged.Err.find("*10v\\r"), std::string::npos) << logged.Err;
    EXPECT_EQ(logged.Err.find('\r'), std::string::npos);
}

TEST_F(CliProgramTest, AFailedCheckSaysTheWritesWereTaken) {
    TModuleFaults faults;
    faults.BadValueLetter = 'T';
    StartModule(PowerUpState(10), faults);
    const TModuleSettings file = AsSettings(StateWithPattern());
    SaveModuleSettingsFile(Path("file.txt"), file);
    // The fault breaks every read, the backup's too.
    const TRun run =
        Run(With({"write", "--verify", "--no-backup", Path("file.txt")}, Connection()));
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("Запись принята модулем, но проверка не выполнена: Ошибка при чтении "
                           "параметра \"Реле 1: Длительность\""),
              std::string::npos)
        << run.Err;
    EXPECT_EQ(AsSettings(m_module->Snapshot()), file);
}

// On a terminal the progress names the operation and the page and counts the whole run, with
// nothing but plain characters, whatever the terminal.
TEST_F(CliProgramTest, TheProgressLineCountsTheWholeRun) {
    StartModule(PowerUpState(10));
    SaveModuleSettingsFile(Path("file.txt"), AsSettings(StateWithPattern()));
    for (const char* term : {"TERM=dumb", "TERM=xterm-256color"}) {
        SCOPED_TRACE(term);
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(::grantpt(master), 0);
        ASSERT_EQ(::unlockpt(master), 0);
        TRunSetup setup;
        setup.Err = ::ptsname(master);
        setup.Environment = {term};
        const pid_t pid = Start(With({"write", Path("file.txt")}, Connection()), setup);
        // The terminal's buffer is small: it is read while the program runs.
        std::string shown;
        int status = 0;
        for (;;) {
            char buffer[4096];
            pollfd poll{master, POLLIN, 0};
            if (::poll(&poll, 1, 20) > 0 && (poll.revents & POLLIN) != 0) {
                const ssize_t got = ::read(master, buffer, sizeof buffer);
                if (got > 0) {
                    shown.append(buffer, static_cast<std::size_t>(got));
                    continue;
                }
            }
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                break;
            }
        }
        ::close(master);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
        EXPECT_NE(shown.find("Запись: Общие  0/536"), std::string::npos) << shown.substr(0, 300);
        EXPECT_NE(shown.find("Запись: Реле 2  214/536"), std::string::npos);
        EXPECT_NE(shown.find("Запись: Реле 5  536/536"), std::string::npos);
        EXPECT_EQ(shown.find('\x1b'), std::string::npos);
    }
}

TEST_F(CliProgramTest, AnAnswerThatIsNoNumberNamesTheParameter) {
    TModuleFaults faults;
    faults.BadValueLetter = 'R';
    StartModule(PowerUpState(10), faults);
    const TRun run = Run(With({"read"}, Connection()));
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("\"Реле 1: Зоны, Восстановления\""), std::string::npos) << run.Err;
    EXPECT_TRUE(Released());
}

// Each write that sends anything keeps the module's settings from before it, and the listing
// names every copy.
TEST_F(CliProgramTest, AWriteKeepsTheModulesSettingsFromBeforeIt) {
    const TModuleState before = StateWithPattern();
    StartModule(before);
    const TModuleSettings file = AsSettings(PowerUpState(10));
    SaveModuleSettingsFile(Path("file.txt"), file);
    const TRun run = Run(With({"write", Path("file.txt")}, Connection()));
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(AsSettings(m_module->Snapshot()), file);
    std::vector<TBackupEntry> backups = Backups();
    ASSERT_EQ(backups.size(), 1U);
    EXPECT_EQ(TBackupStore::Load(backups[0].Path), AsSettings(before));
    EXPECT_TRUE(backups[0].Path.filename().string().starts_with("obj10_VER-08.00_"))
        << backups[0].Path;
    EXPECT_NE(run.Err.find("резервная копия: " + backups[0].Path.string()), std::string::npos)
        << run.Err;

    // Knowingly without a copy, and a write of changes that finds none: no new copy.
    const int commands = m_module->CommandCount();
    EXPECT_EQ(Run(With({"write", "--no-backup", Path("file.txt")}, Connection())).Status, 0);
    EXPECT_EQ(m_module->CommandCount() - commands, 1 + 536);
    EXPECT_EQ(Run(With({"write", "--changed", Path("file.txt")}, Connection())).Status, 0);
    EXPECT_EQ(Backups().size(), 1U);

    SaveModuleSettingsFile(Path("other.txt"), AsSettings(before));
    EXPECT_EQ(Run(With({"write", "--changed", Path("other.txt")}, Connection())).Status, 0);
    backups = Backups();
    ASSERT_EQ(backups.size(), 2U);
    EXPECT_EQ(TBackupStore::Load(backups[0].Path), file);

    std::string listing;
    for (const TBackupEntry& entry : backups) {
        listing += "10\tVER-08.00\t" + entry.Time + "\t" + entry.Path.string() + "\n";
    }
    const struct {
        std::vector<std::string> Args;
        std::string Out;
    } listings[] = {
        {{"backups"}, listing},
        {{"backups", "--object", "10"}, listing},
        {{"backups", "-o", "11"}, ""},
    };
    for (const auto& c : listings) {
        SCOPED_TRACE(c.Args.back());
        const TRun listed = Run(c.Args);
        EXPECT_EQ(listed.Status, 0) << listed.Err;
        EXPECT_EQ(listed.Out, c.Out);
    }
}

// A write that cannot keep its copy leaves the module as it was.
TEST_F(CliProgramTest, AWriteWithoutItsBackupSendsNoWrite) {
    StartModule(StateWithPattern());
    SaveModuleSettingsFile(Path("file.txt"), AsSettings(PowerUpState(10)));

    // A file where the data folder should be: refused before the module is reached.
    TRunSetup onAFile;
    onAFile.Environment = {"XDG_DATA_HOME=" + Path("file.txt")};
    const TRun notAFolder = Run(With({"write", Path("file.txt")}, Connection()), onAFile);
    EXPECT_EQ(notAFolder.Status, 2);
    EXPECT_NE(notAFolder.Err.find("Резервная копия не сохранена: часть пути не является папкой"),
              std::string::npos)
        << notAFolder.Err;
    EXPECT_EQ(m_module->CommandCount(), 0);

    // A module that cannot be read whole gives no copy, and gets no write.
    TModuleFaults faults;
    faults.BadValueLetter = 'T';
    StartModule(StateWithPattern(), faults);
    const TRun unread = Run(With({"write", Path("file.txt")}, Connection()));
    EXPECT_EQ(unread.Status, 2);
    EXPECT_TRUE(Backups().empty());
    EXPECT_EQ(m_module->Snapshot(), StateWithPattern());
    EXPECT_TRUE(Released());

    StartModule(StateWithPattern());
    const fs::path locked = m_dir / "locked";
    fs::create_directories(locked);
    const std::string module = m_module->DevicePath();
    ::chmod(module.c_str(), 0666);
    const std::string failure = AsUnprivilegedUser(m_dir, [&]() -> std::string {
        ::chmod(locked.c_str(), 0555);
        const TRun run = Run({"write", "--port", module, "--object", "10", Path("file.txt")},
                             {"/dev/null", "/dev/null", {"XDG_DATA_HOME=" + locked.string()}, ""});
        return run.Status == 2 && run.Err.find(
                                      "Резервная копия не сохранена: нет прав на запись "
                                      "в папку " +
                                      locked.string()) != std::string::npos
                   ? ""
                   : "status " + std::to_string(run.Status) + ": " + run.Err;
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(m_module->CommandCount(), 0);
    EXPECT_EQ(m_module->Snapshot(), StateWithPattern());
}

}  // namespace
