#include "settings_save.h"

#include <windows.h>

#include <optional>

#include "profile_text.h"

namespace dorimo {
namespace {

// Where the new file is written: in the same folder, so on the same volume.
std::wstring new_file_path(const SettingsLocation& settings) { return settings.wide_path + L".new"; }

// Settings files are a few kilobytes; anything past this is not read.
constexpr DWORD kLargestFile = 16u << 20;

// The file's bytes; empty when there is no file; nothing when it cannot be
// read (a folder standing in its place, a file kept from us).
std::optional<std::string> read_whole(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return std::string();
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart <= kLargestFile) {
        std::string read(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (read.empty() || (ReadFile(f, read.data(), static_cast<DWORD>(read.size()), &got, nullptr) &&
                             got == read.size()))
            bytes = std::move(read);
    }
    CloseHandle(f);
    return bytes;
}

enum class Written { kWhole, kFailed, kNoNewFile };

// Writes the bytes into a new file and flushes them to the disk; a write
// that stops short is a failure. A failed file is removed.
Written write_new_file(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED ? Written::kNoNewFile : Written::kFailed;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(bytes.size());
    bool whole = (size == 0 || (WriteFile(f, bytes.data(), size, &written, nullptr) && written == size)) &&
                 FlushFileBuffers(f);
    whole = CloseHandle(f) && whole;
    if (!whole) DeleteFileW(path.c_str());
    return whole ? Written::kWhole : Written::kFailed;
}

// Puts the new file in place of the old one in one step. The replace keeps
// the old file's attributes and security settings.
Written put_in_place(const std::wstring& old_file, const std::wstring& new_file, bool old_exists) {
    const DWORD through = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!old_exists) {
        if (MoveFileExW(new_file.c_str(), old_file.c_str(), through)) return Written::kWhole;
    } else if (ReplaceFileW(old_file.c_str(), new_file.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                            nullptr)) {
        return Written::kWhole;
    } else {
        const DWORD error = GetLastError();
        // The old file is already out of the way (or renamed): the new one
        // only has to move, and where it cannot, it is kept, as the only
        // whole copy.
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            return MoveFileExW(new_file.c_str(), old_file.c_str(), through) ? Written::kWhole : Written::kFailed;
        DeleteFileW(new_file.c_str());
        // Another program holds the file open without letting it be
        // replaced, or the folder lets it be written but not replaced.
        if (error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_ACCESS_DENIED ||
            error == ERROR_SHARING_VIOLATION)
            return Written::kNoNewFile;
        return Written::kFailed;
    }
    DeleteFileW(new_file.c_str());
    return Written::kFailed;
}

}  // namespace

void save_settings_whole(const SlotForm& form, const SettingsLocation& settings) {
    const std::optional<std::string> old = read_whole(settings.wide_path);
    const DWORD attributes = GetFileAttributesW(settings.wide_path.c_str());
    const bool old_exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only file is not written, as the profile functions refuse it.
    if (!old || (old_exists && (attributes & FILE_ATTRIBUTE_READONLY))) throw EIniFileException(settings.path);

    ProfileInMemory file(*old);
    save_settings(form, file, settings.path);

    const std::wstring new_file = new_file_path(settings);
    Written result = write_new_file(new_file, file.bytes());
    if (result == Written::kWhole) result = put_in_place(settings.wide_path, new_file, old_exists);
    if (result == Written::kNoNewFile) {
        // Never worse than before: key by key into the file itself.
        save_settings(form, *settings.profile, settings.path);
        return;
    }
    if (result != Written::kWhole) throw EIniFileException(settings.path);
}

void remove_unfinished_save(const SettingsLocation& settings) {
    // Without the file itself, the new file may be the only copy left.
    if (GetFileAttributesW(settings.wide_path.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteFileW(new_file_path(settings).c_str());
}

}  // namespace dorimo
