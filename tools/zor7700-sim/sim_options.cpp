#include "sim_options.h"

#include "tools/common/log_encoder.h"
#include "tools/common/option_help.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>

namespace {

bool readNumber(const char* text, int32_t minimum, int32_t maximum, int32_t& value) {
    errno = 0;
    char* end = nullptr;
    long number = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || number < minimum || number > maximum) {
        return false;
    }
    value = static_cast<int32_t>(number);
    return true;
}

bool readReply(const char* text, VersionReply& reply) {
    static const struct {
        const char* name;
        VersionReply reply;
    } kForms[] = {
        {"first", VersionReply::FirstForm}, {"second", VersionReply::SecondForm},
        {"wrong", VersionReply::WrongForm}, {"bad-checksum", VersionReply::BadChecksum},
        {"none", VersionReply::None},
    };
    for (const auto& form : kForms) {
        if (std::strcmp(text, form.name) == 0) {
            reply = form.reply;
            return true;
        }
    }
    return false;
}

bool readDevice(const char* text, DeviceKind& device) {
    if (std::strcmp(text, "zor") != 0 && std::strcmp(text, "locus") != 0)
        return false;
    device = std::strcmp(text, "zor") == 0 ? DeviceKind::Zor : DeviceKind::Locus;
    return true;
}

bool readBaud(const char* text, uint32_t& baud) {
    int32_t value = 0;
    if (!readNumber(text, 0, 1000000, value) || !isModuleRate(static_cast<uint32_t>(value)))
        return false;
    baud = static_cast<uint32_t>(value);
    return true;
}

// Hexadecimal with 0x, or decimal. A layout with more records to a sector
// than the header's bitmap has bits is one no module can write.
bool readContent(const char* text, uint32_t& content) {
    errno = 0;
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 0);
    if (errno != 0 || end == text || *end != 0 || *text == '-' || value > 0xFFFFFFFFul)
        return false;
    content = static_cast<uint32_t>(value);
    return recordsPerSector(recordLayout(content)) <= kSlotBitmapBytes * 8;
}

// "COMMAND=FLAG", the flag 0 to 3 or "none".
bool readAcknowledgement(const char* text, std::map<int32_t, int32_t>& flags) {
    static const int32_t kCommands[] = {0, 183, 184, 185, 187, 251, 622};
    const char* equals = std::strchr(text, '=');
    if (equals == nullptr)
        return false;
    int32_t command = -1;
    int32_t flag = kNoAcknowledgement;
    if (!readNumber(std::string(text, equals).c_str(), 0, 999, command) ||
        std::find(std::begin(kCommands), std::end(kCommands), command) == std::end(kCommands) ||
        (std::strcmp(equals + 1, "none") != 0 && !readNumber(equals + 1, 0, 3, flag))) {
        return false;
    }
    flags[command] = flag;
    return true;
}

bool setLog(SimOptions& options, LogSource source, const char* path) {
    options.logSource = source;
    options.logPath = path;
    return true;
}

constexpr int32_t kMaxLine = 1 << 20;

struct OptionRow {
    const char* name;
    const char* valueName; // nullptr: a flag without a value
    const char* help;
    bool (*apply)(SimOptions& options, const char* value);
    // The one logger the option means something for, if only one.
    std::optional<DeviceKind> only = std::nullopt;
};

