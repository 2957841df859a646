#include "profile_text.h"

#include <numeric>
#include <optional>
#include <vector>

#include "cp932.h"

namespace dorimo {

namespace {

using Line = TextLine<std::string>;

// What a line means. Blanks around the line, around a section name and
// around a key name are not part of them.
struct Entry {
    enum Kind { kBlank, kSection, kKey } kind = kBlank;
    std::string name;
    std::size_t name_end = 0;                 // key: where the name's last byte ends
    std::optional<std::size_t> value_start;   // key: where its value starts; none without "="
    std::size_t value_end = 0;                // key: where its value ends
};

std::size_t skip_blanks(const std::string& s, std::size_t from, std::size_t to) {
    while (from < to && is_profile_blank(s[from])) ++from;
    return from;
}

std::size_t trim_end(const std::string& s, std::size_t from, std::size_t to) {
    while (to > from && is_profile_blank(s[to - 1])) --to;
    return to;
}

Entry parse_line(const std::string& text) {
    Entry entry;
    const std::size_t begin = skip_blanks(text, 0, text.size());
    const std::size_t end = trim_end(text, begin, text.size());
    if (begin == end) return entry;

    if (text[begin] == '[') {
        // The name runs to the last "]" that is not the second byte of a
        // double-byte character; anything after it is ignored. A "[" line
        // without one is read as a key.
        std::optional<std::size_t> close;
        for (std::size_t i = begin + 1; i < end; ++i) {
            if (is_lead_byte(text[i])) ++i;
            else if (text[i] == ']') close = i;
        }
        if (close) {
            const std::size_t name_begin = skip_blanks(text, begin + 1, *close);
            const std::size_t name_end = trim_end(text, name_begin, *close);
            entry.kind = Entry::kSection;
            entry.name = text.substr(name_begin, name_end - name_begin);
            return entry;
        }
    }

    entry.kind = Entry::kKey;
    const std::size_t equals = text.find('=', begin);
    if (equals == std::string::npos || equals >= end) {
        entry.name_end = end;
    } else {
        entry.name_end = trim_end(text, begin, equals);
        entry.value_start = skip_blanks(text, equals + 1, end);
        entry.value_end = end;
    }
    entry.name = text.substr(begin, entry.name_end - begin);
    return entry;
}

// Where a key stands. Only the first section of a name is searched, and the
// first line of the key's name in it counts, as with the Windows functions.
struct Place {
    std::optional<std::size_t> section;  // line of the section's header
    std::size_t section_last = 0;        // last non-blank line of the section
    std::optional<std::size_t> key;      // line of the key
    Entry key_entry;
};

Place find_key(const std::vector<Line>& lines, const std::string& section, const std::string& key) {
    Place place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Entry entry = parse_line(lines[i].text);
        if (!place.section) {
            if (entry.kind == Entry::kSection && equal_ignoring_case(entry.name, section)) {
                place.section = i;
                place.section_last = i;
            }
            continue;
        }
        if (entry.kind == Entry::kSection) break;
        if (entry.kind == Entry::kBlank) continue;
        place.section_last = i;
        if (!place.key && equal_ignoring_case(entry.name, key)) {
            place.key = i;
            place.key_entry = entry;
        }
    }
    return place;
}

// A value or default as the caller receives it in a kProfileBufferSize-byte
// buffer: one pair of matching quotation marks around it removed, then as
// much of it as the buffer holds in whole characters. A value that fits
// comes back whole, quoted or not, and no cut leaves half a double-byte
// character.
std::string returned_value(const std::string& value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return first_whole_characters(quoted ? value.substr(1, value.size() - 2) : value, kProfileBufferSize - 1);
}

}  // namespace

std::string first_whole_characters(const std::string& text, std::size_t size) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + (is_lead_byte(text[end]) ? 2 : 1);
        if (next > size) break;
        end = next;
    }
    return text.substr(0, end);
}

std::string profile_value(const std::string* bytes, const std::string& section, const std::string& key,
                          const std::string& default_text) {
    if (bytes) {
        const std::vector<Line> lines = split_lines(*bytes);
        const Place place = find_key(lines, section, key);
        if (place.key && place.key_entry.value_start) {
            const Entry& e = place.key_entry;
            const std::string& text = lines[*place.key].text;
            return returned_value(text.substr(*e.value_start, e.value_end - *e.value_start));
        }
    }
    // Trailing blanks of the default are not returned.
    std::string fallback = default_text;
    fallback.erase(fallback.find_last_not_of(' ') + 1);
    return returned_value(fallback);
}

std::string with_profile_value(const std::string& bytes, const char* section, const char* key, const char* value) {
    std::vector<Line> lines = split_lines(bytes);

    // New lines take the file's line break: LF when its first line ends so,
    // otherwise CR LF.
    const std::string line_break = (!lines.empty() && lines.front().end == "\n") ? "\n" : "\r\n";
    // Blanks before the value are not stored.
    const std::string given(value);
    const std::string stored = given.substr(skip_blanks(given, 0, given.size()));
    const std::string key_line = std::string(key) + "=" + stored;

    const Place place = find_key(lines, section, key);
    if (place.key) {
        // In place: what stands before the value stays as it is.
        const Entry& e = place.key_entry;
        std::string& text = lines[*place.key].text;
        text = e.value_start ? text.substr(0, *e.value_start) + stored
                             : text.substr(0, e.name_end) + "=" + stored;
    } else {
        // A last line without a line break gets one before anything follows.
        const std::size_t after = place.section ? place.section_last : lines.size() - 1;
        if (!lines.empty() && lines[after].end.empty()) lines[after].end = line_break;
        if (place.section) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after) + 1, {key_line, line_break});
        } else {
            lines.push_back({"[" + std::string(section) + "]", line_break});
            lines.push_back({key_line, line_break});
        }
    }

    std::string result;
    for (const Line& line : lines) result += line.text + line.end;
    return result;
}


ProfileInMemory::ProfileInMemory(std::string bytes)
    : bytes_(std::move(bytes)), kept_(split_lines(bytes_).size()) {
    std::iota(kept_.begin(), kept_.end(), 0);
}

std::string ProfileInMemory::get_string(const std::string& section, const std::string& key,
                                        const std::string& default_text, const std::string&) {
    return profile_value(&bytes_, section, key, default_text);
}

bool ProfileInMemory::write_string(const char* section, const char* key, const char* value,
                                   const std::string&) {
    if (!section || !key || !value) return true;
    std::string written = with_profile_value(bytes_, section, key, value);
    // A write changes one line or adds lines in one place: the lines before
    // and after that place are the lines they were.
    const std::vector<Line> before = split_lines(bytes_), after = split_lines(written);
    std::size_t same_start = 0, same_end = 0;
    while (same_start < before.size() && same_start < after.size() &&
           before[same_start].text == after[same_start].text)
        ++same_start;
    while (same_end < before.size() - same_start && same_end < after.size() - same_start &&
           before[before.size() - 1 - same_end].text == after[after.size() - 1 - same_end].text)
        ++same_end;
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < after.size(); ++i) {
        kept.push_back(i < same_start                  ? kept_[i]
                       : i >= after.size() - same_end ? kept_[i + before.size() - after.size()]
                                                      : kWritten);
    }
    kept_ = std::move(kept);
    bytes_ = std::move(written);
    return true;
}

}  // namespace dorimo
