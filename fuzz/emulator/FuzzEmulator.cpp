// Fuzzes the emulator's engine: arbitrary received bytes in, silence or well-formed answers out.
//
// Input: a byte of fault switches (bit 0 lower case, 1 trailing text, 2 wrong version, 3 noise,
// 4 silent, 5 bad value, 6 ignored letters), a byte naming the letter for bad value or ignored
// letters, then the bytes the module receives, fed one at a time to a module with object 10.
// Every exchange is checked against the frame the engine promises, and against a plain reading
// of the command rules of ModuleCommand.h: which lines get an answer, what a read answers and
// what a write changes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "emulator/ModuleEngine.h"

namespace {

constexpr std::int32_t kObjectNumber = 10;
constexpr std::size_t kMaxCommandLine = 32;
// The longest answer: an echoed line, sixteen eight-digit codes with spaces, "OK", the trailer.
constexpr std::size_t kMaxAnswer = kMaxCommandLine + 1 + 16 * 9 + 2 + 4 + 12;
constexpr std::string_view kTableLetters = "AREMDL";
constexpr std::string_view kConditionLetters = "CYPFW";
constexpr std::string_view kYesAtSubIndex0 = "FW";

[[noreturn]] void Fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "fuzz_emulator: %s: ", what);
    for (char c : detail) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 32 && code < 127) {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02X", code);
        }
    }
    std::fputc('\n', stderr);
    std::abort();
}

void Check(bool condition, const char* what, std::string_view detail = {}) {
    if (!condition) {
        Fail(what, detail);
    }
}

bool IsLineChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    return c == '\r' || c == '\n' || (code >= 32 && code < 127);
}

