// The program's entry: the application's window with the title, the main
// window, the message loop.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "Unit1.h"
#include "error_box.h"
#include "file_chooser.h"
#include "settings_find_read_save.h"
#include "single_copy.h"
#include "stray_messages.h"

namespace {

// The application's own window: invisible (no size), it carries the taskbar
// entry with the application title and owns the main window and dialogs.
//
// The minimised state is this window's: the taskbar asks it (IsIconic) and
// sends it SC_MINIMIZE and SC_RESTORE, and the main window, an owned window,
// has no entry of its own to be minimised into (minimised itself, it would
// lie as a caption at the bottom left of the screen). So the main window
// never stays minimised: its title-bar button, its system menu and the
// system (Win+Down) minimise this window instead, and the main window
// follows this window's state, told by WM_SIZE: hidden while it is
// minimised, shown as it was when it is restored (the taskbar entry, a
// second start, the notification icon). Windows hides and shows owned
// windows with their owner itself; Wine does not, and the main window would
// stay on the screen.
LRESULT CALLBACK application_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    using dorimo::Form1;
    if (dorimo::refused_here(hwnd, message, wparam, lparam)) return 0;
    switch (message) {
    case WM_SIZE:
        if (Form1) Form1->taskbar_entry_sized();
        return 0;
    case WM_SYSCOMMAND:
        // Hidden (the window in the notification area), there is no entry to
        // restore or minimise: a restore would bring the entry back alone.
        if (!IsWindowVisible(hwnd)) return 0;
        break;
    case WM_ACTIVATE:
        // Activation through the taskbar entry passes to the main window.
        if (LOWORD(wparam) != WA_INACTIVE && Form1 && IsWindowEnabled(Form1->handle()) &&
            IsWindowVisible(Form1->handle())) {
            SetActiveWindow(Form1->handle());
        }
        return 0;
    case WM_CLOSE:
        if (Form1) PostMessageA(Form1->handle(), WM_CLOSE, 0, 0);
        return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

HWND create_application_window(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = application_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "TApplication";
    RegisterClassExA(&wc);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    HWND window = CreateWindowExA(0, wc.lpszClassName, dorimo::kApplicationTitle,
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
    dorimo::guard_window(window);  // under the rule for messages from elsewhere, as the main window
    return window;
}

}  // namespace

// An exception that escapes everything ends the program quietly: a program
// without a console has nowhere to print the runtime's message, and leaving
// the message's demangler out keeps the executable small.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// Every text of the program and of its settings file is Shift-JIS: in any
// other code page the window would be garbled and a save would spoil the
// file. The manifest asks for code page 932; a Windows that does not honour
// it is told what to change, and the program ends before the file is read.
// Code page 65001 means the system's option for UTF-8 is on, which overrides
// even a Japanese system locale: the box then names that option.
bool japanese_code_page() {
    const UINT code_page = GetACP();
    if (code_page == 932) return true;
    const bool utf8 = code_page == 65001;
    const std::wstring text =
        std::wstring(L"このプログラムは日本語のコード ページ (932) でのみ動きます。\n"
                     L"[コントロール パネル] の [地域] → [管理] → [システム ロケールの変更] で ") +
        (utf8 ? L"「ベータ: ワールドワイド言語サポートで Unicode UTF-8 を使用」のチェックを外し"
              : L"「Unicode 対応ではないプログラムの言語」を「日本語 (日本)」にし") +
        L"、Windows を再起動してから起動してください。\n\n"
        L"This program runs only with the Japanese code page (932).\n"
        L"In Control Panel, Region, Administrative, Change system locale, " +
        (utf8 ? L"clear \"Beta: Use Unicode UTF-8 for worldwide language support\""
              : L"set \"Language for non-Unicode programs\" to Japanese (Japan)") +
        L", restart Windows and start the program again.";
    const dorimo::BoxUnderTheRule guard;
    MessageBoxW(nullptr, text.c_str(), L"ドリモ玉", MB_OK | MB_ICONSTOP);
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    dorimo::load_libraries_from_system_folder();
    if (!japanese_code_page()) return 1;

    // A second start with the same settings file shows the running copy
    // instead: two copies would run every task twice.
    if (!dorimo::claim_settings_file(dorimo::settings_beside_program().wide_path)) return 0;

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    HWND application = create_application_window(instance);
    int result = 1;
    try {
        dorimo::TForm1 form(instance, application);
        result = form.run(show_command);
    } catch (const std::exception& e) {
        dorimo::show_error_box(application, e.what());
    }
    return result;
}
