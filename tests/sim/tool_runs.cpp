#include "tool_runs.h"

#include "tool_main.h"
#include "support/fast_limits.h"
#include "support/scoped_environment_posix.h"
#include "support/temp_folder.h"

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

ToolRun runTool(const SimulatorProcess& sim, std::vector<std::string> arguments,
                const std::string& cue, int signal) {
    arguments.insert(arguments.begin(), ZOR_TRANSFER_TOOL_PATH);
    ToolRun run{};
    run.exitStatus = runProgram(arguments, sim.environment(), 30000, run.output, cue, signal);
    return run;
}

ToolRun runToolInProcess(const SimulatorProcess& sim, const std::vector<std::string>& arguments) {
    ScopedEnvironment home(
        {{"HOME", sim.folder() + "/home"}, {"XDG_CONFIG_HOME", sim.configHome()}});
    struct sigaction interrupt = {};
    struct sigaction terminate = {};
    sigaction(SIGINT, nullptr, &interrupt);
    sigaction(SIGTERM, nullptr, &terminate);
    // Both streams into one file, in the order written, as into a pipe.
    const std::string capture = sim.folder() + "/tool-output";
    std::fflush(stdout);
    std::fflush(stderr);
    const int savedOutput = dup(STDOUT_FILENO);
    const int savedError = dup(STDERR_FILENO);
    const int file = open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, STDOUT_FILENO);
    dup2(file, STDERR_FILENO);
    close(file);
    ToolRun run{};
    run.exitStatus = toolMain(arguments, kFastLimits);
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(savedOutput, STDOUT_FILENO);
    dup2(savedError, STDERR_FILENO);
    close(savedOutput);
    close(savedError);
    sigaction(SIGINT, &interrupt, nullptr);
    sigaction(SIGTERM, &terminate, nullptr);
    run.output = readFile(capture);
    return run;
}
