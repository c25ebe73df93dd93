#include "sim_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

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
};

const OptionRow kOptions[] = {
    {"--port", "N", "register as COM port N (default: the lowest free number)",
     [](SimOptions& o, const char* v) { return readNumber(v, 0, 255, o.portNumber); }},
    {"--reply", "FORM", "version reply: first (default), second, wrong, bad-checksum or none",
     [](SimOptions& o, const char* v) { return readReply(v, o.reply); }},
    {"--reply-delay", "MS", "answer the version query MS milliseconds late",
     [](SimOptions& o, const char* v) {
         int32_t ms = 0;
         bool ok = readNumber(v, 0, 600000, ms);
         o.replyDelayMs = static_cast<uint32_t>(ms);
         return ok;
     }},
    {"--fast", nullptr, "send as fast as the line takes it instead of 57600-baud pacing",
     [](SimOptions& o, const char*) {
         o.fast = true;
         return true;
     }},
    {"--no-chatter", nullptr, "keep quiet between commands (no $GPGGA/$GPRMC every second)",
     [](SimOptions& o, const char*) {
         o.chatter = false;
         return true;
     }},
    {"--capture", "FILE", "log memory: the $PMTKLOX data lines of a saved dump",
     [](SimOptions& o, const char* v) { return setLog(o, LogSource::Capture, v); }},
    {"--gpx", "FILE", "log memory: the track points of a GPX file",
     [](SimOptions& o, const char* v) { return setLog(o, LogSource::Gpx, v); }},
    {"--records", "FILE", "log memory: a list of records, one \"TIME FIX LAT LON HEIGHT\" a line",
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

bool parseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
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
        "Without a log option the memory holds a built-in trip of three segments.\n\n";
    for (const OptionRow& row : kOptions) {
        std::string left = std::string("  ") + row.name;
        if (row.valueName != nullptr)
            left += std::string(" ") + row.valueName;
        if (left.size() < 24)
            left.resize(24, ' ');
        else
            left += "\n" + std::string(24, ' ');
        text += left + row.help + "\n";
    }
    return text;
}
