#include <gtest/gtest.h>

#include <ctime>

#include "platform/Clock.h"

namespace kvr::platform {
namespace {

// The key stamp takes its date from here: the month counts from 1.
TEST(ClockTest, LocalTimeIsTheCalendarDate) {
    for (;;) {
        const std::time_t before = std::time(nullptr);
        const LocalTime now = GetLocalTime();
        if (std::time(nullptr) != before) {
            continue;  // a second turned meanwhile
        }
        const std::tm* calendar = std::localtime(&before);
        ASSERT_NE(calendar, nullptr);
        EXPECT_EQ(now.year, calendar->tm_year + 1900);
        EXPECT_EQ(now.month, calendar->tm_mon + 1);
        EXPECT_EQ(now.day, calendar->tm_mday);
        EXPECT_EQ(now.hour, calendar->tm_hour);
        EXPECT_EQ(now.minute, calendar->tm_min);
        EXPECT_EQ(now.second, calendar->tm_sec);
        break;
    }
}

}  // namespace
}  // namespace kvr::platform
