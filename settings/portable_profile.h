// The private-profile functions over the file's bytes, for systems without
// them. They read the text layout as the Windows functions do and change
// nothing but the line of the key they write (or add the key's line, and its
// section's header, where the key is new).
#pragma once

#include "settings_io.h"

namespace dorimo {

class PortableProfile : public ProfileFunctions {
public:
    std::string get_string(const std::string& section, const std::string& key,
                           const std::string& default_text, const std::string& path) override;
    bool write_string(const char* section, const char* key, const char* value,
                      const std::string& path) override;
};

}  // namespace dorimo
