// Entry of every unit-test program. Under Windows the tests need the ANSI
// code page 932, since every text of the program is CP932 bytes: their
// manifest asks for it (Windows 11, Windows Server 2022 and later, and Wine
// give it), or the system has it.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>

#include "time_limit.h"

namespace {
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
    end_at_time_limit();
#endif
    return RUN_ALL_TESTS();
}
