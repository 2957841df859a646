// Messages from other programs that only the system may send: posted ones
// are dropped before any message loop of the thread dispatches them, and
// sent ones are told apart where they arrive.
#pragma once

#include <windows.h>

namespace dorimo {

// True for a message that the system only ever sends (creation and
// destruction, a change of resolution, the end of the session, showing and
// redrawing, an edit box's text memory and word-break function): posted,
// it comes from another program and is dropped.
bool never_posted(UINT message);

// From now on, this thread's message loops (its own, a message box's, the
// file dialog's) see WM_NULL in place of a posted message that the system
// only ever sends (creation and destruction, a change of resolution, the
// end of the session, showing and redrawing) or that only this thread may send (an edit box's text
// memory and word-break function). Any program may post these to any window.
void drop_stray_messages();

// True for a message that means something only when this thread sends it
// (creation, destruction, a change of resolution, an edit box's text memory
// and word-break function: parameters that point into this process) and
// that was sent from another thread or process: it must be ignored.
bool sent_from_elsewhere(UINT message);

// Destroys one of this thread's windows. The destruction messages that it
// and its controls get meanwhile are the system's, also when a message that
// another program sent (a close, say) is being handled: InSendMessageEx
// tells of that outer message until it is answered.
void destroy_own_window(HWND window);

}  // namespace dorimo
