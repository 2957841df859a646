// The same calls on the same starting bytes, against the system's profile
// functions: the Windows ones when built for Windows, the portable ones
// elsewhere. Where the two differ on purpose the expectation names both.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "profile_text.h"
#include "settings_io.h"
#include "temp_dir.h"
#ifdef _WIN32
#include "settings_find_read_save.h"
#endif

namespace dorimo::test {
namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

class Profile : public ::testing::Test {
protected:
    // What the system's functions read; the file read whole once and parsed in memory gives the same (or
    // `ours`, where the two differ on purpose). Unreadable (a folder): the defaults.
    std::string get(const std::string& section, const std::string& key, const std::string& default_text = "DEF",
                    [[maybe_unused]] const std::optional<std::string>& ours = std::nullopt) {
        const std::string system = profile->get_string(section, key, default_text, file);
#ifdef _WIN32
        flush();
        SettingsLocation at{file, std::wstring(file.begin(), file.end())};
        std::optional<std::string> text;
        try { text = read_settings_at_start(at); } catch (const Error&) {}
        EXPECT_EQ(profile_value(text ? &*text : nullptr, section, key, default_text), ours.value_or(system))
            << section << "/" << key;
#endif
        return system;
    }
    bool write(const char* section, const char* key, const char* value) {
        return profile->write_string(section, key, value, file);
    }
    // Windows keeps a copy of the file; it is flushed before the test looks
    // at the bytes or replaces them.
    void put(const std::string& bytes) {
        flush();
        put_file_bytes(file, bytes);
    }
    std::string contents() {
        flush();
        return file_bytes(file);
    }
    void flush() { profile->write_string(nullptr, nullptr, nullptr, file); }

