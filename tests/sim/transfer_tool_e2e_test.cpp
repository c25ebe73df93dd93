// The built zor7700-transfer end to end against the simulator on a
// pseudo-terminal, with the program's real time limits: the erase after the
// real pause, the progress display on a terminal, Ctrl+C during the dump.
#include "tool_runs.h"
#include "support/simulator_process_posix.h"
#include "support/transfer_outcomes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

long commandMs(const SimulatorProcess& sim, const std::string& text) {
    for (const std::string& line : sim.commands()) {
        if (line.substr(line.find(' ') + 1) == text)
            return std::atol(line.c_str());
    }
    return -1;
}

// The program runs with the real limits: the erase follows the file by the
// whole 5000 ms pause it announces.
TEST(TransferToolProgram, ErasesFiveSecondsAfterTheFileAndThenTheLogIsEmpty) {
    SimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.start({"--fast", "--generate", "60"}, error)) << error;
    std::string port = std::to_string(sim.portNumber());
    ToolRun erase = runTool(sim, {"--port", port, "--kml", sim.folder() + "/a.kml", "--erase"});
    EXPECT_EQ(0, erase.exitStatus) << erase.output;
    EXPECT_NE(std::string::npos,
              erase.output.find("Erasing the logger's memory in 5 s; Ctrl+C keeps it.\n"))
        << erase.output;
    EXPECT_NE(std::string::npos,
              erase.output.find("Output file successfully created.\n\nDevice memory erased."))
        << erase.output;
    ASSERT_EQ((std::vector<std::string>{"$PZOR,V", "$PZOR,R", "$PZOR,C"}),
              reportedCommands(sim.commands()));
    long pause = commandMs(sim, "$PZOR,C") - commandMs(sim, "$PZOR,R");
    EXPECT_GE(pause, 5000);
    EXPECT_LT(pause, 6500);

    ToolRun again = runTool(sim, {"--port", port, "--kml", sim.folder() + "/b.kml"});
    EXPECT_EQ(9, again.exitStatus) << again.output;
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

TEST(TransferToolProgram, ShowsRisingProgressAsABarOrAsPlainLines) {
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
        ASSERT_TRUE(sim.start({"--fast", "--generate", "300"}, error)) << error;
        std::string command = std::string(ZOR_TRANSFER_TOOL_PATH) + " --port " +
                              std::to_string(sim.portNumber()) + " --kml " + sim.folder() + "/t";
        // script(1) gives the tool a pseudo-terminal as its output, stty its width.
        std::vector<std::string> arguments = {"/bin/sh", "-c", command};
        if (row.columns > 0)
            arguments = {"/usr/bin/script",
                         "-q",
                         "-e",
                         "-c",
                         "stty cols " + std::to_string(row.columns) + " && " + command,
                         "/dev/null"};
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

TEST(TransferToolProgram, InterruptDuringTheDumpStopsWithCodeSeven) {
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
    EXPECT_FALSE(std::filesystem::exists(output));
}

} // namespace
