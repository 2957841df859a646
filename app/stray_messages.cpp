#include "stray_messages.h"

namespace dorimo {
namespace {

bool destroying = false;  // in destroy_own_window

// Messages whose meaning or parameters hold only within this thread:
// creation and destruction, the new resolution's rectangle, an edit box's
// text memory and word-break function, a drop-down list's record, and the
// redraw switch, which only the window's own code turns (sent by another
// program, it would hide the window and stop its painting).
bool only_from_this_thread(UINT message) {
    switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_DPICHANGED:
    case WM_SETREDRAW:
    case EM_SETHANDLE:
    case EM_SETWORDBREAKPROC:
    case CB_GETCOMBOBOXINFO: return true;
    default: return false;
    }
}

}  // namespace

// The system sends these and never posts them. Posted, a show notice would
// hide the window.
bool never_posted(UINT message) {
    switch (message) {
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
    case WM_SHOWWINDOW: return true;
    default: return only_from_this_thread(message);
    }
}

namespace {

LRESULT CALLBACK drop_posted(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION) {
        MSG& msg = *reinterpret_cast<MSG*>(lparam);
        if (never_posted(msg.message)) msg.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

void drop_stray_messages() { SetWindowsHookExA(WH_GETMESSAGE, drop_posted, nullptr, GetCurrentThreadId()); }

bool sent_from_elsewhere(UINT message) {
    if (destroying && (message == WM_DESTROY || message == WM_NCDESTROY)) return false;
    return only_from_this_thread(message) && InSendMessageEx(nullptr) != ISMEX_NOSEND;
}

void destroy_own_window(HWND window) {
    const bool outer = destroying;
    destroying = true;
    DestroyWindow(window);
    destroying = outer;
}

}  // namespace dorimo
