#pragma once

#include "support/non_copyable.h"

#include <cstdint>
#include <string>
#include <vector>

#include <sys/types.h>

// A zor7700-sim started for one test, in a private HOME and XDG_CONFIG_HOME
// (a fresh temporary folder, removed with the object), so its comN link and
// its command report are the test's own. Stopped with SIGTERM on destruction.
class SimulatorProcess : NonCopyable {
public:
    SimulatorProcess();
    ~SimulatorProcess();

    // Starts the simulator with `arguments` (plus --report into the folder)
    // and reads its first line; false with a message in `error`.
    bool start(const std::vector<std::string>& arguments, std::string& error);
    // Sends `signal` and waits up to `timeoutMs` for the exit; the exit
    // status (or 128 + signal when killed), -1 when it did not end in time.
    int stop(int signal = 15, uint32_t timeoutMs = 5000);
    void sendSignal(int signal) const;
    // What the simulator wrote to its standard error so far.
    std::string errorOutput() const;
    // Waits up to `timeoutMs` for the simulator to end by itself.
    int waitExit(uint32_t timeoutMs);

    int32_t portNumber() const { return port; }
    const std::string& devicePath() const { return device; }
    // The private folders: the ports folder lies under configHome()/ZOR/ports.
    const std::string& folder() const { return root; }
    std::string configHome() const { return root + "/config"; }
    std::string linkPath() const;
    // "NAME=value" entries: this process's environment with the private HOME
    // and XDG_CONFIG_HOME, for tools that must find the same port.
    std::vector<std::string> environment() const;
    // The command report so far: "MS TEXT" lines.
    std::vector<std::string> commands() const;

private:
    std::string root;
    pid_t pid = -1;
    int32_t port = -1;
    std::string device;
};

// Runs a program to its end (at most `timeoutMs`, then it is killed) with the
// given environment; its standard output and error land in `output`. Returns the exit
// status, or -1 when it could not start or ran out of time. With a `cue`, the
// program gets `signal` once its output holds that text.
int runProgram(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment, uint32_t timeoutMs, std::string& output,
               const std::string& cue = {}, int signal = 0);

// The simulator's executable, from the build.
const char* simulatorPath();
