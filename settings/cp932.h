// Byte rules of code page 932 (Shift-JIS) texts.
#pragma once

#include <string>

namespace dorimo {

// First byte of a double-byte character; the byte after it is its second
// byte, whatever its value (it may be "\", "]" or an ASCII letter).
inline bool is_lead_byte(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Equal without regard to the case of ASCII letters; second bytes of
// double-byte characters are compared exactly.
bool equal_ignoring_case(const std::string& a, const std::string& b);

}  // namespace dorimo
