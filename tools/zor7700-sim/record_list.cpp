#include "record_list.h"

#include "gpx_reader.h"
#include "text_file.h"

#include <sstream>

namespace {

bool parseRecord(const std::string& line, RawRecord& record) {
    std::istringstream fields(line);
    std::string time;
    int fix = -1;
    int height = 0;
    std::string rest;
    if (!(fields >> time >> fix >> record.latitude >> record.longitude >> height) ||
        (fields >> rest) || !parseIsoTime(time, record.time) || fix < 0 || fix > 255 ||
        height < -32768 || height > 32767) {
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
            error =
                "line " + std::to_string(lineNumber) + " is not TIME FIX LATITUDE LONGITUDE HEIGHT";
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
