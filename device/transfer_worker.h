#pragma once

#include "device/dump_decoder.h"
#include "device/found_device.h"
#include "device/report_target.h"
#include "device/sentence_assembler.h"
#include "device/serial_port.h"
#include "device/track_store.h"
#include "device/transfer_error.h"
#include "device/transfer_time_limits.h"
#include "device/worker_platform.h"
#include "output/track_writer.h"
#include "support/cwstr.h"
#include "support/non_copyable.h"
#include "support/output_file.h"

#include <atomic>
#include <functional>
#include <cstdint>
#include <string_view>

// One background run per transfer: identify the device (a ZOR 7700, or a
// LOCUS module at its line rate), wait for the go-ahead, read the log, write
// the file, erase on request when the dump was complete, report. A module is
// read at 115200 baud where it takes the rate, and set back afterwards.
class TransferWorker : NonCopyable {
public:
    // The program's limits unless a test asks for shorter ones; they hold
    // for every run of this worker.
    explicit TransferWorker(const TransferTimeLimits& limits = {});
    // Stops a run that may still be going and waits for its thread to end,
    // so the run never outlives the object it works in.
    ~TransferWorker();

    // Called on the user-interface thread. False when a run is still going or
    // its thread could not be created.
    bool startTransfer(int32_t portNumber, WindowHandle window);
    // Asks the run to stop and waits for it at most 3000 ms (stopWaitMs).
    void stopTransfer();
    // Waits for the run's thread to end however long it takes; the owner calls
    // it after stopTransfer() before destroying the worker.
    void joinTransfer();
    // Hands over the output options (written before) and releases the run.
    void proceed() { proceedEvent.set(); }
    bool isRunning() const { return running.load(); }

    // The run's body, on the worker thread.
    uint32_t runTransfer();

    // Written by the wizard before proceed(); read by the run only after it.
    bool eraseAfterRead = false;
    TrackFormat trackFormat = TrackFormat::Kml;
    CWStr outputPath;
    // Optional, for keeping the raw log: receives every byte read from the
    // port during the dump, in arrival order (the bytes of a read after the
    // end sentence included), and is committed after the output file; a
    // failed commit is error 5 and keeps the device's memory. Set before
    // proceed(); startTransfer() does not clear it.
    OutputFile* rawDumpSink = nullptr;
    // Set before startTransfer(), which does not clear them; the wizard
    // leaves them as they are.
    DeviceSearch search;
    LoggingRequest loggingRequest;

    // What the run found, read once the device-found report has come.
    const FoundDevice& device() const { return foundDevice; }
    // After the final report: false when a module read at another rate did
    // not confirm its own rate again (a warning, not a failed run).
    bool lineRateRestored() const { return rateRestored; }
    // The command a module refused (error kErrorRefused) and its flag, -1
    // for no acknowledgement.
    int32_t refusedCommand() const { return refused.command; }
    int32_t refusedFlag() const { return refused.flag; }

    // Read-only views of the last run, read after its final report.
    const TrackStore& store() const { return trackStore; }
    const DumpCompleteness& completeness() const { return dumpDecoder.completeness(); }
    const LogLayout& layout() const { return dumpDecoder.layout(); }

private:
    static uint32_t threadEntry(void* worker);
    bool stopHit() const { return stopRequested.load(); }
    int32_t runPhases();
    int32_t openPort();
    int32_t identifyDevice();
    int32_t detectDevice();
    int32_t findModule();
    int32_t queryStatus();
    int32_t manageLogging();
    int32_t awaitGoAhead();
    int32_t speedUp();
    int32_t requestLog();
    int32_t readDump();
    int32_t checkTracks();
    int32_t writeOutputFile();
    int32_t commitRawCopy();
    int32_t eraseDevice();
    // Reads what arrives and hands it to `take` until that says the phase
    // is over (true, with the phase's outcome) or nothing the phase waits
    // for came for `limitMs` since lastActivity (`silenceError`).
    using Take = bool (TransferWorker::*)(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    // A run that ends sets the module's rate back even after a stop, so that
    // wait is not `stoppable`.
    int32_t listen(Take take, uint32_t limitMs, int32_t silenceError, bool stoppable = true);
    bool takeVersionReply(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    bool takeDump(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    // Passes every checksum-valid sentence to `accept` until it says it was
    // the one awaited; true then.
    bool takeSentences(const uint8_t* bytes, uint32_t count,
                       const std::function<bool(const char*)>& accept);
    bool takeRelease(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    bool takeStatus(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    bool takeAcknowledgement(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    bool takeAnySentence(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    // Sends a module's command and waits for its $PMTK001; the flag, -1
    // when none came.
    int32_t askModule(std::string_view command, int32_t number, uint32_t waitMs, int32_t& flag,
                      bool stoppable = true);
    // Switches the module and then the port to `rate`; true once a test
    // packet is answered there.
    bool switchLineRate(uint32_t rate);
    bool confirmLineRate();
    void restoreLineRate();
    int32_t eraseModule();
    bool pauseUnlessStopped(uint32_t milliseconds);
    bool sendCommand(std::string_view command);
    CompletionDetail completionDetail() const;
    void finishRun(int32_t outcome);

    WindowHandle notifyWindow = nullptr;
    uint32_t notifyMessage = WM_TRANSFER;
    int32_t portNumber = -1;
    SerialPort port;
    WorkerThread thread;
    AutoResetEvent proceedEvent;
    std::atomic<bool> running{false};
    std::atomic<bool> stopRequested{false};
    int32_t errorCode = 0;
    SentenceAssembler assembler;
    uint32_t lastActivity = 0;
    // Any byte read while a ZOR 7700 was asked for: something talks on
    // the port, so a module may.
    bool bytesHeard = false;
    bool versionRejected = false;
    FoundDevice foundDevice;
    uint32_t currentRate = 57600;
    int32_t awaitedCommand = 0;
    int32_t awaitedFlag = -1;
    bool eraseSent = false;
    bool eraseConfirmed = true;
    bool rateRestored = true;
    struct {
        int32_t command = 0;
        int32_t flag = -1;
    } refused;
    TrackStore trackStore;
    DumpDecoder dumpDecoder{assembler, trackStore};
    const TransferTimeLimits limits;
};
