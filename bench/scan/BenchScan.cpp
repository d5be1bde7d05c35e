// Times a whole scan of the object numbers at the scan's own wait against the emulator paced
// like a 19200-baud line: with no module answering, and with the module at 0, 50 and 99.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "control/ModulePort.h"
#include "control/ModuleScan.h"
#include "emulator/ModuleEmulator.h"
#include "log/LogWriter.h"
#include "transport/ModuleLine.h"

namespace {

class TSilentLog : public TLogWriter {
  public:
    void WriteInfo(const std::string& /*text*/) override {}
    void WriteError(const std::string& /*text*/) override {}
    void WriteMessage(const std::string& /*text*/) override {}
    void WriteData(const std::string& /*caption*/, const std::string& /*data*/,
                   TColor /*color*/) override {}
    void WriteDataLines(const std::string& /*caption*/, const std::vector<std::string>& /*lines*/,
                        TColor /*color*/) override {}
};

// One whole scan; prints its time and what it found.
void TimeScan(const char* caption, int objectNumber, bool silent) {
    TEmulatorOptions options;
    options.Pacing = true;
    options.Behaviour.Faults.Silent = silent;
    TModuleEmulator module(options, PowerUpState(objectNumber));
    TComPort port;
    port.Open(module.DevicePath(), kAnswerTimeoutMs);
    TSilentLog log;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<TScanHit> hits =
        ScanModules(port.Transport(), [&port](const std::string& text) { port.SendSlow(text); },
                    log, kScanAnswerTimeoutMs, {});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::string found;
    for (const TScanHit& hit : hits) {
        found += " " + std::to_string(hit.ObjectNumber) + " (" + hit.Version + ")";
    }
    std::printf("%-20s %6.2f s  found:%s\n", caption, took.count(),
                found.empty() ? " nothing" : found.c_str());
}

}  // namespace

int main() {
    std::printf("scan of %d numbers, %d ms wait each, paced 19200-baud emulator\n",
                kScanNumberCount, kScanAnswerTimeoutMs);
    TimeScan("no module", 10, true);
    for (const int number : {0, 50, 99}) {
        TimeScan(("module at " + std::to_string(number)).c_str(), number, false);
    }
    return 0;
}
