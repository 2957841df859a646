#include "settings_save.h"

#include <algorithm>

#include "error_box.h"
#include "profile_text.h"
#include "wide_text.h"

namespace dorimo {
namespace {

// Settings files are a few kilobytes; anything past this is not read: its
// lines, split in a 32-bit program's memory, could exhaust it.
constexpr DWORD kLargestFile = 1u << 20;
// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's headers leave out.
constexpr DWORD kDiskQuotaExceeded = 1295;
// How long a read that another program holds off is tried again.
constexpr DWORD kHeldForAtMost = 5000;

// The start could not read the file: its path and the system's reason. The
// window shows the defaults, which no save of this run writes over the file.
// Empty while the run saves.
std::string unread_path, unread_reason;

// What the run says about an unread file, around the system's reason.
std::string unread_message(const char* before, const char* after) {
    return unread_path + before + unread_reason + after;
}

// A file as it is found through any links: the file they lead to.
struct FoundFile {
    DWORD error = 0;     // 0: read whole; ERROR_FILE_NOT_FOUND: no file; else why it could not be read
    std::string bytes;   // all of it
    std::wstring path;   // the link's final target, or the path itself
    DWORD links = 1;     // hard links to the file
    bool exists() const { return error == 0; }
};

// The path of an open file through any links (mklink, or a Unix one under
// Wine), so that the file they lead to is replaced, not the link.
std::wstring final_path(HANDLE f, const std::wstring& path) {
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(f, target.data(), static_cast<DWORD>(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length);
        length = GetFinalPathNameByHandleW(f, target.data(), static_cast<DWORD>(target.size()), 0);
    }
    return length > 0 && length < target.size() ? target.substr(0, length) : path;
}

DWORD read_once(FoundFile& found) {
    HANDLE f = CreateFileW(found.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error;
    }
    DWORD error = 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f, &size)) error = GetLastError();
    else if (size.QuadPart > kLargestFile) error = ERROR_FILE_TOO_LARGE;
    if (!error) {
        found.bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (!found.bytes.empty() &&
            !ReadFile(f, found.bytes.data(), static_cast<DWORD>(found.bytes.size()), &got, nullptr))
            error = GetLastError();
        else if (got != found.bytes.size())
            error = ERROR_HANDLE_EOF;  // changed while it was read
    }
    if (!error) {
        found.path = final_path(f, found.path);
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(f, &info)) found.links = info.nNumberOfLinks;
    }
    CloseHandle(f);
    return error ? error : 0;
}

// The file read whole in one read. Backup, sync and virus scanners hold
// files for a moment: a sharing or lock violation is tried again for up to
// 5 s. Any other error but "not found" means the file cannot be read.
FoundFile find_file(const std::wstring& path) {
    FoundFile found;
    const DWORD start = GetTickCount();
    for (;;) {
        found = FoundFile{};
        found.path = path;
        found.error = read_once(found);
        if (found.error != ERROR_SHARING_VIOLATION && found.error != ERROR_LOCK_VIOLATION) break;
        if (GetTickCount() - start >= kHeldForAtMost) break;
        Sleep(20);
    }
    return found;
}

// Windows' profile functions read a file that begins with FF FE as UTF-16
// LE and write it back so; any other mark they take for bytes of the first
// line, of code page 932 text like the rest.
bool is_utf16(const std::string& bytes) { return bytes.compare(0, 2, "\xFF\xFE") == 0; }

std::wstring utf16_text(const std::string& bytes) {
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

// The text the profile functions read in the file's bytes, in code page 932.
std::string profile_text_of(const std::string& bytes) { return is_utf16(bytes) ? narrow(utf16_text(bytes)) : bytes; }

// The file's bytes with all 61 keys written, in the file's encoding. A UTF-16
// file keeps every line no key was written into as it stood: characters
// outside the code page in comments and other keys are not lost.
std::string saved_bytes(const SlotForm& form, const std::string& old, const std::string& path) {
    ProfileInMemory memory(profile_text_of(old));
    save_settings(form, memory, path);
    if (!is_utf16(old)) return memory.bytes();

    const auto original = split_lines(utf16_text(old));
    const auto lines = split_lines(memory.bytes());
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t kept = memory.kept_lines()[i];
        text += (kept != ProfileInMemory::kWritten ? original[kept].text : widen(lines[i].text)) + widen(lines[i].end);
    }
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// The system's own words for an error, without the final stop.
std::string reason_of(DWORD error) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = text ? text : "不明なエラーです";  // a system without words for it
    LocalFree(text);
    reason.erase(reason.find_last_not_of(" \r\n.") + 1);
    if (reason.size() >= 2 && reason.compare(reason.size() - 2, 2, "。") == 0) reason.resize(reason.size() - 2);
    char code[16];
    wsprintfA(code, " (%lu)", error);
    return reason + code;
}

DWORD last_error() {
    const DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}

