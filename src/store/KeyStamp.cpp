#include "store/KeyStamp.h"

#include <cstdio>

namespace kvr {

std::string KeyStamp(const platform::LocalTime& time) {
    const char ts = platform::TimeSeparator();
    const char ds = platform::DateSeparator();
    char text[64];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d %02d%c%02d%c%04d", time.second, ts,
                  time.minute, ts, time.hour, time.day, ds, time.month, ds, time.year);
    return text;
}

std::string KeyStamp() {
    return KeyStamp(platform::GetLocalTime());
}

}  // namespace kvr
