// The main window as a user meets it: layout, arming by clicks, loading,
// saving, the error box, keyboard order and the end of a session.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app_driver.h"
#include "layout.h"
#include "single_copy.h"

#include <sddl.h>

namespace e2e {
namespace {

using Lines = std::vector<std::string>;

SYSTEMTIME now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

RECT client_rect_of(HWND form, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A settings file as a save writes it, with the given sections' keys set.
std::string ini_text(const std::vector<std::pair<std::string, std::string>>& keys_by_section) {
    std::string out;
    std::string section;
    for (const auto& [sec, line] : keys_by_section) {
        if (sec != section) out += "[" + sec + "]\r\n";
        section = sec;
        out += line + "\r\n";
    }
    return out;
}

// The bytes a save writes for default slots, with changes per key.
std::string saved_ini(const std::vector<std::pair<std::string, std::string>>& changes = {}) {
    std::vector<std::pair<std::string, std::string>> keys{{"main", "tray=0"}};
    for (const char* n : {"1", "2", "3", "4", "5"}) {
        const std::string s = std::string("rtn") + n;
        for (int d = 1; d <= 7; ++d) keys.push_back({s, "chk" + std::string(n) + std::to_string(d) + "=0"});
        keys.push_back({s, std::string("H") + n + "=00"});
        keys.push_back({s, std::string("M") + n + "=00"});
        keys.push_back({s, std::string("path") + n + "=notepad"});
        keys.push_back({s, std::string("MAE") + n + "="});
        keys.push_back({s, std::string("TUGI") + n + "="});
    }
    for (const auto& [key, value] : changes) {
        for (auto& k : keys) {
            if (k.second.substr(0, k.second.find('=')) == key) k.second = key + "=" + value;
        }
    }
    return ini_text(keys);
}

TEST(Window, FreshStartShowsEveryControlInPlace) {
    App app;
    RECT client;
    GetClientRect(app.form(), &client);
    EXPECT_EQ(client.right, 767);
    EXPECT_EQ(client.bottom, 325);
    RECT window;
    GetWindowRect(app.form(), &window);
    EXPECT_EQ(window.left, 136);
    EXPECT_EQ(window.top, 110);
    EXPECT_EQ(window_text(app.form()), "ドリモ丸");
    ASSERT_NE(app.application_window(), nullptr);
    EXPECT_EQ(window_text(app.application_window()), "ドリモ玉");
    EXPECT_FALSE(GetWindowLongA(app.form(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME));

    for (const dorimo::ControlSpec& control : dorimo::form_layout()) {
        if (control.kind == dorimo::Kind::Timer || control.kind == dorimo::Kind::OpenDialog) continue;
        HWND c = app.control(control.name);
        ASSERT_NE(c, nullptr) << control.name;
        const RECT r = client_rect_of(app.form(), c);
        EXPECT_EQ(r.left, control.left) << control.name;
        EXPECT_EQ(r.top, control.top) << control.name;
        const bool label = control.kind == dorimo::Kind::Label, combo = control.kind == dorimo::Kind::Combo;
        EXPECT_EQ(r.right - r.left, label ? r.right - r.left : control.width) << control.name;
        EXPECT_EQ(r.bottom - r.top, label || combo ? r.bottom - r.top : control.height) << control.name;
        EXPECT_EQ(window_text(c), control.text) << control.name;
        EXPECT_EQ(IsWindowEnabled(c) != 0, control.kind != dorimo::Kind::ReadOnlyEdit) << control.name;
        EXPECT_FALSE(SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED && !combo && !label) << control.name;
    }
    // The figures of the window's design, one or more of each kind and the
    // bottom strip, independent of the table that built the window.
    const struct {
        const char* name;
        int left, top, width, height;  // 0: not checked
    } design[] = {
        {"Label8", 48, 4, 0, 0},          {"Label13", 616, 4, 0, 0},        {"Label2", 4, 20, 0, 0},
        {"Label21", 204, 104, 0, 0},      {"chk11", 48, 20, 17, 17},        {"chk57", 144, 100, 17, 17},
        {"chk34", 96, 60, 17, 17},        {"cbH1", 168, 20, 37, 0},         {"cbM4", 208, 80, 37, 0},
        {"ex_path3", 248, 60, 185, 20},   {"BitBtn5", 432, 100, 21, 20},    {"txtMAE2", 456, 40, 109, 20},
        {"btnRUN4", 568, 80, 44, 21},     {"txtTUGI5", 616, 100, 109, 20},  {"btnGO1", 728, 20, 33, 21},
        {"btnTRAY", 48, 126, 129, 19},    {"chkTORAY", 188, 128, 153, 17},  {"btnSAVE", 636, 126, 89, 19},
        {"MEMOMO", 4, 152, 757, 169},
    };
    for (const auto& d : design) {
        const RECT r = client_rect_of(app.form(), app.control(d.name));
        EXPECT_EQ(r.left, d.left) << d.name;
        EXPECT_EQ(r.top, d.top) << d.name;
        if (d.width) {
            EXPECT_EQ(r.right - r.left, d.width) << d.name;
        }
        if (d.height) {
            EXPECT_EQ(r.bottom - r.top, d.height) << d.name;
        }
    }

    EXPECT_EQ(app.log(), Lines{">"});
    EXPECT_EQ(app.text("Label2"), "登録1");
    EXPECT_EQ(app.text("Label20"), "登録5");

    // Limits on typing, and the lists of the drop-down boxes.
    EXPECT_EQ(SendMessageA(app.control("ex_path3"), EM_GETLIMITTEXT, 0, 0), 200);
    EXPECT_EQ(SendMessageA(FindWindowExA(app.control("cbH3"), nullptr, "Edit", nullptr), EM_GETLIMITTEXT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(app.control("cbH1"), CB_GETCOUNT, 0, 0), 24);
    EXPECT_EQ(SendMessageA(app.control("cbM1"), CB_GETCOUNT, 0, 0), 6);
    wchar_t item[8] = {};
    SendMessageW(app.control("cbH1"), CB_GETLBTEXT, 23, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(std::wstring(item), L"23");
    SendMessageW(app.control("cbM5"), CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(std::wstring(item), L"50");
    app.type("ex_path1", std::string(250, 'a'));
    EXPECT_EQ(app.text("ex_path1").size(), 200u);  // "notepad" and 193 typed

    EXPECT_EQ(GetFileAttributesA(app.ini_path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Window, ArmingDisarmingAndRepairByClicks) {
    App app;
    app.set_checked("chk12", true);
    app.set_checked("chk16", true);
    app.set_text("cbH1", "ab");
    app.set_text("cbM1", "7");
    const SYSTEMTIME before = now();
    app.click("btnGO1");
    const SYSTEMTIME after = now();
    EXPECT_EQ(app.text("cbH1"), "00");
    EXPECT_EQ(app.text("cbM1"), "07");
    EXPECT_EQ(app.text("btnGO1"), "停止");
    const std::string next = app.text("txtTUGI1");
    ASSERT_EQ(next.size(), 19u);
    EXPECT_EQ(next.substr(10), " 00:07:00");

    Lines log = app.log();
    ASSERT_EQ(log.size(), 2u);
    const std::string head = "登録1予約 ", tail = "  次回実行日時<" + next + ">";
    ASSERT_EQ(log[0].substr(0, head.size()), head);
    ASSERT_GT(log[0].size(), head.size() + tail.size());
    EXPECT_EQ(log[0].substr(log[0].size() - tail.size()), tail);
    EXPECT_TRUE(stamp_between(log[0].substr(head.size(), log[0].size() - head.size() - tail.size()), before, after))
        << log[0];

    app.click("btnGO1");
    EXPECT_EQ(app.text("btnGO1"), "予約");
    EXPECT_EQ(app.text("txtTUGI1"), "");
    app.click("btnGO4");  // no day checked: stays disarmed
    log = app.log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].rfind("登録1停止 ", 0), 0u) << log[1];
    EXPECT_EQ(log[2].rfind("登録4停止 ", 0), 0u) << log[2];
    EXPECT_EQ(log[3], ">");
}

TEST(Window, LoadsArmedSlotsInSlotOrderAndSavesEveryKey) {
    App::Options options;
    options.ini =
        "[main]\r\ntray=0\r\n"
        "[rtn1]\r\nchk12=1\r\nH1=13\r\nM1=20\r\nTUGI1=2000/01/01 00:00:00\r\nMAE1=2024/04/29 13:20:00\r\n"
        "[rtn2]\r\nTUGI2=stored\r\n"
        "[RTN3]\r\nChk31=1\r\nchk37=$1\r\nTUGI3=x\r\npath3=\r\n"
        "[rtn4]\r\nH4=ab\r\nTUGI4=\r\n"
        "[other]\r\nkeep=this\r\n";
    App app(options);
    const Lines log = app.log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].rfind("登録1予約 ", 0), 0u) << log[0];
    EXPECT_EQ(log[1].rfind("登録2停止 ", 0), 0u) << log[1];
    EXPECT_EQ(log[2].rfind("登録3予約 ", 0), 0u) << log[2];
    EXPECT_EQ(app.text("btnGO1"), "停止");
    EXPECT_EQ(app.text("btnGO2"), "予約");
    EXPECT_EQ(app.text("txtTUGI2"), "");
    EXPECT_EQ(app.text("txtTUGI1").substr(10), " 13:20:00");
    EXPECT_EQ(app.text("txtMAE1"), "2024/04/29 13:20:00");
    EXPECT_EQ(app.text("ex_path3"), "");
    EXPECT_EQ(app.text("ex_path1"), "notepad");
    EXPECT_EQ(app.text("cbH4"), "ab");
    EXPECT_TRUE(app.checked("chk31"));
    EXPECT_TRUE(app.checked("chk37"));

    app.click("btnSAVE");
    const std::string saved = read_file(app.ini_path());
    for (const char* line : {"chk12=1\r\n", "H1=13\r\n", "TUGI2=\r\n", "H4=ab\r\n", "path3=\r\n", "keep=this\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
    EXPECT_NE(saved.find("TUGI1=" + app.text("txtTUGI1") + "\r\n"), std::string::npos);

    app.set_checked("chkTORAY", true);
    ASSERT_TRUE(app.close());
    EXPECT_NE(read_file(app.ini_path()).find("tray=1\r\n"), std::string::npos);
}

TEST(Window, FirstSaveIntoAnEmptyFolderWritesTheKeysInOrder) {
    App app;
    app.set_text("cbH2", "9");
    app.click("btnSAVE");
    EXPECT_EQ(read_file(app.ini_path()), saved_ini({{"H2", "9"}}));
}

TEST(Window, ASaveThatFailsShowsTheErrorAndKeepsTheWindow) {
    App::Options options;
    options.ini_is_directory = true;
    App app(options);

    app.post_click("btnSAVE");
    HWND box = app.wait_for_message_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(window_text(box), "ドリモ玉");
    EXPECT_EQ(message_box_text(box), app.ini_path() + " に書き込めません.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }));

    // A close fails the same way, and the program goes on.
    PostMessageA(app.form(), WM_CLOSE, 0, 0);
    box = app.wait_for_message_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), app.ini_path() + " に書き込めません.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }));
    EXPECT_TRUE(app.running());
    EXPECT_TRUE(IsWindowVisible(app.form()));

    // From the notification area the window comes back after the box.
    app.click("btnTRAY");
    ASSERT_FALSE(IsWindowVisible(app.form()));
    PostMessageA(app.form(), WM_CLOSE, 0, 0);
    box = app.wait_for_message_box();
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_for([&] { return IsWindowVisible(app.form()) != 0; }));
    EXPECT_TRUE(IsWindowVisible(app.application_window()));
    EXPECT_TRUE(tray_icons().empty());

    // Once the file can be written, the close goes through.
    RemoveDirectoryA(app.ini_path().c_str());
    EXPECT_TRUE(app.close());
    EXPECT_EQ(read_file(app.ini_path()), saved_ini());
}

bool has_focus(const App& app, const std::string& name) {
    const HWND f = app.focused(), c = app.control(name);
    return f == c || GetParent(f) == c;  // a drop-down list's focus is in its edit box
}

// Tab through the whole window: every control that takes the focus, in the
// order of the design, the log left out, and round to the start.
TEST(Window, TabMovesThroughTheControlsInOrder) {
    App app;
    ASSERT_TRUE(wait_for([&] { return has_focus(app, "btnTRAY"); }));
    std::vector<std::string> order{"chkTORAY"};
    auto row = [&](const std::string& n) {
        for (int d = 1; d <= 7; ++d) order.push_back("chk" + n + std::to_string(d));
        for (const char* part : {"cbH", "cbM", "ex_path", "btnGO"}) order.push_back(part + n);
    };
    row("1");
    row("2");
    order.insert(order.end(), {"btnSAVE", "BitBtn1", "BitBtn2"});
    row("3");
    order.push_back("BitBtn3");
    row("4");
    order.push_back("BitBtn4");
    row("5");
    order.insert(order.end(), {"BitBtn5", "btnRUN1", "btnRUN2", "btnRUN3", "btnRUN4", "btnRUN5", "btnTRAY"});
    for (const std::string& expected : order) {
        app.press(VK_TAB);
        ASSERT_TRUE(wait_for([&] { return has_focus(app, expected); }, 3000)) << expected;
    }
}

// Keys as a person presses them, in each kind of control: none closes the
// window or is lost, Tab moves on, and the log is read and copied with keys.
TEST(Window, KeysInEveryKindOfControlKeepTheWindow) {
    App app;
    ASSERT_TRUE(wait_for([&] { return has_focus(app, "btnTRAY"); }));

    // The log: Esc does nothing, Tab and Shift+Tab leave it.
    ASSERT_TRUE(app.click_into(app.control("MEMOMO")));
    app.press(VK_ESCAPE);
    app.press(VK_RETURN);
    app.press(VK_TAB);
    EXPECT_TRUE(wait_for([&] { return has_focus(app, "btnRUN1"); }, 3000));
    ASSERT_TRUE(app.click_into(app.control("MEMOMO")));
    app.press_with_shift(VK_TAB);
    EXPECT_TRUE(wait_for([&] { return has_focus(app, "BitBtn5"); }, 3000));

    // Ctrl+A selects the whole log, Ctrl+C copies it.
    ASSERT_TRUE(app.click_into(app.control("MEMOMO")));
    app.press('A', '\x01');
    EXPECT_TRUE(wait_for([&] { return SendMessageA(app.control("MEMOMO"), EM_GETSEL, 0, 0) == MAKELONG(0, 1); }, 3000));
    app.press('C', '\x03');
    EXPECT_TRUE(wait_for([] {
        if (!OpenClipboard(nullptr)) return false;
        const HANDLE data = GetClipboardData(CF_TEXT);
        const bool copied = data && std::string(static_cast<const char*>(GlobalLock(data))) == ">";
        if (data) GlobalUnlock(data);
        CloseClipboard();
        return copied;
    }, 3000));

    // Edit box, drop-down list, check box and button: Esc and Enter change
    // nothing, Space does what it does to that kind, Tab moves on.
    const struct {
        const char* name;
        const char* next;
    } controls[] = {{"ex_path1", "btnGO1"}, {"cbH2", "cbM2"}, {"chk33", "chk34"}, {"btnGO4", "BitBtn4"}};
    for (const auto& c : controls) {
        ASSERT_TRUE(app.click_into(app.control(c.name))) << c.name;
        app.press(VK_ESCAPE);
        app.press(VK_RETURN);
        app.press(VK_SPACE);
        app.press(VK_TAB);
        EXPECT_TRUE(wait_for([&] { return has_focus(app, c.next); }, 3000)) << c.name;
    }
    EXPECT_TRUE(app.running());
    EXPECT_TRUE(IsWindowVisible(app.form()));
    EXPECT_EQ(app.text("ex_path1").size(), 8u);  // a blank where the click put the caret
    EXPECT_NE(app.text("ex_path1").find("notepad"), std::string::npos);
    EXPECT_EQ(app.text("cbH2"), " ");  // typed over the selected "00"
    EXPECT_FALSE(app.checked("chk33"));  // clicked into, then Space: off again
    const Lines log = app.log();
    ASSERT_EQ(log.size(), 3u);  // the click and Space pressed the toggle of slot 4, which has no day
    EXPECT_EQ(log[0].rfind("登録4停止 ", 0), 0u) << log[0];
    EXPECT_EQ(log[1].rfind("登録4停止 ", 0), 0u) << log[1];
    EXPECT_EQ(GetFileAttributesA(app.ini_path().c_str()), INVALID_FILE_ATTRIBUTES);  // nothing closed, nothing saved
}

TEST(Window, TheEndOfTheSessionSavesWithoutClosing) {
    App app;
    app.set_text("ex_path5", "calc");
    SendMessageA(app.form(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(read_file(app.ini_path()), saved_ini({{"path5", "calc"}}));
}

TEST(Window, TheLogKeepsEveryLine) {
    App app;
    for (int i = 0; i < 1200; ++i) app.click("btnGO3");  // about 40 000 characters
    const Lines log = app.log();
    ASSERT_EQ(log.size(), 1201u);
    EXPECT_EQ(log[1199].rfind("登録3停止 ", 0), 0u) << log[1199];
    EXPECT_EQ(log.back(), ">");
    // The newest line is in view.
    HWND memo = app.control("MEMOMO");
    const LRESULT first_visible = SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(first_visible, 1100);
}

// A folder whose name the code page cannot hold: the settings file beside
// the program is still the one read and written, and stays Shift-JIS.
TEST(Window, AFolderNamedOutsideTheCodePageKeepsItsSettings) {
    const std::wstring folder = to_wide(new_temp_folder()) + L"\\dorimo-\u00e9\ud55c";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    App::Options options;
    options.wide_folder = folder;
    options.ini = saved_ini({{"path2", "C:\\予定表\\週報.bat"}, {"H2", "07"}});
    App app(options);
    EXPECT_EQ(app.text("ex_path2"), "C:\\予定表\\週報.bat");
    EXPECT_EQ(app.text("cbH2"), "07");

    app.set_text("ex_path4", "ソフト表");
    ASSERT_TRUE(app.close());
    std::ifstream in(std::filesystem::path(folder + L"\\dorimo.ini"), std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, saved_ini({{"path2", "C:\\予定表\\週報.bat"}, {"H2", "07"}, {"path4", "ソフト表"}}));
}

// The same folder through another drive letter: Wine's drive for the root
// of the Linux file system.
std::wstring through_another_drive(const std::wstring& path) {
    const auto unix_name = reinterpret_cast<char*(CDECL*)(const wchar_t*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring other = L"Z:" + to_wide(unix_name ? unix_name(path.c_str()) : "");
    for (wchar_t& c : other) c = c == L'/' ? L'\\' : c;
    return other;
}

// A second start with the same settings file brings the running copy's
// window back and ends, however the program is spelled or named; requests
// that carry nothing, too much or another settings file change nothing;
// from another folder a copy runs on its own.
TEST(Window, ASecondStartShowsTheRunningCopy) {
    const struct {
        const char* way;
        std::wstring (*exe)(const std::wstring& exe);
    } ways[] = {
        {"the same path", [](const std::wstring& exe) { return exe; }},
        {"in capitals",
         [](const std::wstring& exe) {
             std::wstring upper = exe;
             CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
             return upper;
         }},
        {"by the short name",
         [](const std::wstring& exe) {
             std::wstring short_name(MAX_PATH, L'\0');
             short_name.resize(GetShortPathNameW(exe.c_str(), short_name.data(), MAX_PATH));
             return short_name;
         }},
        {"through another drive", through_another_drive},
        {"a renamed copy beside it",
         [](const std::wstring& exe) {
             const std::wstring copy = exe.substr(0, exe.rfind(L'\\')) + L"\\dorimo-copy.exe";
             CopyFileW(exe.c_str(), copy.c_str(), FALSE);
             return copy;
         }},
    };
    std::vector<char> unterminated(1 << 20, 'a');
    COPYDATASTRUCT nothing{0x646F7269, 0, nullptr}, too_much{0x646F7269, 1 << 20, unterminated.data()};
    const struct {
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
    } strange[] = {{WM_COPYDATA, 0, 0},
                   {WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&nothing)},
                   {WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&too_much)},
                   {dorimo::show_request_message(), 1, 2}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        App::Options options;
        options.folder = new_temp_folder() + "\\long folder name";
        ASSERT_TRUE(CreateDirectoryA(options.folder.c_str(), nullptr));
        App app(options);
        app.click("btnTRAY");
        ASSERT_TRUE(wait_for([] { return tray_icons().size() == 1; }));
        const Lines log = app.log();
        for (const auto& r : strange) {
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(app.form(), r.message, r.wparam, r.lparam, SMTO_ABORTIFHUNG, 5000, &answer);
            EXPECT_NE(answer, static_cast<DWORD_PTR>(dorimo::kShown)) << r.message;
        }
        Sleep(300);
        EXPECT_FALSE(IsWindowVisible(app.form()));

        const std::wstring exe = way.exe(to_wide(app.exe_path()));
        EXPECT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(run_to_end(exe, to_wide(app.folder()), 12000), 0);
        EXPECT_TRUE(wait_for([&] { return IsWindowVisible(app.form()) != 0; }));
        EXPECT_TRUE(wait_for([] { return tray_icons().empty(); }));
        EXPECT_FALSE(IsIconic(app.form()));
        EXPECT_EQ(process_windows(app.process_id(), "TForm1").size(), 1u);
        EXPECT_EQ(app.log(), log);
        EXPECT_EQ(GetFileAttributesA(app.ini_path().c_str()), INVALID_FILE_ATTRIBUTES);
    }

    {  // The running copy is still starting, set to go into the notification
       // area: held between the making of its window and its first paint
       // while the request comes, which its first paint does not undo.
        long second = 1;
        App::Options options;
        options.ini = "[main]\r\ntray=1\r\n";
        options.on_start = [&](const PROCESS_INFORMATION& first, const std::wstring& exe, const std::wstring& folder) {
            for (int ms = 0; process_windows(first.dwProcessId, "TForm1").empty() && ms < 15000; ++ms) Sleep(1);
            SuspendThread(first.hThread);
            second = run_to_end(exe, folder, 12000, [&](DWORD) {
                Sleep(1000);
                ResumeThread(first.hThread);
            });
        };
        App app(options);
        EXPECT_EQ(second, 0);
        Sleep(500);
        EXPECT_TRUE(IsWindowVisible(app.form()));
        EXPECT_TRUE(tray_icons().empty());
    }

    App app;
    App other;
    EXPECT_TRUE(app.running());
    EXPECT_TRUE(other.running());
    EXPECT_NE(other.process_id(), app.process_id());
}

// A second start whose running copy cannot come forward says so in a box
// and ends without touching the settings: the running copy's lock refuses
// it, the copy runs in another session, or it does not answer. The test
// holds the locks as such a copy would.
TEST(Window, ASecondStartThatCannotShowTheRunningCopySaysSo) {
    const wchar_t* const open_to_all = L"D:(A;;0x00100001;;;WD)";  // wait and query, as the program makes them
    const struct {
        const char* held;
        const wchar_t* security;  // of the locks
        bool session_lock;        // held in this session as well
        const char* says;
    } cases[] = {
        {"by a lock that refuses the program", L"D:", false, "動いている方を前面に出せませんでした"},
        {"in another session", open_to_all, false, "別のセッション"},
        {"by a copy that does not answer", open_to_all, true, "応答しない"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.held);
        const std::string folder = new_temp_folder();
        const std::wstring exe = to_wide(folder + "\\dorimo.exe");
        copy_program("dorimo.exe", exe);
        const std::string settings = saved_ini({{"path1", "calc"}});
        write_file(folder + "\\dorimo.ini", settings);

        PSECURITY_DESCRIPTOR security = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.security, SDDL_REVISION_1, &security, nullptr));
        SECURITY_ATTRIBUTES attributes{sizeof attributes, security, FALSE};
        const std::wstring name = dorimo::settings_lock_name(to_wide(folder) + L"\\");
        const HANDLE global = CreateMutexW(&attributes, TRUE, (L"Global\\" + name).c_str());
        const HANDLE local = c.session_lock ? CreateMutexW(&attributes, TRUE, (L"Local\\" + name).c_str()) : nullptr;
        LocalFree(security);

        EXPECT_EQ(run_to_end(exe, to_wide(folder), 20000,
                             [&](DWORD second) {
                                 const HWND box = wait_for_message_box(second, 15000);
                                 ASSERT_NE(box, nullptr);
                                 EXPECT_EQ(window_text(box), "ドリモ玉");
                                 const std::string text = message_box_text(box);
                                 EXPECT_NE(text.find("この設定ファイルを使って既に動いています"), std::string::npos);
                                 EXPECT_NE(text.find(c.says), std::string::npos) << text;
                                 EXPECT_TRUE(process_windows(second, "TForm1").empty());
                                 PostMessageA(box, WM_COMMAND, IDOK, 0);
                             }),
                  0);
        EXPECT_EQ(read_file(folder + "\\dorimo.ini"), settings);
        CloseHandle(global);
        if (local) CloseHandle(local);
    }
}

}  // namespace
}  // namespace e2e
