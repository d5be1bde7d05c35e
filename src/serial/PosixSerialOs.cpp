// The serial OS API on Linux: termios on the device file, flock for exclusive use, poll for
// line events.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <limits>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "serial/SerialLock.h"
#include "serial/SerialOs.h"
#include "serial/SerialPortInfo.h"

// glibc's termios has no arbitrary rates; the kernel's termios2 has, through these ioctls.
// NOLINTNEXTLINE(readability-identifier-naming): the kernel's struct, under the kernel's name.
struct termios2 {
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};
#ifndef BOTHER
#define BOTHER 0010000
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Event bits this implementation can report.
constexpr std::uint32_t evRxChar = 0x0001;
constexpr std::uint32_t evCts = 0x0008;
constexpr std::uint32_t evDsr = 0x0010;
constexpr std::uint32_t evRlsd = 0x0020;
constexpr std::uint32_t evBreak = 0x0040;
constexpr std::uint32_t evErr = 0x0080;
constexpr std::uint32_t evRing = 0x0100;
constexpr std::uint32_t evLineEvents = evCts | evDsr | evRlsd | evBreak | evErr | evRing;

// Received bytes that were already reported are re-checked at this period, not waited on.
constexpr int kQueuedRecheckMs = 10;
// Modem-line and error counters have no descriptor to poll; they are sampled at this period.
constexpr int kLineCounterSampleMs = 50;

class TUniqueFd {
  public:
    TUniqueFd() = default;
    explicit TUniqueFd(int fd) : m_fd(fd) {}
    TUniqueFd(TUniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    TUniqueFd& operator=(TUniqueFd&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;
    ~TUniqueFd() { Reset(-1); }

    int Get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int Release() { return std::exchange(m_fd, -1); }
    void Reset(int fd) {
        if (m_fd >= 0) {
            const int saved = errno;
            ::close(m_fd);
            errno = saved;
        }
        m_fd = fd;
    }

  private:
    int m_fd = -1;
};

class TPosixCloseEvent : public ICloseEvent {
  public:
    explicit TPosixCloseEvent(TUniqueFd fd) : m_fd(std::move(fd)) {}
    void Signal() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_fd.Get(), &one, sizeof one);
    }
    int Fd() const { return m_fd.Get(); }

  private:
    TUniqueFd m_fd;
};

// What termios cannot hold is kept per open handle, so that reading back gives what was set.
struct THandleState {
    TLineState Line;
    TCommTimeouts Timeouts;
    std::uint32_t InQueue = 0;
    std::uint32_t OutQueue = 0;
    std::uint32_t EventMask = 0;
    std::uint32_t ReportedQueue = 0;
    bool CountersWork = false;
    serial_icounter_struct Counters{};
    TUucpLock UucpLock;
};

tcflag_t ByteSizeFlag(std::uint8_t byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

std::uint8_t ByteSizeOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5:
            return 5;
        case CS6:
            return 6;
        case CS7:
            return 7;
        default:
            return 8;
    }
}

std::uint32_t CounterEvents(const serial_icounter_struct& before,
                            const serial_icounter_struct& now) {
    std::uint32_t events = 0;
    if (now.cts != before.cts)
        events |= evCts;
    if (now.dsr != before.dsr)
        events |= evDsr;
    if (now.dcd != before.dcd)
        events |= evRlsd;
    if (now.rng != before.rng)
        events |= evRing;
    if (now.brk != before.brk)
        events |= evBreak;
    if (now.frame != before.frame || now.overrun != before.overrun || now.parity != before.parity ||
        now.buf_overrun != before.buf_overrun) {
        events |= evErr;
    }
    return events;
}

std::uint32_t QueuedInput(int fd) {
    int count = 0;
    if (::ioctl(fd, FIONREAD, &count) != 0 || count < 0)
        return 0;
    return static_cast<std::uint32_t>(count);
}

class TPosixSerialOs : public ISerialOs {
  public:
    explicit TPosixSerialOs(TPosixSerialOptions options) : m_options(std::move(options)) {
        if (!m_options.CountQueuedInput)
            m_options.CountQueuedInput = QueuedInput;
    }

