// Framing of received bytes into commands, and the module's answers and memory.
#include "emulator/ModuleEngine.h"

#include <cstdio>
#include <utility>

namespace {

constexpr std::string_view kReleaseCommand = "+rb\r";
// No command of the set is longer; a line that grows past this is line noise, not a command.
constexpr std::size_t kMaxCommandLine = 32;
constexpr char kNoiseBytes[] = {0x00, 0x05, char(0x80), char(0xff), 0x09, char(0xc3)};
constexpr std::size_t kNoiseEvery = 3;

std::string FormatHex(std::uint32_t value, int minDigits, bool lowercase) {
    char text[16];
    std::snprintf(text, sizeof text, lowercase ? "%0*x" : "%0*X", minDigits, value);
    return text;
}

std::string MixNoise(std::string_view answer) {
    std::string mixed;
    std::size_t noise = 0;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        mixed += answer[i];
        if ((i + 1) % kNoiseEvery == 0)
            mixed += kNoiseBytes[noise++ % sizeof kNoiseBytes];
    }
    return mixed;
}

TRelayCondition ConditionOfLetter(char letter) {
    for (int c = rcPanelLink; c <= rcDelay; ++c) {
        if (ConditionLetter(static_cast<TRelayCondition>(c)) == letter) {
            return static_cast<TRelayCondition>(c);
        }
    }
    return rcPanelLink;
}

// Works for a relay and for a read-only relay alike, as the row accessors do.
template <class Relay>
auto& TableRow(Relay& relay, char letter) {
    for (int e = zeAlarm; e <= zeFault; ++e) {
        if (ZoneEventLetter(static_cast<TZoneEvent>(e)) == letter) {
            return relay.ZoneRow(static_cast<TZoneEvent>(e));
        }
    }
    for (int e = peArm; e <= peAlarm; ++e) {
        if (PartitionEventLetter(static_cast<TPartitionEvent>(e)) == letter) {
            return relay.PartitionRow(static_cast<TPartitionEvent>(e));
        }
    }
    return relay.ZoneRow(zeAlarm);
}

bool IsYesSubIndex(char letter, int subIndex) {
    return subIndex == YesSubIndex(ConditionOfLetter(letter));
}

TRelayReaction& ConditionCode(TRelaySettings& relay, char letter, int subIndex) {
    const TRelayCondition condition = ConditionOfLetter(letter);
    return IsYesSubIndex(letter, subIndex) ? relay.YesOf(condition) : relay.NoOf(condition);
}

TRelayReaction ConditionCode(const TRelaySettings& relay, char letter, int subIndex) {
    const TRelayCondition condition = ConditionOfLetter(letter);
    return IsYesSubIndex(letter, subIndex) ? relay.YesOf(condition) : relay.NoOf(condition);
}

}  // namespace

std::string FormatHexCode(std::int32_t code, bool lowercase) {
    return FormatHex(static_cast<std::uint32_t>(code), 1, lowercase);
}

TModuleState PowerUpState(std::int32_t objectNumber) {
    TModuleState state;
    state.ObjectNumber = objectNumber;
    for (int r = 0; r < kRelayCount; ++r)
        state.Relays[r].Number = r + 1;
    return state;
}

TModuleEngine::TModuleEngine(TModuleBehaviour behaviour, TModuleState state)
    : m_behaviour(std::move(behaviour)), m_state(state) {}

std::vector<TExchange> TModuleEngine::Feed(std::string_view bytes) {
    std::vector<TExchange> exchanges;
    for (char byte : bytes) {
        if (auto exchange = Feed(byte))
            exchanges.push_back(std::move(*exchange));
    }
    return exchanges;
}

std::optional<TExchange> TModuleEngine::Feed(char byte) {
    switch (m_mode) {
        case TMode::Idle:
            return FeedIdle(byte);
        case TMode::CommandLine:
            // A new star starts a new command: the line before it was never finished.
            if (byte == '*')
                return FeedIdle(byte);
            m_pending += byte;
            if (byte == '\r')
                return CompleteCommandLine();
            if (m_pending.size() >= kMaxCommandLine) {
                m_mode = TMode::Idle;
                m_pending.clear();
            }
            return std::nullopt;
        case TMode::Release:
            m_pending += byte;
            if (m_pending == kReleaseCommand)
                return CompleteRelease();
            if (kReleaseCommand.starts_with(m_pending))
                return std::nullopt;
            m_mode = TMode::Idle;
            m_pending.clear();
            return FeedIdle(byte);
    }
    return std::nullopt;
}

