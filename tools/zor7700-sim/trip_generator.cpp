#include "trip_generator.h"

#include <cmath>

namespace {

constexpr uint32_t kStartTime = 1600000000; // 2020-09-13 12:26:40 UTC
constexpr uint32_t kRecordInterval = 5;
constexpr int32_t kSegmentRecords = 400;
constexpr uint32_t kStopSeconds = 20 * 60;
constexpr int32_t kNoFixEvery = 53;
constexpr double kStepDegrees = 0.0002; // about 22 m in 5 s
constexpr int16_t kSpeed = 4;           // m/s, near enough

} // namespace

std::vector<RawRecord> generateTrip(int32_t count) {
    std::vector<RawRecord> records;
    double latitude = 48.1372;
    double longitude = 11.5756;
    uint32_t time = kStartTime;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0)
            time += (i % kSegmentRecords == 0) ? kStopSeconds : kRecordInterval;
        double heading = 0.01 * i + std::sin(0.05 * i);
        latitude += kStepDegrees * std::cos(heading);
        longitude += kStepDegrees * std::sin(heading) / std::cos(latitude * M_PI / 180.0);
        RawRecord record{};
        record.time = time;
        record.fix = (i % kNoFixEvery == kNoFixEvery - 1) ? 1 : 3;
        record.latitude = static_cast<float>(latitude);
        record.longitude = static_cast<float>(longitude);
        record.height = static_cast<int16_t>(520 + std::lround(25.0 * std::sin(0.02 * i)));
        // What a module's longer layouts add; the ZOR 7700's record has none.
        record.speed = kSpeed;
        const double degrees = std::fmod(heading * 180.0 / M_PI + 360.0, 360.0);
        record.heading = static_cast<uint16_t>(std::lround(degrees) % 360);
        record.hdop = static_cast<uint16_t>(record.fix < 2 ? 990 : 90 + 10 * (i % 5));
        record.satellites = static_cast<uint8_t>(record.fix < 2 ? 2 : 7 + i % 4);
        records.push_back(record);
    }
    return records;
}
