// The main window as a user meets it: layout, arming by clicks, loading,
// saving, the error box, keyboard order and the end of a session.
#include <gtest/gtest.h>
#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "accessible.h"
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
    EXPECT_EQ(GetFileAttributesA((app.ini_path() + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A save cut off between its steps left its whole new file behind. Beside
// the settings file it goes at the start; without it, it is the newest copy:
// moved into place and loaded, armed slots armed again, and the close saves
// what it held.
TEST(Window, ANewFileLeftByACutSaveIsRemovedOrTakenUp) {
    for (const bool with_file : {true, false}) {
        App::Options options;
        options.folder = new_temp_folder();
        if (with_file) options.ini = saved_ini({{"H2", "5"}});
        const std::string left = options.folder + "\\dorimo.ini.new";
        write_file(left, saved_ini({{"path1", "C:\\kept\\予定.cmd"}, {"chk21", "1"}, {"TUGI2", "x"}}));
        App app(options);
        EXPECT_EQ(app.text("cbH2"), with_file ? "5" : "00");
        EXPECT_EQ(app.text("ex_path1"), with_file ? "notepad" : "C:\\kept\\予定.cmd");
        EXPECT_EQ(app.text("btnGO2"), with_file ? "予約" : "停止");
        EXPECT_EQ(GetFileAttributesA(left.c_str()), INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(app.close());
        EXPECT_NE(read_file(app.ini_path()).find(with_file ? "H2=5\r\n" : "path1=C:\\kept\\予定.cmd\r\n"),
                  std::string::npos);
    }
}

// A folder at the settings file's name: no box at the start, the defaults; each save says the file
// cannot be written, and the close stays refused until a save succeeds.
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

// The settings file edited by hand while the program runs: the close and "設定保存" ask and do as answered
// (kept at a close, the program ends and the next start shows the edit); the session's end keeps it.
TEST(Window, ASettingsFileChangedSinceTheStartIsWrittenOverOnlyWhenTheUserSays) {
    const std::string edited = saved_ini({{"path1", "C:\\mine\\edited.bat"}}) + "[mine]\r\nkeep=1\r\n";
    const struct { UINT message; WPARAM answer; bool ends, written; } rows[] = {
        {WM_CLOSE, IDNO, true, false},     {WM_CLOSE, IDYES, true, true},  {WM_CLOSE, IDCANCEL, false, false},
        {WM_COMMAND, IDNO, false, false},  {WM_COMMAND, IDYES, false, true}, {WM_ENDSESSION, 0, false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.message) + " " + std::to_string(row.answer));
        App::Options options;
        options.ini = saved_ini({{"path1", "C:\\mine\\task.bat"}});
        App app(options);
        app.set_text("cbH2", "9");
        write_file(app.ini_path(), edited);
        row.message == WM_COMMAND ? app.post_click("btnSAVE") : void(PostMessageA(app.form(), row.message, 1, 0));
        HWND box = app.wait_for_message_box(row.answer ? 5000 : 2000);
        ASSERT_EQ(box && message_box_text(box).rfind(app.ini_path() + " は、読み込んだ後", 0) == 0, row.answer != 0);
        PostMessageA(box, WM_COMMAND, row.answer, 0);
        EXPECT_EQ(wait_for([&] { return !app.running(); }, row.ends ? 15000 : 1000), row.ends);
        EXPECT_TRUE(wait_for([&] {  // the file as a whole, not a look at it in the middle of its replace
            const std::string now = read_file(app.ini_path());
            return row.written ? now.find("H2=9\r\n") != std::string::npos : now == edited;
        }));
        options.folder = app.folder(), options.ini.clear();
        EXPECT_TRUE(!row.ends || row.written || App(options).text("ex_path1") == "C:\\mine\\edited.bat");
    }
}

// Another program holds the settings file from before the start on and long after: the start,
// the save button and the close each say so once, and the program ends with the file as it was;
// floods of private messages and a timer's procedure posted to each box meanwhile change nothing.
TEST(Window, ASettingsFileHeldByAnotherProgramIsLeftAsItWas) {
    App::Options options;
    options.folder = new_temp_folder();
    const std::string path = options.folder + "\\dorimo.ini", ini = saved_ini({{"path1", "C:\\mine\\task.bat"}});
    write_file(path, ini);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    App app(options);
    const std::string said[] = {" を読み込めません (", " は起動時に読み込めなかったため ("};
    for (const int box_of : {0, 1, 2}) {  // the start, the save button, the close
        HWND box = app.wait_for_message_box(10000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(message_box_text(box).rfind(path + said[box_of > 0], 0), 0u) << message_box_text(box);
        for (HWND to : {box, FindWindowExA(box, nullptr, "Button", nullptr), app.control("ex_path1")}) flood(to);
        if (box_of < 2) {  // a quit posted to the thread dismisses no box
            PostThreadMessageA(GetWindowThreadProcessId(box, nullptr), WM_QUIT, 0, 0);
            Sleep(1500);
            EXPECT_TRUE(IsWindowVisible(box));
        }
        if (box_of == 0) CloseHandle(held);
        PostMessageA(box, WM_COMMAND, IDOK, 0);  // taken after the floods
        ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }, 60000));
        if (box_of == 0) app.post_click("btnSAVE");
        if (box_of == 1) PostMessageA(app.form(), WM_CLOSE, 0, 0);
    }
    EXPECT_TRUE(wait_for([&] { return !app.running(); }));
    EXPECT_EQ(read_file(path), ini);
}

// Where no new file can be made beside the settings (a folder stands in its
// place here), the save writes the file in place as the profile functions
// do; a read-only settings file is refused with the error box, unchanged.
TEST(Window, WithoutAFileBesideItTheSaveWritesInPlaceAndAReadOnlyFileIsRefused) {
    App::Options options;
    options.folder = new_temp_folder();
    options.ini = saved_ini();
    ASSERT_TRUE(CreateDirectoryA((options.folder + "\\dorimo.ini.new").c_str(), nullptr));
    App app(options);
    app.set_text("cbH2", "9");
    app.post_click("btnSAVE");
    EXPECT_TRUE(wait_for([&] { return read_file(app.ini_path()) == saved_ini({{"H2", "9"}}); }));
    ASSERT_EQ(app.wait_for_message_box(2000), nullptr);

    ASSERT_TRUE(SetFileAttributesA(app.ini_path().c_str(), FILE_ATTRIBUTE_READONLY));
    app.set_text("cbH2", "8");
    app.post_click("btnSAVE");
    HWND box = app.wait_for_message_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), app.ini_path() + " に書き込めません.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }));
    EXPECT_EQ(read_file(app.ini_path()), saved_ini({{"H2", "9"}}));
    SetFileAttributesA(app.ini_path().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Writes 4 KiB pieces into a new file until the drive takes no more.
void fill_drive(const std::string& filler) {
    HANDLE f = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    const std::string page(4096, 'f');
    DWORD written = 0;
    while (WriteFile(f, page.data(), 4096, &written, nullptr) && written == 4096) {
    }
    CloseHandle(f);
}

// The program and its settings on a small drive that full_disk.sh mounts and
// names in DORIMO_FULL_DISK; the settings file just under one 4 KiB page,
// the user's own section after the slots or before them, a long program path
// typed into slot 5, and then the drive filled.
TEST(FullDisk, ASaveOnAFullDriveKeepsTheFileAndSaysSoAndLaterWritesEveryLine) {
    char drive[8] = {};
    if (!GetEnvironmentVariableA("DORIMO_FULL_DISK", drive, sizeof drive))
        GTEST_SKIP() << "needs a small drive set aside for the tests, named in DORIMO_FULL_DISK";
    const std::string path5 = "C:\\" + std::string(180, 'p') + "\\tool.exe";
    const std::string mine = "[mine]\r\nnote=";
    for (const bool mine_first : {false, true}) {
        const std::string folder = std::string(drive) + (mine_first ? "\\first" : "\\last");
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        const std::string pad(4000 - saved_ini().size() - mine.size() - 2, 'x');
        const std::string own = mine + pad + "\r\n";
        App::Options options;
        options.folder = folder;
        options.ini = mine_first ? own + saved_ini() : saved_ini() + own;
        App app(options);
        app.set_text("ex_path5", "");
        app.type("ex_path5", path5);
        fill_drive(std::string(drive) + "\\filler");

        // 設定保存 and the close: the error box, the file as it was, no new
        // file left, the window still open.
        for (const bool close : {false, true}) {
            if (close) PostMessageA(app.form(), WM_CLOSE, 0, 0);
            else app.post_click("btnSAVE");
            HWND box = app.wait_for_message_box();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(message_box_text(box), app.ini_path() + " に書き込めません.");
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }));
            EXPECT_EQ(read_file(app.ini_path()), options.ini);
            EXPECT_EQ(GetFileAttributesA((app.ini_path() + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
            EXPECT_TRUE(app.running());
        }

        // Room again: a save writes every line.
        ASSERT_TRUE(DeleteFileA((std::string(drive) + "\\filler").c_str()));
        app.click("btnSAVE");
        const std::string slots = saved_ini({{"path5", path5}});
        EXPECT_EQ(read_file(app.ini_path()), mine_first ? own + slots : slots + own);
        EXPECT_TRUE(app.close());
    }
}

// The UTF-16 form of a code page 932 text, whatever the test's code page.
std::wstring from_cp932(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

// The text of a window or control of another process in UTF-16, asked of
// the control itself (GetWindowTextW gives other processes' captions only).
std::wstring wide_text(HWND window) {
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

// The system's code page for programs that do not choose their own (the
// tests' own is 932, from their manifest).
UINT system_code_page() {
    char code_page[8] = {};
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, code_page, sizeof code_page);
    return static_cast<UINT>(std::atoi(code_page));
}

// With the system's code page 1252 (under Wine: LANG=en_US.UTF-8), the
// program still runs in code page 932: every caption reads in Japanese and a
// Japanese program path comes back from the settings file whole.

TEST(OtherCodePage, TheWindowReadsInJapaneseAndTheSettingsKeepTheirBytes) {
    if (system_code_page() == 932) GTEST_SKIP() << "needs a system locale other than Japanese";
    const std::string path1 = "D:\\ソフト\\予定表.exe";  // second bytes 0x5C
    App::Options options;
    options.ini = saved_ini({{"path1", path1}, {"H1", "０７"}});
    App app(options);
    EXPECT_EQ(wide_text(app.form()), from_cp932("ドリモ丸"));
    for (const dorimo::ControlSpec& c : dorimo::form_layout()) {
        if (c.kind == dorimo::Kind::Timer || c.kind == dorimo::Kind::OpenDialog || c.kind == dorimo::Kind::Memo)
            continue;
        const std::string want = c.name == "ex_path1" ? path1 : c.name == "cbH1" ? "０７" : c.text;
        EXPECT_EQ(wide_text(app.control(c.name)), from_cp932(want)) << c.name;
    }
    app.click("btnSAVE");
    EXPECT_EQ(read_file(app.ini_path()), options.ini);
    EXPECT_TRUE(app.close());
    EXPECT_EQ(read_file(app.ini_path()), options.ini);
}

// A Windows that does not honour the manifest's code page, played by a copy
// of the program whose manifest lacks it, and one with the option for UTF-8
// on, played by a manifest asking for UTF-8: a box in Japanese and English
// says what to change, and the program ends without touching its settings.
TEST(OtherCodePage, WithoutTheCodePageTheProgramSaysWhatItNeedsAndEnds) {
    const struct {
        std::string manifest;
        std::vector<std::wstring> says;
    } cases[] = {
        {"<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"/>",
         {from_cp932("日本語のコード ページ (932)"), from_cp932("「日本語 (日本)」"), L"Japanese code page (932)",
          L"Japanese (Japan)"}},
        {"<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"><application "
         "xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings><activeCodePage "
         "xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>"
         "</windowsSettings></application></assembly>",
         {from_cp932("「ベータ: ワールドワイド言語サポートで Unicode UTF-8 を使用」"),
          L"\"Beta: Use Unicode UTF-8 for worldwide language support\""}},
    };
    for (const auto& test_case : cases) {
        if (system_code_page() == 932 && &test_case == cases) continue;  // the system's code page is 932 here
        SCOPED_TRACE(test_case.manifest);
        const std::string folder = new_temp_folder();
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring program = self;
        program = program.substr(0, program.find_last_of(L'\\') + 1) + L"dorimo.exe";
        const std::wstring exe = to_wide(folder) + L"\\dorimo.exe";
        ASSERT_TRUE(CopyFileW(program.c_str(), exe.c_str(), FALSE));
        HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
        ASSERT_NE(update, nullptr);
        for (WORD language : {WORD(0), WORD(0x409)})
            UpdateResourceW(update, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1), language, nullptr, 0);
        std::string manifest = test_case.manifest;
        ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1), 0, manifest.data(),
                                    static_cast<DWORD>(manifest.size())));
        ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
        const std::string ini = saved_ini({{"TUGI1", "x"}});
        write_file(folder + "\\dorimo.ini", ini);
        write_file(folder + "\\dorimo.ini.new", "left by a crash");

        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring command = L"\"" + exe + L"\"";
        ASSERT_TRUE(CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        struct Ended {  // however the test ends, the program does not run on
            PROCESS_INFORMATION& pi;
            ~Ended() {
                if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
                CloseHandle(pi.hThread);
                CloseHandle(pi.hProcess);
            }
        } ended{pi};
        const HWND box = wait_for_message_box(pi.dwProcessId, 15000);
        ASSERT_NE(box, nullptr);
        std::wstring text;
        wait_for([&] {  // shown, and then filled in
            text.clear();
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) text += wide_text(c);
            return text.find(test_case.says.back()) != std::wstring::npos;
        });
        EXPECT_EQ(wide_text(box), from_cp932("ドリモ玉"));
        for (const std::wstring& part : test_case.says)
            EXPECT_NE(text.find(part), std::wstring::npos) << std::string(part.begin(), part.end());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        EXPECT_EQ(code, 1u);
        EXPECT_EQ(read_file(folder + "\\dorimo.ini"), ini);
        EXPECT_EQ(read_file(folder + "\\dorimo.ini.new"), "left by a crash");
    }
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
        ASSERT_TRUE(wait_for([&] { return has_focus(app, expected); }, 10000)) << expected;
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
    EXPECT_TRUE(wait_for([&] { return has_focus(app, "btnRUN1"); }, 10000));
    ASSERT_TRUE(app.click_into(app.control("MEMOMO")));
    app.press_with_shift(VK_TAB);
    EXPECT_TRUE(wait_for([&] { return has_focus(app, "BitBtn5"); }, 10000));

    // Ctrl+A selects the whole log, Ctrl+C copies it.
    ASSERT_TRUE(app.click_into(app.control("MEMOMO")));
    app.press('A', '\x01');
    EXPECT_TRUE(wait_for([&] { return SendMessageA(app.control("MEMOMO"), EM_GETSEL, 0, 0) == MAKELONG(0, 1); }, 10000));
    app.press('C', '\x03');
    EXPECT_TRUE(wait_for([] {
        if (!OpenClipboard(nullptr)) return false;
        const HANDLE data = GetClipboardData(CF_TEXT);
        const bool copied = data && std::string(static_cast<const char*>(GlobalLock(data))) == ">";
        if (data) GlobalUnlock(data);
        CloseClipboard();
        return copied;
    }, 10000));

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
        EXPECT_TRUE(wait_for([&] { return has_focus(app, c.next); }, 10000)) << c.name;
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

