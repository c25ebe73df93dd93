#include "sim_device.h"

#include "dump_plan.h"
#include "nmea_chatter.h"
#include "tools/common/log_encoder.h"

#include <cstring>
#include <ctime>
#include <utility>

std::string versionReply(VersionReply form) {
    const std::string first = withChecksum("ZOR00,V,ZOR 7700,02,01,05");
    switch (form) {
    case VersionReply::FirstForm:
        return first;
    case VersionReply::SecondForm:
        return withChecksum("ZOR00,V,02,01,01,03,00,00,10,0D,00");
    case VersionReply::WrongForm:
        return withChecksum("ZOR00,V,02,01,01,03,00,00,10,0D,01");
    case VersionReply::BadChecksum:
        return withWrongChecksum(first);
    case VersionReply::None:
        return {};
    }
    return {};
}

SimDevice::SimDevice(const SimOptions& options, LogLines memory, PacedLine& line,
                     CommandReport& report)
    : options(options), memory(std::move(memory)), line(line), report(report) {}

// The firmware takes what the program's assembler takes: whole sentences
// with a correct checksum; anything else is line noise.
void SimDevice::receive(const char* bytes, size_t size, uint32_t nowMs) {
    for (size_t i = 0; i < size; ++i) {
        if (!assembler.feedByte(static_cast<uint8_t>(bytes[i])))
            continue;
        const char* sentence = assembler.text();
        handleCommand(std::string(sentence, std::strchr(sentence, '*')), nowMs);
    }
}

void SimDevice::handleCommand(const std::string& text, uint32_t nowMs) {
    report.add(nowMs, text);
    if (text == "$PZOR,V") {
        answerVersion(nowMs);
    } else if (text == "$PZOR,R") {
        DumpPlan plan = planDump(memory, options.faults);
        for (const std::string& sentenceOut : plan.sentences)
            line.send(sentenceOut);
        if (plan.hangUp)
            line.hangUpAfterQueued();
    } else if (text == "$PZOR,C") {
        memory.clear();
    }
}

void SimDevice::answerVersion(uint32_t nowMs) {
    std::string reply = versionReply(options.reply);
    if (reply.empty())
        return;
    if (options.replyDelayMs == 0) {
        line.send(reply);
    } else {
        scheduled.push_back({nowMs + options.replyDelayMs, reply});
    }
}

void SimDevice::tick(uint32_t nowMs) {
    for (size_t i = 0; i < scheduled.size();) {
        if (static_cast<int32_t>(nowMs - scheduled[i].dueMs) >= 0) {
            line.send(scheduled[i].bytes);
            scheduled.erase(scheduled.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
    if (options.chatter && line.isIdle() && nowMs - lastChatterMs >= options.chatterEveryMs) {
        lastChatterMs = nowMs;
        line.send(chatterSentences(static_cast<uint32_t>(std::time(nullptr))));
    }
}
