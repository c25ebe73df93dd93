#include "support/simulator_process_posix.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// Spawns with stdout into `outputFd` and stderr into `errorFile`, or into
// `outputFd` as well when no file is named.
pid_t spawn(std::vector<std::string> arguments, std::vector<std::string> environment, int outputFd,
            const std::string& errorFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    if (errorFile.empty()) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
    }
    // Whatever the test process blocks or ignores, the child starts clean.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigfillset(&defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = -1;
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);
    if (posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0)
        child = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// The exit status once the child has ended, -1 while it runs.
int reap(pid_t child, bool wait) {
    int status = 0;
    if (waitpid(child, &status, wait ? 0 : WNOHANG) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// `whileRunning` is called between the checks.
int waitFor(pid_t child, uint32_t timeoutMs, const std::function<void()>& whileRunning = {}) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = reap(child, false);
        if (status >= 0 || Clock::now() >= deadline)
            return status;
        if (whileRunning)
            whileRunning();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string fileText(const char* path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Reads from `fd` until a newline, EOF or the time is up.
std::string readLine(int fd, uint32_t timeoutMs) {
    std::string line;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char byte = 0;
    while (Clock::now() < deadline) {
        pollfd input{fd, POLLIN, 0};
        if (poll(&input, 1, 20) <= 0)
            continue;
        if (read(fd, &byte, 1) != 1 || byte == '\n')
            break;
        line += byte;
    }
    return line;
}

} // namespace

const char* simulatorPath() {
    return ZOR_SIM_PATH;
}

SimulatorProcess::SimulatorProcess() {
    char pattern[] = "/tmp/zor-sim-XXXXXX";
    if (mkdtemp(pattern) != nullptr)
        root = pattern;
}

SimulatorProcess::~SimulatorProcess() {
    if (pid > 0)
        stop(SIGKILL);
    std::error_code ignored;
    if (!root.empty())
        std::filesystem::remove_all(root, ignored);
}

std::vector<std::string> SimulatorProcess::environment() const {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "HOME=", 5) != 0 &&
            std::strncmp(*entry, "XDG_CONFIG_HOME=", 16) != 0) {
            result.push_back(*entry);
        }
    }
    result.push_back("HOME=" + root + "/home");
    result.push_back("XDG_CONFIG_HOME=" + configHome());
    return result;
}

bool SimulatorProcess::start(const std::vector<std::string>& arguments, std::string& error) {
    if (root.empty()) {
        error = "no temporary folder";
        return false;
    }
    std::vector<std::string> argv = {simulatorPath(), "--report", root + "/report.txt"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    int output[2];
    if (pipe(output) != 0) {
        error = std::strerror(errno);
        return false;
    }
    pid = spawn(argv, environment(), output[1], root + "/sim.log");
    close(output[1]);
    std::string first = pid > 0 ? readLine(output[0], 10000) : std::string();
    close(output[0]);
    char path[256] = {};
    if (std::sscanf(first.c_str(), "COM%d %255s", &port, path) != 2) {
        error = "simulator did not start: \"" + first + "\" " + errorOutput();
        return false;
    }
    device = path;
    return true;
}

int SimulatorProcess::stop(int signal, uint32_t timeoutMs) {
    if (pid <= 0)
        return -1;
    kill(pid, signal);
    int status = waitFor(pid, timeoutMs);
    if (status < 0) {
        kill(pid, SIGKILL);
        reap(pid, true);
    }
    pid = -1;
    return status;
}

int SimulatorProcess::waitExit(uint32_t timeoutMs) {
    if (pid <= 0)
        return -1;
    int status = waitFor(pid, timeoutMs);
    if (status >= 0)
        pid = -1;
    return status;
}

void SimulatorProcess::sendSignal(int signal) const {
    if (pid > 0)
        kill(pid, signal);
}

std::string SimulatorProcess::errorOutput() const {
    return fileText((root + "/sim.log").c_str());
}

std::string SimulatorProcess::linkPath() const {
    return configHome() + "/ZOR/ports/com" + std::to_string(port);
}

std::vector<std::string> SimulatorProcess::commands() const {
    std::vector<std::string> lines;
    std::ifstream report(root + "/report.txt");
    for (std::string line; std::getline(report, line);)
        lines.push_back(line);
    return lines;
}

int runProgram(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment, uint32_t timeoutMs, std::string& output,
               const std::string& cue, int signal) {
    char pattern[] = "/tmp/zor-run-XXXXXX";
    int outputFd = mkstemp(pattern);
    if (outputFd < 0)
        return -1;
    pid_t child = spawn(arguments, environment, outputFd, "");
    bool signalled = cue.empty();
    auto watchForCue = [&] {
        if (!signalled && fileText(pattern).find(cue) != std::string::npos)
            signalled = kill(child, signal) == 0;
    };
    int status = child > 0 ? waitFor(child, timeoutMs, watchForCue) : -1;
    if (child > 0 && status < 0) {
        kill(child, SIGKILL);
        reap(child, true);
    }
    close(outputFd);
    output = fileText(pattern);
    unlink(pattern);
    return status;
}
