// The portable private-profile functions on arbitrary files, driven by a
// sequence of reads and writes taken from the input.
//
// Input: operations, then a NUL byte and the starting file's bytes (any
// bytes; without the NUL byte the file does not exist). An operation is a
// code byte (not NUL) and three NUL-terminated fields: section, key, and the
// default (read) or the value (write). Code % 4: 0 read, 1 write, 2 write
// the third field repeated to 1990 + code bytes (values around the 2047-byte
// limit), 3 flush. Only the first 16 operations are run.
//
// After every operation:
// - a read or a flush leaves the file's bytes as they were, and a read gives
//   at most 2047 bytes;
// - a write succeeds, and, when no field holds CR or LF, every line of the
//   file (its bytes and its line break) survives in order, apart from at most
//   one line, the key's, which keeps its line break, or else one or two lines
//   inserted at one place (the new key, after its section's header when the
//   section is new); the line before the inserted ones may gain a line break
//   where it had none, at the end of the file;
// - a value without CR or LF and without blanks or quotation marks at its
//   ends, written under a section and a key that can be read back as names,
//   reads back unchanged, cut to 2047 bytes.
// A line ends at CR LF, LF or a CR alone.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cp932.h"
#include "portable_profile.h"
#include "profile_text.h"

namespace {

#define CHECK(condition, what)                                        \
    do {                                                              \
        if (!(condition)) {                                           \
            std::fprintf(stderr, "profile_fuzz: %s\n", what);         \
            std::abort();                                             \
        }                                                             \
    } while (0)

constexpr std::size_t kMaxOperations = 16;
constexpr std::size_t kLongestValue = dorimo::kProfileBufferSize - 1;

struct Operation {
    unsigned char code;
    std::string section, key, third;
};

struct Input {
    std::vector<Operation> operations;
    std::optional<std::string> file;
};

std::string next_field(const std::uint8_t* data, std::size_t size, std::size_t& pos) {
    std::string field;
    while (pos < size && data[pos] != 0) field += static_cast<char>(data[pos++]);
    if (pos < size) ++pos;  // the NUL byte
    return field;
}

Input parse_input(const std::uint8_t* data, std::size_t size) {
    Input input;
    std::size_t pos = 0;
    while (pos < size) {
        const unsigned char code = data[pos++];
        if (code == 0) {
            input.file = std::string(reinterpret_cast<const char*>(data) + pos, size - pos);
            break;
        }
        Operation op{code, "", "", ""};
        op.section = next_field(data, size, pos);
        op.key = next_field(data, size, pos);
        op.third = next_field(data, size, pos);
        if (input.operations.size() < kMaxOperations) input.operations.push_back(op);
    }
    return input;
}

const std::string& file_path() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/profile_fuzz_" +
               std::to_string(getpid()) + ".ini";
    }();
    return path;
}

std::optional<std::string> file_bytes() {
    std::ifstream in(file_path(), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put_file(const std::optional<std::string>& bytes) {
    std::remove(file_path().c_str());
    if (!bytes) return;
    std::ofstream out(file_path(), std::ios::binary);
    out << *bytes;
    out.close();
    CHECK(!out.fail(), "cannot write the starting file");
}

struct Line {
    std::string text, end;
    bool operator==(const Line& other) const { return text == other.text && end == other.end; }
};

std::vector<Line> lines_of(const std::string& bytes) {
    std::vector<Line> lines;
    Line line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            line.text += bytes[i];
            continue;
        }
        line.end = bytes[i];
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') line.end += bytes[++i];
        lines.push_back(line);
        line = Line{};
    }
    if (!line.text.empty()) lines.push_back(line);
    return lines;
}

// The lines before and after a write differ only as a write may change them
// (see the top of the file).
bool untouched_lines_survive(const std::string& before_bytes, const std::string& after_bytes) {
    const std::vector<Line> before = lines_of(before_bytes);
    const std::vector<Line> after = lines_of(after_bytes);
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t head = 0;
    while (head < shorter && before[head] == after[head]) ++head;
    std::size_t tail = 0;
    while (head + tail < shorter &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    const std::size_t changed = before.size() - head - tail;
    const std::size_t added = after.size() - head - tail;
    if (changed == 0) return added <= 2;  // inserted lines
    if (changed > 1) return false;
    if (added == 1) return before[head].end == after[head].end;  // the key's line
    // The file's last line gains a line break, then the inserted lines.
    return (added == 2 || added == 3) && head + 1 == before.size() && before[head].end.empty() &&
           after[head].text == before[head].text && !after[head].end.empty();
}

bool has_line_break(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

bool blank_at_ends(const std::string& s) {
    return !s.empty() && (dorimo::is_profile_blank(s.front()) || dorimo::is_profile_blank(s.back()));
}

// A name written as "[name]" reads back as the same name: its last byte is
// not a lead byte whose second byte would be the closing "]".
bool readable_section(const std::string& name) {
    if (has_line_break(name) || blank_at_ends(name)) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (dorimo::is_lead_byte(name[i]) && ++i == name.size()) return false;
    }
    return true;
}

// A name written as "name=value" reads back as the same name and the line is
// not taken for a section's header.
bool readable_key(const std::string& name) {
    return !has_line_break(name) && !blank_at_ends(name) && name.find('=') == std::string::npos &&
           (name.empty() || name.front() != '[');
}

bool reads_back_unchanged(const std::string& value) {
    const auto quote = [](char c) { return c == '"' || c == '\''; };
    return !has_line_break(value) && !blank_at_ends(value) &&
           (value.empty() || (!quote(value.front()) && !quote(value.back())));
}

std::string long_value(const Operation& op) {
    const std::string unit = op.third.empty() ? "v" : op.third;
    std::string value;
    while (value.size() < 1990u + op.code) value += unit;
    value.resize(1990u + op.code);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Input input = parse_input(data, size);
    put_file(input.file);
    dorimo::PortableProfile profile;

    for (const Operation& op : input.operations) {
        const std::optional<std::string> before = file_bytes();
        const int kind = op.code % 4;
        if (kind == 0) {
            const std::string got = profile.get_string(op.section, op.key, op.third, file_path());
            CHECK(got.size() <= kLongestValue, "a read gave more than 2047 bytes");
            CHECK(file_bytes() == before, "a read changed the file");
            continue;
        }
        if (kind == 3) {
            profile.write_string(nullptr, nullptr, nullptr, file_path());
            CHECK(file_bytes() == before, "a flush changed the file");
            continue;
        }

        const std::string value = kind == 2 ? long_value(op) : op.third;
        CHECK(profile.write_string(op.section.c_str(), op.key.c_str(), value.c_str(), file_path()),
              "a write failed");
        const std::optional<std::string> after = file_bytes();
        CHECK(after.has_value(), "a write left no file");
        if (!has_line_break(op.section) && !has_line_break(op.key) && !has_line_break(value)) {
            CHECK(untouched_lines_survive(before.value_or(""), *after),
                  "a write changed lines it did not concern");
        }
        if (readable_section(op.section) && readable_key(op.key) && reads_back_unchanged(value)) {
            const std::string got = profile.get_string(op.section, op.key, "", file_path());
            CHECK(got == dorimo::first_whole_characters(value, kLongestValue), "a written value read back changed");
        }
    }
    std::remove(file_path().c_str());  // only a failed input leaves its file behind
    return 0;
}
