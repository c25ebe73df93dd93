#include "device/transfer_worker.h"

#include "device/device_commands.h"
#include "output/track_file.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t kReadCapacity = 4096;

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
    trackFormat = TrackFormat::Kml;
    // Cleared here, before the thread exists: the run writes it only on its
    // way to the device-found report, after which the wizard reads it.
    foundDevice = {};
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
    assembler.reset();
    trackStore.clear();
    dumpDecoder.startRun();
    errorCode = kErrorNone;
    bytesHeard = false;
    versionRejected = false;
    currentRate = FoundDevice{}.lineRate;
    eraseSent = false;
    eraseConfirmed = true;
    rateRestored = true;
    refused = {};
    const int32_t outcome = runPhases();
    restoreLineRate();
    finishRun(outcome);
    return 0;
}

// The run's phases in order. Each returns 0 to go on or the code the run
// ends with; the stop request is checked before the first and after each.
int32_t TransferWorker::runPhases() {
    using Phase = int32_t (TransferWorker::*)();
    static constexpr Phase kPhases[] = {
        &TransferWorker::openPort,      &TransferWorker::identifyDevice,
        &TransferWorker::queryStatus,   &TransferWorker::manageLogging,
        &TransferWorker::awaitGoAhead,  &TransferWorker::speedUp,
        &TransferWorker::requestLog,    &TransferWorker::readDump,
        &TransferWorker::checkTracks,   &TransferWorker::writeOutputFile,
        &TransferWorker::commitRawCopy, &TransferWorker::eraseDevice,
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

// The ZOR 7700 first, as it always was; a module only where the port talks
// (a module chatters once a second, at a wrong rate as bytes that form no
// sentence) but no ZOR 7700 answered, and never after a reply of another
// form.
int32_t TransferWorker::identifyDevice() {
    if (search.choice != DeviceChoice::Module) {
        const int32_t outcome = detectDevice();
        if (outcome != kErrorNoDevice || versionRejected ||
            search.choice == DeviceChoice::Zor7700 || !bytesHeard) {
            return outcome;
        }
        if (stopHit())
            return kErrorStopped;
    }
    return findModule();
}

int32_t TransferWorker::detectDevice() {
    if (!sendCommand(kVersionQuery.text()))
        return kErrorWriteCommand;
    if (stopHit())
        return kErrorStopped;
    return listen(&TransferWorker::takeVersionReply, limits.detectionMs, kErrorNoDevice);
}

int32_t TransferWorker::requestLog() {
    const FamilyCommands& commands = kFamilyCommands[static_cast<int32_t>(foundDevice.family)];
    return sendCommand(commands.readLog) ? kErrorNone : kErrorWriteCommand;
}

// Without a single position a damaged dump is a read failure, not an empty
// log: the positions are on the device, they just did not arrive.
int32_t TransferWorker::checkTracks() {
    if (trackStore.startIndex >= 0)
        return kErrorNone;
    return noPositionsError(dumpDecoder.completeness());
}

// Sets lastActivity as the moment the command went out: the time limits of
// the reply count from there.
bool TransferWorker::sendCommand(std::string_view command) {
    if (!port.write(command.data(), static_cast<uint32_t>(command.size())))
        return false;
    lastActivity = tickCount();
    return true;
}

int32_t TransferWorker::readDump() {
    return listen(&TransferWorker::takeDump, limits.dumpSilenceMs, kErrorRead);
}

// A stop that comes during a pass skips its pause; the time limit is still
// checked, also after the awaited sentence: one read too late counts as
// none.
int32_t TransferWorker::listen(Take take, uint32_t limitMs, int32_t silenceError, bool stoppable) {
    std::array<uint8_t, kReadCapacity> buffer;
    for (;;) {
        uint32_t count = 0;
        if (!port.read(buffer.data(), kReadCapacity, count))
            return kErrorRead;
        const bool stopped = stoppable && stopHit();
        if (stopped)
            return kErrorStopped;
        int32_t outcome = kErrorNone;
        const bool over = (this->*take)(buffer.data(), count, outcome);
        if (outcome != kErrorNone)
            return outcome;
        if (!(stoppable && stopHit()) && !over && count < kReadCapacity)
            sleepMs(limits.shortReadPauseMs);
        if (ticksBetween(lastActivity, tickCount()) >= limitMs)
            return silenceError;
        if (over)
            return kErrorNone;
    }
}

// The bytes behind the reply in this read are not looked at.
bool TransferWorker::takeSentences(const uint8_t* bytes, uint32_t count,
                                   const std::function<bool(const char*)>& accept) {
    for (uint32_t i = 0; i < count; ++i) {
        if (assembler.feedByte(bytes[i]) && accept(assembler.text()))
            return true;
    }
    return false;
}

bool TransferWorker::takeVersionReply(const uint8_t* bytes, uint32_t count, int32_t& outcome) {
    bytesHeard = bytesHeard || count > 0;
    return takeSentences(bytes, count, [&](const char* text) {
        const VersionReply reply = classifyVersionReply(text);
        versionRejected = reply == VersionReply::Rejected;
        if (versionRejected)
            outcome = kErrorNoDevice;
        return reply != VersionReply::None;
    });
}

// Every dump sentence renews lastActivity; the bytes behind the end sentence
// in this read are not looked at.
bool TransferWorker::takeDump(const uint8_t* bytes, uint32_t count, int32_t&) {
    if (rawDumpSink != nullptr && count > 0)
        rawDumpSink->write(bytes, count);
    for (uint32_t used = 0; used < count;) {
        const DumpStep step = dumpDecoder.feed(bytes + used, count - used);
        used += step.consumed;
        if (step.sentence)
            lastActivity = tickCount();
        if (step.percent >= 0)
            postReport(notifyWindow, notifyMessage, kReportProgress, step.percent);
        if (step.ended)
            return true;
    }
    return false;
}

// The device keeps talking while the user chooses the output; what it says
// meanwhile is thrown away so the dump starts on a clean line.
int32_t TransferWorker::awaitGoAhead() {
    postReport(notifyWindow, notifyMessage, kReportDeviceFound,
               static_cast<intptr_t>(foundDevice.family));
    while (proceedEvent.wait(limits.goAheadSliceMs) == WaitResult::TimedOut)
        port.purgeReceive();
    return kErrorNone;
}

int32_t TransferWorker::writeOutputFile() {
    return writeTrackFile(trackStore, outputPath, trackFormat, [this] { return stopHit(); });
}

CompletionDetail TransferWorker::completionDetail() const {
    if (!completeness().isComplete())
        return kCompleteFromIncompleteDump;
    if (!eraseAfterRead)
        return kCompleteMemoryKept;
    return eraseConfirmed ? kCompleteMemoryErased : kCompleteEraseUnconfirmed;
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
    if (!eraseAfterRead || !completeness().isComplete())
        return kErrorNone;
    postReport(notifyWindow, notifyMessage, kReportErasePending, limits.pauseBeforeEraseMs);
    if (!pauseUnlessStopped(limits.pauseBeforeEraseMs))
        return kErrorStopped;
    if (foundDevice.family == DeviceFamily::Module)
        return eraseModule();
    return sendCommand(kEraseCommand.text()) ? kErrorNone : kErrorWriteCommand;
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
    running = false;
}
