// The whole-file save on real files through the system's functions: every
// failing step of it, the states a cut save leaves, files in other
// encodings, and links.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "memory_form.h"
#include "profile_text.h"
#include "settings_find_read_save.h"
#include "temp_dir.h"
#include "wide_text.h"

namespace dorimo::test {
namespace {

enum class Call { kCreate, kWrite, kFlush, kClose, kReplace, kMove, kRemove, kAttributes };

// A call on the file whose name ends so (a move: its destination) fails.
constexpr DWORD kStops = 0xFFFF;  // an error that stops the save there instead, as a power cut does
constexpr DWORD kEdits = 0xFFFE;  // no error: another program writes the settings file meanwhile
struct Fault {
    Call call;
    std::wstring file;
    DWORD error;
};

// The system's calls, but for the faults given.
struct FaultyCalls : SaveFileCalls {
    bool fails(Call call, const std::wstring& path) {
        for (const Fault& f : faults) {
            if (f.call != call || path.size() < f.file.size() ||
                path.compare(path.size() - f.file.size(), f.file.size(), f.file) != 0)
                continue;
            // These two leave the replaced file gone (no backup is asked for).
            if (call == Call::kReplace &&
                (f.error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || f.error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2))
                DeleteFileW(path.c_str());
            if (f.error == kStops) throw kStops;
            if (f.error == kEdits) return put_file_bytes(narrow(path.substr(0, path.size() - 4)), "[mine]\r\n"), false;
            SetLastError(f.error);
            return true;
        }
        return false;
    }
    HANDLE create(const std::wstring& path) override {
        if (fails(Call::kCreate, path)) return INVALID_HANDLE_VALUE;
        HANDLE file = real.create(path);
        names[file] = path;
        return file;
    }
    HANDLE open(const std::wstring& path) override { HANDLE file = real.open(path); names[file] = path; return file; }
    bool write(HANDLE file, std::size_t offset, const std::string& bytes) override {
        return !fails(Call::kWrite, names[file]) && real.write(file, offset, bytes);
    }
    bool set_size(HANDLE file, std::size_t size) override { return real.set_size(file, size); }
    bool flush(HANDLE file) override { return !fails(Call::kFlush, names[file]) && real.flush(file); }
    bool close(HANDLE file) override {
        real.close(file);
        return !fails(Call::kClose, names[file]);
    }
    bool replace(const std::wstring& replaced, const std::wstring& replacement) override {
        return !fails(Call::kReplace, replaced) && real.replace(replaced, replacement);
    }
    bool move(const std::wstring& from, const std::wstring& to) override {
        return !fails(Call::kMove, to) && real.move(from, to);
    }
    bool remove(const std::wstring& path) override { return !fails(Call::kRemove, path) && real.remove(path); }
    DWORD attributes(const std::wstring& path) override {
        return fails(Call::kAttributes, path) ? INVALID_FILE_ATTRIBUTES : real.attributes(path);
    }

