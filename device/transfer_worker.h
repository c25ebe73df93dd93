#pragma once

#include "device/dump_decoder.h"
#include "device/report_target.h"
#include "device/sentence_assembler.h"
#include "device/serial_port.h"
#include "device/track_store.h"
#include "device/transfer_error.h"
#include "device/transfer_time_limits.h"
#include "device/worker_platform.h"
#include "output/track_writer.h"
#include "support/cwstr.h"
#include "support/output_file.h"

#include <atomic>
#include <cstdint>

// One background run per transfer: identify the device, wait for the
// go-ahead, read the log, write the file, erase on request when the dump was
// complete, report.
class TransferWorker {
public:
    // The program's limits unless a test asks for shorter ones; they hold
    // for every run of this worker.
    explicit TransferWorker(const TransferTimeLimits& limits = {});
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;
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

    // Read-only views of the last run, read after its final report.
    const TrackStore& store() const { return trackStore; }
    const DumpCompleteness& completeness() const { return dumpDecoder.completeness(); }
    const LogLayout& layout() const { return dumpDecoder.layout(); }

private:
    static uint32_t threadEntry(void* worker);
    bool stopHit() const { return stopRequested.load(); }
    int32_t runPhases();
    int32_t openPort();
    int32_t queryVersion();
    int32_t detectDevice();
    int32_t awaitGoAhead();
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
    int32_t listen(Take take, uint32_t limitMs, int32_t silenceError);
    bool takeVersionReply(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    bool takeDump(const uint8_t* bytes, uint32_t count, int32_t& outcome);
    bool pauseUnlessStopped(uint32_t milliseconds);
    bool sendCommand(const char* command);
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
    TrackStore trackStore;
    DumpDecoder dumpDecoder{assembler, trackStore};
    const TransferTimeLimits limits;
};
