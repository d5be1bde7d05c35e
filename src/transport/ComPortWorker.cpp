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

void TComPortWorker::WaitForNextPoll(std::int64_t elapsedMs, int timeoutMs) {
    // Waiting on the line instead of sleeping takes an answer as soon as its bytes arrive.
    const std::int64_t untilTimeout = std::int64_t{timeoutMs} - elapsedMs + 1;
    const auto waitMs = std::clamp<std::int64_t>(untilTimeout, 1, kPollPeriodMs);
    Port->WaitForInput(static_cast<std::uint32_t>(waitMs));
}

bool TComPortWorker::ReadWaitingChar(char& c) {
    // The character was counted in the queue, so it needs no wait; a line that hangs up after the
    // count would otherwise hold the receive for the port's whole read timeout.
    return Port->ReadData(&c, 1, 0) == 1;
}

bool TComPortWorker::Receive(std::string& answer, const std::string& terminator, int timeoutMs) {
    answer.clear();
    const Clock::time_point start = Clock::now();
    for (std::int64_t elapsed = 0; elapsed <= timeoutMs; elapsed = ElapsedMs(start)) {
        while (Port->QueueCount(0) > 0) {
            char c = 0;
            // A queue that reports bytes but yields none (a hung-up line) ends this poll.
            if (!ReadWaitingChar(c))
                break;
            if (!IsAcceptedChar(c))
                continue;
            answer += c;
            if (AnswerContains(answer, terminator))
                return true;
        }
        WaitForNextPoll(ElapsedMs(start), timeoutMs);
    }
    return false;
}

bool TComPortWorker::ReceiveAny(std::string& answer, const std::vector<std::string>& list,
                                int timeoutMs) {
    answer.clear();
    const Clock::time_point start = Clock::now();
    for (std::int64_t elapsed = 0; elapsed <= timeoutMs; elapsed = ElapsedMs(start)) {
        ReadWaiting(answer);
        for (const std::string& s : list) {
            if (AnswerContains(answer, s))
                return true;
        }
        WaitForNextPoll(ElapsedMs(start), timeoutMs);
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
    if (!Port->IsOpen())
        return;
    Port->PurgeIn();
    Port->PurgeOut();
}

void TComPortWorker::ReadWaiting(std::string& answer) {
    while (Port->QueueCount(0) > 0) {
        char c = 0;
        if (!ReadWaitingChar(c))
            break;
        if (IsAcceptedChar(c))
            answer += c;
    }
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
