// Messages from other threads and processes. Any program of the session may
// post or send any message to any window; every window the program's code
// makes (its window, its controls, its boxes) takes from elsewhere only what
// the rule (kRules in the source) lets through, from its creation on. The
// windows and timers of the system's parts in the thread are theirs.
#pragma once

#include <windows.h>

namespace dorimo {

// What a message from another thread or process gets, by its id. The rule's
// shape: below WM_USER, the system's own ids, everything the system itself
// posts or sends (input of every kind, its notices, what screen readers,
// automation tools and window managers send) is taken, but for the few ids
// that carry what only the thread itself can give (pointers into its memory,
// handles of its own, its windows' creation and destruction); the controls'
// own messages, below WM_USER too, are taken only where they read a control
// or change it as a user can; everything from WM_USER up (the controls'
// private ranges, WM_APP, registered ids) is refused, but for the window's
// own messages that others send it (take_from_elsewhere).
enum class From : unsigned char {
    Taken,    // taken
    Input,    // a user's input: taken, but not by a box a user cannot use (disabled)
    Change,   // a change of text or state: taken, but not by a box a user cannot change
    Cleared,  // taken, with the parameters only the system can give cleared
    Sent,     // taken when sent; when posted, to any window of the thread, dropped
    Never,    // refused; when posted, to any window of the thread, dropped
    Refused,  // refused by the program's windows
};
From rule_for(UINT message);

// What a user can do with a control: anything, anything but change its
// caption (buttons, labels, check boxes, the windows' and boxes' captions: a
// text no user types), read it only (the log), or nothing at all (the
// disabled boxes of a slot's last and next runs, which the system gives no
// input either).
enum class Lock : unsigned char { None, Caption, ReadOnly, Disabled };

// Whether a window of the program takes the message from elsewhere.
bool taken_from_elsewhere(UINT message, Lock lock = Lock::None);

// Clears the parameters of a message from elsewhere that the rule takes but
// whose parameters only the system can give: a paint request's device
// context, a change of resolution's rectangle, a timer message's procedure.
// Only messages to the program's own windows come here, and the program sets
// no timer procedure: on its windows a timer message's procedure is never
// one it set (its own timers carry none), and none is ever called.
void clear_untrusted(UINT message, WPARAM& wparam, LPARAM& lparam);

// Adds one of the window's own messages that other programs send it.
void take_from_elsewhere(UINT message);

// Puts a top-level window of the program under the rule from its creation:
// a posted message at once, a sent one through its own procedure, which asks
// sent_from_elsewhere first thing. Its caption takes no change from elsewhere.
void guard_window(HWND window);

// Puts a control (and the parts of a drop-down list, its box and its list)
// under the rule: a procedure in front of its own takes a sent message, the
// message loops a posted one.
void guard_control(HWND control, Lock lock = Lock::None);

// From now on, the rule holds for posted messages in every message loop of
// the thread (its own, a box's, the file dialog's, the system's move, size
// and menu loops), and each sent message's sender is told exactly. Set at the
// first of: the first paint, a box or dialog, a modal loop, the first message
// sent from elsewhere. Set at the start, the hooks would slow every message
// of the start down; until then the program's own loop asks take_posted.
void guard_from_now_on();

// Made right around the program's own MessageBox call: while it lives, the
// rule holds in every loop, and the box that the call makes is under it from
// its creation, with its button, text and icon. The box is told from the
// rest of what the thread makes meanwhile by what MessageBox makes: a dialog
// of class "#32770", the first one, and child windows of that dialog. The
// hidden windows that the system's parts make when the box is the thread's
// first active window (COM's, an input method's, the text services') are
// top-level windows of other classes, or owned pop-ups, never the box's
// children: they stay outside the rule.
class BoxUnderTheRule {
public:
    BoxUnderTheRule();
    ~BoxUnderTheRule();
    BoxUnderTheRule(const BoxUnderTheRule&) = delete;
    BoxUnderTheRule& operator=(const BoxUnderTheRule&) = delete;

private:
    HHOOK creation_;
    HWND outer_box_;  // the box of a BoxUnderTheRule around this one, if any
};

// A posted message as the thread's message loops take it; false when it is
// dropped (the hook then makes it WM_NULL). A message to one of the
// program's windows is taken as the rule says, its untrusted parameters
// cleared; a quit only when the program itself ended its loops
// (end_own_loops); anything else (the system's hidden windows in the thread,
// a message to the thread itself, a timer's with its procedure among them)
// as it came. Until guard_from_now_on, the program's own loop asks this.
bool take_posted(MSG& msg);

// Ends the thread's message loops: PostQuitMessage, and from now on a quit
// is the program's own. A quit that another program posts to the thread or a
// window ends no loop and dismisses no box.
void end_own_loops(int exit_code);

// True when the message that now arrives at a guarded window's procedure was
// sent from another thread or process. Asked first thing in the procedure.
bool sent_from_elsewhere(HWND window, UINT message);

// Asked first thing in a guarded window's procedure: true when the message
// now arriving comes from elsewhere and the rule refuses it, for what a user
// can do with the window (the procedure then answers 0); the parameters of
// one it takes are cleared as need be.
bool refused_here(HWND window, UINT message, WPARAM& wparam, LPARAM& lparam);

// Destroys one of this thread's windows. The destruction messages that it
// and its controls get meanwhile are the program's own, also when a message
// that another program sent (a close, say) is being handled.
void destroy_own_window(HWND window);

}  // namespace dorimo
