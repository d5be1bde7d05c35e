// Cutting module answers apart: 1-based substrings, trimming, splitting and number conversion.
#pragma once

#include <bitset>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using TArrayOfString = std::vector<std::string>;

// A set of 8-bit character codes, indexed by the unsigned code.
using TCharSet = std::bitset<256>;

TCharSet CharSetOf(std::string_view chars);

// Raised when a text that should be a number is not one; the message names the text.
class EConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Position of the first occurrence of sub in text, counted from 1; 0 when absent or sub is empty.
int Pos(const std::string& sub, const std::string& text);

// count characters from index (1-based): an index below 1 counts as 1, an index past the end
// or a negative count gives the empty string, a count past the end stops at the end.
std::string Copy(const std::string& text, int index, int count);

// Removes every leading and trailing character whose code is 32 or less.
std::string Trim(const std::string& text);

std::string CopyTrim(const std::string& text, int index, int count);

// Every separator (and the end of the text) ends a piece, so adjacent separators give an empty
// piece. NUL separates too, whether or not the set holds it. An empty text leaves parts as they
// were.
void SplitBySet(const std::string& text, const TCharSet& separators, TArrayOfString& parts);

// An optional sign, then decimal digits or "$" and hexadecimal digits in either case. A
// hexadecimal value is taken as unsigned 32-bit, so "$FFFFFFFF" is -1.
std::int32_t StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, std::int32_t& value);

// The text read as hexadecimal digits, as StrToInt reads it with "$" in front.
std::int32_t HexStrToInt(const std::string& text);

// Upper-case hexadecimal of the value taken as unsigned 32-bit, at least digits long.
std::string IntToHex(std::uint32_t value, int digits);
