#include "int_parse.h"

#include "text_rules.h"

namespace dorimo {

static int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> parse_int32(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    bool hex = false;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n) return std::nullopt;  // empty, blanks, a sign or a prefix alone

    if (hex) {
        std::uint32_t value = 0;
        int significant = 0;
        for (; i < n; ++i) {
            const int digit = hex_value(text[i]);
            if (digit < 0) return std::nullopt;
            if (significant > 0 || digit != 0) ++significant;
            if (significant > 8) return std::nullopt;
            value = (value << 4) | static_cast<std::uint32_t>(digit);
        }
        if (negative) value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

bool IsNumeric(const std::string& text) { return parse_int32(text).has_value(); }

std::string narrow_digits(std::string text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\x82' && text[i + 1] >= '\x4F' && text[i + 1] <= '\x58') {
            text.replace(i, 2, 1, static_cast<char>(text[i + 1] - '\x4F' + '0'));
        } else if (is_lead_byte(text[i])) {
            ++i;  // a double-byte character, whatever its second byte
        }
    }
    return text;
}

}  // namespace dorimo
