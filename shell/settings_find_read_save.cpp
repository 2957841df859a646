#include "settings_find_read_save.h"

#include <winioctl.h>

#include <algorithm>
#include <cstddef>

#include "error_box.h"
#include "launch.h"
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
// How long a file must have stayed unwritten before the start takes it.
constexpr DWORD kQuietFor = 1000;
// The program's own reason for a file that was still being written after the
// 5 s: an application's code (bit 29), which no system call gives.
constexpr DWORD kStillWritten = 0x20000001;

// The start could not read the file: its path and the reason. The window
// shows the defaults, which no save of this run writes over the file. Empty
// while the run saves.
std::string unread_path, unread_reason;

// The copy of the file that this run last read or wrote (and the one before
// it after a save that failed part way: the file holds one or the other),
// unless there was no file. A save writes over nothing else unasked.
std::string ours[2];
bool ours_none = true;
// The copy that the last save refused to write over, which the user may
// choose to write over.
std::string shown;

bool is_ours(const std::string& bytes) { return !ours_none && (bytes == ours[0] || bytes == ours[1]); }

void make_ours(const std::string& bytes, const std::string& before) {
    ours[0] = bytes;
    ours[1] = before;
    ours_none = false;
}

// What the run says about an unread file, around the reason.
std::string unread_message(const char* before, const char* after) {
    return unread_path + before + unread_reason + after;
}

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

bool not_found(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool is_folder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One copy of the settings as read: all its bytes, or why it was not read.
struct Read {
    DWORD error = 0;     // 0: read whole
    std::string bytes;
    std::wstring path;   // through any links, the file they lead to
    DWORD links = 1;     // hard links to the file
    BY_HANDLE_FILE_INFORMATION info{};  // the file, its size and last write, as it was read
};

// One read of the whole file, opened so that no other program may write it
// meanwhile. Its size and last write are the same after the read as before,
// or the read counts as still written: a program not stopped by the sharing
// rules (a network drive's other side) changed it meanwhile.
Read read_once(const std::wstring& path) {
    Read read;
    read.path = path;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        read.error = GetLastError();
        return read;
    }
    BY_HANDLE_FILE_INFORMATION before{}, after{};
    DWORD got = 0;
    if (!GetFileInformationByHandle(f, &before)) {
        read.error = GetLastError();
    } else if (before.nFileSizeHigh || before.nFileSizeLow > kLargestFile) {
        read.error = ERROR_FILE_TOO_LARGE;
    } else {
        read.bytes.assign(before.nFileSizeLow, '\0');
        if (!read.bytes.empty() && !ReadFile(f, read.bytes.data(), before.nFileSizeLow, &got, nullptr))
            read.error = GetLastError();
        else if (got != before.nFileSizeLow || !GetFileInformationByHandle(f, &after) ||
                 after.nFileSizeLow != before.nFileSizeLow || after.nFileSizeHigh ||
                 CompareFileTime(&after.ftLastWriteTime, &before.ftLastWriteTime) != 0)
            read.error = kStillWritten;
    }
    if (!read.error) {
        read.path = final_path(f, path);
        read.links = before.nNumberOfLinks;
        read.info = before;
    }
    CloseHandle(f);
    return read;
}

bool same_file(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow && a.nFileSizeLow == b.nFileSizeLow &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

// Written less than a second ago by the clock, or at a time ahead of it (a
// drive whose clock is ahead, a synced file's time): it may still be written.
bool written_just_now(const FILETIME& written) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG at = ULARGE_INTEGER{{written.dwLowDateTime, written.dwHighDateTime}}.QuadPart;
    return at + kQuietFor * 10000ull > ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart;
}

// Watches a file written in the last second by its size and last write
// alone, until they have stayed as they are for a second, within the 5 s
// from `start`. Looking opens nothing that a writer could be refused by: a
// script's next line opens the file sharing nothing. The look that stayed,
// or none when the time ran out.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> quiet_look(const std::wstring& path, DWORD start) {
    WIN32_FILE_ATTRIBUTE_DATA seen{}, now{};
    DWORD seen_at = GetTickCount();
    while (GetTickCount() - start < kHeldForAtMost) {
        Sleep(50);
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &now)) now = {};
        if (now.nFileSizeLow != seen.nFileSizeLow || CompareFileTime(&now.ftLastWriteTime, &seen.ftLastWriteTime)) {
            seen = now;
            seen_at = GetTickCount();
        } else if (GetTickCount() - seen_at >= kQuietFor) {
            return now;
        }
    }
    return std::nullopt;
}

