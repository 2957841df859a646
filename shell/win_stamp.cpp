// The log stamp in the user's short date and long time formats.
#include <windows.h>

#include "controller.h"

namespace dorimo {
namespace {

SYSTEMTIME to_systemtime(const LocalTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDayOfWeek = static_cast<WORD>(day_index(t) - 1);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    st.wMilliseconds = static_cast<WORD>(t.millisecond);
    return st;
}

class LocaleStampFormat : public StampFormat {
public:
    std::string short_date(const LocalTime& t) override {
        const SYSTEMTIME st = to_systemtime(t);
        char buf[128];
        if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, sizeof buf) == 0)
            return date_text(t);
        return buf;
    }
    std::string long_time(const LocalTime& t) override {
        const SYSTEMTIME st = to_systemtime(t);
        char buf[128];
        if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, sizeof buf) == 0)
            return date_time_text(t).substr(11);
        return buf;
    }
};

}  // namespace

std::unique_ptr<StampFormat> make_system_stamp_format() {
    return std::make_unique<LocaleStampFormat>();
}

}  // namespace dorimo
