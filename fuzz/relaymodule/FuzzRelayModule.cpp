// Fuzzes the relay module's reads: the fuzz bytes are what the module answers to TRelayModule.
//
// Input: the object number in decimal, then any number of answers, each after a 0xFF byte. An
// answer opens with two header bytes, the read (its command letter, or any byte taken modulo
// the number of reads) and the relay ('1'..'5', or any byte taken modulo 5); the rest of it is
// the module's answer to that read. Every read runs twice over the same answer with different
// out-value fillings, so that "left untouched" and "written" can be told apart for any value,
// and its outcome is compared with a plain reading of the answer rules of the command set.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/RelayModule.h"

namespace {

constexpr char kAnswerSeparator = '\xff';
constexpr std::string_view kReadLetters = "ovTAREMDLCYPFW";
constexpr int kStoredTimeoutMs = 300;
constexpr std::int32_t kDefaultObject = 10;
constexpr std::size_t kMaxObjectDigits = 10;

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_devrelay: %s: %s\n", what, detail.c_str());
    std::abort();
}

void Check(bool condition, const char* what, const std::string& detail = {}) {
    if (!condition) {
        Fail(what, detail);
    }
}

// Plays one answer per command: the bytes of the contract's character range, cut after the
// terminator as the contract's receive does; silence once the answer is used up.
class TAnswerTransport : public TTransport {
  public:
    void Script(std::string_view answer) {
        m_script = answer;
        m_sent.clear();
        m_received.clear();
        m_lastAnswer.clear();
        m_lastFound = false;
    }
    const std::vector<std::string>& Sent() const { return m_sent; }
    // Every character of the answer that the contract lets through, terminator or not.
    const std::string& Received() const { return m_received; }
    // What the last receive gave, and whether it found its terminator.
    const std::string& LastAnswer() const { return m_lastAnswer; }
    bool LastFound() const { return m_lastFound; }

    int GetTimeout() override { return kStoredTimeoutMs; }
    bool Send(const std::string& text) override {
        m_sent.push_back(text);
        m_pending = m_script;
        m_script.clear();
        m_received.clear();
        for (char c : m_pending) {
            if (IsAnswerChar(static_cast<unsigned char>(c))) {
                m_received += c;
            }
        }
        return true;
    }
    bool Receive(std::string& answer, const std::string& terminator, int) override {
        return Collect(answer, {terminator});
    }
    bool ReceiveAny(std::string& answer, const std::vector<std::string>& list, int) override {
        return Collect(answer, list);
    }
    bool Receive(std::string& answer, const std::string& terminator) override {
        return Collect(answer, {terminator});
    }
    bool ReceiveAny(std::string& answer, const std::vector<std::string>& list) override {
        return Collect(answer, list);
    }
    bool WaitFor(const std::string& terminator, int) override {
        std::string scratch;
        return Collect(scratch, {terminator});
    }
    bool WaitForAny(const std::vector<std::string>& list, int) override {
        std::string scratch;
        return Collect(scratch, list);
    }
    bool WaitFor(const std::string& terminator) override { return WaitFor(terminator, 0); }
    bool WaitForAny(const std::vector<std::string>& list) override { return WaitForAny(list, 0); }

  private:
    bool Collect(std::string& answer, const std::vector<std::string>& list) {
        m_lastFound = CollectInto(answer, list);
        m_lastAnswer = answer;
        return m_lastFound;
    }

    bool CollectInto(std::string& answer, const std::vector<std::string>& list) {
        answer.clear();
        std::size_t taken = 0;
        while (taken < m_pending.size()) {
            const char c = m_pending[taken++];
            if (!IsAnswerChar(static_cast<unsigned char>(c))) {
                continue;
            }
            answer += c;
            if (std::any_of(list.begin(), list.end(),
                            [&](const std::string& s) { return AnswerContains(answer, s); })) {
                m_pending.erase(0, taken);
                return true;
            }
        }
        m_pending.clear();
        return false;
    }

