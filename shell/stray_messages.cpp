#include "stray_messages.h"

#include <algorithm>
#include <iterator>

namespace dorimo {
namespace {

constexpr UINT WM_SYSTIMER = 0x0118;  // the system's own timers, a caret's blink among them

// The rule: each row an id, the number of ids after it in its range, and
// what a message of them from elsewhere gets. The first row that holds an id
// decides; an id that no row holds is refused: from WM_USER up, the
// controls' private ranges, WM_APP and registered ids. Below WM_USER the rows
// cover every id, so that taking what the system sends is said row by row,
// and refusing an id of it is a row with its reason.
struct Rule {
    WORD first;
    BYTE more;
    From from;
};
constexpr Rule kRules[] = {
    {0x0000, 0x00, From::Taken},    // WM_NULL: a probe whether the window answers
    {0x0001, 0x01, From::Never},    // WM_CREATE, WM_DESTROY: the window's own creation and end
    {0x0003, 0x05, From::Taken},    // moved, sized, activated, focused (window managers, the taskbar)
    {0x0009, 0x01, From::Taken},    // WM_ENABLE: a notice
    {0x000B, 0x00, From::Never},    // WM_SETREDRAW: only the window's own code turns its painting off
    {0x000C, 0x00, From::Change},   // WM_SETTEXT: a text set as a user types it (automation)
    {0x000D, 0x01, From::Taken},    // WM_GETTEXT, WM_GETTEXTLENGTH: read by screen readers
    {0x000F, 0x00, From::Cleared},  // WM_PAINT: its device context the system's (none)
    {0x0010, 0x00, From::Taken},    // WM_CLOSE: as the taskbar or a user's tool closes
    {0x0011, 0x00, From::Sent},     // WM_QUERYENDSESSION: the system sends it
    {0x0012, 0x00, From::Refused},  // WM_QUIT: only the thread itself ends its loops
    {0x0013, 0x02, From::Taken},    // WM_QUERYOPEN, WM_ERASEBKGND, WM_SYSCOLORCHANGE
    {0x0016, 0x00, From::Sent},     // WM_ENDSESSION: the system sends it
    {0x0017, 0x00, From::Taken},    // (the system's)
    {0x0018, 0x00, From::Sent},     // WM_SHOWWINDOW: sent as another program shows or hides the window
    {0x0019, 0x0E, From::Taken},    // settings, colours, time, fonts, activation, cursor, sizes: notices
    {0x0028, 0x00, From::Never},    // WM_NEXTDLGCTL: a dialog's own focus step
    {0x0029, 0x01, From::Taken},    // WM_SPOOLERSTATUS: a notice
    {0x002B, 0x04, From::Never},    // WM_DRAWITEM .. WM_CHARTOITEM: a control to its parent, pointers into it
    {0x0030, 0x00, From::Refused},  // WM_SETFONT: a font handle of this process's own
    {0x0031, 0x07, From::Taken},    // WM_GETFONT, hot keys, WM_QUERYDRAGICON: read or notices
    {0x0039, 0x00, From::Never},    // WM_COMPAREITEM: a control to its parent, pointers into it
    {0x003A, 0x13, From::Taken},    // WM_GETOBJECT (screen readers), WM_COPYDATA, window positions, power
    {0x004E, 0x00, From::Never},    // WM_NOTIFY: a control to its parent, a pointer into it
    {0x004F, 0x05, From::Taken},    // input languages, WM_TCARD, WM_HELP
    {0x0055, 0x00, From::Never},    // WM_NOTIFYFORMAT: between a window and its controls
    {0x0056, 0x29, From::Taken},    // WM_CONTEXTMENU, styles, WM_DISPLAYCHANGE, WM_GETICON
    {0x0080, 0x00, From::Refused},  // WM_SETICON: an icon handle of this process's own
    {0x0081, 0x01, From::Never},    // WM_NCCREATE, WM_NCDESTROY: the window's own creation and end
    {0x0083, 0x03, From::Taken},    // the frame: its size, hit test, painting, activation
    {0x0087, 0x00, From::Never},    // WM_GETDLGCODE: the dialog manager's, a pointer into the thread
    {0x0088, 0x00, From::Taken},    // WM_SYNCPAINT
    {0x0089, 0x16, From::Refused},  // the themed menu bar's, within the thread, pointers among them
    {0x00A0, 0x0F, From::Input},    // the mouse on the frame
    {0x00B0, 0x02, From::Taken},    // EM_GETSEL, EM_SETSEL, EM_GETRECT: read, select
    {0x00B5, 0x03, From::Taken},    // EM_SCROLL .. EM_GETMODIFY: scroll, read
    {0x00BA, 0x01, From::Taken},    // EM_GETLINECOUNT, EM_LINEINDEX
    {0x00C1, 0x00, From::Taken},    // EM_LINELENGTH
    {0x00C2, 0x00, From::Change},   // EM_REPLACESEL: typed text
    {0x00C4, 0x00, From::Taken},    // EM_GETLINE
    {0x00C6, 0x00, From::Taken},    // EM_CANUNDO
    {0x00C7, 0x00, From::Change},   // EM_UNDO: a user's undo
    {0x00C9, 0x00, From::Taken},    // EM_LINEFROMCHAR
    {0x00CE, 0x00, From::Taken},    // EM_GETFIRSTVISIBLELINE
    {0x00D5, 0x02, From::Taken},    // EM_GETLIMITTEXT, EM_POSFROMCHAR, EM_CHARFROMPOS
    {0x00BC, 0x00, From::Never},    // EM_SETHANDLE: the box's text memory, the thread's own
    {0x00D0, 0x00, From::Never},    // EM_SETWORDBREAKPROC: a procedure to call
    {0x00B0, 0x3F, From::Refused},  // the edit and scroll bar controls' own: what a user cannot do
    {0x00F0, 0x00, From::Taken},    // BM_GETCHECK
    {0x00F1, 0x00, From::Change},   // BM_SETCHECK: a check as a user checks
    {0x00F2, 0x00, From::Taken},    // BM_GETSTATE
    {0x00F3, 0x00, From::Input},    // BM_SETSTATE: pushed as a user pushes
    {0x00F5, 0x00, From::Input},    // BM_CLICK: a click
    {0x00F0, 0x0D, From::Refused},  // the buttons' own: styles, images
    {0x00FE, 0x01, From::Taken},    // WM_INPUT_DEVICE_CHANGE, WM_INPUT: raw input
    {0x0100, 0x0F, From::Input},    // keys, characters, an input method's composition
    {0x0110, 0x00, From::Never},    // WM_INITDIALOG: a dialog's own creation
    {0x0111, 0x01, From::Taken},    // WM_COMMAND, WM_SYSCOMMAND: as a control or the system menu sends
    {0x0113, 0x00, From::Cleared},  // WM_TIMER: its procedure cleared
    {0x0114, 0x01, From::Taken},    // WM_HSCROLL, WM_VSCROLL
    {0x0116, 0x01, From::Refused},  // WM_INITMENU, WM_INITMENUPOPUP: the thread's own menus
    {0x0118, 0x00, From::Cleared},  // the system's timers: their procedure cleared
    {0x0119, 0x01, From::Input},    // WM_GESTURE, WM_GESTURENOTIFY: touch gestures
    {0x011B, 0x03, From::Taken},    // (the system's)
    {0x011F, 0x07, From::Refused},  // the thread's own menus: WM_MENUSELECT .. WM_MENUCOMMAND, pointers among them
    {0x0127, 0x0A, From::Taken},    // keyboard cues: WM_CHANGEUISTATE, WM_UPDATEUISTATE, WM_QUERYUISTATE
    {0x0132, 0x06, From::Refused},  // WM_CTLCOLOR...: a control's device context, in the thread
    {0x0139, 0x06, From::Taken},    // (the system's)
    {0x0140, 0x00, From::Taken},    // CB_GETEDITSEL
    {0x0142, 0x00, From::Taken},    // CB_SETEDITSEL
    {0x0146, 0x03, From::Taken},    // CB_GETCOUNT, CB_GETCURSEL, CB_GETLBTEXT, CB_GETLBTEXTLEN
    {0x014C, 0x00, From::Taken},    // CB_FINDSTRING
    {0x014D, 0x01, From::Change},   // CB_SELECTSTRING, CB_SETCURSEL: an item chosen
    {0x014F, 0x00, From::Taken},    // CB_SHOWDROPDOWN: the list opened or closed
    {0x0152, 0x00, From::Taken},    // CB_GETDROPPEDCONTROLRECT
    {0x0154, 0x00, From::Taken},    // CB_GETITEMHEIGHT
    {0x0157, 0x01, From::Taken},    // CB_GETDROPPEDSTATE, CB_FINDSTRINGEXACT
    {0x015B, 0x00, From::Taken},    // CB_GETTOPINDEX
    {0x0164, 0x00, From::Never},    // CB_GETCOMBOBOXINFO: a pointer to write into
    {0x0186, 0x00, From::Change},   // LB_SETCURSEL: an item chosen
    {0x0187, 0x04, From::Taken},    // LB_GETSEL, LB_GETCURSEL, LB_GETTEXT, LB_GETTEXTLEN, LB_GETCOUNT
    {0x018E, 0x01, From::Taken},    // LB_GETTOPINDEX, LB_FINDSTRING
    {0x0198, 0x00, From::Taken},    // LB_GETITEMRECT
    {0x019F, 0x00, From::Taken},    // LB_GETCARETINDEX
    {0x01A1, 0x01, From::Taken},    // LB_GETITEMHEIGHT, LB_FINDSTRINGEXACT
    {0x01A9, 0x00, From::Taken},    // LB_ITEMFROMPOINT
    {0x0140, 0xBF, From::Refused},  // the lists', statics' and menus' own: items, handles, pointers
    {0x0200, 0x0F, From::Input},    // the mouse
    {0x0210, 0x00, From::Refused},  // WM_PARENTNOTIFY: the thread's own controls
    {0x0211, 0x02, From::Refused},  // the thread's own menu loop, WM_NEXTMENU's pointer
    {0x0214, 0x0B, From::Taken},    // moving and sizing, WM_POWERBROADCAST, WM_DEVICECHANGE: notices
    {0x0220, 0x10, From::Refused},  // the MDI's, pointers among them (the window is none)
    {0x0231, 0x02, From::Taken},    // WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE, WM_DROPFILES
    {0x0234, 0x03, From::Refused},  // WM_MDIREFRESHMENU
    {0x0238, 0x27, From::Input},    // pointer input: touch, pen, the mouse as a pointer (WM_POINTER..., WM_TOUCH)
    {0x0260, 0x20, From::Taken},    // (the system's)
    {0x0281, 0x01, From::Taken},    // WM_IME_SETCONTEXT, WM_IME_NOTIFY
    {0x0283, 0x00, From::Never},    // WM_IME_CONTROL: pointers into the thread
    {0x0284, 0x03, From::Input},    // an input method's: WM_IME_SELECT, WM_IME_CHAR ..
    {0x0288, 0x00, From::Never},    // WM_IME_REQUEST: pointers to write into
    {0x0289, 0x26, From::Input},    // an input method's keys, the mouse's hover and leave
    {0x02B0, 0x0F, From::Taken},    // WM_WTSSESSION_CHANGE: sessions
    {0x02C0, 0x1F, From::Input},    // pen and tablet (WM_TABLET_FIRST .. WM_TABLET_LAST)
    {0x02E0, 0x00, From::Sent},     // WM_DPICHANGED: the new resolution (its rectangle is cleared)
    {0x02E1, 0x1E, From::Taken},    // the resolution's other notices
    {0x0300, 0x00, From::Change},   // WM_CUT: a user's editing
    {0x0301, 0x00, From::Taken},    // WM_COPY: copied, as from the log
    {0x0302, 0x02, From::Change},   // WM_PASTE, WM_CLEAR, WM_UNDO: a user's editing
    {0x0305, 0x39, From::Taken},    // clipboard, palette, hot key, taskbar menu, printing, app commands, themes, compositor
    {0x033F, 0x00, From::Sent},     // WM_GETTITLEBARINFOEX: a record the system carries when sent
    {0x0340, 0x17, From::Taken},    // (the system's)
    {0x0358, 0x37, From::Refused},  // other programs' and frameworks' own (handheld, AFX, pen windows)
    {0x0390, 0x6F, From::Taken},    // DDE (broadcasts to every window) and the rest of the system's
};

// The window's own messages that other programs send it (a few, registered
// at its start); 0 where none is yet (WM_NULL, which the rule takes anyway).
UINT own_messages[8] = {};

// The guarded windows; for a control, its own procedure once one is in front.
struct Guarded {
    HWND window;
    Lock lock;
    WNDPROC own;
};
// A table of the program's own (a hundred and some windows, the window's
// controls and a box's): under Wine a window's properties or user data cost
// a trip to the server at every message.
constexpr std::size_t kMostGuarded = 512;
Guarded* guarded = nullptr;  // made with the first window
std::size_t guarded_count = 0;

// The window's entry; null for a window that is not guarded.
Guarded* guard_of(HWND window) {
    for (std::size_t i = 0; i < guarded_count; ++i)
        if (guarded[i].window == window) return &guarded[i];
    return nullptr;
}

// Puts a window into the table; false when it is full (it never is: the
// program makes its windows once).
bool add_guard(HWND window, Lock lock) {
    if (!guarded) guarded = new Guarded[kMostGuarded];
    if (guarded_count == kMostGuarded) return false;
    guarded[guarded_count++] = {window, lock, nullptr};
    return true;
}

bool hooked = false;      // guard_from_now_on has run
bool destroying = false;  // in destroy_own_window
bool quitting = false;    // end_own_loops has run
HWND own_box = nullptr;   // the box of the program's MessageBox call now running, once made

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

// A window made while the program's MessageBox call runs: the box (the
// first dialog of class "#32770") and its children are under the rule from
// their creation, their captions closed to changes from elsewhere; any other
// window is the system's (BoxUnderTheRule says which).
LRESULT CALLBACK guard_created(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND) {
        const HWND made = reinterpret_cast<HWND>(wparam);
        const CREATESTRUCTA& how = *reinterpret_cast<const CBT_CREATEWNDA*>(lparam)->lpcs;
        if (!own_box && GetClassLongA(made, GCW_ATOM) == 32770) own_box = made;  // the dialog class, #32770
        if (made == own_box || (own_box && (how.style & WS_CHILD) && how.hwndParent == own_box))
            guard_control(made, Lock::Caption);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The procedure in front of a guarded control's own, in the control's
// character set (so that putting it there changes neither what the window is
// nor a message on the way through).
LRESULT guard_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam, bool wide) {
    if (refused_here(control, message, wparam, lparam)) return 0;
    const Guarded* found = guard_of(control);
    WNDPROC own = found ? found->own : nullptr;
    if (!own) own = wide ? DefWindowProcW : DefWindowProcA;
    if (message == WM_NCDESTROY && found) {  // the last message the control gets
        if (wide) SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        else SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        guarded[found - guarded] = guarded[--guarded_count];
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

From rule_for(UINT message) {
    for (const Rule& rule : kRules)
        if (message - rule.first <= rule.more) return rule.from;  // unsigned: below the first is far above
    return From::Refused;
}

bool taken_from_elsewhere(UINT message, Lock lock) {
    if (std::find(std::begin(own_messages), std::end(own_messages), message) != std::end(own_messages)) return true;
    const From from = rule_for(message);
    return from == From::Taken || from == From::Cleared || from == From::Sent ||
           (from == From::Input && lock != Lock::Disabled) ||
           (from == From::Change && (lock == Lock::None || (lock == Lock::Caption && message != WM_SETTEXT)));
}

void clear_untrusted(UINT message, WPARAM& wparam, LPARAM& lparam) {
    if (message == WM_PAINT) wparam = 0, lparam = 0;
    if (message == WM_DPICHANGED || message == WM_TIMER || message == WM_SYSTIMER) lparam = 0;
}

void take_from_elsewhere(UINT message) {
    for (UINT& own : own_messages) {
        if (!own || own == message) {
            own = message;
            return;
        }
    }
}

void guard_window(HWND window) { add_guard(window, Lock::Caption); }

void guard_control(HWND control, Lock lock) {
    if (!control || guard_of(control) || !add_guard(control, lock)) return;
    guarded[guarded_count - 1].own = reinterpret_cast<WNDPROC>(
        IsWindowUnicode(control)
            ? SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(guard_procedure_w))
            : SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(guard_procedure_a)));
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (GetComboBoxInfo(control, &parts)) {  // a drop-down list: its box and its list are windows of their own
        guard_control(parts.hwndItem);
        guard_control(parts.hwndList);
    }
}

void guard_from_now_on() {
    if (hooked) return;
    hooked = true;
    SetWindowsHookExA(WH_GETMESSAGE, screen_posted, nullptr, GetCurrentThreadId());
    SetWindowsHookExA(WH_CALLWNDPROC, note_sender, nullptr, GetCurrentThreadId());
}

BoxUnderTheRule::BoxUnderTheRule() : outer_box_(own_box) {
    guard_from_now_on();
    own_box = nullptr;
    creation_ = SetWindowsHookExA(WH_CBT, guard_created, nullptr, GetCurrentThreadId());
}

BoxUnderTheRule::~BoxUnderTheRule() {
    if (creation_) UnhookWindowsHookEx(creation_);
    own_box = outer_box_;
}

bool take_posted(MSG& msg) {
    if (msg.message == WM_QUIT) return quitting;
    const Guarded* found = msg.hwnd ? guard_of(msg.hwnd) : nullptr;
    if (!found) return true;
    const From from = rule_for(msg.message);
    if (from == From::Sent || from == From::Never || !taken_from_elsewhere(msg.message, found->lock))
        return false;
    clear_untrusted(msg.message, msg.wParam, msg.lParam);
    return true;
}

void end_own_loops(int exit_code) {
    quitting = true;
    PostQuitMessage(exit_code);
}

bool sent_from_elsewhere(HWND window, UINT message) {
    if (!hooked) {
        // Until the hooks are set, the thread's InSendMessageEx tells of the
        // first message from elsewhere (but for the window's own
        // destruction); the hooks then tell of every later one.
        if (destroying || InSendMessageEx(nullptr) == ISMEX_NOSEND) return false;
        guard_from_now_on();
        return true;
    }
    if (from_elsewhere.window != window || from_elsewhere.message != message) return false;
    from_elsewhere = {};
    return true;
}

bool refused_here(HWND window, UINT message, WPARAM& wparam, LPARAM& lparam) {
    // A modal loop of the system's (a move, a menu): the rule holds there too.
    if (message == WM_ENTERMENULOOP || message == WM_ENTERSIZEMOVE) guard_from_now_on();
    if (!sent_from_elsewhere(window, message)) return false;
    // What a user can do with the window, as it was put under the rule (the
    // top-level windows' captions too).
    const Guarded* found = guard_of(window);
    if (!taken_from_elsewhere(message, found ? found->lock : Lock::None)) return true;
    clear_untrusted(message, wparam, lparam);
    return false;
}

void destroy_own_window(HWND window) {
    const bool outer = destroying;
    destroying = true;
    DestroyWindow(window);
    destroying = outer;
}

}  // namespace dorimo
