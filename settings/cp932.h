// Byte rules of code page 932 (Shift-JIS) texts.
#pragma once

#include <string>

#include "text_rules.h"

namespace dorimo {

// Equal without regard to the case of ASCII letters; second bytes of
// double-byte characters are compared exactly.
bool equal_ignoring_case(const std::string& a, const std::string& b);

}  // namespace dorimo
