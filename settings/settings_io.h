// The settings file "dorimo.ini" beside the executable: where it lives, the
// private-profile functions that read and write it, and the load and save of
// the window's controls.
#pragma once

#include <memory>
#include <string>

#include "slot_form.h"

namespace dorimo {

// Size of the buffer a value is read into: values come back with at most
// kProfileBufferSize - 1 bytes.
constexpr std::size_t kProfileBufferSize = 2048;

// Bytes the profile functions treat as blanks around names and values:
// white space, CR and ^Z.
inline bool is_profile_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' ||
           c == '\x1a';
}

// The platform's two private-profile functions.
class ProfileFunctions {
public:
    virtual ~ProfileFunctions() = default;

    // GetPrivateProfileString into a kProfileBufferSize-byte buffer: the
    // key's value, or the default when the file, the section or the key is
    // missing.
    virtual std::string get_string(const std::string& section, const std::string& key,
                                   const std::string& default_text, const std::string& path) = 0;

    // WritePrivateProfileString: stores the value, creating the file, the
    // section and the key as needed; false when the file cannot be written.
    // Null section, key and value flush the platform's cached copy.
    virtual bool write_string(const char* section, const char* key, const char* value,
                              const std::string& path) = 0;
};

// GetPrivateProfileStringA and WritePrivateProfileStringA on Windows; a
// portable implementation of them elsewhere.
std::unique_ptr<ProfileFunctions> make_system_profile();

// A key of the settings file could not be written; the reason, where one is
// given, follows the message as it is given (" (...)").
class EIniFileException : public Error {
public:
    explicit EIniFileException(const std::string& path, const char* reason = "");
};

// The folder of the executable's full path (up to its last "\" or ":" that is
// not the second byte of a double-byte character) followed by "dorimo.ini".
std::string settings_path(const std::string& module_path);

// Fills chkTORAY and slots 1 to 5 from the file; a slot whose stored
// next-run text is not empty is armed anew through its toggle's click. An
// error while arming ends the load there.
void load_settings(SlotForm& form, ProfileFunctions& profile, const std::string& path);

// Writes all 61 keys from the controls; throws EIniFileException at the first
// key that cannot be written, leaving the rest unwritten.
void save_settings(const SlotForm& form, ProfileFunctions& profile, const std::string& path);

}  // namespace dorimo
