// zor7700-transfer against the simulator on a pseudo-terminal: whole
// transfers, capture conversions, exit codes and messages, with the tool
// called in-process in fast time (kFastLimits); a signal gets the built
// program. transfer_tool_e2e_test.cpp runs the built program alone.
#include "pty_client.h"
#include "tool_runs.h"
#include "app/main_dlg.h"
#include "support/fake_wizard_view.h"
#include "support/scoped_environment_posix.h"
#include "support/simulator_process_posix.h"
#include "support/temp_folder.h"
#include "support/transfer_outcomes.h"
#include "support/wide_text.h"
#include "tools/common/log_encoder.h"

#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> commandTexts(const SimulatorProcess& sim) {
    return reportedCommands(sim.commands());
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
        // What standard output holds, in part; messages never go there.
        const char* standardOutput = nullptr;
    };
    const std::vector<std::string> readOnly = {"$PZOR,V", "$PZOR,R"};
    const std::vector<std::string> module = {"--device", "locus", "--chatter-every", "20"};
    auto withModule = [&module](std::vector<std::string> more) {
        more.insert(more.begin(), module.begin(), module.end());
        return more;
    };
    const Row rows[] = {
        {"KML", {}, {"--kml"}, 0, "Output file successfully created.\n", true, readOnly},
        {"NMEA", {}, {"--nmea"}, 0, "Output file successfully created.\n", true, readOnly},
        {"GPX", {}, {"--gpx"}, 0, "Output file successfully created.\n", true, readOnly},
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
         {"--reply-delay", "1500", "--no-chatter"},
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
        {"output folder missing: the device is not even asked",
         {},
         {"--kml", "/nonexistent/folder/track.kml"},
         4,
         "Error opening output file.",
         false,
         {}},
        {"raw folder missing: the device is not even asked",
         {},
         {"--raw", "/nonexistent/raw", "--kml"},
         4,
         "Error opening output file.",
         false,
         {}},
        {"output device full",
         {},
         {"--kml", "/dev/full"},
         5,
         "Error writing to output file.",
         false,
         readOnly},
        {"KML to standard output, the messages apart",
         {},
         {"--kml", "-"},
         0,
         "Output file successfully created.\n",
         false,
         readOnly,
         "</Document>\r\n</kml>\r\n"},
        {"the raw dump to standard output",
         {},
         {"--raw", "-", "--gpx"},
         0,
         "Output file successfully created.\n",
         true,
         readOnly,
         "$PMTKLOX,2*47\r\n"},
        {"a module's status line, alone on standard output",
         module,
         {"--status", "--device", "locus"},
         0,
         "",
         false,
         {"$PMTK605", "$PMTK183"},
         "PA6H LOCUS logger: 600 positions stored, memory 7 % used, logging every 15 s\n"},
        {"a module's logging started",
         module,
         {"--start-logging", "--device", "locus"},
         0,
         "Logging started.\n",
         false,
         {"$PMTK605", "$PMTK183", "$PMTK185,0"}},
        {"an interval the module refuses: exit 13 with the flag",
         withModule({"--ack", "187=2"}),
         {"--interval", "30", "--device", "locus"},
         13,
         "the logger refused $PMTK187 (flag 2: valid but failed)",
         false,
         {"$PMTK605", "$PMTK183", "$PMTK187,1,30"}},
        {"logging commands for a ZOR 7700: exit 12",
         {},
         {"--stop-logging", "--device", "zor"},
         12,
         "the ZOR 7700 has no logging commands",
         false,
         {"$PZOR,V"}},
        {"an erase the module does not confirm: the file, exit 11",
         withModule({"--ack", "184=2"}),
         {"--erase", "--device", "locus", "--kml"},
         11,
         "The logger did not confirm the erase.",
         true,
         {"$PMTK605", "$PMTK183", "$PMTK251,115200", "$PMTK000", "$PMTK622,1", "$PMTK184,1",
          "$PMTK251,9600", "$PMTK000"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::vector<std::string> simulator = {"--fast", "--generate", "600"};
        simulator.insert(simulator.end(), row.simulator.begin(), row.simulator.end());
        std::string error;
        ASSERT_TRUE(sim.start(fastDeviceOptions(simulator), error)) << error;
        std::string output = sim.folder() + "/track";
        std::vector<std::string> tool = {"--port", std::to_string(sim.portNumber())};
        tool.insert(tool.end(), row.tool.begin(), row.tool.end());
        if (tool.back().rfind("--", 0) == 0)
            tool.push_back(output);
        ToolRun run = runToolInProcess(sim, tool);
        EXPECT_EQ(row.exitStatus, run.exitStatus) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(row.message)) << run.output;
        if (row.standardOutput == nullptr) {
            EXPECT_EQ("", run.standardOutput);
        } else {
            EXPECT_NE(std::string::npos, run.standardOutput.find(row.standardOutput));
        }
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
    const std::string port = std::to_string(sim.portNumber());
    ASSERT_EQ(0, runToolInProcess(sim, {"--port", port, "--kml", kml}).exitStatus);
    ASSERT_EQ(0, runToolInProcess(sim, {"--port", port, "--nmea", nmea}).exitStatus);

    std::string kmlText = readFile(kml);
    EXPECT_EQ(0u, kmlText.find("<?xml")) << kmlText.substr(0, 80);
    EXPECT_NE(std::string::npos, kmlText.find("2020-09-13 12:26:40")) << "the trip's first time";
    EXPECT_NE(std::string::npos, kmlText.find("</kml>"));

    std::vector<std::string> sentences = sentencesOf(readFile(nmea));
    EXPECT_EQ(589u, withPrefix(sentences, "$GPGGA,").size());
    EXPECT_EQ(589u, withPrefix(sentences, "$GPRMC,").size());
    EXPECT_EQ(2 * 589u, sentences.size());
    for (const std::string& sentence : sentences) {
        ASSERT_TRUE(hasValidChecksum(sentence)) << sentence;
    }
}

TEST(TransferTool, RawDumpConvertsToTheSameFiles) {
    SimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.start({"--fast", "--generate", "2000"}, error)) << error;
    std::string port = std::to_string(sim.portNumber());
    std::string folder = sim.folder() + "/";
    ASSERT_EQ(0, runToolInProcess(
                     sim, {"--port", port, "--kml", folder + "live.kml", "--raw", folder + "raw"})
                     .exitStatus);
    ASSERT_EQ(0,
              runToolInProcess(sim, {"--port", port, "--nmea", folder + "live.nmea"}).exitStatus);
    ASSERT_EQ(0, runToolInProcess(sim, {"--port", port, "--gpx", folder + "live.gpx"}).exitStatus);
    EXPECT_NE(std::string::npos, readFile(folder + "raw").find("$PMTKLOX,2*47"));

    struct Row {
        const char* name;
        const char* format;
        std::string live;
    };
    const Row rows[] = {{"KML", "--kml", folder + "live.kml"},
                        {"NMEA", "--nmea", folder + "live.nmea"},
                        {"GPX", "--gpx", folder + "live.gpx"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string converted = folder + "converted";
        ToolRun run = runToolInProcess(sim, {"--capture", folder + "raw", row.format, converted});
        EXPECT_EQ(0, run.exitStatus) << run.output;
        EXPECT_TRUE(readFile(row.live) == readFile(converted)) << "differs from the live transfer";
    }
    EXPECT_EQ(6u, sim.commands().size()) << "three transfers; conversions never touch the device";
}

// Two lines of six positions as the device sends them, with the line ends
// given instead of its CR LF.
std::string savedDump(const std::string& lineEnd, bool withEnd = true) {
    std::array<uint8_t, 96> bytes{};
    for (size_t k = 0; k < 6; ++k) {
        std::array<uint8_t, 16> record = encodeRecord({1600000000u, 3, 48.5f, 11.25f, 520});
        std::copy(record.begin(), record.end(), bytes.begin() + static_cast<long>(16 * k));
    }
    std::string dump = dumpStartSentence(2) + dumpDataSentence(0, bytes.data(), 24) +
                       dumpDataSentence(1, bytes.data(), 24) + (withEnd ? dumpEndSentence() : "");
    for (size_t at = 0; (at = dump.find("\r\n", at)) != std::string::npos; at += lineEnd.size())
        dump.replace(at, 2, lineEnd);
    return dump;
}

TEST(TransferTool, CaptureConversionCodes) {
    SimulatorProcess sim; // only for its private folder and environment
    std::string folder = sim.folder() + "/";
    std::ofstream(folder + "empty") << "$PMTKLOX,0,0*59\r\n$PMTKLOX,2*47\r\n";
    std::ofstream(folder + "noise") << "no sentences at all\n$GPGGA,1*00\r\n";
    std::ofstream(folder + "lf") << savedDump("\n");
    std::ofstream(folder + "cr") << savedDump("\r");
    std::ofstream(folder + "crcrlf") << savedDump("\r\r\n");
    std::ofstream(folder + "no-end") << savedDump("\r\n", false);
    std::filesystem::create_symlink(folder + "lf", folder + "link");
    const char* written = "Output file successfully created.";
    struct Row {
        const char* name;
        const char* arguments; // split at spaces; F/ stands for the private folder
        int exitStatus;
        const char* message;
    };
    const Row rows[] = {
        {"dump without positions", "--capture F/empty --kml F/o", 9,
         "No tracks stored on the device."},
        {"file without a dump", "--capture F/noise --nmea F/o", 9,
         "No tracks stored on the device."},
        {"capture missing", "--capture F/missing --kml F/o", 66, "cannot read"},
        {"LF line ends", "--capture F/lf --kml F/x", 0, written},
        {"CR line ends", "--capture F/cr --kml F/x", 0, written},
        {"CR CR LF line ends", "--capture F/crcrlf --kml F/x", 0, written},
        {"a dump without its end: written, exit 10", "--capture F/no-end --kml F/x", 10,
         "The end of the log dump did not arrive intact."},
        {"output over the capture, through a link", "--capture F/lf --kml F/link", 64,
         "the output would overwrite the --capture file"},
        {"raw and output the same file, spelled apart", "--port 3 --kml F/new --raw F/./new", 64,
         "--raw and the output name the same file"},
        {"help", "--help", 0, "--capture FILE"},
        {"no output", "--port 3", 64, "give --kml FILE, --nmea FILE or --gpx FILE"},
        {"two formats", "--port 3 --gpx a --kml b", 64, "--gpx and --kml: choose one"},
        {"two outputs", "--port 3 --kml a --nmea b", 64, "--kml and --nmea: choose one"},
        {"a rate for the ZOR 7700", "--port 3 --device zor --baud 9600 --kml a", 64,
         "--baud is a LOCUS module's"},
        {"a status run reads no log", "--port 3 --status --kml a", 64,
         "--status and the logging options read no log"},
        {"repeated --port", "--port 3 --port 9 --kml a", 64, "repeated --port"},
        {"repeated --erase", "--port 3 --kml a --erase --erase", 64, "repeated --erase"},
        {"device and capture", "--port 3 --capture c --kml a", 64,
         "give either --port or --capture"},
        {"erase without a device", "--capture c --kml a --erase", 64,
         "--erase and --raw need a device"},
        {"port out of range", "--port 256 --kml a", 64, "bad --port 256"},
        {"port with a sign", "--port +3 --kml a", 64, "bad --port +3"},
        {"unknown option", "--fast", 64, "unknown option --fast"},
        {"port list: the ports only, no placeholder item", "--list-ports", 0, ""},
        {"port list and more", "--list-ports --port 3", 64, "--list-ports takes no other option"},
        {"port that names nothing", "--port 250 --kml F/o", 1,
         "Unable to open the Bluetooth connection."},
        {"port that names nothing says why", "--port 250 --kml F/o", 1,
         "zor7700-transfer: COM250 names no serial device\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> arguments = words(row.arguments);
        for (std::string& argument : arguments) {
            if (argument.rfind("F/", 0) == 0)
                argument = folder + argument.substr(2);
        }
        ToolRun run = runToolInProcess(sim, arguments);
        EXPECT_EQ(row.exitStatus, run.exitStatus) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(row.message)) << run.output;
    }
    EXPECT_FALSE(exists(folder + "o")) << "no output file without a track";
}

// The wizard on a fake view with the real worker, as a user drives it: the
// simulator's port, OUT as a KML file, the erase box as `options` says, Next;
// with `cancel`, Cancel answered Yes as soon as the erase is announced.
// Returns the page it ends on; `warnings` gets the warnings it showed.
int runWizard(const SimulatorProcess& sim, const std::string& out, const std::string& options,
              bool cancel, std::string& warnings) {
    // The worker finds the port, the wizard keeps its settings, in the
    // simulator's private folder, for this run only.
    ScopedEnvironment config({{"XDG_CONFIG_HOME", sim.configHome()}});
    FakeWizardView view;
    auto wizard = std::make_unique<CMainDlg>(view);
    view.RunModal(*wizard);
    view.Click(*wizard, IDC_NEXT);
    view.SelectPort(*wizard, sim.portNumber());
    view.Click(*wizard, IDC_NEXT);
    view.saveReplies.push_back({std::u16string(out.begin(), out.end()), TrackFormat::Kml});
    view.checked[IDC_ERASE_CHECK] = options.find("--erase") != std::string::npos;
    view.yesNoAnswers = {true};
    PostedReport report{};
    bool ended = false;
    while (!ended && view.workerReports.waitNext(report, 30000)) {
        ended = isFinalReport(report.wParam);
        view.Report(*wizard, report.wParam, report.lParam);
        if (report.wParam == kReportDeviceFound) {
            view.ClickPageControl(*wizard, IDC_BROWSE);
            view.Click(*wizard, IDC_NEXT);
        }
        if (report.wParam == kReportErasePending && cancel)
            view.Click(*wizard, IDC_CANCEL);
    }
    for (const std::u16string& warning : view.warnings)
        warnings += narrowText(warning);
    return view.ShownPage();
}

// The device loses its memory only when the whole log is safely on disk and
// nobody said stop. Each row drives the tool or the wizard against the
// simulator, with earlier OUT and RAW files in place (RAW a link to another
// file), and checks what the device received and what is on disk after.
TEST(TransferEndToEnd, TheMemoryGoesOnlyWithTheWholeLogSafeAndNoStop) {
    const char* fast = "--fast --generate 600"; // 100 lines
    const char* pause = "Erasing the logger's memory in 5 s; Ctrl+C keeps it.";
    // In fast time the pause is shorter than the 5 s the program announces.
    const char* pauseAnnounced = "Erasing the logger's memory in ";
    const char* damaged = "10 of the 100 log lines announced by the device did not arrive intact.";
    enum Raw { NoRaw, RawKept, RawReplaced };
    struct Row {
        const char* name;
        std::string simulator;
        const char* run;      // the tool's options (OUT, RAW: the files), or "wizard [--erase]"
        const char* stopCue;  // the stop comes once the output holds this; the wizard's Cancel
        int signal;           // with the erase's announcement
        int result;           // the tool's exit status, or the wizard's last page
        std::string message;  // in the tool's output, or the wizard's warnings
        const char* commands; // received: "V R C" for $PZOR,V $PZOR,R $PZOR,C, a module's by text
        bool outputWritten;
        Raw raw;
        FileTrouble trouble = FileTrouble::None;
    };
    const Row rows[] = {
        {"a whole log: both files written, then erased", fast, "--kml OUT --raw RAW --erase", "", 0,
         0, pauseAnnounced, "V R C", true, RawReplaced},
        {"Ctrl+C in the pause keeps the memory", fast, "--kml OUT --raw RAW --erase", pause, SIGINT,
         7, "Operation aborted.", "V R", true, RawReplaced},
        {"SIGTERM in the pause keeps the memory", fast, "--nmea OUT --erase", pause, SIGTERM, 7,
         "Operation aborted.", "V R", true, NoRaw},
        {"the wizard's Cancel in the pause keeps the memory", fast, "wizard --erase", pause, 0,
         TransferPage, "", "V R", true, NoRaw},
        {"a damaged dump with --erase: the rest written, the memory kept",
         std::string(fast) + " --corrupt-every 10", "--kml OUT --raw RAW --erase", "", 0, 10,
         damaged, "V R", true, RawReplaced},
        {"a damaged dump without --erase ends the same", std::string(fast) + " --drop-line 0",
         "--nmea OUT", "", 0, 10, "1 of the 100 log lines", "V R", true, NoRaw},
        {"the wizard on a damaged dump: success page and a warning",
         std::string(fast) + " --corrupt-every 10", "wizard --erase", "", 0, SuccessPage,
         std::string(damaged) +
             "\n\nThe output file holds the positions that did arrive. The "
             "device memory was kept: transfer again to get the missing positions.",
         "V R", true, NoRaw},
        {"every line damaged: error 3 with the count", std::string(fast) + " --corrupt-every 1",
         "--kml OUT --erase", "", 0, 3,
         "100 of the 100 log lines announced by the device did not arrive intact.", "V R", false,
         NoRaw},
        {"a dump without its end sentence: error 3, nothing written",
         std::string(fast) + " --silence-after 100 --no-chatter", "--kml OUT --raw RAW --erase", "",
         0, 3, "The end of the log dump did not arrive intact.", "V R", false, RawKept},
        {"--raw /dev/full with --erase: error 5, the memory kept", fast,
         "--kml OUT --raw /dev/full --erase", "", 0, 5, "Error writing to output file.", "V R",
         true, NoRaw},
        {"no device: the earlier files stay", "--reply none --no-chatter", "--kml OUT --raw RAW",
         "", 0, 8, "No ZOR 7700 device detected.", "V", false, RawKept},
        {"Ctrl+C in the dump: the earlier files stay", "--generate 600",
         "--kml OUT --raw RAW --erase", "progress 10%", SIGINT, 7, "Operation aborted.", "V R",
         false, RawKept},
        {"the wizard reads a module and erases it",
         std::string(fast) + " --device locus "
                             "--chatter-every 20",
         "wizard --erase", "", 0, SuccessPage, "",
         "PMTK605 PMTK183 PMTK251,115200 PMTK000 PMTK622,1 PMTK184,1 PMTK251,9600 PMTK000", true,
         NoRaw},
        {"a hang-up in the dump: the earlier files stay", "--generate 600",
         "--kml OUT --raw RAW --erase", "progress 10%", SIGHUP, 7, "Operation aborted.", "V R",
         false, RawKept},
        {"a disk that fills up: the earlier track stays whole", fast, "--kml OUT --erase", "", 0, 5,
         "Error writing to output file.", "V R", false, NoRaw, FileTrouble::DiskFillsUp},
        {"standard output's reader gone: error 5, the memory kept", fast, "--gpx - --erase", "", 0,
         5, "Error writing to output file.", "V R", false, NoRaw, FileTrouble::ReaderGone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatorProcess sim;
        std::string error;
        ASSERT_TRUE(sim.start(words(row.simulator), error)) << error;
        const std::string folder = sim.folder() + "/files", out = folder + "/track";
        std::filesystem::create_directory(folder);
        std::ofstream(out) << "earlier track\n";
        std::ofstream(folder + "/raw.dump") << "earlier dump\n";
        std::filesystem::create_symlink("raw.dump", folder + "/raw");
        std::vector<std::string> run = words(row.run);
        std::string message;
        int result = 0;
        if (run[0] == "wizard") {
            result = runWizard(sim, out, row.run, *row.stopCue != 0, message);
            EXPECT_EQ(row.message.empty(), message.empty()) << message;
        } else {
            std::vector<std::string> tool = {"--port", std::to_string(sim.portNumber())};
            for (const std::string& word : run)
                tool.push_back(word == "OUT" ? out : word == "RAW" ? folder + "/raw" : word);
            // A signal needs a process of its own, and the real pause to land in.
            ToolRun done = row.signal != 0 ? runTool(sim, tool, row.stopCue, row.signal)
                                           : runToolInProcess(sim, tool, row.trouble);
            result = done.exitStatus;
            message = done.output;
        }
        EXPECT_EQ(row.result, result) << message;
        EXPECT_NE(std::string::npos, message.find(row.message)) << message;
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // a command on its way lands
        std::string received;
        for (const std::string& text : commandTexts(sim)) {
            const bool zor = text.rfind("$PZOR,", 0) == 0;
            received += (received.empty() ? "" : " ") + text.substr(zor ? 6 : 1);
        }
        EXPECT_EQ(row.commands, received);
        const std::string track = readFile(out);
        EXPECT_EQ(row.outputWritten, track != "earlier track\n" && !track.empty()) << track;
        EXPECT_TRUE(std::filesystem::is_symlink(folder + "/raw"));
        const std::string raw = readFile(folder + "/raw.dump");
        if (row.raw != NoRaw) {
            EXPECT_EQ(row.raw == RawReplaced, raw.find("$PMTKLOX,2*47") != std::string::npos);
            EXPECT_EQ(row.raw == RawKept, raw == "earlier dump\n");
        }
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ((std::vector<std::string>{"raw", "raw.dump", "track"}), names);
    }
}

} // namespace
