// Entry of every unit-test program. Under Windows the tests need the ANSI
// code page 932, since every text of the program is CP932 bytes.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

namespace {
class CodePageCheck : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8"; }
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
