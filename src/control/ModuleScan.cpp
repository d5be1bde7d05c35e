// The scan talks to each number through the relay module's own framing and answer cutting, and
// waits for its answer with a deadline of its own, so the transport's timeout stays as it was.
#include "control/ModuleScan.h"

#include <chrono>

#include "control/DeviceController.h"
#include "log/LogWriter.h"
#include "protocol/RelayModule.h"
#include "transport/Transport.h"

namespace {

using TClock = std::chrono::steady_clock;

const char kVersionCommand[] = "v";
const char kVersionStart[] = "VER";
const char kReleaseBracket[] = "]";

// Everything that arrives until an answer to this very command ended, or the wait is over: a late
// answer of the number asked before ends with "OK" as well, and must not end this wait.
std::string AwaitVersion(TTransport& transport, TRelayModule& module, int answerTimeoutMs) {
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(answerTimeoutMs);
    std::string received;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
        if (left.count() < 0) {
            break;
        }
        std::string piece;
        const bool ended =
            transport.Receive(piece, module.GetTerminator(), static_cast<int>(left.count()));
        received += piece;
        if (!ended) {
            break;
        }
        const std::string version = ScanVersionOf(received, module.GetObjectNumber());
        if (!version.empty()) {
            module.LogData(kReceivedCaption, received, kReceivedColor);
            return version;
        }
    }
    module.LogData(kReceivedCaption, received, kReceivedColor);
    return {};
}

void Release(TRelayModule& module, const TScanSlowSend& slowSend) {
    for (int i = 0; i < TDeviceController::kReleaseBrackets; ++i) {
        slowSend(kReleaseBracket);
    }
    module.SendRbCommand();
}

}  // namespace

std::string ScanVersionOf(const std::string& answer, int objectNumber) {
    TRelayModule module(nullptr, objectNumber, nullptr);
    const std::string echo = module.FrameCommand(kVersionCommand);
    const std::size_t echoAt = answer.find(echo);
    if (echoAt == std::string::npos) {
        return {};
    }
    const std::string afterEcho = answer.substr(echoAt);
    if (!AnswerContains(afterEcho.substr(echo.size()), module.GetTerminator())) {
        return {};
    }
    std::string version = module.ParseAnswer(afterEcho);
    // A value of several lines is no version answer, whatever it begins with.
    const bool oneLine = version.find_first_of("\r\n") == std::string::npos;
    return oneLine && version.starts_with(kVersionStart) ? version : std::string();
}

std::vector<TScanHit> ScanModules(TTransport& transport, const TScanSlowSend& slowSend,
                                  TLogWriter& log, int answerTimeoutMs,
                                  const TScanProgress& progress) {
    std::vector<TScanHit> hits;
    for (int number = kScanFirstNumber; number <= kScanLastNumber; ++number) {
        if (progress && !progress(number, number - kScanFirstNumber, kScanNumberCount)) {
            break;
        }
        TRelayModule module(&transport, number, &log);
        const std::string command = module.FrameCommand(kVersionCommand);
        module.LogData(kSentCaption, command, kSentColor);
        if (!transport.Send(command)) {
            continue;
        }
        std::string version = AwaitVersion(transport, module, answerTimeoutMs);
        if (version.empty()) {
            continue;
        }
        log.WriteData("Модуль " + std::to_string(number) + " ответил", version, clBlack);
        // The module was reached and is let go at once, as a disconnect would, before the next
        // number is asked.
        Release(module, slowSend);
        hits.push_back({number, std::move(version)});
    }
    return hits;
}
