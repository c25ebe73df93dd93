#pragma once

#include "command_report.h"
#include "log_source.h"
#include "paced_line.h"
#include "sim_firmware.h"
#include "sim_options.h"

#include "device/sentence_assembler.h"

#include <cstdint>
#include <string>
#include <vector>

// The logger's firmware: takes command sentences from the line, answers the
// version query, dumps and erases its log memory, and chatters position
// sentences once a second while idle.
class SimDevice : public SimFirmware {
public:
    SimDevice(const SimOptions& options, LogLines memory, PacedLine& line, CommandReport& report);

    void receive(const char* bytes, size_t size, uint32_t nowMs) override;
    void tick(uint32_t nowMs) override;

private:
    // A command's text up to its "*".
    void handleCommand(const std::string& text, uint32_t nowMs);
    void answerVersion(uint32_t nowMs);

    struct Scheduled {
        uint32_t dueMs;
        std::string bytes;
    };

    const SimOptions& options;
    LogLines memory;
    PacedLine& line;
    CommandReport& report;
    SentenceAssembler assembler;
    std::vector<Scheduled> scheduled;
    uint32_t lastChatterMs = 0;
};

// The device's reply to the version query in the given form; empty for none.
std::string versionReply(VersionReply form);
