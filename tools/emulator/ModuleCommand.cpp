// Parsing of the module's command texts by the rules the module applies.
#include "emulator/ModuleCommand.h"

#include <string_view>

#include "model/RelaySettings.h"

namespace {

constexpr std::string_view kTableLetters = "AREMDL";
constexpr std::string_view kConditionLetters = "CYPFW";
constexpr std::size_t kMaxHexDigits = 8;
constexpr std::size_t kMaxDecimalDigits = 9;
constexpr int kConditionSubIndices = 2;

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::int32_t> ParseHex(std::string_view text) {
    if (text.empty() || text.size() > kMaxHexDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
    if (text.empty() || text.size() > kMaxDecimalDigits)
        return std::nullopt;
    std::int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int> ParseRelayDigit(char c) {
    if (c < '0' || c >= '0' + kRelayCount)
        return std::nullopt;
    return c - '0';
}

// "r", or "r i = v" when indexed; for the duration there is no index.
std::optional<TModuleCommand> ParseAddressed(std::string_view rest, TModuleCommand command,
                                             TCommandKind readKind, TCommandKind writeKind,
                                             int indexLimit) {
    if (rest.empty())
        return std::nullopt;
    const auto relay = ParseRelayDigit(rest[0]);
    if (!relay)
        return std::nullopt;
    command.Relay = *relay;
    rest.remove_prefix(1);
    if (rest.empty()) {
        if (indexLimit == 0)
            return std::nullopt;  // "T r" is no command: T reads all relays
        command.Kind = readKind;
        return command;
    }
    if (indexLimit > 0) {
        const int index = HexDigitValue(rest[0]);
        if (index < 0 || index >= indexLimit)
            return std::nullopt;
        command.Index = index;
        rest.remove_prefix(1);
    }
    if (rest.empty() || rest[0] != '=')
        return std::nullopt;
    const auto value = ParseHex(rest.substr(1));
    if (!value)
        return std::nullopt;
    command.Kind = writeKind;
    command.Value = *value;
    return command;
}

}  // namespace

bool IsTableLetter(char letter) {
    return letter != 0 && kTableLetters.find(letter) != std::string_view::npos;
}

bool IsConditionLetter(char letter) {
    return letter != 0 && kConditionLetters.find(letter) != std::string_view::npos;
}

bool TModuleCommand::IsRead() const {
    switch (Kind) {
        case TCommandKind::ReadVersion:
        case TCommandKind::ReadObject:
        case TCommandKind::ReadDurations:
        case TCommandKind::ReadTable:
        case TCommandKind::ReadCondition:
            return true;
        default:
            return false;
    }
}

std::optional<TAddressedCommand> SplitAddress(std::string_view line) {
    if (line.empty() || line[0] != '*')
        return std::nullopt;
    std::size_t digits = 1;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    const auto number = ParseDecimal(line.substr(1, digits - 1));
    if (!number)
        return std::nullopt;
    return TAddressedCommand{*number, line.substr(digits)};
}

std::optional<TModuleCommand> ParseModuleCommand(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    TModuleCommand command;
    command.Letter = text[0];
    const std::string_view rest = text.substr(1);
    if (command.Letter == 'v') {
        if (!rest.empty())
            return std::nullopt;
        command.Kind = TCommandKind::ReadVersion;
        return command;
    }
    if (command.Letter == 'o') {
        if (rest.empty()) {
            command.Kind = TCommandKind::ReadObject;
            return command;
        }
        if (rest[0] != '=')
            return std::nullopt;
        const auto number = ParseDecimal(rest.substr(1));
        if (!number)
            return std::nullopt;
        command.Kind = TCommandKind::WriteObject;
        command.Value = *number;
        return command;
    }
    if (command.Letter == 'T') {
        if (rest.empty()) {
            command.Kind = TCommandKind::ReadDurations;
            return command;
        }
        return ParseAddressed(rest, command, TCommandKind::ReadDurations,
                              TCommandKind::WriteDuration, 0);
    }
    if (IsTableLetter(command.Letter)) {
        return ParseAddressed(rest, command, TCommandKind::ReadTable, TCommandKind::WriteTable,
                              kTableWidth);
    }
    if (IsConditionLetter(command.Letter)) {
        return ParseAddressed(rest, command, TCommandKind::ReadCondition,
                              TCommandKind::WriteCondition, kConditionSubIndices);
    }
    return std::nullopt;
}
