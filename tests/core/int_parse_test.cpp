#include <gtest/gtest.h>

#include "int_parse.h"

namespace dorimo {

TEST(IntParse, AcceptsDecimalAndHexLiterals) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"7", 7},           {"07", 7},          {"   7", 7},        {"+7", 7},
        {"-7", -7},         {"0", 0},           {"00", 0},          {"$1A", 26},
        {"x1a", 26},        {"X1A", 26},        {"0x1", 1},         {"0X1", 1},
        {"99", 99},         {"-$1", -1},        {"$FFFFFFFF", -1},  {"$0000000000ff", 255},
        {"2147483647", 2147483647},             {"-2147483648", INT32_MIN},
        {"000000000000000000012", 12},          {" +$7fffffff", INT32_MAX},
    };
    for (const auto& c : cases) {
        const auto value = parse_int32(c.text);
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_EQ(*value, c.value) << c.text;
    }
}

TEST(IntParse, RejectsEverythingElse) {
    for (const char* text : {"", " ", "+", "-", "$", "x", "0x", "0X", "7 ", "ab", "1:0", "1a",
                             "true", "2147483648", "-2147483649", "$100000000", "0x1g", "\t7",
                             "+-7", "7.0", "１", "$ 1", "- 7"}) {
        EXPECT_FALSE(IsNumeric(text)) << "'" << text << "'";
    }
}

}  // namespace dorimo
