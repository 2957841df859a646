// Names and descriptions for screen readers.
#pragma once

#include <windows.h>

#include "layout.h"

namespace dorimo {

// Gives a control the name and description a screen reader asks for: the
// component's reader name (followed by the control's caption for a button or
// check box) and its hint. The control answers a reader's request for its
// object (WM_GETOBJECT, OBJID_CLIENT) with the system's standard object for
// it, of which it answers the name and the description itself; role, state,
// value, actions and the rest stay the system's. Labels keep the system's
// names. Lasts as long as the control; a null control is left alone, and
// so is a control that has its names already.
void name_for_readers(HWND control, const ControlSpec& component);

}  // namespace dorimo
