// The tarnel-cli program as a script runs it: "read all", "write all" (--no-backup, every value
// sent, the module differing in one) and "write changes" (--changed --no-backup, five values
// differing), each a whole process against a fresh emulator paced like a 19200-baud line; each
// figure is the median of its own over five runs. Line ms is the time the bytes of both ways take
// on the line (10 bits a byte). "ratio" is the process's wall time over that line time: start,
// dynamic loading, the version check, the release and the exit are all in it. "exchange ratio"
// first takes away the median wall time of a run that exchanges nothing (a read of a port that does
// not exist: start, options, the failed open, exit), so it is the time of the module's session
// alone over its line time; that run is the "no exchange" row. CPU is the child's user + system
// time from wait4, per command divided by the commands the module received (the transcript's "> "
// lines, the release included).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "emulator/ModuleEmulator.h"
#include "emulator/Transcript.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;
constexpr const char* kObject = "10";
// The program exits as soon as the release is answered; the serving thread is given a moment to
// finish its transcript line before it is stopped.
constexpr std::chrono::milliseconds kTranscriptSettle{50};

struct TProcessRun {
    double WallMs = 0;
    double CpuMs = 0;
    int ExitStatus = -1;
};

// Holds the redirections of a spawned program.
class TSpawnActions {
  public:
    TSpawnActions() { posix_spawn_file_actions_init(&m_actions); }
    ~TSpawnActions() { posix_spawn_file_actions_destroy(&m_actions); }
    TSpawnActions(const TSpawnActions&) = delete;
    TSpawnActions& operator=(const TSpawnActions&) = delete;

