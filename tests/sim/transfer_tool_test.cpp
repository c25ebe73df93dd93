// zor7700-transfer from the outside: whole transfers against the simulator on
// a pseudo-terminal, capture conversions, exit codes and messages.
#include "pty_client.h"
#include "support/simulator_process_posix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

struct ToolRun {
    int exitStatus;
    std::string output;
};

ToolRun runTool(const SimulatorProcess& sim, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), ZOR_TRANSFER_TOOL_PATH);
    ToolRun run{};
    run.exitStatus = runProgram(arguments, sim.environment(), 30000, run.output);
    return run;
}

std::vector<std::string> commandTexts(const SimulatorProcess& sim) {
    std::vector<std::string> texts;
    for (const std::string& line : sim.commands())
        texts.push_back(line.substr(line.find(' ') + 1));
    return texts;
}

long commandMs(const SimulatorProcess& sim, const std::string& text) {
    for (const std::string& line : sim.commands()) {
        if (line.substr(line.find(' ') + 1) == text)
            return std::atol(line.c_str());
    }
    return -1;
}

TEST(TransferTool, EndsEveryRunWithItsCodeAndTheWizardsMessage) {
    struct Row {
        const char* name;
        std::vector<std::string> simulator;
        std::vector<std::string> tool; // the output file is added behind
        int exitStatus;
        std::string message;
        bool fileWritten;
        std::vector<std::string> commands;
    };
    const std::vector<std::string> readOnly = {"$PZOR,V", "$PZOR,R"};
    const Row rows[] = {
        {"KML", {}, {"--kml"}, 0, "Output file successfully created.\n", true, readOnly},
        {"NMEA", {}, {"--nmea"}, 0, "Output file successfully created.\n", true, readOnly},
        {"second form of the version reply",
         {"--reply", "second"},
         {"--kml"},
         0,
         "Output file successfully created.\n",
         true,
         readOnly},
        {"wrong form of the version reply",
         {"--reply", "wrong"},
         {"--kml"},
         8,
         "No ZOR 7700 device detected.",
         false,
         {"$PZOR,V"}},
        {"version reply too late",
         {"--reply-delay", "1500"},
         {"--kml"},
         8,
         "No ZOR 7700 device detected.",
         false,
         {"$PZOR,V"}},
        {"empty log",
         {"--empty"},
         {"--kml"},
         9,
         "No tracks stored on the device.",
         false,
         readOnly},
        {"hang-up in the middle of the dump",
         {"--hangup-after", "40"},
         {"--kml"},
         3,
         "Error reading from Bluetooth device.",
         false,
         readOnly},
        {"dump falls silent",
         {"--silence-after", "40", "--no-chatter"},
         {"--kml"},
         3,
         "Error reading from Bluetooth device.",
         false,
         readOnly},
        {"output folder missing",
         {},
         {"--kml", "/nonexistent/folder/track.kml"},
         4,
         "Error opening output file.",
         false,
         readOnly},
        {"output device full",
         {},
         {"--kml", "/dev/full"},
         5,
         "Error writing to output file.",
         false,
         readOnly},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::vector<std::string> simulator = {"--fast", "--generate", "600"};
        simulator.insert(simulator.end(), row.simulator.begin(), row.simulator.end());
        std::string error;
        ASSERT_TRUE(sim.start(simulator, error)) << error;
        std::string output = sim.folder() + "/track";
        std::vector<std::string> tool = {"--port", std::to_string(sim.portNumber())};
        tool.insert(tool.end(), row.tool.begin(), row.tool.end());
        if (tool.back()[0] == '-')
            tool.push_back(output);
        ToolRun run = runTool(sim, tool);
        EXPECT_EQ(row.exitStatus, run.exitStatus) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(row.message)) << run.output;
        EXPECT_EQ(row.fileWritten, exists(output));
        EXPECT_EQ(row.commands, commandTexts(sim));
    }
}

