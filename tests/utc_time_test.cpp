#include "output/utc_time.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string text(const UtcTime& t) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(t.year),
                  static_cast<int>(t.month), static_cast<int>(t.day), static_cast<int>(t.hour),
                  static_cast<int>(t.minute), static_cast<int>(t.second));
    return buffer;
}

TEST(UtcTime, BreaksDownTheWholeUnsignedRange) {
    struct Case {
        const char* name;
        uint32_t seconds;
        const char* expected;
    };
    const Case cases[] = {
        {"time 0 is the epoch", 0, "1970-01-01 00:00:00"},
        {"last second of the first day", 86399, "1970-01-01 23:59:59"},
        {"leap day of a year divisible by 400", 951825600, "2000-02-29 12:00:00"},
        {"worked KML example", 1241179200, "2009-05-01 12:00:00"},
        {"worked NMEA example", 1241181296, "2009-05-01 12:34:56"},
        {"last second of the signed range", 2147483647u, "2038-01-19 03:14:07"},
        {"first second past the signed range", 2147483648u, "2038-01-19 03:14:08"},
        {"end of a leap year past 2038", 4007836799u, "2096-12-31 23:59:59"},
        {"2100 is no leap year: Feb 28 is followed", 4107542399u, "2100-02-28 23:59:59"},
        {"2100 is no leap year: by March 1", 4107542400u, "2100-03-01 00:00:00"},
        {"largest record time", 4294967295u, "2106-02-07 06:28:15"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(breakDownUtc(c.seconds)), c.expected) << c.name;
    }
}

} // namespace
