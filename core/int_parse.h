// Reading a whole text as a 32-bit signed integer literal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dorimo {

// Leading blanks, an optional "+" or "-", then decimal digits within the
// 32-bit signed range, or hexadecimal digits (at most eight significant)
// after "$", "x", "X", "0x" or "0X"; nothing may follow. A hexadecimal value
// is taken as the 32-bit pattern it spells ("$FFFFFFFF" is -1).
std::optional<std::int32_t> parse_int32(const std::string& text);

// True when parse_int32 reads the text.
bool IsNumeric(const std::string& text);

// The text with each full-width digit (code page 932: 0x82 0x4F to 0x82
// 0x58) as its ASCII digit; every other character as it is, a double-byte
// character read whole.
std::string narrow_digits(std::string text);

}  // namespace dorimo
