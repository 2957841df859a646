// How the window's components look. Their controls' classes and styles.
// Fonts: one face, found once; each
// height, boldness and character width made once; texts measured on one
// memory device context; boxes whose widest text would not show whole get the
// face condensed. Colours: the text and background of labels, check boxes,
// the log and the disabled boxes.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "layout.h"

namespace dorimo {

class Fonts {
public:
    // scale: the window font's character height in pixels (12 at 96 pixels
    // per inch), which every height is scaled by. face: the face to use; when
    // empty, the window font's face or the first Japanese substitute present.
    // condensed: the character widths boxes were found to need, as fitted()
    // gave them, to use without measuring again.
    explicit Fonts(int scale, std::string face = "", std::vector<int> condensed = {});
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    const std::string& face() const { return face_; }
    // char_width 0: the face's own.
    HFONT get(int height, bool bold, int char_width = 0);
    int text_width(HFONT font, const std::string& text);
    int line_height(HFONT font);  // the font's own character cell height

    // The font a component is made with: the window font at its height and
    // boldness, condensed where its kind of box was found to need it.
    HFONT font_for(const ControlSpec& component);
    // Measures the first box of each kind (an edit box or a drop-down list's)
    // once it is made: when its widest text does not show whole in its font,
    // it gets the same face and height with narrower characters, as wide as
    // they can be with the text whole and room for the caret after it. The
    // boxes of the same kind and size made after it get that font from
    // font_for.
    void fit_widest_text(HWND control, const ControlSpec& component);
    // The character width each kind of box ended up with (0: its own), in
    // the order the kinds were first made.
    std::vector<int> fitted() const;
    // The width of a box's widest text in a font, as the box draws it.
    int widest_text_width(HFONT font, std::string pattern);

private:
    using BoxKind = std::tuple<Kind, int, int, bool, std::string>;
    static BoxKind box_kind(const ControlSpec& component);
    const int* known_width(const ControlSpec& component);

    int scale_;
    std::string face_;
    HDC dc_;
    std::map<std::tuple<int, bool, int>, HFONT> fonts_;  // by height, boldness and character width
    std::vector<std::pair<BoxKind, int>> fitted_;  // in the order the kinds were first made
    std::vector<int> condensed_;                   // given widths not yet taken by a kind
};

// A run box's date and time read apart. The edit box draws the font's own
// blank between them, in a condensed font no wider than the room between two
// digits; this subclass procedure of the previous- and next-run boxes draws
// their text with that blank at least `least_blank` pixels wide, its subclass
// data. The text itself stays the box's own.
LRESULT CALLBACK draw_date_and_time_apart(HWND box, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR least_blank);
// That least width at a character height: a third of it, 4 pixels at 96
// pixels per inch.
constexpr int least_blank(int font_height) { return font_height / 3; }

// A drop-down list's box holds two digits: no margins.
void set_no_margins(HWND edit);

// The window class, styles and height (in layout pixels) a component's
// control is made with; a drop-down list's height takes in its list below
// the box. Timers and the file dialog have no control: a null class.
struct ControlClass {
    const char* name;
    DWORD style;
    DWORD ex_style;
    int height;
};
ControlClass control_class(const ControlSpec& component);

// The colours a static-coloured control is drawn in (WM_CTLCOLORSTATIC):
// each text in the scheme's text colour for its background, so that it shows
// in any colour scheme; the two coloured day headings keep their colour
// where it can be read (readable_colour). component: null for a control not
// in the layout.
struct StaticColours {
    COLORREF text;
    int background;  // a system colour index
};
StaticColours static_colours(const ControlSpec* component);

// A text's own colour where it can be read on its background: where its
// contrast with it is at least 4.5 to 1 (by relative luminance, as WCAG
// measures it) and high contrast is off; the scheme's text colour otherwise.
COLORREF readable_colour(COLORREF own, COLORREF background, COLORREF scheme_text, bool high_contrast);

// Where a check box without a caption draws its box, in its client pixels
// (empty when it draws none): drawn into a bitmap and found there, as the
// systems place it differently (Wine one pixel above the middle).
RECT drawn_box(HWND check);

// The focus mark of a check box without a caption, where the system draws
// the focus around the caption alone: a frame of the given thickness around
// the box, in the colour of the selected item (high contrast's own in that
// mode), drawn by each window it passes over.
void draw_focus_mark(HDC dc, const RECT& box, int thickness);

}  // namespace dorimo