    void Redirect(int fd, const fs::path& file) {
        posix_spawn_file_actions_addopen(&m_actions, fd, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    }
    const posix_spawn_file_actions_t* Get() const { return &m_actions; }

  private:
    posix_spawn_file_actions_t m_actions{};
};

// Runs the program to its end, standard output and error into the given files; wait4 gives the
// child's own CPU time, apart from the emulator's thread in this process.
TProcessRun RunProcess(const fs::path& program, const std::vector<std::string>& args,
                       const fs::path& output, const fs::path& errors) {
    std::vector<std::string> words = {program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    TSpawnActions actions;
    actions.Redirect(STDOUT_FILENO, output);
    actions.Redirect(STDERR_FILENO, errors);

    TProcessRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (const int error =
            posix_spawn(&pid, program.c_str(), actions.Get(), nullptr, argv.data(), environ);
        error != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(error));
        return run;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.WallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    run.CpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    run.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct TLineTraffic {
    double Commands = 0;
    double Bytes = 0;
};

TLineTraffic CountTranscript(const fs::path& transcript) {
    TLineTraffic traffic;
    std::ifstream file(transcript);
    for (std::string line; std::getline(file, line);) {
        if (line.size() >= 2) {
            traffic.Bytes += static_cast<double>(EscapedByteCount(line.substr(2)));
            traffic.Commands += line.starts_with("> ") ? 1 : 0;
        }
    }
    return traffic;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One run of tarnel-cli against a fresh paced module, with the traffic it caused.
struct TCaseRun {
    TProcessRun Process;
    TLineTraffic Traffic;
};

TCaseRun RunAgainstModule(const fs::path& dir, const fs::path& cli, const TModuleState& state,
                          const std::vector<std::string>& args, bool pacing = true) {
    const fs::path transcript = dir / "transcript.txt";
    TEmulatorOptions options;
    options.Pacing = pacing;
    options.TranscriptFile = transcript.string();
    TCaseRun run;
    {
        TModuleEmulator module(options, state);
        std::vector<std::string> line = args;
        line.insert(line.begin() + 1, {"--port", module.DevicePath(), "--object", kObject});
        run.Process = RunProcess(cli, line, dir / "output.txt", dir / "errors.txt");
        std::this_thread::sleep_for(kTranscriptSettle);
    }
    run.Traffic = CountTranscript(transcript);
    if (run.Process.ExitStatus != 0) {
        std::ifstream errors(dir / "errors.txt");
        std::fprintf(stderr, "tarnel-cli %s: exit %d: %s\n", args.front().c_str(),
                     run.Process.ExitStatus,
                     std::string(std::istreambuf_iterator<char>(errors), {}).c_str());
    }
    return run;
}

// The power-up module with `count` values stepped, one in each relay's alarm row.
TModuleState SteppedState(int count) {
    TModuleState state = PowerUpState(10);
    for (int n = 1; n <= count; ++n) {
        NextReaction(state.Relays.at(static_cast<std::size_t>(n - 1)).Zone(zeAlarm, n));
    }
    return state;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/tarnel-bench-cli-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    const fs::path cli = fs::read_symlink("/proc/self/exe").parent_path() / "tarnel-cli";

    // The settings file holds the power-up module's every value; the modules written differ
    // from it in one value and in five.
    const fs::path file = dir / "settings.txt";
    if (RunAgainstModule(dir, cli, PowerUpState(10), {"read"}, false).Process.ExitStatus != 0) {
        fs::remove_all(dir);
        return 1;
    }
    fs::rename(dir / "output.txt", file);

    std::vector<double> idleWall;
    std::vector<double> idleCpu;
    for (int run = 0; run < kRuns; ++run) {
        const TProcessRun idle = RunProcess(
            cli, {"read", "--port", (dir / "no-such-port").string(), "--object", kObject},
            dir / "output.txt", dir / "errors.txt");
        idleWall.push_back(idle.WallMs);
        idleCpu.push_back(idle.CpuMs);
    }
    const double idleMs = Median(idleWall);

    const struct {
        const char* Name;
        TModuleState Module;
        std::vector<std::string> Args;
    } cases[] = {
        {"read all", PowerUpState(10), {"read"}},
        {"write all", SteppedState(1), {"write", "--no-backup", file.string()}},
        {"write changes", SteppedState(5), {"write", "--changed", "--no-backup", file.string()}},
    };
    std::printf("tarnel-cli against a fresh %d-baud paced emulator, median of %d runs\n",
                TModuleEmulator::kBaudRate, kRuns);
    // "µ" takes two bytes and one column.
    std::printf("%-14s %8s %10s %9s %9s %7s %10s %8s %11s\n", "case", "commands", "line bytes",
                "line ms", "wall ms", "ratio", "exch ratio", "CPU ms", "CPU µs/cmd");
    std::printf("%-14s %8s %10s %9s %9.1f %7s %10s %8.1f %10s\n", "no exchange", "-", "-", "-",
                idleMs, "-", "-", Median(idleCpu), "-");
    for (const auto& c : cases) {
        std::vector<double> commands;
        std::vector<double> bytes;
        std::vector<double> wall;
        std::vector<double> cpu;
        for (int run = 0; run < kRuns; ++run) {
            const TCaseRun r = RunAgainstModule(dir, cli, c.Module, c.Args);
            commands.push_back(r.Traffic.Commands);
            bytes.push_back(r.Traffic.Bytes);
            wall.push_back(r.Process.WallMs);
            cpu.push_back(r.Process.CpuMs);
        }
        const double lineMs =
            Median(bytes) * TModuleEmulator::kBitsPerByte / TModuleEmulator::kBaudRate * 1000.0;
        const double wallMs = Median(wall);
        const double cpuMs = Median(cpu);
        std::printf("%-14s %8.0f %10.0f %9.1f %9.1f %7.3f %10.3f %8.1f %10.1f\n", c.Name,
                    Median(commands), Median(bytes), lineMs, wallMs, wallMs / lineMs,
                    (wallMs - idleMs) / lineMs, cpuMs, cpuMs * 1000.0 / Median(commands));
    }
    fs::remove_all(dir);
    return 0;
}
