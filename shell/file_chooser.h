// One slot's file-open dialog: it remembers the name chosen last in it and
// opens from that name, not from the slot's program text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace dorimo {

// Libraries loaded later by name (by the system's own libraries too) come
// from the system folder only; where the system cannot be told so, at least
// not from the current folder. Called first at start.
void load_libraries_from_system_folder();

// A library from the system folder only, never from the current folder or
// the search path; null when it cannot be loaded.
HMODULE load_system_library(const wchar_t* name);

// A function of a library from the system folder, which is loaded when the
// function is first asked for rather than at start; null when either is
// missing.
template <typename Function>
Function system_function(const wchar_t* library, const char* name) {
    const HMODULE module = load_system_library(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// COM for the calling thread, started at its first need rather than at
// start: the shell's open and the file dialog may use it, and the readers'
// objects do. Once per thread; it ends with the thread.
void use_com();

class FileChooser {
public:
    // Shows the dialog owned by `owner`, placed on the monitor of `placed_by`.
    // The full path of the chosen file, or nothing when cancelled. Throws
    // Error when the chosen name cannot be held in the system's code page or
    // is longer than the dialog can hand over. The process's current folder
    // is the same afterwards as before, whatever the user browsed.
    std::optional<std::string> choose(HWND owner, HWND placed_by);

private:
    std::wstring file_name_;
};

}  // namespace dorimo
