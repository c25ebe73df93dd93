// Random stores through the three writers: no crash, no sanitizer report,
// every line CR LF terminated, no "nan" or "inf", KML and GPX tags balanced,
// GPX coordinates within the schema's ranges and NMEA checksums right, also
// when the output refuses writes part-way.
#include "output/gpx_writer.h"
#include "output/kml_writer.h"
#include "output/nmea_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class LimitedSink final : public ByteSink {
public:
    explicit LimitedSink(size_t byteLimit) : limit(byteLimit) {}
    bool write(const void* data, uint32_t size) override {
        if (refused || text.size() + size > limit) {
            refused = true;
            return false;
        }
        text.append(static_cast<const char*>(data), size);
        return true;
    }
    std::string text;

private:
    size_t limit;
    bool refused = false;
};

void require(bool condition, const char* what, const std::string& text) {
    if (!condition) {
        std::fprintf(stderr, "%s in:\n%s\n", what, text.c_str());
        std::abort();
    }
}

template <typename T> T take(const uint8_t*& data, size_t& size) {
    T value{};
    const size_t n = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

// Header: start slot, byte limit of the output (0 means none); then records
// of slot, time, latitude and longitude bits, height and fix byte.
TrackStore storeFrom(const uint8_t*& data, size_t& size) {
    TrackStore store;
    store.clear();
    store.startIndex = take<uint16_t>(data, size) % TrackStore::kSlots;
    while (size > 0) {
        LogRecord& record = store.records[take<uint16_t>(data, size) % TrackStore::kSlots];
        record.time = take<uint32_t>(data, size);
        record.latitude = take<float>(data, size);
        record.longitude = take<float>(data, size);
        record.height = take<int16_t>(data, size);
        record.fix = take<uint8_t>(data, size);
    }
    return store;
}

void checkLines(const std::string& text) {
    require(text.find("nan") == std::string::npos && text.find("inf") == std::string::npos,
            "non-finite number", text);
    require(text.empty() || text.substr(text.size() - 2) == "\r\n", "unterminated line", text);
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        require(end > begin && text[end - 1] == '\r', "line without CR", text);
        require(end - begin + 1 <= 255, "line over 255 bytes", text);
    }
}

// Every tag opened is closed in order; a refused write may leave the tail open.
void checkXmlTags(const std::string& xml, bool complete) {
    std::vector<std::string> open;
    for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        const size_t close = xml.find('>', at);
        require(close != std::string::npos, "unclosed bracket", xml);
        const std::string tag = xml.substr(at + 1, close - at - 1);
        if (tag[0] == '?' || tag.back() == '/') {
            continue;
        }
        const std::string name = tag.substr(0, tag.find(' '));
        if (name[0] == '/') {
            require(!open.empty() && open.back() == name.substr(1), "mismatched closing tag", xml);
            open.pop_back();
        } else {
            open.push_back(name);
        }
    }
    require(!complete || open.empty(), "tag left open", xml);
}

// Latitudes -90 to 90, longitudes -180 to below 180, in points and bounds.
void checkGpxRanges(const std::string& gpx) {
    for (const char* name : {"lat=\"", "lon=\""}) {
        const bool latitude = name[1] == 'a';
        for (size_t at = gpx.find(name); at != std::string::npos; at = gpx.find(name, at + 1)) {
            const double value = std::strtod(gpx.c_str() + at + 5, nullptr);
            require(latitude ? value >= -90 && value <= 90 : value >= -180 && value < 180,
                    "coordinate out of range", gpx.substr(at, 40));
        }
    }
}

void checkNmea(const std::string& nmea) {
    size_t begin = 0;
    for (size_t end; (end = nmea.find("\r\n", begin)) != std::string::npos; begin = end + 2) {
        const std::string line = nmea.substr(begin, end - begin);
        const size_t star = line.find('*');
        require(line.rfind("$GPGGA,", 0) == 0 || line.rfind("$GPRMC,", 0) == 0, "sentence name",
                line);
        require(star != std::string::npos && star + 3 == line.size(), "checksum place", line);
        unsigned checksum = 0;
        for (size_t i = 1; i < star; ++i) {
            checksum ^= static_cast<unsigned char>(line[i]);
        }
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", checksum);
        require(line.substr(star + 1) == digits, "checksum", line);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint16_t limitCode = take<uint16_t>(data, size);
    const size_t limit = limitCode == 0 ? SIZE_MAX : limitCode;
    const TrackStore store = storeFrom(data, size);

    LimitedSink kml(limit);
    const bool kmlComplete = writeKmlTrack(store, kml);
    checkLines(kml.text);
    checkXmlTags(kml.text, kmlComplete);

    LimitedSink gpx(limit);
    const bool gpxComplete = writeGpxTrack(store, gpx);
    checkLines(gpx.text);
    checkXmlTags(gpx.text, gpxComplete);
    checkGpxRanges(gpx.text);

    LimitedSink nmea(limit);
    writeNmeaTrack(store, nmea);
    checkLines(nmea.text);
    checkNmea(nmea.text);
    return 0;
}
