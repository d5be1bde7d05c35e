// The module's command set over the COM-port transport, against a scripted module on a
// pseudo-terminal: the headless path from a command to the wire and back.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "PtyPair.h"
#include "protocol/RelayModule.h"
#include "transport/ComPortWorker.h"

namespace {

// Answers each framed command as the module does: the echoed command line, a line feed, the
// value, then OK.
class TScriptedModule {
  public:
    TScriptedModule(TPtyPair& pty, std::map<std::string, std::string> values)
        : m_pty(pty), m_values(std::move(values)), m_thread([this] { Run(); }) {}
    ~TScriptedModule() {
        m_stop = true;
        m_thread.join();
    }

    std::vector<std::string> Commands() {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }

  private:
    void Run() {
        while (!m_stop) {
            const std::string command = m_pty.ReadUntil('\r', 100);
            if (command.empty() || command.back() != '\r')
                continue;
            {
                std::lock_guard lock(m_mutex);
                m_commands.push_back(command);
            }
            // The body is what follows the object number: "*07A0\r" gives "A0".
            const std::string body = command.substr(3, command.size() - 4);
            const auto value = m_values.find(body);
            std::string answer = command + "\n";
            if (value != m_values.end())
                answer += value->second + " ";
            m_pty.Write(answer + "OK\r\n");
        }
    }

    TPtyPair& m_pty;
    std::map<std::string, std::string> m_values;
    std::mutex m_mutex;
    std::vector<std::string> m_commands;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(DevRelayOverWorker, ReadsAndWritesParametersThroughAPseudoTerminal) {
    TPtyPair pty;
    TComPortWorker worker(true);
    worker.Open(pty.SlavePath(), br19200, 300);
    TScriptedModule module(pty, {{"v", "VER 08.01"},
                                 {"o", "7"},
                                 {"T", "0A 05 FF 00 01"},
                                 {"A1", "0 1 2 3 4 0 1 2 3 4 0 1 2 3 4 1A"},
                                 {"F0", "04"}});
    TRelayModule relay(&worker, 7, nullptr);

    std::string version;
    EXPECT_TRUE(relay.ReadVersion(version));
    EXPECT_EQ(version, "VER 08.01");
    std::int32_t number = 0;
    EXPECT_TRUE(relay.ReadObjectNumber(number));
    EXPECT_EQ(number, 7);
    TPulseDurations durations{};
    EXPECT_TRUE(relay.ReadPulseDurations(durations));
    EXPECT_EQ(durations, (TPulseDurations{10, 5, 255, 0, 1}));
    TReactionRow row{};
    EXPECT_TRUE(relay.ReadZoneAlarms(2, row));
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[4], 4);
    EXPECT_EQ(row[15], 26);
    TRelayReaction no = -1;
    TRelayReaction yes = -1;
    EXPECT_TRUE(relay.ReadFire(1, no, yes));
    EXPECT_EQ(yes, 0);
    EXPECT_EQ(no, 4);

    EXPECT_TRUE(relay.WriteZoneAlarm(1, 16, rrNone));
    EXPECT_TRUE(relay.WritePulseDuration(3, 5));
    EXPECT_TRUE(relay.WriteObjectNumber(12));
    EXPECT_TRUE(relay.WriteFire(1, 1, rrOff));

    const std::vector<std::string> expected = {"*07v\r",     "*07o\r",    "*07T\r",
                                               "*07A1\r",    "*07F0\r",   "*07A0F=4\r",
                                               "*07T2=05\r", "*07o=12\r", "*12F00=2\r"};
    EXPECT_EQ(module.Commands(), expected);
}

TEST(DevRelayOverWorker, SilentModuleFailsTheReadAndLeavesTheValue) {
    TPtyPair pty;
    TComPortWorker worker(true);
    worker.Open(pty.SlavePath(), br19200, 300);
    TRelayModule relay(&worker, 7, nullptr);
    std::int32_t number = 42;
    EXPECT_FALSE(relay.ReadObjectNumber(number));
    EXPECT_EQ(number, 42);
}

}  // namespace
