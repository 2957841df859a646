// The program's ways out to the desktop: programs opened by due runs and run
// now, the file-open dialog, and the notification-area icon.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_driver.h"

#include <shellapi.h>

namespace e2e {
namespace {

constexpr UINT WM_TRAYICON = WM_USER + 200;

// A batch file that appends its name and arguments to marker.txt beside it.
std::string make_marker_program(const std::string& folder, const std::string& name) {
    const std::string path = folder + "\\" + name;
    write_file(path, "@echo off\r\necho [%~nx0][%*]>>\"%~dp0marker.txt\"\r\n");
    return path;
}

std::vector<std::string> marker_lines(const App& app) {
    const std::string text = read_file(app.folder() + "\\marker.txt");
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool starts_with(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

TEST(Launch, ADueRunShowsItselfReArmsAndOpensTheProgram) {
    App app(test_build());
    const std::string program = make_marker_program(app.folder(), "marker.cmd");
    app.set_text("ex_path2", program);
    for (const char* day : {"chk21", "chk22", "chk23", "chk24", "chk25", "chk26", "chk27"})
        app.set_checked(day, true);
    app.click("btnGO2");
    const std::string armed_for = app.text("txtTUGI2");  // tomorrow, 00:00:00
    app.move_clock_to(armed_for);

    // The timers keep ticking while a file-open dialog is open.
    app.post_click("BitBtn5");
    const HWND dialog = app.wait_for_message_box();
    ASSERT_NE(dialog, nullptr);

    ASSERT_TRUE(wait_for([&] { return app.text("txtMAE2") == armed_for; }, 15000));
    ASSERT_TRUE(wait_for([&] { return !marker_lines(app).empty(); }, 10000));
    EXPECT_EQ(marker_lines(app), std::vector<std::string>{"[marker.cmd][]"});
    const std::string next = app.text("txtTUGI2");  // the day after
    EXPECT_TRUE(next > armed_for && next.substr(10) == armed_for.substr(10)) << next;
    EXPECT_EQ(app.text("btnGO2"), "停止");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dialog); }));

    const auto log = app.log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_TRUE(starts_with(log[1], "登録2実行 ")) << log[1];
    EXPECT_NE(log[1].find(" 開始★<" + program + ">"), std::string::npos) << log[1];
    EXPECT_TRUE(starts_with(log[2], "登録2予約 ")) << log[2];
    EXPECT_NE(log[2].find("  次回実行日時<" + next + ">"), std::string::npos) << log[2];

    // Run now: its line and its run; the slot stays as it was.
    app.click("btnRUN2");
    ASSERT_TRUE(wait_for([&] { return marker_lines(app).size() == 2; }, 10000));
    EXPECT_TRUE(starts_with(app.log()[3], "登録2即実行 "));
    EXPECT_NE(app.log()[3].find(" <" + program + ">"), std::string::npos);
    EXPECT_EQ(app.text("txtTUGI2"), next);
    EXPECT_EQ(app.text("txtMAE2"), armed_for);
    EXPECT_EQ(app.text("btnGO2"), "停止");
    EXPECT_EQ(app.log().size(), 5u);  // a program that starts adds no line
}

// A due run and a run now of a program that is not there: the log says so,
// after the run's own lines, with the system's reason.
TEST(Launch, ARunThatCannotStartSaysSo) {
    App app(test_build());
    const std::string missing = app.folder() + "\\missing.cmd";
    app.set_text("ex_path3", missing);
    app.set_checked("chk35", true);
    app.click("btnGO3");
    app.move_clock_to(app.text("txtTUGI3"));
    ASSERT_TRUE(wait_for([&] { return app.log().size() == 5; }, 15000));
    auto log = app.log();
    EXPECT_TRUE(starts_with(log[1], "登録3実行 ")) << log[1];
    EXPECT_TRUE(starts_with(log[2], "登録3予約 ")) << log[2];
    const std::string failed = "登録3起動失敗 ";
    ASSERT_TRUE(starts_with(log[3], failed)) << log[3];
    const std::size_t reason = log[3].find(" <" + missing + "> ");
    ASSERT_NE(reason, std::string::npos) << log[3];
    EXPECT_GT(log[3].size(), reason + missing.size() + 4) << log[3];  // the system's message follows

    app.click("btnRUN3");
    log = app.log();
    ASSERT_EQ(log.size(), 7u);
    EXPECT_TRUE(starts_with(log[4], "登録3即実行 ")) << log[4];
    EXPECT_TRUE(starts_with(log[5], failed)) << log[5];
    EXPECT_EQ(log[5].substr(log[5].find(" <")), log[3].substr(reason));

    write_file(app.folder() + "\\bad.exe", "not a program");  // the system's words name it in their %1
    app.set_text("ex_path3", app.folder() + "\\bad.exe");
    app.click("btnRUN3");
    const std::string line = app.log().end()[-2];
    EXPECT_TRUE(starts_with(line, failed) && line.rfind("bad.exe") > line.find("> ") && line.find("%1") > line.size()) << line;
}

