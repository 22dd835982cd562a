#pragma once
// The local clock and the locale's date and time separators.

namespace kvr::platform {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

LocalTime GetLocalTime();
char TimeSeparator();
char DateSeparator();

}  // namespace kvr::platform
