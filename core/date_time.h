// Local date and time, calendar arithmetic and the texts compared by the
// schedule.
#pragma once

#include <string>

namespace dorimo {

struct LocalTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The local wall clock, read afresh at every call.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
};

// Days since 1970-01-01 of a civil date (proleptic Gregorian), and back.
long days_from_civil(int year, int month, int day);
LocalTime civil_from_days(long days);

// Day index of the date: 1 = Sunday .. 7 = Saturday.
int day_index(const LocalTime& t);

// The same time of day, whole days later (or earlier for negative days).
LocalTime add_days(const LocalTime& t, int days);

// The number in decimal, zeros before it up to `width` digits.
std::string zero_padded(int number, std::size_t width);

// "yyyy/mm/dd" and "yyyy/mm/dd hh:nn:ss", every field zero-padded.
std::string date_text(const LocalTime& t);
std::string date_time_text(const LocalTime& t);

// Byte-by-byte comparison as unsigned 8-bit values; a prefix is smaller.
bool text_greater(const std::string& a, const std::string& b);

}  // namespace dorimo
