#include "date_time.h"


namespace dorimo {

// Howard Hinnant's algorithms over 400-year eras.
long days_from_civil(int year, int month, int day) {
    const long y = year - (month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long mp = (month + 9) % 12;
    const long doy = (153 * mp + 2) / 5 + day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

LocalTime civil_from_days(long days) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long doe = days - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    LocalTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
    return t;
}

int day_index(const LocalTime& t) {
    const long days = days_from_civil(t.year, t.month, t.day);
    // 1970-01-01 was a Thursday, day index 5.
    const long from_sunday = ((days + 4) % 7 + 7) % 7;
    return static_cast<int>(from_sunday) + 1;
}

LocalTime add_days(const LocalTime& t, int days) {
    LocalTime r = civil_from_days(days_from_civil(t.year, t.month, t.day) + days);
    r.hour = t.hour;
    r.minute = t.minute;
    r.second = t.second;
    r.millisecond = t.millisecond;
    return r;
}

// The number in decimal with zeros before it up to `width` digits, as
// printf's "%0*d" writes it.
std::string zero_padded(int number, std::size_t width) {
    // Unsigned, so that the least int has its digits too.
    const unsigned magnitude = number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
    std::string digits = std::to_string(magnitude);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return number < 0 ? "-" + digits : digits;
}

std::string date_text(const LocalTime& t) {
    return zero_padded(t.year, 4) + "/" + zero_padded(t.month, 2) + "/" + zero_padded(t.day, 2);
}

std::string date_time_text(const LocalTime& t) {
    return date_text(t) + " " + zero_padded(t.hour, 2) + ":" + zero_padded(t.minute, 2) + ":" +
           zero_padded(t.second, 2);
}

bool text_greater(const std::string& a, const std::string& b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return x > y;
    }
    return a.size() > b.size();
}

}  // namespace dorimo
