// Measures dorimo.exe beside its floor (dorimo_floor.exe: the same window and
// nothing else) and Wine's notepad.exe, and prints the figures: start-up time
// (with no settings file, and with a user's, all five slots armed),
// memory after start-up, CPU time while idle with every slot armed, the
// executable's size and the cost of one line added to the log. A program that
// prints figures, never a pass or fail.
//
// Start-up is measured in pairs: dorimo and its floor started right after one
// another (dorimo with no settings and with a user's, and the floor, each
// first in turn), so that all meet the same load of the machine; the figure
// is the median of the pairs' ratios, with its quartiles to show the noise. An idle time or a number of log lines of 0
// leaves that part out.
//
//   bench.exe <dorimo.exe> <dorimo_floor.exe> <notepad.exe> <pairs> <idle seconds> <log lines>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double now_ms() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// The value below which the given share of the values lie, between the
// two nearest where it falls between them (the median at 0.5).
double quantile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const double at = share * static_cast<double>(v.size() - 1);
    const std::size_t below = static_cast<std::size_t>(at);
    if (below + 1 >= v.size()) return v.back();
    return v[below] + (at - static_cast<double>(below)) * (v[below + 1] - v[below]);
}
double median(const std::vector<double>& v) { return quantile(v, 0.5); }

struct Found {
    DWORD pid;
    const char* cls;
    HWND window;
};

BOOL CALLBACK find_top(HWND w, LPARAM p) {
    auto* f = reinterpret_cast<Found*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (owner == f->pid && lstrcmpiA(cls, f->cls) == 0) {
        f->window = w;
        return FALSE;
    }
    return TRUE;
}

HWND top_window(DWORD pid, const char* cls) {
    Found f{pid, cls, nullptr};
    EnumWindows(find_top, reinterpret_cast<LPARAM>(&f));
    return f.window;
}

BOOL CALLBACK child_dirty(HWND w, LPARAM p) {
    RECT r;
    if (IsWindowVisible(w) && GetUpdateRect(w, &r, FALSE)) *reinterpret_cast<bool*>(p) = true;
    return TRUE;
}

// True while the window or a visible child of it still waits for a paint.
bool needs_paint(HWND w) {
    RECT r;
    bool dirty = GetUpdateRect(w, &r, FALSE) != FALSE;
    if (!dirty) EnumChildWindows(w, child_dirty, reinterpret_cast<LPARAM>(&dirty));
    return dirty;
}

bool round_trip(HWND w) {
    DWORD_PTR result;
    return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
}

struct Program {
    const char* label;
    std::string exe;     // copied into a folder of its own for dorimo and the floor; as is for notepad
    std::string folder;  // working folder
    const char* cls;     // class of its main window
    std::string args;    // command line after the program's name
    std::string ini;     // settings put beside it before each start; none when empty
};

struct Started {
    PROCESS_INFORMATION pi{};
    HWND window = nullptr;
    double created = 0, visible = 0, painted = 0;  // ms after the call to CreateProcess
    double cpu = 0;                                // the process's CPU time by then, in ms
};

double cpu_ms(HANDLE process);