TEST(TransferTool, WritesTracksThatMatchTheLog) {
    SimulatorProcess sim;
    std::string error;
    // 600 records, of which every 53rd has no fix: 589 positions.
    ASSERT_TRUE(sim.start({"--fast", "--generate", "600"}, error)) << error;
    std::string kml = sim.folder() + "/track.kml";
    std::string nmea = sim.folder() + "/track.nmea";
    ASSERT_EQ(0,
              runTool(sim, {"--port", std::to_string(sim.portNumber()), "--kml", kml}).exitStatus);
    ASSERT_EQ(
        0, runTool(sim, {"--port", std::to_string(sim.portNumber()), "--nmea", nmea}).exitStatus);

    std::string kmlText = fileText(kml);
    EXPECT_EQ(0u, kmlText.find("<?xml")) << kmlText.substr(0, 80);
    EXPECT_NE(std::string::npos, kmlText.find("2020-09-13 12:26:40")) << "the trip's first time";
    EXPECT_NE(std::string::npos, kmlText.find("</kml>"));

    std::vector<std::string> sentences = sentencesOf(fileText(nmea));
    EXPECT_EQ(589u, withPrefix(sentences, "$GPGGA,").size());
    EXPECT_EQ(589u, withPrefix(sentences, "$GPRMC,").size());
    EXPECT_EQ(2 * 589u, sentences.size());
    for (const std::string& sentence : sentences) {
        ASSERT_TRUE(hasValidChecksum(sentence)) << sentence;
    }
}

TEST(TransferTool, ErasesFiveSecondsAfterTheFileAndThenTheLogIsEmpty) {
    SimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.start({"--fast", "--generate", "60"}, error)) << error;
    std::string port = std::to_string(sim.portNumber());
    ToolRun erase = runTool(sim, {"--port", port, "--kml", sim.folder() + "/a.kml", "--erase"});
    EXPECT_EQ(0, erase.exitStatus) << erase.output;
    EXPECT_NE(std::string::npos,
              erase.output.find("Output file successfully created.\n\nDevice memory erased."))
        << erase.output;
    ASSERT_EQ((std::vector<std::string>{"$PZOR,V", "$PZOR,R", "$PZOR,C"}), commandTexts(sim));
    long pause = commandMs(sim, "$PZOR,C") - commandMs(sim, "$PZOR,R");
    EXPECT_GE(pause, 5000);
    EXPECT_LT(pause, 6500);

    ToolRun again = runTool(sim, {"--port", port, "--kml", sim.folder() + "/b.kml"});
    EXPECT_EQ(9, again.exitStatus) << again.output;
}

TEST(TransferTool, RawDumpConvertsToTheSameFiles) {
    SimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.start({"--fast", "--generate", "2000"}, error)) << error;
    std::string port = std::to_string(sim.portNumber());
    std::string folder = sim.folder() + "/";
    ASSERT_EQ(0,
              runTool(sim, {"--port", port, "--kml", folder + "live.kml", "--raw", folder + "raw"})
                  .exitStatus);
    ASSERT_EQ(0, runTool(sim, {"--port", port, "--nmea", folder + "live.nmea"}).exitStatus);
    EXPECT_NE(std::string::npos, fileText(folder + "raw").find("$PMTKLOX,2*47"));

    struct Row {
        const char* name;
        const char* format;
        std::string live;
    };
    const Row rows[] = {{"KML", "--kml", folder + "live.kml"},
                        {"NMEA", "--nmea", folder + "live.nmea"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string converted = folder + "converted";
        ToolRun run = runTool(sim, {"--capture", folder + "raw", row.format, converted});
        EXPECT_EQ(0, run.exitStatus) << run.output;
        EXPECT_TRUE(fileText(row.live) == fileText(converted)) << "differs from the live transfer";
    }
    EXPECT_EQ(4u, sim.commands().size()) << "two transfers; conversions never touch the device";
}

TEST(TransferTool, CaptureConversionCodes) {
    SimulatorProcess sim; // only for its private folder and environment
    std::string folder = sim.folder() + "/";
    std::ofstream(folder + "empty") << "$PMTKLOX,0,0*59\r\n$PMTKLOX,2*47\r\n";
    std::ofstream(folder + "noise") << "no sentences at all\n$GPGGA,1*00\r\n";
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        int exitStatus;
        std::string message;
    };
    const Row rows[] = {
        {"dump without positions",
         {"--capture", folder + "empty", "--kml", folder + "o"},
         9,
         "No tracks stored on the device."},
        {"file without a dump",
         {"--capture", folder + "noise", "--nmea", folder + "o"},
         9,
         "No tracks stored on the device."},
        {"capture missing",
         {"--capture", folder + "missing", "--kml", folder + "o"},
         66,
         "cannot read"},
        {"help", {"--help"}, 0, "--capture FILE"},
        {"no output", {"--port", "3"}, 64, "give --kml FILE or --nmea FILE"},
        {"two outputs",
         {"--port", "3", "--kml", "a", "--nmea", "b"},
         64,
         "bad or repeated --nmea b"},
        {"device and capture",
         {"--port", "3", "--capture", "c", "--kml", "a"},
         64,
         "give either --port or --capture"},
        {"erase without a device",
         {"--capture", "c", "--kml", "a", "--erase"},
         64,
         "--erase and --raw need a device"},
        {"port out of range", {"--port", "256", "--kml", "a"}, 64, "bad or repeated --port 256"},
        {"unknown option", {"--fast"}, 64, "unknown option --fast"},
        {"port list: the ports only, no placeholder item", {"--list-ports"}, 0, ""},
        {"port that names nothing",
         {"--port", "250", "--kml", folder + "o"},
         1,
         "Unable to open the Bluetooth connection."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ToolRun run = runTool(sim, row.arguments);
        EXPECT_EQ(row.exitStatus, run.exitStatus) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(row.message)) << run.output;
    }
    EXPECT_FALSE(exists(folder + "o")) << "no output file without a track";
}

