#include "transfer_options.h"

#include "tools/common/option_help.h"

#include <initializer_list>
#include <string>

namespace {

constexpr int32_t kHighestPort = 255;

// Plain decimal digits only: a sign, a space or a hex prefix is a typo, not
// a port.
bool readPort(const std::string& text, int32_t& port) {
    if (text.empty() || text.size() > 3)
        return false;
    int32_t number = 0;
    for (char digit : text) {
        if (digit < '0' || digit > '9')
            return false;
        number = number * 10 + (digit - '0');
    }
    port = number;
    return number <= kHighestPort;
}

// The rates a module's port takes; 14400, which some modules know, is not a
// rate every serial driver sets.
bool readRate(const std::string& text, uint32_t& rate) {
    for (uint32_t known : {4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        if (text == std::to_string(known)) {
            rate = known;
            return true;
        }
    }
    return false;
}

bool readDevice(const std::string& text, DeviceChoice& choice) {
    const struct {
        const char* name;
        DeviceChoice choice;
    } kChoices[] = {{"auto", DeviceChoice::Auto},
                    {"zor", DeviceChoice::Zor7700},
                    {"locus", DeviceChoice::Module}};
    for (const auto& known : kChoices) {
        if (text == known.name) {
            choice = known.choice;
            return true;
        }
    }
    return false;
}

// Whole seconds a module's interval takes, plain digits only.
bool readSeconds(const std::string& text, int32_t& seconds) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    seconds = std::stoi(text);
    return seconds >= 1 && seconds <= 65535;
}

bool setOutput(TransferOptions& options, const std::string& path, TrackFormat format) {
    options.outputPath = path;
    options.trackFormat = format;
    return !path.empty();
}

struct OptionRow {
    const char* name;
    const char* valueName; // nullptr: a flag without a value
    const char* help;
    bool (*apply)(TransferOptions& options, const std::string& value);
    bool isFormat = false; // one output format per run
};

const OptionRow kOptions[] = {
    {"--port", "N", "read the logger on COM port N (0 to 255)",
     [](TransferOptions& o, const std::string& v) { return readPort(v, o.portNumber); }},
    {"--capture", "FILE",
     "convert a saved dump instead (a --raw file or any text holding the\n"
     "                        logger's $PMTKLOX sentences)",
     [](TransferOptions& o, const std::string& v) {
         o.capturePath = v;
         return !v.empty();
     }},
    {"--kml", "FILE", "write the track as a KML document",
     [](TransferOptions& o, const std::string& v) { return setOutput(o, v, TrackFormat::Kml); },
     true},
    {"--nmea", "FILE", "write the track as NMEA text ($GPGGA and $GPRMC)",
     [](TransferOptions& o, const std::string& v) { return setOutput(o, v, TrackFormat::Nmea); },
     true},
    {"--gpx", "FILE", "write the track as a GPX 1.1 document",
     [](TransferOptions& o, const std::string& v) { return setOutput(o, v, TrackFormat::Gpx); },
     true},
    {"--erase", nullptr,
     "erase the logger's memory once the whole log is safely written\n"
     "                        (never after a damaged dump)",
     [](TransferOptions& o, const std::string&) {
         o.erase = true;
         return true;
     }},
    {"--raw", "FILE", "also keep every byte of the dump, for a later --capture",
     [](TransferOptions& o, const std::string& v) {
         o.rawPath = v;
         return !v.empty();
     }},
    {"--device", "KIND",
     "the logger: zor (the ZOR 7700), locus (a LOCUS GPS module, sought\n"
     "                        at every line rate) or auto (the default: the ZOR 7700,\n"
     "                        then a module if the port talks)",
     [](TransferOptions& o, const std::string& v) { return readDevice(v, o.search.choice); }},
    {"--baud", "RATE", "a module's line rate (4800 to 115200): no search over the rates",
     [](TransferOptions& o, const std::string& v) { return readRate(v, o.search.lineRate); }},
    {"--status", nullptr, "only print the logger's status line, read nothing",
     [](TransferOptions& o, const std::string&) {
         o.status = true;
         return true;
     }},
    {"--start-logging", nullptr, "only start a module's logging",
     [](TransferOptions& o, const std::string&) {
         o.logging.start = true;
         return true;
     }},
    {"--stop-logging", nullptr, "only stop a module's logging",
     [](TransferOptions& o, const std::string&) {
         o.logging.stop = true;
         return true;
     }},
    {"--interval", "SECONDS", "only set a module's logging interval (1 to 65535 s)",
     [](TransferOptions& o, const std::string& v) {
         return readSeconds(v, o.logging.intervalSeconds);
     }},
    {"--list-ports", nullptr, "list the present COM ports as the wizard's port page shows them",
     [](TransferOptions& o, const std::string&) {
         o.listPorts = true;
         return true;
     }},
    {"--help", nullptr, "show this help",
     [](TransferOptions& o, const std::string&) {
         o.help = true;
         return true;
     }},
};

// The combinations that make a job; empty when the options are consistent.
std::string inconsistency(const TransferOptions& options) {
    bool fromDevice = options.portNumber >= 0;
    bool fromCapture = !options.capturePath.empty();
    if (fromDevice == fromCapture)
        return "give either --port or --capture";
    if (options.search.choice == DeviceChoice::Zor7700 && options.search.lineRate != 0)
        return "--baud is a LOCUS module's: the ZOR 7700 talks at 57600 baud";
    if (fromCapture && (options.managesDevice() || options.search.choice != DeviceChoice::Auto ||
                        options.search.lineRate != 0)) {
        return "--device, --baud, --status and the logging options need a device (--port)";
    }
    if (options.logging.start && options.logging.stop)
        return "--start-logging and --stop-logging: choose one";
    if (options.status && options.logging.any())
        return "--status and the logging options: choose one";
    if (options.managesDevice()) {
        if (!options.outputPath.empty() || options.erase || !options.rawPath.empty())
            return "--status and the logging options read no log: no output, --erase or --raw";
        return {};
    }
    if (options.outputPath.empty())
        return "give --kml FILE, --nmea FILE or --gpx FILE";
    if (fromCapture && (options.erase || !options.rawPath.empty())) {
        return "--erase and --raw need a device (--port)";
    }
    return {};
}

const OptionRow* findOption(const std::string& name) {
    for (const OptionRow& row : kOptions) {
        if (name == row.name)
            return &row;
    }
    return nullptr;
}

// Why the option cannot come now, given those before it; empty when it can.
std::string refusal(const OptionRow& row, const std::vector<const OptionRow*>& given) {
    for (const OptionRow* earlier : given) {
        if (earlier == &row)
            return std::string("repeated ") + row.name;
        if (earlier->isFormat && row.isFormat)
            return std::string(earlier->name) + " and " + row.name + ": choose one";
    }
    return {};
}

} // namespace

