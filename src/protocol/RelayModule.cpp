// Command texts, captions and answer conversion of the relay module.
#include "protocol/RelayModule.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

static const char kRelayVersion[] = "VER 08";
static const char kRelaySuffix[] = "\r";
static const char kRelayTerminator[] = "OK";

// The module numbers objects with at least two decimal digits: 5 is "05", 123 is "123".
static std::string ObjectDigits(std::int32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2d", number);
    return text;
}

static std::string PrefixFor(std::int32_t number) {
    return "*" + ObjectDigits(number);
}

static std::string RelayDigit(int relay) {
    return IntToHex(static_cast<std::uint32_t>(relay - 1), 1);
}

// The callers check what the user gave; a value out of range here is a fault of the program,
// and it must not reach the module.
static void RequireInRange(std::int64_t value, std::int64_t minimum, std::int64_t maximum,
                           const char* what) {
    if (value < minimum || value > maximum) {
        throw std::invalid_argument(std::string("The module cannot take ") + what + " " +
                                    std::to_string(value));
    }
}

static std::string CodeText(TRelayReaction code) {
    return IntToHex(static_cast<std::uint32_t>(code), 1);
}

// The character at a 0-based position as a text, empty past the end, so that a short answer
// fails conversion instead of being read beyond its value.
static std::string CharAt(const std::string& text, std::size_t index) {
    return index < text.size() ? text.substr(index, 1) : std::string();
}

TRelayModule::TRelayModule(TTransport* comm, std::int32_t objectNumber, TLogWriter* log)
    : TModuleDevice(comm, kRelayVersion, PrefixFor(objectNumber), kRelaySuffix, kRelayTerminator,
                    log),
      ObjectNumber(objectNumber) {}

std::string TRelayModule::AfterEcho(const std::string& raw) {
    const std::string prefix = GetPrefix();
    const int p = Pos(prefix, raw);
    const std::string afterPrefix =
        CopyTrim(raw, p + static_cast<int>(prefix.size()), static_cast<int>(raw.size()));
    const int q = Pos(GetSuffix(), afterPrefix);
    return CopyTrim(afterPrefix, q + 1, static_cast<int>(afterPrefix.size()));
}

std::string TRelayModule::ParseAnswer(const std::string& raw) {
    const std::string afterEcho = AfterEcho(raw);
    const int t = Pos(GetTerminator(), afterEcho);
    return CopyTrim(afterEcho, 1, t - 1);
}

std::string TRelayModule::LastAnswerText() {
    std::string text;
    for (const char c : AfterEcho(LastAnswer())) {
        const bool lineBreak = c == '\r' || c == '\n';
        if (!lineBreak) {
            text += c;
        } else if (!text.empty() && text.back() != ' ') {
            text += ' ';
        }
    }
    return text;
}

bool TRelayModule::ReadObjectNumber(std::int32_t& number) {
    LogMessage("Читаю № объекта");
    return QueryInt("o", number, false);
}

bool TRelayModule::ReadVersion(std::string& text) {
    LogMessage("Читаю версию");
    return Query("v", text);
}

bool TRelayModule::ReadHexList(const std::string& command, std::span<std::int32_t> slots) {
    std::string value;
    if (!Query(command, value)) {
        return false;
    }
    TArrayOfString parts;
    SplitBySet(value, CharSetOf(" "), parts);
    // Converted aside first so that a malformed part leaves the caller's slots as they were;
    // parts beyond the slots are ignored.
    std::vector<std::int32_t> converted(slots.begin(), slots.end());
    const std::size_t used = std::min(parts.size(), converted.size());
    for (std::size_t k = 0; k < used; ++k) {
        converted[k] = HexStrToInt(parts[k]);
    }
    std::copy(converted.begin(), converted.end(), slots.begin());
    return true;
}

bool TRelayModule::ReadPulseDurations(TPulseDurations& durations) {
    LogMessage("Читаю длительность импульса включения реле");
    return ReadHexList("T", durations);
}

