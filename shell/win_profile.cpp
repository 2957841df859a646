// The settings file through the Windows private-profile functions.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "cp932.h"
#include "settings_location.h"
#include "wide_text.h"

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

// The UTF-16 functions on a file whose name the code page cannot hold. The
// file itself stays 8-bit text: the functions convert keys and values with
// the code page, as the 8-bit ones do.
class UnicodePathProfile : public ProfileFunctions {
public:
    explicit UnicodePathProfile(std::wstring path) : path_(std::move(path)) {}

    std::string get_string(const std::string& section, const std::string& key,
                           const std::string& default_text, const std::string&) override {
        wchar_t buffer[kProfileBufferSize] = {};
        GetPrivateProfileStringW(widen(section).c_str(), widen(key).c_str(), widen(default_text).c_str(), buffer,
                                 kProfileBufferSize, path_.c_str());
        return cut_to(narrow(buffer), kProfileBufferSize - 1);
    }

    bool write_string(const char* section, const char* key, const char* value, const std::string&) override {
        const auto wide = [](const char* text) { return text ? std::optional<std::wstring>(widen(text)) : std::nullopt; };
        const auto s = wide(section), k = wide(key), v = wide(value);
        return WritePrivateProfileStringW(s ? s->c_str() : nullptr, k ? k->c_str() : nullptr,
                                          v ? v->c_str() : nullptr, path_.c_str()) != FALSE;
    }

private:
    // At most `size` bytes, never half a double-byte character, as the 8-bit
    // functions give.
    static std::string cut_to(const std::string& text, std::size_t size) {
        std::size_t end = 0;
        while (end < text.size()) {
            const std::size_t next = end + (is_lead_byte(text[end]) ? 2 : 1);
            if (next > size) break;
            end = next;
        }
        return text.substr(0, std::min(end, text.size()));
    }

    std::wstring path_;
};

}  // namespace

std::unique_ptr<ProfileFunctions> make_system_profile() {
    return std::make_unique<WindowsProfile>();
}

std::unique_ptr<ProfileFunctions> make_unicode_path_profile(std::wstring path) {
    return std::make_unique<UnicodePathProfile>(std::move(path));
}

}  // namespace dorimo