// Starts the program and waits until its main window is shown and painted:
// visible, then input-idle, then round trips until neither the window nor a
// child of it has anything left to paint.
bool start(const Program& p, Started& s) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    if (!p.ini.empty()) {
        HANDLE f = CreateFileA((p.folder + "\\dorimo.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, p.ini.data(), static_cast<DWORD>(p.ini.size()), &written, nullptr);
        // Written an hour before, as at a log-in: the start meets no file still being written.
        FILETIME t;
        GetSystemTimeAsFileTime(&t);
        ULARGE_INTEGER hour_ago{{t.dwLowDateTime, t.dwHighDateTime}};
        hour_ago.QuadPart -= 36000000000ull;
        t = {hour_ago.LowPart, hour_ago.HighPart};
        SetFileTime(f, nullptr, nullptr, &t);
        CloseHandle(f);
    }
    std::string command = "\"" + p.exe + "\"" + (p.args.empty() ? "" : " " + p.args);
    const double t0 = now_ms();
    if (!CreateProcessA(p.exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, p.folder.c_str(), &si,
                        &s.pi))
        return false;
    s.created = now_ms() - t0;
    for (;;) {
        s.window = top_window(s.pi.dwProcessId, p.cls);
        if (s.window && IsWindowVisible(s.window)) break;
        if (now_ms() - t0 > 30000) return false;
        Sleep(1);
    }
    s.visible = now_ms() - t0;
    WaitForInputIdle(s.pi.hProcess, 10000);
    for (;;) {
        if (!round_trip(s.window)) return false;
        if (!needs_paint(s.window)) break;
        if (now_ms() - t0 > 30000) return false;
        Sleep(1);
    }
    s.painted = now_ms() - t0;
    s.cpu = cpu_ms(s.pi.hProcess);
    return true;
}

void stop(const Program& p, Started& s) {
    if (s.window) PostMessageA(s.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(s.pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(s.pi.hProcess, 1);
    WaitForSingleObject(s.pi.hProcess, 5000);
    CloseHandle(s.pi.hThread);
    CloseHandle(s.pi.hProcess);
    s = Started{};
    // A close saves the settings; remove them so that every start is alike.
    DeleteFileA((p.folder + "\\dorimo.ini").c_str());
}

double cpu_ms(HANDLE process) {
    FILETIME c, e, k, u;
    GetProcessTimes(process, &c, &e, &k, &u);
    auto v = [](const FILETIME& f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(v(k) + v(u)) / 10000.0;
}

// Controls of dorimo's window by name: id 100 + index in the creation order
// (see app/layout.cpp: 11 labels, 5 row labels, 5 colons, btnTRAY, chkTORAY,
// then the rows of 7 day boxes, cbH, cbM, ex_path, txtMAE, txtTUGI, btnGO).
int row_first_id(int slot) {
    // Rows 1 and 2, then btnSAVE and BitBtn1-2, then rows 3, 4, 5 each followed by its BitBtn.
    const int base = 100 + 11 + 5 + 5 + 2;
    const int row = 7 + 6;
    switch (slot) {
    case 1: return base;
    case 2: return base + row;
    case 3: return base + 2 * row + 3;
    case 4: return base + 3 * row + 4;
    default: return base + 4 * row + 5;
    }
}
int day_box_id(int slot, int day) { return row_first_id(slot) + day - 1; }  // day 1 = Sunday
int next_run_id(int slot) { return row_first_id(slot) + 7 + 4; }
int toggle_id(int slot) { return row_first_id(slot) + 7 + 5; }
int log_id() { return row_first_id(5) + 13 + 1; }

std::wstring text_of(HWND w) {
    wchar_t buf[256] = {};
    SendMessageW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// Committed private memory of a process, region by region.
double committed_private_kb(HANDLE process) {
    double total = 0;
    MEMORY_BASIC_INFORMATION m;
    std::uintptr_t a = 0;
    while (VirtualQueryEx(process, reinterpret_cast<void*>(a), &m, sizeof m) == sizeof m) {
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) total += m.RegionSize / 1024.0;
        const std::uintptr_t next = reinterpret_cast<std::uintptr_t>(m.BaseAddress) + m.RegionSize;
        if (next <= a) break;  // the top of the address space
        a = next;
    }
    return total;
}

void click(HWND form, int id) { SendMessageA(GetDlgItem(form, id), BM_CLICK, 0, 0); }

// The fonts dorimo's window ends up with, as its floor finds them (the face
// and the condensed widths, "FACE|WIDTH|..."): the floor's timed runs are
// handed them, so that they draw with the same fonts without looking for
// them.
std::string window_fonts(const std::string& floor_exe, const std::string& folder) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + floor_exe + "\" --find";
    if (!CreateProcessA(floor_exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return "";
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::string file = folder + "\\floor-fonts.txt";
    std::string fonts;
    if (FILE* f = std::fopen(file.c_str(), "rb")) {
        char line[256] = {};
        if (std::fgets(line, sizeof line, f)) fonts = line;
        std::fclose(f);
    }
    DeleteFileA(file.c_str());
    return fonts;
}

double ratio(double a, double b) { return b > 0 ? a / b : 0; }

// A user's settings: every slot armed on every day, with a program and a
// previous run, and a section of the user's own.
std::string users_settings() {
    std::string ini = "[main]\r\ntray=0\r\n";
    for (const char n : {'1', '2', '3', '4', '5'}) {
        ini += std::string("[rtn") + n + "]\r\n";
        for (const char d : {'1', '2', '3', '4', '5', '6', '7'}) ini += std::string("chk") + n + d + "=1\r\n";
        ini += std::string("H") + n + "=0" + n + "\r\nM" + n + "=30\r\npath" + n + "=C:\\Users\\me\\予定\\task" + n +
               ".bat\r\nMAE" + n + "=2026/12/01 0" + n + ":30:00\r\nTUGI" + n + "=2026/12/02 0" + n + ":30:00\r\n";
    }
    return ini + "[mine]\r\nnote=kept\r\n";
}

void print_ratio_row(const char* what, double dorimo, double floor, double notepad, const char* unit) {
    std::printf("  %-26s %9.1f %9.1f %9.1f %-3s  %6.2f x  %6.2f x\n", what, dorimo, floor, notepad, unit,
                ratio(dorimo, floor), ratio(dorimo, notepad));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fprintf(stderr,
                     "usage: bench <dorimo.exe> <dorimo_floor.exe> <notepad.exe> <pairs> <idle seconds> <log lines>\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    const int pairs = std::atoi(argv[4]);
    const int idle_s = std::atoi(argv[5]);
    const int log_lines = std::atoi(argv[6]);

    // dorimo runs from a folder of its own, as a user would keep it.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "dorimo-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string exe = folder + "\\dorimo.exe";
    const std::string floor_exe = folder + "\\dorimo_floor.exe";
    if (!CopyFileA(argv[1], exe.c_str(), FALSE) || !CopyFileA(argv[2], floor_exe.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s and %s\n", argv[1], argv[2]);
        return 1;
    }
    const std::string fonts = window_fonts(floor_exe, folder);
    std::fprintf(stderr, "  the window's fonts (face|condensed widths): %s\n", fonts.c_str());
    const int kPrograms = 4;
    Program programs[kPrograms] = {{"dorimo", exe, folder, "TForm1", "", ""},
                                   {"floor", floor_exe, folder, "TForm1", fonts, ""},
                                   {"notepad", argv[3], folder, "Notepad", "", ""},
                                   {"dorimo, a user's settings", exe, folder, "TForm1", "", users_settings()}};

    // ---- 1, 2: start-up and memory: dorimo (with no settings and with a
    // user's) and its floor in pairs, each first in turn, then notepad
    std::vector<double> visible[kPrograms], painted[kPrograms], ws[kPrograms], priv[kPrograms],
        committed[kPrograms], pair_ratio, pair_cpu_ratio, users_ratio, users_cpu_ratio;
    for (Program& p : programs) {  // once each, unmeasured: warms the caches
        Started s;
        if (!start(p, s)) {
            std::fprintf(stderr, "%s did not start and paint\n", p.label);
            return 1;
        }
        stop(p, s);
    }
    for (int i = 0; i < pairs; ++i) {
        const int turn[3] = {0, 3, 1};
        const int order[kPrograms] = {turn[i % 3], turn[(i + 1) % 3], turn[(i + 2) % 3], 2};
        double cpu[kPrograms] = {};
        for (const int which : order) {
            Program& p = programs[which];
            Started s;
            if (!start(p, s)) {
                std::fprintf(stderr, "%s did not start and paint\n", p.label);
                return 1;
            }
            Sleep(300);  // settled
            PROCESS_MEMORY_COUNTERS_EX m{};
            m.cb = sizeof m;
            GetProcessMemoryInfo(s.pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
            visible[which].push_back(s.visible);
            cpu[which] = s.cpu;
            painted[which].push_back(s.painted);
            ws[which].push_back(m.WorkingSetSize / 1024.0);
            // Wine leaves PrivateUsage at 0; PagefileUsage is the same figure on Windows.
            priv[which].push_back((m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage) / 1024.0);
            committed[which].push_back(committed_private_kb(s.pi.hProcess));
            stop(p, s);
            Sleep(200);
        }
        pair_ratio.push_back(ratio(painted[0].back(), painted[1].back()));
        users_ratio.push_back(ratio(painted[3].back(), painted[1].back()));
        pair_cpu_ratio.push_back(ratio(cpu[0], cpu[1]));
        users_cpu_ratio.push_back(ratio(cpu[3], cpu[1]));
        std::fprintf(stderr,
                     "  start-up pair %d/%d: dorimo %.0f ms, with a user's settings %.0f ms, floor %.0f ms (%.2f x,"
                     " %.2f x), notepad %.0f ms\n",
                     i + 1, pairs, painted[0].back(), painted[3].back(), painted[1].back(), pair_ratio.back(),
                     users_ratio.back(), painted[2].back());
    }

    // ---- 3: idle CPU with all five slots armed, nothing due
    double idle_cpu = 0;
    bool armed_all = true;
    if (idle_s > 0) {
        Started s;
        if (!start(programs[0], s)) return 1;
        SYSTEMTIME today;
        GetLocalTime(&today);
        const int day = (today.wDayOfWeek + 2) % 7 + 1;  // the day after tomorrow, at 00:00
        for (int slot = 1; slot <= 5; ++slot) {
            click(s.window, day_box_id(slot, day));
            click(s.window, toggle_id(slot));
            if (text_of(GetDlgItem(s.window, toggle_id(slot))) != L"停止") armed_all = false;
        }
        Sleep(1000);
        const double c0 = cpu_ms(s.pi.hProcess);
        std::fprintf(stderr, "  idle: %d s with five slots armed (next run of slot 1: %ls)\n", idle_s,
                     text_of(GetDlgItem(s.window, next_run_id(1))).c_str());
        Sleep(static_cast<DWORD>(idle_s) * 1000);
        idle_cpu = cpu_ms(s.pi.hProcess) - c0;
        stop(programs[0], s);
    }
    const double idle_per_min = idle_s > 0 ? idle_cpu * 60.0 / idle_s : 0;

    // ---- 4: size of the executable
    double size_kb = 0;
    {
        WIN32_FILE_ATTRIBUTE_DATA a;
        if (GetFileAttributesExA(argv[1], GetFileExInfoStandard, &a)) size_kb = a.nFileSizeLow / 1024.0;
    }

    // ---- 5: cost of one line added to the log, at 100 lines and at many
    const int batch = 200;
    std::vector<double> per_line[2];
    double mean_line[2] = {};
    const int marks[2] = {100, log_lines};
    double fill_s = 0;
    if (log_lines > 0) {
        Started s;
        if (!start(programs[0], s)) return 1;
        HWND memo = GetDlgItem(s.window, log_id());
        HWND toggle = GetDlgItem(s.window, toggle_id(1));
        if (text_of(toggle) != L"予約" || text_of(memo) != L">") {
            std::fprintf(stderr, "the controls are not where the bench expects them\n");
            return 1;
        }
        const double f0 = now_ms();
        for (int m = 0; m < 2; ++m) {
            // Each click of an unarmed slot's toggle with no day checked adds one line.
            LRESULT lines = SendMessageA(memo, EM_GETLINECOUNT, 0, 0);
            while (lines < marks[m]) {
                const LRESULT missing = marks[m] - lines;
                for (LRESULT j = 0; j < missing; ++j) SendMessageA(toggle, BM_CLICK, 0, 0);
                lines = SendMessageA(memo, EM_GETLINECOUNT, 0, 0);
                if (lines < marks[m] && missing == marks[m] - lines) {
                    std::fprintf(stderr, "the log does not grow\n");
                    return 1;
                }
            }
            round_trip(s.window);
            const double b0 = now_ms();
            for (int j = 0; j < batch; ++j) {
                const double t = now_ms();
                SendMessageA(toggle, BM_CLICK, 0, 0);
                per_line[m].push_back(now_ms() - t);
            }
            mean_line[m] = (now_ms() - b0) / batch;
            std::fprintf(stderr, "  log: %d clicks timed at %ld lines\n", batch, static_cast<long>(lines));
        }
        fill_s = (now_ms() - f0) / 1000.0;
        stop(programs[0], s);
    }
    DeleteFileA(exe.c_str());
    DeleteFileA(floor_exe.c_str());
    RemoveDirectoryA(folder.c_str());

    // ---- the table
    // Medians of dorimo [0], the floor [1] and notepad [2].
    double su[kPrograms], wsm[kPrograms], pvm[kPrograms];
    for (int k = 0; k < kPrograms; ++k) {
        su[k] = median(painted[k]);
        wsm[k] = median(ws[k]);
        pvm[k] = median(priv[k]);
    }
    const double lm[2] = {median(per_line[0]), median(per_line[1])};
    auto verdict = [](bool met) { return met ? "met" : "MISSED"; };

    std::printf("\nMedians of %d pairs of dorimo and its floor, each followed by notepad.\n\n", pairs);
    std::printf("  %-26s %9s %9s %9s %-3s  %8s  %8s\n", "", "dorimo", "floor", "notepad", "", "/ floor", "/ notepad");
    print_ratio_row("start-up: window visible", median(visible[0]), median(visible[1]), median(visible[2]), "ms");
    print_ratio_row("start-up: shown, painted", su[0], su[1], su[2], "ms");
    print_ratio_row("  the same, a user's settings", su[3], su[1], su[2], "ms");
    print_ratio_row("working set", wsm[0], wsm[1], wsm[2], "KB");
    print_ratio_row("private bytes", pvm[0], pvm[1], pvm[2], "KB");
    print_ratio_row("committed private regions", median(committed[0]), median(committed[1]), median(committed[2]),
                    "KB");
    std::printf("\n  start-up / the floor's, pair by pair: median %.3f x, quartiles %.3f x to %.3f x,"
                " all from %.3f x to %.3f x\n",
                median(pair_ratio), quantile(pair_ratio, 0.25), quantile(pair_ratio, 0.75), quantile(pair_ratio, 0),
                quantile(pair_ratio, 1));
    std::printf("  the same with a user's settings (five slots armed): median %.3f x, quartiles %.3f x to %.3f x\n",
                median(users_ratio), quantile(users_ratio, 0.25), quantile(users_ratio, 0.75));
    std::printf("  its CPU time by then / the floor's, pair by pair (less hit by the machine's load; Wine counts\n"
                "  in steps of 10 ms): median %.3f x, quartiles %.3f x to %.3f x\n",
                median(pair_cpu_ratio), quantile(pair_cpu_ratio, 0.25), quantile(pair_cpu_ratio, 0.75));
    std::printf("  the same with a user's settings: median %.3f x, quartiles %.3f x to %.3f x\n",
                median(users_cpu_ratio), quantile(users_cpu_ratio, 0.25), quantile(users_cpu_ratio, 0.75));
    if (log_lines > 0) {
        std::printf("\n  log, one line added (median of %d clicks; mean in brackets):\n", batch);
        std::printf("    at %5d lines  %8.3f ms  (%.3f)\n", marks[0], lm[0], mean_line[0]);
        std::printf("    at %5d lines  %8.3f ms  (%.3f)\n", marks[1], lm[1], mean_line[1]);
        std::printf("    filling and timing took %.0f s\n", fill_s);
    }
    if (idle_s > 0)
        std::printf("\n  idle, five slots armed%s: %.1f ms CPU in %d s (Wine counts in steps of 10 ms)\n",
                    armed_all ? "" : " (NOT ALL ARMED)", idle_cpu, idle_s);

    std::printf("\n  %-34s %14s %16s  %s\n", "figure", "measured", "target", "");
    char v[64];
    auto target_row = [&](const char* what, double measured, double target) {
        std::snprintf(v, sizeof v, "%.2f x", measured);
        char t[32];
        std::snprintf(t, sizeof t, "<= %.2f x", target);
        std::printf("  %-34s %14s %16s  %s\n", what, v, t, verdict(measured <= target));
    };
    target_row("start-up / the floor's (pairs)", median(pair_ratio), 1.05);
    target_row("  a user's settings / the floor's", median(users_ratio), 1.05);
    target_row("working set / the floor's", ratio(wsm[0], wsm[1]), 1.10);
    target_row("private bytes / the floor's", ratio(pvm[0], pvm[1]), 1.10);
    target_row("working set / notepad's", ratio(wsm[0], wsm[2]), 1.50);
    target_row("private bytes / notepad's", ratio(pvm[0], pvm[2]), 1.50);
    if (idle_s > 0) {
        std::snprintf(v, sizeof v, "%.1f ms/min", idle_per_min);
        std::printf("  %-34s %14s %16s  %s\n", "idle CPU, five slots armed", v, "< 20 ms/min",
                    verdict(idle_per_min < 20 && armed_all));
    }
    std::snprintf(v, sizeof v, "%.0f KB", size_kb);
    std::printf("  %-34s %14s %16s  %s\n", "dorimo.exe (stripped, static)", v, "< 300 KB", verdict(size_kb < 300));
    if (log_lines > 0) {
        std::snprintf(v, sizeof v, "%.2f x", ratio(lm[1], lm[0]));
        char what[64];
        std::snprintf(what, sizeof what, "log line at %d / at %d lines", marks[1], marks[0]);
        std::printf("  %-34s %14s %16s  %s\n", what, v, "< 1.50 x", verdict(ratio(lm[1], lm[0]) < 1.5));
    }
    return 0;
}
