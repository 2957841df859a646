#include "app_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Unit1.h"
#include "layout.h"

namespace e2e {

bool wait_for(const std::function<bool()>& condition, int ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
        Sleep(20);
    }
}

std::string new_temp_folder() {
    static int counter = 0;
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    for (;;) {
        char name[MAX_PATH + 64];
        std::snprintf(name, sizeof name, "%sdorimo-e2e-%lu-%d", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create a folder");
    }
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::wstring to_wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), static_cast<int>(out.size()))));
    return out;
}

std::string stamp_of(const SYSTEMTIME& t) {
    char date[128] = {}, time[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date);
    if (t.wHour == 0 && t.wMinute == 0 && t.wSecond == 0) return date;
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

static ULONGLONG seconds_of(const SYSTEMTIME& t) {
    FILETIME ft;
    SystemTimeToFileTime(&t, &ft);
    return ((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000000ULL;
}

bool stamp_between(const std::string& stamp, const SYSTEMTIME& before, const SYSTEMTIME& after) {
    for (ULONGLONG s = seconds_of(before); s <= seconds_of(after); ++s) {
        const ULONGLONG ticks = s * 10000000ULL;
        FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        SYSTEMTIME t;
        FileTimeToSystemTime(&ft, &t);
        if (stamp_of(t) == stamp) return true;
    }
    return false;
}

std::string window_text(HWND window) {
    // The 8-bit length counts bytes; the log can hold far more than any
    // fixed buffer.
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT n = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

std::vector<HWND> process_windows(DWORD pid, const char* window_class) {
    struct Search {
        DWORD pid;
        const char* cls;
        std::vector<HWND> found;
    } search{pid, window_class, {}};
    struct Each {
        static BOOL CALLBACK window(HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (owner == s->pid && lstrcmpA(cls, s->cls) == 0) s->found.push_back(w);
            return TRUE;
        }
    };
    EnumWindows(Each::window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string message_box_text(HWND box) {
    // The message is the box's static control that is not its icon.
    std::string text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && !(GetWindowLongA(c, GWL_STYLE) & SS_ICON)) {
            const std::string t = window_text(c);
            if (!t.empty()) text = t;
        }
    }
    return text;
}

bool tray_icons_are_windows() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::vector<HWND> tray_icons() {
    std::vector<HWND> icons;
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    if (!tray || !IsWindowVisible(tray)) return icons;
    for (HWND c = GetWindow(tray, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (IsWindowVisible(c)) icons.push_back(c);
    }
    return icons;
}

void copy_program(const std::string& program, const std::wstring& to) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring from = self;
    from = from.substr(0, from.find_last_of(L'\\') + 1) + to_wide(program);
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("cannot copy the program");
}

long run_to_end(const std::wstring& exe, const std::wstring& folder, int ms,
                const std::function<void(DWORD pid)>& meanwhile) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    if (meanwhile) meanwhile(pi.dwProcessId);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(ms)) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 3000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<long>(code);
}

HWND wait_for_message_box(DWORD pid, int ms) {
    HWND box = nullptr;
    wait_for(
        [&] {
            for (HWND w : process_windows(pid, "#32770")) {
                if (IsWindowVisible(w)) box = w;
            }
            return box != nullptr;
        },
        ms);
    return box;
}

App::App() : App(Options{}) {}

App::App(const Options& options) : exe_name_(options.exe_name) {
    folder_ = options.folder.empty() && options.wide_folder.empty() ? new_temp_folder() : options.folder;
    // Everything by UTF-16 names, so that a folder outside the code page works.
    const std::wstring folder = options.wide_folder.empty() ? to_wide(folder_) : options.wide_folder;
    const std::wstring exe = folder + L"\\" + to_wide(exe_name_);
    copy_program(options.program, exe);
    const std::wstring ini = folder + L"\\dorimo.ini";
    if (!options.ini.empty()) std::ofstream(std::filesystem::path(ini), std::ios::binary) << options.ini;
    if (!options.ini.empty()) std::filesystem::last_write_time(ini, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));  // as at a log-in
    if (options.ini_is_directory) CreateDirectoryW(ini.c_str(), nullptr);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = options.show >= 0 ? STARTF_USESHOWWINDOW : 0;
    si.wShowWindow = static_cast<WORD>(options.show);
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &process_))
        throw std::runtime_error("cannot start the program");
    if (options.on_start) options.on_start(process_, exe, folder);
    int last_control = 0;  // the window creates its controls in layout order
    const auto layout = dorimo::form_layout();
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (layout[i].kind != dorimo::Kind::Timer && layout[i].kind != dorimo::Kind::OpenDialog)
            last_control = dorimo::kFirstControlId + static_cast<int>(i);
    }
    wait_for(
        [&] {
            for (HWND w : process_windows(process_.dwProcessId, "TForm1")) form_ = w;
            return form_ != nullptr && GetDlgItem(form_, last_control) != nullptr;
        },
        15000);
    // Then the message loop: shown, or already moved into the notification
    // area, or showing an error.
    WaitForInputIdle(process_.hProcess, 10000);
    const HWND entry = application_window();
    wait_for([&] { return IsWindowVisible(form_) || !IsWindowVisible(entry) || IsIconic(entry) || wait_for_message_box(0); },
             5000);
    if (!form_) {  // no destructor runs for an App never made: the program ends here
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 3000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        throw std::runtime_error("the window did not appear");
    }
}