    TempDir dir;
    std::string file = dir.path("test.ini");
    std::unique_ptr<ProfileFunctions> profile = make_system_profile();
};

TEST_F(Profile, AMissingFileGivesTheDefaultAndIsNotCreated) {
    EXPECT_EQ(get("main", "tray"), "DEF");
    EXPECT_EQ(get("main", "tray", ""), "");
    flush();
    EXPECT_FALSE(file_exists(file));
}

TEST_F(Profile, ReadsTheTextLayout) {
    put("; comment\r\n"
        "top=before any section\r\n"
        "[rtn1]\r\n"
        "chk11=1\r\n"
        "MAE1=\r\n"
        "H1 = 07 \r\n"
        " \tM1\t=\t10\t\r\n"
        "path1=\"C:\\Program Files\\a.exe\"\r\n"
        "q1='single'\r\n"
        "q2=\"unmatched'\r\n"
        "q3=\"\r\n"
        "q4=\"\"\r\n"
        "q5=\"a\"b\"\r\n"
        "eq=a=b\r\n"
        "noequals\r\n"
        ";c=commented\r\n"
        "dup=first\r\n"
        "dup=second\r\n"
        "\r\n"
        "[unclosed\r\n"
        "after=still rtn1\r\n"
        "[x‐\r\n"  // the last byte of "‐" is the byte of "]"
        "trail=still rtn1\r\n"
        "ア=katakana\r\n"
        "[ Spaced ] text after the name\r\n"
        "k=spaced\r\n"
        "[RTN1]\r\n"
        "late=second copy\r\n"
        "[ends]\nlf=1\nbare=2\rcr=3\r\x1a"
        "ctrlz=4\r\n"
        "[last]\r\n"
        "end=no line break");

    const struct {
        const char* section;
        const char* key;
        const char* want;
    } cases[] = {
        {"rtn1", "chk11", "1"},
        {"RTN1", "CHK11", "1"},
        {"rtn1", "MAE1", ""},             // present and empty: not the default
        {"rtn1", "H1", "07"},
        {"rtn1", "M1", "10"},
        {"rtn1", "path1", "C:\\Program Files\\a.exe"},
        {"rtn1", "q1", "single"},
        {"rtn1", "q2", "\"unmatched'"},
        {"rtn1", "q3", "\""},
        {"rtn1", "q4", ""},
        {"rtn1", "q5", "a\"b"},
        {"rtn1", "eq", "a=b"},
        {"rtn1", "noequals", "DEF"},       // a line without "=" has no value
        {"rtn1", ";c", "commented"},
        {"rtn1", "dup", "first"},
        {"rtn1", "[unclosed", "DEF"},
        {"rtn1", "after", "still rtn1"},
        {"rtn1", "trail", "still rtn1"},
        {"rtn1", "ア", "katakana"},
        {"rtn1", "ヂ", "DEF"},            // shares the first byte, second in other case
        {"rtn1", "late", "DEF"},           // only the first section of a name counts
        {"rtn1", "top", "DEF"},
        {"rtn1", "missing", "DEF"},
        {"nosuch", "chk11", "DEF"},
        {"spaced", "k", "spaced"},
        {"ends", "lf", "1"},
        {"ends", "bare", "2"},
        {"ends", "cr", "3"},
        {"ends", "ctrlz", "4"},
        {"last", "end", "no line break"},
    };
    for (const auto& c : cases) EXPECT_EQ(get(c.section, c.key), c.want) << c.section << "/" << c.key;

    // Defaults lose trailing blanks and a pair of quotation marks too.
    EXPECT_EQ(get("rtn1", "missing", "  d  "), "  d");
    EXPECT_EQ(get("rtn1", "missing", "'d'"), "d");
}

TEST_F(Profile, ValuesAreCutTo2047Bytes) {
    std::string kanji;
    for (int i = 0; i < 1500; ++i) kanji += "表";
    put("[L]\r\n"
        "long=" + std::string(3000, 'a') + "\r\n"
        "exact=" + std::string(2047, 'b') + "\r\n"
        "whole=a" + kanji + "\r\n"
        "split=" + std::string(2046, 'a') + kanji + "\r\n"
        "quoted=\"" + std::string(2047, 'c') + "\"\r\n"
        "fits=" + std::string(2045, 'd') + "表\r\n"
        "quotedfits=\"" + std::string(2045, 'e') + "表\"\r\n");

    EXPECT_EQ(get("L", "long"), std::string(2047, 'a'));
    EXPECT_EQ(get("L", "exact"), std::string(2047, 'b'));
    EXPECT_EQ(get("L", "whole"), "a" + kanji.substr(0, 2046));
    // Cut inside a double-byte character: the byte before the end is left out.
    EXPECT_EQ(get("L", "split"), std::string(2046, 'a'));
    // What fits the buffer comes back whole, quoted or not; Wine's functions count a closing quotation mark
    // of a value of 2047 bytes in single-byte characters, and lose the value's last byte.
    EXPECT_EQ(get("L", "fits"), std::string(2045, 'd') + "表");
    EXPECT_EQ(get("L", "quotedfits"), std::string(2045, 'e') + "表");
    EXPECT_EQ(get("L", "quoted", "DEF", std::string(2047, 'c')), std::string(kWindows ? 2046 : 2047, 'c'));
}

TEST_F(Profile, WritesCreateTheFileSectionsAndKeysInOrder) {
    EXPECT_TRUE(write("main", "tray", "0"));
    EXPECT_EQ(contents(), "[main]\r\ntray=0\r\n");

    EXPECT_TRUE(write("rtn1", "chk11", "1"));
    EXPECT_TRUE(write("main", "extra", "x"));   // at the end of its section
    EXPECT_TRUE(write("MAIN", "TRAY", "1"));    // in place, the stored names kept
    EXPECT_TRUE(write("rtn1", "MAE1", ""));
    EXPECT_TRUE(write("rtn1", "H1", "  7 "));   // blanks before a value are not stored
    EXPECT_EQ(contents(), "[main]\r\ntray=1\r\nextra=x\r\n[rtn1]\r\nchk11=1\r\nMAE1=\r\nH1=7 \r\n");
    EXPECT_EQ(get("rtn1", "MAE1"), "");
}

TEST_F(Profile, WritesChangeOnlyTheirKeyInThePlainLayout) {
    put("[rtn1]\r\nchk11=1\r\n[other]\r\nkeep=me\r\n[rtn2]\r\nH2=05\r\n[rtn2]\r\nM2=99\r\n");
    EXPECT_TRUE(write("rtn1", "chk11", "0"));
    EXPECT_TRUE(write("rtn2", "M2", "10"));  // into the first section of the name
    EXPECT_EQ(contents(),
              "[rtn1]\r\nchk11=0\r\n[other]\r\nkeep=me\r\n[rtn2]\r\nH2=05\r\nM2=10\r\n[rtn2]\r\nM2=99\r\n");

    put("[a]\r\nnoequals\r\nk=1");  // a key without value, a last line without line break
    EXPECT_TRUE(write("a", "noequals", "v"));
    EXPECT_TRUE(write("a", "n", "2"));
    EXPECT_EQ(contents(), "[a]\r\nnoequals=v\r\nk=1\r\nn=2\r\n");
}

// Windows rewrites the whole file from what it read: blank lines go, and
// every line is written "key=value" with CR LF. The portable functions keep
// every line they do not write byte for byte.
TEST_F(Profile, OtherLayoutsAreKeptByThePortableFunctionsOnly) {
    put("; settings\r\n\r\n[rtn1]\r\nH1 = 07\r\n\r\n[x] note\nfoo = bar\n\n");
    EXPECT_TRUE(write("rtn1", "H1", "08"));
    EXPECT_TRUE(write("rtn1", "M1", "10"));
    EXPECT_EQ(contents(), kWindows ? "; settings\r\n[rtn1]\r\nH1=08\r\nM1=10\r\n[x]\r\nfoo=bar\r\n"
                                   : "; settings\r\n\r\n[rtn1]\r\nH1 = 08\r\nM1=10\r\n\r\n[x] note\nfoo = bar\n\n");

    put("[a]\nk=1\n");
    EXPECT_TRUE(write("a", "n", "2"));
    EXPECT_EQ(contents(), kWindows ? "[a]\r\nk=1\r\nn=2\r\n" : "[a]\nk=1\nn=2\n");
}

TEST_F(Profile, AWriteThatCannotReachTheFileFails) {
    file = dir.path("missing") + (kWindows ? "\\" : "/") + "test.ini";
    EXPECT_FALSE(write("main", "tray", "0"));
    EXPECT_FALSE(file_exists(dir.path("missing")));

    file = dir.path("folder.ini");
    std::filesystem::create_directory(file);
    EXPECT_FALSE(write("main", "tray", "0"));
    EXPECT_EQ(get("main", "tray"), "DEF");
}

}  // namespace
}  // namespace dorimo::test
