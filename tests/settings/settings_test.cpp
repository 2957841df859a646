// Load and save of the slots in memory through the system's profile
// functions, on files in fresh folders.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <string>
#include <vector>

#include "fixture.h"
#include "profile_text.h"
#include "settings_io.h"
#include "temp_dir.h"

namespace dorimo::test {
namespace {

using Lines = std::vector<std::string>;

// Passes every call on and records it; can fail the write of one key.
struct RecordingProfile : ProfileFunctions {
    explicit RecordingProfile(ProfileFunctions& inner) : inner(inner) {}

    std::string get_string(const std::string& section, const std::string& key,
                           const std::string& default_text, const std::string& path) override {
        calls.push_back("get " + section + "/" + key);
        paths.push_back(path);
        return inner.get_string(section, key, default_text, path);
    }
    bool write_string(const char* section, const char* key, const char* value,
                      const std::string& path) override {
        calls.push_back(section ? std::string("write ") + section + "/" + key : "flush");
        paths.push_back(path);
        if (key && fail_key == key) return false;
        return inner.write_string(section, key, value, path);
    }

    ProfileFunctions& inner;
    std::string fail_key;
    Lines calls;
    Lines paths;
};

class Settings : public SlotTest {
protected:
    void put(const std::string& bytes) { put_file_bytes(file, bytes); }
    void load() { load_settings(form, *profile, file); }
    void save() { save_settings(form, *profile, file); }
    std::string stored(const std::string& section, const std::string& key) {
        return profile->get_string(section, key, "(missing)", file);
    }

