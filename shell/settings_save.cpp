#include "settings_save.h"

#include <optional>
#include <string_view>

#include "profile_text.h"

namespace dorimo {
namespace {

// Settings files are a few kilobytes; anything past this is not read.
constexpr DWORD kLargestFile = 16u << 20;

// The file the start loads could not be read (another program held it): the
// window shows the defaults, which no save of this run writes over it.
bool unread_at_start = false;

// A file as the save finds it, through any links: the file they lead to.
struct FoundFile {
    bool exists = false;
    std::optional<std::string> bytes;  // empty without a file; nothing when it cannot be read
    std::wstring path;                 // the link's final target, or the path itself
    DWORD links = 1;                   // hard links to the file
};

FoundFile find_file(const std::wstring& path) {
    FoundFile found;
    found.path = path;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) found.bytes = std::string();
        return found;  // a folder standing in its place, a file kept from us
    }
    found.exists = true;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart <= kLargestFile) {
        std::string read(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (read.empty() || (ReadFile(f, read.data(), static_cast<DWORD>(read.size()), &got, nullptr) &&
                             got == read.size()))
            found.bytes = std::move(read);
    }
    // A symbolic link (mklink, or a Unix one under Wine) is followed to its
    // final target, so that the target is replaced, not the link.
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(f, target.data(), static_cast<DWORD>(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length);
        length = GetFinalPathNameByHandleW(f, target.data(), static_cast<DWORD>(target.size()), 0);
    }
    if (length > 0 && length < target.size()) found.path = target.substr(0, length);
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(f, &info)) found.links = info.nNumberOfLinks;
    CloseHandle(f);
    return found;
}

// A file that begins with a byte-order mark is read by the profile functions
// in an encoding of their own: Windows reads UTF-16 LE (FF FE) and writes it
// back so, and takes any other mark for bytes of the first line; Wine reads
// UTF-8 and UTF-16 BE marks as well. The functions themselves save such a
// file, so that it reads back as it was read.
bool begins_with_byte_order_mark(const std::string& bytes) {
    using namespace std::string_view_literals;
    for (const std::string_view mark : {"\xEF\xBB\xBF"sv, "\xFF\xFE"sv, "\xFE\xFF"sv, "\0\0\xFE\xFF"sv}) {
        if (std::string_view(bytes).substr(0, mark.size()) == mark) return true;
    }
    return false;
}

DWORD last_error() {
    const DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}

