// The floor of dorimo's start-up: its window and nothing else. The same
// application and main windows, the same controls from the same layout table,
// with the same classes, styles, fonts, texts and list items, and the same
// resources and manifest; shown and painted, with no settings, no schedule
// and no work of any other kind. The benchmark measures dorimo against it.
//
//   dorimo_floor.exe --find
//   dorimo_floor.exe [FACE|WIDTH|WIDTH...]
//
// The fonts are the ones dorimo's window ends up with: the face, and the
// character widths of the boxes whose widest text needs a condensed font.
// The benchmark finds them once (--find makes the window, measures as dorimo
// does, writes them to floor-fonts.txt in the current folder and ends) and
// passes them on, so that the timed runs draw with the same fonts without
// looking for them. Without them, the floor finds them itself.
// The picture buttons show the open-file bitmap as it is (BS_BITMAP), where
// dorimo masks its background out in an image list.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "layout.h"
#include "look.h"

namespace {

using dorimo::ControlSpec;
using dorimo::Kind;

std::vector<ControlSpec> layout;
HWND focus_first = nullptr;  // the window's first focus, as dorimo's

const ControlSpec* control_of(HWND control) {
    const int i = GetDlgCtrlID(control) - dorimo::kFirstControlId;
    return i >= 0 && i < static_cast<int>(layout.size()) ? &layout[static_cast<std::size_t>(i)] : nullptr;
}

LRESULT CALLBACK application_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK form_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CTLCOLORSTATIC: {  // the colours dorimo gives its labels, check boxes, log and disabled boxes
        HDC dc = reinterpret_cast<HDC>(wparam);
        const dorimo::StaticColours colours = dorimo::static_colours(control_of(reinterpret_cast<HWND>(lparam)));
        SetTextColor(dc, colours.text);
        SetBkColor(dc, GetSysColor(colours.background));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(colours.background));
    }
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE) SetFocus(focus_first);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

HWND register_and_create(HINSTANCE instance, const char* cls, WNDPROC proc, int background, const char* title,
                         DWORD style, int x, int y, int w, int h, HWND owner) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background ? reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1)) : nullptr;
    wc.lpszClassName = cls;
    RegisterClassExA(&wc);
    return CreateWindowExA(0, cls, title, style, x, y, w, h, owner, nullptr, instance, nullptr);
}

}  // namespace

// As in dorimo: no message demangler in the executable.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    HWND application = register_and_create(
        instance, "TApplication", application_proc, 0, "ドリモ玉",
        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, GetSystemMetrics(SM_CXSCREEN) / 2,
        GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr);

    HDC screen = GetDC(nullptr);
    const int font_height = MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    const std::string arguments = command_line;
    const bool find = arguments == "--find";
    std::vector<std::string> given;  // the face, then the condensed widths
    for (std::size_t at = 0; !find && !arguments.empty() && at != std::string::npos;) {
        const std::size_t bar = arguments.find('|', at);
        given.push_back(arguments.substr(at, bar == std::string::npos ? bar : bar - at));
        at = bar == std::string::npos ? bar : bar + 1;
    }
    std::vector<int> condensed;
    for (std::size_t i = 1; i < given.size(); ++i) condensed.push_back(std::atoi(given[i].c_str()));
    dorimo::Fonts fonts(font_height, given.empty() ? "" : given[0], condensed);
    auto scale = [&](int pixels) { return MulDiv(pixels, font_height, 12); };

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT r{0, 0, scale(767), scale(325)};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    HWND form = register_and_create(instance, "TForm1", form_proc, COLOR_BTNFACE, "ドリモ丸", style, 136, 110,
                                    r.right - r.left, r.bottom - r.top, application);

    HBITMAP glyph = static_cast<HBITMAP>(LoadImageA(instance, "OPENFILE", IMAGE_BITMAP, 0, 0, 0));
    layout = dorimo::form_layout();
    int id = dorimo::kFirstControlId;
    for (const ControlSpec& c : layout) {
        const int this_id = id++;
        if (c.kind == Kind::Timer || c.kind == Kind::OpenDialog) continue;
        HFONT font = fonts.font_for(c);
        dorimo::ControlClass cls = dorimo::control_class(c);
        if (c.kind == Kind::BitBtn) cls.style |= BS_BITMAP;  // the bitmap as it is
        const int width = c.kind == Kind::Label ? fonts.text_width(font, c.text) : scale(c.width);
        HWND w = CreateWindowExA(cls.ex_style, cls.name, c.text.c_str(), cls.style, scale(c.left), scale(c.top), width,
                                 scale(cls.height), form,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(this_id)), instance, nullptr);
        SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.name == "btnTRAY") focus_first = w;
        if (c.kind == Kind::Combo) {
            for (const std::string& item : c.items) SendMessageA(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
            if (HWND edit = FindWindowExA(w, nullptr, "EDIT", nullptr)) dorimo::set_no_margins(edit);
            SetWindowTextA(w, c.text.c_str());
        }
        fonts.fit_widest_text(w, c);
        if (c.kind == Kind::Combo)
            SendMessageA(w, CB_SETITEMHEIGHT, 0,
                         fonts.line_height(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0))));
        if (c.kind == Kind::BitBtn) SendMessageA(w, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph));
    }

    if (find) {  // what the window's fonts turned out to be, for the timed runs
        std::string found = fonts.face();
        for (int width : fonts.fitted()) found += "|" + std::to_string(width);
        if (FILE* out = std::fopen("floor-fonts.txt", "wb")) {  // C's files: no stream library in the floor
            std::fputs(found.c_str(), out);
            std::fclose(out);
        }
        DeleteObject(glyph);
        return 0;
    }

    ShowWindow(application, SW_SHOWNOACTIVATE);
    ShowWindow(form, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(form, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(glyph);
    return 0;
}
