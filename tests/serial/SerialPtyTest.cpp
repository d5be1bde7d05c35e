// The serial port component on pseudo-terminals: data path, exclusive open, failed opens that
// leak nothing, and a far end that goes away.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "PtyPair.h"
#include "Unprivileged.h"
#include "serial/SerialAdvice.h"
#include "serial/SerialDrv.h"
#include "serial/SerialErr.h"
#include "serial/SerialLock.h"
#include "serial/SerialSync.h"

namespace {

using namespace std::chrono_literals;

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

template <typename F>
EDeviceError CatchDeviceError(F action) {
    try {
        action();
    } catch (const EDeviceError& e) {
        return e;
    }
    ADD_FAILURE() << "no EDeviceError raised";
    return EDeviceError("", 0);
}

// A folder of the test's own, removed with everything in it.
class TTempFolder {
  public:
    TTempFolder() {
        char pattern[] = "/tmp/tarnel-serial-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    ~TTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

std::string FileText(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// The traditional content of a UUCP lock file.
std::string PidLine(pid_t pid) {
    char line[16];
    std::snprintf(line, sizeof line, "%10d\n", static_cast<int>(pid));
    return line;
}

// The id of a process that has ended and been reaped.
pid_t DeadPid() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

std::unique_ptr<ISerialOs> OsWithLocksIn(const std::string& lockDir) {
    TPosixSerialOptions options;
    options.LockDir = lockDir;
    return MakePosixSerialOs(options);
}

class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override { comm.SetDeviceName(pty.SlavePath()); }

    TPtyPair pty;
    TSerialComm comm;
};

TEST_F(PtyTest, BytesTravelBothWays) {
    ASSERT_TRUE(comm.Open());
    EXPECT_TRUE(comm.SendString("*07v\r"));
    EXPECT_EQ(pty.ReadQuiet(), "*07v\r");
    pty.Write(std::string("VER\0 08\r\n", 9));
    char buffer[16] = {};
    EXPECT_EQ(comm.ReadData(buffer, sizeof buffer, 100), 9u);
    EXPECT_EQ(std::string(buffer, 9), std::string("VER\0 08\r\n", 9));
}

TEST_F(PtyTest, PurgeInDropsWhatWasReceived) {
    comm.Open();
    pty.Write("stale");
    ASSERT_TRUE(comm.WaitForInput(1000));
    EXPECT_EQ(comm.QueueCount(0), 5u);
    EXPECT_TRUE(comm.PurgeIn());
    EXPECT_EQ(comm.QueueCount(0), 0u);
}

TEST_F(PtyTest, PurgeOutKeepsWhatAWriteHasAlreadySent) {
    ASSERT_TRUE(comm.Open());
    // More than the far end's line discipline takes at once, so part of it still waits in the
    // pseudo-terminal's buffers when the purge comes.
    std::string sent(8000, ' ');
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(comm.SendString(sent));
    std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(comm.PurgeOut());
    EXPECT_TRUE(comm.PurgeIn());
    EXPECT_EQ(pty.ReadQuiet(), sent);
}

TEST_F(PtyTest, LineSettingsThatAPseudoTerminalKeepsAreReadBack) {
    comm.SetBaudRate(br19200);
    comm.SetFlowControl(fcRtsCts);
    comm.DataControl().SetStopBits(sb2);
    ASSERT_TRUE(comm.Open());
    EXPECT_EQ(comm.BaudRate(), br19200);
    EXPECT_EQ(comm.BaudValue(), 19200u);
    EXPECT_EQ(comm.RTSSettings(), (TRTSSettings{fsCTSOut, fsRTSHandshake}));
    EXPECT_EQ(comm.DTRSettings(), TDTRSettings{fsDTREnabled});
    EXPECT_EQ(comm.DataControl().StopBits(), sb2);
    comm.SetBaudRate(br57600);
    EXPECT_EQ(comm.BaudRate(), br57600);
    comm.SetBaudRate(brCustom);
    comm.SetBaudValue(31250);
    EXPECT_EQ(comm.BaudValue(), 31250u);
}

TEST_F(PtyTest, SecondOpenOfTheSameDeviceIsRefused) {
    ASSERT_TRUE(comm.Open());
    TSerialComm second;
    second.SetDeviceName(pty.SlavePath());
    const EDeviceError e = CatchDeviceError([&] { second.Open(); });
    EXPECT_EQ(e.ErrorCode(), 65535);
    EXPECT_EQ(std::string(e.what()), "Cannot open device " + pty.SlavePath());
    // EBUSY from our lock file, or EAGAIN from flock where no lock folder can be written.
    EXPECT_TRUE(e.OsError() == EBUSY || e.OsError() == EAGAIN) << e.OsError();
    EXPECT_FALSE(second.IsOpen());
    comm.Close();
    EXPECT_TRUE(second.Open());
}

TEST_F(PtyTest, MissingOrUnsuitableDevicesCannotBeOpened) {
    const struct {
        const char* Name;
        int OsError;
    } cases[] = {
        {"/dev/tarnel-no-such-port", ENOENT},
        {"tarnel-no-such-port", ENOENT},
        {"/dev/null", ENOTTY},
    };
    for (const auto& c : cases) {
        TSerialComm port;
        port.SetDeviceName(c.Name);
        const EDeviceError e = CatchDeviceError([&] { port.Open(); });
        EXPECT_EQ(e.ErrorCode(), 65535) << c.Name;
        EXPECT_EQ(std::string(e.what()), std::string("Cannot open device ") + c.Name);
        EXPECT_EQ(e.OsError(), c.OsError) << c.Name;
        EXPECT_FALSE(port.IsOpen()) << c.Name;
    }
}

TEST_F(PtyTest, DeviceWithoutPermissionCannotBeOpened) {
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0), 0);
    // A serial adapter's group, as the system gives it; a pseudo-terminal may belong to root's.
    if (const group* dialout = ::getgrnam("dialout")) {
        ASSERT_EQ(::chown(pty.SlavePath().c_str(), 0, dialout->gr_gid), 0);
    }
    struct stat device {};
    ASSERT_EQ(::stat(pty.SlavePath().c_str(), &device), 0);
    const group* owner = ::getgrgid(device.st_gid);
    ASSERT_NE(owner, nullptr);
    const std::string fix = "sudo usermod -aG " + std::string(owner->gr_name) + " $USER";
    const std::string failure = AsUnprivilegedUser({}, [&]() -> std::string {
        try {
            comm.Open();
            return "the port opened";
        } catch (const EDeviceError& e) {
            if (e.ErrorCode() != 65535)
                return "error code " + std::to_string(e.ErrorCode());
            if (e.OsError() != EACCES)
                return "OS error " + std::to_string(e.OsError());
            const std::string advice = OpenFailureAdvice(pty.SlavePath(), e);
            return advice.find(fix) != std::string::npos ? "" : "advice: " + advice;
        }
    });
    EXPECT_EQ(failure, "");
}

TEST_F(PtyTest, FailedOpensLeaveNoDescriptorOrThread) {
    comm.Open();
    const std::size_t fds = EntriesIn("/proc/self/fd");
    const std::size_t threads = EntriesIn("/proc/self/task");
    for (int attempt = 0; attempt < 5; ++attempt) {
        TSerialComm second;
        second.SetDeviceName(pty.SlavePath());
        EXPECT_THROW(second.Open(), EDeviceError);
        TSerialComm unsuitable;
        unsuitable.SetDeviceName("/dev/null");
        EXPECT_THROW(unsuitable.Open(), EDeviceError);
    }
    EXPECT_EQ(EntriesIn("/proc/self/fd"), fds);
    EXPECT_EQ(EntriesIn("/proc/self/task"), threads);
}

TEST_F(PtyTest, CloseReleasesDescriptorAndThread) {
    const std::size_t fds = EntriesIn("/proc/self/fd");
    const std::size_t threads = EntriesIn("/proc/self/task");
    comm.Open();
    EXPECT_GT(EntriesIn("/proc/self/task"), threads);
    comm.Close();
    EXPECT_EQ(EntriesIn("/proc/self/fd"), fds);
    EXPECT_EQ(EntriesIn("/proc/self/task"), threads);
}

TEST_F(PtyTest, ReceivedBytesAreReportedByTheEventThread) {
    comm.SetSynchronize(false);
    std::atomic<std::uint32_t> received{0};
    std::atomic<int> charEvents{0};
    comm.OnData = [&](TCustomComm*, std::uint32_t count) { received = count; };
    comm.OnCommEvent = [&](TCustomComm*, const TDeviceEvents& events) {
        if (events.Contains(deChar))
            ++charEvents;
    };
    comm.Open();
    pty.Write("abc");
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (received != 3u && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(received, 3u);
    EXPECT_GE(charEvents, 1);
}

TEST_F(PtyTest, BytesThatArriveAfterAReadAreReportedAgain) {
    comm.SetSynchronize(false);
    std::atomic<int> dataEvents{0};
    std::atomic<std::uint32_t> lastCount{0};
    comm.OnData = [&](TCustomComm*, std::uint32_t count) {
        lastCount = count;
        ++dataEvents;
    };
    comm.Open();
    auto waitForEvents = [&](int atLeast) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (dataEvents < atLeast && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        return dataEvents >= atLeast;
    };
    pty.Write("12345678");
    ASSERT_TRUE(waitForEvents(1));
    std::this_thread::sleep_for(30ms);
    char buffer[16] = {};
    EXPECT_EQ(comm.ReadData(buffer, 8, 500), 8u);
    const int before = dataEvents;
    // Fewer bytes than were reported before: still a new arrival.
    pty.Write("ab");
    EXPECT_TRUE(waitForEvents(before + 1));
    EXPECT_EQ(lastCount, 2u);
}

// A read that lands between the event wait's count of the queue and the wait's note of that count
// must not hide the bytes that arrive after it. The count below opens that gap on purpose: it
// lets the read happen, the far end send two more bytes, and only then hands over its number.
TEST(PtyEventCountTest, ReadDuringTheEventWaitsCountDoesNotHideTheNextArrival) {
    TPtyPair pty;
    std::atomic<bool> armed{false};
    std::atomic<bool> countReached{false};
    std::atomic<bool> readDone{false};
    TPosixSerialOptions options;
    options.CountQueuedInput = [&](int fd) -> std::uint32_t {
        auto fionread = [fd] {
            int count = 0;
            ::ioctl(fd, FIONREAD, &count);
            return static_cast<std::uint32_t>(count);
        };
        const std::uint32_t counted = fionread();
        if (!armed.exchange(false))
            return counted;
        countReached = true;
        // A read that waits for this count to end cannot be waited for; the bound lets it go on.
        const auto readDeadline = std::chrono::steady_clock::now() + 300ms;
        while (!readDone && std::chrono::steady_clock::now() < readDeadline)
            std::this_thread::sleep_for(1ms);
        pty.Write("ab");
        const std::uint32_t expected = readDone ? 2 : counted + 2;
        const auto queuedDeadline = std::chrono::steady_clock::now() + 2s;
        while (fionread() < expected && std::chrono::steady_clock::now() < queuedDeadline)
            std::this_thread::sleep_for(1ms);
        return counted;
    };
    TSerialComm comm(MakePosixSerialOs(options));
    comm.SetDeviceName(pty.SlavePath());
    comm.SetSynchronize(false);
    std::atomic<std::uint32_t> lastCount{0};
    comm.OnData = [&](TCustomComm*, std::uint32_t count) { lastCount = count; };
    ASSERT_TRUE(comm.Open());

    auto waitFor = [](const auto& done) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!done() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return done();
    };
    pty.Write("12345678");
    ASSERT_TRUE(waitFor([&] { return lastCount == 8u; }));
    armed = true;
    ASSERT_TRUE(waitFor([&] { return countReached.load(); }));
    char buffer[8] = {};
    EXPECT_EQ(comm.ReadData(buffer, 8, 500), 8u);
    readDone = true;
    EXPECT_TRUE(waitFor([&] { return lastCount == 2u; })) << "last reported count " << lastCount;
    comm.Close();
}

TEST(PtyUucpLockTest, LockFileNamesFollowTheDevicePath) {
    TTempFolder folder;
    TPtyPair pty;
    const std::string link = folder / "tarnel-tty";
    ASSERT_EQ(::symlink(pty.SlavePath().c_str(), link.c_str()), 0);
    const struct {
        std::string Path;
        std::string Expected;
    } cases[] = {
        {"/dev/ttyUSB0", "LCK..ttyUSB0"},
        {"/dev/ttyS0", "LCK..ttyS0"},
        {pty.SlavePath(), "LCK..pts_" + pty.SlavePath().substr(9)},
        {link, "LCK..pts_" + pty.SlavePath().substr(9)},
        {"/tmp/tarnel-no-such-port", "LCK..tarnel-no-such-port"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UucpLockName(c.Path), c.Expected) << c.Path;
}

TEST(PtyUucpLockTest, OtherProgramsLocksAreHonouredAndOursLastWhileOpen) {
    const struct {
        const char* Name;
        std::string Existing;
        bool Opens;
    } cases[] = {
        {"no lock file: ours is written and removed on close", "", true},
        {"a running process's lock makes the device busy", PidLine(1), false},
        {"our own process's lock (another port of ours) makes it busy", PidLine(::getpid()), false},
        {"a lock left by a process that ended is replaced", PidLine(DeadPid()), true},
        {"a lock that names no process is replaced", "garbage\n", true},
    };
    for (const auto& c : cases) {
        TTempFolder locks;
        TPtyPair pty;
        const std::string lockFile = locks / UucpLockName(pty.SlavePath());
        if (!c.Existing.empty())
            WriteFile(lockFile, c.Existing);
        TSerialComm comm(OsWithLocksIn(locks.Path()));
        comm.SetDeviceName(pty.SlavePath());
        if (c.Opens) {
            ASSERT_TRUE(comm.Open()) << c.Name;
            EXPECT_EQ(FileText(lockFile), PidLine(::getpid())) << c.Name;
            comm.Close();
            EXPECT_FALSE(std::filesystem::exists(lockFile)) << c.Name;
        } else {
            const EDeviceError e = CatchDeviceError([&] { comm.Open(); });
            EXPECT_EQ(e.ErrorCode(), errCannotOpenDevice) << c.Name;
            EXPECT_EQ(std::string(e.what()), "Cannot open device " + pty.SlavePath()) << c.Name;
            EXPECT_FALSE(comm.IsOpen()) << c.Name;
            EXPECT_EQ(FileText(lockFile), c.Existing) << c.Name;
        }
        EXPECT_EQ(EntriesIn(locks.Path()), c.Opens ? 0u : 1u) << c.Name;
    }
}

TEST(PtyUucpLockTest, FailedOpensRemoveTheirLockFile) {
    TTempFolder locks;
    TPtyPair pty;
    // Another program that uses flock only holds the device.
    const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    for (const std::string& name :
         {pty.SlavePath(), std::string("/dev/null"), std::string("/dev/tarnel-no-such-port")}) {
        TSerialComm comm(OsWithLocksIn(locks.Path()));
        comm.SetDeviceName(name);
        EXPECT_EQ(CatchDeviceError([&] { comm.Open(); }).ErrorCode(), errCannotOpenDevice) << name;
        EXPECT_EQ(EntriesIn(locks.Path()), 0u) << name;
    }
    ::close(other);
}

TEST(PtyUucpLockTest, WithoutAUsableLockFolderPortsOpenAsBefore) {
    TTempFolder folder;
    TPtyPair pty;
    TSerialComm missing(OsWithLocksIn(folder / "no-such-folder"));
    missing.SetDeviceName(pty.SlavePath());
    EXPECT_TRUE(missing.Open());
    missing.Close();

    // A folder that this user may not write; the check runs as an unprivileged user, for whom
    // the device itself is opened up.
    const std::string locks = folder / "locks";
    ASSERT_EQ(::mkdir(locks.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0666), 0);
    const std::string failure = AsUnprivilegedUser({}, [&]() -> std::string {
        TSerialComm comm(OsWithLocksIn(locks));
        comm.SetDeviceName(pty.SlavePath());
        try {
            comm.Open();
        } catch (const EDeviceError& e) {
            return e.what();
        }
        return EntriesIn(locks) == 0 ? "" : "a lock file appeared";
    });
    EXPECT_EQ(failure, "");
}

TEST_F(PtyTest, VanishedFarEndRaisesOrTimesOutAndNeverSpins) {
    comm.SetSynchronize(false);
    comm.Open();
    pty.Write("x");
    std::this_thread::sleep_for(50ms);
    pty.CloseMaster();

    const double cpuBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(500ms);
    // A busy event thread would burn about the whole half second.
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.25);

    const EDeviceError e = CatchDeviceError([&] { comm.SendString("*07v\r"); });
    EXPECT_EQ(e.ErrorCode(), errWritePort);
    EXPECT_EQ(std::string(e.what()), "Unable to write to port. (OS error 5: Input/output error)");

    char buffer[4] = {};
    const auto start = std::chrono::steady_clock::now();
    try {
        comm.ReadData(buffer, sizeof buffer, 100);
    } catch (const EDeviceError& readError) {
        EXPECT_EQ(readError.ErrorCode(), errReadPort);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_FALSE(comm.WaitForInput(20));
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
}

}  // namespace

namespace {

pid_t EndedProcessId() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

// A lock taken by a process that was killed on the way leaves LTMP.<pid>.<n>; the next lock taken
// in that folder removes those of ended processes, and nothing else.
TEST(PtyUucpLockTest, TemporaryFilesOfEndedProcessesAreRemovedAtTheNextOpen) {
    TTempFolder locks;
    TPtyPair pty;
    const std::string ended = std::to_string(EndedProcessId());
    const std::string alive = std::to_string(::getpid());
    const std::vector<std::string> gone{"LTMP." + ended + ".1", "LTMP." + ended + ".42"};
    const std::vector<std::string> kept{"LTMP." + alive + ".7", "LTMP." + ended,
                                        "LTMP." + ended + ".x", "LCK..ttyS3",
                                        "LTMPX." + ended + ".1"};
    for (const auto& names : {gone, kept})
        for (const std::string& name : names)
            std::ofstream(locks / name) << "x";
    TSerialComm comm(OsWithLocksIn(locks.Path()));
    comm.SetDeviceName(pty.SlavePath());
    ASSERT_TRUE(comm.Open());
    comm.Close();
    for (const std::string& name : gone)
        EXPECT_FALSE(std::filesystem::exists(locks / name)) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(std::filesystem::exists(locks / name)) << name;
}

// A stale lock left by a program run as root, which this user may not remove, is said as such,
// with the file and the command that removes it, not as a port another program holds.
TEST(PtyUucpLockTest, AStaleLockThisUserMayNotRemoveIsNamedWithItsFix) {
    TTempFolder folder;
    TPtyPair pty;
    const std::string locks = folder / "locks";
    ASSERT_EQ(::mkdir(locks.c_str(), 0755), 0);
    // Sticky and writable by all, as /run/lock is: others may add files but not remove root's.
    ASSERT_EQ(::chmod(locks.c_str(), 01777), 0);
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0666), 0);
    const pid_t ended = EndedProcessId();
    const std::string lockFile = locks + "/" + UucpLockName(pty.SlavePath());
    std::ofstream(lockFile) << std::to_string(ended) << "\n";
    const std::string failure = AsUnprivilegedUser({}, [&]() -> std::string {
        TSerialComm comm(OsWithLocksIn(locks));
        comm.SetDeviceName(pty.SlavePath());
        try {
            comm.Open();
            return "the port opened";
        } catch (const EDeviceError& e) {
            if (e.OsError() != EBUSY)
                return "OS error " + std::to_string(e.OsError());
            TSerialAdviceRoots roots;
            roots.LockDir = locks;
            const std::string advice = OpenFailureAdvice(pty.SlavePath(), e, roots);
            const bool says = advice.find("файлом блокировки " + lockFile) != std::string::npos &&
                              advice.find("sudo rm " + lockFile) != std::string::npos &&
                              advice.find(std::to_string(ended)) != std::string::npos;
            return says ? "" : "advice: " + advice;
        }
    });
    EXPECT_EQ(failure, "");
    EXPECT_TRUE(std::filesystem::exists(lockFile));
}

}  // namespace
