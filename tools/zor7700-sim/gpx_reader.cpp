#include "gpx_reader.h"

#include "text_file.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool readAttribute(const std::string& tag, const char* name, double& value) {
    size_t at = 0;
    std::string key = std::string(name) + "=";
    while ((at = tag.find(key, at)) != std::string::npos) {
        bool wordStart = at > 0 && std::isspace(static_cast<unsigned char>(tag[at - 1]));
        size_t quote = at + key.size();
        at = quote;
        if (!wordStart || quote >= tag.size() || (tag[quote] != '"' && tag[quote] != '\''))
            continue;
        char* end = nullptr;
        value = std::strtod(tag.c_str() + quote + 1, &end);
        return end != tag.c_str() + quote + 1 && *end == tag[quote];
    }
    return false;
}

bool readElement(const std::string& body, const char* name, std::string& content) {
    std::string open = std::string("<") + name + ">";
    size_t start = body.find(open);
    if (start == std::string::npos)
        return false;
    start += open.size();
    size_t end = body.find('<', start);
    if (end == std::string::npos)
        return false;
    content = body.substr(start, end - start);
    return true;
}

bool recordFromPoint(const std::string& tag, const std::string& body, RawRecord& record) {
    double latitude = 0;
    double longitude = 0;
    std::string timeText;
    if (!readAttribute(tag, "lat", latitude) || !readAttribute(tag, "lon", longitude) ||
        !readElement(body, "time", timeText) || !parseIsoTime(timeText, record.time)) {
        return false;
    }
    if (std::fabs(latitude) > 90 || std::fabs(longitude) > 180)
        return false;
    record.latitude = static_cast<float>(latitude);
    record.longitude = static_cast<float>(longitude);
    record.fix = 2;
    record.height = 0;
    std::string heightText;
    if (readElement(body, "ele", heightText)) {
        char* end = nullptr;
        double height = std::strtod(heightText.c_str(), &end);
        if (end != heightText.c_str()) {
            record.fix = 3;
            record.height =
                static_cast<int16_t>(std::lround(std::fmax(-32768, std::fmin(32767, height))));
        }
    }
    return true;
}

} // namespace

bool parseIsoTime(const std::string& text, uint32_t& seconds) {
    int year, month, day, hour, minute, second, consumed = 0;
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return false;
    const char* start = text.c_str() + first;
    if (std::sscanf(start, "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute,
                    &second, &consumed) != 6) {
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
        return false;
    }
    const char* rest = start + consumed;
    if (*rest == '.') {
        ++rest;
        while (std::isdigit(static_cast<unsigned char>(*rest)))
            ++rest;
    }
    int64_t offset = 0;
    int offsetHours = 0, offsetMinutes = 0;
    if ((*rest == '+' || *rest == '-') &&
        std::sscanf(rest + 1, "%2d:%2d", &offsetHours, &offsetMinutes) == 2) {
        offset = (*rest == '+' ? 1 : -1) * (offsetHours * 3600 + offsetMinutes * 60);
    }
    int64_t value =
        daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset;
    if (value < 0 || value > 0xFFFFFFFFll)
        return false;
    seconds = static_cast<uint32_t>(value);
    return true;
}

std::vector<RawRecord> parseGpxTrack(const std::string& text) {
    std::vector<RawRecord> records;
    size_t at = 0;
    while ((at = text.find("<trkpt", at)) != std::string::npos) {
        size_t tagEnd = text.find('>', at);
        if (tagEnd == std::string::npos)
            break;
        std::string tag = text.substr(at, tagEnd - at);
        size_t bodyEnd = text.find("trkpt", tagEnd);
        if (bodyEnd == std::string::npos)
            bodyEnd = text.size();
        std::string body =
            text[tagEnd - 1] == '/' ? std::string() : text.substr(tagEnd, bodyEnd - tagEnd);
        RawRecord record{};
        if (recordFromPoint(tag, body, record))
            records.push_back(record);
        at = tagEnd;
    }
    return records;
}

bool readGpxTrack(const std::string& path, std::vector<RawRecord>& records, std::string& error) {
    std::string text;
    if (!readTextFile(path, text, error))
        return false;
    records = parseGpxTrack(text);
    if (records.empty()) {
        error = "no track point with a position and a time in " + path;
        return false;
    }
    return true;
}