const OptionRow kOptions[] = {
    {"--device", "KIND", "zor: a ZOR 7700 (default); locus: a LOCUS GPS module",
     [](SimOptions& o, const char* v) { return readDevice(v, o.device); }},
    {"--port", "N", "register as COM port N (default: the lowest free number)",
     [](SimOptions& o, const char* v) { return readNumber(v, 0, 255, o.portNumber); }},
    {"--reply", "FORM", "version reply: first (default), second, wrong, bad-checksum or none",
     [](SimOptions& o, const char* v) { return readReply(v, o.reply); }, DeviceKind::Zor},
    {"--reply-delay", "MS", "answer the version query MS milliseconds late",
     [](SimOptions& o, const char* v) {
         int32_t ms = 0;
         bool ok = readNumber(v, 0, 600000, ms);
         o.replyDelayMs = static_cast<uint32_t>(ms);
         return ok;
     },
     DeviceKind::Zor},
    {"--model", "NAME", "module: the model its $PMTK605 reply names: PA6H (default), L80, L86, ...",
     [](SimOptions& o, const char* v) {
         o.module.model = v;
         return !o.module.model.empty() && o.module.model.find_first_of(",*$") == std::string::npos;
     },
     DeviceKind::Locus},
    {"--baud", "RATE", "module: its line rate, 4800 to 115200 (default 9600)",
     [](SimOptions& o, const char* v) { return readBaud(v, o.module.baud); }, DeviceKind::Locus},
    {"--content", "MASK", "module: its record layout, e.g. 0x1F (default), 0x7F, 0x147F",
     [](SimOptions& o, const char* v) { return readContent(v, o.module.content); },
     DeviceKind::Locus},
    {"--no-status", nullptr, "module fault: no reply at all to $PMTK183 (log status)",
     [](SimOptions& o, const char*) {
         o.module.statusReply = false;
         return true;
     },
     DeviceKind::Locus},
    {"--ack", "CMD=FLAG",
     "module fault: acknowledge CMD (0 183 184 185 187 251 622) with FLAG 0-3 or none",
     [](SimOptions& o, const char* v) { return readAcknowledgement(v, o.module.acknowledgements); },
     DeviceKind::Locus},
    {"--restart-after-erase", nullptr,
     "module: after the erase, 500 ms of silence, then $PMTK011 and $PMTK010",
     [](SimOptions& o, const char*) {
         o.module.restartAfterErase = true;
         return true;
     },
     DeviceKind::Locus},
    {"--refuse-rate", nullptr, "module fault: ignore $PMTK251 (rate change)",
     [](SimOptions& o, const char*) {
         o.module.refuseRate = true;
         return true;
     },
     DeviceKind::Locus},
    {"--fast", nullptr, "send as fast as the line takes it instead of at the line rate's pace",
     [](SimOptions& o, const char*) {
         o.fast = true;
         return true;
     }},
    {"--no-chatter", nullptr, "keep quiet between commands (no $GPGGA/$GPRMC every second)",
     [](SimOptions& o, const char*) {
         o.chatter = false;
         return true;
     }},
    {"--chatter-every", "MS", "chatter every MS milliseconds instead of every second",
     [](SimOptions& o, const char* v) {
         int32_t ms = 0;
         const bool ok = readNumber(v, 1, 600000, ms);
         o.chatterEveryMs = static_cast<uint32_t>(ms);
         return ok;
     }},
    {"--capture", "FILE", "log memory: the $PMTKLOX data lines of a saved dump",
     [](SimOptions& o, const char* v) { return setLog(o, LogSource::Capture, v); }},
    {"--gpx", "FILE", "log memory: the track points of a GPX file",
     [](SimOptions& o, const char* v) { return setLog(o, LogSource::Gpx, v); }},
    {"--records", "FILE",
     "log memory: records, one \"TIME FIX LAT LON HEIGHT [SPEED HEADING HDOP SATS]\" a line",
     [](SimOptions& o, const char* v) { return setLog(o, LogSource::Records, v); }},
    {"--generate", "N", "log memory: a generated trip of N records with gaps",
     [](SimOptions& o, const char* v) {
         o.logSource = LogSource::Generated;
         return readNumber(v, 1, 10000000, o.generateRecords);
     }},
    {"--empty", nullptr, "log memory: empty",
     [](SimOptions& o, const char*) { return setLog(o, LogSource::Empty, ""); }},
    {"--report", "FILE", "write every command received as \"MS TEXT\" lines to FILE",
     [](SimOptions& o, const char* v) {
         o.reportPath = v;
         return !o.reportPath.empty();
     }},
    {"--wine", nullptr, "also register the port as COMn in the Wine prefix (WINEPREFIX or ~/.wine)",
     [](SimOptions& o, const char*) {
         o.wine = true;
         return true;
     }},
    {"--wine-prefix", "DIR", "also register the port as COMn in the Wine prefix DIR",
     [](SimOptions& o, const char* v) {
         o.winePrefix = v;
         o.wine = true;
         return !o.winePrefix.empty();
     }},
    {"--silence-after", "N", "fault: fall silent after N data lines of a dump",
     [](SimOptions& o, const char* v) {
         return readNumber(v, 0, kMaxLine, o.faults.silenceAfter);
     }},
    {"--hangup-after", "N", "fault: close the line after N data lines of a dump",
     [](SimOptions& o, const char* v) { return readNumber(v, 0, kMaxLine, o.faults.hangUpAfter); }},
    {"--corrupt-every", "K", "fault: every K-th data line carries a wrong checksum",
     [](SimOptions& o, const char* v) {
         return readNumber(v, 1, kMaxLine, o.faults.corruptEvery);
     }},
    {"--drop-line", "N", "fault: data line N is not sent",
     [](SimOptions& o, const char* v) { return readNumber(v, 0, kMaxLine, o.faults.dropLine); }},
    {"--repeat-line", "N", "fault: data line N is sent twice",
     [](SimOptions& o, const char* v) { return readNumber(v, 0, kMaxLine, o.faults.repeatLine); }},
    {"--swap-line", "N", "fault: data line N is sent after line N+1",
     [](SimOptions& o, const char* v) { return readNumber(v, 0, kMaxLine, o.faults.swapLine); }},
    {"--short-final-line", nullptr, "fault: the last data line carries 16 words instead of 24",
     [](SimOptions& o, const char*) {
         o.faults.shortFinalLine = true;
         return true;
     }},
    {"--help", nullptr, "show this help",
     [](SimOptions& o, const char*) {
         o.help = true;
         return true;
     }},
};

} // namespace

