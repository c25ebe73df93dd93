#include "device/transfer_worker.h"

#include "device/nmea_checksum.h"
#include "output/track_writer.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t kReadCapacity = 4096;

// "$" + body + "*HH\r\n" with the checksum worked out by the compiler, so
// the commands cannot drift from their text.
struct Command {
    char bytes[13];
};

constexpr Command makeCommand(const char (&text)[8]) {
    const SentenceEnding ending = sentenceEnding(std::string_view(text + 1, 6));
    Command command{};
    for (int i = 0; i < 7; ++i)
        command.bytes[i] = text[i];
    for (int i = 0; i < 5; ++i)
        command.bytes[7 + i] = ending.text[i];
    return command;
}

constexpr uint32_t kCommandLength = 12;
constexpr Command kVersionQuery = makeCommand("$PZOR,V");
constexpr Command kReadLogCommand = makeCommand("$PZOR,R");
constexpr Command kEraseCommand = makeCommand("$PZOR,C");

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

enum class VersionReply { None, Accepted, Rejected };

// The second accepted form is compared through its "*": it must have exactly
// these fields.
VersionReply classifyVersionReply(const char* text) {
    if (!startsWith(text, "$ZOR00,V,"))
        return VersionReply::None;
    if (startsWith(text, "$ZOR00,V,ZOR 7700,02,") ||
        startsWith(text, "$ZOR00,V,02,01,01,03,00,00,10,0D,00*")) {
        return VersionReply::Accepted;
    }
    return VersionReply::Rejected;
}

} // namespace

TransferWorker::TransferWorker(const TransferTimeLimits& limits) : limits(limits) {}

// A run still going would use this object after its end, so it is stopped
// and waited for here whatever the owner did before.
TransferWorker::~TransferWorker() {
    if (!thread.exists())
        return;
    stopRequested = true;
    proceedEvent.set();
    thread.join();
}

uint32_t TransferWorker::threadEntry(void* worker) {
    return static_cast<TransferWorker*>(worker)->runTransfer();
}

bool TransferWorker::startTransfer(int32_t number, WindowHandle window) {
    if (running.load())
        return false;
    portNumber = number;
    notifyWindow = window;
    eraseAfterRead = false;
    nmeaOutput = false;
    gpxOutput = false;
    notifyMessage = WM_TRANSFER;
    thread.close();
    // A go-ahead that a stop left behind must not let this run skip its wait.
    proceedEvent.reset();
    stopRequested = false;
    running = true;
    if (!thread.start(threadEntry, this)) {
        running = false;
        return false;
    }
    return true;
}

void TransferWorker::stopTransfer() {
    stopRequested = true;
    if (!thread.exists())
        return;
    proceedEvent.set();
    thread.wait(limits.stopWaitMs);
}

void TransferWorker::joinTransfer() {
    thread.join();
}

uint32_t TransferWorker::runTransfer() {
    port.close();
    outputFile.close();
    assembler.reset();
    trackStore.clear();
    dumpCompleteness = {};
    errorCode = kErrorNone;
    finishRun(runPhases());
    return 0;
}

// The run's phases in order. Each returns 0 to go on or the code the run
// ends with; the stop request is checked before the first and after each.
int32_t TransferWorker::runPhases() {
    using Phase = int32_t (TransferWorker::*)();
    static constexpr Phase kPhases[] = {
        &TransferWorker::openPort,        &TransferWorker::queryVersion,
        &TransferWorker::detectDevice,    &TransferWorker::awaitGoAhead,
        &TransferWorker::requestLog,      &TransferWorker::readDump,
        &TransferWorker::checkTracks,     &TransferWorker::createOutputFile,
        &TransferWorker::writeOutputFile, &TransferWorker::commitRawCopy,
        &TransferWorker::eraseDevice,
    };
    if (stopHit())
        return kErrorStopped;
    for (Phase phase : kPhases) {
        if (int32_t outcome = (this->*phase)())
            return outcome;
        if (stopHit())
            return kErrorStopped;
    }
    return kErrorNone;
}

int32_t TransferWorker::openPort() {
    return port.open(portNumber) ? kErrorNone : kErrorOpenPort;
}

int32_t TransferWorker::queryVersion() {
    return sendCommand(kVersionQuery.bytes) ? kErrorNone : kErrorWriteCommand;
}

int32_t TransferWorker::requestLog() {
    return sendCommand(kReadLogCommand.bytes) ? kErrorNone : kErrorWriteCommand;
}

// Without a single position a damaged dump is a read failure, not an empty
// log: the positions are on the device, they just did not arrive.
int32_t TransferWorker::checkTracks() {
    if (trackStore.startIndex >= 0)
        return kErrorNone;
    return noPositionsError(dumpCompleteness);
}

int32_t TransferWorker::createOutputFile() {
    return outputFile.create(outputPath) ? kErrorNone : kErrorCreateFile;
}

// Sets lastActivity as the moment the command went out: the time limits of
// the reply count from there.
bool TransferWorker::sendCommand(const char* command) {
    if (!port.write(command, kCommandLength))
        return false;
    lastActivity = tickCount();
    return true;
}