bool TRelayModule::ReadValueList(int relay, char letter, TReactionRow& codes) {
    return ReadHexList(std::string(1, letter) + RelayDigit(relay), codes);
}

bool TRelayModule::ReadZoneAlarms(int relay, TReactionRow& codes) {
    LogMessage("Читаю \"Тревоги зон\"");
    return ReadValueList(relay, ZoneEventLetter(zeAlarm), codes);
}

bool TRelayModule::ReadZoneRestores(int relay, TReactionRow& codes) {
    LogMessage("Читаю \"Восстановления зон\"");
    return ReadValueList(relay, ZoneEventLetter(zeRestore), codes);
}

bool TRelayModule::ReadZoneFaults(int relay, TReactionRow& codes) {
    LogMessage("Читаю \"Аварии зон\"");
    return ReadValueList(relay, ZoneEventLetter(zeFault), codes);
}

bool TRelayModule::ReadPartitionArmings(int relay, TReactionRow& codes) {
    LogMessage("Читаю \"Постановки разделов\"");
    return ReadValueList(relay, PartitionEventLetter(peArm), codes);
}

bool TRelayModule::ReadPartitionDisarmings(int relay, TReactionRow& codes) {
    LogMessage("Читаю \"Снятия разделов\"");
    return ReadValueList(relay, PartitionEventLetter(peDisarm), codes);
}

bool TRelayModule::ReadPartitionAlarms(int relay, TReactionRow& codes) {
    LogMessage("Читаю \"Тревоги разделов\"");
    return ReadValueList(relay, PartitionEventLetter(peAlarm), codes);
}

bool TRelayModule::ReadValuePair(int relay, char letter, TRelayReaction& first,
                                 TRelayReaction& second) {
    std::string value;
    if (!Query(std::string(1, letter) + RelayDigit(relay), value)) {
        return false;
    }
    const TRelayReaction firstCode = HexStrToInt(CharAt(value, 0));
    const TRelayReaction secondCode = HexStrToInt(CharAt(value, 1));
    first = firstCode;
    second = secondCode;
    return true;
}

// The first answer digit is sub-index 0, which carries Yes only where Yes travels as 0.
bool TRelayModule::ReadCondition(int relay, TRelayCondition condition, TRelayReaction& no,
                                 TRelayReaction& yes) {
    const char letter = ConditionLetter(condition);
    if (YesSubIndex(condition) == 0) {
        return ReadValuePair(relay, letter, yes, no);
    }
    return ReadValuePair(relay, letter, no, yes);
}

bool TRelayModule::ReadPanelLink(int relay, TRelayReaction& no, TRelayReaction& yes) {
    LogMessage("Читаю \"Связь с панелью\"");
    return ReadCondition(relay, rcPanelLink, no, yes);
}

bool TRelayModule::ReadJournal(int relay, TRelayReaction& no, TRelayReaction& yes) {
    LogMessage("Читаю \"Пустой журнал\"");
    return ReadCondition(relay, rcJournal, no, yes);
}

bool TRelayModule::ReadPower(int relay, TRelayReaction& no, TRelayReaction& yes) {
    LogMessage("Читаю \"Внешнее питание\"");
    return ReadCondition(relay, rcPower, no, yes);
}

bool TRelayModule::ReadFire(int relay, TRelayReaction& no, TRelayReaction& yes) {
    LogMessage("Читаю \"Пожарная тревога\"");
    return ReadCondition(relay, rcFire, no, yes);
}

bool TRelayModule::ReadDelay(int relay, TRelayReaction& no, TRelayReaction& yes) {
    LogMessage("Читаю \"Задержка\"");
    return ReadCondition(relay, rcDelay, no, yes);
}

bool TRelayModule::WriteObjectNumber(std::int32_t number) {
    RequireInRange(number, 0, kMaxObjectNumber, "the object number");
    LogMessage("Пишу № объекта");
    const bool written = Execute("o=" + ObjectDigits(number));
    if (written) {
        ObjectNumber = number;
        SetPrefix(PrefixFor(number));
    }
    return written;
}