std::string copy_show_probe(const std::string& folder) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string probe = self;
    probe = probe.substr(0, probe.rfind('\\') + 1) + "show_probe.exe";
    const std::string copy = folder + "\\show_probe.exe";
    CopyFileA(probe.c_str(), copy.c_str(), FALSE);
    return copy;
}

// Opened programs are asked to show themselves, and a full path starts in
// its own folder.
TEST(Launch, AProgramIsShownAndStartsInItsOwnFolder) {
    App app;
    const std::string folder = new_temp_folder();
    app.set_text("ex_path5", copy_show_probe(folder));
    app.click("btnRUN5");
    ASSERT_TRUE(wait_for([&] { return !read_file(folder + "\\show_probe.txt").empty(); }, 10000));
    EXPECT_EQ(read_file(folder + "\\show_probe.txt"), "show=5 folder=" + folder + "\r\n");
    EXPECT_EQ(app.log().size(), 2u);
}

// Accepts the dialog with a name typed into its file name box, as UTF-16.
void type_into_dialog(HWND dialog, const std::wstring& name);

// Browsing moves the process's current folder; a bare name does not find a
// file in the browsed folder, neither while the dialog stands there (a due
// run then starts the file of that name in the start folder) nor after.
TEST(Launch, ABareNameIsNotFoundInAFolderOnlyBrowsed) {
    App app(test_build());
    const std::string browsed = new_temp_folder();
    make_marker_program(browsed, "marker.cmd");
    make_marker_program(browsed, "due.cmd");
    make_marker_program(app.folder(), "due.cmd");
    app.set_text("ex_path2", "due.cmd");
    app.set_checked("chk21", true);
    app.click("btnGO2");
    app.post_click("BitBtn1");
    const HWND dialog = app.wait_for_message_box();
    ASSERT_NE(dialog, nullptr);
    type_into_dialog(dialog, to_wide(browsed + "\\"));  // into the folder, not a choice
    Sleep(500);
    ASSERT_TRUE(IsWindow(dialog));
    app.move_clock_to(app.text("txtTUGI2"));
    ASSERT_TRUE(wait_for([&] { return !marker_lines(app).empty(); }, 15000));
    EXPECT_EQ(marker_lines(app), std::vector<std::string>{"[due.cmd][]"});
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dialog); }));

    app.set_text("ex_path1", "marker.cmd");
    app.click("btnRUN1");
    ASSERT_TRUE(wait_for([&] { return app.log().size() == 6; }, 10000));
    EXPECT_TRUE(starts_with(app.log()[4], "登録1起動失敗 ")) << app.log()[4];
    EXPECT_EQ(read_file(browsed + "\\marker.txt"), "");
}

// A batch file chosen by its full path writes its relative files beside
// itself, right after the dialog and after a restart alike.
TEST(Launch, AChosenBatchFileStartsInItsFolderAlsoAfterARestart) {
    const std::string elsewhere = new_temp_folder();
    const std::string batch = elsewhere + "\\relative.cmd";
    write_file(batch, "@echo off\r\necho ran>>relative.txt\r\n");
    std::string folder;
    {
        App app;
        folder = app.folder();
        app.post_click("BitBtn2");
        const HWND dialog = app.wait_for_message_box();
        ASSERT_NE(dialog, nullptr);
        type_into_dialog(dialog, to_wide(batch));
        ASSERT_TRUE(wait_for([&] { return app.text("ex_path2") == batch; }));
        app.click("btnRUN2");
        ASSERT_TRUE(wait_for([&] { return read_file(elsewhere + "\\relative.txt") == "ran\r\n"; }, 10000));
        ASSERT_TRUE(app.close());
    }
    App::Options options;
    options.folder = folder;
    App again(options);
    ASSERT_EQ(again.text("ex_path2"), batch);
    again.click("btnRUN2");
    EXPECT_TRUE(wait_for([&] { return read_file(elsewhere + "\\relative.txt") == "ran\r\nran\r\n"; }, 10000));
    EXPECT_EQ(read_file(folder + "\\relative.txt"), "");
}

