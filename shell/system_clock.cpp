#include "system_clock.h"

#include <windows.h>

namespace dorimo {

LocalTime SystemClock::now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    if (shift_) {
        ULARGE_INTEGER t;
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        t.LowPart = ft.dwLowDateTime, t.HighPart = ft.dwHighDateTime;
        t.QuadPart += static_cast<ULONGLONG>(shift_ * 10000000);
        ft.dwLowDateTime = t.LowPart, ft.dwHighDateTime = t.HighPart;
        FileTimeToSystemTime(&ft, &st);
    }
    LocalTime t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    return t;
}

}  // namespace dorimo
