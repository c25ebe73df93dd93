#include "output/kml_writer.h"
#include "output/nmea_writer.h"
#include "support/output_file.h"

#include "support/temp_folder.h"
#include "support/track_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// Other programs read our files back: a reader that rejects them, or reads
// other times or positions, shows a fault in our output.

namespace {

struct Point {
    std::string date; // YYYY/MM/DD as GPSBabel prints it
    std::string time; // HH:MM:SS
    double latitude;
    double longitude;
    double altitude;
};

// Times across the signed 32-bit limit, both hemispheres, a longitude stored
// above 180 and minutes that round up to a whole degree.
const Point kExpected[] = {
    {"2009/05/01", "12:34:56", 48.1173, 11.516667, 545},
    {"2009/05/01", "12:35:06", -33.8688, -70.6693, -12},
    {"2009/05/01", "12:45:00", 4.9999995, 200.25, 100},
    {"2038/01/19", "03:14:08", 10.5, -0.25, 0},
    {"2069/12/31", "23:59:59", -89.5, 179.5, 8848},
};
constexpr uint32_t kTimes[] = {1241181296, 1241181306, 1241181900, 2147483648u, 3155759999u};

TrackStore storeOfExpected() {
    TrackStore store;
    store.clear();
    for (size_t i = 0; i < std::size(kExpected); ++i) {
        const Point& p = kExpected[i];
        store.records[i] =
            trackRecord(kTimes[i], static_cast<float>(p.latitude), static_cast<float>(p.longitude),
                        static_cast<int16_t>(p.altitude));
    }
    store.startIndex = 0;
    return store;
}

bool toolPresent(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output and exit status of a shell command.
std::string run(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    std::array<char, 4096> buffer;
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
        output.append(buffer.data(), n);
    }
    status = pclose(pipe);
    return output;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

// GPSBabel's unicsv rows (CR LF lines) as column name -> value.
std::vector<std::map<std::string, std::string>> readUnicsv(std::string csv) {
    std::erase(csv, '\r');
    std::vector<std::string> lines = split(csv, '\n');
    std::vector<std::map<std::string, std::string>> rows;
    if (lines.empty()) {
        return rows;
    }
    const std::vector<std::string> header = split(lines[0], ',');
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> values = split(lines[i], ',');
        std::map<std::string, std::string> row;
        for (size_t c = 0; c < header.size() && c < values.size(); ++c) {
            row[header[c]] = values[c];
        }
        rows.push_back(row);
    }
    return rows;
}

std::string writeTrackFile(const TempFolder& folder, const std::u16string& name,
                           bool (*writeTrack)(const TrackStore&, ByteSink&)) {
    OutputFile file;
    EXPECT_TRUE(file.create(folder.pathOf(name)));
    EXPECT_TRUE(writeTrack(storeOfExpected(), file));
    EXPECT_TRUE(file.commit());
    return (folder.path() / name).string();
}

double number(const std::map<std::string, std::string>& row, const std::string& column) {
    const auto found = row.find(column);
    return found == row.end() ? NAN : std::atof(found->second.c_str());
}

TEST(TrackReadersPosix, GpsBabelReadsOurNmea) {
    if (!toolPresent("gpsbabel")) {
        GTEST_SKIP() << "gpsbabel is not installed";
    }
    TempFolder folder;
    const std::string path = writeTrackFile(folder, u"track.txt", writeNmeaTrack);
    int status = 0;
    const std::string csv =
        run("gpsbabel -t -i nmea -f '" + path + "' -o unicsv -F - 2>&1", status);
    ASSERT_EQ(status, 0) << csv;
    const auto rows = readUnicsv(csv);
    ASSERT_EQ(rows.size(), std::size(kExpected)) << csv;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Point& p = kExpected[i];
        // NMEA carries the longitude as east or west of Greenwich.
        const double stored = static_cast<float>(p.longitude);
        const double longitude = stored > 180 ? stored - 360 : stored;
        EXPECT_EQ(rows[i].at("Date"), p.date) << "point " << i;
        EXPECT_EQ(rows[i].at("Time"), p.time) << "point " << i;
        // Half a unit of four decimals of minutes is under a millionth of a
        // degree; GPSBabel prints six decimals.
        EXPECT_NEAR(number(rows[i], "Latitude"), static_cast<float>(p.latitude), 2e-6)
            << "point " << i;
        EXPECT_NEAR(number(rows[i], "Longitude"), longitude, 2e-6) << "point " << i;
        EXPECT_EQ(number(rows[i], "Altitude"), p.altitude) << "point " << i;
    }
}

TEST(TrackReadersPosix, XmllintFindsOurKmlWellFormed) {
    if (!toolPresent("xmllint")) {
        GTEST_SKIP() << "xmllint is not installed";
    }
    TempFolder folder;
    const std::string path = writeTrackFile(folder, u"track.kml", writeKmlTrack);
    int status = 0;
    const std::string messages = run("xmllint --noout '" + path + "' 2>&1", status);
    EXPECT_EQ(status, 0) << messages;
    EXPECT_EQ(messages, "");
}

