// The notification-area icon: the 88-byte notification record and the two
// shell requests made with it.
#pragma once

#include <windows.h>

#include <cstddef>

namespace dorimo {

constexpr UINT kTrayIconId = 92;
constexpr UINT WM_TRAYICON = WM_USER + 200;  // 1224

// NOTIFYICONDATA in its first, 88-byte form.
struct NotifyRecord {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};
static_assert(sizeof(NotifyRecord) == 88, "the notification record is 88 bytes");
static_assert(offsetof(NotifyRecord, hWnd) == 4 && offsetof(NotifyRecord, uID) == 8 &&
                  offsetof(NotifyRecord, uFlags) == 12 && offsetof(NotifyRecord, uCallbackMessage) == 16 &&
                  offsetof(NotifyRecord, hIcon) == 20 && offsetof(NotifyRecord, szTip) == 24,
              "field offsets of the notification record");

// The tip: "ドリモ玉" in code page 932, then zero bytes to 64.
extern const CHAR kTrayTip[64];

// Fills the whole record for an add request.
void fill_notify_record(NotifyRecord& record, HWND window, HICON icon);

// Shell_NotifyIconA with the record; the result is returned for the tests,
// the program does not act on it.
BOOL notify_icon(DWORD request, NotifyRecord& record);

}  // namespace dorimo