// The file read whole. Backup, sync and virus scanners hold files for a
// moment, and a program writing the file holds it until it is done: a read
// held off so is tried again for up to 5 s. At the start, a file written in
// the last second is taken only once it has stayed as it is for a second of
// the program's own watching, within the same 5 s: a script writing it line
// by line holds it only while it writes a line. A file last written longer
// ago, or the copy this run wrote itself, is taken at once; a time ahead of
// the clock costs at most the second of watching.
Read read_whole(const std::wstring& path, bool at_start = false) {
    const DWORD start = GetTickCount();
    std::optional<WIN32_FILE_ATTRIBUTE_DATA> quiet;
    for (;;) {
        Read read = read_once(path);
        const bool held =
            read.error == ERROR_SHARING_VIOLATION || read.error == ERROR_LOCK_VIOLATION || read.error == kStillWritten;
        if (!held) {
            const FILETIME& written = read.info.ftLastWriteTime;
            if (read.error || !at_start || !written_just_now(written) || is_ours(read.bytes) ||
                (quiet && quiet->nFileSizeLow == read.info.nFileSizeLow &&
                 !CompareFileTime(&quiet->ftLastWriteTime, &written)))
                return read;
            if (!(quiet = quiet_look(read.path, start))) {  // the file through any links
                read.error = kStillWritten;
                return read;
            }
            continue;  // read again as it stayed
        }
        if (GetTickCount() - start >= kHeldForAtMost) return read;
        Sleep(20);
    }
}

