// The phases of a run that only a LOCUS module has: finding it at its line
// rate, its log status, its logging commands, the fast download and the
// rate set back, the erase it confirms.
#include "device/transfer_worker.h"

#include "device/device_commands.h"
#include "device/module_replies.h"

#include <iterator>

namespace {

bool isModule(const FoundDevice& device) {
    return device.family == DeviceFamily::Module;
}

} // namespace

// A rate at which the module's talk arrives as no sentence is the wrong one;
// the first release reply wins.
int32_t TransferWorker::findModule() {
    const uint32_t* rates = search.lineRate != 0 ? &search.lineRate : kModuleRates;
    const size_t count = search.lineRate != 0 ? 1 : std::size(kModuleRates);
    for (size_t i = 0; i < count; ++i) {
        if (stopHit())
            return kErrorStopped;
        if (!port.setLineRate(rates[i]))
            continue;
        currentRate = rates[i];
        port.purgeReceive();
        if (!sendCommand(kReleaseQuery.text()))
            return kErrorWriteCommand;
        const int32_t outcome =
            listen(&TransferWorker::takeRelease, limits.moduleListenMs, kErrorNoDevice);
        if (outcome == kErrorNone) {
            foundDevice.family = DeviceFamily::Module;
            foundDevice.lineRate = currentRate;
        }
        if (outcome != kErrorNoDevice)
            return outcome;
    }
    return kErrorNoDevice;
}

// A module that does not tell its status is still read.
int32_t TransferWorker::queryStatus() {
    if (!isModule(foundDevice))
        return kErrorNone;
    if (!sendCommand(kStatusQuery.text()))
        return kErrorWriteCommand;
    return listen(&TransferWorker::takeStatus, limits.moduleReplyMs, kErrorNone);
}

// The interval first, so that logging started here logs at it.
int32_t TransferWorker::manageLogging() {
    if (!loggingRequest.any())
        return kErrorNone;
    if (!isModule(foundDevice))
        return kErrorNotSupported;
    struct Step {
        bool wanted;
        std::string command;
        int32_t number;
    };
    const Step steps[] = {
        {loggingRequest.intervalSeconds > 0, intervalCommand(loggingRequest.intervalSeconds),
         kIntervalNumber},
        {loggingRequest.stop, std::string(kStopLogging.text()), kLoggingNumber},
        {loggingRequest.start, std::string(kStartLogging.text()), kLoggingNumber},
    };
    for (const Step& step : steps) {
        if (!step.wanted)
            continue;
        int32_t flag = -1;
        if (int32_t outcome = askModule(step.command, step.number, limits.moduleReplyMs, flag))
            return outcome;
        if (flag != kSucceeded) {
            refused = {step.number, flag};
            return kErrorRefused;
        }
    }
    return kErrorNone;
}

// At 9600 baud a whole log takes over five minutes, at 115200 half a minute.
// A module that does not confirm the fast rate may have switched all the
// same and only its confirmation been lost, so it is told to go back at the
// fast rate too, and the log is read at the rate it was found at.
int32_t TransferWorker::speedUp() {
    if (!isModule(foundDevice) || currentRate == kFastRate || !port.hasLineRate())
        return kErrorNone;
    if (switchLineRate(kFastRate) || stopHit())
        return kErrorNone;
    switchLineRate(foundDevice.lineRate);
    return kErrorNone;
}

// Most modules do not acknowledge the change itself; the test packet, at
// the new rate, tells whether it took.
bool TransferWorker::switchLineRate(uint32_t rate) {
    if (!sendCommand(rateCommand(rate)))
        return false;
    sleepMs(limits.rateSwitchPauseMs);
    if (!port.setLineRate(rate))
        return false;
    currentRate = rate;
    port.purgeReceive();
    return confirmLineRate();
}

bool TransferWorker::confirmLineRate() {
    int32_t flag = -1;
    return askModule(kTestPacket.text(), kTestPacketNumber, limits.moduleReplyMs, flag, false) ==
               kErrorNone &&
           flag == kSucceeded;
}

// Whatever the run's end, a module read at another rate is set back to the
// one it was found at, so that other programs find it as before. After an
// erase it may restart, so it is told only once it talks again.
void TransferWorker::restoreLineRate() {
    if (!isModule(foundDevice) || currentRate == foundDevice.lineRate || !port.isOpen())
        return;
    if (eraseSent)
        listen(&TransferWorker::takeAnySentence, limits.restartMs, kErrorNone, false);
    rateRestored = switchLineRate(foundDevice.lineRate);
}

// The memory counts as erased only when the module says so.
int32_t TransferWorker::eraseModule() {
    int32_t flag = -1;
    const int32_t outcome =
        askModule(kModuleErase.text(), kEraseNumber, limits.eraseAcknowledgementMs, flag);
    eraseSent = outcome != kErrorWriteCommand;
    eraseConfirmed = flag == kSucceeded;
    return outcome;
}

int32_t TransferWorker::askModule(std::string_view command, int32_t number, uint32_t waitMs,
                                  int32_t& flag, bool stoppable) {
    awaitedCommand = number;
    awaitedFlag = -1;
    if (!sendCommand(command))
        return kErrorWriteCommand;
    const int32_t outcome =
        listen(&TransferWorker::takeAcknowledgement, waitMs, kErrorNone, stoppable);
    flag = awaitedFlag;
    return outcome;
}

bool TransferWorker::takeRelease(const uint8_t* bytes, uint32_t count, int32_t&) {
    return takeSentences(
        bytes, count, [&](const char* text) { return readReleaseReply(text, foundDevice.model); });
}

bool TransferWorker::takeStatus(const uint8_t* bytes, uint32_t count, int32_t&) {
    return takeSentences(bytes, count,
                         [&](const char* text) { return readLogStatus(text, foundDevice.status); });
}

bool TransferWorker::takeAcknowledgement(const uint8_t* bytes, uint32_t count, int32_t&) {
    return takeSentences(bytes, count, [&](const char* text) {
        return readAcknowledgement(text, awaitedCommand, awaitedFlag);
    });
}

bool TransferWorker::takeAnySentence(const uint8_t* bytes, uint32_t count, int32_t&) {
    return takeSentences(bytes, count, [](const char*) { return true; });
}