// No room for the bytes: the disk is full or the user's quota is used up.
bool disk_full(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL || error == kDiskQuotaExceeded ||
           error == ERROR_NOT_ENOUGH_QUOTA;
}

// Writes the bytes under the temporary name, flushes them to the disk and
// only then gives the file the new file's name, so that a new file is always
// whole. 0, or the error of the step that failed; the temporary file does
// not outlive a failure.
DWORD write_new_file(SaveFileCalls& calls, const std::wstring& temporary, const std::wstring& new_file,
                     const std::string& bytes) {
    HANDLE f = calls.create(temporary);
    if (f == INVALID_HANDLE_VALUE) return last_error();
    DWORD error = 0;
    if (!calls.write(f, 0, bytes) || !calls.flush(f)) error = last_error();
    if (!calls.close(f) && !error) error = last_error();
    if (!error && !calls.move(temporary, new_file)) error = last_error();
    if (error) calls.remove(temporary);
    return error;
}

// Puts the new file in place of the file. The replace keeps the file's
// attributes and security settings; where it fails for another reason than
// the file being held or refused, a plain move follows. 0, or the error.
DWORD put_in_place(SaveFileCalls& calls, const std::wstring& file, const std::wstring& new_file, bool exists) {
    if (exists) {
        if (calls.replace(file, new_file)) return 0;
        const DWORD error = last_error();
        // Another program holds the file open without letting it be
        // replaced, or the folder lets it be written but not replaced.
        if (error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_ACCESS_DENIED ||
            error == ERROR_SHARING_VIOLATION)
            return error;
        // ERROR_UNABLE_TO_MOVE_REPLACEMENT(_2): the file is already out of
        // the way; any other: a volume without the replace operation.
    }
    return calls.move(new_file, file) ? 0 : last_error();
}

// Writes the bytes into the file itself. What goes past the file's end is
// written first, so that a full disk stops the save before any byte of the
// file changed (the file is cut back to its size); then the rest over the
// old bytes, the new size, and the flush. 0, or the error.
DWORD write_in_place(SaveFileCalls& calls, const std::wstring& file, std::size_t old_size, const std::string& bytes) {
    HANDLE f = calls.open(file);
    if (f == INVALID_HANDLE_VALUE) return last_error();
    DWORD error = 0;
    if (bytes.size() > old_size && !calls.write(f, old_size, bytes.substr(old_size))) {
        error = last_error();
        calls.set_size(f, old_size);
    }
    if (!error && !(calls.write(f, 0, bytes.substr(0, std::min(old_size, bytes.size()))) &&
                    calls.set_size(f, bytes.size()) && calls.flush(f)))
        error = last_error();
    if (!calls.close(f) && !error) error = last_error();
    return error;
}

}  // namespace

// The states a save can be cut in, and what the next start makes of them
// (read_settings_at_start):
//
//  1. Before the temporary file, or with a partial or whole dorimo.ini.tmp:
//     dorimo.ini is as it was and is loaded; the temporary file is never
//     read and the next save writes over it. Without a dorimo.ini (a first
//     save) the start shows the defaults: nothing was saved whole yet.
//  2. A whole dorimo.ini.new beside dorimo.ini (cut after the rename from
//     the temporary name, which is one step, and before the replace): the
//     old dorimo.ini is whole; it is loaded and the new file removed.
//  3. A whole dorimo.ini.new and no dorimo.ini (a first save cut before its
//     move, or a replace cut after the old file went): the new file is
//     loaded and moved into place, write-through; where it cannot be moved
//     it stays where it is, and the next save builds on it, writes the new
//     dorimo.ini.new over it and moves that into place. A folder of the
//     name is left alone.
//  4. After the replace or move: the new dorimo.ini is loaded.
//
// With a link, all of this happens beside the file it leads to. A failing
// step leaves the file as it was (the error box), or, where the new file
// cannot be made or put in place for another reason than a full disk,
// writes the file in place; where the old file is already gone, the new
// file stays as the only whole copy (the error box; state 3).
void save_settings_whole(const SlotForm& form, const SettingsLocation& settings, SaveFileCalls& calls) {
    if (!unread_path.empty()) throw Error(unread_message(" は起動時に読み込めなかったため (", ")、この実行中は保存しません"));
    FoundFile found = find_file(settings.wide_path);
    if (!found.exists() && found.error != ERROR_FILE_NOT_FOUND) throw EIniFileException(settings.path);
    // No file yet: it is made through its name for a moment, to learn where
    // a link that leads nowhere yet leads (the save then works beside that
    // file, and the link stays a link). It goes at once: an empty file left
    // by a cut save would pass for a whole one and cost a kept new file.
    if (!found.exists()) {
        HANDLE f = calls.create(settings.wide_path);
        if (f == INVALID_HANDLE_VALUE) throw EIniFileException(settings.path);
        found.path = final_path(f, settings.wide_path);
        calls.close(f);
        calls.remove(found.path);
    }
    const std::wstring& file = found.path;
    const std::wstring new_file = file + L".new", temporary = file + L".tmp";
    std::string old = std::move(found.bytes);
    bool kept_copy = false;
    if (found.exists()) {
        // A read-only file is not written, as the profile functions refuse it.
        const DWORD attributes = calls.attributes(file);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
            throw EIniFileException(settings.path);
    } else if (FoundFile kept = find_file(new_file); kept.exists()) {
        // The only whole copy a broken save left, loaded at the start: the
        // save builds on it and never writes anything less over it.
        old = std::move(kept.bytes);
        kept_copy = true;
    }
    const std::string bytes = saved_bytes(form, old, settings.path);

    // A file of more than one hard link is written in place: a new file in
    // its place would leave the other names with the old one.
    DWORD error = found.links > 1 ? ERROR_NOT_SUPPORTED : write_new_file(calls, temporary, new_file, bytes);
    if (!error) {
        error = put_in_place(calls, file, new_file, found.exists());
        if (!error) return;
        // The file gone and the new one not in its place: the new file is
        // the only whole copy, kept for the next start.
        if ((found.exists() || kept_copy) && calls.attributes(file) == INVALID_FILE_ATTRIBUTES)
            throw EIniFileException(settings.path);
        if (!kept_copy) calls.remove(new_file);
    }
    // Never worse than before: in place, except over a kept copy or on a
    // full disk, where nothing else would fit either.
    if (kept_copy || disk_full(error) || write_in_place(calls, file, old.size(), bytes)) {
        if (!found.exists()) calls.remove(file);
        throw EIniFileException(settings.path);
    }
}

