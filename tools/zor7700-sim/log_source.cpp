#include "log_source.h"

#include "gpx_reader.h"
#include "record_list.h"
#include "trip_generator.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

#include <sys/stat.h>

namespace {

constexpr int32_t kSlots = kLogLines * kRecordsPerLine;

// Three outings with stops between them: enough for a first look at the wizard.
constexpr int32_t kBuiltInRecords = 1200;

} // namespace

LogLines linesFromRecords(const std::vector<RawRecord>& records) {
    int32_t count = static_cast<int32_t>(records.size());
    int32_t usedLines = std::min(kLogLines, (count + kRecordsPerLine - 1) / kRecordsPerLine);
    std::vector<uint8_t> flash(static_cast<size_t>(usedLines) * kLineBytes, 0xFF);
    for (int32_t i = 0; i < count; ++i) {
        const auto bytes = encodeRecord(records[static_cast<size_t>(i)]);
        std::memcpy(&flash[static_cast<size_t>(i % kSlots) * kRecordBytes], bytes.data(),
                    kRecordBytes);
    }
    LogLines lines;
    for (int32_t line = 0; line < usedLines; ++line) {
        lines.push_back(
            dumpDataSentence(line, &flash[static_cast<size_t>(line) * kLineBytes], kWordsPerLine));
    }
    return lines;
}

// A file without a single $PMTKLOX sentence is no dump at all (a wrong file,
// a folder), not the dump of an empty device, which has its start and end.
bool readCaptureLines(const std::string& path, LogLines& lines, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    struct stat info {};
    if (!file || stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        error = "cannot read " + path + (file ? ": it is a folder" : "");
        return false;
    }
    lines.clear();
    bool anyDumpSentence = false;
    std::string text;
    while (std::getline(file, text)) {
        anyDumpSentence = anyDumpSentence || text.find("$PMTKLOX,") != std::string::npos;
        // Sentences may sit anywhere on a line, behind noise or other output.
        size_t start = text.find("$PMTKLOX,1,");
        if (start == std::string::npos)
            continue;
        text.erase(0, start);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.pop_back();
        lines.push_back(text + "\r\n");
    }
    if (!anyDumpSentence)
        error = path + " holds no $PMTKLOX sentence: not a saved dump";
    return anyDumpSentence;
}

bool loadLogRecords(const SimOptions& options, std::vector<RawRecord>& records,
                    std::string& error) {
    switch (options.logSource) {
    case LogSource::BuiltIn:
        records = generateTrip(kBuiltInRecords);
        return true;
    case LogSource::Generated:
        records = generateTrip(options.generateRecords);
        return true;
    case LogSource::Gpx:
        return readGpxTrack(options.logPath, records, error);
    case LogSource::Records:
        return readRecordList(options.logPath, records, error);
    case LogSource::Capture:
    case LogSource::Empty:
        records.clear();
        return true;
    }
    return false;
}

bool loadLogMemory(const SimOptions& options, LogLines& lines, std::string& error) {
    if (options.logSource == LogSource::Capture)
        return readCaptureLines(options.logPath, lines, error);
    std::vector<RawRecord> records;
    if (!loadLogRecords(options, records, error))
        return false;
    lines = linesFromRecords(records);
    return true;
}