    std::vector<Fault> faults;
    SaveFileCalls& real = system_file_calls();
    std::map<HANDLE, std::wstring> names;
};

// The names of a folder's entries, in order.
std::vector<std::string> names_in(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ReadFile as it answers on Windows while another program holds a byte-range
// lock on the file, for a while from now on (Wine does not hold reads back
// for such locks): the program's calls to it go through here.
extern "C" decltype(&ReadFile) read_file_import asm("__imp__ReadFile@20");
extern "C" decltype(&GetFileInformationByHandle) info_import asm("__imp__GetFileInformationByHandle@8");
template <typename F> F swap_import(F& import, F to) {
    DWORD was = 0;
    VirtualProtect(&import, sizeof import, PAGE_READWRITE, &was);
    std::swap(import, to);
    VirtualProtect(&import, sizeof import, was, &was);
    return to;
}
class LockedReads {
public:
    explicit LockedReads(DWORD milliseconds) {
        until_ = GetTickCount() + milliseconds;
        swap(read_under_lock);
    }
    ~LockedReads() { swap(real_); }

private:
    static BOOL WINAPI read_under_lock(HANDLE file, void* to, DWORD size, DWORD* got, OVERLAPPED* at) {
        if (static_cast<LONG>(until_ - GetTickCount()) > 0) return SetLastError(ERROR_LOCK_VIOLATION), FALSE;
        return real_(file, to, size, got, at);
    }
    void swap(decltype(&ReadFile) to) {
        const auto before = swap_import(read_file_import, to);
        if (!real_) real_ = before;
    }
    static inline DWORD until_ = 0;
    static inline decltype(&ReadFile) real_ = nullptr;
};

// The first look at a file that another program, not stopped by the sharing
// rules, writes while it is read: 10 bytes of it, written long ago.
decltype(&GetFileInformationByHandle) real_look;
BOOL WINAPI first_look_short(HANDLE f, BY_HANDLE_FILE_INFORMATION* info) {
    swap_import(info_import, real_look);
    const BOOL got = real_look(f, info);
    return info->nFileSizeLow = 10, info->ftLastWriteTime = {}, got;
}

// Writes the rest of a file a second later and lets go of it, as a program writing it slowly does
// (without a file held, opened only then, as a script's next line, and sooner).
struct Writing {
    HANDLE file;
    std::string rest;
    std::wstring name;
};
DWORD WINAPI finish_after_a_second(void* writing) {
    auto* w = static_cast<Writing*>(writing);
    DWORD written = 0;
    Sleep(w->file ? 1000 : 300);  // a script's next line comes within the second the start waits for
    if (!w->file) w->file = CreateFileW(w->name.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    WriteFile(w->file, w->rest.data(), static_cast<DWORD>(w->rest.size()), &written, nullptr);
    return CloseHandle(w->file);
}

std::string saved_bytes(const MemoryForm& form) {
    ProfileInMemory memory("");
    save_settings(form, memory, "");
    return memory.bytes();
}

class Save : public ::testing::Test {
protected:
    Save() {
        old_form["ex_path1"].text = "C:\\old\\古い.cmd";
        form["ex_path1"].text = "C:\\kept\\予定.cmd";
        form["cbH1"].text = "07";
    }
    SettingsLocation location(const std::string& name = "dorimo.ini") {
        return {dir.path(name), widen(dir.path(name))};
    }
    // The files of the folder but the settings file.
    std::vector<std::string> others() {
        std::vector<std::string> names = names_in(dir.folder());
        names.erase(std::remove(names.begin(), names.end(), "dorimo.ini"), names.end());
        return names;
    }
    // What the window shows after a start: the defaults where the file cannot be read.
    MemoryForm loaded(SettingsLocation settings) {
        MemoryForm read;
        try {
            ProfileInMemory file(read_settings_at_start(settings).value_or(""));
            load_settings(read, file, settings.path);
        } catch (const Error&) {}
        return read;
    }

    TempDir dir;
    std::string file = dir.path("dorimo.ini");
    MemoryForm old_form, form;
};

enum Outcome {
    N,  // no box, the file holds the new bytes
    O,  // the error box, the file holds the old bytes
    K,  // the error box, the file gone and the whole new file kept; the next start takes it
    W,  // the error box, the file holds the new bytes, not known to be on the disk
};

const DWORD kErrors[] = {ERROR_ACCESS_DENIED,     ERROR_SHARING_VIOLATION,         ERROR_DISK_FULL,
                         ERROR_INVALID_FUNCTION,  ERROR_NOT_SUPPORTED,             ERROR_INVALID_PARAMETER,
                         ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT,
                         ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, ERROR_NOT_ENOUGH_QUOTA, 1295 /* disk quota exceeded */};

// Each step of a save, on its own or after another fault, failing with each
// error above; what the user finds in each case.
TEST_F(Save, EveryFailingStepEndsWithAWholeFileAndAnHonestAnswer) {
    const struct {
        const char* what;
        std::vector<Fault> before;  // faults of the row, then the step failing with the column's error
        Call call;
        const wchar_t* on;
        Outcome outcome[11];  // per error, in the order of kErrors
        const char* left;    // a file the row leaves beside the settings
    } rows[] = {
        {"attributes", {}, Call::kAttributes, L"dorimo.ini", {O, O, O, O, O, O, O, O, O, O, O}, ""},
        {"create", {}, Call::kCreate, L".tmp", {N, N, O, N, N, N, N, N, N, O, O}, ""},
        {"write", {}, Call::kWrite, L".tmp", {N, N, O, N, N, N, N, N, N, O, O}, ""},
        {"flush", {}, Call::kFlush, L".tmp", {N, N, O, N, N, N, N, N, N, O, O}, ""},
        {"close", {}, Call::kClose, L".tmp", {N, N, O, N, N, N, N, N, N, O, O}, ""},
        {"name .new", {}, Call::kMove, L".new", {N, N, O, N, N, N, N, N, N, O, O}, ""},
        {"replace", {}, Call::kReplace, L"dorimo.ini", {N, N, N, N, N, N, N, N, N, N, N}, ""},
        {"move after an unlisted replace error",
         {{Call::kReplace, L"dorimo.ini", ERROR_INVALID_FUNCTION}}, Call::kMove, L"dorimo.ini",
         {N, N, O, N, N, N, N, N, N, O, O}, ""},
        {"move after the old file went",
         {{Call::kReplace, L"dorimo.ini", ERROR_UNABLE_TO_MOVE_REPLACEMENT}}, Call::kMove, L"dorimo.ini",
         {K, K, K, K, K, K, K, K, K, K, K}, ""},
        {"remove after a refused replace",
         {{Call::kReplace, L"dorimo.ini", ERROR_SHARING_VIOLATION}}, Call::kRemove, L".new",
         {N, N, N, N, N, N, N, N, N, N, N}, "dorimo.ini.new"},
        {"remove after a full disk",
         {{Call::kWrite, L".tmp", ERROR_DISK_FULL}}, Call::kRemove, L".tmp",
         {O, O, O, O, O, O, O, O, O, O, O}, "dorimo.ini.tmp"},
        {"writing in place, where no new file can be made", {{Call::kCreate, L".tmp", ERROR_ACCESS_DENIED}},
         Call::kWrite, L"dorimo.ini", {O, O, O, O, O, O, O, O, O, O, O}, ""},
        {"flushing in place", {{Call::kCreate, L".tmp", ERROR_ACCESS_DENIED}}, Call::kFlush, L"dorimo.ini",
         {W, W, W, W, W, W, W, W, W, W, W}, ""},
    };
    const std::string old_bytes = saved_bytes(old_form), new_bytes = saved_bytes(form);
    for (const auto& row : rows) {
        for (std::size_t e = 0; e < std::size(kErrors); ++e) {
            SCOPED_TRACE(std::string(row.what) + ", error " + std::to_string(kErrors[e]));
            put_file_bytes(file, old_bytes);
            FaultyCalls calls;
            calls.faults = row.before;
            calls.faults.push_back({row.call, row.on, kErrors[e]});
            const Outcome outcome = row.outcome[e];
            bool error_box = false;
            try {
                save_settings_whole(form, location(), calls);
            } catch (const EIniFileException&) {
                error_box = true;
            }
            EXPECT_EQ(error_box, outcome != N);
            if (outcome == K) {
                EXPECT_FALSE(file_exists(file));
                EXPECT_EQ(others(), std::vector<std::string>{"dorimo.ini.new"});
                EXPECT_EQ(file_bytes(file + ".new"), new_bytes);
                EXPECT_EQ(loaded(location())["ex_path1"].text, form["ex_path1"].text);
            } else {
                const std::vector<std::string> left = *row.left ? std::vector<std::string>{row.left}
                                                                 : std::vector<std::string>{};
                EXPECT_EQ(others(), left);
            }
            EXPECT_EQ(file_bytes(file), outcome == O ? old_bytes : new_bytes);

            // The fault gone, the next save goes through and leaves nothing else.
            calls.faults.clear();
            form["cbM1"].text = "40";
            save_settings_whole(form, location(), calls);
            EXPECT_EQ(loaded(location())["cbM1"].text, "40");
            EXPECT_TRUE(others().empty());
            form["cbM1"].text = "00";
        }
    }
    // Another program writes the file while the save makes its new one: the file and nothing else is left.
    loaded(location());
    FaultyCalls edits;
    edits.faults = {{Call::kCreate, L".tmp", kEdits}};
    EXPECT_EQ(save_settings_whole(form, location(), edits, WriteOver::kOurs), Saved::kChangedElsewhere);
    EXPECT_EQ(file_bytes(file), "[mine]\r\n");
    EXPECT_TRUE(others().empty());
}

// The files each state of a cut save leaves, and what the next start loads.
TEST_F(Save, EveryStateACutSaveLeavesStartsWithTheNewestWholeCopy) {
    const std::string old_bytes = saved_bytes(old_form), new_bytes = saved_bytes(form);
    const struct {
        const char* state;
        std::map<std::string, std::string> files;  // by name; "dir" makes a folder
        const char* loads;                         // the slot 1 path the start shows
        std::vector<std::string> after;            // the files after the start
    } states[] = {
        {"first save cut in its temporary file", {{"dorimo.ini.tmp", "[rtn1]\r\npath1=C:\\x"}}, "notepad",
         {"dorimo.ini.tmp"}},
        {"cut in the temporary file", {{"dorimo.ini", old_bytes}, {"dorimo.ini.tmp", new_bytes}},
         "C:\\old\\古い.cmd", {"dorimo.ini", "dorimo.ini.tmp"}},
        {"cut before the replace", {{"dorimo.ini", old_bytes}, {"dorimo.ini.new", new_bytes}}, "C:\\old\\古い.cmd",
         {"dorimo.ini"}},
        {"cut before the first move or mid-replace", {{"dorimo.ini.new", new_bytes}}, "C:\\kept\\予定.cmd",
         {"dorimo.ini"}},
        {"after", {{"dorimo.ini", new_bytes}}, "C:\\kept\\予定.cmd", {"dorimo.ini"}},
        {"a folder named as the new file", {{"dorimo.ini.new", "dir"}}, "notepad", {"dorimo.ini.new"}},
    };
    for (const auto& s : states) {
        SCOPED_TRACE(s.state);
        for (const auto& [name, bytes] : s.files) {
            if (bytes == "dir") std::filesystem::create_directory(dir.path(name));
            else put_file_bytes(dir.path(name), bytes);
        }
        EXPECT_EQ(loaded(location())["ex_path1"].text, s.loads);
        const std::vector<std::string> files = names_in(dir.folder());
        EXPECT_EQ(files, s.after);
        for (const std::string& name : files) std::filesystem::remove(dir.path(name));
    }

    // A new file that cannot be moved into place (a folder stands there) is
    // loaded where it is, and a save never writes anything less over it.
    std::filesystem::create_directory(file);
    put_file_bytes(file + ".new", new_bytes + "[mine]\r\nkeep=1\r\n");
    MemoryForm shown = loaded(location());
    EXPECT_EQ(shown["ex_path1"].text, "C:\\kept\\予定.cmd");
    EXPECT_THROW(save_settings_whole(shown, location()), EIniFileException);
    std::filesystem::remove(file);
    FaultyCalls stops;
    stops.faults = {{Call::kCreate, L".tmp", kStops}};
    EXPECT_THROW(save_settings_whole(shown, location(), stops), DWORD);
    EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\kept\\予定.cmd");
    shown["cbM1"].text = "30";
    save_settings_whole(shown, location());
    EXPECT_EQ(file_bytes(file), with_profile_value(new_bytes + "[mine]\r\nkeep=1\r\n", "rtn1", "M1", "30"));
    EXPECT_TRUE(others().empty());

    // A file the start cannot read (another program holds it; a kept new
    // file can then not be moved either) shows the defaults: no save of the
    // run writes them over it, even once it is let go. Written by another
    // program for a second more, half of it there, it is waited for and loaded whole.
    std::filesystem::remove(file);
    for (const std::string& name : {file, file + ".new"}) {
        SCOPED_TRACE(name);
        put_file_bytes(name, new_bytes);
        HANDLE held = CreateFileW(widen(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        shown = loaded(location());
        EXPECT_EQ(shown["ex_path1"].text, "notepad");
        EXPECT_THROW(save_settings_whole(shown, location()), Error);
        CloseHandle(held);
        EXPECT_THROW(save_settings_whole(shown, location()), Error);
        static Writing writing;
        writing = {CreateFileW(widen(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_ALWAYS, 0, nullptr), new_bytes.substr(100), {}};
        DWORD written = 0;
        WriteFile(writing.file, new_bytes.data(), 100, &written, nullptr);
        CloseHandle(CreateThread(nullptr, 0, finish_after_a_second, &writing, 0, nullptr));
        EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\kept\\予定.cmd");
        put_file_bytes(name, new_bytes.substr(0, 100));  // so does a script's, held by nothing between its lines,
        std::filesystem::last_write_time(widen(name), std::filesystem::file_time_type::clock::now() - std::chrono::milliseconds(1100));  // on FAT timed up to 2 s early
        writing = {nullptr, new_bytes.substr(100), widen(name)};
        CloseHandle(CreateThread(nullptr, 0, finish_after_a_second, &writing, 0, nullptr));
        EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\kept\\予定.cmd");
        real_look = swap_import(info_import, &first_look_short);  // a file changed while read is read again
        EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\kept\\予定.cmd");
        LockedReads locked(1000);  // so does another program's byte-range lock
        EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\kept\\予定.cmd");
        std::filesystem::remove(file);
    }
    for (const std::size_t more : {0, 1}) try {  // a save to 1 MiB is written and read; a byte more is refused
        put_file_bytes(file, ";" + std::string((1 << 20) - saved_bytes(form).size() - 3 + more, 'x') + "\r\n");
        save_settings_whole(form, location());
        EXPECT_EQ(file_bytes(file).size() + more, 1u << 20);
        EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\kept\\予定.cmd");
    } catch (const EIniFileException& e) {
        EXPECT_TRUE(more && std::string(e.what()).find("1 MiB を超える") != std::string::npos) << e.what();
    }
    put_file_bytes(file, std::string((1 << 20) + 1, ';'));  // too big to read: named so
    try {
        read_settings_at_start(location());
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("1 MiB を超える"), std::string::npos) << e.what();
    }
    loaded(location("none.ini"));  // a start that reads: the runs after it save again
}

// Files the profile functions read in an encoding of their own: a save
// followed by a load gives back what was saved, Japanese paths included.
// FF FE is UTF-16 LE; Windows reads other marks as bytes of the first line, Wine as marks.
TEST_F(Save, FilesWithAByteOrderMarkReadBackWhatWasSaved) {
    const auto utf16 = [](const std::wstring& text, bool big_endian) {
        std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
        for (const wchar_t c : text) {
            const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
            bytes += big_endian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    const std::string text = "[rtn1]\r\npath1=C:\\old\\古い.cmd\r\n[mine]\r\nkeep=1\r\n";
    const struct {
        const char* what;
        std::string bytes;
        std::string reads, wine_reads;  // slot 1's program before the save
    } files[] = {
        {"UTF-16 LE", utf16(widen(text), false), "C:\\old\\古い.cmd", "C:\\old\\古い.cmd"},
        {"UTF-16 BE", utf16(widen(text), true), "notepad", "C:\\old\\古い.cmd"},
        {"UTF-8", "\xEF\xBB\xBF[rtn1]\r\npath1=C:\\old\\\xE5\x8F\xA4\xE3\x81\x84.cmd\r\n[mine]\r\nkeep=1\r\n",
         "notepad", "C:\\old\\古い.cmd"},
        {"a mark before Shift-JIS", "\xEF\xBB\xBF" + text, "notepad", "C:\\old\\?A?.cmd"},
        {"UTF-32 LE", std::string("\xFF\xFE\0\0[\0\0\0", 8), "notepad", "notepad"},
        {"UTF-16 LE mark alone", "\xFF\xFE", "notepad", "notepad"},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", "notepad", "notepad"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        put_file_bytes(file, f.bytes);
        EXPECT_EQ(loaded(location())["ex_path1"].text, f.reads);
        EXPECT_EQ(make_system_profile()->get_string("rtn1", "path1", "notepad", file), f.wine_reads);
        save_settings_whole(form, location());
        MemoryForm read = loaded(location());
        EXPECT_EQ(read["ex_path1"].text, "C:\\kept\\予定.cmd");
        EXPECT_EQ(read["cbH1"].text, "07");
        // The one mark Windows documents keeps its encoding.
        if (f.bytes.rfind("\xFF\xFE", 0) == 0) {
            EXPECT_EQ(file_bytes(file).substr(0, 2), "\xFF\xFE");
        }
    }
    // A UTF-16 file's own values, characters outside the code page among them, are read and survive a save.
    const std::wstring own = L"; 한국어 é\r\n";
    put_file_bytes(file, utf16(own + widen(text), false));
    EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\old\\古い.cmd");
    save_settings_whole(form, location());
    EXPECT_EQ(file_bytes(file).rfind(utf16(own + L"[rtn1]\r\n", false), 0), 0u);
    EXPECT_EQ(make_system_profile()->get_string("mine", "keep", "", file), "1");

    // So does a kept new file in UTF-16 that the start could not move into
    // place (a scanner had it open) and loaded where it was.
    std::filesystem::remove(file);
    put_file_bytes(file + ".new", utf16(own + widen(text), false));
    HANDLE held = CreateFileW(widen(file + ".new").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\old\\古い.cmd");
    CloseHandle(held);
    save_settings_whole(form, location());
    EXPECT_EQ(loaded(location())["ex_path1"].text, "C:\\kept\\予定.cmd");
    EXPECT_EQ(file_bytes(file).rfind(utf16(own + L"[rtn1]\r\n", false), 0), 0u);
}

// Runs a Unix command (Wine starts Unix programs) until the file it makes
// is there; Wine gives no handle to wait on. Wine's start.exe starts it, not
// this program: a Unix program started from here broke this program's output
// to a file (cmd's redirection in the runner), which then ended after the
// test with no more lines and exit code 0.
void run_unix(std::wstring command, const std::string& makes) {
    command = L"start.exe /unix " + command;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 200 && !file_exists(makes); ++i) Sleep(50);
}

std::wstring unix_name(const std::string& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto to_unix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    return to_unix ? widen(to_unix(widen(path).c_str())) : L"";
}

// A settings file that is a link to a file in another folder stays a link,
// and the file behind it takes the save; so does a file with two hard links.
TEST_F(Save, LinksStayLinks) {
    if (unix_name(file).empty()) GTEST_SKIP() << "makes Unix links: runs under Wine";
    const std::string real = dir.path("real"), linked = dir.path("linked");
    std::filesystem::create_directory(real);
    std::filesystem::create_directory(linked);
    put_file_bytes(real + "\\target.ini", saved_bytes(old_form));
    run_unix(L"/bin/ln -s " + unix_name(real + "\\target.ini") + L" " + unix_name(linked) + L"/dorimo.ini",
             linked + "\\dorimo.ini");
    ASSERT_TRUE(file_exists(linked + "\\dorimo.ini"));
    const SettingsLocation through_link{linked + "\\dorimo.ini", widen(linked + "\\dorimo.ini")};
    // The link leads nowhere yet (a synced folder before the first save; Wine does not tell where): the start
    // cannot read it, and a file that arrives is kept. Removed during a run that read it, it is made again.
    std::filesystem::remove(real + "\\target.ini");
    EXPECT_THROW(read_settings_at_start(through_link), Error);
    put_file_bytes(real + "\\target.ini", "[mine]\r\n");
    EXPECT_THROW(save_settings_whole(form, through_link, system_file_calls(), WriteOver::kOurs), Error);
    EXPECT_EQ(file_bytes(real + "\\target.ini"), "[mine]\r\n");
    loaded(through_link);
    std::filesystem::remove(real + "\\target.ini");
    EXPECT_EQ(save_settings_whole(form, through_link, system_file_calls(), WriteOver::kOurs), Saved::kWritten);
    EXPECT_EQ(file_bytes(real + "\\target.ini"), saved_bytes(form));
    EXPECT_EQ(names_in(linked), std::vector<std::string>{"dorimo.ini"});

    // Changed behind the link, the change shows through it: still a link.
    put_file_bytes(real + "\\target.ini", "[rtn1]\r\nH1=11\r\n");
    EXPECT_EQ(file_bytes(linked + "\\dorimo.ini"), "[rtn1]\r\nH1=11\r\n");
    // A save cut before its replace left a new file beside the target: the start removes it.
    put_file_bytes(real + "\\target.ini.new", saved_bytes(old_form));
    SettingsLocation start = through_link;
    EXPECT_EQ(read_settings_at_start(start), "[rtn1]\r\nH1=11\r\n");
    EXPECT_EQ(names_in(real), std::vector<std::string>{"target.ini"});
    const std::string twin = dir.path("twin.ini");
    put_file_bytes(file, saved_bytes(old_form));
    ASSERT_TRUE(CreateHardLinkW(widen(twin).c_str(), widen(file).c_str(), nullptr));
    save_settings_whole(form, location());
    EXPECT_EQ(file_bytes(twin), saved_bytes(form));

    // Cut mid-replace, only the new file beside the target. Wine does not tell where a Unix link leads, and
    // the start makes no file to learn it: it cannot find the new file, does not save this run, and leaves
    // it as it was (Windows reads a symbolic link's target from the link, loads the new file and puts it in place).
    std::filesystem::remove(real + "\\target.ini");
    put_file_bytes(real + "\\target.ini.new", saved_bytes(form));
    EXPECT_THROW(read_settings_at_start(through_link), Error);
    EXPECT_EQ(names_in(real), std::vector<std::string>{"target.ini.new"});

    // A link into a folder not there yet (a drive not mounted yet) cannot be read, and no save of the run
    // writes over the file once the folder is there.
    std::filesystem::remove_all(real);
    EXPECT_THROW(read_settings_at_start(through_link), Error);
    std::filesystem::create_directory(real);
    put_file_bytes(real + "\\target.ini", saved_bytes(old_form));
    EXPECT_THROW(save_settings_whole(form, through_link), Error);
    EXPECT_EQ(file_bytes(real + "\\target.ini"), saved_bytes(old_form));
    loaded(location());  // a start that reads: the runs after it save again
}

}  // namespace
}  // namespace dorimo::test
