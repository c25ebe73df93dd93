#pragma once

#include "command_report.h"
#include "module_flash.h"
#include "paced_line.h"
#include "sim_firmware.h"
#include "sim_options.h"

#include "device/sentence_assembler.h"

#include <cstdint>
#include <string>

// A LOCUS GPS module's firmware: tells its release and its log status,
// dumps, erases and logs, changes its line rate, each command acknowledged
// with $PMTK001 as the options say; chatters once a second. While the
// program's port is set to another rate than its own it understands nothing
// it receives.
class SimModule : public SimFirmware {
public:
    SimModule(const SimOptions& options, ModuleMemory memory, PacedLine& line,
              CommandReport& report);

    void receive(const char* bytes, size_t size, uint32_t nowMs) override;
    void tick(uint32_t nowMs) override;

    // A restart after the erase: this long without a word before its
    // start-up messages.
    static constexpr uint32_t kRestartMs = 500;

private:
    // A command's text up to its "*".
    void handleCommand(const std::string& text, uint32_t nowMs);
    // Sends $PMTK001,<command>,<flag>, unless the flag is kNoAcknowledgement.
    void acknowledge(int32_t command, int32_t flag);
    // False when a fault cut the dump short.
    bool dump();
    std::string statusReply() const;

    const SimOptions& options;
    const SectorHeader setup;
    ModuleMemory memory;
    PacedLine& line;
    CommandReport& report;
    SentenceAssembler assembler;
    bool logging = true;
    uint16_t interval;
    bool restarting = false;
    uint32_t restartEndMs = 0;
    uint32_t lastChatterMs = 0;
};

// The module's reply to $PMTK605: the real one of a PA6H, an L80 or an L86,
// the PA6H's release with any other model name.
std::string releaseReply(const std::string& model);
