#include "launch.h"

#include <shellapi.h>

#include "file_chooser.h"
#include "text_rules.h"
#include "wide_text.h"

namespace dorimo {
namespace {

// The folder that was current when the program started. A bare name starts
// there, whatever folder a file dialog has moved to since (a due run may
// come while a dialog stands in another folder).
const std::wstring start_up_folder = current_folder();

}  // namespace

std::wstring current_folder() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

std::optional<std::string> open_through_shell(HWND owner, const std::string& program) {
    // In UTF-16, so that a start folder outside the code page is reached;
    // the program text converts exactly.
    const std::wstring file = widen(program);
    const std::string own_folder = start_folder(program);
    std::wstring folder = own_folder.empty() ? start_up_folder : widen(own_folder);
    // A folder that is gone would fail the start; the shell then uses the
    // current one, as it does when given none.
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) folder.clear();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The failure is the log's to report, as with the shell's plain open;
    // a box of the shell's own would hold a due run up until answered.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOW;
    // The shell's library is loaded at the first open, not at start.
    static const auto execute = system_function<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    if (!execute) return system_message(ERROR_PROC_NOT_FOUND);
    use_com();
    if (execute(&info)) return std::nullopt;
    return system_message(GetLastError(), program.c_str());
}

DWORD system_text(DWORD error, const char* insert, char*& text) {
    // The first insert (%1) is the text given, taken as it is; the system's
    // texts use no more than a few, which have nothing to be filled with.
    const char* inserts[] = {insert, "", "", "", "", "", "", "", ""};
    return FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                          nullptr, error, 0, reinterpret_cast<char*>(&text), 0,
                          reinterpret_cast<va_list*>(const_cast<char**>(inserts)));
}

std::string system_message(DWORD error, const char* insert) {
    char* buffer = nullptr;
    const DWORD size = system_text(error, insert, buffer);
    std::string message(buffer ? buffer : "", size);
    LocalFree(buffer);
    // One log line: line breaks become blanks, and none are left at the end.
    for (char& c : message) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    message.erase(message.find_last_not_of(' ') + 1);
    return message.empty() ? "エラー " + std::to_string(static_cast<unsigned>(error)) : message;
}

}  // namespace dorimo
