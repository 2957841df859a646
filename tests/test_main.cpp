// Entry of every unit-test program. Under Windows the tests need the ANSI
// code page 932, since every text of the program is CP932 bytes: their
// manifest asks for it (Windows 11, Windows Server 2022 and later, and Wine
// give it), or the system has it.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
// A program still running after DORIMO_TEST_TIME_LIMIT seconds (the runner
// sets it) says so as one failed test and ends: on a PC nothing else would
// end a test that hangs.
DWORD WINAPI end_at_time_limit(void* seconds) {
    const auto limit = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(seconds));
    Sleep(limit * 1000);
    std::printf("\n[  FAILED  ] 1 test, not done within the time limit of %lu s\n", limit);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 1);
    return 0;
}

// The tests under another code page name the system's in
// DORIMO_TEST_CODE_PAGE.
class CodePageCheck : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "needs the code page 932: Windows 11 or Windows Server 2022 or later, "
                                     "a system locale of Japanese, or under Wine LANG=ja_JP.UTF-8";
        char system[8] = {};
        GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, system, sizeof system);
        const char* asked = std::getenv("DORIMO_TEST_CODE_PAGE");
        if (asked) {
            ASSERT_STREQ(system, asked) << "the system's code page";
        }
    }
};
}  // namespace
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef _WIN32
    ::testing::AddGlobalTestEnvironment(new CodePageCheck);
    if (const char* limit = std::getenv("DORIMO_TEST_TIME_LIMIT")) {
        if (const unsigned long seconds = std::strtoul(limit, nullptr, 10))
            CloseHandle(CreateThread(nullptr, 0, end_at_time_limit, reinterpret_cast<void*>(UINT_PTR{seconds}), 0,
                                     nullptr));
    }
#endif
    return RUN_ALL_TESTS();
}