namespace {

// A link that leads nowhere (Windows gives a link's own attributes; Wine
// does not see it): a save cut while replacing the file it leads to left the
// new file beside that file, whose name is found by making it through the
// link for a moment. The path itself for anything else.
std::wstring dangling_link_target(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return path;
    const std::wstring target = final_path(f, path);
    CloseHandle(f);
    DeleteFileW(target.c_str());
    return target;
}

bool is_folder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::optional<std::string> read_settings_at_start(SettingsLocation& settings) {
    unread_path.clear();
    const FoundFile found = find_file(settings.wide_path);
    if (found.exists()) {
        DeleteFileW((found.path + L".new").c_str());  // a cut save's; the file is whole
        return profile_text_of(found.bytes);
    }
    // Without a file (or with a folder in its place) a new file that a cut
    // save left is the newest whole copy; only a file is taken up.
    DWORD error = found.error;
    const bool folder = error != ERROR_FILE_NOT_FOUND && is_folder(settings.wide_path);
    if (error == ERROR_FILE_NOT_FOUND || folder) {
        const std::wstring file = folder ? settings.wide_path : dangling_link_target(settings.wide_path);
        const std::wstring new_file = file + L".new";
        const FoundFile kept = find_file(new_file);
        if (kept.exists()) {
            if (!folder) MoveFileExW(new_file.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH);
            return profile_text_of(kept.bytes);
        }
        if (kept.error == ERROR_FILE_NOT_FOUND || is_folder(new_file)) {
            if (!folder) return std::nullopt;
        } else {
            settings.path += ".new";
            error = kept.error;
        }
    }
    unread_path = settings.path;
    unread_reason = reason_of(error);
    throw Error(unread_message(" を読み込めません (", ")。この実行中は設定を保存しません"));
}

std::optional<std::string> settings_not_saved_this_run() {
    if (unread_path.empty()) return std::nullopt;
    return unread_message(" は起動時に読み込めなかったため (", ")、保存せずに終了します");
}

namespace {

class SystemFileCalls : public SaveFileCalls {
public:
    HANDLE create(const std::wstring& path) override {
        return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    HANDLE open(const std::wstring& path) override {
        return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }
    bool write(HANDLE file, std::size_t offset, const std::string& bytes) override {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(bytes.size());
        if (size == 0) return true;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        if (!WriteFile(file, bytes.data(), size, &written, &at)) return false;
        if (written != size) SetLastError(ERROR_DISK_FULL);
        return written == size;
    }
    bool set_size(HANDLE file, std::size_t size) override {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size);
        return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    }
    bool flush(HANDLE file) override { return FlushFileBuffers(file) != FALSE; }
    bool close(HANDLE file) override { return CloseHandle(file) != FALSE; }
    bool replace(const std::wstring& replaced, const std::wstring& replacement) override {
        return ReplaceFileW(replaced.c_str(), replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                            nullptr) != FALSE;
    }
    bool move(const std::wstring& from, const std::wstring& to) override {
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    bool remove(const std::wstring& path) override { return DeleteFileW(path.c_str()) != FALSE; }
    DWORD attributes(const std::wstring& path) override { return GetFileAttributesW(path.c_str()); }
};

}  // namespace

SaveFileCalls& system_file_calls() {
    static SystemFileCalls calls;
    return calls;
}

}  // namespace dorimo