    std::string m_script;
    std::string m_pending;
    std::string m_received;
    std::string m_lastAnswer;
    bool m_lastFound = false;
    std::vector<std::string> m_sent;
};

class TDiscardingLog : public TLogWriter {
  public:
    void WriteInfo(const std::string&) override {}
    void WriteError(const std::string&) override {}
    void WriteMessage(const std::string&) override {}
    void WriteData(const std::string&, const std::string&, TColor) override {}
    void WriteDataLines(const std::string&, const std::vector<std::string>&, TColor) override {}
};

enum class TResult { Read, NotRead, ConvertError };

// The references below read the answer rules of the command set as plainly as possible, with
// no code shared with the protocol library.

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string RefTrim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// After the first prefix (or from its length on, 1-based, without one), after the first carriage
// return, before the first "OK" in that case, trimmed at every step.
std::string RefValue(const std::string& raw, const std::string& prefix) {
    const std::size_t p = raw.find(prefix);
    const std::size_t from = p == std::string::npos ? prefix.size() - 1 : p + prefix.size();
    const std::string a = RefTrim(from < raw.size() ? raw.substr(from) : std::string());
    const std::size_t q = a.find('\r');
    const std::string b = RefTrim(q == std::string::npos ? a : a.substr(q + 1));
    const std::size_t t = b.find("OK");
    return t == std::string::npos ? std::string() : RefTrim(b.substr(0, t));
}

