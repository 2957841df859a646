// Where the settings file is: beside the running executable, whatever its
// folder is called.
#pragma once

#include <string>

#include "settings_io.h"

namespace dorimo {

struct SettingsLocation {
    std::string path;    // the file's full path as 8-bit text, as messages show it
    std::wstring wide_path;  // the same in UTF-16, exact: the file is reached by it
};

// The settings file beside the program. Where the executable's full path
// cannot be held in the code page, the 8-bit path serves only to name the
// file in messages.
SettingsLocation settings_beside_program();

}  // namespace dorimo
