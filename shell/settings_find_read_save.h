// The settings file on the disk: where it is, its read at the start and its
// save. Both find the file and its newest whole copy through one function,
// so that they cannot disagree. A save is all or nothing: the whole new file
// is written beside the old one, flushed to the disk and only then put in
// its place, so that a full disk, a power cut or a crash during a save
// leaves a whole file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "settings_io.h"

namespace dorimo {

struct SettingsLocation {
    std::string path;    // the file's full path as 8-bit text, as messages show it
    std::wstring wide_path;  // the same in UTF-16, exact: the file is reached by it
};

// The settings file beside the program. Where the executable's full path
// cannot be held in the code page, the 8-bit path serves only to name the
// file in messages.
SettingsLocation settings_beside_program();

// The file the settings of `path` are really in, learnt by asking the file
// and, where there is none, its folder (or the folder of the file a link
// leads to); nothing is made, opened for writing or deleted to learn it.
struct SettingsFile {
    DWORD error = 0;        // 0, or why its place cannot be reached (a folder on the way is missing)
    std::wstring path;      // through any links, as the file system names it in the end
    // Its volume's serial number and its index there, which its hard links
    // share; 0 without a file, or where the volume gives no index.
    DWORD volume = 0, index_high = 0, index_low = 0;
};
SettingsFile resolve_settings_file(const std::wstring& path);

// The file calls of a save, so that a test can make any of them fail. Each
// reports failure as the Windows call does: false (or an invalid handle or
// attributes) with the error in GetLastError.
class SaveFileCalls {
public:
    virtual ~SaveFileCalls() = default;
    // CreateFileW for writing, replacing any file of the name, not shared.
    virtual HANDLE create(const std::wstring& path) = 0;
    // CreateFileW for writing the file that is there (made where there is
    // none), shared for reading.
    virtual HANDLE open(const std::wstring& path) = 0;
    // WriteFile of all the bytes from the offset on; a write that stops
    // short is a failure.
    virtual bool write(HANDLE file, std::size_t offset, const std::string& bytes) = 0;
    // SetFilePointerEx and SetEndOfFile: the file cut or grown to the size.
    virtual bool set_size(HANDLE file, std::size_t size) = 0;
    virtual bool flush(HANDLE file) = 0;
    virtual bool close(HANDLE file) = 0;
    // ReplaceFileW without a backup, keeping the replaced file's attributes.
    virtual bool replace(const std::wstring& replaced, const std::wstring& replacement) = 0;
    // MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
    virtual bool move(const std::wstring& from, const std::wstring& to) = 0;
    virtual bool remove(const std::wstring& path) = 0;
    virtual DWORD attributes(const std::wstring& path) = 0;
};

// The Windows calls themselves.
SaveFileCalls& system_file_calls();

// At start, before the load: the newest whole copy of the settings, read
// whole in one read while no other program writes it (a program that holds
// the file, or is writing it, is waited for up to 5 s). A new file that a
// save broken off before its replace left beside the settings file (or
// beside the file a link leads to) is removed; where the settings file
// itself is missing, the new file is the newest whole copy and is moved into
// its place, or, where it cannot be moved, read where it is. Gives the text
// the profile functions read in that copy, in code page 932 (a file that
// begins with FF FE is UTF-16 and converted), or nothing when there is none
// (no file yet, or a folder at its name). Where the settings cannot be read,
// or their place cannot be reached (a folder on the way, or a link's, is
// missing), throws Error naming the file and the reason: the window shows
// the defaults, and no save of the run writes them over the file.
std::optional<std::string> read_settings_at_start(const SettingsLocation& settings);

// Why this run does not save the settings, as the close tells it: the start
// could not read the file. Nothing when the run saves.
std::optional<std::string> settings_not_saved_this_run();

// What a save may write over.
enum class WriteOver {
    kAnything,  // whatever file is there
    kOurs,      // only the file as this run last read or wrote it; none where there was none
    kShownToo,  // that, or the file the last save left alone (the user chose to write over it)
};

// What a save did: wrote the file, or left alone a file that another program
// changed or replaced since this run last read or wrote it, or made where
// there was none.
enum class Saved { kWritten, kChangedElsewhere, kMadeElsewhere };

// Writes all 61 keys from the controls into the file of the location, in
// the file's own encoding, lines the program does not know kept as they
// are. The whole new file is written beside the file (beside the file a
// link leads to, which stays a link), flushed and put in its place; where no
// new file may be made in the folder, or the replace is not offered, or the
// file has more than one hard link, it is written into the file itself.
// Throws EIniFileException, the file whole, when it cannot be written whole;
// throws Error without writing when the start could not read the file. A
// file there that it may not write over is left alone (and looked at again
// right before the file is replaced, so that a change made meanwhile is too).
Saved save_settings_whole(const SlotForm& form, const SettingsLocation& settings,
                          SaveFileCalls& calls = system_file_calls(), WriteOver over = WriteOver::kAnything);

}  // namespace dorimo