int HexDigit(char c) {
    const std::string_view digits = "0123456789ABCDEF";
    const char upper = c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
    const std::size_t at = digits.find(upper);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// Hexadecimal digits only, at most 32 bits of value, wrapped to signed.
std::optional<std::int32_t> RefHex(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + digit;
        if (value > 0xFFFFFFFFLL) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// An optional sign and decimal digits within the signed 32-bit range.
std::optional<std::int32_t> RefDecimal(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > 2147483647LL) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::vector<std::string> RefSplitAtSpaces(const std::string& text) {
    std::vector<std::string> parts;
    if (text.empty()) {
        return parts;
    }
    std::size_t start = 0;
    for (std::size_t at = text.find(' '); at != std::string::npos; at = text.find(' ', start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Two fillings that no slot can match in both runs unless the read left it alone.
constexpr std::int32_t FillingA(std::size_t slot) {
    return static_cast<std::int32_t>(0x5A5A0000u + slot);
}
constexpr std::int32_t FillingB(std::size_t slot) {
    return static_cast<std::int32_t>(0xA5A50000u + slot);
}

struct TRun {
    TResult Result = TResult::NotRead;
    std::vector<std::int32_t> Values;
    std::string Text;
    std::string Received;
    std::string Answer;  // what the receive gave
    bool Found = false;  // whether the receive found "OK"
};

// What a read must give: its outcome and, when it reads, its values from the first slot on.
struct TExpected {
    TResult Result = TResult::NotRead;
    std::vector<std::int32_t> Values;
    std::string Text;
};

class TReadFuzzer {
  public:
    explicit TReadFuzzer(std::int32_t objectNumber)
        : m_objectDigits(ObjectDigits(objectNumber)), m_relay(&m_comm, objectNumber, &m_log) {}

    void RunAnswer(std::string_view chunk) {
        if (chunk.size() < 2) {
            return;
        }
        const auto op = static_cast<unsigned char>(chunk[0]);
        const std::size_t found = kReadLetters.find(static_cast<char>(op));
        m_letter = kReadLetters[found != std::string_view::npos ? found : op % kReadLetters.size()];
        const auto relayByte = static_cast<unsigned char>(chunk[1]);
        m_relayNumber = relayByte >= '1' && relayByte <= '5' ? relayByte - '0' : relayByte % 5 + 1;
        const std::string_view answer = chunk.substr(2);

        const TRun a = RunOnce(answer, FillingA);
        const TRun b = RunOnce(answer, FillingB);
        Check(a.Result == b.Result && a.Text == b.Text, "the same answer read differently",
              std::string(1, m_letter));
        CheckRuns(a, b);
    }

  private:
    static std::string ObjectDigits(std::int32_t number) {
        char text[16];
        std::snprintf(text, sizeof text, "%.2d", number);
        return text;
    }

    bool HasRelayDigit() const { return m_letter != 'o' && m_letter != 'v' && m_letter != 'T'; }
    bool IsPair() const {
        return std::string_view("CYPFW").find(m_letter) != std::string_view::npos;
    }
    bool IsList() const { return !IsPair() && m_letter != 'o' && m_letter != 'v'; }

    std::string ExpectedCommand() const {
        std::string command = "*" + m_objectDigits + m_letter;
        if (HasRelayDigit()) {
            command += static_cast<char>('0' + m_relayNumber - 1);
        }
        return command + "\r";
    }

    // Reads straight into the slots, so that whatever a read writes before it throws shows.
    bool Call(std::string& text) {
        const int r = m_relayNumber;
        switch (m_letter) {
            case 'o':
                return m_relay.ReadObjectNumber(m_slots[0]);
            case 'v':
                return m_relay.ReadVersion(text);
            case 'T':
                return m_relay.ReadPulseDurations(m_durations);
            case 'A':
                return m_relay.ReadZoneAlarms(r, m_slots);
            case 'R':
                return m_relay.ReadZoneRestores(r, m_slots);
            case 'E':
                return m_relay.ReadZoneFaults(r, m_slots);
            case 'M':
                return m_relay.ReadPartitionArmings(r, m_slots);
            case 'D':
                return m_relay.ReadPartitionDisarmings(r, m_slots);
            case 'L':
                return m_relay.ReadPartitionAlarms(r, m_slots);
            case 'C':
                return m_relay.ReadPanelLink(r, m_slots[0], m_slots[1]);
            case 'Y':
                return m_relay.ReadJournal(r, m_slots[0], m_slots[1]);
            case 'P':
                return m_relay.ReadPower(r, m_slots[0], m_slots[1]);
            case 'F':
                return m_relay.ReadFire(r, m_slots[0], m_slots[1]);
            default:
                return m_relay.ReadDelay(r, m_slots[0], m_slots[1]);
        }
    }

    std::size_t SlotCount() const {
        if (m_letter == 'T') {
            return kRelayCount;
        }
        if (IsPair()) {
            return 2;
        }
        return IsList() ? kTableWidth : 1;
    }

    TRun RunOnce(std::string_view answer, std::int32_t (*filling)(std::size_t)) {
        TRun run;
        for (std::size_t k = 0; k < m_slots.size(); ++k) {
            m_slots[k] = filling(k);
        }
        for (std::size_t k = 0; k < m_durations.size(); ++k) {
            m_durations[k] = filling(k);
        }
        run.Text = "untouched";
        m_comm.Script(answer);
        try {
            run.Result = Call(run.Text) ? TResult::Read : TResult::NotRead;
        } catch (const EConvertError&) {
            run.Result = TResult::ConvertError;
        } catch (const std::exception& error) {
            Fail("an exception other than EConvertError left a read", error.what());
        } catch (...) {
            Fail("a non-standard exception left a read", std::string(1, m_letter));
        }
        Check(m_comm.Sent().size() == 1 && m_comm.Sent()[0] == ExpectedCommand(),
              "a read must send exactly its framed command", ExpectedCommand());
        const std::span<const std::int32_t> slots =
            m_letter == 'T' ? std::span<const std::int32_t>(m_durations) : m_slots;
        run.Values.assign(slots.begin(), slots.begin() + static_cast<long>(SlotCount()));
        run.Received = m_comm.Received();
        run.Answer = m_comm.LastAnswer();
        run.Found = m_comm.LastFound();
        return run;
    }

    TExpected Expect(const TRun& run) const {
        TExpected expected;
        if (!run.Found) {
            return expected;
        }
        const std::string value = RefValue(run.Answer, "*" + m_objectDigits);
        expected.Result = TResult::Read;
        if (m_letter == 'v') {
            expected.Text = value;
        } else if (m_letter == 'o') {
            const std::optional<std::int32_t> number = RefDecimal(value);
            expected.Result = number ? TResult::Read : TResult::NotRead;
            expected.Values = {number.value_or(0)};
        } else if (IsPair()) {
            const auto first = RefHex(value.substr(0, 1));
            const auto second = RefHex(value.size() > 1 ? value.substr(1, 1) : std::string());
            if (!first || !second) {
                expected.Result = TResult::ConvertError;
                return expected;
            }
            // Fire alarm and delay send Yes first; the harness passes No, then Yes.
            const bool yesFirst = m_letter == 'F' || m_letter == 'W';
            expected.Values = {yesFirst ? *second : *first, yesFirst ? *first : *second};
        } else {
            const std::vector<std::string> parts = RefSplitAtSpaces(value);
            for (std::size_t k = 0; k < parts.size() && k < SlotCount(); ++k) {
                const std::optional<std::int32_t> code = RefHex(parts[k]);
                if (!code) {
                    expected.Result = TResult::ConvertError;
                    expected.Values.clear();
                    return expected;
                }
                expected.Values.push_back(*code);
            }
        }
        return expected;
    }

    void CheckRuns(const TRun& a, const TRun& b) const {
        const std::string letter(1, m_letter);
        const TExpected expected = Expect(a);
        Check(a.Result == expected.Result, "a read's outcome breaks the answer rules",
              letter + " " + a.Answer);
        if (m_letter == 'v') {
            Check(a.Text == (a.Result == TResult::Read ? expected.Text : a.Received),
                  "the version text breaks the answer rules", a.Text);
            return;
        }
        for (std::size_t k = 0; k < a.Values.size(); ++k) {
            const bool untouched = a.Values[k] == FillingA(k) && b.Values[k] == FillingB(k);
            if (a.Result != TResult::Read || k >= expected.Values.size()) {
                Check(untouched, "a read changed an out value it must leave alone",
                      letter + " slot " + std::to_string(k) + " " + a.Answer);
                continue;
            }
            Check(a.Values[k] == expected.Values[k] && b.Values[k] == expected.Values[k],
                  "a read's value breaks the answer rules",
                  letter + " slot " + std::to_string(k) + " " + a.Answer);
            if (IsPair()) {
                Check(a.Values[k] >= 0 && a.Values[k] <= 15,
                      "a condition code is one hexadecimal digit", std::to_string(a.Values[k]));
            }
        }
    }

    std::string m_objectDigits;
    TAnswerTransport m_comm;
    TDiscardingLog m_log;
    TRelayModule m_relay;
    TReactionRow m_slots{};
    TPulseDurations m_durations{};
    char m_letter = 'v';
    int m_relayNumber = 1;
};

std::int32_t ObjectNumberOf(std::string_view header) {
    std::int32_t number = kDefaultObject;
    if (header.empty() || header.size() > kMaxObjectDigits) {
        return number;
    }
    const auto [end, error] = std::from_chars(header.data(), header.data() + header.size(), number);
    if (error != std::errc() || end != header.data() + header.size()) {
        return kDefaultObject;
    }
    return number;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t end = input.find(kAnswerSeparator);
    TReadFuzzer fuzzer(ObjectNumberOf(input.substr(0, end)));
    while (end != std::string_view::npos) {
        const std::size_t start = end + 1;
        end = input.find(kAnswerSeparator, start);
        fuzzer.RunAnswer(input.substr(start, end == std::string_view::npos ? end : end - start));
    }
    return 0;
}