// The percentages in the order shown, behind `marker` each.
std::vector<int> percentsAfter(const std::string& text, const std::string& marker) {
    std::vector<int> percents;
    for (size_t at = 0; (at = text.find(marker, at)) != std::string::npos;) {
        at += marker.size();
        percents.push_back(std::atoi(text.c_str() + at));
    }
    return percents;
}

TEST(TransferTool, ShowsRisingProgressAsABarOrAsPlainLines) {
    struct Row {
        const char* name;
        int columns;        // of the terminal; 0: a pipe
        std::string marker; // what comes before each percentage
        bool redraws;       // carriage returns in the output
    };
    const Row rows[] = {
        {"plain lines into a pipe", 0, "progress ", false},
        {"a bar redrawn in place on a terminal", 80, "] ", true},
        {"a shorter bar on a 30-column terminal", 30, "] ", true},
        {"the percentage alone on an 8-column terminal", 8, "\r", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::string error;
        ASSERT_TRUE(sim.start({"--generate", "300"}, error)) << error;
        std::string command = std::string(ZOR_TRANSFER_TOOL_PATH) + " --port " +
                              std::to_string(sim.portNumber()) + " --kml " + sim.folder() + "/t";
        // script(1) gives the tool a pseudo-terminal as its output, stty its width.
        std::vector<std::string> arguments = {"/bin/sh", "-c", command};
        if (row.columns > 0)
            arguments = {"/usr/bin/script", "-q", "-e", "-c",
                         "stty cols " + std::to_string(row.columns) + " && " + command, "/dev/null"};
        std::string output;
        ASSERT_EQ(0, runProgram(arguments, sim.environment(), 30000, output)) << output;
        // The terminal turns every LF into CR LF; only the redraws' own CRs count.
        for (size_t at; (at = output.find("\r\n")) != std::string::npos;)
            output.erase(at, 1);
        std::vector<int> percents = percentsAfter(output, row.marker);
        ASSERT_GE(percents.size(), 10u) << output;
        EXPECT_EQ(0, percents.front());
        EXPECT_EQ(100, percents.back());
        for (size_t i = 1; i < percents.size(); ++i)
            EXPECT_GT(percents[i], percents[i - 1]);
        EXPECT_EQ(row.redraws, output.find("\r") != std::string::npos) << output;
        // Every redraw stays short of the last column, so it never wraps.
        size_t widest = 0;
        for (size_t at = 0; (at = output.find('\r', at)) != std::string::npos; ++at)
            widest = std::max(widest, output.find_first_of("\r\n", at + 1) - at - 1);
        EXPECT_LT(widest, std::max<size_t>(row.columns, 1)) << output;
    }
}

} // namespace

namespace {

TEST(TransferTool, InterruptDuringTheDumpStopsWithCodeSeven) {
    SimulatorProcess sim;
    std::string error;
    // 500 paced lines take about 20 s; Ctrl+C comes after 1.5 s.
    ASSERT_TRUE(sim.start({"--generate", "3000"}, error)) << error;
    std::string output = sim.folder() + "/track.kml";
    std::string text;
    int status = runProgram({"/usr/bin/timeout", "--preserve-status", "-s", "INT", "1.5",
                             ZOR_TRANSFER_TOOL_PATH, "--port", std::to_string(sim.portNumber()),
                             "--kml", output},
                            sim.environment(), 10000, text);
    EXPECT_EQ(7, status) << text;
    EXPECT_NE(std::string::npos, text.find("Operation aborted.")) << text;
    EXPECT_FALSE(exists(output));
}

} // namespace