bool isModuleRate(uint32_t baud) {
    static const uint32_t kRates[] = {4800, 9600, 14400, 19200, 38400, 57600, 115200};
    return std::find(std::begin(kRates), std::end(kRates), baud) != std::end(kRates);
}

int32_t ModuleOptions::acknowledgementOf(int32_t command) const {
    auto set = acknowledgements.find(command);
    if (set != acknowledgements.end())
        return set->second;
    return command == 251 ? kNoAcknowledgement : 3;
}

bool parseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
    const OptionRow* ofZor = nullptr;
    const OptionRow* ofLocus = nullptr;
    for (int i = 1; i < argc; ++i) {
        const OptionRow* row = nullptr;
        for (const OptionRow& candidate : kOptions) {
            if (std::strcmp(argv[i], candidate.name) == 0)
                row = &candidate;
        }
        if (row == nullptr) {
            error = std::string("unknown option ") + argv[i];
            return false;
        }
        const char* value = "";
        if (row->valueName != nullptr) {
            if (i + 1 >= argc) {
                error = std::string(row->name) + " needs " + row->valueName;
                return false;
            }
            value = argv[++i];
        }
        if (!row->apply(options, value)) {
            error = std::string("bad value for ") + row->name + ": " + value;
            return false;
        }
        if (row->only == DeviceKind::Zor)
            ofZor = row;
        if (row->only == DeviceKind::Locus)
            ofLocus = row;
    }
    // An option of the other logger would be silently ignored.
    if (options.device == DeviceKind::Zor && ofLocus != nullptr) {
        error = std::string(ofLocus->name) + " needs --device locus";
        return false;
    }
    if (options.device == DeviceKind::Locus && ofZor != nullptr) {
        error = std::string(ofZor->name) + " is the ZOR 7700's, not a module's";
        return false;
    }
    return true;
}

std::string simUsage() {
    std::string text =
        "Usage: zor7700-sim [OPTION...]\n"
        "A ZOR 7700 GPS logger on a pseudo-terminal, registered as a COM port\n"
        "(a link comN in $XDG_CONFIG_HOME/ZOR/ports, by default ~/.config/ZOR/ports).\n"
        "The first line of output is \"COMn DEVICE\". It answers $PZOR,V (version),\n"
        "$PZOR,R (log dump) and $PZOR,C (erase) and runs until interrupted;\n"
        "SIGUSR1 prints the commands received so far.\n"
        "With --device locus it plays a LOCUS GPS module instead: $PMTK605, $PMTK183,\n"
        "$PMTK622,1, $PMTK184,1, $PMTK185, $PMTK187, $PMTK251 and $PMTK000, at its own\n"
        "line rate; at another rate the program set, both sides hear only garbage.\n"
        "Without a log option the memory holds a built-in trip of three segments.\n\n";
    for (const OptionRow& row : kOptions)
        text += optionHelpLine(row.name, row.valueName, row.help);
    return text;
}