bool TRelayModule::WritePulseDuration(int relay, std::int32_t duration) {
    RequireInRange(relay, 1, kRelayCount, "the relay");
    RequireInRange(duration, 0, kMaxDuration, "the pulse duration");
    LogMessage("Пишу длительность импульса включения реле");
    return Execute("T" + RelayDigit(relay) + "=" +
                   IntToHex(static_cast<std::uint32_t>(duration), 2));
}

bool TRelayModule::WriteItem(int relay, char letter, int index, TRelayReaction code) {
    RequireInRange(relay, 1, kRelayCount, "the relay");
    RequireInRange(index, 0, kTableWidth - 1, "the item");
    if (!IsReactionCode(code)) {
        throw std::invalid_argument("The module cannot take the reaction code " +
                                    std::to_string(code));
    }
    return Execute(std::string(1, letter) + RelayDigit(relay) +
                   IntToHex(static_cast<std::uint32_t>(index), 1) + "=" + CodeText(code));
}

bool TRelayModule::WriteZoneAlarm(int relay, int zone, TRelayReaction code) {
    LogMessage("Пишу \"Тревоги зон\"");
    return WriteItem(relay, ZoneEventLetter(zeAlarm), zone - 1, code);
}

bool TRelayModule::WriteZoneRestore(int relay, int zone, TRelayReaction code) {
    LogMessage("Пишу \"Восстановления зон\"");
    return WriteItem(relay, ZoneEventLetter(zeRestore), zone - 1, code);
}

bool TRelayModule::WriteZoneFault(int relay, int zone, TRelayReaction code) {
    LogMessage("Пишу \"Аварии зон\"");
    return WriteItem(relay, ZoneEventLetter(zeFault), zone - 1, code);
}

bool TRelayModule::WritePartitionArming(int relay, int partition, TRelayReaction code) {
    LogMessage("Пишу \"Постановки разделов\"");
    return WriteItem(relay, PartitionEventLetter(peArm), partition - 1, code);
}

bool TRelayModule::WritePartitionDisarming(int relay, int partition, TRelayReaction code) {
    LogMessage("Пишу \"Снятия разделов\"");
    return WriteItem(relay, PartitionEventLetter(peDisarm), partition - 1, code);
}

bool TRelayModule::WritePartitionAlarm(int relay, int partition, TRelayReaction code) {
    LogMessage("Пишу \"Тревоги разделов\"");
    return WriteItem(relay, PartitionEventLetter(peAlarm), partition - 1, code);
}

// Where Yes travels as sub-index 1 the state is the sub-index; elsewhere state 0 (No) is 1
// and any other state is 0.
bool TRelayModule::WriteCondition(int relay, TRelayCondition condition, int state,
                                  TRelayReaction code) {
    const int subIndex = YesSubIndex(condition) == 1 ? state : (state == 0 ? 1 : 0);
    return WriteItem(relay, ConditionLetter(condition), subIndex, code);
}

bool TRelayModule::WritePanelLink(int relay, int state, TRelayReaction code) {
    LogMessage("Пишу \"Связь с панелью\"");
    return WriteCondition(relay, rcPanelLink, state, code);
}

bool TRelayModule::WriteJournal(int relay, int state, TRelayReaction code) {
    LogMessage("Пишу \"Пустой журнал\"");
    return WriteCondition(relay, rcJournal, state, code);
}

bool TRelayModule::WritePower(int relay, int state, TRelayReaction code) {
    LogMessage("Пишу \"Внешнее питание\"");
    return WriteCondition(relay, rcPower, state, code);
}

bool TRelayModule::WriteFire(int relay, int state, TRelayReaction code) {
    LogMessage("Пишу \"Пожарная тревога\"");
    return WriteCondition(relay, rcFire, state, code);
}

bool TRelayModule::WriteDelay(int relay, int state, TRelayReaction code) {
    LogMessage("Пишу \"Задержка\"");
    return WriteCondition(relay, rcDelay, state, code);
}