// The notice may also come from another program while the session goes on:
// a window in the notification area keeps its icon there.
TEST(Window, TheEndOfTheSessionSavesWithoutClosing) {
    App app;
    app.set_text("ex_path5", "calc");
    app.click("btnTRAY");
    SendMessageA(app.form(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(read_file(app.ini_path()), saved_ini({{"path5", "calc"}}));
    if (tray_icons_are_windows()) {
        EXPECT_EQ(tray_icons().size(), 1u);
    }
}

// Minimised by its title-bar button, by the system or by a start asking for it, the window leaves the screen, its
// taskbar entry stays; the entry's restore, or the icon after the tray button, brings it back as it was.
TEST(Window, MinimisedTheWindowLeavesTheScreenAndItsTaskbarEntryBringsItBack) {
    RECT shown{}, now{};
    for (const int show : {-1, SW_SHOWMINNOACTIVE}) {
        App::Options options;
        options.show = show;  // -1: a start as usual
        App app(options);
        const HWND entry = app.application_window(), form = app.form(), tray = app.control("btnTRAY");
        auto off = [&] { return wait_for([&] { return IsIconic(entry) && !IsWindowVisible(form); }); };
        auto back = [&] { return wait_for([&] { return IsWindowVisible(form) && !IsIconic(entry); }) &&
                                 GetWindowRect(form, &now) && EqualRect(&now, &shown); };
        if (show < 0) GetWindowRect(form, &shown), PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(off() && IsWindowVisible(entry)) << show;
        PostMessageA(entry, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(back()) << show;
        ShowWindow(form, SW_MINIMIZE);  // by the system itself
        EXPECT_TRUE(off()) << show;
        PostMessageA(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(tray), BN_CLICKED), reinterpret_cast<LPARAM>(tray));
        EXPECT_TRUE(wait_for([&] { return !IsWindowVisible(entry); })) << show;
        SendMessageA(form, WM_USER + 200, 92, WM_LBUTTONDBLCLK);  // the icon's double click
        EXPECT_TRUE(back()) << show;
    }
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

// What a screen reader hears of a control, read as a reader reads it, with
// the object the program gives it.
struct Heard {
    std::string name, description;
    VARIANT role, state;
};
std::string narrow(BSTR text) {
    std::string out(SysStringLen(text) * 2, '\0');
    out.resize(static_cast<std::size_t>(WideCharToMultiByte(932, 0, text, static_cast<int>(SysStringLen(text)),
                                                             out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    SysFreeString(text);
    return out;
}
Heard hear(IAccessible* object) {
    Heard heard{};
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (SUCCEEDED(object->get_accName(self, &text))) heard.name = narrow(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accDescription(self, &text))) heard.description = narrow(text);
    object->get_accRole(self, &heard.role);
    object->get_accState(self, &heard.state);
    return heard;
}
IAccessible* reader_object(HWND control) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object));
    return object;
}

// Every control of the slots, the bottom strip and the log has a name of its
// own and its hint as description; role and state stay the system's, and no
// text on screen changes.
TEST(Window, ScreenReadersTellEveryControlApart) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {  // After a box at the start (the settings too big to read), where COM makes its window: answered at once.
        App::Options big;
        big.ini = "[rtn1]\r\npath1=" + std::string(1 << 20, 'a') + "\r\n";
        App app(big);
        HWND box = app.wait_for_message_box(10000);
        ASSERT_NE(box, nullptr);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(wait_for([&] { return !IsWindow(box) && IsWindowVisible(app.form()); }));
        IAccessible* path = nullptr;  // named once painted
        ASSERT_TRUE(wait_for([&] {
            if (path) path->Release();
            return (path = reader_object(app.control("ex_path1"))) && hear(path).name == "登録1 実行ファイル名";
        }));
        const DWORD start = GetTickCount();
        EXPECT_EQ(hear(path).name, "登録1 実行ファイル名");
        EXPECT_LT(GetTickCount() - start, 1000u);
        path->Release();
        PostMessageA(app.form(), WM_CLOSE, 0, 0);  // the run does not save, and says so
        ASSERT_NE(box = app.wait_for_message_box(10000), nullptr);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(wait_for([&] { return !app.running(); }, 20000));
    }
    {
        App app;
        // Control, name, description.
        std::vector<std::vector<std::string>> expected = {
            {"btnTRAY", "タスクトレイに格納", "タスクトレイに格納されます"},
            {"chkTORAY", "起動時にタスクトレイ格納", "起動したら直ぐにタスクトレイに格納されます"},
            {"btnSAVE", "設定保存", "現在の設定内容を保存します"},
            {"MEMOMO", "ログ", ""},
        };
        static const char* const days[] = {"日", "月", "火", "水", "木", "金", "土"};
        for (const std::string n : {"1", "2", "3", "4", "5"}) {
            const std::string slot = "登録" + n + " ";
            for (int d = 1; d <= 7; ++d) expected.push_back({"chk" + n + std::to_string(d), slot + days[d - 1] + "曜日", ""});
            expected.insert(expected.end(), {{"cbH" + n, slot + "開始時", ""},
                                             {"cbM" + n, slot + "開始分", ""},
                                             {"ex_path" + n, slot + "実行ファイル名", "max:200"},
                                             {"BitBtn" + n, slot + "ファイルを選択", ""},
                                             {"txtMAE" + n, slot + "前回実行日時", ""},
                                             {"txtTUGI" + n, slot + "次回実行日時", ""},
                                             {"btnRUN" + n, slot + "即実行", ""},
                                             {"btnGO" + n, slot + "予約", ""}});
        }
        ASSERT_TRUE(wait_for([&] {  // named once the window has been painted
            IAccessible* log = reader_object(app.control("MEMOMO"));
            const bool named = log && hear(log).name == "ログ";
            if (log) log->Release();
            return named;
        }));
        std::vector<std::string> names;
        for (const auto& e : expected) {
            HWND control = app.control(e[0]);
            IAccessible* object = reader_object(control);
            ASSERT_NE(object, nullptr) << e[0];
            const Heard heard = hear(object);
            EXPECT_EQ(heard.name, e[1]) << e[0];
            EXPECT_EQ(heard.description, e[2]) << e[0];
            names.push_back(heard.name);
            // Role and state as the system's own object for the control gives them.
            IAccessible* standard = nullptr;
            ASSERT_TRUE(SUCCEEDED(CreateStdAccessibleObject(control, OBJID_CLIENT, IID_IAccessible,
                                                            reinterpret_cast<void**>(&standard))));
            const Heard system = hear(standard);
            EXPECT_EQ(heard.role.lVal, system.role.lVal) << e[0];
            EXPECT_EQ(heard.state.lVal, system.state.lVal) << e[0];
            // Named without becoming an 8-bit window: every message would go through a translation.
            EXPECT_TRUE(IsWindowUnicode(control)) << e[0];
            standard->Release();
            object->Release();
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "two controls share a name";
        // Labels read as their captions: the day headings, 登録1 to 登録5 and the rest.
        for (const dorimo::ControlSpec& c : dorimo::form_layout()) {
            if (c.kind != dorimo::Kind::Label) continue;
            IAccessible* object = reader_object(app.control(c.name));
            ASSERT_NE(object, nullptr) << c.name;
            EXPECT_EQ(hear(object).name, c.text) << c.name;
            object->Release();
        }

        // The toggle's name follows its caption, which stays as it was.
        IAccessible* toggle = reader_object(app.control("btnGO1"));
        ASSERT_NE(toggle, nullptr);
        app.set_checked("chk11", true);
        app.click("btnGO1");
        EXPECT_EQ(hear(toggle).name, "登録1 停止");
        EXPECT_EQ(app.text("btnGO1"), "停止");
        app.click("btnGO1");
        EXPECT_EQ(hear(toggle).name, "登録1 予約");
        EXPECT_EQ(app.text("btnGO1"), "予約");
        EXPECT_EQ(app.text("cbH1"), "00");

        // Held after the window has gone, the object answers with an error.
        ASSERT_TRUE(app.close());
        BSTR name = nullptr;
        VARIANT self{};
        self.vt = VT_I4;
        EXPECT_TRUE(FAILED(toggle->get_accName(self, &name)));
        toggle->Release();
    }
    CoUninitialize();
}

// A reader may hold a control's object longer than the control lives: once
// the control is gone, every call answers with an error.
TEST(Window, AReaderHoldingAGoneControlsObjectGetsAnError) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    dorimo::ControlSpec run;
    run.name = "btnRUN2", run.kind = dorimo::Kind::Button, run.reader_name = "登録2 ";
    HWND button = CreateWindowExA(0, "BUTTON", "即実行", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
    dorimo::name_for_readers(button, run);
    IAccessible* object = reader_object(button);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(hear(object).name, "登録2 即実行");
    DestroyWindow(button);
    VARIANT self{};
    self.vt = VT_I4;
    BSTR name = nullptr;
    VARIANT role{};
    EXPECT_EQ(object->get_accName(self, &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->get_accRole(self, &role), RPC_E_DISCONNECTED);
    object->Release();
    CoUninitialize();
}

// A drive letter of this session standing for a folder, as subst makes it
// (no rights needed), taken away again when the tests end.
struct SubstDrive {
    std::wstring drive, folder;
    void remove() {
        if (!drive.empty())
            DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, drive.c_str(), folder.c_str());
        drive.clear();
    }
    ~SubstDrive() { remove(); }
};

// The same file through another drive letter: under Wine, its drive for the
// root of the Linux file system; elsewhere a free letter made to stand for
// the file's folder.
std::wstring through_another_drive(const std::wstring& path) {
    const auto unix_name = reinterpret_cast<char*(CDECL*)(const wchar_t*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unix_name) {
        std::wstring other = L"Z:" + to_wide(unix_name(path.c_str()));
        for (wchar_t& c : other) c = c == L'/' ? L'\\' : c;
        return other;
    }
    static SubstDrive subst;
    subst.remove();
    const std::size_t slash = path.rfind(L'\\');
    subst.folder = path.substr(0, slash);
    for (wchar_t letter = L'Y'; subst.drive.empty() && letter > L'D'; --letter) {
        const std::wstring drive = {letter, L':'};
        if (GetDriveTypeW((drive + L"\\").c_str()) == DRIVE_NO_ROOT_DIR &&
            DefineDosDeviceW(0, drive.c_str(), subst.folder.c_str()))
            subst.drive = drive;
    }
    return subst.drive.empty() ? L"" : subst.drive + path.substr(slash);
}

// The program copied into a folder of its own whose settings file is a link
// (a hard one, or else a symbolic one) to the settings file beside `exe`,
// made after the running copy's save when asked (which made the file anew).
template <bool hard, bool after_save = false>
std::wstring linked_copy(const std::wstring& exe) {
    const std::wstring folder = to_wide(new_temp_folder()), link = folder + L"\\dorimo.ini",
                       ini = exe.substr(0, exe.rfind(L'\\')) + L"\\dorimo.ini";
    if (after_save) SendMessageA(FindWindowExA(FindWindowA("TForm1", nullptr), nullptr, "Button", "設定保存"), BM_CLICK, 0, 0);
    copy_program("dorimo.exe", folder + L"\\dorimo.exe");
    const auto unix_name = reinterpret_cast<char*(CDECL*)(const wchar_t*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (hard) {
        CreateHardLinkW(link.c_str(), ini.c_str(), nullptr);
    } else if (!unix_name) {
        CreateSymbolicLinkW(link.c_str(), ini.c_str(), 2);  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    } else {
        std::wstring command = L"start.exe /unix /bin/ln -s \"" + to_wide(unix_name(ini.c_str())) + L"\" \"" +
                               to_wide(unix_name(link.c_str())) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            CloseHandle(process.hThread), CloseHandle(process.hProcess);
    }
    return wait_for([&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; }) ? folder + L"\\dorimo.exe" : L"";
}

// A second start with the same settings file brings the running copy's
// window back and ends, however the program is spelled or named; requests
// that carry nothing, too much or another settings file change nothing;
// a copy that is ending is waited for; from another folder a copy runs on its own.
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
        {"from a folder whose settings file is a link to this one's (a Unix one under Wine)", linked_copy<false>},
        {"from a folder whose settings file is a hard link to this one's", linked_copy<true>},
        {"from a folder whose settings file is a hard link made after this one's save", linked_copy<true, true>},
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
                   {dorimo::show_request_message(), 1, 2},
                   {WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x")}};  // a caption set from elsewhere (refused) changes nothing
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        App::Options options;
        options.folder = new_temp_folder() + "\\long folder name";
        options.ini = saved_ini();
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
        EXPECT_EQ(read_file(app.ini_path()), saved_ini());
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

    {  // A start while a closing copy shows its box (a run that could not read its settings, too big) waits
       // for its end, longer than for a copy that does not answer, then reads the file and shows its window.
        App::Options big;
        big.ini = "[rtn1]\r\npath1=" + std::string(1 << 20, 'a') + "\r\n";
        App app(big);
        HWND box = app.wait_for_message_box(10000);
        ASSERT_NE(box, nullptr);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }));
        PostMessageA(app.form(), WM_CLOSE, 0, 0);
        ASSERT_NE(box = app.wait_for_message_box(10000), nullptr);
        write_file(app.ini_path(), saved_ini({{"path1", "calc"}}));
        EXPECT_EQ(run_to_end(to_wide(app.exe_path()), to_wide(app.folder()), 60000, [&](DWORD second) {
                      Sleep(12000);
                      EXPECT_TRUE(IsWindowVisible(box));
                      EXPECT_TRUE(process_windows(second, "TForm1").empty());
                      EXPECT_TRUE(process_windows(second, "#32770").empty());
                      PostMessageA(box, WM_COMMAND, IDOK, 0);
                      ASSERT_TRUE(wait_for([&] { return !app.running(); }, 10000));
                      HWND shown = nullptr;
                      EXPECT_TRUE(wait_for([&] {
                          for (HWND w : process_windows(second, "TForm1")) shown = IsWindowVisible(w) ? w : shown;
                          return shown != nullptr;
                      }, 15000));
                      PostMessageA(shown, WM_CLOSE, 0, 0);
                  }), 0);
    }

    {  // A start 0.3 s after a close waits for the copy that is ending and shows its own window, no box.
        App app;
        PostMessageA(app.form(), WM_CLOSE, 0, 0);
        Sleep(300);
        EXPECT_EQ(run_to_end(to_wide(app.exe_path()), to_wide(app.folder()), 20000, [&](DWORD second) {
                      HWND shown = nullptr;
                      EXPECT_TRUE(wait_for([&] {
                          for (HWND w : process_windows(second, "TForm1")) shown = IsWindowVisible(w) ? w : shown;
                          return shown != nullptr;
                      }, 15000));
                      EXPECT_TRUE(process_windows(second, "#32770").empty());
                      PostMessageA(shown, WM_CLOSE, 0, 0);
                  }), 0);
    }

    App app;
    App other;
    EXPECT_TRUE(app.running());
    EXPECT_TRUE(other.running());
    EXPECT_NE(other.process_id(), app.process_id());
}

