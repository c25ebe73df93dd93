#pragma once

#include "support/non_copyable.h"
#include "support/pseudo_terminal_posix.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What a scripted device does on each command. Enough of a ZOR 7700 to drive
// the worker through every path from the test itself.
struct DeviceScript {
    std::string versionReply; // sent on "$PZOR,V"; empty: no answer
    uint32_t versionDelayMs = 0;
    bool hangUpAfterVersion = false; // hangUpDelayMs after the reply
    uint32_t hangUpDelayMs = 300;
    std::string dump;            // sent on "$PMTKLOX" request "$PZOR,R"
    uint32_t dumpChunkBytes = 0; // 0: the whole dump in one write
    uint32_t dumpChunkPauseMs = 0;
    size_t dumpStopsAfter = std::string::npos; // falls silent after this many bytes
    bool hangUpInDump = false;                 // ... and hangs up there instead
    std::string chatter;                       // sent every chatterEveryMs when idle
    uint32_t chatterEveryMs = 0;
    std::function<void()> onErase; // runs when "$PZOR,C" has arrived
};

class ScriptedDevice : NonCopyable {
public:
    struct Command {
        std::string line; // as received, CR LF included
        uint32_t tick;
    };

    ScriptedDevice(DeviceLine& line, DeviceScript script);
    ~ScriptedDevice();

    std::vector<Command> commands();
    // Tick at which the last byte of the dump went out (0 before).
    uint32_t dumpSentTick() const { return dumpSent.load(); }

private:
    void serve();
    void answer(const std::string& command);
    void sendDump();
    bool pause(uint32_t milliseconds);

    DeviceLine& line;
    DeviceScript script;
    std::mutex mutex;
    std::vector<Command> received;
    std::atomic<bool> quit{false};
    std::atomic<uint32_t> dumpSent{0};
    bool hungUp = false;
    std::thread thread;
};
