// The COM-port transport: purge, write, and collect the answer until a terminator or a timeout.
#include "transport/ComPortWorker.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// Longest wait between two looks at the input queue.
constexpr int kPollPeriodMs = 20;
// The caller's waiting work runs once an answer has had this long to begin: the module's first
// bytes take longer than that at 19200 baud, and the command meanwhile reaches the line and the
// module's side undisturbed.
constexpr std::int64_t kWaitingWorkAfterMs = 2;
// Pause after each character of SendSlow.
constexpr auto kSlowSendPause = std::chrono::milliseconds(2);

std::int64_t ElapsedMs(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

}  // namespace

TComPortWorker::TComPortWorker(bool OwnsPort, std::unique_ptr<ISerialOs> os)
    : Port(std::make_unique<TSerialComm>(std::move(os))), OwnsPort(OwnsPort) {}

TComPortWorker::~TComPortWorker() = default;

int TComPortWorker::GetTimeout() {
    return Timeout;
}

bool TComPortWorker::Send(const std::string& text) {
    Purge();
    return Port->SendString(text);
}

bool TComPortWorker::ReadWaitingBytes() {
    const std::uint32_t waiting = Port->QueueCount(0);
    if (waiting == 0) {
        return false;
    }
    if (m_unreadFrom > 0) {
        m_unread.erase(0, m_unreadFrom);
        m_unreadFrom = 0;
    }
    const std::size_t had = m_unread.size();
    m_unread.resize(had + waiting);
    // The bytes were counted in the queue, so they need no wait; a line that hangs up after the
    // count would otherwise hold the receive for the port's whole read timeout.
    const std::uint32_t read = Port->ReadData(m_unread.data() + had, waiting, 0);
    m_unread.resize(had + read);
    return read > 0;
}

bool TComPortWorker::TakeUntil(std::string& answer, const std::string& terminator) {
    while (m_unreadFrom < m_unread.size()) {
        const char c = m_unread[m_unreadFrom++];
        if (!IsAcceptedChar(c))
            continue;
        answer += c;
        if (AnswerEndsWith(answer, terminator))
            return true;
    }
    m_unread.clear();
    m_unreadFrom = 0;
    return false;
}

TComPortWorker::TAfterWait TComPortWorker::WaitMore(Clock::time_point start, int timeoutMs,
                                                    bool& workDone) {
    const std::int64_t elapsed = ElapsedMs(start);
    if (!workDone && elapsed >= kWaitingWorkAfterMs) {
        workDone = true;
        return RunWaitingWork() ? TAfterWait::Look : TAfterWait::WaitOn;
    }
    if (elapsed > timeoutMs)
        return TAfterWait::TimeUp;
    // Waiting on the line instead of sleeping takes an answer as soon as its bytes arrive; a wait
    // that saw nothing come needs no look at the queue.
    std::int64_t waitMs =
        std::clamp<std::int64_t>(std::int64_t{timeoutMs} - elapsed + 1, 1, kPollPeriodMs);
    if (!workDone)
        waitMs = std::clamp<std::int64_t>(kWaitingWorkAfterMs - elapsed, 1, waitMs);
    return Port->WaitForInput(static_cast<std::uint32_t>(waitMs)) ? TAfterWait::Look
                                                                  : TAfterWait::WaitOn;
}

bool TComPortWorker::Receive(std::string& answer, const std::string& terminator, int timeoutMs) {
    answer.clear();
    const Clock::time_point start = Clock::now();
    bool workDone = false;
    for (TAfterWait next = TAfterWait::Look; next != TAfterWait::TimeUp;
         next = WaitMore(start, timeoutMs, workDone)) {
        if (next != TAfterWait::Look)
            continue;
        // A queue that reports bytes but yields none (a hung-up line) ends this look.
        do {
            if (TakeUntil(answer, terminator))
                return true;
        } while (ReadWaitingBytes());
    }
    return false;
}

bool TComPortWorker::ReceiveAny(std::string& answer, const std::vector<std::string>& list,
                                int timeoutMs) {
    answer.clear();
    const Clock::time_point start = Clock::now();
    bool workDone = false;
    for (TAfterWait next = TAfterWait::Look; next != TAfterWait::TimeUp;
         next = WaitMore(start, timeoutMs, workDone)) {
        if (next != TAfterWait::Look)
            continue;
        ReadWaiting(answer);
        for (const std::string& s : list) {
            if (AnswerContains(answer, s))
                return true;
        }
    }
    return false;
}

bool TComPortWorker::Receive(std::string& answer, const std::string& terminator) {
    return Receive(answer, terminator, Timeout);
}

bool TComPortWorker::ReceiveAny(std::string& answer, const std::vector<std::string>& list) {
    return ReceiveAny(answer, list, Timeout);
}

bool TComPortWorker::WaitFor(const std::string& terminator, int timeoutMs) {
    std::string scratch;
    return Receive(scratch, terminator, timeoutMs);
}

bool TComPortWorker::WaitForAny(const std::vector<std::string>& list, int timeoutMs) {
    std::string scratch;
    return ReceiveAny(scratch, list, timeoutMs);
}

bool TComPortWorker::WaitFor(const std::string& terminator) {
    return WaitFor(terminator, Timeout);
}

bool TComPortWorker::WaitForAny(const std::vector<std::string>& list) {
    return WaitForAny(list, Timeout);
}

void TComPortWorker::Open(const std::string& portName, TBaudRate baudRate, int timeout) {
    Close();
    Port->SetBaudRate(baudRate);
    Port->SetDeviceName(portName);
    Port->DataControl().SetStopBits(sb1);
    Port->DataControl().SetParity(paNone);
    Port->SetFlowControl(fcNone);
    Port->DataControl().SetDataBits(db8);
    Port->Open();
    Timeout = timeout;
}

void TComPortWorker::Close() {
    if (Port->IsOpen())
        Port->Close();
}

void TComPortWorker::Purge() {
    m_unread.clear();
    m_unreadFrom = 0;
    if (!Port->IsOpen())
        return;
    Port->PurgeIn();
    Port->PurgeOut();
}

void TComPortWorker::ReadWaiting(std::string& answer) {
    static const std::string kNoTerminator;
    do {
        TakeUntil(answer, kNoTerminator);
    } while (ReadWaitingBytes());
}

void TComPortWorker::SendSlow(const std::string& text) {
    Purge();
    for (char c : text) {
        Port->SendChar(c);
        std::this_thread::sleep_for(kSlowSendPause);
    }
}

bool TComPortWorker::IsAcceptedChar(char c) {
    return IsAnswerChar(static_cast<unsigned char>(c));
}
