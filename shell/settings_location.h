// Where the settings file is: beside the running executable, whatever its
// folder is called.
#pragma once

#include <memory>
#include <string>

#include "settings_io.h"

namespace dorimo {

struct SettingsLocation {
    std::string path;    // the file's full path as 8-bit text, as messages show it
    std::wstring wide_path;  // the same in UTF-16, exact
    std::unique_ptr<ProfileFunctions> profile;  // the functions that reach it
};

// The settings file beside the program. Where the executable's full path can
// be held in the code page, the 8-bit path and the 8-bit profile functions;
// otherwise the profile functions reach the file through its UTF-16 name,
// and the 8-bit path serves only to name it in messages.
SettingsLocation settings_beside_program();

// The profile functions on the file of a UTF-16 path, taking and giving
// 8-bit texts; the path passed to each call is not used.
std::unique_ptr<ProfileFunctions> make_unicode_path_profile(std::wstring path);

}  // namespace dorimo
