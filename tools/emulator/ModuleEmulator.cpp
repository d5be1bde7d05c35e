// The serving thread: reads commands, paces and writes answers, hangs up on request.
#include "emulator/ModuleEmulator.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <thread>
#include <utility>

namespace {

constexpr std::chrono::milliseconds kHangUpRecheck{2};
constexpr std::chrono::milliseconds kQueueSettle{50};
constexpr std::chrono::milliseconds kHungLineRetry{20};
// A timed wait of the kernel wakes this much late and more on a busy machine; the last stretch
// before an answer is due is waited out awake, so that the emulated line keeps its own pace.
constexpr std::chrono::microseconds kAwakeBeforeDue{300};

}  // namespace

TModuleEmulator::TModuleEmulator(TEmulatorOptions options, TModuleState state)
    : m_options(std::move(options)),
      m_engine(m_options.Behaviour, state),
      m_devicePath(m_terminal.PeerPath()),
      m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      m_snapshot(state) {
    if (!m_wake.IsOpen()) {
        throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
    }
    if (!m_options.TranscriptFile.empty()) {
        m_transcript = std::make_unique<TTranscript>(m_options.TranscriptFile);
    }
    m_thread = std::thread([this] { Serve(); });
}

TModuleEmulator::~TModuleEmulator() {
    Stop();
}

void TModuleEmulator::Stop() {
    m_stopping = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_wake.Get(), &one, sizeof one);
    if (m_thread.joinable())
        m_thread.join();
}

TModuleState TModuleEmulator::Snapshot() const {
    std::lock_guard lock(m_stateLock);
    return m_snapshot;
}

void TModuleEmulator::Serve() {
    // A paced answer is due at a moment the line sets; the kernel's default slack of 50 µs on
    // every timed wait would make the emulated line slower than a real one.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::array<char, 512> buffer{};
    TClock::time_point commandStart{};
    while (!Stopping()) {
        std::array<pollfd, 2> fds{{{m_terminal.Fd(), POLLIN, 0}, {m_wake.Get(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        const ssize_t count = ::read(m_terminal.Fd(), buffer.data(), buffer.size());
        if (count <= 0) {
            if (count < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            // Cannot happen while the emulator holds the tool's end too, but must never spin.
            if (!WaitUntil(TClock::now() + kHungLineRetry))
                return;
            continue;
        }
        const auto arrived = TClock::now();
        for (ssize_t i = 0; i < count; ++i) {
            const bool continues = m_engine.PartialInputSize() > 0;
            const auto exchange = m_engine.Feed(buffer[static_cast<std::size_t>(i)]);
            if (m_engine.PartialInputSize() == 1)
                commandStart = arrived;
            if (!exchange)
                continue;
            Handle(*exchange, continues ? commandStart : arrived);
            if (Stopping())
                return;
            if (exchange->IsCommandLine && m_options.HangUpAfter > 0 &&
                CommandCount() >= m_options.HangUpAfter) {
                HangUp();
                return;
            }
        }
    }
}

void TModuleEmulator::Handle(const TExchange& exchange, TClock::time_point firstByte) {
    if (m_transcript)
        m_transcript->Received(exchange.Received);
    if (exchange.IsCommandLine)
        ++m_commandCount;
    {
        std::lock_guard lock(m_stateLock);
        m_snapshot = m_engine.State();
    }
    if (!exchange.Answer.empty())
        SendAnswer(exchange.Answer, exchange.Received.size(), firstByte);
}

void TModuleEmulator::SendAnswer(const std::string& answer, std::size_t commandBytes,
                                 TClock::time_point firstByte) {
    const auto byteTime = [](std::size_t bytes) {
        return std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * kBitsPerByte *
                                        1'000'000'000LL / kBaudRate);
    };
    const auto lineStart = firstByte + std::chrono::milliseconds(m_options.ReplyDelayMs);
    const auto previousEnd = m_lineFree;
    const std::size_t chunk = m_options.Split ? kSplitChunk : answer.size();
    TClock::time_point due = lineStart;
    for (std::size_t sent = 0; sent < answer.size();) {
        const std::size_t end = std::min(answer.size(), sent + chunk);
        if (m_options.Pacing) {
            // The module cannot start its answer while an earlier one is still on the line.
            due = std::max(lineStart + byteTime(commandBytes + end), previousEnd + byteTime(end));
        } else if (sent > 0) {
            due = TClock::now() + kSplitGap;
        }
        if (!WaitUntil(due))
            return;
        if (sent == 0 && m_transcript)
            m_transcript->Sent(answer);
        if (!WriteAll(answer.data() + sent, end - sent))
            return;
        sent = end;
    }
    m_lineFree = due;
}

bool TModuleEmulator::WaitUntil(TClock::time_point moment) {
    while (!Stopping()) {
        const auto left = moment - TClock::now();
        if (left <= TClock::duration::zero())
            return true;
        if (left <= kAwakeBeforeDue) {
            std::this_thread::yield();
            continue;
        }
        const auto sleep = left - kAwakeBeforeDue;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sleep);
        const timespec timeout{static_cast<std::time_t>(seconds.count()),
                               static_cast<long>((sleep - seconds) / std::chrono::nanoseconds(1))};
        pollfd wake{m_wake.Get(), POLLIN, 0};
        if (::ppoll(&wake, 1, &timeout, nullptr) > 0)
            return false;
    }
    return false;
}

bool TModuleEmulator::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(m_terminal.Fd(), data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN)
            return false;
        std::array<pollfd, 2> fds{{{m_terminal.Fd(), POLLOUT, 0}, {m_wake.Get(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return false;
        if (fds[1].revents != 0)
            return false;
    }
    return true;
}

void TModuleEmulator::HangUp() {
    // Closing the line discards what the tool has not read yet, so the last answer would never
    // arrive; the cable is pulled once it is read or the tool sends something new. The kernel
    // moves written bytes to the tool's queue a moment later, so an empty queue right after the
    // write proves nothing until the bytes were seen there or the move is long over.
    const auto start = TClock::now();
    bool seenQueued = false;
    while (TClock::now() - start < kHangUpGrace) {
        if (m_terminal.UnreadByPeer() > 0) {
            seenQueued = true;
        } else if (seenQueued || TClock::now() - start > kQueueSettle) {
            break;
        }
        pollfd input{m_terminal.Fd(), POLLIN, 0};
        if (::poll(&input, 1, 0) > 0)
            break;
        if (!WaitUntil(TClock::now() + kHangUpRecheck))
            return;
    }
    m_hungUp = true;
    m_terminal.HangUp();
}
