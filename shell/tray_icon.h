// The notification-area icon: the notification record and the shell
// requests made with it.
#pragma once

#include <windows.h>

#include <cstddef>

namespace dorimo {

constexpr UINT kTrayIconId = 92;
constexpr UINT WM_TRAYICON = WM_USER + 200;  // 1224

// NOTIFYICONDATA in its Windows 2000 form, 488 bytes: the smallest in which
// the icon can ask for the shell's behaviour that tells a keyboard selection
// (uVersion).
struct NotifyRecord {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    CHAR szInfo[256];
    UINT uVersion;
    CHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};
static_assert(sizeof(NotifyRecord) == 488, "the notification record is 488 bytes");
static_assert(offsetof(NotifyRecord, hWnd) == 4 && offsetof(NotifyRecord, uID) == 8 &&
                  offsetof(NotifyRecord, uFlags) == 12 && offsetof(NotifyRecord, uCallbackMessage) == 16 &&
                  offsetof(NotifyRecord, hIcon) == 20 && offsetof(NotifyRecord, szTip) == 24 &&
                  offsetof(NotifyRecord, uVersion) == 416,
              "field offsets of the notification record");

// The tip: "ドリモ玉" in code page 932, then zero bytes to 64.
extern const CHAR kTrayTip[64];

// Fills the whole record for an add request.
void fill_notify_record(NotifyRecord& record, HWND window, HICON icon);

// Shell_NotifyIconA with the record; the result is returned for the tests,
// the program does not act on it.
BOOL notify_icon(DWORD request, NotifyRecord& record);

// Adds the icon and asks for the behaviour in which the shell tells the
// program that the icon was chosen with the keyboard (NIN_KEYSELECT), which
// an icon asks for anew with each add. Without it, Enter or Space on the icon
// sends right-button messages.
void add_notify_icon(NotifyRecord& record);

}  // namespace dorimo