std::string Hex(std::int32_t value, int minDigits, bool lowercase) {
    char text[16];
    std::snprintf(text, sizeof text, lowercase ? "%0*x" : "%0*X", minDigits,
                  static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return text;
}

int HexDigit(char c) {
    const std::string_view digits = "0123456789abcdef";
    const char lower = c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
    const std::size_t at = digits.find(lower);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// One to `limit` digits of the base, nothing else.
std::optional<std::int32_t> Number(std::string_view text, int base, std::size_t limit) {
    if (text.empty() || text.size() > limit) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

// A command text as ModuleCommand.h words the rules; Index is -1 where a command has none.
struct TRefCommand {
    char Letter = 0;
    bool Write = false;
    int Relay = 0;
    int Index = -1;
    std::int32_t Value = 0;
};

std::optional<TRefCommand> RefParse(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    TRefCommand command;
    command.Letter = text[0];
    if (text == "v" || text == "o" || text == "T") {
        return command;
    }
    if (text.starts_with("o=")) {
        const auto number = Number(text.substr(2), 10, 9);
        if (!number) {
            return std::nullopt;
        }
        command.Write = true;
        command.Value = *number;
        return command;
    }
    const bool table = kTableLetters.find(command.Letter) != std::string_view::npos;
    const bool condition = kConditionLetters.find(command.Letter) != std::string_view::npos;
    if (!table && !condition && command.Letter != 'T') {
        return std::nullopt;
    }
    if (text.size() < 2 || text[1] < '0' || text[1] > '4') {
        return std::nullopt;
    }
    command.Relay = text[1] - '0';
    std::string_view rest = text.substr(2);
    if (rest.empty()) {
        return command.Letter == 'T' ? std::nullopt : std::optional<TRefCommand>(command);
    }
    if (command.Letter != 'T') {
        command.Index = HexDigit(rest[0]);
        if (command.Index < 0 || (condition && command.Index > 1)) {
            return std::nullopt;
        }
        rest.remove_prefix(1);
    }
    if (!rest.starts_with("=")) {
        return std::nullopt;
    }
    const auto value = Number(rest.substr(1), 16, 8);
    if (!value) {
        return std::nullopt;
    }
    command.Write = true;
    command.Value = *value;
    return command;
}

// "*", one to nine decimal digits, the command text, a carriage return.
struct TRefLine {
    std::int32_t ObjectNumber = 0;
    std::string_view Text;
};

std::optional<TRefLine> RefSplitLine(std::string_view line) {
    if (line.size() < 2 || line.front() != '*' || line.back() != '\r') {
        return std::nullopt;
    }
    line = line.substr(1, line.size() - 2);
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') {
        ++digits;
    }
    const auto number = Number(line.substr(0, digits), 10, 9);
    if (!number) {
        return std::nullopt;
    }
    return TRefLine{*number, line.substr(digits)};
}

TRelayReaction& ConditionSlot(TRelaySettings& relay, char letter, int subIndex) {
    const std::size_t c = kConditionLetters.find(letter);
    const bool yesAt0 = kYesAtSubIndex0.find(letter) != std::string_view::npos;
    return (subIndex == 0) == yesAt0 ? relay.Yes[c] : relay.No[c];
}

// The memory after a write, built from the memory before it.
TModuleState AfterWrite(TModuleState state, const TRefCommand& command) {
    TRelaySettings& relay = state.Relays[static_cast<std::size_t>(command.Relay)];
    const std::size_t t = kTableLetters.find(command.Letter);
    if (command.Letter == 'o') {
        state.ObjectNumber = command.Value;
    } else if (command.Letter == 'T') {
        relay.Duration = command.Value;
    } else if (t != std::string_view::npos) {
        auto& row = t < 3 ? relay.Zones[t] : relay.Partitions[t - 3];
        row[static_cast<std::size_t>(command.Index)] = command.Value;
    } else {
        ConditionSlot(relay, command.Letter, command.Index) = command.Value;
    }
    return state;
}

class TEngineChecker {
  public:
    explicit TEngineChecker(const TModuleBehaviour& behaviour) : m_behaviour(behaviour) {}

    void Check(const TExchange& exchange, const TModuleState& before,
               const TModuleState& after) const {
        const std::string_view received = exchange.Received;
        ::Check(!received.empty(), "an exchange without received bytes");
        if (!exchange.IsCommandLine) {
            CheckRelease(exchange, before, after);
            return;
        }
        ::Check(received.front() == '*' && received.back() == '\r' &&
                    received.size() <= kMaxCommandLine,
                "a command line is a star, at most 32 bytes and a carriage return", received);
        const auto line = RefSplitLine(received);
        const auto command = line ? RefParse(line->Text) : std::nullopt;
        const bool answers = command && line->ObjectNumber == before.ObjectNumber &&
                             !m_behaviour.Faults.Silent && !Ignores(command->Letter);
        if (!answers) {
            ::Check(exchange.Answer.empty(), "an answer where the module must stay silent",
                    received);
            ::Check(before == after, "an unanswered command changed the module", received);
            return;
        }
        ::Check(!exchange.Answer.empty(), "no answer to a command the module understands",
                received);
        const std::string answer = Clean(exchange.Answer);
        const std::string echo = std::string(received) + "\n";
        ::Check(answer.starts_with(echo), "an answer starts with the echoed line", answer);
        ::Check(answer.size() >= echo.size() + Ok().size() && answer.ends_with(Ok()),
                "an answer ends with OK", answer);
        const std::string_view middle =
            std::string_view(answer).substr(echo.size(), answer.size() - echo.size() - Ok().size());
        if (command->Write) {
            ::Check(middle.empty(), "a write answers with a value", answer);
            ::Check(after == AfterWrite(before, *command), "a write changed the wrong value",
                    received);
            return;
        }
        ::Check(before == after, "a read changed the module", received);
        ::Check(middle.ends_with("\r\n"), "a value line ends with CR LF", middle);
        const std::string_view value = middle.substr(0, middle.size() - 2);
        std::string expected = Expected(*command, after);
        if (command->Letter == m_behaviour.Faults.BadValueLetter && !expected.empty()) {
            expected.back() = 'G';
        }
        ::Check(value == expected, "a read's value differs from the module's memory", value);
    }

  private:
    bool Ignores(char letter) const {
        return m_behaviour.Faults.IgnoreLetters.find(letter) != std::string::npos;
    }
    std::string Ok() const { return m_behaviour.Faults.Lowercase ? "ok\r\n" : "OK\r\n"; }

    void CheckRelease(const TExchange& exchange, const TModuleState& before,
                      const TModuleState& after) const {
        const std::string_view received = exchange.Received;
        ::Check(received == "]" || received == "+rb\r", "an unknown exchange", received);
        ::Check(before == after, "the release sequence changed the module", received);
        if (received == "]" || m_behaviour.Faults.Silent || Ignores('+')) {
            ::Check(exchange.Answer.empty(), "an answer where the module must stay silent",
                    received);
            return;
        }
        ::Check(Clean(exchange.Answer) == Ok(), "the release answer is OK alone", exchange.Answer);
    }

    // The answer without the noise and the trailer that the faults add, checked for both.
    std::string Clean(std::string_view answer) const {
        ::Check(answer.size() <= (m_behaviour.Faults.Noise ? kMaxAnswer * 4 / 3 + 1 : kMaxAnswer),
                "an answer longer than any command's", answer);
        std::string text;
        for (char c : answer) {
            const auto code = static_cast<unsigned char>(c);
            if (m_behaviour.Faults.Noise && (code < 10 || code > 127)) {
                continue;
            }
            ::Check(IsLineChar(c), "an answer byte that is no printable ASCII", answer);
            text += c;
        }
        if (m_behaviour.Faults.Trailing) {
            const std::string_view trailer = TModuleEngine::kTrailingText;
            ::Check(text.ends_with(trailer), "the trailing text is missing", text);
            text.resize(text.size() - trailer.size());
        }
        return text;
    }

    // The value a read must give, built from the memory by the formatting rules of the answers.
    std::string Expected(const TRefCommand& command, const TModuleState& state) const {
        const bool lower = m_behaviour.Faults.Lowercase;
        const char letter = command.Letter;
        if (letter == 'v') {
            return m_behaviour.Faults.WrongVersion ? std::string(TModuleEngine::kWrongVersion)
                                                   : m_behaviour.Version;
        }
        if (letter == 'o') {
            char text[16];
            std::snprintf(text, sizeof text, "%.2d", static_cast<int>(state.ObjectNumber));
            return text;
        }
        std::string value;
        const auto add = [&value](const std::string& item) {
            value += (value.empty() ? "" : " ") + item;
        };
        if (letter == 'T') {
            for (const TRelaySettings& relay : state.Relays) {
                add(Hex(relay.Duration, 2, lower));
            }
            return value;
        }
        TRelaySettings relay = state.Relays[static_cast<std::size_t>(command.Relay)];
        if (const std::size_t t = kTableLetters.find(letter); t != std::string_view::npos) {
            for (TRelayReaction code : t < 3 ? relay.Zones[t] : relay.Partitions[t - 3]) {
                add(Hex(code, 1, lower));
            }
            return value;
        }
        // One digit per sub-index: only the low four bits of a code travel.
        return Hex(ConditionSlot(relay, letter, 0) & 0xF, 1, lower) +
               Hex(ConditionSlot(relay, letter, 1) & 0xF, 1, lower);
    }

    const TModuleBehaviour& m_behaviour;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    TModuleBehaviour behaviour;
    const unsigned switches = data[0];
    const char named = static_cast<char>(data[1]);
    behaviour.Faults.Lowercase = (switches & 0x01) != 0;
    behaviour.Faults.Trailing = (switches & 0x02) != 0;
    behaviour.Faults.WrongVersion = (switches & 0x04) != 0;
    behaviour.Faults.Noise = (switches & 0x08) != 0;
    behaviour.Faults.Silent = (switches & 0x10) != 0;
    if ((switches & 0x20) != 0) {
        behaviour.Faults.BadValueLetter = named;
    }
    if ((switches & 0x40) != 0) {
        behaviour.Faults.IgnoreLetters = std::string(1, named);
    }

    TModuleEngine engine(behaviour, PowerUpState(kObjectNumber));
    const TEngineChecker checker(behaviour);
    for (std::size_t i = 2; i < size; ++i) {
        const TModuleState before = engine.State();
        const auto exchange = engine.Feed(static_cast<char>(data[i]));
        Check(engine.PartialInputSize() <= kMaxCommandLine, "the engine keeps a line too long");
        if (!exchange) {
            Check(engine.State() == before, "a byte that completed nothing changed the module");
            continue;
        }
        Check(exchange->Received.back() == static_cast<char>(data[i]),
              "an exchange ends with the byte that completed it", exchange->Received);
        checker.Check(*exchange, before, engine.State());
    }
    return 0;
}
