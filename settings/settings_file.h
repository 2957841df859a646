// One load's or one save's access to the settings file: nothing but the
// file's full path, each operation one call of the profile functions, and a
// flush when released.
#pragma once

#include <string>

#include "settings_io.h"

namespace dorimo {

class SettingsFile {
public:
    SettingsFile(ProfileFunctions& profile, std::string path);
    ~SettingsFile() { flush_file(); }
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // The value as a whole number read by parse_int32, checked when not 0;
    // the default when the key is missing or its value is not a number.
    bool read_flag(const std::string& section, const std::string& key, bool default_flag);
    // The stored text, at most 2047 bytes; the default only when the file,
    // the section or the key is missing.
    std::string read_text(const std::string& section, const std::string& key,
                          const std::string& default_text);

    void write_flag(const std::string& section, const std::string& key, bool flag);
    // Throws EIniFileException when the platform reports a failure.
    void write_text(const std::string& section, const std::string& key, const std::string& text);

    // Flushes the platform's cached copy of the file; the result is ignored.
    void flush_file() noexcept;

private:
    ProfileFunctions& profile_;
    const std::string path_;
};

// The text as it is stored so that reading gives it back unchanged: the
// profile functions drop blanks around a value and one pair of quotation
// marks around it, so such a text is put inside quotation marks. A text
// with a line break is stored, and so read back, up to the break.
std::string stored_form(const std::string& text);

}  // namespace dorimo
