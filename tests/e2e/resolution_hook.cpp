// Loaded into the program by a test's message hook: a change of resolution
// delivered as the system delivers it, sent within the window's own thread
// with a suggested rectangle in the program's memory. The test posts the
// registered message "dorimo test: resolution" with the new resolution in
// wParam; the window is to move by the offset in lParam (x, y).
#include <windows.h>

static const UINT request = RegisterWindowMessageA("dorimo test: resolution");

static void change(HWND window, WPARAM dpi, LPARAM offset) {
    RECT r;
    GetWindowRect(window, &r);
    OffsetRect(&r, static_cast<short>(LOWORD(offset)), static_cast<short>(HIWORD(offset)));
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
}

extern "C" __declspec(dllexport) LRESULT CALLBACK change_resolution(int code, WPARAM wparam, LPARAM lparam) {
    MSG* msg = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE && msg->message == request) {
        msg->message = WM_NULL;
        change(msg->hwnd, msg->wParam, msg->lParam);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The same while the window handles the request sent from another process,
// as when another program moves the window to a screen of another resolution.
extern "C" __declspec(dllexport) LRESULT CALLBACK change_resolution_when_sent(int code, WPARAM wparam, LPARAM lparam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && !wparam && sent->message == request) change(sent->hwnd, sent->wParam, sent->lParam);
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