    TOsHandle OpenDevice(const std::string& deviceName) override {
        if (deviceName.empty()) {
            errno = ENOENT;
            return InvalidOsHandle;
        }
        const std::string path = SerialDevicePath(deviceName);
        // Taken before the device is opened, whose opening may already move its modem lines; it
        // is removed again unless the whole open succeeds.
        TUucpLock uucpLock;
        if (!m_options.LockDir.empty() &&
            uucpLock.Take(m_options.LockDir, path) == TUucpLock::TResult::Busy) {
            return InvalidOsHandle;
        }
        TUniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!fd)
            return InvalidOsHandle;
        if (!::isatty(fd.Get())) {
            errno = ENOTTY;
            return InvalidOsHandle;
        }
        // TIOCEXCL does not stop root from opening a second time; the lock does. It lives as
        // long as this descriptor, so a failure below releases it with the descriptor.
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
            return InvalidOsHandle;
        ::ioctl(fd.Get(), TIOCEXCL);
        {
            std::lock_guard lock(m_mutex);
            THandleState state;
            state.UucpLock = std::move(uucpLock);
            m_handles[fd.Get()] = std::move(state);
        }
        return fd.Release();
    }

    void CloseDevice(TOsHandle handle) override {
        // The lock file goes only after the device is closed, so no other program finds the
        // device free while we still hold it.
        TUucpLock uucpLock;
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_handles.find(handle);
            if (it == m_handles.end())
                return;
            uucpLock = std::move(it->second.UucpLock);
            m_handles.erase(it);
        }
        ::ioctl(handle, TIOCNXCL);
        ::close(handle);
    }

    bool GetCommState(TOsHandle handle, TLineState& state) override {
        termios tio{};
        termios2 tio2{};
        if (::tcgetattr(handle, &tio) != 0 || ::ioctl(handle, TCGETS2, &tio2) != 0)
            return false;
        std::lock_guard lock(m_mutex);
        const THandleState* stored = Find(handle);
        if (!stored)
            return false;
        state = stored->Line;
        state.BaudRate = tio2.c_ospeed;
        state.ByteSize = ByteSizeOf(tio.c_cflag);
        if (!(tio.c_cflag & PARENB)) {
            state.Parity = 0;
        } else if (tio.c_cflag & CMSPAR) {
            state.Parity = (tio.c_cflag & PARODD) ? 3 : 4;
        } else {
            state.Parity = (tio.c_cflag & PARODD) ? 1 : 2;
        }
        if (!(tio.c_cflag & CSTOPB)) {
            state.StopBits = 0;
        } else if (state.StopBits == 0) {
            state.StopBits = 2;
        }
        SetFlag(state.Flags, lfParity, tio.c_iflag & INPCK);
        SetFlag(state.Flags, lfOutX, tio.c_iflag & IXON);
        SetFlag(state.Flags, lfInX, tio.c_iflag & IXOFF);
        // Both CTS and RTS handshake map onto the one hardware flow-control switch.
        const std::uint32_t hardwareFlow = lfOutxCtsFlow | lfRtsControlHandshake;
        if (!(tio.c_cflag & CRTSCTS)) {
            state.Flags &= ~hardwareFlow;
        } else if (!(state.Flags & hardwareFlow)) {
            state.Flags |= hardwareFlow;
        }
        state.XonChar = static_cast<char>(tio.c_cc[VSTART]);
        state.XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
        return true;
    }

    bool SetCommState(TOsHandle handle, const TLineState& state) override {
        if (state.ByteSize < 5 || state.ByteSize > 8 || state.Parity > 4 || state.StopBits > 2 ||
            state.BaudRate == 0) {
            errno = EINVAL;
            return false;
        }
        termios tio{};
        if (::tcgetattr(handle, &tio) != 0)
            return false;
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
        tio.c_cflag |= ByteSizeFlag(state.ByteSize);
        if (state.Parity != 0)
            tio.c_cflag |= PARENB;
        if (state.Parity == 1 || state.Parity == 3)
            tio.c_cflag |= PARODD;
        if (state.Parity >= 3)
            tio.c_cflag |= CMSPAR;
        if (state.StopBits != 0)
            tio.c_cflag |= CSTOPB;
        if (state.Flags & (lfOutxCtsFlow | lfRtsControlHandshake))
            tio.c_cflag |= CRTSCTS;
        tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
        if (state.Flags & lfParity)
            tio.c_iflag |= INPCK;
        if (state.Flags & lfOutX)
            tio.c_iflag |= IXON;
        if (state.Flags & lfInX)
            tio.c_iflag |= IXOFF;
        tio.c_cc[VSTART] = static_cast<cc_t>(state.XonChar);
        tio.c_cc[VSTOP] = static_cast<cc_t>(state.XoffChar);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (::tcsetattr(handle, TCSANOW, &tio) != 0)
            return false;

        termios2 tio2{};
        if (::ioctl(handle, TCGETS2, &tio2) != 0)
            return false;
        tio2.c_cflag &= ~CBAUD;
        tio2.c_cflag |= BOTHER;
        tio2.c_ispeed = tio2.c_ospeed = state.BaudRate;
        if (::ioctl(handle, TCSETS2, &tio2) != 0)
            return false;

        // A pseudo-terminal has no modem lines; refusing them must not fail the whole state.
        const int dtr = TIOCM_DTR;
        const int rts = TIOCM_RTS;
        const int savedErrno = errno;
        ::ioctl(handle, (state.Flags & lfDtrControlEnable) ? TIOCMBIS : TIOCMBIC, &dtr);
        if (!(state.Flags & lfRtsControlHandshake)) {
            ::ioctl(handle, (state.Flags & lfRtsControlEnable) ? TIOCMBIS : TIOCMBIC, &rts);
        }
        errno = savedErrno;

        std::lock_guard lock(m_mutex);
        THandleState* stored = Find(handle);
        if (!stored)
            return false;
        stored->Line = state;
        return true;
    }

    bool SetupComm(TOsHandle handle, std::uint32_t inQueue, std::uint32_t outQueue) override {
        std::lock_guard lock(m_mutex);
        THandleState* stored = Find(handle);
        if (!stored)
            return false;
        stored->InQueue = inQueue;
        stored->OutQueue = outQueue;
        return true;
    }

    bool PurgeComm(TOsHandle handle, std::uint32_t flags) override {
        const bool input = flags & (purgeRxAbort | purgeRxClear);
        const bool output = flags & (purgeTxAbort | purgeTxClear);
        // Forgetting the counted input and flushing it are one step for the event wait, like a
        // read: a count taken between them would be the queue from before the flush.
        std::unique_lock lock(m_mutex, std::defer_lock);
        if (input) {
            lock.lock();
            ForgetReportedInputLocked(handle, std::numeric_limits<std::uint32_t>::max());
        }
        // Callers purge between quick single-byte writes and expect a completed write to be on
        // its way. Linux would still drop it while it waits in a pseudo-terminal's buffers for
        // the other side to read, so output is flushed only when the transmit queue holds bytes.
        bool flushOutput = output;
        if (int unsent = 0; output && ::ioctl(handle, TIOCOUTQ, &unsent) == 0)
            flushOutput = unsent > 0;
        if (!input && !flushOutput)
            return true;
        return ::tcflush(handle,
                         input && flushOutput ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH)) == 0;
    }

    bool ClearCommError(TOsHandle handle, std::uint32_t& errors, TQueueCounts& counts) override {
        errors = 0;
        int in = 0;
        int out = 0;
        if (::ioctl(handle, FIONREAD, &in) != 0 || ::ioctl(handle, TIOCOUTQ, &out) != 0) {
            return false;
        }
        counts.InQue = static_cast<std::uint32_t>(in);
        counts.OutQue = static_cast<std::uint32_t>(out);
        return true;
    }

    bool GetCommTimeouts(TOsHandle handle, TCommTimeouts& timeouts) override {
        std::lock_guard lock(m_mutex);
        const THandleState* stored = Find(handle);
        if (!stored)
            return false;
        timeouts = stored->Timeouts;
        return true;
    }

    bool SetCommTimeouts(TOsHandle handle, const TCommTimeouts& timeouts) override {
        std::lock_guard lock(m_mutex);
        THandleState* stored = Find(handle);
        if (!stored)
            return false;
        stored->Timeouts = timeouts;
        return true;
    }

    bool GetCommProperties(TOsHandle handle, TCommProperties& properties) override {
        std::lock_guard lock(m_mutex);
        const THandleState* stored = Find(handle);
        if (!stored)
            return false;
        properties.CurrentRxQueue = stored->InQueue;
        properties.CurrentTxQueue = stored->OutQueue;
        return true;
    }

    bool SetCommMask(TOsHandle handle, std::uint32_t mask) override {
        serial_icounter_struct counters{};
        const bool countersWork = ::ioctl(handle, TIOCGICOUNT, &counters) == 0;
        std::lock_guard lock(m_mutex);
        THandleState* stored = Find(handle);
        if (!stored)
            return false;
        stored->EventMask = mask;
        stored->ReportedQueue = 0;
        stored->CountersWork = countersWork;
        stored->Counters = counters;
        return true;
    }

    std::unique_ptr<ICloseEvent> CreateCloseEvent() override {
        TUniqueFd fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (!fd)
            return nullptr;
        return std::make_unique<TPosixCloseEvent>(std::move(fd));
    }

    TWaitResult WaitCommEvent(TOsHandle handle, std::uint32_t& events,
                              ICloseEvent& closeEvent) override {
        events = 0;
        auto* posixEvent = dynamic_cast<TPosixCloseEvent*>(&closeEvent);
        if (!posixEvent) {
            errno = EINVAL;
            return TWaitResult::Failed;
        }
        for (;;) {
            std::uint32_t mask = 0;
            std::uint32_t queued = 0;
            std::uint32_t found = 0;
            bool countersWork = false;
            {
                std::lock_guard lock(m_mutex);
                THandleState* stored = Find(handle);
                if (!stored || stored->EventMask == 0) {
                    errno = EINVAL;
                    return TWaitResult::Failed;
                }
                mask = stored->EventMask;
                // Counted under the lock that a read takes to forget what it took: a read between
                // the count and the store would leave a stale count that hides the next arrival.
                queued = m_options.CountQueuedInput(handle);
                if ((mask & evRxChar) && queued > stored->ReportedQueue)
                    found |= evRxChar;
                stored->ReportedQueue = queued;
                countersWork = stored->CountersWork && (mask & evLineEvents);
                serial_icounter_struct now{};
                if (countersWork && ::ioctl(handle, TIOCGICOUNT, &now) == 0) {
                    found |= CounterEvents(stored->Counters, now) & mask;
                    stored->Counters = now;
                }
            }
            if (found) {
                events = found;
                return TWaitResult::Event;
            }

            // Bytes already reported keep the descriptor readable, so they are re-checked at a
            // period instead of waited on, or the wait would return at once for ever.
            const bool waitForInput = (mask & evRxChar) && queued == 0;
            int timeoutMs = -1;
            if ((mask & evRxChar) && queued > 0)
                timeoutMs = kQueuedRecheckMs;
            if (countersWork && (timeoutMs < 0 || timeoutMs > kLineCounterSampleMs)) {
                timeoutMs = kLineCounterSampleMs;
            }
            pollfd fds[2] = {{posixEvent->Fd(), POLLIN, 0},
                             {handle, static_cast<short>(waitForInput ? POLLIN : 0), 0}};
            const int ready = ::poll(fds, 2, timeoutMs);
            if (ready < 0 && errno != EINTR)
                return TWaitResult::Failed;
            if (fds[0].revents & POLLIN)
                return TWaitResult::Closed;
            // A hung-up line reports this for ever; stop waiting on it instead of spinning.
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                errno = EIO;
                return TWaitResult::Failed;
            }
        }
    }

    bool WaitForInput(TOsHandle handle, std::uint32_t timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        pollfd fd{handle, POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(timeoutMs));
        if (ready <= 0)
            return false;
        // A hung-up line reports itself readable for ever and yields nothing; waiting out the
        // time keeps a caller's poll loop from spinning.
        if (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            std::this_thread::sleep_until(deadline);
            return false;
        }
        return (fd.revents & POLLIN) != 0;
    }

    // Bytes taken from the queue no longer count as reported, so bytes that arrive after them
    // raise a new arrival event even when the queue ends up shorter than it was.
    void ForgetReportedInputLocked(TOsHandle handle, std::uint32_t count) {
        if (THandleState* stored = Find(handle))
            stored->ReportedQueue -= std::min(stored->ReportedQueue, count);
    }

    long ReadFile(TOsHandle handle, void* buffer, std::uint32_t count) override {
        ssize_t n = 0;
        {
            // The read and the forgetting are one step for the event wait's count; the descriptor
            // does not block, so the lock is held only for the copy.
            std::lock_guard lock(m_mutex);
            n = ::read(handle, buffer, count);
            const int readError = errno;
            if (n > 0)
                ForgetReportedInputLocked(handle, static_cast<std::uint32_t>(n));
            errno = readError;
        }
        if (n >= 0)
            return static_cast<long>(n);
        return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
    }

    long WriteFile(TOsHandle handle, const void* buffer, std::uint32_t count) override {
        TCommTimeouts timeouts;
        GetCommTimeouts(handle, timeouts);
        const std::uint64_t totalMs = std::uint64_t{timeouts.WriteTotalTimeoutMultiplier} * count +
                                      timeouts.WriteTotalTimeoutConstant;
        const bool bounded = totalMs != 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs);
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        std::uint32_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(handle, bytes + done, count - done);
            if (n > 0) {
                done += static_cast<std::uint32_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return done > 0 ? static_cast<long>(done) : -1L;
            int waitMs = -1;
            if (bounded) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    break;
                waitMs = static_cast<int>(left.count());
            }
            pollfd fd{handle, POLLOUT, 0};
            if (::poll(&fd, 1, waitMs) > 0 && !(fd.revents & POLLOUT)) {
                errno = EIO;
                return done > 0 ? static_cast<long>(done) : -1L;
            }
        }
        return done;
    }

  private:
    static void SetFlag(std::uint32_t& flags, std::uint32_t bit, bool on) {
        flags = on ? (flags | bit) : (flags & ~bit);
    }

    THandleState* Find(TOsHandle handle) {
        const auto it = m_handles.find(handle);
        return it == m_handles.end() ? nullptr : &it->second;
    }

    TPosixSerialOptions m_options;
    std::mutex m_mutex;
    std::map<TOsHandle, THandleState> m_handles;
};

}  // namespace

std::unique_ptr<ISerialOs> MakePosixSerialOs(TPosixSerialOptions options) {
    return std::make_unique<TPosixSerialOs>(std::move(options));
}
