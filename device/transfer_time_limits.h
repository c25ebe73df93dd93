#pragma once

#include <cstdint>

// Every time limit of a transfer run, in milliseconds. The program and the
// tool always run with these values; unit tests of the worker hand it
// shorter ones so they do not sleep through real seconds.
struct TransferTimeLimits {
    // For a version reply, counted from the query.
    uint32_t detectionMs = 1000;
    // Without a dump sentence before the dump is given up.
    uint32_t dumpSilenceMs = 3000;
    // Between the file on disk and the erase command.
    uint32_t pauseBeforeEraseMs = 5000;
    // After a read that did not fill the buffer.
    uint32_t shortReadPauseMs = 50;
    // While the run waits for the go-ahead, the line is purged once a slice.
    uint32_t goAheadSliceMs = 1000;
    // How long stopTransfer waits for the run to end.
    uint32_t stopWaitMs = 3000;
    // A module's: listening at one line rate for its release reply, long
    // enough for its once-a-second talk to show the rate is right.
    uint32_t moduleListenMs = 1200;
    // For a reply to a module's command ($PMTKLOG, $PMTK001).
    uint32_t moduleReplyMs = 1000;
    // For the acknowledgement of the erase.
    uint32_t eraseAcknowledgementMs = 10000;
    // For a module to talk again after an erase (it may restart).
    uint32_t restartMs = 2000;
    // Between a rate change sent and the port following it.
    uint32_t rateSwitchPauseMs = 100;
};
