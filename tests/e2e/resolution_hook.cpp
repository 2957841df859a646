// Loaded into the program by a test's message hook: a change of resolution
// delivered as the system delivers it, sent within the window's own thread
// with a suggested rectangle in the program's memory. The test posts the
// registered message "dorimo test: resolution" with the new resolution in
// wParam; the window is to move by the offset in lParam (x, y).
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK change_resolution(int code, WPARAM wparam, LPARAM lparam) {
    static const UINT request = RegisterWindowMessageA("dorimo test: resolution");
    MSG* msg = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE && msg->message == request) {
        const WPARAM dpi = msg->wParam;
        const LPARAM offset = msg->lParam;
        msg->message = WM_NULL;
        RECT r;
        GetWindowRect(msg->hwnd, &r);
        OffsetRect(&r, static_cast<short>(LOWORD(offset)), static_cast<short>(HIWORD(offset)));
        SendMessageA(msg->hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
