#include "tool_runs.h"

#include "tool_main.h"
#include "support/fast_limits.h"
#include "support/scoped_environment_posix.h"
#include "support/temp_folder.h"

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

ToolRun runTool(const SimulatorProcess& sim, std::vector<std::string> arguments,
                const std::string& cue, int signal) {
    arguments.insert(arguments.begin(), ZOR_TRANSFER_TOOL_PATH);
    ToolRun run{};
    run.exitStatus = runProgram(arguments, sim.environment(), 30000, run.output, cue, signal);
    return run;
}

namespace {

// One standard stream sent elsewhere for a while, and put back.
class StreamRedirect {
public:
    StreamRedirect(int stream, int target) : stream(stream), saved(dup(stream)) {
        dup2(target, stream);
        close(target);
    }
    ~StreamRedirect() {
        dup2(saved, stream);
        close(saved);
    }

private:
    int stream;
    int saved;
};

int createFile(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

// A disk that fills up, for this process's files; the signal the limit
// raises is ignored so that the write fails instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(bool active) : active(active) {
        if (!active)
            return;
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 16 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        if (!active)
            return;
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
    }

private:
    bool active;
    rlimit saved{};
};

int pipeWithoutReader() {
    int ends[2] = {-1, -1};
    if (pipe(ends) != 0)
        return -1;
    close(ends[0]);
    return ends[1];
}

} // namespace

ToolRun runToolInProcess(const SimulatorProcess& sim, const std::vector<std::string>& arguments,
                         FileTrouble trouble) {
    const bool readerGone = trouble == FileTrouble::ReaderGone;
    ScopedEnvironment home(
        {{"HOME", sim.folder() + "/home"}, {"XDG_CONFIG_HOME", sim.configHome()}});
    const int watched[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
    struct sigaction handlers[4] = {};
    for (int i = 0; i < 4; ++i)
        sigaction(watched[i], nullptr, &handlers[i]);
    const std::string outputCapture = sim.folder() + "/tool-output";
    const std::string errorCapture = sim.folder() + "/tool-errors";
    std::fflush(stdout);
    std::fflush(stderr);
    ToolRun run{};
    {
        StreamRedirect output(STDOUT_FILENO,
                              readerGone ? pipeWithoutReader() : createFile(outputCapture));
        StreamRedirect errors(STDERR_FILENO, createFile(errorCapture));
        FileSizeLimit limit(trouble == FileTrouble::DiskFillsUp);
        run.exitStatus = toolMain(arguments, kFastLimits);
        std::fflush(stdout);
        std::fflush(stderr);
    }
    for (int i = 0; i < 4; ++i)
        sigaction(watched[i], &handlers[i], nullptr);
    std::clearerr(stdout);
    run.standardOutput = readerGone ? "" : readFile(outputCapture);
    run.output = run.standardOutput + readFile(errorCapture);
    return run;
}
