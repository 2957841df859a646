#include "launch.h"

#include <shellapi.h>

#include "text_rules.h"

namespace dorimo {

std::optional<std::string> open_through_shell(HWND owner, const std::string& program) {
    const std::string folder = start_folder(program);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // The failure is the log's to report, as with the shell's plain open;
    // a box of the shell's own would hold a due run up until answered.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = "open";
    info.lpFile = program.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOW;
    if (ShellExecuteExA(&info)) return std::nullopt;
    return system_message(GetLastError());
}

std::string system_message(DWORD error) {
    char* buffer = nullptr;
    const DWORD size = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string message(buffer ? buffer : "", size);
    LocalFree(buffer);
    // One log line: line breaks become blanks, and none are left at the end.
    for (char& c : message) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    message.erase(message.find_last_not_of(' ') + 1);
    return message.empty() ? "エラー " + std::to_string(error) : message;
}

}  // namespace dorimo