TEST(Launch, TheProgramTextIsPassedWhole) {
    App app;
    make_marker_program(app.folder(), "marker.cmd");
    const std::string whole = make_marker_program(app.folder(), "marker.cmd extra.cmd");
    app.set_text("ex_path1", whole);  // a name with a blank, no argument split off
    app.click("btnRUN1");
    ASSERT_TRUE(wait_for([&] { return !marker_lines(app).empty(); }, 10000));
    EXPECT_EQ(marker_lines(app), std::vector<std::string>{"[marker.cmd extra.cmd][]"});

    app.set_text("ex_path1", "");
    app.click("btnRUN1");
    const auto log = app.log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].substr(log[1].size() - 3), " <>");
    EXPECT_TRUE(starts_with(log[2], "登録1起動失敗 ")) << log[2];  // nothing to open
    EXPECT_NE(log[2].find(" <> "), std::string::npos) << log[2];
}

HWND file_name_box(HWND dialog) {
    // The file name field of the dialog (a drop-down list or an edit box).
    HWND field = GetDlgItem(dialog, 0x47C);  // cmb13
    if (!field) field = GetDlgItem(dialog, 0x480);  // edt1
    if (HWND edit = FindWindowExA(field, nullptr, "Edit", nullptr)) field = edit;
    return field;
}

void type_into_dialog(HWND dialog, const std::wstring& name) {
    SendMessageW(file_name_box(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// Names of Japanese characters arrive whole: longer than 300 bytes, and
// longer than 260 characters (Wine's own dialog fails beyond about 270).
TEST(Browse, ALongJapaneseNameArrivesWhole) {
    App app;
    std::string folder = app.folder() + "\\";
    for (int i = 0; i < 80; ++i) folder += "予";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    for (const std::size_t characters : {190u, 266u}) {
        std::string chosen = folder + "\\";
        while (to_wide(chosen).size() + 4 < characters) chosen += "定";
        chosen += ".bat";
        ASSERT_EQ(to_wide(chosen).size(), characters);
        ASSERT_GT(chosen.size(), 300u);
        write_file(chosen, "x");

        app.post_click("BitBtn3");
        const HWND dialog = app.wait_for_message_box();
        ASSERT_NE(dialog, nullptr);
        type_into_dialog(dialog, to_wide(chosen));
        EXPECT_TRUE(wait_for([&] { return app.text("ex_path3") == chosen; })) << characters;
    }
}

// A name the code page cannot hold, or holds only as a look-alike letter
// ("cafe" for "café"), is refused with a message, not stored damaged.
TEST(Browse, ANameOutsideTheCodePageIsRefused) {
    App app;
    for (const wchar_t* name : {L"caf\u00e9.cmd", L"\ud55c.cmd"}) {
        const std::wstring chosen = to_wide(app.folder()) + L"\\" + name;
        HANDLE file = CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);

        app.post_click("BitBtn4");
        const HWND dialog = app.wait_for_message_box();
        ASSERT_NE(dialog, nullptr);
        type_into_dialog(dialog, chosen);
        ASSERT_TRUE(wait_for([&] { return !IsWindow(dialog); }));
        const HWND box = app.wait_for_message_box();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(window_text(box), "ドリモ玉");
        EXPECT_NE(message_box_text(box).find("シフト JIS で表せない文字"), std::string::npos) << message_box_text(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }));
        EXPECT_EQ(app.text("ex_path4"), "notepad");
        EXPECT_TRUE(IsWindowEnabled(app.form()));
    }
}

TEST(Browse, TheDialogPutsThePathInTheBoxAndRemembersItPerSlot) {
    App app;
    const std::string chosen = app.folder() + "\\" + std::string(180, 'p') + ".txt";  // beyond 200 characters, within 260
    write_file(chosen, "x");

    app.post_click("BitBtn1");
    HWND dialog = app.wait_for_message_box();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowEnabled(app.form()));
    EXPECT_EQ(window_text(file_name_box(dialog)), "");  // the first time: empty, whatever the box holds
    SendMessageA(file_name_box(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_for([&] { return app.text("ex_path1") == chosen; }));
    EXPECT_TRUE(wait_for([&] { return IsWindowEnabled(app.form()) != 0; }));

    // Cancelled: nothing changes. The dialog starts from its own last name.
    app.set_text("ex_path1", "notepad");
    app.post_click("BitBtn1");
    dialog = app.wait_for_message_box();
    ASSERT_NE(dialog, nullptr);
    const std::string shown = window_text(file_name_box(dialog));
    EXPECT_NE(chosen.find(shown), std::string::npos) << shown;
    EXPECT_FALSE(shown.empty());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(app.text("ex_path1"), "notepad");

    // Another slot's dialog has its own memory.
    app.post_click("BitBtn2");
    dialog = app.wait_for_message_box();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(window_text(file_name_box(dialog)), "");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(app.text("ex_path2"), "notepad");
}

