#include "stray_messages.h"

#include <algorithm>
#include <map>
#include <vector>

namespace dorimo {
namespace {

constexpr UINT WM_SYSTIMER = 0x0118;  // the system's own timers, a caret's blink among them

bool in(UINT message, UINT first, UINT last) { return message >= first && message <= last; }

// Whether a table of message ids holds the message. The ids the system
// defines all fit in a WORD, as the tables' initialisation checks.
template <std::size_t N>
bool listed(UINT message, const WORD (&messages)[N]) {
    return std::find(messages, messages + N, message) != messages + N;
}

// Keys and characters, an input method's among them, and the mouse. None of
// them carries a pointer.
bool keyboard_or_mouse(UINT message) {
    if (in(message, WM_KEYFIRST, WM_KEYLAST) || in(message, WM_IME_STARTCOMPOSITION, WM_IME_KEYLAST) ||
        in(message, WM_MOUSEFIRST, WM_MOUSELAST) || in(message, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK) ||
        in(message, WM_NCMOUSEHOVER, WM_MOUSELEAVE))
        return true;
    static constexpr WORD messages[] = {
        WM_IME_SETCONTEXT, WM_IME_NOTIFY, WM_IME_COMPOSITIONFULL, WM_IME_SELECT, WM_IME_CHAR, WM_IME_KEYDOWN,
        WM_IME_KEYUP, WM_INPUTLANGCHANGEREQUEST, WM_INPUTLANGCHANGE, WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEACTIVATE,
        WM_CONTEXTMENU, WM_CANCELMODE
    };
    return listed(message, messages);
}

// What a screen reader or an automation tool reads of a control or changes
// in it as a user can: text, check, click, selected item, the selection in
// the text, the list opened, scrolling, the clipboard's editing commands.
bool reading_or_user_change(UINT message) {
    static constexpr WORD messages[] = {
        WM_GETOBJECT, WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH, WM_GETFONT, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR,
        WM_UNDO, WM_HSCROLL, WM_VSCROLL,
        BM_GETCHECK, BM_SETCHECK, BM_GETSTATE, BM_SETSTATE, BM_CLICK,
        EM_GETSEL, EM_SETSEL, EM_GETRECT, EM_SCROLL, EM_LINESCROLL, EM_SCROLLCARET, EM_GETMODIFY, EM_GETLINECOUNT,
        EM_LINEINDEX, EM_LINELENGTH, EM_REPLACESEL, EM_GETLINE, EM_GETLIMITTEXT, EM_CANUNDO, EM_UNDO, EM_LINEFROMCHAR,
        EM_GETFIRSTVISIBLELINE, EM_POSFROMCHAR, EM_CHARFROMPOS,
        CB_GETEDITSEL, CB_SETEDITSEL, CB_GETCOUNT, CB_GETCURSEL, CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_FINDSTRING,
        CB_FINDSTRINGEXACT, CB_SELECTSTRING, CB_SETCURSEL, CB_SHOWDROPDOWN, CB_GETDROPPEDSTATE,
        CB_GETDROPPEDCONTROLRECT, CB_GETITEMHEIGHT, CB_GETTOPINDEX,
        LB_GETCOUNT, LB_GETCURSEL, LB_SETCURSEL, LB_GETTEXT, LB_GETTEXTLEN, LB_GETTOPINDEX, LB_GETITEMRECT,
        LB_GETITEMHEIGHT, LB_GETSEL, LB_GETCARETINDEX, LB_ITEMFROMPOINT, LB_FINDSTRING, LB_FINDSTRINGEXACT
    };
    return listed(message, messages);
}

// Closing and commands, and the notices the system sends to every window or
// posts to the thread's own.
bool command_or_notice(UINT message) {
    static constexpr WORD messages[] = {
        WM_NULL, WM_CLOSE, WM_SYSCOMMAND, WM_COMMAND, WM_GETICON, WM_QUERYENDSESSION, WM_ENDSESSION, WM_ACTIVATEAPP,
        WM_SETTINGCHANGE, WM_SYSCOLORCHANGE, WM_THEMECHANGED, WM_TIMECHANGE, WM_FONTCHANGE, WM_DISPLAYCHANGE,
        WM_DPICHANGED, WM_TIMER, WM_SYSTIMER, WM_PAINT
    };
    return listed(message, messages);
}

// What the system sends a window that another program moves, sizes, shows,
// minimises, restores or activates (the taskbar, a window manager, a snap
// tool): the window's place and frame, its focus and activation. The system
// carries their records between processes, and posting them from elsewhere
// it refuses, or they carry a handle the system checks.
bool moved_shown_or_activated(UINT message) {
    static constexpr WORD messages[] = {
        WM_MOVE, WM_SIZE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_ERASEBKGND, WM_SHOWWINDOW, WM_QUERYOPEN,
        WM_CHILDACTIVATE, WM_GETMINMAXINFO, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_STYLECHANGING,
        WM_STYLECHANGED, WM_NCCALCSIZE, WM_NCPAINT, WM_NCACTIVATE, WM_SYNCPAINT, WM_CAPTURECHANGED
    };
    return listed(message, messages);
}

std::vector<UINT>& own_messages() {
    static std::vector<UINT> messages;
    return messages;
}

// Messages that the system only ever sends, and that mean something only
// when it sends them within this thread: creation and destruction, the new
// resolution's rectangle, the end of the session, showing, an edit box's
// text memory and word-break function, a drop-down list's record, and the
// redraw switch, which only a window's own code turns. Posted to any window
// of the thread, they come from another program.
bool never_posted(UINT message) {
    static constexpr WORD messages[] = {
        WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY, WM_DPICHANGED, WM_QUERYENDSESSION, WM_ENDSESSION,
        WM_SHOWWINDOW, WM_SETREDRAW,
        EM_SETHANDLE, EM_SETWORDBREAKPROC,
        CB_GETCOMBOBOXINFO
    };
    return listed(message, messages);
}

// The guarded windows; for a control, its own procedure once one is in front.
struct Guarded {
    bool control = false;
    WNDPROC own = nullptr;
};
// A table of the program's own: under Wine a window's properties or user
// data cost a trip to the server at every message.
std::map<HWND, Guarded>& guarded() {
    static std::map<HWND, Guarded> table;
    return table;
}

bool hooked = false;      // guard_from_now_on has run
bool destroying = false;  // in destroy_own_window

// The last message sent to a window of the thread from another thread, as
// the system tells it before the window's procedures get it; each message a
// procedure tells apart so. The thread's InSendMessageEx cannot tell: it
// keeps telling of a message from elsewhere while the thread handles it,
// also of every message that the thread sends meanwhile, the system's own
// among them.
struct Sent {
    HWND window = nullptr;
    UINT message = 0;
} from_elsewhere;

LRESULT CALLBACK note_sender(int code, WPARAM by_this_thread, LPARAM lparam) {
    if (code == HC_ACTION && !by_this_thread) {
        const CWPSTRUCT& sent = *reinterpret_cast<const CWPSTRUCT*>(lparam);
        from_elsewhere = {sent.hwnd, sent.message};
    }
    return CallNextHookEx(nullptr, code, by_this_thread, lparam);
}

LRESULT CALLBACK screen_posted(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION) {
        MSG& msg = *reinterpret_cast<MSG*>(lparam);
        if (!take_posted(msg)) msg.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The procedure in front of a guarded control's own, in the control's
// character set (so that putting it there changes neither what the window is
// nor a message on the way through).
LRESULT guard_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam, bool wide) {
    if (sent_from_elsewhere(control, message)) {
        if (!taken_from_elsewhere(message)) return 0;
        clear_untrusted(message, wparam, lparam);
    }
    const auto found = guarded().find(control);
    WNDPROC own = found != guarded().end() ? found->second.own : nullptr;
    if (!own) own = wide ? DefWindowProcW : DefWindowProcA;
    if (message == WM_NCDESTROY && found != guarded().end()) {  // the last message the control gets
        if (wide) SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        else SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        guarded().erase(found);
    }
    return wide ? CallWindowProcW(own, control, message, wparam, lparam)
                : CallWindowProcA(own, control, message, wparam, lparam);
}
LRESULT CALLBACK guard_procedure_a(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    return guard_procedure(control, message, wparam, lparam, false);
}
LRESULT CALLBACK guard_procedure_w(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    return guard_procedure(control, message, wparam, lparam, true);
}

}  // namespace

bool taken_from_elsewhere(UINT message) {
    return keyboard_or_mouse(message) || reading_or_user_change(message) || command_or_notice(message) ||
           moved_shown_or_activated(message) || std::find(own_messages().begin(), own_messages().end(), message) != own_messages().end();
}

void clear_untrusted(UINT message, WPARAM& wparam, LPARAM& lparam) {
    if (message == WM_PAINT) wparam = 0, lparam = 0;
    if (message == WM_DPICHANGED) lparam = 0;
}

void take_from_elsewhere(UINT message) { own_messages().push_back(message); }

void guard_window(HWND window) { guarded()[window]; }

void guard_control(HWND control) {
    if (!control || guarded().count(control)) return;
    guarded()[control].control = true;
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (GetComboBoxInfo(control, &parts)) {  // a drop-down list: its box and its list are windows of their own
        guard_control(parts.hwndItem);
        guard_control(parts.hwndList);
    }
    if (hooked) guard_from_now_on();
}

void guard_from_now_on() {
    for (auto& [window, guard] : guarded()) {
        if (!guard.control || guard.own) continue;
        guard.own = reinterpret_cast<WNDPROC>(
            IsWindowUnicode(window)
                ? SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(guard_procedure_w))
                : SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(guard_procedure_a)));
    }
    if (hooked) return;
    hooked = true;
    SetWindowsHookExA(WH_GETMESSAGE, screen_posted, nullptr, GetCurrentThreadId());
    SetWindowsHookExA(WH_CALLWNDPROC, note_sender, nullptr, GetCurrentThreadId());
}

bool take_posted(MSG& msg) {
    if (never_posted(msg.message)) return false;
    if (msg.hwnd && guarded().count(msg.hwnd) && !taken_from_elsewhere(msg.message)) return false;
    clear_untrusted(msg.message, msg.wParam, msg.lParam);
    return true;
}

bool sent_from_elsewhere(HWND window, UINT message) {
    // Until the hooks are set (the window not yet painted), the thread's
    // InSendMessageEx tells, but for the window's own destruction.
    if (!hooked) return !destroying && InSendMessageEx(nullptr) != ISMEX_NOSEND;
    if (from_elsewhere.window != window || from_elsewhere.message != message) return false;
    from_elsewhere = {};
    return true;
}

void destroy_own_window(HWND window) {
    const bool outer = destroying;
    destroying = true;
    DestroyWindow(window);
    destroying = outer;
}

}  // namespace dorimo
