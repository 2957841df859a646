#include "file_chooser.h"

#include <commdlg.h>

#include <vector>

namespace dorimo {
namespace {

// Centres the dialog horizontally on the monitor of the window it was asked
// for, with a third of the remaining height above it and two thirds below.
UINT_PTR CALLBACK place_dialog(HWND child, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lparam);
        SetWindowLongPtrA(child, GWLP_USERDATA, static_cast<LONG_PTR>(ofn->lCustData));
    } else if (message == WM_NOTIFY) {
        const auto* note = reinterpret_cast<const NMHDR*>(lparam);
        if (note->code == CDN_INITDONE) {
            HWND dialog = GetParent(child);
            HWND placed_by = reinterpret_cast<HWND>(GetWindowLongPtrA(child, GWLP_USERDATA));
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            RECT r;
            if (GetWindowRect(dialog, &r) &&
                GetMonitorInfoA(MonitorFromWindow(placed_by, MONITOR_DEFAULTTONEAREST), &mi)) {
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

}  // namespace

std::optional<std::string> FileChooser::choose(HWND owner, HWND placed_by) {
    std::vector<char> name(MAX_PATH, '\0');
    file_name_.copy(name.data(), name.size() - 1);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = place_dialog;
    ofn.lCustData = reinterpret_cast<LPARAM>(placed_by);
    if (!GetOpenFileNameA(&ofn)) return std::nullopt;

    file_name_ = name.data();
    return file_name_;
}

}  // namespace dorimo
