#include "output/gpx_writer.h"

#include "output/line_writer.h"
#include "output/track_walk.h"
#include "output/utc_time.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

struct Position {
    double latitude;
    double longitude;
};

// The place of a track point within GPX's ranges (latitude -90 to 90,
// longitude -180 to below 180); false when the record is left out. 180 is
// written as -180, the same meridian.
bool gpxPositionOf(const LogRecord& record, Position& position) {
    if (!isTrackPoint(record)) {
        return false;
    }
    const double latitude = record.latitude;
    double longitude = adjustedLongitude(record.longitude);
    if (longitude == 180.0) {
        longitude = -180.0;
    }
    if (std::fabs(latitude) > 90.0 || longitude < -180.0 || longitude >= 180.0) {
        return false;
    }
    position = {latitude, longitude};
    return true;
}

struct Bounds {
    bool hasPoints = false;
    Position min{};
    Position max{};
};

// The metadata comes first, so the points are looked at once before.
Bounds boundsOf(const TrackStore& store) {
    Bounds bounds;
    for (int32_t step = 0; step < TrackStore::kSlots; ++step) {
        Position p{};
        if (!gpxPositionOf(recordAtStep(store, step), p)) {
            continue;
        }
        if (!bounds.hasPoints) {
            bounds = {true, p, p};
        }
        bounds.min = {std::min(bounds.min.latitude, p.latitude),
                      std::min(bounds.min.longitude, p.longitude)};
        bounds.max = {std::max(bounds.max.latitude, p.latitude),
                      std::max(bounds.max.longitude, p.longitude)};
    }
    return bounds;
}

// GPX names the device's fixes 2, 3 and 4; any other value (which the device
// does not log) is left unnamed rather than guessed.
const char* fixElement(const LogRecord& record) {
    switch (record.fix & 0x0F) {
    case 2:
        return "<fix>2d</fix>";
    case 3:
        return "<fix>3d</fix>";
    case 4:
        return "<fix>dgps</fix>";
    default:
        return "";
    }
}

// The document's name comes from the first record, as in the KML document,
// whether or not that record is a point; no bounds without a point.
bool writeHeader(ByteSink& file, uint32_t firstTime, const Bounds& bounds) {
    const bool written =
        writeLine(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n") &&
        writeLine(file, "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\" "
                        "creator=\"ZOR7700Track\">\r\n") &&
        writeLine(file, "  <metadata>\r\n") &&
        writeLine(file, "    <name>GPS-Track %s</name>\r\n", utcLabel(firstTime).data());
    if (!written || (bounds.hasPoints &&
                     !writeLine(file,
                                "    <bounds minlat=\"%.6f\" minlon=\"%.6f\" maxlat=\"%.6f\" "
                                "maxlon=\"%.6f\"/>\r\n",
                                bounds.min.latitude, bounds.min.longitude, bounds.max.latitude,
                                bounds.max.longitude))) {
        return false;
    }
    return writeLine(file, "  </metadata>\r\n");
}

bool beginTrip(ByteSink& file, uint32_t firstTime) {
    return writeLine(file, "  <trk>\r\n") &&
           writeLine(file, "    <name>%s</name>\r\n", utcLabel(firstTime).data()) &&
           writeLine(file, "    <trkseg>\r\n");
}

bool endTrip(ByteSink& file) {
    return writeLine(file, "    </trkseg>\r\n") && writeLine(file, "  </trk>\r\n");
}

// Satellites and HDOP where the record holds them, in the schema's order.
std::array<char, 48> qualityElements(const LogRecord& record) {
    std::array<char, 48> text{};
    int used = 0;
    if ((record.extras & kHasSatellites) != 0)
        used = std::snprintf(text.data(), text.size(), "<sat>%u</sat>", record.satellites);
    if ((record.extras & kHasHdop) != 0) {
        std::snprintf(text.data() + used, text.size() - static_cast<size_t>(used),
                      "<hdop>%s</hdop>", hdopText(record).data());
    }
    return text;
}

bool writePoint(ByteSink& file, const LogRecord& record, const Position& position) {
    return writeLine(file,
                     "      <trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%d</ele><time>%s</time>%s%s"
                     "</trkpt>\r\n",
                     position.latitude, position.longitude, static_cast<int>(record.height),
                     utcIsoTime(record.time).data(), fixElement(record),
                     qualityElements(record).data());
}

} // namespace

bool writeGpxTrack(const TrackStore& store, ByteSink& file) {
    if (!writeHeader(file, recordAtStep(store, 0).time, boundsOf(store))) {
        return false;
    }
    bool tripOpen = false;
    uint32_t previousTime = 0;
    for (int32_t step = 0; step < TrackStore::kSlots; ++step) {
        const LogRecord& record = recordAtStep(store, step);
        Position position{};
        if (!gpxPositionOf(record, position)) {
            continue;
        }
        if (tripOpen && startsNewTrip(previousTime, record.time)) {
            if (!endTrip(file)) {
                return false;
            }
            tripOpen = false;
        }
        if (!tripOpen && !beginTrip(file, record.time)) {
            return false;
        }
        if (!writePoint(file, record, position)) {
            return false;
        }
        tripOpen = true;
        previousTime = record.time;
    }
    return (!tripOpen || endTrip(file)) && writeLine(file, "</gpx>\r\n");
}
