#include "settings_file.h"

#include <utility>

#include "int_parse.h"

namespace dorimo {

SettingsFile::SettingsFile(ProfileFunctions& profile, std::string path)
    : profile_(profile), path_(std::move(path)) {}

bool SettingsFile::read_flag(const std::string& section, const std::string& key,
                             bool default_flag) {
    const auto number = parse_int32(read_text(section, key, ""));
    return number ? *number != 0 : default_flag;
}

std::string SettingsFile::read_text(const std::string& section, const std::string& key,
                                    const std::string& default_text) {
    return profile_.get_string(section, key, default_text, path_);
}

void SettingsFile::write_flag(const std::string& section, const std::string& key, bool flag) {
    write_text(section, key, flag ? "1" : "0");
}

void SettingsFile::write_text(const std::string& section, const std::string& key,
                              const std::string& text) {
    if (!profile_.write_string(section.c_str(), key.c_str(), stored_form(text).c_str(), path_))
        throw EIniFileException(path_);
}

void SettingsFile::flush_file() noexcept {
    try {
        profile_.write_string(nullptr, nullptr, nullptr, path_);
    } catch (...) {
        // A failing flush goes unnoticed.
    }
}

std::string stored_form(const std::string& whole) {
    // A value is one line: a text with a line break is stored up to it, so
    // that no break ends the key's line early or adds lines to the file.
    const std::string text = whole.substr(0, whole.find_first_of("\r\n"));
    if (text.empty()) return text;
    const char first = text.front();
    const bool blank_edge = is_profile_blank(first) || is_profile_blank(text.back());
    const bool quoted = text.size() >= 2 && (first == '"' || first == '\'') && text.back() == first;
    return blank_edge || quoted ? '"' + text + '"' : text;
}

}  // namespace dorimo
