// The Windows private-profile functions, which the profile tests hold the
// program's own reading of the settings file against.
#include <windows.h>

#include <memory>

#include "settings_io.h"

namespace dorimo {

namespace {

class WindowsProfile : public ProfileFunctions {
public:
    std::string get_string(const std::string& section, const std::string& key,
                           const std::string& default_text, const std::string& path) override {
        // Zero-filled: when a value is cut inside a double-byte character
        // the function leaves the byte before the terminator unwritten.
        char buffer[kProfileBufferSize] = {};
        GetPrivateProfileStringA(section.c_str(), key.c_str(), default_text.c_str(), buffer,
                                 sizeof buffer, path.c_str());
        return buffer;
    }

    bool write_string(const char* section, const char* key, const char* value,
                      const std::string& path) override {
        return WritePrivateProfileStringA(section, key, value, path.c_str()) != FALSE;
    }
};

}  // namespace

std::unique_ptr<ProfileFunctions> make_system_profile() {
    return std::make_unique<WindowsProfile>();
}

}  // namespace dorimo
