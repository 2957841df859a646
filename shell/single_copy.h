// One running copy of the program per settings file.
#pragma once

#include <windows.h>

#include <string>

namespace dorimo {

// Claims the settings file of `path` for this copy of the program, for as
// long as it runs: true when no other running copy uses the file. Otherwise
// the copy that uses it is asked to bring its window to the front, and the
// answer is false; true again if that copy ends meanwhile.
bool claim_settings_file(const std::wstring& path);

// True when the data is another copy's request to show the window of the
// copy whose settings file is `own_path`.
bool is_show_request(const COPYDATASTRUCT& data, const std::wstring& own_path);

}  // namespace dorimo
