// Opening a program or document through the Windows shell.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace dorimo {

// The shell's "open" of the text whole as the file, with no parameters and
// SW_SHOW. A full path starts in its own folder, as a shortcut does; a bare
// name in the folder that was current when the scheduler started. Nothing when the shell started it;
// otherwise the system's message for the failure, in the user's language.
std::optional<std::string> open_through_shell(HWND owner, const std::string& program);

// The process's current folder.
std::wstring current_folder();

// The system's message for an error code, on one line; the code itself when
// the system has no message for it.
std::string system_message(DWORD error);

}  // namespace dorimo