bool parseTransferOptions(const std::vector<std::string>& arguments, TransferOptions& options,
                          std::string& error) {
    std::vector<const OptionRow*> given;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const OptionRow* row = findOption(arguments[i]);
        if (row == nullptr) {
            error = "unknown option " + arguments[i];
            return false;
        }
        error = refusal(*row, given);
        if (!error.empty())
            return false;
        given.push_back(row);
        std::string value;
        if (row->valueName != nullptr) {
            if (i + 1 >= arguments.size()) {
                error = std::string(row->name) + " needs " + row->valueName;
                return false;
            }
            value = arguments[++i];
        }
        if (!row->apply(options, value)) {
            error = std::string("bad ") + row->name + (value.empty() ? "" : " " + value);
            return false;
        }
    }
    if (options.listPorts && given.size() > 1) {
        error = "--list-ports takes no other option";
        return false;
    }
    if (options.help || options.listPorts)
        return true;
    error = inconsistency(options);
    return error.empty();
}

std::string transferUsage() {
    std::string text =
        "Usage: zor7700-transfer --port N (--kml FILE | --nmea FILE | --gpx FILE) [--erase]\n"
        "                        [--raw FILE] [--device KIND] [--baud RATE]\n"
        "  or:  zor7700-transfer --port N (--status | --start-logging | --stop-logging |\n"
        "                        --interval SECONDS) [--device KIND] [--baud RATE]\n"
        "  or:  zor7700-transfer --capture FILE (--kml FILE | --nmea FILE | --gpx FILE)\n"
        "  or:  zor7700-transfer --list-ports\n"
        "Reads the track log of a ZOR 7700 logger or a LOCUS GPS module (or a saved dump\n"
        "of one) and writes it as KML, NMEA text or GPX, the same way the wizard does.\n\n";
    for (const OptionRow& row : kOptions)
        text += optionHelpLine(row.name, row.valueName, row.help);
    text += "\nFILE - is standard output (for one of the outputs at most); a FIFO or a\n"
            "device is written directly. Any other file is replaced only once it is\n"
            "complete, so a run that fails leaves an earlier file as it was. Progress and\n"
            "every message go to standard error.\n";
    text += "\nOn Linux, COM numbers name serial devices: links comN in\n"
            "$XDG_CONFIG_HOME/ZOR/ports (default ~/.config/ZOR/ports) first, then /dev/ttyS<n>\n"
            "as COM<n+1>, ttyUSB<n> as COM<33+n>, ttyACM<n> as COM<65+n>, rfcomm<n> as COM<97+n>.\n"
            "\nExit status: 0 success; 1 the port cannot be opened; 2 a command cannot be\n"
            "sent; 3 reading failed or the logger fell silent; 4 the output file cannot be\n"
            "created; 5 it cannot be written (a full disk, a closed pipe); 6 the transfer\n"
            "could not start; 7 stopped (Ctrl+C, SIGTERM, a hang-up); 8 no logger\n"
            "answered; 9 the log holds no position; 10 the file was written from a damaged\n"
            "dump and the logger's memory was kept (transfer again for the rest); 11 the\n"
            "file was written but the module did not confirm the erase; 12 the ZOR 7700 has\n"
            "no logging commands; 13 the module refused a command or did not confirm it;\n"
            "64 wrong command line; 66 the capture cannot be read.\n";
    return text;
}
