// The module's command texts: what a framed command line asks for, parsed without the framing.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

enum class TCommandKind {
    ReadVersion,     // v
    ReadObject,      // o
    WriteObject,     // o=NN
    ReadDurations,   // T
    WriteDuration,   // T r = hh
    ReadTable,       // A r (and R, E, M, D, L)
    WriteTable,      // A r i = v
    ReadCondition,   // C r (and Y, P, F, W)
    WriteCondition,  // C r s = v
};

struct TModuleCommand {
    TCommandKind Kind = TCommandKind::ReadVersion;
    char Letter = 'v';
    int Relay = 0;  // 0..4
    int Index = 0;  // zone or partition 0..15, or a condition's sub-index 0..1
    std::int32_t Value = 0;

    bool IsRead() const;
};

// A command line as it travels: "*", the object number as decimal digits, the command text.
struct TAddressedCommand {
    std::int32_t ObjectNumber = 0;
    std::string_view Text;
};

// Splits "*<digits><text>" (the carriage return already removed); nullopt without one to nine
// digits after the star.
std::optional<TAddressedCommand> SplitAddress(std::string_view line);

// The rules of what the module understands: the letters are case-sensitive, the relay digit is
// 0..4, the index one hexadecimal digit (0..1 for conditions), a code or duration one to eight
// hexadecimal digits of either case taken as unsigned 32-bit, an object number one to nine
// decimal digits; nothing may follow. Anything else gives nullopt.
std::optional<TModuleCommand> ParseModuleCommand(std::string_view text);

bool IsTableLetter(char letter);
bool IsConditionLetter(char letter);
