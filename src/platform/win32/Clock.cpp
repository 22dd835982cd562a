#include <windows.h>

#include "platform/Clock.h"

namespace kvr::platform {

namespace {

// The first character of a locale setting, or fallback when there is none.
char LocaleSeparator(LCTYPE type, char fallback) {
    char text[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof text) > 1) {
        return text[0];
    }
    return fallback;
}

}  // namespace

LocalTime GetLocalTime() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    LocalTime t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.milliseconds = st.wMilliseconds;
    return t;
}

char TimeSeparator() {
    return LocaleSeparator(LOCALE_STIME, ':');
}

char DateSeparator() {
    return LocaleSeparator(LOCALE_SDATE, '/');
}

}  // namespace kvr::platform
