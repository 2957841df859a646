// What any other program of the session may do to the running program
// without special rights: post or send it every message there is. It keeps
// answering, and the main window keeps its slots and settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "accessible.h"
#include "app_driver.h"
#include "layout.h"
#include "stray_messages.h"

namespace e2e {
namespace {

// What a user's own action also sends (closing, commands, the system menu,
// clicks) and what enters the system's move, size and menu loops, which wait
// for input that an Xvfb display never sends.
bool left_out(UINT id) {
    switch (id) {
    case WM_CLOSE:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_CONTEXTMENU:
    case 0x0313:  // the taskbar button's system menu
    case BM_CLICK: return true;
    default: break;
    }
    return (id >= WM_NCLBUTTONDOWN && id <= WM_NCXBUTTONDBLCLK) || (id >= WM_SYSKEYDOWN && id <= WM_SYSDEADCHAR) ||
           (id >= WM_LBUTTONDOWN && id <= WM_MBUTTONDBLCLK) || (id >= WM_XBUTTONDOWN && id <= WM_XBUTTONDBLCLK);
}

// What types, checks or selects in a control as a user does (an input method's text, the mouse
// wheel in a drop-down list among it): taken from elsewhere, it changes the slots as typing would.
bool typing_or_choosing(UINT id) {
    const UINT ids[] = {WM_UNICHAR, WM_IME_CHAR, WM_IME_KEYDOWN, WM_MOUSEWHEEL, WM_MOUSEHWHEEL, WM_CUT, WM_PASTE,
                        WM_CLEAR, WM_UNDO, EM_UNDO, BM_SETCHECK, CB_SETCURSEL, LB_SETCURSEL};
    return (id >= WM_KEYDOWN && id <= WM_DEADCHAR) || (id >= WM_IME_STARTCOMPOSITION && id <= WM_IME_COMPOSITION) ||
           std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

// Every id up to 0x7FFF that is not left out (to a control, nor typing or choosing), and a
// sample of the registered ones with the show request and the shell's TaskbarCreated among them.
std::vector<UINT> sweep_ids(bool to_control) {
    std::vector<UINT> ids;
    for (UINT id = 0; id <= 0x7FFF; ++id) {
        if (!left_out(id) && !(to_control && typing_or_choosing(id))) ids.push_back(id);
    }
    for (UINT id = 0xC000; id <= 0xFFFF; id += id < 0xC200 ? 1 : 0x3F) ids.push_back(id);
    ids.push_back(RegisterWindowMessageW(L"dorimo show request"));
    ids.push_back(RegisterWindowMessageA("TaskbarCreated"));
    return ids;
}

// Posts the ids to a window in blocks, each with parameters that look like pointers, one in 16
// of those above WM_USER also sent (without waiting for the answer, as a posted message does
// not); after each block it waits for the program to have taken them all: a marker posted
// last, a turn of the tray option's check box, tells when. The box is put back.
void sweep(HWND to, HWND marker, bool to_control) {
    const LPARAM pointer = 0x12345678;
    std::mt19937 random(23);
    const std::vector<UINT> ids = sweep_ids(to_control);
    const LRESULT was = SendMessageA(marker, BM_GETCHECK, 0, 0);
    LRESULT turned = was;
    for (std::size_t first = 0; first < ids.size(); first += 1024) {
        const std::size_t end = std::min(ids.size(), first + 1024);
        for (std::size_t i = first; i < end; ++i) {
            const UINT id = ids[i];
            if (id >= WM_USER) {
                PostMessageA(to, id, 0, pointer);
                if (id % 16 == 1) SendNotifyMessageA(to, id, static_cast<WPARAM>(pointer), pointer);
                continue;
            }
            const std::pair<WPARAM, LPARAM> pairs[] = {{0, 0}, {1, pointer}, {~0u, -1}, {random(), LPARAM(random())}};
            for (const auto& p : pairs) PostMessageA(to, id, p.first, p.second);
            if (id == WM_TIMER || id == 0x0118) PostMessageA(to, id, 1, exit_process());  // and the system's timers
        }
        PostThreadMessageA(GetWindowThreadProcessId(to, nullptr), WM_QUIT, 0, 0);  // ends no loop, dismisses no box
        turned = turned == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        PostMessageA(marker, BM_SETCHECK, static_cast<WPARAM>(turned), 0);
        ASSERT_TRUE(wait_for([&] {
            DWORD_PTR check = 0;
            return SendMessageTimeoutA(marker, BM_GETCHECK, 0, 0, SMTO_NORMAL, 1000, &check) &&
                   static_cast<LRESULT>(check) == turned;
        }, 30000)) << "no answer after messages 0x" << std::hex << ids[first] << " to 0x" << ids[end - 1];
    }
    SendMessageA(marker, BM_SETCHECK, static_cast<WPARAM>(was), 0);
}

// Every control's text (in UTF-16, whose length needs no conversion) and check.
std::vector<std::wstring> controls_of(const App& app) {
    std::vector<std::wstring> state;
    for (const dorimo::ControlSpec& c : dorimo::form_layout()) {
        if (c.kind == dorimo::Kind::Timer || c.kind == dorimo::Kind::OpenDialog) continue;
        wchar_t text[4096] = {};
        SendMessageW(app.control(c.name), WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
        state.push_back(to_wide(c.name) + L" " + text + (app.checked(c.name) ? L" checked" : L""));
    }
    return state;
}

std::string saved(const App& app, const char* section, const char* key) {
    char value[256] = {};
    GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, app.ini_path().c_str());
    return value;
}

// To the main window and to one control of each window class (the log is an
// edit box as the program's box is; the drop-down list's box among them):
// nothing changes, nothing is saved, no tray icon comes or goes, and the
// program keeps answering. The close then saves as usual.
TEST(Outside, MessagesFromElsewhereLeaveTheWindowAsItWas) {
    App::Options early;  // BCM_GETIDEALSIZE to a button as soon as there is one: before the first paint
    early.on_start = [](const PROCESS_INFORMATION& started, const std::wstring&, const std::wstring&) {
        HWND b = nullptr;
        for (const DWORD start = GetTickCount(); !b && GetTickCount() - start < 15000; Sleep(1))
            for (HWND form : process_windows(started.dwProcessId, "TForm1")) b = FindWindowExA(form, nullptr, "Button", nullptr);
        for (int i = 0; i < 64; ++i) PostMessageA(b, 0x1601, 0, 0x12345678);
    };
    App app(early);
    app.set_text("ex_path1", "calc");
    app.set_checked("chk13", true);
    app.click("btnGO1");  // a slot's timer runs during the sweep
    const std::string armed = app.text("txtTUGI1");
    const std::vector<std::wstring> before = controls_of(app);
    // Clicks as a button tells them to the window, but naming no button of
    // it (none, another window, a pointer): none of them counts.
    for (std::size_t i = 0; i < dorimo::form_layout().size(); ++i) {
        for (const LPARAM foreign : {LPARAM(0), reinterpret_cast<LPARAM>(app.form()), LPARAM(0x12345678)})
            PostMessageA(app.form(), WM_COMMAND, MAKEWPARAM(dorimo::kFirstControlId + i, BN_CLICKED), foreign);
    }

    app.set_text("txtTUGI1", "2000/01/01 00:00:00");  // a box a user cannot change takes nothing from elsewhere
    app.set_text("MEMOMO", "x");                      // nor does the log,
    app.set_text("btnGO1", "予約");                   // nor a caption no user types (the slot is armed)
    for (HWND top : {app.form(), app.application_window()})  // nor the windows' own captions
        SendMessageA(top, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
    EXPECT_EQ(window_text(app.form()), "ドリモ丸");
    EXPECT_EQ(window_text(app.application_window()), "ドリモ玉");
    PostMessageA(app.control("txtMAE1"), WM_CHAR, '2', 1);
    // Then once more while a box of the program's is up (a save refused by a folder at the settings file's
    // name): to the box, its button and a control of the window, whose messages the box's loop takes.
    HWND box = nullptr;
    for (const char* name : {"", "Label2", "chk11", "cbH1", "cbH1 box", "ex_path1", "BitBtn1", "box", "box button", "ex_path1"}) {
        SCOPED_TRACE(*name ? name : "the window");
        const std::string control(name);
        if (control == "box") {
            CreateDirectoryA(app.ini_path().c_str(), nullptr);
            app.post_click("btnSAVE");
            ASSERT_NE(box = app.wait_for_message_box(), nullptr);
        }
        const HWND to = control.empty() ? app.form()
                        : control == "cbH1 box" ? FindWindowExA(app.control("cbH1"), nullptr, "Edit", nullptr)
                        : control == "box"      ? box
                        : control == "box button" ? FindWindowExA(box, nullptr, "Button", nullptr)
                                                : app.control(name);
        ASSERT_NE(to, nullptr);
        sweep(to, app.control("chkTORAY"), to != app.form());
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_TRUE(IsWindow(to));
        EXPECT_EQ(controls_of(app), before);
        EXPECT_TRUE(IsWindowVisible(app.form()));
        EXPECT_TRUE(IsWindowVisible(app.application_window()));
        EXPECT_TRUE(tray_icons().empty());
        EXPECT_EQ(process_windows(app.process_id(), "TForm1").size(), 1u);
        EXPECT_EQ(GetFileAttributesA(app.ini_path().c_str()), box ? FILE_ATTRIBUTE_DIRECTORY : INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_TRUE(IsWindow(box));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }));
    RemoveDirectoryA(app.ini_path().c_str());
    app.click("btnGO2");  // a line more, in the log the sweep went through
    const std::vector<std::string> log = app.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].rfind("登録2停止 ", 0), 0u) << log[log.size() - 2];
    ASSERT_TRUE(app.close());
    EXPECT_EQ(saved(app, "rtn1", "TUGI1"), armed);
    EXPECT_EQ(saved(app, "rtn1", "chk13"), "1");
    EXPECT_EQ(saved(app, "rtn1", "path1"), "calc");
    EXPECT_EQ(saved(app, "rtn2", "path2"), "notepad");
}

// What Microsoft documents as posted or sent to a window by the system itself: input
// (pointer, touch, gesture, pen, raw input, keyboard, input methods, mouse, app commands),
// notices (power, devices, sessions, the compositor, settings, themes, the clipboard,
// resolution, activation and placing) and what screen readers and automation tools send.
// Every one is taken from elsewhere, but input not by a disabled box, and changes not by a box a
// user cannot change (the log, the disabled ones); what
// carries what only the thread itself can give is refused, and a timer's procedure cleared.
TEST(Outside, TheRuleTakesWhatTheSystemSendsAndRefusesWhatOnlyTheThreadGives) {
    const UINT input[] = {
        0x0100, 0x0101, 0x0102, 0x0104, 0x0105, 0x0109, 0x010D, 0x010E, 0x010F, 0x0286, 0x0290,  // keys, an IME's
        0x0200, 0x0201, 0x0204, 0x020A, 0x020B, 0x020E, 0x02A1, 0x02A3, 0x00A0, 0x00A1,          // the mouse
        0x0119, 0x011A, 0x0240, 0x0238, 0x0239, 0x023A, 0x0241, 0x0242, 0x0243, 0x0245, 0x0246,  // gestures, touch
        0x0247, 0x0249, 0x024A, 0x024B, 0x024C, 0x024D, 0x024E, 0x024F, 0x0251, 0x0252, 0x0253,  // WM_POINTER...
        0x02C0, 0x02CC,                                                                          // pen
    };
    const UINT changes[] = {0x000C, 0x00C2, 0x00C7, 0x00F1, 0x014E, 0x0300, 0x0302, 0x0304};  // text, check, item
    const UINT notices[] = {
        0x0000, 0x0003, 0x0005, 0x0006, 0x0007, 0x0008, 0x000A, 0x000D, 0x000E, 0x000F, 0x0010, 0x0011, 0x0013,
        0x0014, 0x0015, 0x0016, 0x0018, 0x001A, 0x001C, 0x001D, 0x001E, 0x001F, 0x0020, 0x0021, 0x0024, 0x003D,
        0x0046, 0x0047, 0x004A, 0x0050, 0x0051, 0x0053, 0x007B, 0x007E, 0x007F, 0x0083, 0x0084, 0x0085, 0x0086,
        0x0088, 0x00FE, 0x00FF, 0x0111, 0x0112, 0x0113, 0x0127, 0x0128, 0x0129, 0x0214, 0x0215, 0x0216, 0x0218,
        0x0219, 0x0231, 0x0232, 0x0233, 0x0281, 0x0282, 0x02B1, 0x02E0, 0x02E2, 0x02E3, 0x02E4, 0x0301, 0x0308,
        0x030D, 0x030F, 0x0311, 0x0312, 0x0317, 0x0318, 0x0319, 0x031A, 0x031D, 0x031E, 0x031F, 0x0320, 0x0321,
        0x0323, 0x0326, 0x033F, 0x03E0,
    };
    const UINT refused[] = {0x0001, 0x0002, 0x000B, 0x0012, 0x002B, 0x002C, 0x0030, 0x004E, 0x0080, 0x0081, 0x0082,
                            0x0087, 0x0110, 0x0132, 0x0138, 0x00BC, 0x00D0, 0x0164, 0x0283, 0x0288, 0x0400, 0x1501,
                            0x1602, 0x8000, 0xC000};
    using dorimo::Lock;
    for (const UINT id : input) {
        EXPECT_TRUE(dorimo::taken_from_elsewhere(id, Lock::ReadOnly)) << std::hex << id;
        EXPECT_FALSE(dorimo::taken_from_elsewhere(id, Lock::Disabled)) << std::hex << id;
    }
    for (const UINT id : changes) {
        EXPECT_TRUE(dorimo::taken_from_elsewhere(id)) << std::hex << id;
        EXPECT_FALSE(dorimo::taken_from_elsewhere(id, Lock::ReadOnly)) << std::hex << id;
    }
    for (const UINT id : notices) EXPECT_TRUE(dorimo::taken_from_elsewhere(id, Lock::Disabled)) << std::hex << id;
    for (const UINT id : refused) EXPECT_FALSE(dorimo::taken_from_elsewhere(id)) << std::hex << id;
    WPARAM wparam = 7;
    LPARAM lparam = exit_process();
    dorimo::clear_untrusted(WM_TIMER, wparam, lparam);
    EXPECT_EQ(wparam, 7u);
    EXPECT_EQ(lparam, 0);
}

// A close that another program sends rather than posts (as tools that end
// programs do) ends the program as a posted one does, saving first: the
// window's destruction then happens inside the handling of a message sent
// from elsewhere, and is still the program's own.
TEST(Outside, ACloseSentFromAnotherProgramEndsTheProgram) {
    const std::pair<UINT, WPARAM> closes[] = {{WM_CLOSE, 0}, {WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& close : closes) {
        SCOPED_TRACE(close.first);
        App app;
        app.set_text("ex_path1", "calc");
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(app.form(), close.first, close.second, 0, SMTO_NORMAL, 10000, &answer);
        EXPECT_TRUE(wait_for([&] { return !app.running(); }, 10000));
        EXPECT_EQ(saved(app, "rtn1", "path1"), "calc");
    }
}

void CALLBACK no_answer_wanted(HWND, UINT, ULONG_PTR, LRESULT) {}

// A redraw switch, which only the window's own code turns, sent by another
// program in each of the three ways a message is sent: the window and its
// controls stay shown and painting.
TEST(Outside, ARedrawSwitchSentFromAnotherProgramChangesNothing) {
    App app;
    for (const char* name : {"ex_path1", "cbH1", "chk11", "btnGO1", "BitBtn1", "MEMOMO", ""}) {  // the window last
        const HWND to = *name ? app.control(name) : app.form();
        for (const int way : {0, 1, 2}) {  // waiting for the answer, with none, with a callback
            SCOPED_TRACE(std::string(name) + " " + std::to_string(way));
            DWORD_PTR answer = 0;
            if (way == 0) SendMessageTimeoutA(to, WM_SETREDRAW, FALSE, 0, SMTO_NORMAL, 5000, &answer);
            if (way == 1) SendNotifyMessageA(to, WM_SETREDRAW, FALSE, 0);
            if (way == 2) SendMessageCallbackA(to, WM_SETREDRAW, FALSE, 0, no_answer_wanted, 0);
            SendMessageTimeoutA(to, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);  // handled after the switch
            EXPECT_TRUE(IsWindowVisible(to));
        }
    }
}

// While the window waits on a box of its own (here a save that fails),
// closes and clicks that other programs post in a stream open no box more,
// and the program goes on with one box, answering.
TEST(Outside, WhileABoxIsUpPostedClosesAndClicksOpenNoMore) {
    App::Options options;
    options.ini_is_directory = true;
    App app(options);
    const HWND save = app.control("btnSAVE");
    const WPARAM save_click = MAKEWPARAM(GetDlgCtrlID(save), BN_CLICKED);
    for (const int by : {0, 1, 2}) {  // a close, a click, a click in the notification area
        SCOPED_TRACE(by);
        if (by == 2) app.click("btnTRAY");
        by == 0 ? (void)PostMessageA(app.form(), WM_CLOSE, 0, 0)
                : (void)PostMessageA(app.form(), WM_COMMAND, save_click, reinterpret_cast<LPARAM>(save));
        const HWND box = app.wait_for_message_box();
        ASSERT_NE(box, nullptr);
        for (int i = 0; i < 300; ++i) {
            PostMessageA(app.form(), WM_CLOSE, 0, 0);
            PostMessageA(app.form(), WM_COMMAND, save_click, reinterpret_cast<LPARAM>(save));
        }
        DWORD_PTR answer = 0;
        ASSERT_NE(SendMessageTimeoutA(app.form(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer), 0);
        EXPECT_EQ(process_windows(app.process_id(), "#32770").size(), 1u);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(wait_for([&] { return process_windows(app.process_id(), "#32770").empty(); }));
        EXPECT_EQ(app.wait_for_message_box(1000), nullptr);
        EXPECT_TRUE(app.running());
    }
}

// A control that has its names for screen readers keeps them when asked
// again, keeps its user data, and gets its own window procedure back before
// its object is let go: the control's own handling of its end sees them.
LONG_PTR seen_procedure = 0, seen_data = 0;
LRESULT CALLBACK own_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCDESTROY) {
        seen_procedure = GetWindowLongPtrA(window, GWLP_WNDPROC);
        seen_data = GetWindowLongPtrA(window, GWLP_USERDATA);
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST(Outside, AControlGetsItsOwnProcedureBackBeforeItsReadersObjectGoes) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = own_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "dorimo test control";
    RegisterClassA(&wc);
    HWND control = CreateWindowExA(0, wc.lpszClassName, "即実行", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    ASSERT_NE(control, nullptr);
    SetWindowLongPtrA(control, GWLP_USERDATA, 0x5678);
    dorimo::ControlSpec run;
    run.name = "btnRUN2", run.kind = dorimo::Kind::Button, run.reader_name = "登録2 ";
    dorimo::name_for_readers(control, run);
    const LONG_PTR wrapped = GetWindowLongPtrA(control, GWLP_WNDPROC);
    const LONG_PTR object = GetWindowLongPtrA(control, GWLP_USERDATA);
    dorimo::name_for_readers(control, run);  // a second time: nothing changes
    EXPECT_EQ(GetWindowLongPtrA(control, GWLP_WNDPROC), wrapped);
    EXPECT_EQ(GetWindowLongPtrA(control, GWLP_USERDATA), object);
    EXPECT_EQ(window_text(control), "即実行");
    DestroyWindow(control);
    EXPECT_EQ(seen_procedure, reinterpret_cast<LONG_PTR>(own_procedure));
    EXPECT_EQ(seen_data, 0x5678);
}

}  // namespace
}  // namespace e2e
