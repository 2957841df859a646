// The private-profile functions over the file's bytes, for systems without
// them. They read the text layout as the Windows functions do and change
// nothing but the line of the key they write (or add the key's line, and its
// section's header, where the key is new).
#pragma once

#include "settings_io.h"

namespace dorimo {

// Bytes the profile functions treat as blanks around names and values:
// white space, CR and ^Z.
inline bool is_profile_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' ||
           c == '\x1a';
}

class PortableProfile : public ProfileFunctions {
public:
    std::string get_string(const std::string& section, const std::string& key,
                           const std::string& default_text, const std::string& path) override;
    bool write_string(const char* section, const char* key, const char* value,
                      const std::string& path) override;
};

}  // namespace dorimo
