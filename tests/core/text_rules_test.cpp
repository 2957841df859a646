// Where a program starts: the folder of a full path, found without taking
// the second byte of a double-byte character for a separator.
#include <gtest/gtest.h>

#include "text_rules.h"

namespace dorimo::test {
namespace {

TEST(StartFolder, IsTheFolderOfAFullPathOnly) {
    const struct {
        const char* program;
        const char* folder;
    } cases[] = {
        {"C:\\tools\\report.bat", "C:\\tools\\"},
        {"c:/tools/report.bat", "c:/tools/"},
        {"D:\\report.bat", "D:\\"},
        {"\\\\server\\share\\report.bat", "\\\\server\\share\\"},
        {"C:\\予定表\\a.bat", "C:\\予定表\\"},  // 表 ends in the byte of "\"
        {"C:\\tools\\予定表", "C:\\tools\\"},
        {"C:\\鐔\\ソ", "C:\\鐔\\"},           // first bytes 0xE8 and 0x83
        {"notepad", ""},
        {"marker.cmd", ""},
        {"sub\\report.bat", ""},             // relative: the current folder
        {"C:report.bat", ""},
        {"", ""},
        {"C:\\a b\\c.bat extra", "C:\\a b\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(start_folder(c.program), c.folder) << c.program;
}

}  // namespace
}  // namespace dorimo::test
