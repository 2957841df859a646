// Saving the settings file all or nothing: the whole new file is written
// beside the old one, flushed to the disk and only then put in its place, so
// that a full disk, a power cut or a crash during a save leaves a whole file.
#pragma once

#include <windows.h>

#include "settings_location.h"

namespace dorimo {

// The file calls of a save, so that a test can make any of them fail. Each
// reports failure as the Windows call does: false (or an invalid handle or
// attributes) with the error in GetLastError.
class SaveFileCalls {
public:
    virtual ~SaveFileCalls() = default;
    // CreateFileW for writing, replacing any file of the name, not shared.
    virtual HANDLE create(const std::wstring& path) = 0;
    // WriteFile of all the bytes; a write that stops short is a failure.
    virtual bool write(HANDLE file, const std::string& bytes) = 0;
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

// Writes all 61 keys from the controls into the file of the location.
// Throws EIniFileException, the file whole, when the new file cannot be
// written whole or put in place. Where no new file may be made in the
// folder, or the replace is not offered, the keys are written into the file
// itself, as the profile functions do; so are files the profile functions
// read in an encoding of their own (a byte-order mark) and files with more
// than one hard link.
void save_settings_whole(const SlotForm& form, const SettingsLocation& settings,
                         SaveFileCalls& calls = system_file_calls());

// At start, before the load: a new file that a save broken off before its
// replace left beside the settings file is removed; where the settings file
// itself is missing, the new file is the newest whole copy and is moved into
// its place, or, where it cannot be moved, the location names it instead.
// Where the file the location names is there but cannot be read (another
// program holds it), every save of the run is refused: the window shows the
// defaults, not the file's settings.
void take_up_unfinished_save(SettingsLocation& settings);

}  // namespace dorimo
