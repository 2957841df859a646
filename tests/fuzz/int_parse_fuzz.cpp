// Arbitrary bytes through parse_int32 and IsNumeric, checked against a
// second reading of the same grammar built from the C library's converters.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "int_parse.h"

namespace {

const char kDecimal[] = "0123456789";
const char kHex[] = "0123456789abcdefABCDEF";

// Digits alone, without sign or prefix: the value with the sign applied, or
// none when the digits do not fit.
std::optional<std::int32_t> reference_digits(const std::string& digits, bool hex, bool negative) {
    const std::string significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    if (significant.size() > (hex ? 8u : 10u)) return std::nullopt;
    if (hex) {
        const std::uint32_t pattern =
            static_cast<std::uint32_t>(std::strtoull(digits.c_str(), nullptr, 16));
        return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
    }
    const long long magnitude = std::strtoll(digits.c_str(), nullptr, 10);
    const long long value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> reference(const std::string& text) {
    std::size_t i = std::min(text.find_first_not_of(' '), text.size());
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    const std::string rest = text.substr(i);
    std::string digits;
    bool hex = true;
    if (rest.compare(0, 2, "0x") == 0 || rest.compare(0, 2, "0X") == 0) {
        digits = rest.substr(2);
    } else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
        digits = rest.substr(1);
    } else {
        hex = false;
        digits = rest;
    }
    if (digits.empty() || digits.find_first_not_of(hex ? kHex : kDecimal) != std::string::npos) {
        return std::nullopt;
    }
    return reference_digits(digits, hex, negative);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> got = dorimo::parse_int32(text);
    const std::optional<std::int32_t> want = reference(text);
    if (got != want || dorimo::IsNumeric(text) != got.has_value()) {
        std::fprintf(stderr, "int_parse_fuzz: parse_int32 gives %s%d, the reference %s%d\n",
                     got ? "" : "none ", got.value_or(0), want ? "" : "none ", want.value_or(0));
        std::abort();
    }
    return 0;
}
