// Messages from other threads and processes. Any program of the session may
// post or send any message to any window; the main window and its controls
// take from elsewhere only what the rule (taken_from_elsewhere) lets through.
#pragma once

#include <windows.h>

namespace dorimo {

// The rule: from another thread or process, the main window and its controls
// take only what a keyboard, a mouse, a screen reader or an automation tool
// sends, and the notices the system sends every window:
// - keys and characters (an input method's too) and the mouse;
// - reading a control and changing what a user can change in it: its text,
//   check, click, selected item, the selection in its text, its list opened
//   or closed, scrolling, the clipboard's editing commands;
// - a screen reader's request for an object (WM_GETOBJECT);
// - closing, the system menu's commands, and commands as a control sends
//   them to the window;
// - what the system sends a window that another program moves, sizes,
//   shows, minimises, restores or activates (the taskbar, a window manager);
// - the system's notices (the end of the session, changes of settings,
//   colours, theme, time and screens, another program's activation, a change
//   of resolution, whose parameters are not taken on trust), and the timer
//   ticks and paint requests the system posts to the thread's own windows;
// - the window's own messages that others send it (take_from_elsewhere):
//   the notification icon's, another start's show request, the shell's
//   TaskbarCreated.
// Nothing else, and above all none of the controls' own private messages:
// many of them carry a pointer into the receiving process, which another
// process can only forge. The system carries the pointers of the messages
// above between processes (or refuses to post them), so none of those can
// point into this one from elsewhere.
bool taken_from_elsewhere(UINT message);

// Clears the parameters of a message from elsewhere that the rule takes but
// whose parameters only the system can give: a paint request's device
// context (the system's has none) and a change of resolution's rectangle.
void clear_untrusted(UINT message, WPARAM& wparam, LPARAM& lparam);

// Adds one of the window's own messages that other programs send it.
void take_from_elsewhere(UINT message);

// Puts the main window under the rule: a posted message at once, a sent one
// through its own procedure (sent_from_elsewhere).
void guard_window(HWND window);

// Puts a control (and the parts of a drop-down list, its box and its list)
// under the rule: a posted message at once, a sent one once guard_from_now_on has
// put a procedure in front of the control's own.
void guard_control(HWND control);

// From now on, the rule holds for sent messages to the guarded controls and
// for posted ones in every message loop of the thread (its own, a message
// box's, the file dialog's); and a message that only the system may send
// (creation and destruction, a change of resolution, the end of the session,
// showing; an edit box's text memory and word-break function) is dropped
// when it is posted to any other window of the thread. Set after the first
// paint: the hooks slow every message down, and with them a start.
void guard_from_now_on();

// A posted message as the thread's message loops take it, its untrusted
// parameters cleared; false when it is dropped (the hook then makes it
// WM_NULL). Until guard_from_now_on, the program's own loop asks this.
bool take_posted(MSG& msg);

// True when the message that now arrives at a guarded window's procedure was
// sent from another thread or process. Asked first thing in the procedure.
bool sent_from_elsewhere(HWND window, UINT message);

// Destroys one of this thread's windows. The destruction messages that it
// and its controls get meanwhile are the program's own, also when a message
// that another program sent (a close, say) is being handled.
void destroy_own_window(HWND window);

}  // namespace dorimo