TEST(TrackReadersPosix, GpsBabelReadsOurKml) {
    if (!toolPresent("gpsbabel")) {
        GTEST_SKIP() << "gpsbabel is not installed";
    }
    TempFolder folder;
    const std::string path = writeTrackFile(folder, u"track.kml", writeKmlTrack);
    int status = 0;
    const std::string tracks =
        run("gpsbabel -t -i kml -f '" + path + "' -o unicsv -F - 2>&1", status);
    ASSERT_EQ(status, 0) << tracks;
    const auto points = readUnicsv(tracks);
    ASSERT_EQ(points.size(), std::size(kExpected)) << tracks;
    for (size_t i = 0; i < points.size(); ++i) {
        const Point& p = kExpected[i];
        // Six decimals of the single-precision values.
        EXPECT_NEAR(number(points[i], "Latitude"), static_cast<float>(p.latitude), 1e-6)
            << "point " << i;
        EXPECT_NEAR(number(points[i], "Longitude"), static_cast<float>(p.longitude), 1e-6)
            << "point " << i;
        EXPECT_EQ(number(points[i], "Altitude"), p.altitude) << "point " << i;
    }

    const std::string placemarks =
        run("gpsbabel -w -i kml -f '" + path + "' -o unicsv -F - 2>&1", status);
    ASSERT_EQ(status, 0) << placemarks;
    const auto marks = readUnicsv(placemarks);
    ASSERT_EQ(marks.size(), 2u) << placemarks;
    EXPECT_EQ(marks[0].at("Name"), "\"Start\"");
    EXPECT_NEAR(number(marks[0], "Latitude"), static_cast<float>(kExpected[0].latitude), 1e-6);
    EXPECT_EQ(marks[1].at("Name"), "\"Stop\"");
    EXPECT_NEAR(number(marks[1], "Longitude"),
                static_cast<float>(std::end(kExpected)[-1].longitude), 1e-6);
}

// The corpus files of one kind (by suffix), in name order.
std::vector<std::string> corpusFiles(const std::string& suffix) {
    std::vector<std::string> paths;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(ZOR_TEST_DATA_DIR) + "/captures")) {
        if (entry.path().extension() == suffix) {
            paths.push_back(entry.path().string());
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(TrackReadersPosix, XmllintValidatesTheCorpusAgainstThePublicSchemas) {
    if (!toolPresent("xmllint")) {
        GTEST_SKIP() << "xmllint is not installed";
    }
    // The KML schema imports its neighbours by relative paths, so --nonet
    // proves nothing is fetched.
    const std::string schemas = std::string(ZOR_TEST_DATA_DIR) + "/schemas/";
    const std::map<std::string, std::string> schemaOf = {
        {".gpx", schemas + "gpx-1.1.xsd"}, {".kml", schemas + "kml-2.2/ogckml22.xsd"}};
    for (const auto& [suffix, schema] : schemaOf) {
        const std::vector<std::string> files = corpusFiles(suffix);
        EXPECT_GE(files.size(), 5u) << suffix;
        for (const std::string& file : files) {
            int status = 0;
            const std::string messages = run(
                "xmllint --nonet --noout --schema '" + schema + "' '" + file + "' 2>&1", status);
            EXPECT_EQ(status, 0) << messages;
        }
    }
}

TEST(TrackReadersPosix, GpsBabelReadsTheCorpusGpxPointForPoint) {
    if (!toolPresent("gpsbabel")) {
        GTEST_SKIP() << "gpsbabel is not installed";
    }
    const std::regex point("<trkpt lat=\"([^\"]+)\" lon=\"([^\"]+)\"><ele>([^<]+)</ele>"
                           "<time>(\\d+)-(\\d+)-(\\d+)T([0-9:]+)Z</time>(<fix>([^<]+)</fix>)?");
    for (const std::string& file : corpusFiles(".gpx")) {
        SCOPED_TRACE(file);
        const std::string gpx = readFile(file);
        int status = 0;
        const std::string csv =
            run("gpsbabel -t -i gpx -f '" + file + "' -o unicsv -F - 2>&1", status);
        ASSERT_EQ(status, 0) << csv;
        const auto rows = readUnicsv(csv);
        size_t i = 0;
        for (std::sregex_iterator m(gpx.begin(), gpx.end(), point), end; m != end; ++m, ++i) {
            ASSERT_LT(i, rows.size()) << "GPSBabel read fewer points";
            const auto& p = *m;
            EXPECT_NEAR(number(rows[i], "Latitude"), std::atof(p[1].str().c_str()), 1e-9) << i;
            EXPECT_NEAR(number(rows[i], "Longitude"), std::atof(p[2].str().c_str()), 1e-9) << i;
            EXPECT_EQ(number(rows[i], "Altitude"), std::atof(p[3].str().c_str())) << i;
            EXPECT_EQ(rows[i].at("Date"), p[4].str() + "/" + p[5].str() + "/" + p[6].str()) << i;
            EXPECT_EQ(rows[i].at("Time"), p[7].str()) << i;
            EXPECT_EQ(rows[i].at("FIX"), "\"" + p[9].str() + "\"") << i;
        }
        EXPECT_EQ(i, rows.size()) << "points written against points read";
    }
}

} // namespace
