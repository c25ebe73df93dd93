#include "sim_module.h"

#include "dump_plan.h"
#include "nmea_chatter.h"
#include "sim_device.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kSucceeded = 3;
constexpr int32_t kInvalid = 0;
constexpr int32_t kUnsupported = 1;

std::vector<std::string> fieldsOf(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(text.substr(start, comma - start));
    fields.push_back(text.substr(start));
    return fields;
}

// A whole decimal field within the bounds.
bool numberIn(const std::string& field, long minimum, long maximum, long& value) {
    char* end = nullptr;
    value = std::strtol(field.c_str(), &end, 10);
    return !field.empty() && *end == 0 && value >= minimum && value <= maximum;
}

// "$PMTK" and three digits name a module command; -1 for anything else.
int32_t commandNumber(const std::string& address) {
    long number = -1;
    if (address.size() != 8 || address.compare(0, 5, "$PMTK") != 0 ||
        !std::all_of(address.begin() + 5, address.end(),
                     [](char c) { return c >= '0' && c <= '9'; }) ||
        !numberIn(address.substr(5), 0, 999, number)) {
        return -1;
    }
    return static_cast<int32_t>(number);
}

// Empty for none.
std::string acknowledgement(int32_t command, int32_t flag) {
    if (flag == kNoAcknowledgement)
        return {};
    return withChecksum("PMTK001," + std::to_string(command) + "," + std::to_string(flag));
}

} // namespace

std::string releaseReply(const std::string& model) {
    static const struct {
        const char* model;
        const char* body;
    } kReleases[] = {
        {"PA6H", "PMTK705,AXN_2.31_3339_13101700,5632,PA6H,1.0"},
        {"L80", "PMTK705,AXN_3.10_3333_12102201,0000,QUECTEL-L80,"},
        {"L86", "PMTK705,AXN_5.1.6_3333_18050800,0002,Quectel-L86,1.0"},
    };
    for (const auto& release : kReleases) {
        if (model == release.model)
            return withChecksum(release.body);
    }
    return withChecksum("PMTK705,AXN_2.31_3339_13101700,5632," + model + ",1.0");
}

SimModule::SimModule(const SimOptions& options, ModuleMemory memory, PacedLine& line,
                     CommandReport& report)
    : options(options), setup(moduleSetup(options.module)), memory(std::move(memory)), line(line),
      report(report), interval(setup.interval) {
    line.matchRate(options.module.baud);
}

// Received at another rate, bytes are noise to the module, and a sentence
// begun before them is lost. A command handled may change the module's own
// rate, so the match is looked at again behind each.
void SimModule::receive(const char* bytes, size_t size, uint32_t nowMs) {
    bool understood = !restarting && line.rateMatches();
    for (size_t i = 0; i < size; ++i) {
        if (!understood) {
            assembler.reset();
            return;
        }
        if (!assembler.feedByte(static_cast<uint8_t>(bytes[i])))
            continue;
        const char* sentence = assembler.text();
        handleCommand(std::string(sentence, std::strchr(sentence, '*')), nowMs);
        understood = !restarting && line.rateMatches();
    }
}

// Flags 0 to 2 say the command was not carried out; without an
// acknowledgement it was.
void SimModule::handleCommand(const std::string& text, uint32_t nowMs) {
    report.add(nowMs, text);
    const std::vector<std::string> fields = fieldsOf(text);
    const int32_t command = commandNumber(fields[0]);
    const int32_t flag = options.module.acknowledgementOf(command);
    const bool done = flag == kSucceeded || flag == kNoAcknowledgement;
    const bool oneField = fields.size() == 2;
    long value = 0;
    switch (command) {
    case -1:
        return;
    case 605:
        line.send(releaseReply(options.module.model));
        return;
    case 0:
        acknowledge(command, flag);
        return;
    case 183:
        if (!options.module.statusReply)
            return;
        if (done)
            line.send(statusReply());
        acknowledge(command, flag);
        return;
    case 184:
        if (!oneField || fields[1] != "1")
            break;
        if (done)
            memory.erase();
        acknowledge(command, flag);
        if (done && options.module.restartAfterErase) {
            restarting = true;
            restartEndMs = nowMs + kRestartMs;
        }
        return;
    case 185:
        if (!oneField || !numberIn(fields[1], 0, 1, value))
            break;
        logging = done ? value == 0 : logging;
        acknowledge(command, flag);
        return;
    case 187:
        if (fields.size() != 3 || fields[1] != "1" || !numberIn(fields[2], 1, 65535, value))
            break;
        interval = done ? static_cast<uint16_t>(value) : interval;
        acknowledge(command, flag);
        return;
    case 622:
        if (!oneField || fields[1] != "1")
            break;
        if (!done || dump())
            acknowledge(command, flag);
        return;
    case 251:
        if (options.module.refuseRate)
            return;
        if (!oneField || !numberIn(fields[1], 0, 1000000, value) ||
            !isModuleRate(static_cast<uint32_t>(value))) {
            break;
        }
        // The acknowledgement, where there is one, still leaves at the old rate.
        if (done)
            line.changeRateAfter(acknowledgement(command, flag), static_cast<uint32_t>(value));
        else
            acknowledge(command, flag);
        return;
    default:
        acknowledge(command, kUnsupported);
        return;
    }
    // A command of its own with fields it cannot take.
    acknowledge(command, flag == kNoAcknowledgement ? flag : kInvalid);
}

void SimModule::acknowledge(int32_t command, int32_t flag) {
    if (flag != kNoAcknowledgement)
        line.send(acknowledgement(command, flag));
}

bool SimModule::dump() {
    const DumpPlan plan = planDump(memory.lines, options.faults);
    for (const std::string& sentence : plan.sentences)
        line.send(sentence);
    if (plan.hangUp)
        line.hangUpAfterQueued();
    return plan.sentences.back() == dumpEndSentence();
}

// Real modules print the mode in hexadecimal, the content in decimal.
std::string SimModule::statusReply() const {
    const FlashUse use = flashUse(memory.flash);
    const int32_t capacity = kLogSectors * recordsPerSector(recordLayout(setup.content));
    char body[128];
    std::snprintf(body, sizeof body, "PMTKLOG,%u,%u,%x,%u,%u,%u,%u,%d,%d,%d",
                  unsigned{use.newestSerial}, unsigned{setup.type}, unsigned{setup.mode},
                  setup.content, unsigned{interval}, unsigned{setup.distance},
                  unsigned{setup.speed}, logging ? 0 : 1, use.records,
                  std::min(100, use.records * 100 / capacity));
    return withChecksum(body);
}

// The restart, begun with the erase's acknowledgement, ends with the
// messages every module prints when it starts.
void SimModule::tick(uint32_t nowMs) {
    if (restarting) {
        if (static_cast<int32_t>(nowMs - restartEndMs) < 0)
            return;
        restarting = false;
        line.send(withChecksum("PMTK011,MTKGPS") + withChecksum("PMTK010,001"));
        lastChatterMs = nowMs;
    }
    if (options.chatter && line.isIdle() && nowMs - lastChatterMs >= options.chatterEveryMs) {
        lastChatterMs = nowMs;
        line.send(chatterSentences(static_cast<uint32_t>(std::time(nullptr))));
    }
}
