// The text layout of profile files, read and written as the Windows
// private-profile functions do: only the line of the key written changes (or
// the key's line, and its section's header, is added where the key is new).
#pragma once

#include <string>
#include <utility>

#include "settings_io.h"

namespace dorimo {

// The key's value in a file's bytes (null: no file), cut to fit the buffer;
// the default when there is no such key.
std::string profile_value(const std::string* bytes, const std::string& section, const std::string& key,
                          const std::string& default_text);

// The file's bytes with the key's value written.
std::string with_profile_value(const std::string& bytes, const char* section, const char* key, const char* value);

// The profile functions over a file's bytes held in memory, whatever path
// they are given: what a save makes of the file, before anything reaches the disk.
class ProfileInMemory : public ProfileFunctions {
public:
    explicit ProfileInMemory(std::string bytes) : bytes_(std::move(bytes)) {}
    std::string get_string(const std::string& section, const std::string& key,
                           const std::string& default_text, const std::string& path) override;
    bool write_string(const char* section, const char* key, const char* value,
                      const std::string& path) override;
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace dorimo
