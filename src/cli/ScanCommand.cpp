// A terminal sees the progress line drawn over itself; anything else gets a plain line every
// kPlainProgressEvery numbers, so a log of the run shows that it went on without a hundred lines.
#include "cli/ScanCommand.h"

#include <unistd.h>

#include <stdexcept>

#include "cli/CliConsole.h"
#include "cli/CliOptions.h"
#include "control/DeviceController.h"
#include "control/ModulePort.h"
#include "control/ModuleScan.h"
#include "serial/SerialErr.h"

namespace {

const char kScanOperation[] = "Поиск модулей";
constexpr int kPlainProgressEvery = 10;

std::string HitLine(const TScanHit& hit) {
    return std::to_string(hit.ObjectNumber) + "  " + hit.Version + "\n";
}

}  // namespace

int RunScan(const TCliOptions& options, TConsole& console,
            const std::function<void(const std::string&)>& printOut) {
    InstallStopSignals();
    TComPort port;
    try {
        // The port's own timeout stays the ordinary one: the release of a module found waits it.
        port.Open(options.Port, kAnswerTimeoutMs);
    } catch (const EDeviceError& error) {
        const std::string reason = OpenFailureReason(options.Port, error);
        throw std::runtime_error("Не удалось открыть порт " + options.Port +
                                 (reason.empty() ? "" : ": " + reason));
    }
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const auto progress = [&](int number, int done, int total) {
        if (terminal) {
            console.SetOperationProgress(
                {kScanOperation, "№ " + std::to_string(number), done, total, 0});
        } else if (done > 0 && done % kPlainProgressEvery == 0) {
            console.Note(std::string(kScanOperation) + ": " + std::to_string(done) + "/" +
                         std::to_string(total));
        }
        return !StopRequested();
    };
    const std::vector<TScanHit> found = ScanModules(
        port.Transport(), [&port](const std::string& text) { port.SendSlow(text); }, console,
        options.TimeoutMs, progress);
    console.HideProgress();
    std::string text;
    for (const TScanHit& hit : found) {
        text += HitLine(hit);
    }
    printOut(text);
    console.Note("ответили номеров: " + std::to_string(found.size()));
    return found.empty() ? kExitNothingFound : 0;
}
