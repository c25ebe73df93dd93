#include "support/transfer_outcomes.h"

#include "device/report_target.h"
#include "device/worker_platform.h"
#include "support/fast_limits.h"
#include "tools/common/log_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

// Windows ticks advance in steps of up to 16 ms, so a measured time may fall
// short of the true one by one step.
constexpr uint32_t kTickStepMs = 16;
// How long past its limit a run may take to end.
constexpr uint32_t kEndSlackMs = 2000;

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> list;
    std::istringstream stream(line);
    for (std::string cell; std::getline(stream, cell, '|');)
        list.push_back(trimmed(cell));
    return list;
}

bool parseRun(const std::string& text, TransferOutcome& row, std::string& error) {
    int formats = 0;
    for (const std::string& word : words(text)) {
        if (word == "kml" || word == "nmea") {
            row.nmea = word == "nmea";
            ++formats;
        } else if (word == "erase") {
            row.erase = true;
        } else if (word == "missing-folder") {
            row.target = OutputTarget::MissingFolder;
        } else if (word == "full-disk") {
            row.target = OutputTarget::FullDisk;
        } else if (word == "unknown-port") {
            row.unknownPort = true;
        } else if (word == "late-go-ahead") {
            row.lateGoAhead = true;
        } else {
            error = "unknown choice " + word;
            return false;
        }
    }
    if (formats != 1)
        error = "the run names kml or nmea, once";
    return formats == 1;
}

bool parseReport(const std::string& text, TransferOutcome& row, std::string& error) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size() ||
        text.find_first_not_of("0123456789:") != std::string::npos) {
        error = "the report is not wParam:lParam: " + text;
        return false;
    }
    row.wParam = std::stoul(text.substr(0, colon));
    row.lParam = std::stol(text.substr(colon + 1));
    return true;
}

// V, R, C for the ZOR 7700's commands, a module's by their text (PMTK605),
// either with *K for K in a row.
bool parseCommands(const std::string& text, TransferOutcome& row, std::string& error) {
    if (text == "-")
        return true;
    for (const std::string& word : words(text)) {
        const size_t star = word.find('*');
        const std::string name = word.substr(0, star);
        const int times = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
        const bool zor = name == "V" || name == "R" || name == "C";
        if (!zor && name.rfind("PMTK", 0) != 0) {
            error = "unknown command " + word;
            return false;
        }
        row.commands.insert(row.commands.end(), static_cast<size_t>(times),
                            zor ? "$PZOR," + name : "$" + name);
    }
    return true;
}

bool parseLimit(const std::string& text, TransferOutcome& row, std::string& error) {
    static const struct {
        const char* name;
        WaitedLimit limit;
    } kNames[] = {{"-", WaitedLimit::None},
                  {"detection", WaitedLimit::Detection},
                  {"silence", WaitedLimit::DumpSilence},
                  {"search", WaitedLimit::ModuleSearch},
                  {"pause", WaitedLimit::PauseBeforeErase}};
    for (const auto& name : kNames) {
        if (text == name.name) {
            row.lasts = name.limit;
            return true;
        }
    }
    error = "unknown time limit " + text;
    return false;
}

bool parseSuites(const std::string& text, TransferOutcome& row, std::string& error) {
    row.suites = words(text);
    for (const std::string& suite : row.suites) {
        if (suite != "scripted" && suite != "sim" && suite != "wine") {
            error = "unknown suite " + suite;
            return false;
        }
    }
    return true;
}

uint32_t limitMs(WaitedLimit limit, const TransferTimeLimits& limits) {
    switch (limit) {
    case WaitedLimit::Detection:
        return limits.detectionMs;
    case WaitedLimit::DumpSilence:
        return limits.dumpSilenceMs;
    case WaitedLimit::PauseBeforeErase:
        return limits.pauseBeforeEraseMs;
    case WaitedLimit::ModuleSearch:
        return limits.detectionMs + 6 * limits.moduleListenMs;
    case WaitedLimit::None:
        break;
    }
    return 0;
}

// Device found comes first, once; progress starts at 0 and rises; the pause
// before the erase is announced with its length; nothing but the last
// report ends the run.
void expectReportSequence(const TransferOutcome& row, const std::vector<PostedReport>& reports,
                          const TransferTimeLimits& limits) {
    intptr_t percent = -1;
    for (size_t i = 0; i < reports.size(); ++i) {
        const PostedReport& report = reports[i];
        EXPECT_EQ(report.message, WM_TRANSFER);
        if (i + 1 == reports.size())
            break;
        switch (report.wParam) {
        case kReportDeviceFound:
            EXPECT_EQ(i, 0u) << "device found after another report";
            break;
        case kReportProgress:
            if (percent < 0) {
                EXPECT_EQ(report.lParam, 0) << "the start sentence reports 0 percent";
            } else {
                EXPECT_GT(report.lParam, percent) << "progress went back";
            }
            percent = report.lParam;
            break;
        case kReportErasePending:
            EXPECT_TRUE(row.erase) << "an erase nobody asked for was announced";
            EXPECT_EQ(report.lParam, static_cast<intptr_t>(limits.pauseBeforeEraseMs));
            break;
        default:
            ADD_FAILURE() << "report " << i << " ended the run before its last";
        }
    }
    if (row.wParam == kReportComplete && row.lParam != kCompleteFromIncompleteDump) {
        EXPECT_EQ(percent, 100) << "a whole dump reaches 100 percent";
    }
}

void expectWholeFile(bool nmea, const std::string& text) {
    if (nmea) {
        EXPECT_NE(text.find("$GPGGA,"), std::string::npos) << text.substr(0, 200);
        EXPECT_NE(text.find("$GPRMC,"), std::string::npos) << text.substr(0, 200);
    } else {
        EXPECT_EQ(text.rfind("<?xml", 0), 0u) << text.substr(0, 200);
        EXPECT_NE(text.find("</kml>"), std::string::npos) << "the KML document is not closed";
    }
}

} // namespace

