#include "look.h"

#include <algorithm>
#include <utility>

#include "wide_text.h"

namespace dorimo {
namespace {

// Fonts are made by their UTF-16 face name: the system may read an 8-bit
// name in its own code page rather than the program's.
HFONT create_font(int height, int width, int weight, const std::string& face) {
    return CreateFontW(height, width, 0, 0, weight, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, widen(face).c_str());
}

// The window font's face, or the first Japanese substitute present.
std::string present_face(HDC dc) {
    static const char* const faces[] = {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAexGothic"};
    for (const char* face : faces) {
        HFONT f = create_font(-12, 0, FW_NORMAL, face);
        HGDIOBJ old = SelectObject(dc, f);
        wchar_t got[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, got);
        SelectObject(dc, old);
        DeleteObject(f);
        if (lstrcmpiW(got, widen(face).c_str()) == 0) return face;
    }
    return faces[0];
}

bool high_contrast() {
    HIGHCONTRASTA setting{};
    setting.cbSize = sizeof setting;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON);
}

// The width of the area an edit box draws its text in: its client area less
// its margins.
int text_area_width(HWND edit) {
    RECT area{};
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    return area.right - area.left;
}

}  // namespace

void set_no_margins(HWND edit) { SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0); }

Fonts::Fonts(int scale, std::string face, std::vector<int> condensed)
    : scale_(scale), face_(std::move(face)), dc_(CreateCompatibleDC(nullptr)), condensed_(std::move(condensed)) {
    if (face_.empty()) face_ = present_face(dc_);
}

Fonts::~Fonts() {
    for (auto& f : fonts_) DeleteObject(f.second);
    DeleteDC(dc_);
}

HFONT Fonts::get(int height, bool bold, int char_width) {
    HFONT& f = fonts_[{height, bold, char_width}];
    if (!f)
        f = create_font(-MulDiv(height, scale_, 12), char_width, bold ? FW_BOLD : FW_NORMAL, face_);
    return f;
}

int Fonts::text_width(HFONT font, const std::string& text) {
    HGDIOBJ old = SelectObject(dc_, font);
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc_, old);
    return size.cx;
}

int Fonts::line_height(HFONT font) {
    HGDIOBJ old = SelectObject(dc_, font);
    TEXTMETRICA m{};
    GetTextMetricsA(dc_, &m);
    SelectObject(dc_, old);
    return m.tmHeight;
}

// The width of a box's widest text in a font, as the box draws it: its
// pattern with each "0" as the font's widest digit, a blank in it at least
// least_blank wide.
int Fonts::widest_text_width(HFONT font, std::string pattern) {
    HGDIOBJ old = SelectObject(dc_, font);
    INT widths[10] = {};
    GetCharWidth32A(dc_, '0', '9', widths);
    SelectObject(dc_, old);
    char widest = '0';
    for (int d = 1; d < 10; ++d) {
        if (widths[d] > widths[widest - '0']) widest = static_cast<char>('0' + d);
    }
    for (char& c : pattern) {
        if (c == '0') c = widest;
    }
    int width = text_width(font, pattern);
    if (pattern.find(' ') != std::string::npos) width += std::max(0, least_blank(scale_) - text_width(font, " "));
    return width;
}

Fonts::BoxKind Fonts::box_kind(const ControlSpec& component) {
    return {component.kind, component.width, component.font_height, component.bold, component.shows_whole};
}

// The width the box's kind was found to need, taking the next given one for
// a kind not seen before; null when it is still to be measured.
const int* Fonts::known_width(const ControlSpec& component) {
    const BoxKind kind = box_kind(component);
    for (const auto& f : fitted_) {
        if (f.first == kind) return &f.second;
    }
    if (condensed_.empty()) return nullptr;
    fitted_.emplace_back(kind, condensed_.front());
    condensed_.erase(condensed_.begin());
    return &fitted_.back().second;
}

HFONT Fonts::font_for(const ControlSpec& component) {
    const int* width = component.shows_whole.empty() ? nullptr : known_width(component);
    return get(component.font_height, component.bold, width ? *width : 0);
}

void Fonts::fit_widest_text(HWND control, const ControlSpec& component) {
    if (component.shows_whole.empty() || known_width(component)) return;
    const bool combo = component.kind == Kind::Combo;
    HWND edit = combo ? FindWindowExA(control, nullptr, "EDIT", nullptr) : control;
    if (!edit) return;
    HFONT own = get(component.font_height, component.bold);
    int chosen = 0;
    const int area = text_area_width(edit);
    if (widest_text_width(own, component.shows_whole) >= area) {
        HGDIOBJ old = SelectObject(dc_, own);
        TEXTMETRICA m{};
        GetTextMetricsA(dc_, &m);
        SelectObject(dc_, old);
        // Each font is measured in the box itself: an edit box's margins come
        // with its font, and a box narrower than one average character keeps
        // a text area of one character of its font. A drop-down list's box
        // has no margins, so its text area is never wider in a narrower font:
        // a font whose text does not fit the area in its own font is passed
        // over on the measuring DC, without giving it to the list.
        for (chosen = m.tmAveCharWidth - 1; chosen >= 1; --chosen) {
            HFONT condensed = get(component.font_height, component.bold, chosen);
            const int width = widest_text_width(condensed, component.shows_whole);
            if (combo && width >= area && chosen > 1) continue;
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(condensed), FALSE);
            if (combo) set_no_margins(edit);  // the new font brought its own
            if (width < text_area_width(edit) || chosen == 1) break;
        }
    }
    fitted_.emplace_back(box_kind(component), chosen);
}

