#include "support/scripted_device_posix.h"

#include "device/worker_platform.h"

ScriptedDevice::ScriptedDevice(DeviceLine& line, DeviceScript script)
    : line(line), script(std::move(script)), thread([this] { serve(); }) {}

ScriptedDevice::~ScriptedDevice() {
    quit = true;
    thread.join();
}

std::vector<ScriptedDevice::Command> ScriptedDevice::commands() {
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

// Sleeps in short steps so the destructor never waits long.
bool ScriptedDevice::pause(uint32_t milliseconds) {
    uint32_t start = tickCount();
    while (!quit && ticksBetween(start, tickCount()) < milliseconds)
        sleepMs(5);
    return !quit;
}

void ScriptedDevice::serve() {
    std::string pending;
    uint32_t lastChatter = tickCount();
    while (!quit && !hungUp) {
        pending += line.receive(20);
        size_t end;
        while (!hungUp && (end = pending.find("\r\n")) != std::string::npos) {
            std::string command = pending.substr(0, end + 2);
            pending.erase(0, end + 2);
            {
                // Under the lock, so whoever reads the commands also sees
                // what onErase recorded.
                std::lock_guard<std::mutex> lock(mutex);
                received.push_back({command, tickCount()});
                if (command.rfind("$PZOR,C*", 0) == 0 && script.onErase)
                    script.onErase();
            }
            answer(command);
        }
        if (!hungUp && !script.chatter.empty() &&
            ticksBetween(lastChatter, tickCount()) >= script.chatterEveryMs) {
            line.send(script.chatter);
            lastChatter = tickCount();
        }
    }
}

void ScriptedDevice::answer(const std::string& command) {
    if (command.rfind("$PZOR,V*", 0) == 0 && !script.versionReply.empty()) {
        if (!pause(script.versionDelayMs))
            return;
        line.send(script.versionReply);
        if (script.hangUpAfterVersion) {
            // Late enough that the reply has surely been read.
            if (!pause(script.hangUpDelayMs))
                return;
            line.hangUp();
            hungUp = true;
        }
    } else if (command.rfind("$PZOR,R*", 0) == 0) {
        sendDump();
    }
}

void ScriptedDevice::sendDump() {
    std::string dump = script.dump.substr(0, script.dumpStopsAfter);
    size_t chunk = script.dumpChunkBytes == 0 ? dump.size() : script.dumpChunkBytes;
    for (size_t at = 0; at < dump.size(); at += chunk) {
        if (at > 0 && !pause(script.dumpChunkPauseMs))
            return;
        line.send(dump.substr(at, chunk));
    }
    dumpSent = tickCount();
    if (script.hangUpInDump) {
        line.hangUp();
        hungUp = true;
    }
}
