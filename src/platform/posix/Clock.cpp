#include "platform/Clock.h"

#include <sys/time.h>

#include <ctime>

namespace kvr::platform {

LocalTime GetLocalTime() {
    struct timeval tv {};
    ::gettimeofday(&tv, nullptr);
    std::tm tm{};
    ::localtime_r(&tv.tv_sec, &tm);
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.milliseconds = static_cast<int>(tv.tv_usec / 1000);
    return t;
}

// The POSIX locale has no separate time or date separator; these are the ones
// every locale the program meets here uses.
char TimeSeparator() {
    return ':';
}
char DateSeparator() {
    return '/';
}

}  // namespace kvr::platform
