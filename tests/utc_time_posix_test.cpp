#include "output/utc_time.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

// glibc's 64-bit time_t serves as an independent calendar across the whole
// unsigned range, in steps of a day, an hour and seven seconds so that the
// time of day moves around the clock.
TEST(UtcTimePosix, AgreesWithTheCLibraryAcrossTheRange) {
    for (uint64_t seconds = 0; seconds <= 0xFFFFFFFFull; seconds += 86400 + 3607) {
        const time_t asTimeT = static_cast<time_t>(seconds);
        tm expected{};
        ASSERT_NE(gmtime_r(&asTimeT, &expected), nullptr);
        const UtcTime actual = breakDownUtc(static_cast<uint32_t>(seconds));
        ASSERT_EQ(actual.year, expected.tm_year + 1900) << "at " << seconds;
        ASSERT_EQ(actual.month, expected.tm_mon + 1) << "at " << seconds;
        ASSERT_EQ(actual.day, expected.tm_mday) << "at " << seconds;
        ASSERT_EQ(actual.hour, expected.tm_hour) << "at " << seconds;
        ASSERT_EQ(actual.minute, expected.tm_min) << "at " << seconds;
        ASSERT_EQ(actual.second, expected.tm_sec) << "at " << seconds;
    }
}

} // namespace
