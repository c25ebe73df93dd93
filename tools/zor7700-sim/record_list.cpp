#include "record_list.h"

#include "gpx_reader.h"
#include "text_file.h"

#include <sstream>

namespace {

// The columns a module's layouts add, each optional from the last one back.
bool parseExtras(std::istringstream& fields, RawRecord& record) {
    const struct {
        long minimum;
        long maximum;
    } kRanges[] = {{-32768, 32767}, {0, 65535}, {0, 65535}, {0, 255}};
    long values[4] = {};
    int32_t count = 0;
    for (long value; count < 4 && fields >> value; ++count) {
        if (value < kRanges[count].minimum || value > kRanges[count].maximum)
            return false;
        values[count] = value;
    }
    // Nothing may follow, not even a column that is no number.
    fields.clear();
    std::string rest;
    if (fields >> rest)
        return false;
    record.speed = static_cast<int16_t>(values[0]);
    record.heading = static_cast<uint16_t>(values[1]);
    record.hdop = static_cast<uint16_t>(values[2]);
    record.satellites = static_cast<uint8_t>(values[3]);
    return true;
}

bool parseRecord(const std::string& line, RawRecord& record) {
    std::istringstream fields(line);
    std::string time;
    int fix = -1;
    int height = 0;
    if (!(fields >> time >> fix >> record.latitude >> record.longitude >> height) ||
        !parseIsoTime(time, record.time) || fix < 0 || fix > 255 || height < -32768 ||
        height > 32767 || !parseExtras(fields, record)) {
        return false;
    }
    record.fix = static_cast<uint8_t>(fix);
    record.height = static_cast<int16_t>(height);
    return true;
}

} // namespace

bool parseRecordList(const std::string& text, std::vector<RawRecord>& records, std::string& error) {
    std::istringstream lines(text);
    records.clear();
    int lineNumber = 0;
    for (std::string line; std::getline(lines, line);) {
        ++lineNumber;
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        RawRecord record{};
        if (!parseRecord(line, record)) {
            error = "line " + std::to_string(lineNumber) +
                    " is not TIME FIX LATITUDE LONGITUDE HEIGHT [SPEED HEADING HDOP SATELLITES]";
            return false;
        }
        records.push_back(record);
    }
    if (records.empty()) {
        error = "no record";
        return false;
    }
    return true;
}

bool readRecordList(const std::string& path, std::vector<RawRecord>& records, std::string& error) {
    std::string text;
    if (!readTextFile(path, text, error))
        return false;
    if (!parseRecordList(text, records, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}