App::~App() {
    if (running()) {
        // Leave nothing behind: a close, and if that is refused, the end.
        for (HWND box = wait_for_message_box(0); box; box = wait_for_message_box(0)) PostMessageA(box, WM_CLOSE, 0, 0);
        if (form_ && IsWindow(form_)) PostMessageA(form_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 3000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 3000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool App::running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

HWND App::application_window() const {
    const auto w = process_windows(process_.dwProcessId, "TApplication");
    return w.empty() ? nullptr : w.front();
}

HWND App::control(const std::string& name) const {
    const auto layout = dorimo::form_layout();
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (layout[i].name == name) return GetDlgItem(form_, dorimo::kFirstControlId + static_cast<int>(i));
    }
    throw std::runtime_error("no control " + name);
}

std::string App::text(const std::string& name) const { return window_text(control(name)); }

void App::set_text(const std::string& name, const std::string& text) {
    SendMessageA(control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

App::Options test_build() {
    App::Options options;
    options.program = "dorimo_seam.exe";
    return options;
}

LPARAM exit_process() {
    return reinterpret_cast<LPARAM>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "ExitProcess"));
}

void flood(HWND to) {
    for (UINT id = WM_USER; id < 0x2100; ++id) PostMessageA(to, id, 0x12345678, 0x12345678);
    PostMessageA(to, WM_TIMER, 1, exit_process());
}

// The seam of the program's test builds (Unit1.h): a WM_COPYDATA.
bool App::seam(ULONG_PTR what, const std::string& data) {
    COPYDATASTRUCT copy{what, static_cast<DWORD>(data.size()), const_cast<char*>(data.data())};
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(form_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, 10000, &answer) &&
           answer == TRUE;
}

void App::write_as_program(const std::string& name, const std::string& text) {
    EXPECT_TRUE(seam(dorimo::kSeamText, name + '\0' + text + '\0')) << name << ": needs the test build";
}

void App::move_clock_to(const std::string& date_time) {
    SYSTEMTIME to{}, now{};
    ASSERT_EQ(std::sscanf(date_time.c_str(), "%hu/%hu/%hu %hu:%hu:%hu", &to.wYear, &to.wMonth, &to.wDay, &to.wHour,
                          &to.wMinute, &to.wSecond), 6) << date_time;
    GetLocalTime(&now);
    FILETIME a, b;
    SystemTimeToFileTime(&to, &a);
    SystemTimeToFileTime(&now, &b);
    const auto ticks = [](const FILETIME& f) { return static_cast<long long>((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime); };
    const long long seconds = (ticks(a) - ticks(b)) / 10000000 + 1;
    EXPECT_TRUE(seam(dorimo::kSeamClock, std::string(reinterpret_cast<const char*>(&seconds), sizeof seconds)))
        << "needs the test build";
}

void App::type(const std::string& name, const std::string& keys) {
    HWND target = control(name);
    if (HWND edit = FindWindowExA(target, nullptr, "Edit", nullptr)) target = edit;  // a drop-down list's box
    for (unsigned char c : keys) SendMessageA(target, WM_CHAR, c, 1);
}

bool App::checked(const std::string& name) const {
    return SendMessageA(control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void App::set_checked(const std::string& name, bool checked) {
    if (this->checked(name) != checked) click(name);
}

void App::click(const std::string& name) { SendMessageA(control(name), BM_CLICK, 0, 0); }

void App::post_click(const std::string& name) { PostMessageA(control(name), BM_CLICK, 0, 0); }

std::vector<std::string> App::log() const {
    const std::string all = text("MEMOMO");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = all.find("\r\n", start);
        lines.push_back(all.substr(start, end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

HWND App::wait_for_message_box(int ms) const { return e2e::wait_for_message_box(process_.dwProcessId, ms); }

HWND App::focused() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(form_, nullptr), &info);
    return info.hwndFocus;
}

bool App::click_into(HWND control) {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    return wait_for([&] { return focused() == control || GetParent(focused()) == control; }, 3000);
}

void App::press(UINT virtual_key, char control_character) {
    HWND to = focused();
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(to, WM_KEYDOWN, virtual_key, scan | 1);
    if (control_character) PostMessageA(to, WM_CHAR, static_cast<unsigned char>(control_character), scan | 1);
    PostMessageA(to, WM_KEYUP, virtual_key, scan | 0xC0000001);
}

void App::press_with_shift(UINT virtual_key) {
    // Shift is part of the keyboard state the two threads share while
    // attached; it is let go once the program has taken the key.
    const DWORD program = GetWindowThreadProcessId(form_, nullptr);
    AttachThreadInput(GetCurrentThreadId(), program, TRUE);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    SetKeyboardState(keys);
    press(virtual_key);
    const HWND from = focused();
    wait_for([&] { return focused() != from; }, 3000);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = 0;
    SetKeyboardState(keys);
    AttachThreadInput(GetCurrentThreadId(), program, FALSE);
}

bool App::close(int ms) {
    PostMessageA(form_, WM_CLOSE, 0, 0);
    return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}

}  // namespace e2e