std::optional<TExchange> TModuleEngine::FeedIdle(char byte) {
    m_pending.clear();
    m_mode = TMode::Idle;
    if (byte == '*') {
        m_mode = TMode::CommandLine;
        m_pending = "*";
    } else if (byte == '+') {
        m_mode = TMode::Release;
        m_pending = "+";
    } else if (byte == ']') {
        return TExchange{"]", "", false};
    }
    return std::nullopt;
}

TExchange TModuleEngine::CompleteRelease() {
    m_mode = TMode::Idle;
    TExchange exchange{std::exchange(m_pending, {}), "", false};
    if (!m_behaviour.Faults.Silent && !Ignores('+')) {
        exchange.Answer = Finish(m_behaviour.Faults.Lowercase ? "ok\r\n" : "OK\r\n");
    }
    return exchange;
}

TExchange TModuleEngine::CompleteCommandLine() {
    m_mode = TMode::Idle;
    TExchange exchange{std::exchange(m_pending, {}), "", true};
    const std::string_view line = exchange.Received;
    const auto split = SplitAddress(line.substr(0, line.size() - 1));
    if (!split || split->ObjectNumber != m_state.ObjectNumber)
        return exchange;
    const auto command = ParseModuleCommand(split->Text);
    if (!command)
        return exchange;
    exchange.Answer = Execute(*command, line);
    return exchange;
}

bool TModuleEngine::Ignores(char letter) const {
    return m_behaviour.Faults.IgnoreLetters.find(letter) != std::string::npos;
}

std::string TModuleEngine::Execute(const TModuleCommand& command, std::string_view line) {
    if (m_behaviour.Faults.Silent || Ignores(command.Letter))
        return {};
    if (!command.IsRead() &&
        m_behaviour.Faults.IgnoreWriteLetters.find(command.Letter) != std::string::npos)
        return {};
    std::string answer(line);
    answer += '\n';
    if (command.IsRead()) {
        std::string value = ReadValue(command);
        if (command.Letter == m_behaviour.Faults.BadValueLetter && !value.empty()) {
            value.back() = 'G';
        }
        answer += value + "\r\n";
    } else {
        Write(command);
    }
    answer += m_behaviour.Faults.Lowercase ? "ok\r\n" : "OK\r\n";
    return Finish(std::move(answer));
}

std::string TModuleEngine::Finish(std::string answer) const {
    if (m_behaviour.Faults.Trailing)
        answer += kTrailingText;
    return m_behaviour.Faults.Noise ? MixNoise(answer) : answer;
}

std::string TModuleEngine::ReadValue(const TModuleCommand& command) const {
    const bool lower = m_behaviour.Faults.Lowercase;
    const TRelaySettings& relay = m_state.Relays.at(command.Relay);
    std::string value;
    switch (command.Kind) {
        case TCommandKind::ReadVersion:
            return m_behaviour.Faults.WrongVersion ? std::string(kWrongVersion)
                                                   : m_behaviour.Version;
        case TCommandKind::ReadObject: {
            char text[16];
            std::snprintf(text, sizeof text, "%.2d", static_cast<int>(m_state.ObjectNumber));
            return text;
        }
        case TCommandKind::ReadDurations:
            for (const TRelaySettings& r : m_state.Relays) {
                if (!value.empty())
                    value += ' ';
                value += FormatHex(static_cast<std::uint32_t>(r.Duration), 2, lower);
            }
            return value;
        case TCommandKind::ReadTable:
            for (TRelayReaction code : TableRow(relay, command.Letter)) {
                if (!value.empty())
                    value += ' ';
                value += FormatHexCode(code, lower);
            }
            return value;
        case TCommandKind::ReadCondition: {
            // The answer has room for one digit per sub-index.
            for (int s = 0; s < 2; ++s) {
                const auto code =
                    static_cast<std::uint32_t>(ConditionCode(relay, command.Letter, s));
                value += FormatHex(code & 0xFu, 1, lower);
            }
            return value;
        }
        default:
            return value;
    }
}

void TModuleEngine::Write(const TModuleCommand& command) {
    TRelaySettings& relay = m_state.Relays.at(command.Relay);
    switch (command.Kind) {
        case TCommandKind::WriteObject:
            m_state.ObjectNumber = command.Value;
            break;
        case TCommandKind::WriteDuration:
            relay.Duration = command.Value;
            break;
        case TCommandKind::WriteTable:
            TableRow(relay, command.Letter).at(command.Index) = command.Value;
            break;
        case TCommandKind::WriteCondition:
            ConditionCode(relay, command.Letter, command.Index) = command.Value;
            break;
        default:
            break;
    }
}
