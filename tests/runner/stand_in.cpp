// A test program that stands in for a part in the runner's own test
// (runner_test.sh): its cases pass, or fail, end it as a crash does, hang,
// or hold a file open, as DORIMO_STAND_IN asks.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string asked() {
    const char* what = std::getenv("DORIMO_STAND_IN");
    return what ? what : "";
}

TEST(StandIn, Passes) {}
TEST(StandIn, FailsWhenAsked) { EXPECT_NE(asked(), "fail"); }
TEST(StandIn, FailsAgainWhenAsked) { EXPECT_NE(asked(), "fail"); }

TEST(StandIn, EndsWhenAsked) {
    // Ended with a crash's exit code: under Wine a real crash waits on the
    // debugger's box.
    if (asked() == "crash") TerminateProcess(GetCurrentProcess(), EXCEPTION_ACCESS_VIOLATION);
    if (asked() == "hang") Sleep(INFINITE);
    // "hold FILE": the file held open, others let only read it, as a scanner
    // or a program of an earlier run still going may hold a log.
    if (asked().rfind("hold ", 0) == 0) {
        const std::string file = asked().substr(5);
        ASSERT_NE(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        CloseHandle(CreateFileA((file + ".held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        Sleep(INFINITE);
    }
}

}  // namespace