    TempDir dir;
    std::string file = dir.path("dorimo.ini");
    std::unique_ptr<ProfileFunctions> profile = make_system_profile();
};

TEST_F(Settings, WithoutAFileTheWindowKeepsItsInitialValues) {
    RecordingProfile recording(*profile);
    load_settings(form, recording, file);

    const MemoryForm initial;
    for (std::size_t i = 0; i < form.components.size(); ++i) {
        EXPECT_EQ(form.components[i].text, initial.components[i].text) << form.components[i].name;
        EXPECT_EQ(form.components[i].checked, initial.components[i].checked) << form.components[i].name;
        EXPECT_FALSE(form.components[i].timer_enabled) << form.components[i].name;
    }
    EXPECT_EQ(form.log, Lines{">"});
    EXPECT_FALSE(file_exists(file));

    // One read per key, each with the full path, then the flush.
    ASSERT_EQ(recording.calls.size(), 62u);
    EXPECT_EQ(recording.calls[0], "get main/tray");
    EXPECT_EQ(recording.calls[1], "get rtn1/chk11");
    EXPECT_EQ(recording.calls[12], "get rtn1/TUGI1");
    EXPECT_EQ(recording.calls[60], "get rtn5/TUGI5");
    EXPECT_EQ(recording.calls[61], "flush");
    for (const std::string& path : recording.paths) EXPECT_EQ(path, file);
}

TEST_F(Settings, AFirstSaveWritesAll61KeysInOrder) {
    form["chkTORAY"].checked = true;
    form["chk12"].checked = true;
    form["cbH1"].text = "13";
    form["ex_path5"].text = "C:\\tools\\予定表.bat";
    save();

    std::string want = "[main]\r\ntray=1\r\n";
    for (const char* n : {"1", "2", "3", "4", "5"}) {
        want += std::string("[rtn") + n + "]\r\n";
        for (int d = 1; d <= 7; ++d)
            want += std::string("chk") + n + std::to_string(d) + (n[0] == '1' && d == 2 ? "=1\r\n" : "=0\r\n");
        want += std::string("H") + n + (n[0] == '1' ? "=13\r\n" : "=00\r\n");
        want += std::string("M") + n + "=00\r\n";
        want += std::string("path") + n + (n[0] == '5' ? "=C:\\tools\\予定表.bat\r\n" : "=notepad\r\n");
        want += std::string("MAE") + n + "=\r\n";
        want += std::string("TUGI") + n + "=\r\n";
    }
    EXPECT_EQ(file_bytes(file), want);
}

TEST_F(Settings, FlagsAreCheckedForEveryNumberButZero) {
    for (const char* value : {"1", "2", "-1", "0x1", "$1"}) {
        put(std::string("[main]\r\ntray=") + value + "\r\n");
        load();
        EXPECT_TRUE(form["chkTORAY"].checked) << value;
    }
    for (const char* value : {"0", "00", "true", "1a", "0x", "", "99999999999"}) {
        form["chkTORAY"].checked = true;
        put(std::string("[main]\r\ntray=") + value + "\r\n");
        load();
        EXPECT_FALSE(form["chkTORAY"].checked) << value;
    }
    form["chkTORAY"].checked = true;
    put("[main]\r\n");
    load();
    EXPECT_FALSE(form["chkTORAY"].checked);
}

TEST_F(Settings, StoredSlotsAreFilledAndArmedAgainFromNowInSlotOrder) {
    put("[rtn1]\r\nchk12=1\r\nH1=13\r\nM1=20\r\nMAE1=2024/04/29 13:20:00\r\nTUGI1=2024/04/29 13:20:00\r\n"
        "[rtn2]\r\nH2=ab\r\nTUGI2=stale\r\n"
        "[rtn3]\r\nchk31=1\r\nH3=08\r\npath3=calc\r\nTUGI3=anything\r\n"
        "[rtn4]\r\nH4=ab\r\npath4=\r\nTUGI4=\r\n");
    clock.t = at(2024, 5, 1, 9, 5, 0);  // a Wednesday
    load();

    EXPECT_TRUE(form["Timer1"].timer_enabled);
    EXPECT_EQ(form["txtTUGI1"].text, "2024/05/06 13:20:00");
    EXPECT_EQ(form["txtMAE1"].text, "2024/04/29 13:20:00");
    // No day checked: disarmed, next run emptied, the hour repaired on the way.
    EXPECT_FALSE(form["Timer2"].timer_enabled);
    EXPECT_EQ(form["txtTUGI2"].text, "");
    EXPECT_EQ(form["cbH2"].text, "00");
    EXPECT_EQ(form["txtTUGI3"].text, "2024/05/05 08:00:00");
    EXPECT_EQ(form["ex_path3"].text, "calc");
    // Not armed: the texts stay as stored, an empty path included.
    EXPECT_FALSE(form["Timer4"].timer_enabled);
    EXPECT_EQ(form["cbH4"].text, "ab");
    EXPECT_EQ(form["ex_path4"].text, "");
    EXPECT_EQ(form["ex_path5"].text, "notepad");

    EXPECT_EQ(form.log, (Lines{"登録1予約 " + stamp() + "  次回実行日時<2024/05/06 13:20:00>",
                               "登録2停止 " + stamp(),
                               "登録3予約 " + stamp() + "  次回実行日時<2024/05/05 08:00:00>", ">"}));

    save();
    EXPECT_EQ(stored("rtn4", "H4"), "ab");
    EXPECT_EQ(stored("rtn2", "TUGI2"), "");
    EXPECT_EQ(stored("rtn1", "TUGI1"), "2024/05/06 13:20:00");
}

TEST_F(Settings, AnErrorWhileArmingEndsTheLoadThere) {
    put("[rtn2]\r\nchk21=1\r\nTUGI2=x\r\n[rtn3]\r\nchk31=1\r\npath3=calc\r\n");
    form.timers_available = false;
    RecordingProfile recording(*profile);
    EXPECT_THROW(load_settings(form, recording, file), Error);

    EXPECT_TRUE(form["chk21"].checked);
    EXPECT_FALSE(form["chk31"].checked);
    EXPECT_EQ(form["ex_path3"].text, "notepad");
    EXPECT_EQ(recording.calls.back(), "flush");
    EXPECT_EQ(recording.calls.size(), 1u + 12 + 12 + 1);
}

TEST_F(Settings, ASaveStopsAtTheFirstKeyThatCannotBeWritten) {
    RecordingProfile recording(*profile);
    recording.fail_key = "H3";
    try {
        save_settings(form, recording, file);
        ADD_FAILURE() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), file + " に書き込めません");
    }
    EXPECT_EQ(recording.calls.back(), "flush");
    EXPECT_EQ(stored("rtn3", "chk37"), "0");
    EXPECT_EQ(stored("rtn3", "H3"), "(missing)");
    EXPECT_EQ(stored("rtn3", "M3"), "(missing)");
    EXPECT_EQ(stored("rtn5", "TUGI5"), "(missing)");
}

TEST_F(Settings, ASaveWhereTheFileCannotBeWrittenRaisesTheWriteError) {
    std::filesystem::create_directory(file);  // stops even root
    try {
        save();
        ADD_FAILURE() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), file + " に書き込めません");
    }
}

