#include "portable_profile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "profile_text.h"

namespace dorimo {

namespace {

std::optional<std::string> read_file(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

std::string PortableProfile::get_string(const std::string& section, const std::string& key,
                                        const std::string& default_text, const std::string& path) {
    const auto bytes = read_file(path);
    return profile_value(bytes ? &*bytes : nullptr, section, key, default_text);
}

bool PortableProfile::write_string(const char* section, const char* key, const char* value,
                                   const std::string& path) {
    // Nothing is cached, so a flush has nothing to do. Removing keys and
    // sections (a null key or value) is not offered.
    if (!section || !key || !value) return false;

    std::string bytes;
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        const auto read = read_file(path);
        if (!read) return false;
        bytes = *read;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << with_profile_value(bytes, section, key, value);
    out.close();
    return !out.fail();
}

}  // namespace dorimo
