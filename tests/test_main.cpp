// Entry of every unit-test program. Under Windows the tests need the ANSI
// code page 932, since every text of the program is CP932 bytes.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>

namespace {
// The tests of another code page name it in DORIMO_TEST_CODE_PAGE.
class CodePageCheck : public ::testing::Environment {
public:
    void SetUp() override {
        const char* other = std::getenv("DORIMO_TEST_CODE_PAGE");
        ASSERT_EQ(GetACP(), other ? std::strtoul(other, nullptr, 10) : 932u) << "run with LANG=ja_JP.UTF-8";
    }
};
}  // namespace
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef _WIN32
    ::testing::AddGlobalTestEnvironment(new CodePageCheck);
#endif
    return RUN_ALL_TESTS();
}
