#include "output/utc_time.h"

#include <cstdio>

namespace {

constexpr uint32_t kSecondsPerDay = 86400;
// Days from 0000-03-01 to 1970-01-01 in the proleptic Gregorian calendar.
constexpr uint32_t kDaysBefore1970 = 719468;
constexpr uint32_t kDaysPer400Years = 146097;

// The label and the ISO form differ only in the separator and the zone.
UtcText formatUtc(uint32_t secondsSince1970, char separator, const char* zone) {
    const UtcTime utc = breakDownUtc(secondsSince1970);
    UtcText text{};
    const int length =
        std::snprintf(text.data(), text.size(), "%04d-%02d-%02d%c%02d:%02d:%02d%s",
                      static_cast<int>(utc.year), static_cast<int>(utc.month),
                      static_cast<int>(utc.day), separator, static_cast<int>(utc.hour),
                      static_cast<int>(utc.minute), static_cast<int>(utc.second), zone);
    // Record times end in 2106, so it always fits; a cut time would be a
    // wrong one, so none at all rather than that.
    if (length < 0 || length >= static_cast<int>(text.size())) {
        text[0] = 0;
    }
    return text;
}

} // namespace

// Counting years from March puts the leap day at the end of the year, so the
// month and day follow from the day of the year without a table. Unsigned
// arithmetic throughout: record times run to 2106, past the signed limit.
UtcTime breakDownUtc(uint32_t secondsSince1970) {
    const uint32_t secondOfDay = secondsSince1970 % kSecondsPerDay;
    const uint32_t dayNumber = secondsSince1970 / kSecondsPerDay + kDaysBefore1970;

    const uint32_t era = dayNumber / kDaysPer400Years;
    const uint32_t dayOfEra = dayNumber - era * kDaysPer400Years;
    const uint32_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const uint32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const uint32_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const uint32_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const uint32_t year = era * 400 + yearOfEra + (month <= 2 ? 1 : 0);

    UtcTime utc{};
    utc.year = static_cast<int32_t>(year);
    utc.month = static_cast<int32_t>(month);
    utc.day = static_cast<int32_t>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    utc.hour = static_cast<int32_t>(secondOfDay / 3600);
    utc.minute = static_cast<int32_t>(secondOfDay / 60 % 60);
    utc.second = static_cast<int32_t>(secondOfDay % 60);
    return utc;
}

UtcText utcLabel(uint32_t secondsSince1970) {
    return formatUtc(secondsSince1970, ' ', "");
}

UtcText utcIsoTime(uint32_t secondsSince1970) {
    return formatUtc(secondsSince1970, 'T', "Z");
}
