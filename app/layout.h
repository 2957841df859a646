// The main window's components: kinds, positions, texts, in creation order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace dorimo {

enum class Kind { Label, Check, Combo, Edit, ReadOnlyEdit, Button, BitBtn, Memo, Timer, OpenDialog };

// One component of the window, as laid out at 96 pixels per inch.
struct ControlSpec {
    std::string name;
    Kind kind = Kind::Label;
    int left = 0, top = 0, width = 0, height = 0;
    std::string text;
    bool bold = false;
    COLORREF colour = CLR_INVALID;  // CLR_INVALID: the window-text colour
    int font_height = 12;
    int text_limit = 0;  // characters that can be typed; 0: no limit of ours
    std::string hint;    // attached, never shown; a screen reader's description
    // What a screen reader calls the control (its accessible name): the slot
    // and what the control is. A button's or check box's name ends in its
    // caption, so that the toggle's follows it. Empty for the labels, which
    // their own texts name.
    std::string reader_name;
    std::vector<std::string> items;
    // The widest text the box has to show whole, each digit written as "0"
    // (any digit may stand there); empty for boxes without such a text.
    std::string shows_whole;
};

// The window's components in creation order: labels, then the tab order,
// then the timers and dialogs. Component i has the control id 100 + i.
std::vector<ControlSpec> form_layout();

constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL

}  // namespace dorimo
