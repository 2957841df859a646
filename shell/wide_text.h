// Texts between the system's 8-bit code page (932 here) and UTF-16.
#pragma once

#include <optional>
#include <string>

namespace dorimo {

// The 8-bit form of a UTF-16 text, or nothing when a character has no
// place in the code page (no look-alike letter is put in its place).
std::optional<std::string> narrow_exactly(const std::wstring& text);

// The 8-bit form of a UTF-16 text, with the code page's stand-in for a
// character it has no place for.
std::string narrow(const std::wstring& text);

// The UTF-16 form of an 8-bit text.
std::wstring widen(const std::string& text);

}  // namespace dorimo
