// The program's entry: the application's window with the title, the main
// window, the message loop.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "Unit1.h"
#include "error_box.h"

namespace {

// The application's own window: invisible (no size), it carries the taskbar
// entry with the application title and owns the main window and dialogs.
LRESULT CALLBACK application_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    using dorimo::Form1;
    switch (message) {
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
    default: return DefWindowProcA(hwnd, message, wparam, lparam);
    }
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
    return CreateWindowExA(0, wc.lpszClassName, dorimo::kApplicationTitle,
                           WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                           nullptr, nullptr, instance, nullptr);
}

}  // namespace

// An exception that escapes everything ends the program quietly: a program
// without a console has nowhere to print the runtime's message, and leaving
// the message's demangler out keeps the executable small.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    HWND application = create_application_window(instance);
    try {
        dorimo::TForm1 form(instance, application);
        return form.run(show_command);
    } catch (const std::exception& e) {
        dorimo::show_error_box(application, e.what());
        return 1;
    }
}
