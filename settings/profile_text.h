// The text layout of profile files, read and written as the Windows
// private-profile functions do: only the line of the key written changes (or
// the key's line, and its section's header, is added where the key is new).
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "settings_io.h"

namespace dorimo {

// One line of a file's text: the line and the break that ends it ("\r\n",
// "\n", "\r", or nothing on a last line without one). The same for 8-bit
// text and for UTF-16, which break at the same characters.
template <class Text>
struct TextLine {
    Text text;
    Text end;
};

template <class Text>
std::vector<TextLine<Text>> split_lines(const Text& all) {
    std::vector<TextLine<Text>> lines;
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t end = all.find_first_of(Text{'\r', '\n'}, start);
        if (end == Text::npos) {
            lines.push_back({all.substr(start), Text()});
            break;
        }
        const bool crlf = all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n';
        const std::size_t after = end + (crlf ? 2 : 1);
        lines.push_back({all.substr(start, end - start), all.substr(end, after - end)});
        start = after;
    }
    return lines;
}

// The text's first bytes, at most `size` of them, never half a double-byte
// character: what a buffer of size + 1 bytes receives of it.
std::string first_whole_characters(const std::string& text, std::size_t size);

// The key's value in a file's bytes (null: no file), cut to fit the buffer;
// the default when there is no such key.
std::string profile_value(const std::string* bytes, const std::string& section, const std::string& key,
                          const std::string& default_text);

// The file's bytes with the key's value written.
std::string with_profile_value(const std::string& bytes, const char* section, const char* key, const char* value);

// The profile functions over a file's bytes held in memory, whatever path
// they are given: what the start reads from the one read of the file, and
// what a save makes of the file before anything reaches the disk.
class ProfileInMemory : public ProfileFunctions {
public:
    explicit ProfileInMemory(std::string bytes);
    std::string get_string(const std::string& section, const std::string& key,
                           const std::string& default_text, const std::string& path) override;
    bool write_string(const char* section, const char* key, const char* value,
                      const std::string& path) override;
    const std::string& bytes() const { return bytes_; }
    // For each line of bytes(), the line of the starting bytes it still is
    // unchanged, or kWritten: a file in another encoding keeps every line
    // no write touched as it stood, characters outside the code page too.
    static constexpr std::size_t kWritten = static_cast<std::size_t>(-1);
    const std::vector<std::size_t>& kept_lines() const { return kept_; }

private:
    std::string bytes_;
    std::vector<std::size_t> kept_;
};

}  // namespace dorimo