TEST_F(Settings, UnknownLinesAndOtherLetterCaseSurviveASave) {
    put("[RTN1]\r\nChk11=1\r\nnote=keep\r\n[mine]\r\nx=y\r\n");
    load();
    EXPECT_TRUE(form["chk11"].checked);
    save();
    const std::string bytes = file_bytes(file);
    EXPECT_EQ(bytes.rfind("[RTN1]\r\nChk11=1\r\nnote=keep\r\nchk12=0\r\n", 0), 0u) << bytes;
    EXPECT_NE(bytes.find("TUGI1=\r\n[mine]\r\nx=y\r\n[main]\r\ntray=0\r\n[rtn2]\r\n"), std::string::npos) << bytes;
}

TEST_F(Settings, TextsWithBlanksOrQuotationMarksAtTheirEdgesComeBackUnchanged) {
    const std::string path1 = "\"C:\\Program Files\\a.exe\"";
    form["ex_path1"].text = path1;
    form["ex_path2"].text = "'x'";
    form["cbH1"].text = " 8";
    form["txtMAE1"].text = "a ";
    form["ex_path3"].text = "\"";
    form["ex_path4"].text = "C:\\mine\\new.bat\r\n";  // a line break: stored up to it
    form["txtMAE4"].text = "x\n[rtn5]\r\nH5=99";
    save();

    MemoryForm loaded;
    load_settings(loaded, *profile, file);
    EXPECT_EQ(loaded["ex_path1"].text, path1);
    EXPECT_EQ(loaded["ex_path2"].text, "'x'");
    EXPECT_EQ(loaded["cbH1"].text, " 8");
    EXPECT_EQ(loaded["txtMAE1"].text, "a ");
    EXPECT_EQ(loaded["ex_path3"].text, "\"");
    EXPECT_EQ(loaded["ex_path4"].text, "C:\\mine\\new.bat");
    EXPECT_EQ(loaded["txtMAE4"].text, "x");
    EXPECT_EQ(loaded["cbH5"].text, "00");
}

#ifdef _WIN32
const bool kWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
constexpr bool kWine = false;
#endif

// The file as Wine's profile functions rewrite it whole from what they
// read: no blank lines, no blanks around names, "=" and values, nothing
// after a section's "]", every line ended by CR LF.
std::string wine_layout(const std::string& bytes) {
    const auto trim = [](const std::string& s) {
        const std::size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
        return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    };
    std::string out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = trim(bytes.substr(start, end - start));
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        const std::size_t equals = line.find('=');
        if (line.empty()) continue;
        if (line[0] == '[' && line.find(']') != std::string::npos)
            out += "[" + trim(line.substr(1, line.find(']') - 1)) + "]\r\n";
        else if (equals != std::string::npos)
            out += trim(line.substr(0, equals)) + "=" + trim(line.substr(equals + 1)) + "\r\n";
        else
            out += line + "\r\n";
    }
    return out;
}

// A save builds the new file in memory from the old file's bytes; what it
// makes is what the system's functions make of the same file key by key
// (Windows, and the portable functions, keep the lines they do not write as
// they stand; Wine rewrites them in its own layout).
TEST_F(Settings, ASaveInMemoryMakesTheFileTheSystemFunctionsMake) {
    form["cbH1"].text = "07";
    form["chk33"].checked = true;
    form["txtMAE2"].text = " lead";
    form["ex_path5"].text = "C:\\表計算\\ソフト.exe";

    const char* const files[] = {
        "",
        "; my settings\r\n[main]\r\ntray=1\r\n[rtn1]\r\n; slot one\r\nH1=05\r\nmine=kept\r\n[user]\r\nfoo=bar\r\n",
        "[user]\r\nfoo=bar\r\n\r\n[rtn5]\r\npath5=old\r\n\r\n[main]\r\ntray=0\r\n\r\n",
        "[rtn2]\r\nH2=01\r\nH2=02\r\nnoequals\r\n[rtn2]\r\nM2=30\r\n[rtn1]\r\nH1=09\r\n",
        "[RTN3] note\r\n  h3 =  04 \r\n\tM3\t=\t20\r\npath3 = \"C:\\a b\\x.exe\"\r\n",
        "[rtn4]\r\nTUGI4=2026/01/01 00:00:00",
        "[user]\r\nlast=no line end",
    };
    int n = 0;
    for (const std::string start : files) {
        file = dir.path("case" + std::to_string(++n) + ".ini");
        if (!start.empty()) put(start);
        save();
        ProfileInMemory memory(start);
        save_settings(form, memory, "");
        EXPECT_EQ(kWine ? wine_layout(memory.bytes()) : memory.bytes(), file_bytes(file)) << start;
    }
}

}  // namespace
}  // namespace dorimo::test