// Libraries loaded after the start by name, by the program or by a system
// library (played by a hook's), come from the system folder only: planted
// under their names beside the program and in a folder the file dialog
// browses, none is loaded. Wine is told to prefer planted libraries to its
// own; it resolves its own libraries' delayed imports (uxtheme, msimg32)
// beside the program whatever the program asks, so those are not planted.
TEST(Browse, LibrariesPlantedBesideTheProgramOrInABrowsedFolderAreNeverLoaded) {
    const std::vector<std::string> names = {"comdlg32.dll", "winspool.drv", "compstui.dll",
                                            "oleacc.dll",   "oleaut32.dll", "dwmapi.dll"};
    App::Options options;
    options.folder = new_temp_folder();
    const std::string browsed = new_temp_folder(), hook = new_temp_folder() + "\\hook.dll";
    std::string planted;
    for (const std::string& name : names) {
        for (const std::string& folder : {options.folder, browsed}) copy_program("marker_library.dll", to_wide(folder + "\\" + name));
        planted += (planted.empty() ? "" : ",") + name.substr(0, name.find('.'));
    }
    char overrides[1024] = {};
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", (std::string(overrides) + ";" + planted + "=n,b").c_str());
    App app(options);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides);

    // A reader asks (the readers' libraries), the dialog opens and browses,
    // and meanwhile a system library loads one by name.
    EXPECT_TRUE(wait_for([&] { return SendMessageA(app.control("btnGO1"), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT)) != 0; }));
    app.post_click("BitBtn1");
    const HWND dialog = app.wait_for_message_box();
    ASSERT_NE(dialog, nullptr);
    type_into_dialog(dialog, to_wide(browsed + "\\"));
    copy_program("marker_library.dll", to_wide(hook));
    const HMODULE library = LoadLibraryA(hook.c_str());
    ASSERT_NE(library, nullptr);
    const HHOOK hooked = SetWindowsHookExA(WH_GETMESSAGE, reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                                              GetProcAddress(library, "load_by_name"))),
                                           library, GetWindowThreadProcessId(app.form(), nullptr));
    ASSERT_NE(hooked, nullptr);
    PostMessageA(dialog, WM_NULL, 0, 0);
    EXPECT_TRUE(wait_for([&] { return GetFileAttributesA((hook + ".asked").c_str()) != INVALID_FILE_ATTRIBUTES; }));
    UnhookWindowsHookEx(hooked);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dialog); }));
    for (const std::string& folder : {options.folder, browsed}) {
        for (const std::string& name : names)
            EXPECT_EQ(GetFileAttributesA((folder + "\\" + name + ".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
                << folder << "\\" << name;
    }
}

TEST(Tray, TheButtonHidesTheWindowBehindOneIcon) {
    if (!tray_icons_are_windows()) GTEST_SKIP() << "counts the icons of Wine's notification area, which are windows";
    App app;
    ASSERT_TRUE(tray_icons().empty());
    app.click("btnTRAY");
    EXPECT_FALSE(IsWindowVisible(app.form()));
    EXPECT_FALSE(IsWindowVisible(app.application_window()));  // no taskbar entry
    ASSERT_TRUE(wait_for([] { return tray_icons().size() == 1; }));

    // Mouse messages other than a left double click do nothing (nor NIN_SELECT, sent after a single click).
    for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, NIN_SELECT, WM_CONTEXTMENU})
        SendMessageA(app.form(), WM_TRAYICON, 92, mouse);
    EXPECT_FALSE(IsWindowVisible(app.form()));
    EXPECT_EQ(tray_icons().size(), 1u);

    // A second move into the tray makes no request: an icon taken away from
    // outside does not come back.
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = app.form();
    nid.uID = 92;
    Shell_NotifyIconA(NIM_DELETE, &nid);
    ASSERT_TRUE(wait_for([] { return tray_icons().empty(); }));
    app.click("btnTRAY");
    Sleep(300);
    EXPECT_TRUE(tray_icons().empty());

    // The shell announcing a new taskbar brings the icon back while in the tray.
    SendMessageA(app.form(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_TRUE(wait_for([] { return tray_icons().size() == 1; }));

    // A real double click on the icon: the icon goes, the window comes back.
    const HWND icon = tray_icons().front();
    PostMessageA(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
    ASSERT_TRUE(wait_for([&] { return IsWindowVisible(app.form()) != 0; }));
    EXPECT_TRUE(wait_for([] { return tray_icons().empty(); }));
    EXPECT_FALSE(IsIconic(app.form()));
    EXPECT_TRUE(IsWindowVisible(app.application_window()));

    // While shown, the announcement adds nothing.
    SendMessageA(app.form(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    Sleep(300);
    EXPECT_TRUE(tray_icons().empty());
    // The icon chosen with the keyboard: back with the focus where it was.
    ASSERT_TRUE(app.click_into(app.control("chk23")));
    const HWND tray = app.control("btnTRAY");  // its click, the focus left where it is
    PostMessageA(app.form(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(tray), BN_CLICKED), reinterpret_cast<LPARAM>(tray));
    ASSERT_TRUE(wait_for([] { return tray_icons().size() == 1; }));
    PostMessageA(app.form(), WM_TRAYICON, 92, NIN_KEYSELECT);
    ASSERT_TRUE(wait_for([&] { return IsWindowVisible(app.form()) != 0; }));
    EXPECT_TRUE(wait_for([&] { return tray_icons().empty() && app.focused() == app.control("chk23"); }));
}

TEST(Tray, TheStartUpOptionHidesTheWindowAtItsFirstPaintOnly) {
    if (!tray_icons_are_windows()) GTEST_SKIP() << "counts the icons of Wine's notification area, which are windows";
    App::Options options;
    options.ini = "[main]\r\ntray=1\r\n";
    App app(options);
    ASSERT_TRUE(wait_for([&] { return !IsWindowVisible(app.form()); }));
    ASSERT_TRUE(wait_for([] { return tray_icons().size() == 1; }));
    EXPECT_TRUE(app.checked("chkTORAY"));

    SendMessageA(app.form(), WM_TRAYICON, 12345, WM_LBUTTONDBLCLK);  // whatever the icon id
    ASSERT_TRUE(IsWindowVisible(app.form()));
    RedrawWindow(app.form(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessageA(app.form(), WM_NULL, 0, 0);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(app.form()));
    EXPECT_TRUE(tray_icons().empty());

    // Closing from the tray removes the icon and saves.
    app.click("btnTRAY");
    ASSERT_TRUE(wait_for([] { return tray_icons().size() == 1; }));
    app.set_checked("chkTORAY", false);
    ASSERT_TRUE(app.close());
    EXPECT_TRUE(wait_for([] { return tray_icons().empty(); }));
    EXPECT_NE(read_file(app.ini_path()).find("tray=0\r\n"), std::string::npos);
}

// Slot 5, armed with it and stopped, leaves slot 4's timer running.
TEST(Tray, DueRunsHappenWhileInTheTray) {
    App app(test_build());
    const std::string program = make_marker_program(app.folder(), "marker.cmd");
    app.set_text("ex_path4", program);
    app.set_checked("chk41", true);
    app.set_checked("chk51", true);
    for (const char* toggle : {"btnGO5", "btnGO4", "btnGO5"}) app.click(toggle);  // slot 4 keeps its ticks
    app.click("btnTRAY");
    app.move_clock_to(app.text("txtTUGI4"));
    ASSERT_TRUE(wait_for([&] { return !marker_lines(app).empty(); }, 20000));
    EXPECT_FALSE(IsWindowVisible(app.form()));
    EXPECT_TRUE(starts_with(app.log()[3], "登録4実行 "));
}

// A slot set for the coming minute really runs (up to 80 s; run by hand with
// --gtest_also_run_disabled_tests --gtest_filter=*ARealSchedule*).
TEST(Launch, DISABLED_ARealScheduleOpensItsProgram) {
    App app;
    app.set_text("ex_path3", make_marker_program(app.folder(), "marker.cmd"));
    SYSTEMTIME t;
    GetLocalTime(&t);
    const int minute = (t.wHour * 60 + t.wMinute + (t.wSecond < 45 ? 1 : 2)) % (24 * 60);
    char hour_text[8], minute_text[8];
    wsprintfA(hour_text, "%02d", minute / 60);
    wsprintfA(minute_text, "%02d", minute % 60);
    for (int d = 1; d <= 7; ++d) app.set_checked("chk3" + std::to_string(d), true);
    app.set_text("cbH3", hour_text);
    app.set_text("cbM3", minute_text);
    app.click("btnTRAY");
    app.click("btnGO3");
    ASSERT_TRUE(wait_for([&] { return !marker_lines(app).empty(); }, 140000));
    EXPECT_EQ(app.text("txtMAE3").substr(11, 5), std::string(hour_text) + ":" + minute_text);
}

}  // namespace
}  // namespace e2e
