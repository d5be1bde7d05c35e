// The module's side of the wire as a pure function of bytes: received bytes in, answers out.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/ModuleCommand.h"
#include "model/RelaySettings.h"

// Everything the module remembers.
struct TModuleState {
    std::int32_t ObjectNumber = 0;
    std::array<TRelaySettings, kRelayCount> Relays{};

    bool operator==(const TModuleState&) const = default;
};

// The state of a module at power-up: the given object number, relays numbered 1 to 5, all codes
// and durations 0.
TModuleState PowerUpState(std::int32_t objectNumber);

// Ways in which a faulty module or line spoils its answers; the transport-side faults (split
// answers, hang-up, pacing) belong to the emulator that owns the line.
struct TModuleFaults {
    bool Silent = false;        // never answers, and acts on nothing
    std::string IgnoreLetters;  // commands with these letters go unanswered and have no effect
    // Writes with these letters go unanswered and have no effect; their reads still answer.
    std::string IgnoreWriteLetters;
    bool Lowercase = false;     // hexadecimal values and "ok" in lower case
    bool Noise = false;         // bytes outside 10..127 mixed into every answer
    char BadValueLetter = 0;    // reads of this letter give a value that is no number
    bool WrongVersion = false;  // the version answer lacks the expected version
    bool Trailing = false;      // extra text after "OK"
};

struct TModuleBehaviour {
    std::string Version = "VER 08.00";
    TModuleFaults Faults;
};

// One thing the module received and what it sent back (empty when it stayed silent).
struct TExchange {
    std::string Received;
    std::string Answer;
    bool IsCommandLine = false;  // a framed "*...\r" line, as opposed to "]" or "+rb\r"
};

class TModuleEngine {
  public:
    TModuleEngine(TModuleBehaviour behaviour, TModuleState state);

    // Takes one received byte; gives the exchange that this byte completed, if any.
    std::optional<TExchange> Feed(char byte);
    std::vector<TExchange> Feed(std::string_view bytes);

    // The received bytes that wait for the rest of their command; 1 right after a command began.
    std::size_t PartialInputSize() const { return m_pending.size(); }
    const TModuleState& State() const { return m_state; }

    // The version text that the module reports under the wrong-version fault.
    static constexpr std::string_view kWrongVersion = "VER 07.00";
    static constexpr std::string_view kTrailingText = "EXTRA TEXT\r\n";

  private:
    enum class TMode { Idle, CommandLine, Release };

    std::optional<TExchange> FeedIdle(char byte);
    TExchange CompleteCommandLine();
    TExchange CompleteRelease();
    // The answer to one understood command addressed to this module; empty when it stays silent.
    std::string Execute(const TModuleCommand& command, std::string_view line);
    std::string ReadValue(const TModuleCommand& command) const;
    void Write(const TModuleCommand& command);
    std::string Finish(std::string answer) const;
    bool Ignores(char letter) const;

    TModuleBehaviour m_behaviour;
    TModuleState m_state;
    TMode m_mode = TMode::Idle;
    std::string m_pending;
};

// The answer text of the values, as the module formats them.
std::string FormatHexCode(std::int32_t code, bool lowercase);
