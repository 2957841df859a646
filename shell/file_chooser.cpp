#include "file_chooser.h"

#include <cderr.h>
#include <commdlg.h>
#include <objbase.h>

#include <vector>

#include "error.h"
#include "launch.h"
#include "wide_text.h"

namespace dorimo {
namespace {

// Room for any name the dialog can return: the longest path the system
// handles, in UTF-16 characters.
constexpr DWORD kNameBufferSize = 32768;

// Centres the dialog horizontally on the monitor of the window it was asked
// for, with a third of the remaining height above it and two thirds below.
UINT_PTR CALLBACK place_dialog(HWND child, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lparam);
        SetWindowLongPtrW(child, GWLP_USERDATA, static_cast<LONG_PTR>(ofn->lCustData));
    } else if (message == WM_NOTIFY) {
        const auto* note = reinterpret_cast<const NMHDR*>(lparam);
        if (note->code == CDN_INITDONE) {
            HWND dialog = GetParent(child);
            HWND placed_by = reinterpret_cast<HWND>(GetWindowLongPtrW(child, GWLP_USERDATA));
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            RECT r;
            if (GetWindowRect(dialog, &r) &&
                GetMonitorInfoW(MonitorFromWindow(placed_by, MONITOR_DEFAULTTONEAREST), &mi)) {
                const RECT& m = mi.rcWork;
                const int w = r.right - r.left, h = r.bottom - r.top;
                const int x = m.left + (m.right - m.left - w) / 2;
                const int y = m.top + (m.bottom - m.top - h) / 3;
                SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
    }
    return 0;
}

// The file dialog's library is loaded when the dialog is first asked for, not
// at start: most starts never browse, and loading it brings the printing
// libraries along.
struct DialogLibrary {
    decltype(&GetOpenFileNameW) open = nullptr;
    decltype(&CommDlgExtendedError) failure = nullptr;
};
const DialogLibrary& dialog_library() {
    static const DialogLibrary library = [] {
        DialogLibrary l;
        if (HMODULE module = load_system_library(L"comdlg32.dll")) {
            l.open = reinterpret_cast<decltype(l.open)>(
                reinterpret_cast<void*>(GetProcAddress(module, "GetOpenFileNameW")));
            l.failure = reinterpret_cast<decltype(l.failure)>(
                reinterpret_cast<void*>(GetProcAddress(module, "CommDlgExtendedError")));
        }
        if (!l.open || !l.failure) throw Error("ファイルを選ぶ画面を開けません");
        return l;
    }();
    return library;
}

}  // namespace

// Systems without the search flags (Windows 7 before its update of 2011)
// refuse them; there the system folder's full path is named.
HMODULE load_system_library(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetSystemDirectoryW(path.data(), MAX_PATH));
    return path.empty() ? nullptr : LoadLibraryW((path + L"\\" + name).c_str());
}

void load_libraries_from_system_folder() {
    using SetDefaults = BOOL(WINAPI*)(DWORD);
    const auto set_defaults = reinterpret_cast<SetDefaults>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!set_defaults || !set_defaults(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

void use_com() {
    static thread_local bool started = false;
    if (started) return;
    started = true;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

std::optional<std::string> FileChooser::choose(HWND owner, HWND placed_by) {
    use_com();
    // The dialog is asked in UTF-16, so that a name outside the code page
    // arrives whole and can be refused rather than arrive damaged.
    std::vector<wchar_t> name(kNameBufferSize, L'\0');
    file_name_.copy(name.data(), name.size() - 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = place_dialog;
    ofn.lCustData = reinterpret_cast<LPARAM>(placed_by);

    // Browsing moves the current folder; a bare program name must go on
    // finding the same file, so it is put back however the dialog ends.
    const DialogLibrary& dialog = dialog_library();
    const std::wstring folder = current_folder();
    const BOOL confirmed = dialog.open(&ofn);
    const DWORD failure = confirmed ? 0 : dialog.failure();
    SetCurrentDirectoryW(folder.c_str());

    if (failure == FNERR_BUFFERTOOSMALL)
        throw Error("選んだファイルの名前が長すぎて受け取れません。短い名前のフォルダーに置いたショートカットを選んでください");
    if (!confirmed) return std::nullopt;

    const std::wstring chosen(name.data());  // up to its terminating zero
    const auto narrow = narrow_exactly(chosen);
    if (!narrow)
        throw Error("選んだファイルの名前にはシフト JIS で表せない文字があるため、登録できません。"
                    "ファイルやフォルダーの名前を変えるか、普通の名前のフォルダーに置いたショートカットか"
                    "小さな .bat ファイルを選んでください");
    file_name_ = chosen;
    return narrow;
}

}  // namespace dorimo