bool disk_full(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// Writes the bytes under the temporary name, flushes them to the disk and
// only then gives the file the new file's name, so that a new file is always
// whole. 0, or the error of the step that failed; the temporary file does
// not outlive a failure.
DWORD write_new_file(SaveFileCalls& calls, const std::wstring& temporary, const std::wstring& new_file,
                     const std::string& bytes) {
    HANDLE f = calls.create(temporary);
    if (f == INVALID_HANDLE_VALUE) return last_error();
    DWORD error = 0;
    if (!calls.write(f, bytes) || !calls.flush(f)) error = last_error();
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

}  // namespace

// The states a save can be cut in, and what the next start makes of them
// (take_up_unfinished_save, then the load):
//
//  1. Before the temporary file, or with a partial or whole dorimo.ini.tmp:
//     dorimo.ini is as it was and is loaded; the temporary file is never
//     read and the next save writes over it. Without a dorimo.ini (a first
//     save) the start shows the defaults: nothing was saved whole yet.
//  2. A whole dorimo.ini.new beside dorimo.ini (cut after the rename from
//     the temporary name, which is one step, and before the replace): the
//     old dorimo.ini is whole; it is loaded and the new file removed.
//  3. A whole dorimo.ini.new and no dorimo.ini (a first save cut before its
//     move, or a replace cut after the old file went): the new file is moved
//     into place, write-through, and loaded; where it cannot be moved it is
//     loaded where it is, and the next save builds on it, writes the new
//     dorimo.ini.new over it and moves that into place (one with a
//     byte-order mark is written in place, in its encoding). One that cannot
//     be read either (held by another program) shows the defaults, and every
//     save of the run is refused. A folder of the name is left alone.
//  4. After the replace or move: the new dorimo.ini is loaded.
//
// A failing step leaves the file as it was (the error box), or, where the
// new file cannot be made or put in place for another reason than a full
// disk, writes the keys into the file itself; where the old file is already
// gone, the new file stays as the only whole copy (the error box; state 3).
// A save in place is the profile functions' own, as before: cut, it may
// leave some keys of the file new and the rest old.
void save_settings_whole(const SlotForm& form, const SettingsLocation& settings, SaveFileCalls& calls) {
    if (unread_at_start) throw EIniFileException(settings.path);
    const FoundFile found = find_file(settings.wide_path);
    if (!found.bytes) throw EIniFileException(settings.path);
    const std::wstring& file = found.path;
    const std::wstring new_file = file + L".new", temporary = file + L".tmp";
    std::string old = *found.bytes;
    bool kept_copy = false;
    if (found.exists) {
        // A read-only file is not written, as the profile functions refuse it.
        const DWORD attributes = calls.attributes(file);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
            throw EIniFileException(settings.path);
        if (found.links > 1 || begins_with_byte_order_mark(old)) {
            save_settings(form, *settings.profile, settings.path);
            return;
        }
    } else if (const FoundFile kept = find_file(new_file); kept.exists && kept.bytes) {
        // The only whole copy a broken save left, loaded at the start: the
        // save builds on it and never writes anything less over it. One in
        // an encoding of its own is saved in it, as the file itself would be.
        if (begins_with_byte_order_mark(*kept.bytes)) {
            save_settings(form, *make_unicode_path_profile(new_file), settings.path);
            return;
        }
        old = *kept.bytes;
        kept_copy = true;
    }

    ProfileInMemory memory(old);
    save_settings(form, memory, settings.path);

    DWORD error = write_new_file(calls, temporary, new_file, memory.bytes());
    if (!error) {
        error = put_in_place(calls, file, new_file, found.exists);
        if (!error) return;
        // The file gone and the new one not in its place: the new file is
        // the only whole copy, kept for the next start.
        if ((found.exists || kept_copy) && calls.attributes(file) == INVALID_FILE_ATTRIBUTES)
            throw EIniFileException(settings.path);
        if (!kept_copy) calls.remove(new_file);
    }
    // Never worse than before: key by key into the file itself, except on a
    // full disk, where that could cut the file short.
    if (kept_copy || disk_full(error)) throw EIniFileException(settings.path);
    save_settings(form, *settings.profile, settings.path);
}

namespace {

void take_up_kept_copy(SettingsLocation& settings) {
    const std::wstring new_file = settings.wide_path + L".new";
    const DWORD attributes = GetFileAttributesW(settings.wide_path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && GetLastError() != ERROR_FILE_NOT_FOUND) return;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(new_file.c_str());
        return;
    }
    // Only a file is taken up: a folder of the name would block every save.
    const DWORD kept = GetFileAttributesW(new_file.c_str());
    if (kept == INVALID_FILE_ATTRIBUTES || (kept & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (MoveFileExW(new_file.c_str(), settings.wide_path.c_str(), MOVEFILE_WRITE_THROUGH)) return;
    settings.path += ".new";
    settings.wide_path = new_file;
    settings.profile = make_unicode_path_profile(new_file);
}

}  // namespace

void take_up_unfinished_save(SettingsLocation& settings) {
    take_up_kept_copy(settings);
    // Whether the load can read the file: opening it tells, without reading
    // it a second time at every start (a save reads it whole anyway).
    const HANDLE f = CreateFileW(settings.wide_path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = f == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    const DWORD attributes = GetFileAttributesW(settings.wide_path.c_str());
    unread_at_start = error && error != ERROR_FILE_NOT_FOUND && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

class SystemFileCalls : public SaveFileCalls {
public:
    HANDLE create(const std::wstring& path) override {
        return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    bool write(HANDLE file, const std::string& bytes) override {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(bytes.size());
        if (size == 0) return true;
        if (!WriteFile(file, bytes.data(), size, &written, nullptr)) return false;
        if (written != size) SetLastError(ERROR_DISK_FULL);
        return written == size;
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
