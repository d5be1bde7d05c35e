// Times 536 acknowledged writes through the command set and the COM-port transport against a
// module that answers no sooner than a 19200-baud line would carry the bytes, and prints the
// time as a ratio to that line time.
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "protocol/RelayModule.h"
#include "transport/ComPortWorker.h"
#include "transport/ModuleLine.h"

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

constexpr int kWrites = 536;
constexpr int kObjectNumber = 7;
constexpr double kBaud = kModuleBaudRate;
constexpr int kBitsPerByte = 10;
constexpr double kTargetRatio = 1.15;

Micros LineTime(std::size_t bytes) {
    return Micros(static_cast<long long>(bytes * kBitsPerByte * 1e6 / kBaud + 0.5));
}

// The module's side of the line: answers every command with its echo, a line feed and OK, each
// answer written at the moment its last byte would have arrived over the line.
class TPacedModule {
  public:
    explicit TPacedModule(int master) : m_master(master), m_thread([this] { Run(); }) {}
    ~TPacedModule() {
        m_stop = true;
        m_thread.join();
    }

    Micros LineTotal() const { return m_lineTotal; }

  private:
    void Run() {
        std::string pending;
        while (!m_stop) {
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, 50) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                return;
            const Clock::time_point arrived = Clock::now();
            pending.append(buffer, static_cast<std::size_t>(n));
            std::size_t end;
            while ((end = pending.find('\r')) != std::string::npos) {
                const std::string command = pending.substr(0, end + 1);
                pending.erase(0, end + 1);
                const std::string answer = command + "\nOK\r\n";
                m_lineTotal += LineTime(command.size()) + LineTime(answer.size());
                std::this_thread::sleep_until(arrived + LineTime(command.size()) +
                                              LineTime(answer.size()));
                [[maybe_unused]] const ssize_t written =
                    ::write(m_master, answer.data(), answer.size());
            }
        }
    }

    int m_master;
    std::atomic<bool> m_stop{false};
    Micros m_lineTotal{0};
    std::thread m_thread;
};

}  // namespace

int main() {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios tio{};
    ::tcgetattr(master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master, TCSANOW, &tio);

    int failures = 0;
    Micros measured{0};
    Micros lineTime{0};
    {
        TComPortWorker worker(true);
        worker.Open(name, br19200, kAnswerTimeoutMs);
        TPacedModule module(master);
        TRelayModule relay(&worker, kObjectNumber, nullptr);
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kWrites; ++i) {
            const int relayNumber = i % kRelayCount + 1;
            const int zone = (i / kRelayCount) % 16 + 1;
            if (!relay.WriteZoneAlarm(relayNumber, zone, static_cast<TRelayReaction>(i % 5))) {
                ++failures;
            }
        }
        measured = std::chrono::duration_cast<Micros>(Clock::now() - start);
        worker.Close();
        lineTime = module.LineTotal();
    }
    ::close(master);
    ::close(slave);

    const double ratio = static_cast<double>(measured.count()) / lineTime.count();
    std::printf("bench_worker: %d acknowledged writes, %d failed\n", kWrites, failures);
    std::printf("  measured   %8.1f ms\n", measured.count() / 1000.0);
    std::printf("  line time  %8.1f ms (19200 baud, 10 bits per byte, command and answer)\n",
                lineTime.count() / 1000.0);
    std::printf("  ratio      %8.3f (target at most %.2f): %s\n", ratio, kTargetRatio,
                ratio <= kTargetRatio && failures == 0 ? "met" : "MISSED");
    return failures == 0 ? 0 : 1;
}
