#include "output/nmea_writer.h"

#include "device/nmea_checksum.h"
#include "output/track_walk.h"
#include "output/utc_time.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

using ShortText = std::array<char, 8>;
using CoordinateText = std::array<char, 16>;
// The longest sentence is 72 characters (a $GPGGA with 255 satellites and an
// HDOP of 655.35); the rest leaves room for the checksum, CR LF and the
// terminator.
using SentenceText = std::array<char, 80>;

struct CoordinateFormat {
    int degreeDigits; // zero-padded
    double limit;     // largest absolute value written
    char positiveLetter;
    char negativeLetter;
};

constexpr CoordinateFormat kLatitude{2, 90.0, 'N', 'S'};
constexpr CoordinateFormat kLongitude{3, 180.0, 'E', 'W'};

// "ddmm.mmmm,N" or "dddmm.mmmm,E"; false when the value is out of range or not
// a number. Minutes that round to 60.0000 at four decimals are carried into the
// degree: the check is made on the printed minutes, so it matches the rounding
// of the formatter exactly. The minutes are the one number printed as a
// floating-point value, once, since that is most of the writer's time.
bool formatCoordinate(double value, const CoordinateFormat& format, CoordinateText& text) {
    const char letter = value < 0 ? format.negativeLetter : format.positiveLetter;
    const double magnitude = std::fabs(value);
    if (!(magnitude <= format.limit)) {
        return false;
    }
    double degrees = 0;
    const double minutes = std::modf(magnitude, &degrees) * 60.0;
    std::array<char, 16> minutesText;
    std::snprintf(minutesText.data(), minutesText.size(), "%07.4f", minutes);
    int wholeDegrees = static_cast<int>(degrees);
    if (std::strcmp(minutesText.data(), "60.0000") == 0) {
        ++wholeDegrees;
        std::strcpy(minutesText.data(), "00.0000");
    }
    std::snprintf(text.data(), text.size(), "%0*d%s,%c", format.degreeDigits, wholeDegrees,
                  minutesText.data(), letter);
    text.back() = 0;
    return true;
}

void formatTimeAndDate(uint32_t time, ShortText& timeText, ShortText& dateText) {
    const UtcTime utc = breakDownUtc(time);
    std::snprintf(timeText.data(), timeText.size(), "%02d%02d%02d", static_cast<int>(utc.hour),
                  static_cast<int>(utc.minute), static_cast<int>(utc.second));
    std::snprintf(dateText.data(), dateText.size(), "%02d%02d%02d", static_cast<int>(utc.day),
                  static_cast<int>(utc.month), static_cast<int>(utc.year % 100));
}

bool writeSentence(ByteSink& file, SentenceText& sentence) {
    const int32_t length = appendChecksum(sentence.data());
    return file.write(sentence.data(), static_cast<uint32_t>(length));
}

} // namespace

int32_t appendChecksum(char* sentence) {
    char* star = std::strchr(sentence, '*');
    if (star == nullptr) {
        return 0;
    }
    const SentenceEnding ending =
        sentenceEnding(std::string_view(sentence + 1, static_cast<size_t>(star - sentence - 1)));
    std::memcpy(star, ending.text, sizeof ending.text);
    return static_cast<int32_t>(star - sentence) + 5;
}

bool writeNmeaTrack(const TrackStore& store, ByteSink& file) {
    for (int32_t step = 0; step < TrackStore::kSlots; ++step) {
        const LogRecord& record = recordAtStep(store, step);
        CoordinateText latitude;
        CoordinateText longitude;
        if (!isUsableRecord(record) || !formatCoordinate(record.latitude, kLatitude, latitude) ||
            !formatCoordinate(adjustedLongitude(record.longitude), kLongitude, longitude)) {
            continue;
        }
        ShortText timeText;
        ShortText dateText;
        formatTimeAndDate(record.time, timeText, dateText);

        SentenceText sentence;
        ShortText satellites{};
        if ((record.extras & kHasSatellites) != 0)
            std::snprintf(satellites.data(), satellites.size(), "%02u", record.satellites);
        std::snprintf(sentence.data(), sentence.size(), "$GPGGA,%s.000,%s,%s,1,%s,%s,%hd.0,M,,,,*",
                      timeText.data(), latitude.data(), longitude.data(), satellites.data(),
                      hdopText(record).data(), record.height);
        if (!writeSentence(file, sentence)) {
            return false;
        }
        std::snprintf(sentence.data(), sentence.size(), "$GPRMC,%s.000,A,%s,%s,,,%s,,*",
                      timeText.data(), latitude.data(), longitude.data(), dateText.data());
        if (!writeSentence(file, sentence)) {
            return false;
        }
    }
    return true;
}
