// A long run of the real program: all five slots armed and made due again
// and again, so that nearly every tick is a due run. Takes its duration in
// seconds on the command line (soak_tests.exe 1800).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app_driver.h"

#include <psapi.h>

namespace e2e {
namespace {

int g_seconds = 120;

SIZE_T private_bytes(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    const BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
    CloseHandle(process);
    EXPECT_TRUE(ok);
    return counters.PagefileUsage;  // the private bytes
}

std::size_t count_lines(const std::string& text, const std::string& line) {
    std::size_t n = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
}

TEST(Soak, EveryDueRunLaunchesOnceAndIsLoggedInOrder) {
    const auto args = ::testing::internal::GetArgvs();
    if (args.size() > 1 && args[1].rfind("--", 0) != 0) g_seconds = std::atoi(args[1].c_str());
    App app(test_build());
    const std::vector<std::string> digits{"1", "2", "3", "4", "5"};
    for (const std::string& n : digits) {
        // Each slot's program appends a line to a marker file of its own.
        const std::string program = app.folder() + "\\slot" + n + ".cmd";
        write_file(program, "@echo off\r\necho ran>>\"%~dp0marker" + n + ".txt\"\r\n");
        app.set_text("ex_path" + n, program);
        for (int d = 1; d <= 7; ++d) app.set_checked("chk" + n + std::to_string(d), true);
        app.set_text("cbH" + n, "23");
        app.set_text("cbM" + n, "50");
        app.click("btnGO" + n);
        ASSERT_EQ(app.text("btnGO" + n), "停止");
    }
    const SIZE_T memory_at_start = private_bytes(app.process_id());

    // The clock moved past every slot's due time whenever all have run since.
    std::string moved_to;
    auto all_ran = [&] {
        for (const std::string& n : digits)
            if (app.text("txtTUGI" + n) <= moved_to) return false;
        return true;
    };
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(g_seconds) * 1000) {
        if (all_ran()) {
            for (const std::string& n : digits) moved_to = std::max(moved_to, app.text("txtTUGI" + n));
            app.move_clock_to(moved_to);
        }
        Sleep(500);
    }
    // No more due runs: the last ones end, then their programs.
    ASSERT_TRUE(wait_for(all_ran, 20000));
    Sleep(3000);
    const SIZE_T memory_at_end = private_bytes(app.process_id());
    const std::vector<std::string> log = app.log();

    // The log: every due run right followed by its slot's re-arm, the prompt last.
    std::map<std::string, std::size_t> runs;
    std::size_t log_bytes = 0;
    ASSERT_EQ(log.back(), ">");
    for (std::size_t i = 5; i + 1 < log.size(); ++i) {
        log_bytes += log[i].size() + 2;
        const std::string& line = log[i];
        if (line.rfind("登録", 0) != 0 || line.size() < 6) {
            ADD_FAILURE() << "line " << i << ": " << line;
            continue;
        }
        const std::string n = line.substr(4, 1);
        if (line.compare(5, 4, "実行") == 0) {
            ++runs[n];
            ASSERT_LT(i + 2, log.size());
            EXPECT_EQ(log[i + 1].rfind("登録" + n + "予約 ", 0), 0u) << log[i + 1];
        } else {
            EXPECT_EQ(line.compare(5, 4, "予約"), 0) << line;
            EXPECT_NE(log[i - 1].find("登録" + n + "実行 "), std::string::npos) << log[i - 1];
        }
    }

    // Every due run launched its program exactly once.
    auto launches = [&](const std::string& n) {
        return count_lines(read_file(app.folder() + "\\marker" + n + ".txt"), "ran\r\n");
    };
    std::size_t total = 0;
    for (const std::string& n : digits) {
        wait_for([&] { return launches(n) >= runs[n]; }, 15000);
        EXPECT_EQ(launches(n), runs[n]) << "slot " << n;
        EXPECT_GT(runs[n], static_cast<std::size_t>(g_seconds / 20)) << "slot " << n;
        total += runs[n];
    }

    // Memory grows with the log's text and nothing else (the box holds it as
    // UTF-16 with its line records; 4 MB covers the allocator's slack).
    const double growth = static_cast<double>(memory_at_end) - static_cast<double>(memory_at_start);
    std::printf("soak: %d s, %zu due runs, %zu log lines (%zu bytes), private bytes %zu -> %zu (%+.0f)\n",
                g_seconds, total, log.size(), log_bytes, static_cast<std::size_t>(memory_at_start),
                static_cast<std::size_t>(memory_at_end), growth);
    EXPECT_LT(growth, 8.0 * static_cast<double>(log_bytes) + 4.0 * 1024 * 1024);

    // The settings saved at the end hold the slots as they stand.
    std::map<std::string, std::pair<std::string, std::string>> shown;
    for (const std::string& n : digits) shown[n] = {app.text("txtTUGI" + n), app.text("txtMAE" + n)};
    ASSERT_TRUE(app.close(20000));
    const std::string ini = read_file(app.ini_path());
    for (const std::string& n : digits) {
        EXPECT_NE(ini.find("TUGI" + n + "=" + shown[n].first + "\r\n"), std::string::npos) << ini;
        EXPECT_NE(ini.find("chk" + n + "7=1\r\n"), std::string::npos);
        EXPECT_NE(ini.find("MAE" + n + "=" + shown[n].second + "\r\n"), std::string::npos);
        EXPECT_NE(ini.find("path" + n + "=" + app.folder() + "\\slot" + n + ".cmd\r\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace e2e
