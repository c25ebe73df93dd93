#include "output/kml_writer.h"

#include "output/line_writer.h"
#include "output/track_walk.h"
#include "output/utc_time.h"
#include "support/cwstr.h"

#include <array>

namespace {

constexpr int32_t kStyleCount = 6;

// True from a segment's opening lines until its closing lines; a failed write
// may leave it set, which is harmless because every track begins a segment
// before the footer reads it.
bool segmentOpen = false;

std::array<std::array<char16_t, 32>, 2> labelBuffers{};
int32_t nextLabelBuffer = 0;

// The names are ASCII (time labels and a fixed prefix), so each 16-bit
// character goes to the file as one byte; anything else shows as '?'.
class SingleByteText {
public:
    explicit SingleByteText(const char16_t* wide) {
        size_t i = 0;
        for (; wide[i] != 0 && i + 1 < text.size(); ++i) {
            text[i] = wide[i] < 0x80 ? static_cast<char>(wide[i]) : '?';
        }
        text[i] = 0;
    }
    const char* c_str() const { return text.data(); }

private:
    std::array<char, 64> text{};
};

struct Position {
    double latitude;
    double longitude;
};

Position positionOf(const LogRecord& record) {
    return {record.latitude, record.longitude};
}

// The Start placemark shows the first record even when it is not usable; only
// a position that is not a number gives way to the first track point. With no
// finite position at all, 0,0 keeps the document readable.
Position startPosition(const TrackStore& store) {
    for (int32_t step = 0; step < TrackStore::kSlots; ++step) {
        const LogRecord& record = recordAtStep(store, step);
        if (step == 0 ? hasFinitePosition(record) : isTrackPoint(record)) {
            return positionOf(record);
        }
    }
    return {0.0, 0.0};
}

// One call per template line, in file order.
// clang-format off
bool writeKmlHeader(ByteSink& file, const char16_t* name, double latitude, double longitude) {
    const SingleByteText nameText(name);
    return writeLine(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n") &&
           writeLine(file, "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\r\n") &&
           writeLine(file, "<Document>\r\n") &&
           writeLine(file, "    <name>%s</name>\r\n", nameText.c_str()) &&
           writeLine(file, "    <Style id=\"lineStyle0\"><LineStyle><color>ff0000ff</color>"
                           "<width>6</width></LineStyle></Style>\r\n") &&
           writeLine(file, "    <Style id=\"lineStyle1\"><LineStyle><color>ff00ff00</color>"
                           "<width>6</width></LineStyle></Style>\r\n") &&
           writeLine(file, "    <Style id=\"lineStyle2\"><LineStyle><color>ffff0000</color>"
                           "<width>6</width></LineStyle></Style>\r\n") &&
           writeLine(file, "    <Style id=\"lineStyle3\"><LineStyle><color>ffffff00</color>"
                           "<width>6</width></LineStyle></Style>\r\n") &&
           writeLine(file, "    <Style id=\"lineStyle4\"><LineStyle><color>ff00ffff</color>"
                           "<width>6</width></LineStyle></Style>\r\n") &&
           writeLine(file, "    <Style id=\"lineStyle5\"><LineStyle><color>ffff00ff</color>"
                           "<width>6</width></LineStyle></Style>\r\n") &&
           writeLine(file, "    <Style id=\"globeIcon\">\r\n") &&
           writeLine(file, "      <IconStyle>\r\n") &&
           writeLine(file, "        <Icon>\r\n") &&
           writeLine(file, "          <href>http://maps.google.com/mapfiles/kml/pal3/icon19.png"
                           "</href>\r\n") &&
           writeLine(file, "        </Icon>\r\n") &&
           writeLine(file, "      </IconStyle>\r\n") &&
           writeLine(file, "    </Style>\r\n") &&
           writeLine(file, "    <Placemark>\r\n") &&
           writeLine(file, "      <name>Start</name>\r\n") &&
           writeLine(file, "      <styleUrl>#globeIcon</styleUrl>\r\n") &&
           writeLine(file, "      <Point>\r\n") &&
           writeLine(file, "        <coordinates>%.6f,%.6f,0</coordinates>\r\n", longitude,
                     latitude) &&
           writeLine(file, "      </Point>\r\n") &&
           writeLine(file, "    </Placemark>\r\n");
}

bool beginSegment(ByteSink& file, const char16_t* name, int32_t styleNumber) {
    const SingleByteText nameText(name);
    const bool written =
        writeLine(file, "    <Placemark>\r\n") &&
        writeLine(file, "      <name>%s</name>\r\n", nameText.c_str()) &&
        writeLine(file, "      <styleUrl>#lineStyle%d</styleUrl>\r\n", styleNumber) &&
        writeLine(file, "      <LineString>\r\n") &&
        writeLine(file, "        <extrude>0</extrude>\r\n") &&
        writeLine(file, "        <tessellate>1</tessellate>\r\n") &&
        writeLine(file, "        <altitudeMode>clampToGround</altitudeMode>\r\n") &&
        writeLine(file, "        <coordinates>\r\n");
    if (written) {
        segmentOpen = true;
    }
    return written;
}

bool endSegment(ByteSink& file) {
    const bool written = writeLine(file, "        </coordinates>\r\n") &&
                         writeLine(file, "      </LineString>\r\n") &&
                         writeLine(file, "    </Placemark>\r\n");
    if (written) {
        segmentOpen = false;
    }
    return written;
}

bool writeKmlFooter(ByteSink& file, double latitude, double longitude) {
    if (segmentOpen && !endSegment(file)) {
        return false;
    }
    return writeLine(file, "    <Placemark>\r\n") &&
           writeLine(file, "      <name>Stop</name>\r\n") &&
           writeLine(file, "      <styleUrl>#globeIcon</styleUrl>\r\n") &&
           writeLine(file, "      <Point>\r\n") &&
           writeLine(file, "        <coordinates>%.6f,%.6f,0</coordinates>\r\n", longitude,
                     latitude) &&
           writeLine(file, "      </Point>\r\n") &&
           writeLine(file, "    </Placemark>\r\n") &&
           writeLine(file, "  </Document>\r\n") &&
           writeLine(file, "</kml>\r\n");
}

// clang-format on

bool writePoint(ByteSink& file, const LogRecord& record) {
    return writeLine(file, "          %.6f,%.6f,%d\r\n", static_cast<double>(record.longitude),
                     static_cast<double>(record.latitude), static_cast<int>(record.height));
}

} // namespace

const char16_t* timeLabel(uint32_t time) {
    std::array<char16_t, 32>& label = labelBuffers[static_cast<size_t>(nextLabelBuffer)];
    label[0] = 0;
    const UtcText narrow = utcLabel(time);
    for (size_t i = 0; i < narrow.size(); ++i) {
        label[i] = static_cast<char16_t>(narrow[i]);
    }
    nextLabelBuffer = 1 - nextLabelBuffer;
    return label.data();
}

bool writeKmlTrack(const TrackStore& store, ByteSink& file) {
    const LogRecord& first = recordAtStep(store, 0);
    const char16_t* firstLabel = timeLabel(first.time);
    CWStr documentName;
    documentName.Format(u"GPS-Track %s", firstLabel);

    const Position start = startPosition(store);
    if (!writeKmlHeader(file, documentName, start.latitude, start.longitude) ||
        !beginSegment(file, firstLabel, 0)) {
        return false;
    }

    int32_t nextStyle = 1;
    uint32_t previousTime = 0; // 0: no point written yet
    const LogRecord* lastPoint = nullptr;
    for (int32_t step = 0; step < TrackStore::kSlots; ++step) {
        const LogRecord& record = recordAtStep(store, step);
        if (!isTrackPoint(record)) {
            continue;
        }
        if (previousTime != 0 && startsNewTrip(previousTime, record.time)) {
            if (!endSegment(file) || !beginSegment(file, timeLabel(record.time), nextStyle)) {
                return false;
            }
            nextStyle = (nextStyle + 1) % kStyleCount;
        }
        if (!writePoint(file, record)) {
            return false;
        }
        previousTime = record.time;
        lastPoint = &record;
    }

    const Position stop = lastPoint != nullptr ? positionOf(*lastPoint) : start;
    return endSegment(file) && writeKmlFooter(file, stop.latitude, stop.longitude);
}
