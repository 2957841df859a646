// Byte rules of the system's texts: ASCII letters and code page 932
// (Shift-JIS) double-byte characters.
#pragma once

#include <string>

namespace dorimo {

// The lower-case form of an ASCII capital letter; every other byte as it is.
constexpr char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// First byte of a double-byte character; the byte after it is its second
// byte, whatever its value (it may be "\", "]" or an ASCII letter).
inline bool is_lead_byte(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The folder a program text names, when it is a full path ("C:\..." or
// "\\server\..."): everything up to and including its last "\" or "/" that
// is not the second byte of a double-byte character. Empty for a bare name
// or a relative path, which start in the scheduler's current folder.
std::string start_folder(const std::string& program);

}  // namespace dorimo
