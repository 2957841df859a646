#include "Unit1.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "accessible.h"
#include "error_box.h"
#include "launch.h"
#include "profile_text.h"
#include "settings_io.h"
#include "settings_find_read_save.h"
#include "single_copy.h"
#include "slot_names.h"
#include "stray_messages.h"

namespace dorimo {

TForm1* Form1 = nullptr;

namespace {

const char kFormClass[] = "TForm1";
const char kCaption[] = "ドリモ丸";
// What a save does with a settings file another program changed, as the user chooses.
const char kSaveChoices[] =
    "\n\n[はい] この画面の設定で上書きします。\n[いいえ] ファイルをそのまま残します (保存しません)。";
const char kCloseChoices[] =
    "\n\n[はい] この画面の設定で上書きして終了します。\n[いいえ] ファイルをそのまま残し、保存せずに終了します。"
    "\n[キャンセル] 終了せずに画面に戻ります。";
constexpr int kLeft = 136, kTop = 110;             // screen pixels
constexpr int kClientWidth = 767, kClientHeight = 325;
constexpr UINT kTimerInterval = 10000;             // ms
constexpr int kGlyphWidth = 17, kGlyphHeight = 15;  // the open-file glyph, at 96 pixels per inch
constexpr int kFocusMark = 3;                       // the focus mark's thickness, at 96 pixels per inch
constexpr int kDayPitch = 16;                       // from one day box to the next (the layout's)
// The window's timers have ids that say what they are, apart from each
// other and from the small numbers and control ids a stray WM_TIMER carries.
constexpr UINT_PTR kReadersTimer = 0x52454144;      // "READ": readers' names and guards, after the first paint
constexpr UINT_PTR kSlotTimers = 0x534C4F30;        // "SLO0": + the slot's number, its ticks
constexpr UINT WM_SHOW_REQUESTED = WM_APP + 16;     // posted to itself on another start's request

// The open-file glyph grown to the given size (each pixel taken from the
// nearest one of the picture), in an image list of its own with its
// background, the colour of the picture's bottom-left pixel, masked out.
HIMAGELIST make_glyph_images(HINSTANCE instance, int width, int height) {
    HBITMAP picture = static_cast<HBITMAP>(
        LoadImageA(instance, "OPENFILE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!picture) return nullptr;
    DIBSECTION dib{};
    GetObjectA(picture, sizeof dib, &dib);
    const int w = dib.dsBm.bmWidth, h = dib.dsBm.bmHeight;
    const int stride = dib.dsBm.bmWidthBytes;
    const auto* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);  // bottom-up, 24 bits per pixel
    const BYTE* background = bits;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up as well
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* colour_bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &colour_bits, nullptr, 0);
    if (!colour) {
        DeleteObject(picture);
        return nullptr;
    }
    auto* out = static_cast<BYTE*>(colour_bits);
    const int out_stride = (width * 3 + 3) / 4 * 4;
    const int mask_stride = (width + 15) / 16 * 2;
    std::vector<BYTE> mask(static_cast<std::size_t>(mask_stride * height), 0);
    for (int y = 0; y < height; ++y) {  // from the top, as the mask is
        const BYTE* from = bits + (h - 1 - y * h / height) * stride;
        BYTE* to = out + (height - 1 - y) * out_stride;
        for (int x = 0; x < width; ++x) {
            const BYTE* p = from + 3 * (x * w / width);
            BYTE* q = to + 3 * x;
            if (p[0] == background[0] && p[1] == background[1] && p[2] == background[2]) {
                mask[static_cast<std::size_t>(y * mask_stride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
                q[0] = q[1] = q[2] = 0;
            } else {
                q[0] = p[0], q[1] = p[1], q[2] = p[2];
            }
        }
    }
    HBITMAP mask_bitmap = CreateBitmap(width, height, 1, 1, mask.data());
    HIMAGELIST images = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 1, 0);
    if (images && ImageList_Add(images, colour, mask_bitmap) < 0) {
        ImageList_Destroy(images);
        images = nullptr;
    }
    DeleteObject(mask_bitmap);
    DeleteObject(colour);
    DeleteObject(picture);
    return images;
}

// The system's resolution.
int system_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The resolution of the screen the window is on, where the system knows one
// per screen (Windows 10 and later); the system's otherwise.
int window_dpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (get_dpi_for_window) {
        if (const UINT dpi = get_dpi_for_window(window)) return static_cast<int>(dpi);
    }
    return system_dpi();
}

// A check box without a caption: the day boxes.
bool has_no_caption(const ControlSpec& c) { return c.kind == Kind::Check && c.text.empty(); }

// The log's keys. A multi-line edit box asks for every key and, on Esc,
// closes its parent: in this window that would end the program. The log is
// read-only, so Tab, Enter and Esc are left to the window's keyboard
// handling (Tab moves on, Esc does nothing), and Ctrl+A selects the whole
// log for copying with Ctrl+C.
LRESULT CALLBACK log_keys(HWND log, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_GETDLGCODE:
        return DefSubclassProc(log, message, wparam, lparam) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    case WM_KEYDOWN:
        if (wparam == VK_ESCAPE) return 0;
        break;
    case WM_CHAR:
        if (wparam == VK_ESCAPE) return 0;
        if (wparam == 'A' - '@') {  // Ctrl+A
            SendMessageA(log, EM_SETSEL, 0, -1);
            return 0;
        }
        break;
    default: break;
    }
    return DefSubclassProc(log, message, wparam, lparam);
}

}  // namespace

