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

// The system's message for an error code, on one line, its first insert
// (%1, which the system's texts use for the file or program) filled with
// the text given; the code itself when the system has no message for it.
std::string system_message(DWORD error, const char* insert = "");

// FormatMessageA of the system's text for an error into a buffer it
// allocates (LocalFree), its first insert (%1) filled with the text given and
// any other left empty; the text's length, 0 when the system has none.
DWORD system_text(DWORD error, const char* insert, char*& text);

}  // namespace dorimo
