#include "tray_icon.h"

#include <shellapi.h>

#include <cstring>

namespace dorimo {

const CHAR kTrayTip[64] = "ドリモ玉";

void fill_notify_record(NotifyRecord& record, HWND window, HICON icon) {
    record.cbSize = sizeof(NotifyRecord);
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_TRAYICON;
    std::memcpy(record.szTip, kTrayTip, sizeof record.szTip);
    record.hIcon = icon;
}

BOOL notify_icon(DWORD request, NotifyRecord& record) {
    return Shell_NotifyIconA(request, reinterpret_cast<PNOTIFYICONDATAA>(&record));
}

}  // namespace dorimo
