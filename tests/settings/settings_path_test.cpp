// Where the settings file lives: beside the executable, whose name may hold
// double-byte characters ending in the byte of "\".
#include <gtest/gtest.h>

#include <string>

#include "settings_io.h"

#ifdef _WIN32
#include <windows.h>

#include "temp_dir.h"
#endif

namespace dorimo::test {
namespace {

TEST(SettingsPath, IsTheExecutablesFolderPlusTheFileName) {
    const struct {
        const char* module;
        const char* want;
    } cases[] = {
        {"D:\\tools\\予定表.exe", "D:\\tools\\dorimo.ini"},   // 表 ends in the byte of "\"
        {"D:\\ソフト\\a.exe", "D:\\ソフト\\dorimo.ini"},       // so does ソ
        {"D:\\tools\\鐔.exe", "D:\\tools\\dorimo.ini"},      // a first byte from 0xE0 on
        {"D:\\鐔ソ\\a.exe", "D:\\鐔ソ\\dorimo.ini"},
        {"D:\\tools\\表", "D:\\tools\\dorimo.ini"},
        {"\\\\server\\share\\a.exe", "\\\\server\\share\\dorimo.ini"},
        {"C:a.exe", "C:dorimo.ini"},
        {"a.exe", "dorimo.ini"},
        {"", "dorimo.ini"},
        {"C:\\a\\\x95", "C:\\a\\dorimo.ini"},  // a first byte with nothing after it
    };
    for (const auto& c : cases) EXPECT_EQ(settings_path(c.module), c.want) << c.module;
}

#ifdef _WIN32
// Runs a copy of the probe, which saves beside itself, and returns its exit code.
DWORD run(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError() + 1000;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::string probe_path() {
    char self_buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self_buffer, MAX_PATH);
    const std::string self = self_buffer;
    return self.substr(0, self.rfind('\\') + 1) + "settings_path_probe.exe";
}

bool file_exists_a(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(SettingsPath, AnExecutableNamedWithADoubleByteBackslashSavesInItsFolder) {
    TempDir dir;
    const std::string folder = dir.folder() + "\\";
    const std::string exe = folder + "予定表.exe";
    ASSERT_TRUE(CopyFileA(probe_path().c_str(), exe.c_str(), TRUE));
    EXPECT_EQ(run(exe), 0u);
    EXPECT_EQ(file_bytes(folder + "dorimo.ini").substr(0, 16), "[main]\r\ntray=0\r\n");
    EXPECT_FALSE(file_exists_a(folder + "予定表dorimo.ini"));
}

// Double-byte characters take the path past MAX_PATH bytes while it stays
// within MAX_PATH characters, the limit of starting a program. Of three
// folders one byte apart, at least one puts the buffer's last byte inside a
// double-byte character.
TEST(SettingsPath, AModulePathLongerThanMaxPathBytesIsNotCut) {
    std::string kanji;
    for (int i = 0; i < 40; ++i) kanji += "表";
    for (const char* pad : {"a", "ab", "abc"}) {
        TempDir dir;
        std::string folder = dir.folder() + "\\" + pad;
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
        while (folder.size() < MAX_PATH + 20) {
            folder += "\\" + kanji;
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
        }
        folder += "\\";
        ASSERT_TRUE(CopyFileA(probe_path().c_str(), (folder + "予定表.exe").c_str(), TRUE)) << GetLastError();
        EXPECT_EQ(run(folder + "予定表.exe"), 0u);
        EXPECT_TRUE(file_exists_a(folder + "dorimo.ini")) << pad;
    }
}
#endif

}  // namespace
}  // namespace dorimo::test