std::vector<int> Fonts::fitted() const {
    std::vector<int> widths;
    for (const auto& f : fitted_) widths.push_back(f.second);
    return widths;
}

ControlClass control_class(const ControlSpec& component) {
    ControlClass c{"BUTTON", WS_CHILD | WS_VISIBLE, 0, component.height};
    switch (component.kind) {
    case Kind::Label: c.name = "STATIC", c.style |= SS_LEFT | SS_NOPREFIX; break;
    case Kind::Check: c.style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
    case Kind::Button: c.style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case Kind::BitBtn: c.style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case Kind::Combo:
        c.name = "COMBOBOX";
        c.style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
        c.height += 12 * 8 + 2;  // the list below the box
        break;
    case Kind::Edit:
        c.name = "EDIT", c.style |= ES_AUTOHSCROLL | WS_TABSTOP, c.ex_style = WS_EX_CLIENTEDGE;
        break;
    case Kind::ReadOnlyEdit:
        c.name = "EDIT", c.style |= ES_AUTOHSCROLL | WS_DISABLED | WS_TABSTOP, c.ex_style = WS_EX_CLIENTEDGE;
        break;
    case Kind::Memo:
        c.name = "EDIT", c.style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
        c.ex_style = WS_EX_CLIENTEDGE;
        break;
    case Kind::Timer:
    case Kind::OpenDialog: c.name = nullptr; break;
    }
    return c;
}

StaticColours static_colours(const ControlSpec* component) {
    int background = COLOR_BTNFACE, text = COLOR_WINDOWTEXT;
    if (component) {
        switch (component->kind) {
        case Kind::ReadOnlyEdit: background = COLOR_SCROLLBAR, text = COLOR_GRAYTEXT; break;
        case Kind::Memo: background = COLOR_WINDOW; break;
        case Kind::Check: text = COLOR_BTNTEXT; break;
        default:
            if (component->colour != CLR_INVALID) {
                return {readable_colour(component->colour, GetSysColor(background), GetSysColor(text), high_contrast()),
                        background};
            }
            break;
        }
    }
    return {GetSysColor(text), background};
}

namespace {
// x to the power 2.4 for x from 0.08 to 1: x squared times the fifth root of
// x squared, found by Newton's method from above (a few multiplications,
// where the library's pow would add kilobytes to the program).
double power_2_4(double x) {
    const double square = x * x;
    double root = 1;
    for (int i = 0; i < 12; ++i) root = (4 * root + square / (root * root * root * root)) / 5;
    return square * root;
}

double relative_luminance(COLORREF c) {
    auto linear = [](int channel) {
        const double v = channel / 255.0;
        return v <= 0.03928 ? v / 12.92 : power_2_4((v + 0.055) / 1.055);
    };
    return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
}
}  // namespace

COLORREF readable_colour(COLORREF own, COLORREF background, COLORREF scheme_text, bool high_contrast) {
    const double a = relative_luminance(own), b = relative_luminance(background);
    const double contrast = a > b ? (a + 0.05) / (b + 0.05) : (b + 0.05) / (a + 0.05);
    return !high_contrast && contrast >= 4.5 ? own : scheme_text;
}

RECT drawn_box(HWND check) {
    RECT client;
    GetClientRect(check, &client);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(check, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    const auto* pixels = static_cast<const DWORD*>(bits);
    RECT box{width, height, 0, 0};
    for (int i = 0; pixels && i < width * height; ++i) {
        if (pixels[i] == pixels[width * height - 1]) continue;  // the background, as in the bottom-right corner
        const int x = i % width, y = i / width;
        box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
               std::max<LONG>(box.bottom, y + 1)};
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return IsRectEmpty(&box) ? RECT{} : box;
}

void draw_focus_mark(HDC dc, const RECT& box, int thickness) {
    const RECT sides[] = {{box.left - thickness, box.top - thickness, box.right + thickness, box.top},
                          {box.left - thickness, box.bottom, box.right + thickness, box.bottom + thickness},
                          {box.left - thickness, box.top, box.left, box.bottom},
                          {box.right, box.top, box.right + thickness, box.bottom}};
    for (const RECT& side : sides) FillRect(dc, &side, GetSysColorBrush(COLOR_HIGHLIGHT));
}

}  // namespace dorimo
