#include "tray_icon.h"

#include <shellapi.h>

#include <cstring>

#include "file_chooser.h"

namespace dorimo {

const CHAR kTrayTip[64] = "ドリモ玉";

void fill_notify_record(NotifyRecord& record, HWND window, HICON icon) {
    record = NotifyRecord{};
    record.cbSize = sizeof(NotifyRecord);
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_TRAYICON;
    std::memcpy(record.szTip, kTrayTip, sizeof kTrayTip);
    record.hIcon = icon;
    record.uVersion = NOTIFYICON_VERSION;
}

// The shell's library (and the libraries it brings along) is loaded when the
// icon is first asked for, not at start.
BOOL notify_icon(DWORD request, NotifyRecord& record) {
    static const auto notify = system_function<decltype(&Shell_NotifyIconA)>(L"shell32.dll", "Shell_NotifyIconA");
    return notify && notify(request, reinterpret_cast<PNOTIFYICONDATAA>(&record));
}

void add_notify_icon(NotifyRecord& record) {
    notify_icon(NIM_ADD, record);
    notify_icon(NIM_SETVERSION, record);
}

}  // namespace dorimo
