#include "sim_device.h"

#include "dump_plan.h"
#include "nmea_chatter.h"
#include "tools/common/log_encoder.h"

#include <cstdlib>
#include <ctime>
#include <utility>

namespace {

// Longer input cannot be a command; it is dropped like line noise.
constexpr size_t kMaxSentence = 255;

// The text up to the "*" when the sentence's checksum is right, else empty.
std::string checkedText(const std::string& sentence) {
    size_t star = sentence.find('*');
    if (star == std::string::npos || star + 3 > sentence.size())
        return {};
    uint8_t sum = 0;
    for (size_t i = 1; i < star; ++i)
        sum ^= static_cast<uint8_t>(sentence[i]);
    std::string digits = sentence.substr(star + 1, 2);
    char* end = nullptr;
    unsigned long stated = std::strtoul(digits.c_str(), &end, 16);
    if (end != digits.c_str() + 2 || stated != sum)
        return {};
    return sentence.substr(0, star);
}

} // namespace

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

void SimDevice::receive(const char* bytes, size_t size, uint32_t nowMs) {
    for (size_t i = 0; i < size; ++i) {
        char byte = bytes[i];
        if (byte == '$') {
            incoming.clear();
            assembling = true;
        }
        if (!assembling)
            continue;
        if (byte == '\n') {
            handleSentence(incoming, nowMs);
            assembling = false;
        } else if (incoming.size() >= kMaxSentence) {
            assembling = false;
        } else {
            incoming += byte;
        }
    }
}

void SimDevice::handleSentence(const std::string& sentence, uint32_t nowMs) {
    std::string text = checkedText(sentence);
    if (text.empty())
        return;
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
    if (options.chatter && line.isIdle() && nowMs - lastChatterMs >= kChatterIntervalMs) {
        lastChatterMs = nowMs;
        line.send(chatterSentences(static_cast<uint32_t>(std::time(nullptr))));
    }
}