// ---------------------------------------------------------------- the window

TForm1::TForm1(HINSTANCE instance, HWND application)
    : instance_(instance),
      application_(application),
      stamp_format_(make_system_stamp_format()),
      slots_(*this, clock_, *stamp_format_) {
    Form1 = this;

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    RegisterClassExA(&wc);

    // The window is made at its size at the system's resolution, which is
    // its screen's unless the system knows one per screen: placing it then
    // changes nothing.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    font_height_ = MulDiv(12, system_dpi(), 96);
    RECT frame{0, 0, scale(kClientWidth), scale(kClientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    CreateWindowExA(0, kFormClass, kCaption, style, kLeft, kTop, frame.right - frame.left, frame.bottom - frame.top,
                    application_, nullptr, instance, this);
    if (!window_) throw std::runtime_error("window creation failed");
    taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
    guard_window(window_);
    for (const UINT own : {WM_TRAYICON, show_request_message(), WM_SHOW_REQUESTED, taskbar_created_})
        take_from_elsewhere(own);

    // The font is scaled to the resolution of the window's screen; every
    // position and size follows the ratio of its character height to 12.
    font_height_ = MulDiv(12, window_dpi(window_), 96);
    fonts_ = std::make_unique<Fonts>(font_height_);
    place_window({kLeft, kTop, kLeft, kTop});

    create_controls();
    guarded(&TForm1::FormCreate);
}

TForm1::~TForm1() {
    if (window_) destroy_own_window(window_);
    if (glyph_) ImageList_Destroy(glyph_);
    Form1 = nullptr;
}

int TForm1::scale(int pixels) const { return MulDiv(pixels, font_height_, 12); }

void TForm1::create_controls() {
    glyph_ = make_glyph_images(instance_, scale(kGlyphWidth), scale(kGlyphHeight));
    int id = kFirstControlId;
    for (ControlSpec& control : form_layout()) {
        Component c;
        c.layout = control;
        c.id = id++;
        if (control.kind == Kind::Timer) c.timer_id = kSlotTimers + static_cast<UINT_PTR>(control.name.back() - '0');
        const ControlClass cls = control_class(control);
        if (cls.name) {
            const RECT r = place_of(control);
            c.hwnd = CreateWindowExA(cls.ex_style, cls.name, control.text.c_str(), cls.style, r.left, r.top, r.right,
                                     r.bottom, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_,
                                     nullptr);
        }
        // Under the rule for messages from elsewhere from its creation; the
        // log and the slots' last and next runs are the program's own texts,
        // and so are the captions of buttons, labels and check boxes (a
        // toggle's tells whether its slot is armed): only the boxes a user
        // types into take a text from elsewhere. Its font before its items
        // and text: each change of font lays a drop-down list out anew.
        guard_control(c.hwnd, control.kind == Kind::ReadOnlyEdit                          ? Lock::Disabled
                              : control.kind == Kind::Memo                                ? Lock::ReadOnly
                              : control.kind == Kind::Edit || control.kind == Kind::Combo ? Lock::None
                                                                                          : Lock::Caption);
        if (c.hwnd) lay_out(c, false);
        switch (control.kind) {
        case Kind::Combo:
            for (const std::string& item : control.items)
                SendMessageA(c.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
            SendMessageA(c.hwnd, CB_LIMITTEXT, static_cast<WPARAM>(control.text_limit), 0);
            SetWindowTextA(c.hwnd, control.text.c_str());
            break;
        case Kind::Edit: SendMessageA(c.hwnd, EM_SETLIMITTEXT, static_cast<WPARAM>(control.text_limit), 0); break;
        case Kind::Memo:
            SendMessageA(c.hwnd, EM_SETLIMITTEXT, 0, 0);  // no limit on the log
            SetWindowSubclass(c.hwnd, log_keys, 0, 0);
            break;
        default: break;
        }
        by_id_[c.id] = components_.size();
        components_.push_back(std::move(c));
    }
}

// A control's place at the current scale, as CreateWindowEx takes it: left
// and top, then width and height in right and bottom; a label is as wide as
// its text.
RECT TForm1::place_of(const ControlSpec& control) {
    const int width = control.kind == Kind::Label ? fonts_->text_width(fonts_->font_for(control), control.text)
                                                  : scale(control.width);
    return {scale(control.left), scale(control.top), width, scale(control_class(control).height)};
}

// Gives a control its font and, for a picture button, its glyph, after
// putting it in its place at the current scale unless it is there already.
// The first box of each kind is measured for its font once it has its size
// (Fonts::fit_widest_text); a drop-down list's items are as high as its
// box's font.
void TForm1::lay_out(const Component& c, bool move) {
    const ControlSpec& control = c.layout;
    if (move) {
        const RECT r = place_of(control);
        SetWindowPos(c.hwnd, nullptr, r.left, r.top, r.right, r.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageA(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->font_for(control)), FALSE);
    if (control.kind == Kind::Combo) {
        if (HWND edit = FindWindowExA(c.hwnd, nullptr, "EDIT", nullptr)) set_no_margins(edit);  // the font brought its own
    }
    if (control.kind == Kind::BitBtn) {
        BUTTON_IMAGELIST images{glyph_, {0, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_CENTER};
        SendMessageA(c.hwnd, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    }
    fonts_->fit_widest_text(c.hwnd, control);
    if (control.kind == Kind::ReadOnlyEdit)
        SetWindowSubclass(c.hwnd, draw_date_and_time_apart, 0, static_cast<DWORD_PTR>(least_blank(font_height_)));
    if (control.kind == Kind::Combo) {
        const HFONT box_font = reinterpret_cast<HFONT>(SendMessageA(c.hwnd, WM_GETFONT, 0, 0));
        SendMessageA(c.hwnd, CB_SETITEMHEIGHT, 0, fonts_->line_height(box_font));
    }
}

// The window moved to a screen of another resolution: everything is laid out
// again as a start at that resolution would, fonts measured anew, and the
// window put at the rectangle the system suggests. Without one (an empty
// rectangle), the window keeps its top-left corner.
void TForm1::change_resolution(int dpi, const RECT* suggested) {
    std::unique_ptr<Fonts> old_fonts = std::make_unique<Fonts>(MulDiv(12, dpi, 96), fonts_->face());
    fonts_.swap(old_fonts);
    font_height_ = MulDiv(12, dpi, 96);
    const HIMAGELIST old_glyph = glyph_;
    glyph_ = make_glyph_images(instance_, scale(kGlyphWidth), scale(kGlyphHeight));
    for (const Component& c : components_) {
        if (c.hwnd) lay_out(c, true);
    }
    if (old_glyph) ImageList_Destroy(old_glyph);
    old_fonts.reset();  // no control uses them any more

    RECT r;
    GetWindowRect(window_, &r);
    if (suggested && !IsRectEmpty(suggested)) r = *suggested;
    else r.right = r.left, r.bottom = r.top;
    place_window(r);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Puts the window at the given rectangle, then sizes it so that its client
// area is the layout's at the current scale: the frame may be drawn at
// another resolution than the one the rectangle was made for. An empty
// rectangle gives the top-left corner alone.
void TForm1::place_window(RECT r) {
    const int width = scale(kClientWidth), height = scale(kClientHeight);
    if (IsRectEmpty(&r)) {
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), FALSE, 0);
        r.right = r.left + frame.right - frame.left;
        r.bottom = r.top + frame.bottom - frame.top;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        RECT now;
        if (!GetWindowRect(window_, &now) || !EqualRect(&now, &r))
            SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        GetClientRect(window_, &client);
        if (client.right == width && client.bottom == height) break;
        r.right += width - client.right;
        r.bottom += height - client.bottom;
    }
}

// The focus mark of a check box without a caption goes around its box, and
// so over its neighbours and the window between them: each draws the part
// over itself, the window in its paint, the boxes after theirs. A box paints
// whenever it takes or loses the focus or the keyboard cues come or go; the
// mark is placed anew then, and the places it leaves and takes are drawn again.
void TForm1::place_focus_mark() {
    RECT box{};
    HWND focus = GetFocus();
    const auto c = focus && GetParent(focus) == window_ ? by_id_.find(GetDlgCtrlID(focus)) : by_id_.end();
    if (c != by_id_.end() && components_[c->second].hwnd == focus && has_no_caption(components_[c->second].layout) &&
        !(SendMessageA(focus, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        measuring_ = true;  // the box's drawing into a bitmap sends its custom draw as well
        box = drawn_box(focus);
        measuring_ = false;
        if (!IsRectEmpty(&box)) MapWindowPoints(focus, window_, reinterpret_cast<POINT*>(&box), 2);
    }
    if (EqualRect(&box, &focus_box_)) return;
    for (const RECT& r : {focus_box_, box}) {
        if (IsRectEmpty(&r)) continue;
        const int t = focus_mark_thickness(r);
        const RECT with_mark{r.left - t, r.top - t, r.right + t, r.bottom + t};
        RedrawWindow(window_, &with_mark, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    focus_box_ = box;
}

// The mark fills at most the room between a box and the next: the boxes
// keep their pitch as the layout scales, while the system draws the box
// itself at its own size (Wine 20 pixels at 144 pixels per inch, 4 apart).
int TForm1::focus_mark_thickness(const RECT& box) const {
    return std::max(1, std::min<int>(scale(kFocusMark), scale(kDayPitch) - (box.right - box.left)));
}

TForm1::Component& TForm1::named(const std::string& name) { return components_.at(find_component(*this, name)); }

// ------------------------------------------------------ SlotForm over controls

std::string TForm1::text(std::size_t i) const {
    HWND h = components_.at(i).hwnd;
    if (!h) return "";
    std::string buf(static_cast<std::size_t>(GetWindowTextLengthA(h)) + 1, '\0');
    buf.resize(static_cast<std::size_t>(GetWindowTextA(h, &buf[0], static_cast<int>(buf.size()))));
    return buf;
}

void TForm1::set_text(std::size_t i, const std::string& text) {
    if (HWND h = components_.at(i).hwnd) SetWindowTextA(h, text.c_str());
}

bool TForm1::checked(std::size_t i) const {
    HWND h = components_.at(i).hwnd;
    return h && SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::set_checked(std::size_t i, bool checked) {
    if (HWND h = components_.at(i).hwnd) SendMessageA(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TForm1::timer_enabled(std::size_t i) const { return components_.at(i).timer_on; }

void TForm1::set_timer_enabled(std::size_t i, bool enabled) {
    Component& c = components_.at(i);
    c.timer_on = enabled;
    if (!enabled) {
        KillTimer(window_, c.timer_id);
    } else if (!SetTimer(window_, c.timer_id, kTimerInterval, nullptr)) {
        throw Error("タイマーを取得できません");
    }
}

void TForm1::click(std::size_t i) {
    if (const Handler handler = handler_of(i)) (this->*handler)();
}

void TForm1::replace_last_log_line(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    // Positions come from the control itself: they count characters, not bytes.
    HWND memo = named("MEMOMO").hwnd;
    const LRESULT last = SendMessageA(memo, EM_GETLINECOUNT, 0, 0) - 1;
    const LRESULT start = SendMessageA(memo, EM_LINEINDEX, static_cast<WPARAM>(last), 0);
    SendMessageA(memo, EM_SETSEL, static_cast<WPARAM>(start), -1);
    SendMessageA(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(memo, EM_SCROLLCARET, 0, 0);
}

std::optional<std::string> TForm1::open_program(const std::string& program) {
    return open_through_shell(window_, program);
}

// ------------------------------------------------------------ message routing

TForm1::Handler TForm1::handler_of(std::size_t i) const {
    struct Named {
        const char* name;
        Handler handler;
    };
    static const Named table[] = {
        {"btnGO1", &TForm1::btnGO1Click}, {"btnGO2", &TForm1::btnGO2Click},
        {"btnGO3", &TForm1::btnGO3Click}, {"btnGO4", &TForm1::btnGO4Click},
        {"btnGO5", &TForm1::btnGO5Click}, {"btnRUN1", &TForm1::btnRUN1Click},
        {"btnRUN2", &TForm1::btnRUN2Click}, {"btnRUN3", &TForm1::btnRUN3Click},
        {"btnRUN4", &TForm1::btnRUN4Click}, {"btnRUN5", &TForm1::btnRUN5Click},
        {"BitBtn1", &TForm1::BitBtn1Click}, {"BitBtn2", &TForm1::BitBtn2Click},
        {"BitBtn3", &TForm1::BitBtn3Click}, {"BitBtn4", &TForm1::BitBtn4Click},
        {"BitBtn5", &TForm1::BitBtn5Click}, {"Timer1", &TForm1::Timer1Timer},
        {"Timer2", &TForm1::Timer2Timer}, {"Timer3", &TForm1::Timer3Timer},
        {"Timer4", &TForm1::Timer4Timer}, {"Timer5", &TForm1::Timer5Timer},
        {"btnTRAY", &TForm1::btnTRAYClick}, {"btnSAVE", &TForm1::btnSAVEClick},
    };
    const std::string& name = components_.at(i).layout.name;
    for (const Named& entry : table)
        if (name == entry.name) return entry.handler;
    return nullptr;
}

LRESULT CALLBACK TForm1::window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (refused_here(hwnd, message, wparam, lparam)) return 0;
    auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE && !self) {
        self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        self->window_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcA(hwnd, message, wparam, lparam);
    try {
        return self->tray_msg_rtn(message, wparam, lparam);
    } catch (const std::exception& e) {
        self->show_error(e.what());
    } catch (...) {
        self->show_error("不明なエラーです");
    }
    return 0;
}

void TForm1::guarded(void (TForm1::*handler)()) {
    try {
        (this->*handler)();
    } catch (const std::exception& e) {
        show_error(e.what());
    }
}

// One box of the window's own at a time. While one is up (an error box or
// the file dialog), nothing that arrives opens another: a click is not
// taken, a close is dropped (see WM_CLOSE), and an error met meanwhile (a
// timer's tick goes on) is shown once the box is gone, each text once.
void TForm1::show_error(const std::string& message) {
    if (box_up_) {
        if (std::find(pending_errors_.begin(), pending_errors_.end(), message) == pending_errors_.end())
            pending_errors_.push_back(message);
        return;
    }
    box_up_ = true;
    show_error_box(IsWindowVisible(window_) ? window_ : application_, message);
    box_up_ = false;
    show_pending_errors();
}

void TForm1::show_pending_errors() {
    if (pending_errors_.empty()) return;
    const std::string next = pending_errors_.front();
    pending_errors_.erase(pending_errors_.begin());
    show_error(next);
}

// The window's own message procedure: the notification icon's messages here,
// everything else to the inherited procedure.
LRESULT TForm1::tray_msg_rtn(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TRAYICON) {
        // A left double click, or the icon chosen with the keyboard (Enter or
        // Space), brings the window back. NIN_SELECT is not taken: the shell
        // sends it after every single left click as well.
        if (LOWORD(lparam) == WM_LBUTTONDBLCLK || LOWORD(lparam) == NIN_KEYSELECT) guarded(&TForm1::tray_back_rtn);
        return 0;
    }
    if (message == taskbar_created_ && in_tray_) add_notify_icon(tray_record_);
    if (message == show_request_message()) {
        // Another start of the program with the same settings file. It is
        // answered at once, and the window comes forward right after, also
        // while it is still starting: the first paint then leaves it shown.
        if (!is_own_show_request(wparam, lparam)) return 0;
        if (closing_) return kClosing;  // the other start waits for this copy's end, whatever box the close shows
        first_paint_done_ = true;
        show_requested_ = true;
        PostMessageA(window_, WM_SHOW_REQUESTED, 0, 0);
        return kShown;
    }
#ifdef DORIMO_TEST_SEAM
    if (message == WM_COPYDATA) return test_seam(*reinterpret_cast<const COPYDATASTRUCT*>(lparam));
#endif
    if (message == WM_SHOW_REQUESTED) {  // any program may post it; only a request answered above counts
        if (show_requested_) guarded(&TForm1::tray_back_rtn);
        show_requested_ = false;
        return 0;
    }
    return inherited(message, wparam, lparam);
}

#ifdef DORIMO_TEST_SEAM
// The tests' seam, in their builds alone: the clock moved by some seconds
// (kSeamClock, a 64-bit number), or a box a user cannot change written as
// the program writes it (kSeamText, its name, a zero and the text).
LocalTime TForm1::SeamClock::now() {
    const LocalTime t = SystemClock::now();
    SYSTEMTIME st{static_cast<WORD>(t.year), static_cast<WORD>(t.month), 0, static_cast<WORD>(t.day),
                  static_cast<WORD>(t.hour), static_cast<WORD>(t.minute), static_cast<WORD>(t.second),
                  static_cast<WORD>(t.millisecond)};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER ticks{{ft.dwLowDateTime, ft.dwHighDateTime}};
    ticks.QuadPart += static_cast<ULONGLONG>(shift * 10000000);
    ft = {ticks.LowPart, ticks.HighPart};
    FileTimeToSystemTime(&ft, &st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

LRESULT TForm1::test_seam(const COPYDATASTRUCT& data) {
    const char* bytes = static_cast<const char*>(data.lpData);
    if (data.dwData == kSeamClock && data.cbData == sizeof(long long)) {
        long long seconds;
        std::memcpy(&seconds, bytes, sizeof seconds);
        clock_.shift = seconds;
        return TRUE;
    }
    if (data.dwData == kSeamText && data.cbData > 0 && bytes[data.cbData - 1] == '\0') {
        const std::string name = bytes;
        if (name.size() + 1 >= data.cbData) return FALSE;
        set_text(find_component(*this, name), bytes + name.size() + 1);
        return TRUE;
    }
    return FALSE;
}
#endif

LRESULT TForm1::inherited(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND: {
        const auto c = by_id_.find(LOWORD(wparam));
        // A click comes from the control itself (a timer has no window and
        // clicks nothing), in a window that takes input: none while a box or
        // the file dialog of its own is up.
        if (c != by_id_.end() && HIWORD(wparam) == BN_CLICKED && IsWindowEnabled(window_) && !box_up_ &&
            components_[c->second].hwnd && reinterpret_cast<HWND>(lparam) == components_[c->second].hwnd) {
            if (const Handler handler = handler_of(c->second)) guarded(handler);
        }
        return 0;
    }
    case WM_TIMER: {
        if (wparam == kReadersTimer) {  // the window has been painted
            KillTimer(window_, kReadersTimer);
            if (readers_pending_) {
                for (const Component& c : components_) name_for_readers(c.hwnd, c.layout);
                guard_from_now_on();
            }
            readers_pending_ = false;
            return 0;
        }
        // A tick of a timer that does not run is dropped: one already queued
        // when its timer was stopped, or one that another program posted.
        for (std::size_t i = 0; i < components_.size(); ++i) {
            if (components_[i].timer_id == wparam && components_[i].timer_on) {
                if (const Handler handler = handler_of(i)) guarded(handler);
            }
        }
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window_, &ps);
        if (!IsRectEmpty(&focus_box_)) draw_focus_mark(ps.hdc, focus_box_, focus_mark_thickness(focus_box_));
        EndPaint(window_, &ps);
        guarded(&TForm1::FormPaint);
        return 0;
    }
    case WM_CLOSE:
        // One close at a time, and none while a box of the window's own is
        // up: a close that arrives then (any program may post one, the
        // taskbar entry's Close sends one) is dropped, not kept for later.
        // Answered after the box, it would end the program or show the same
        // failed save again, right behind a box the user has just answered;
        // dropped, the user closes again once the box has been read.
        if (closing_ || box_up_) return 0;
        closing_ = true;
        back_to_window_ = false;
        try {
            FormClose();
            if (!back_to_window_) destroy_own_window(window_);
        } catch (const std::exception& e) {
            show_error(e.what());
            back_to_window_ = true;
        }
        if (back_to_window_) {
            // The close stops here; a window left hidden in the notification
            // area would be out of the user's reach, so it comes back.
            if (in_tray_ || !IsWindowVisible(window_)) {
                in_tray_ = false;
                set_in_taskbar(true);
                ShowWindow(window_, SW_SHOWNORMAL);
            }
        }
        closing_ = false;
        return 0;
    case WM_DPICHANGED: {
        // The system's own comes with a rectangle, and the window's new
        // resolution; from elsewhere the resolution is the window's own, and
        // the window keeps its top-left corner.
        const auto* suggested = reinterpret_cast<const RECT*>(lparam);
        const int dpi = suggested ? HIWORD(wparam) : window_dpi(window_);
        if (dpi >= 48 && dpi <= 1536) change_resolution(dpi, suggested);  // a resolution a screen can have
        return 0;
    }
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        if (wparam) session_ending();
        return 0;
    case WM_DESTROY: end_own_loops(0); return 0;
    case WM_NCDESTROY: {
        HWND closing = window_;
        window_ = nullptr;
        return DefWindowProcA(closing, message, wparam, lparam);
    }
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f && IsChild(window_, f)) focus_ = f;
        } else {
            SetFocus(focus_ ? focus_ : named("btnTRAY").hwnd);
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_MINIMIZE) {  // the title-bar button, the system menu
            minimize_rtn();
            return 0;
        }
        break;
    case WM_SIZE:
        // Minimised by the system itself (Win+Down). The state, not the
        // message's word for it: any program may post a WM_SIZE.
        if (IsIconic(window_)) minimize_rtn();
        return 0;
    case WM_NOTIFY: {  // a check box without a caption: its focus mark (see place_focus_mark)
        const auto* draw = reinterpret_cast<const NMCUSTOMDRAW*>(lparam);
        const auto c = by_id_.find(static_cast<int>(draw->hdr.idFrom));
        if (draw->hdr.code != NM_CUSTOMDRAW || c == by_id_.end() || components_[c->second].hwnd != draw->hdr.hwndFrom ||
            !has_no_caption(components_[c->second].layout) || measuring_)
            break;
        if (draw->dwDrawStage == CDDS_PREPAINT) {
            place_focus_mark();
            return CDRF_NOTIFYPOSTPAINT;
        }
        if (draw->dwDrawStage != CDDS_POSTPAINT) return CDRF_DODEFAULT;
        if (!IsRectEmpty(&focus_box_)) {
            RECT box = focus_box_;
            MapWindowPoints(window_, draw->hdr.hwndFrom, reinterpret_cast<POINT*>(&box), 2);
            draw_focus_mark(draw->hdc, box, focus_mark_thickness(focus_box_));
        }
        // A day box's window is a pixel wider than its place: drawn, it
        // covers the next box's edge, which that box then draws again.
        const std::size_t next = c->second + 1;
        RECT own, after;
        if (next < components_.size() && has_no_caption(components_[next].layout) &&
            GetWindowRect(draw->hdr.hwndFrom, &own) && GetWindowRect(components_[next].hwnd, &after) &&
            own.top == after.top && own.right > after.left) {
            const RECT edge{0, 0, own.right - after.left, after.bottom - after.top};
            RedrawWindow(components_[next].hwnd, &edge, nullptr, RDW_INVALIDATE | RDW_ERASE);
        }
        return CDRF_DODEFAULT;
    }
    case WM_CTLCOLORSTATIC: {  // labels, check boxes, the log and the disabled boxes
        HDC dc = reinterpret_cast<HDC>(wparam);
        const auto c = by_id_.find(GetDlgCtrlID(reinterpret_cast<HWND>(lparam)));
        const StaticColours colours = static_colours(c != by_id_.end() ? &components_[c->second].layout : nullptr);
        SetTextColor(dc, colours.text);
        SetBkColor(dc, GetSysColor(colours.background));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(colours.background));
    }
    default: break;
    }
    return DefWindowProcA(window_, message, wparam, lparam);
}

// -------------------------------------------------------------- the handlers

void TForm1::FormCreate() {
    // The file is read whole, once, and the window filled from those bytes;
    // without a file the controls already hold what such a load gives them.
    SettingsLocation settings = settings_beside_program();
    if (const auto text = read_settings_at_start(settings)) {
        ProfileInMemory file(*text);
        load_settings(*this, file, settings.path);
    }
}

// A file another program changed since this run read or wrote it is written
// over only when the user says so; kept at a close, the program ends without
// saving, and at the end of the session, where no one can be asked, it is kept.
void TForm1::btnSAVEClick() {
    const SettingsLocation settings = settings_beside_program();
    for (WriteOver over = WriteOver::kOurs;; over = WriteOver::kShownToo) {  // asked again if it changes once more
        const Saved saved = save_settings_whole(*this, settings, system_file_calls(), over);
        if (saved == Saved::kWritten) claim_written_settings_file(settings.wide_path);
        if (saved == Saved::kWritten || session_ending_) return;
        // A box of the window's own, as the error box (show_error).
        box_up_ = true;
        const std::string question =
            settings.path +
            (saved == Saved::kMadeElsewhere ? " は起動時にはありませんでしたが、その後ほかのプログラムによって作られています。"
                                            : " は、読み込んだ後 (または前回の保存の後) にほかのプログラムによって書き換えられています。") +
            (closing_ ? kCloseChoices : kSaveChoices);
        int answer;
        {
            const BoxUnderTheRule guard;
            answer = MessageBoxA(IsWindowVisible(window_) ? window_ : application_, question.c_str(), kApplicationTitle,
                                 MB_ICONWARNING | (closing_ ? MB_YESNOCANCEL | MB_DEFBUTTON3 : MB_YESNO | MB_DEFBUTTON2));
        }
        box_up_ = false;
        show_pending_errors();
        back_to_window_ = answer == IDCANCEL;  // the close stops, without a box
        if (answer != IDYES) return;
    }
}

void TForm1::FormPaint() {
    if (!first_paint_done_ && checked(find_component(*this, "chkTORAY"))) tray_rtn();
    first_paint_done_ = true;
}

void TForm1::FormClose() {
    // The icon goes whether or not it is shown; the in-tray flag stays as it is.
    tray_record_.cbSize = sizeof tray_record_;
    tray_record_.hWnd = window_;
    tray_record_.uID = kTrayIconId;
    notify_icon(NIM_DELETE, tray_record_);
    // A run that could not read the settings ends without saving over them.
    if (const auto why = settings_not_saved_this_run()) {
        show_error(*why);
        return;
    }
    click(find_component(*this, "btnSAVE"));
}

// The session ends without the window being closed: save as a close does,
// quietly, since nothing may hold the end of the session up; a settings file
// another program changed meanwhile is kept as it is. The icon stays:
// the notification area ends with the session, and after the notice from a
// program while the session goes on, a window hidden there would be out of
// the user's reach.
void TForm1::session_ending() {
    session_ending_ = true;
    try {
        click(find_component(*this, "btnSAVE"));
    } catch (...) {
    }
    session_ending_ = false;
}

void TForm1::choose_program(const std::string& digit) {
    // The program takes no input while the dialog is open, and takes it
    // again, with its active window and focus, however the dialog ends.
    struct InputBack {
        HWND window, active, focus;
        ~InputBack() {
            EnableWindow(window, TRUE);
            if (active) SetActiveWindow(active);
            if (focus) SetFocus(focus);
        }
    } input_back{window_, GetActiveWindow(), GetFocus()};
    EnableWindow(window_, FALSE);
    box_up_ = true;
    guard_from_now_on();  // the dialog's loop screens what is posted to the window
    std::optional<std::string> chosen;
    try {
        chosen = named("OpenDialog" + digit).chooser.choose(application_, window_);
    } catch (...) {
        box_up_ = false;
        throw;
    }
    box_up_ = false;
    if (chosen) set_text(find_component(*this, control_name(kPathPrefix, digit)), *chosen);
    show_pending_errors();
}

// ----------------------------------------------------- the notification area

void TForm1::btnTRAYClick() { tray_rtn(); }

// The window goes first: the icon can be chosen as soon as the shell shows
// it, while the request is still under way (and the window takes what is
// sent to it meanwhile); a choice then brings the window back for good.
void TForm1::tray_rtn() {
    if (in_tray_) return;
    in_tray_ = true;
    ShowWindow(window_, SW_HIDE);
    set_in_taskbar(false);
    fill_notify_record(tray_record_, window_, LoadIconA(instance_, "MAINICON"));
    add_notify_icon(tray_record_);
}

void TForm1::tray_del_rtn() {
    if (!in_tray_) return;
    tray_record_.cbSize = sizeof tray_record_;
    tray_record_.hWnd = window_;
    tray_record_.uID = kTrayIconId;
    notify_icon(NIM_DELETE, tray_record_);
    in_tray_ = false;
}

void TForm1::tray_back_rtn() {
    tray_del_rtn();
    set_in_taskbar(true);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
}

// Minimised, the window is hidden and the application's window, which
// carries the taskbar entry, is minimised (dorimo.cpp says why). A window
// in the notification area is off the screen already and has no entry.
void TForm1::minimize_rtn() {
    ShowWindow(window_, SW_HIDE);
    if (!in_tray_) ShowWindow(application_, SW_MINIMIZE);
}

// The taskbar entry's state, not the message's word for it, decides.
// Restored, the window comes back as it was, unless it went into the
// notification area meanwhile; shown normally, a window minimised by the
// system itself is restored as well.
void TForm1::taskbar_entry_sized() {
    if (IsIconic(application_)) ShowWindow(window_, SW_HIDE);
    else if (IsWindowVisible(application_) && !in_tray_ && !IsWindowVisible(window_)) ShowWindow(window_, SW_SHOWNORMAL);
}

// The taskbar entry belongs to the application's window: it goes and comes
// with the main window.
void TForm1::set_in_taskbar(bool shown) {
    if (!shown) {
        ShowWindow(application_, SW_HIDE);
    } else {
        ShowWindow(application_, IsIconic(application_) ? SW_RESTORE : SW_SHOWNOACTIVATE);
    }
}

// ------------------------------------------------------------ message loop

int TForm1::run(int show_command) {
    switch (show_command) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
        // Started minimised: only the taskbar entry shows, and it takes no
        // activation from the program the user is in. Nothing is painted,
        // so the first paint's step is taken now: with the start-up option
        // the window goes into the notification area at once, and a later
        // restore does not send it there.
        ShowWindow(application_, SW_SHOWMINNOACTIVE);
        guarded(&TForm1::FormPaint);
        break;
    case SW_SHOWMAXIMIZED:
        ShowWindow(window_, SW_SHOWMAXIMIZED);
        set_in_taskbar(true);
        break;
    default:
        ShowWindow(window_, SW_SHOWNORMAL);
        set_in_taskbar(true);
        break;
    }

    // The controls get their names for screen readers, and the rule the
    // hooks that make it hold in every loop of the thread, once the window
    // has been painted (a timer comes after every paint), so that a start
    // takes no longer for them.
    readers_pending_ = SetTimer(window_, kReadersTimer, 0, nullptr) != 0;

    // The loop ends when the window has gone: a WM_QUIT that another program
    // posts is dropped, as are the messages the window does not take from
    // elsewhere (the other loops of the thread drop them once the hooks are
    // set, which would slow the start down before it).
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) != -1) {
        if (msg.message == WM_QUIT) {
            if (!window_) break;
            continue;
        }
        if (msg.message == WM_NULL || !take_posted(msg)) continue;  // the hook makes a dropped one WM_NULL
        if (window_ && IsDialogMessageA(window_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace dorimo