// A second start whose running copy cannot come forward says so in a box
// and ends without touching the settings: the copy runs in another session,
// or it does not answer. The test holds the locks as such a copy would. A
// lock's name taken by another program (by objects of another kind, or by a
// lock that refuses the program) gets a box that says so, not that a copy
// is running.
TEST(Window, ASecondStartThatCannotShowTheRunningCopySaysSo) {
    const wchar_t* const open_to_all = L"D:(A;;0x00100001;;;WD)";  // wait and query, as the program makes them
    const struct {
        const char* held;
        const wchar_t* security;  // of the objects
        bool events;              // events in place of locks
        bool session_lock;        // held in this session as well
        bool copy_running;        // the box says a copy is running
        const char* says;
    } cases[] = {
        {"by a lock that refuses the program", L"D:", false, false, false, "ロックは別のプログラムが持っています"},
        {"by events of both names", open_to_all, true, true, false, "ロックは別のプログラムが持っています"},
        {"by an event of the computer's name", open_to_all, true, false, false, "ロックは別のプログラムが持っています"},
        {"in another session", open_to_all, false, false, true, "別のセッション"},
        {"by a copy that does not answer", open_to_all, false, true, true, "応答しない"},
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
        const std::wstring name = dorimo::settings_lock_name(to_wide(folder) + L"\\dorimo.ini");
        auto hold = [&](const wchar_t* space) {
            const std::wstring full = space + name;
            return c.events ? CreateEventW(&attributes, TRUE, FALSE, full.c_str())
                            : CreateMutexW(&attributes, TRUE, full.c_str());
        };
        const HANDLE global = hold(L"Global\\");
        const HANDLE local = c.session_lock ? hold(L"Local\\") : nullptr;
        LocalFree(security);

        EXPECT_EQ(run_to_end(exe, to_wide(folder), 20000,
                             [&](DWORD second) {
                                 const HWND box = wait_for_message_box(second, 15000);
                                 ASSERT_NE(box, nullptr);
                                 // Under the rule: its captions take no change from elsewhere.
                                 for (HWND w = box; w; w = FindWindowExA(box, w == box ? nullptr : w, nullptr, nullptr))
                                     SendMessageTimeoutA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"), SMTO_NORMAL, 5000, nullptr);
                                 EXPECT_EQ(window_text(box), "ドリモ玉");
                                 EXPECT_EQ(window_text(FindWindowExA(box, nullptr, "Button", nullptr)), "OK");
                                 const std::string text = message_box_text(box);
                                 EXPECT_NE(text.find(c.says), std::string::npos) << text;
                                 const bool running = text.find("この設定ファイルを使って既に動いています") != std::string::npos;
                                 EXPECT_EQ(running, c.copy_running) << text;
                                 EXPECT_TRUE(process_windows(second, "TForm1").empty());
                                 PostMessageA(box, WM_COMMAND, IDOK, 0);
                             }),
                  0);
        EXPECT_EQ(read_file(folder + "\\dorimo.ini"), settings);
        CloseHandle(global);
        if (local) CloseHandle(local);
    }
}

