// Included first in every source of the Windows build. The library's string
// classes are declared as instantiated in the library, so that a program
// calling one member of std::string or std::wstring links the library's
// instantiations whole, every member of both (some 60 KB of the program).
// Without that declaration the program instantiates the members it calls
// itself, and the linker keeps only those.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