// A file or folder opened to read its attributes alone, through any links
// unless `flags` say otherwise: no program's hold on it stands in the way.
HANDLE open_to_ask(const std::wstring& path, DWORD flags = 0) {
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

// The settings as the start and the save find them: where they are, through
// any link, and which copy is the newest whole one.
struct Found {
    enum Copy { kNone, kFile, kKept } copy = kNone;  // what was read, or what could not be
    DWORD error = 0;      // 0, or why that copy (or the place of the file) could not be read
    bool folder = false;  // a folder stands at the file's name
    std::wstring file;    // the file, through any link
    std::string bytes;    // the copy's bytes
    DWORD links = 1;      // hard links to the file
    BY_HANDLE_FILE_INFORMATION info{};  // the file as it was read
};

Found find_settings(const std::wstring& path, bool at_start = false) {
    Found found;
    Read read = read_whole(path, at_start);
    found.file = read.path;
    if (!read.error) {
        found.copy = Found::kFile;
        found.bytes = std::move(read.bytes);
        found.links = read.links;
        found.info = read.info;
        return found;
    }
    if (read.error == ERROR_ACCESS_DENIED && is_folder(path)) {
        found.folder = true;
    } else {
        if (not_found(read.error)) {
            const SettingsFile place = resolve_settings_file(path);
            read.error = place.error;
            found.file = place.path;
        }
        if (read.error) {
            found.copy = Found::kFile;
            found.error = read.error;
            return found;
        }
    }
    // No file: a whole new file that a broken save left beside it is the
    // newest copy; a folder of that name is nothing.
    Read kept = read_whole(found.file + L".new", at_start);
    if (!kept.error) {
        found.copy = Found::kKept;
        found.bytes = std::move(kept.bytes);
    } else if (!not_found(kept.error) && !is_folder(kept.path)) {
        found.copy = Found::kKept;
        found.error = kept.error;
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

// GetModuleFileNameW of the program's own module, whole however long it is.
std::wstring module_path() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (size == 0) return {};
        if (size < buffer.size()) {
            buffer.resize(size);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);  // cut: paths end at 32 767 characters
    }
}

// The system's own words for an error, without the final stop, the file's
// path in the place the words keep for it; the program's own for a file too
// big to read, for which Windows has only words about saving and Wine none,
// and for one still written after the 5 s.
std::string reason_of(DWORD error, const std::string& path) {
    if (error == ERROR_FILE_TOO_LARGE) return "1 MiB を超える大きさです";
    if (error == kStillWritten) return "5 秒たっても、ほかのプログラムが書き込み続けています";
    char* text = nullptr;
    system_text(error, path.c_str(), text);
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

// The save does not write over the copy found: the user may choose to.
Saved refuse(const std::string& found) {
    shown = found;
    return ours_none ? Saved::kMadeElsewhere : Saved::kChangedElsewhere;
}

// Whether the file is still the copy that was read (the same file, size and
// last write), or still not there where there was none.
bool still_as_read(const Found& found) {
    HANDLE f = CreateFileW(found.file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return found.copy != Found::kFile && not_found(GetLastError());
    BY_HANDLE_FILE_INFORMATION now{};
    const bool same = found.copy == Found::kFile && GetFileInformationByHandle(f, &now) && same_file(now, found.info);
    CloseHandle(f);
    return same;
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

// Asked in this order: the file itself, through any links; where it is not
// there, the folder's list, which holds the name only where it is a link that
// leads to no file (Wine lists a Unix one so, and no more); then the folder
// the file would be in, or that link's file.
SettingsFile resolve_settings_file(const std::wstring& path) {
    SettingsFile file;
    file.path = path;
    std::wstring asked = path, name;  // the file, or its folder and its name there
    HANDLE f = open_to_ask(path);
    if (f == INVALID_HANDLE_VALUE) {
        if (!not_found(GetLastError())) return file;  // there, but not to be asked: the read tells why
        WIN32_FIND_DATAW entry;
        const HANDLE listed = FindFirstFileW(path.c_str(), &entry);
        file.error = listed == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_NO_MORE_FILES;
        if (listed != INVALID_HANDLE_VALUE) FindClose(listed);
        if (file.error == ERROR_NO_MORE_FILES) {
            // A link to a file not made yet: where it leads is read from the
            // link itself (a symbolic link's reparse data), never by making
            // the file; where the system does not tell, a save through it
            // could put a file in its place, or over one of a drive not
            // there yet.
            struct SymbolicLink {  // the head of the data; the names follow it
                DWORD tag;
                WORD size, reserved, substitute_offset, substitute_length, print_offset, print_length;
                DWORD flags;
                wchar_t names[8186];
            } link{};
            DWORD got = 0;
            const HANDLE reparse = open_to_ask(path, FILE_FLAG_OPEN_REPARSE_POINT);
            if (reparse != INVALID_HANDLE_VALUE) {
                DeviceIoControl(reparse, FSCTL_GET_REPARSE_POINT, nullptr, 0, &link, sizeof link, &got, nullptr);
                CloseHandle(reparse);
            }
            if (link.tag != IO_REPARSE_TAG_SYMLINK || !link.print_length ||
                offsetof(SymbolicLink, names) + link.print_offset + link.print_length > got) {
                file.error = ERROR_CANT_RESOLVE_FILENAME;
                return file;
            }
            asked.replace(link.flags & 1 ? asked.find_last_of(L'\\') + 1 : 0, std::wstring::npos,  // 1: relative
                          link.names + link.print_offset / 2, link.print_length / 2);
        } else if (file.error != ERROR_FILE_NOT_FOUND) {
            return file;  // a folder on the way is missing
        }
        // The name in its folder, as the file system names the folder.
        const std::size_t folder = asked.find_last_of(L'\\');
        name.assign(asked, folder);
        asked.resize(folder + 1);
        f = open_to_ask(asked);
        file.error = f == INVALID_HANDLE_VALUE ? ERROR_PATH_NOT_FOUND : 0;
        if (file.error) return file;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (name.empty() && GetFileInformationByHandle(f, &info)) {
        file.volume = info.dwVolumeSerialNumber;
        file.index_high = info.nFileIndexHigh;
        file.index_low = info.nFileIndexLow;
    }
    file.path = final_path(f, asked);
    CloseHandle(f);
    if (!name.empty()) file.path.erase(file.path.find_last_not_of(L'\\') + 1).append(name);
    return file;
}

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
Saved save_settings_whole(const SlotForm& form, const SettingsLocation& settings, SaveFileCalls& calls,
                          WriteOver over) {
    if (!unread_path.empty()) throw Error(unread_message(" は起動時に読み込めなかったため (", ")、この実行中は保存しません"));
    Found found = find_settings(settings.wide_path);
    // A link to a file not made yet whose way the system does not tell (a
    // start would not have read through it): the file is made through the
    // link, in place, where the link's folder is there.
    const bool through_link = found.error == ERROR_CANT_RESOLVE_FILENAME;
    if ((found.error && !through_link) || found.folder) throw EIniFileException(settings.path);
    if (through_link) found.copy = Found::kNone;  // no file behind it: one removed since is made again
    const bool exists = found.copy == Found::kFile;
    // The only whole copy a broken save left, loaded at the start: the save
    // builds on it and never writes anything less over it.
    const bool kept_copy = found.copy == Found::kKept;
    const std::wstring& file = found.file;
    const std::wstring new_file = file + L".new", temporary = file + L".tmp";
    const std::string old = std::move(found.bytes);
    // A copy another program made, changed or put there since this run read
    // or wrote the file is written over only when the user says so; a file
    // removed since is made again.
    if (over != WriteOver::kAnything && found.copy != Found::kNone && !is_ours(old) &&
        !(over == WriteOver::kShownToo && old == shown))
        return refuse(old);
    if (exists) {
        // A read-only file is not written, as the profile functions refuse it.
        const DWORD attributes = calls.attributes(file);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
            throw EIniFileException(settings.path);
    }
    const std::string bytes = saved_bytes(form, old, settings.path);
    // Grown past what the start reads, the file would be unreadable the next
    // run, and that run would not save: it is not written.
    if (bytes.size() > kLargestFile) throw EIniFileException(settings.path, " (保存すると 1 MiB を超える大きさになります)");

    // A file of more than one hard link is written in place: a new file in
    // its place would leave the other names with the old one.
    DWORD error = found.links > 1 || through_link ? ERROR_NOT_SUPPORTED : write_new_file(calls, temporary, new_file, bytes);
    // Nothing of the file has changed yet. Written since it was read above,
    // or put there where there was none, it is left as it is.
    if (over != WriteOver::kAnything && !still_as_read(found)) {
        if (!error && !kept_copy) calls.remove(new_file);
        return refuse(old);
    }
    // From here on the file holds these bytes or the old ones.
    make_ours(bytes, found.copy != Found::kNone ? old : bytes);
    if (!error && (error = put_in_place(calls, file, new_file, exists))) {
        // The file gone and the new one not in its place: the new file is
        // the only whole copy, kept for the next start.
        if ((exists || kept_copy) && calls.attributes(file) == INVALID_FILE_ATTRIBUTES)
            throw EIniFileException(settings.path);
        if (!kept_copy) calls.remove(new_file);
    }
    // Never worse than before: in place, except over a kept copy or on a
    // full disk, where nothing else would fit either.
    if (error && (kept_copy || disk_full(error) || write_in_place(calls, file, old.size(), bytes))) {
        if (!exists && !through_link) calls.remove(file);
        throw EIniFileException(settings.path);
    }
    make_ours(bytes, bytes);
    return Saved::kWritten;
}

std::optional<std::string> read_settings_at_start(const SettingsLocation& settings) {
    unread_path.clear();
    const Found found = find_settings(settings.wide_path, true);
    make_ours(found.bytes, found.bytes);
    ours_none = found.copy == Found::kNone || found.error;
    if (found.error) {
        unread_path = settings.path + (found.copy == Found::kKept ? ".new" : "");
        unread_reason = reason_of(found.error, unread_path);
        throw Error(unread_message(" を読み込めません (", ")。この実行中は設定を保存しません"));
    }
    if (found.copy == Found::kFile) {
        DeleteFileW((found.file + L".new").c_str());  // a cut save's; the file is whole
    } else if (found.copy == Found::kKept && !found.folder) {
        MoveFileExW((found.file + L".new").c_str(), found.file.c_str(), MOVEFILE_WRITE_THROUGH);
    } else if (found.copy == Found::kNone) {
        return std::nullopt;
    }
    return profile_text_of(found.bytes);
}

SettingsLocation settings_beside_program() {
    const std::wstring module = module_path();
    if (const auto narrow = narrow_exactly(module)) {
        const std::string path = settings_path(*narrow);
        return {path, widen(path)};
    }
    const std::wstring path = module.substr(0, module.find_last_of(L"\\:") + 1) + L"dorimo.ini";
    return {narrow(path), path};
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