int32_t TransferWorker::detectDevice() {
    std::array<uint8_t, kReadCapacity> buffer;
    for (;;) {
        uint32_t count = 0;
        if (!port.read(buffer.data(), kReadCapacity, count))
            return kErrorRead;
        if (stopHit())
            return kErrorStopped;
        VersionReply reply = VersionReply::None;
        for (uint32_t i = 0; i < count && reply == VersionReply::None; ++i) {
            if (assembler.feedByte(buffer[i]))
                reply = classifyVersionReply(assembler.text());
        }
        if (reply == VersionReply::Rejected)
            return kErrorNoDevice;
        if (stopHit())
            return kErrorStopped;
        if (reply == VersionReply::None && count < kReadCapacity)
            sleepMs(limits.shortReadPauseMs);
        if (stopHit())
            return kErrorStopped;
        // Also after an accepted reply: one read too late counts as none.
        if (ticksBetween(lastActivity, tickCount()) >= limits.detectionMs)
            return kErrorNoDevice;
        if (reply == VersionReply::Accepted)
            return kErrorNone;
    }
}

// The device keeps talking while the user chooses the output; what it says
// meanwhile is thrown away so the dump starts on a clean line.
int32_t TransferWorker::awaitGoAhead() {
    postReport(notifyWindow, notifyMessage, kReportDeviceFound, 0);
    while (proceedEvent.wait(limits.goAheadSliceMs) == WaitResult::TimedOut)
        port.purgeReceive();
    return kErrorNone;
}

int32_t TransferWorker::readDump() {
    std::array<uint8_t, kReadCapacity> buffer;
    for (;;) {
        uint32_t count = 0;
        if (!port.read(buffer.data(), kReadCapacity, count))
            return kErrorRead;
        if (stopHit())
            return kErrorStopped;
        if (rawDumpSink != nullptr && count > 0)
            rawDumpSink->write(buffer.data(), count);
        bool ended = false;
        for (uint32_t i = 0; i < count && !ended; ++i) {
            if (!assembler.feedByte(buffer[i]) || !isLogSentence(assembler.text())) {
                continue;
            }
            lastActivity = tickCount();
            ended = !handleLogSentence(assembler.text(), trackStore, dumpProgress, dumpCompleteness,
                                       notifyWindow, notifyMessage);
        }
        if (!stopHit() && !ended && count < kReadCapacity)
            sleepMs(limits.shortReadPauseMs);
        if (ticksBetween(lastActivity, tickCount()) >= limits.dumpSilenceMs)
            return kErrorRead;
        if (ended)
            return kErrorNone;
    }
}

// The file must be whole on disk before anything may erase the device's
// copy, so a flush or close that fails is a failed write.
int32_t TransferWorker::writeOutputFile() {
    if (!writeTrack(trackStore, outputFile, nmeaOutput, gpxOutput) || !outputFile.commit())
        return kErrorWriteFile;
    return kErrorNone;
}

CompletionDetail TransferWorker::completionDetail() const {
    if (!dumpCompleteness.isComplete())
        return kCompleteFromIncompleteDump;
    return eraseAfterRead ? kCompleteMemoryErased : kCompleteMemoryKept;
}

int32_t TransferWorker::commitRawCopy() {
    if (rawDumpSink != nullptr && !rawDumpSink->commit())
        return kErrorWriteFile;
    return kErrorNone;
}

// Only a whole dump, safe on disk, may cost the device its copy. The pause
// gives the device time to finish its dump output, and the user a last
// chance to keep the memory: a stop during it means no erase.
int32_t TransferWorker::eraseDevice() {
    if (!eraseAfterRead || !dumpCompleteness.isComplete())
        return kErrorNone;
    postReport(notifyWindow, notifyMessage, kReportErasePending, limits.pauseBeforeEraseMs);
    if (!pauseUnlessStopped(limits.pauseBeforeEraseMs))
        return kErrorStopped;
    return sendCommand(kEraseCommand.bytes) ? kErrorNone : kErrorWriteCommand;
}

// stopTransfer() signals proceedEvent to end whatever the run waits on; the
// go-ahead was taken long before, so only the stop flag decides here, and a
// stray signal cannot shorten the pause.
bool TransferWorker::pauseUnlessStopped(uint32_t milliseconds) {
    const uint32_t start = tickCount();
    uint32_t elapsed = 0;
    while (!stopHit() && elapsed < milliseconds) {
        proceedEvent.wait(milliseconds - elapsed);
        elapsed = ticksBetween(start, tickCount());
    }
    return !stopHit();
}

void TransferWorker::finishRun(int32_t outcome) {
    errorCode = outcome;
    if (outcome == kErrorNone) {
        postReport(notifyWindow, notifyMessage, kReportComplete, completionDetail());
    } else {
        postReport(notifyWindow, notifyMessage, kReportFailed, outcome);
    }
    port.close();
    outputFile.close();
    running = false;
}