std::vector<std::string> words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> list;
    for (std::string word; stream >> word;)
        list.push_back(word);
    return list;
}

bool TransferOutcome::runsIn(const std::string& suite) const {
    return std::find(suites.begin(), suites.end(), suite) != suites.end();
}

std::string posixOutputPath(OutputTarget target) {
    switch (target) {
    case OutputTarget::MissingFolder:
        return "/nonexistent-zor-folder/track.kml";
    case OutputTarget::FullDisk:
        return "/dev/full";
    case OutputTarget::FreshFile:
        break;
    }
    return "";
}

bool parseOutcomeRow(const std::string& line, TransferOutcome& row, std::string& error) {
    const std::vector<std::string> columns = cells(line);
    if (columns.size() != 8) {
        error = "8 columns expected, " + std::to_string(columns.size()) + " found";
        return false;
    }
    row = {};
    row.cause = columns[0];
    if (!parseSuites(columns[1], row, error) || !parseRun(columns[2], row, error) ||
        !parseReport(columns[3], row, error) || !parseCommands(columns[4], row, error) ||
        !parseLimit(columns[6], row, error)) {
        return false;
    }
    if (columns[5] != "written" && columns[5] != "none") {
        error = "the file is written or none, not " + columns[5];
        return false;
    }
    row.fileWritten = columns[5] == "written";
    row.device = words(columns[7]);
    return true;
}

std::vector<TransferOutcome> outcomesFor(const std::string& suite) {
    const std::string path = ZOR_TEST_DATA_DIR "/transfer_outcomes.txt";
    std::ifstream table(path);
    EXPECT_TRUE(table.is_open()) << "cannot read " << path;
    std::vector<TransferOutcome> rows;
    int number = 0;
    for (std::string line; std::getline(table, line);) {
        ++number;
        if (trimmed(line).empty() || line[0] == '#')
            continue;
        TransferOutcome row;
        std::string error;
        if (!parseOutcomeRow(line, row, error))
            ADD_FAILURE() << path << ":" << number << ": " << error;
        else if (row.runsIn(suite))
            rows.push_back(row);
    }
    EXPECT_FALSE(rows.empty()) << "no row for " << suite;
    return rows;
}

void runWorkerToEnd(TransferWorker& worker, int32_t port, ReportCapture& reports,
                    const GoAhead& goAhead, uint32_t reportTimeoutMs, ObservedRun& run) {
    const uint32_t start = tickCount();
    EXPECT_TRUE(worker.startTransfer(port, reports.target()));
    PostedReport report;
    while (reports.waitNext(report, reportTimeoutMs)) {
        run.reports.push_back(report);
        if (report.wParam == kReportDeviceFound) {
            sleepMs(goAhead.delayMs);
            worker.trackFormat = goAhead.nmea ? TrackFormat::Nmea : TrackFormat::Kml;
            worker.eraseAfterRead = goAhead.erase;
            worker.outputPath = goAhead.path;
            worker.proceed();
        }
        if (isFinalReport(report.wParam)) {
            run.ended = true;
            break;
        }
    }
    run.elapsedMs = ticksBetween(start, tickCount());
    worker.joinTransfer();
    run.stillRunning = worker.isRunning();
}

void expectOutcome(const TransferOutcome& row, const ObservedRun& run,
                   const TransferTimeLimits& limits) {
    const std::string reports = describeReports(run.reports);
    ASSERT_TRUE(run.ended) << "reports: " << reports;
    EXPECT_EQ(run.reports.back().wParam, row.wParam) << "reports: " << reports;
    EXPECT_EQ(run.reports.back().lParam, row.lParam) << "reports: " << reports;
    EXPECT_FALSE(run.stillRunning);
    expectReportSequence(row, run.reports, limits);
    EXPECT_EQ(run.commands, row.commands);
    EXPECT_EQ(run.fileExists, row.fileWritten);
    if (row.fileWritten) {
        expectWholeFile(row.nmea, run.fileText);
    }
    if (row.lasts != WaitedLimit::None) {
        const uint32_t limit = limitMs(row.lasts, limits);
        EXPECT_GE(run.elapsedMs, limit - kTickStepMs) << "the run ended before its time limit";
        EXPECT_LT(run.elapsedMs, limit + kEndSlackMs) << "the run waited far past its time limit";
    }
}

std::vector<std::string> fastDeviceOptions(const std::vector<std::string>& options) {
    std::vector<std::string> fast = options;
    for (size_t i = 1; i < fast.size(); ++i) {
        if (fast[i - 1] == "--reply-delay")
            fast[i] = std::to_string(fastMs(static_cast<uint32_t>(std::stoul(fast[i]))));
    }
    return fast;
}

std::string describeReports(const std::vector<PostedReport>& reports) {
    std::string text;
    for (const PostedReport& r : reports) {
        text += (text.empty() ? "" : " ") + std::to_string(r.wParam);
        if (r.wParam != kReportDeviceFound)
            text += ":" + std::to_string(r.lParam);
    }
    return text;
}

std::string commandText(const std::string& line) {
    const size_t star = line.find('*');
    if (line.empty() || line[0] != '$' || star == std::string::npos ||
        withChecksum(line.substr(1, star - 1)) != line) {
        return line;
    }
    return line.substr(0, star);
}

std::vector<std::string> reportedCommands(const std::vector<std::string>& reportLines) {
    std::vector<std::string> texts;
    for (const std::string& line : reportLines)
        texts.push_back(line.substr(line.find(' ') + 1));
    return texts;
}