// A running copy of other rights refuses the show request: the second start
// says so at once, after one request, not after the whole wait for a copy
// that is still starting (10 s). Wine has no rights between processes; the
// refusal is played here, in the test's own process, the lock held by its
// main thread while another one claims the settings. Another user's copy's process cannot be opened.
int requests = 0;
bool refuse(dorimo::Refusal& refusal) {
    ++requests;
    refusal = dorimo::Refusal::OtherRights;
    return false;
}
struct Claim {
    std::wstring settings;
    bool claimed = true;
};
DWORD WINAPI claim(void* c) {
    static_cast<Claim*>(c)->claimed = dorimo::claim_settings_file(static_cast<Claim*>(c)->settings);
    return 0;
}

TEST(Window, ASecondStartRefusedByACopyOfOtherRightsOrUserSaysSoAtOnce) {
    const std::wstring folder = to_wide(new_temp_folder()) + L"\\";
    const HANDLE held = CreateMutexW(nullptr, TRUE, (L"Local\\" + dorimo::settings_lock_name(folder + L"dorimo.ini")).c_str());
    ASSERT_NE(held, nullptr);
    dorimo::replace_show_request_for_tests(refuse);
    Claim second{folder + L"dorimo.ini"};
    const DWORD start = GetTickCount();
    const HANDLE thread = CreateThread(nullptr, 0, claim, &second, 0, nullptr);
    const HWND box = wait_for_message_box(GetCurrentProcessId(), 15000);
    const DWORD took = GetTickCount() - start;
    ASSERT_NE(box, nullptr);
    EXPECT_NE(message_box_text(box).find("別の権限"), std::string::npos) << message_box_text(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    dorimo::replace_show_request_for_tests(nullptr);
    EXPECT_FALSE(second.claimed);
    EXPECT_EQ(requests, 1);
    EXPECT_LT(took, 5000u) << "the box came after the whole wait";

    App copy;
    dorimo::replace_process_open_for_tests([](DWORD) -> HANDLE { return SetLastError(ERROR_ACCESS_DENIED), nullptr; });
    Claim starting{folder + L"dorimo.ini", false};  // beside it, a copy of its own still starting is waited for
    CloseHandle(CreateThread(nullptr, 0, claim, &starting, 0, nullptr));
    EXPECT_EQ(wait_for_message_box(GetCurrentProcessId(), 1000), nullptr);
    ReleaseMutex(held), CloseHandle(held);
    EXPECT_TRUE(wait_for([&] { return starting.claimed; }, 3000));
    Claim beside{to_wide(copy.ini_path())};
    CloseHandle(CreateThread(nullptr, 0, claim, &beside, 0, nullptr));
    const HWND other = wait_for_message_box(GetCurrentProcessId(), 5000);  // not after the whole wait
    EXPECT_NE(message_box_text(other).find("別のユーザー"), std::string::npos) << message_box_text(other);
    PostMessageA(other, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_for([&] { return !beside.claimed; }));
    dorimo::replace_process_open_for_tests(nullptr);
}

}  // namespace
}  // namespace e2e
