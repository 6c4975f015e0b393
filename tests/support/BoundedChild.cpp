#include "support/BoundedChild.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plat::test {

namespace {

using Clock = std::chrono::steady_clock;

// A descriptor that polls readable once the child ends (glibc's own
// declaration lacks C linkage in some versions).
int pidfdOpen(pid_t pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Reads what is there; false at the end of the output.
bool readSome(int descriptor, std::string& into)
{
    char chunk[4096];
    const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (got <= 0)
        return false;
    into.append(chunk, static_cast<size_t>(got));
    return true;
}

// Waits until the child behind exited (a pidfd) ends or the deadline
// passes, reading output (when open) meanwhile; true when it ended.
bool awaitExit(int exited, int& output, std::string& captured, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd watched[2] = {{exited, POLLIN, 0}, {output, POLLIN, 0}};
        const int ready = ::poll(watched, output >= 0 ? 2 : 1, static_cast<int>(std::max<int64_t>(left, 0)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (output >= 0 && (watched[1].revents & (POLLIN | POLLHUP)) && !readSome(output, captured)) {
            ::close(output);
            output = -1;
        }
        if (watched[0].revents & POLLIN)
            break;
        if (ready <= 0 && left <= 0)
            return false;
    }
    // What it wrote before it ended is in the pipe; whatever it left running keeps its own.
    while (output >= 0) {
        pollfd waiting {output, POLLIN, 0};
        if (::poll(&waiting, 1, 0) <= 0 || !readSome(output, captured)) {
            ::close(output);
            output = -1;
        }
    }
    return true;
}

void noteStatus(int status, ChildRun& run)
{
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
}

}  // namespace

BoundedChild::BoundedChild(const std::vector<std::string>& arguments, ChildOutput output,
    const std::vector<std::string>& extraEnvironment, const std::string& outputFile)
{
    for (const std::string& argument : arguments)
        _command += (_command.empty() ? "" : " ") + argument;
    // The extra entries first: a name given twice is read at its first.
    std::vector<std::string> environment = extraEnvironment;
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<std::string> words = arguments;
    auto argv = pointersTo(words);
    auto envp = pointersTo(environment);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so that a kill reaches all it started; signals as a fresh process has them.
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGTERM, SIGPIPE})
        sigaddset(&defaults, signal);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeEnds[2] = {-1, -1};
    if (!outputFile.empty()) {
        posix_spawn_file_actions_addopen(
            &actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    } else if (output == ChildOutput::Captured) {
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "no pipe for " << _command << ": " << std::strerror(errno);
        } else {
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        }
    }
    const int spawned = ::posix_spawnp(&_pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (pipeEnds[1] >= 0)
        ::close(pipeEnds[1]);
    _output = pipeEnds[0];
    if (spawned != 0) {
        _pid = -1;
        ADD_FAILURE() << _command << " cannot be started: " << std::strerror(spawned);
        return;
    }
    _exited = pidfdOpen(_pid);
    if (_exited < 0) {
        ADD_FAILURE() << "no way to wait for " << _command << " with a bound: " << std::strerror(errno);
        killGroup();
    }
}

BoundedChild::~BoundedChild()
{
    if (_pid > 0 && !_reaped) {
        killGroup();
        ::waitpid(_pid, nullptr, 0);
    }
    if (_exited >= 0)
        ::close(_exited);
    if (_output >= 0)
        ::close(_output);
}

void BoundedChild::killGroup()
{
    if (_pid > 0)
        ::kill(-_pid, SIGKILL);
}

void BoundedChild::sendSignal(int signal)
{
    if (_pid > 0 && !_reaped)
        ::kill(_pid, signal);
}

ChildRun BoundedChild::wait(double seconds)
{
    if (_pid <= 0 || _reaped || _exited < 0)
        return _run;
    const auto deadline
        = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    if (!awaitExit(_exited, _output, _run.output, deadline)) {
        killGroup();
        _run.timedOut = true;
        ADD_FAILURE() << _command << " still ran after " << seconds << " s: it was killed";
    }
    int status = 0;
    while (::waitpid(_pid, &status, 0) < 0 && errno == EINTR) { }
    _reaped = true;
    noteStatus(status, _run);
    return _run;
}

int runShellBounded(const std::string& commandLine, double seconds)
{
    BoundedChild shell({"/bin/sh", "-c", commandLine});
    return shell.wait(seconds).exitCode;
}

ChildRun waitForChildBounded(pid_t pid, const std::string& what, double seconds)
{
    ChildRun run;
    if (pid <= 0) {
        ADD_FAILURE() << what << " was not started";
        return run;
    }
    const int exited = pidfdOpen(pid);
    int noOutput = -1;
    const auto deadline
        = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    if (exited < 0) {
        ::kill(pid, SIGKILL);
        ADD_FAILURE() << "no way to wait for " << what << " with a bound: " << std::strerror(errno);
    } else if (!awaitExit(exited, noOutput, run.output, deadline)) {
        ::kill(pid, SIGKILL);
        run.timedOut = true;
        ADD_FAILURE() << what << " still ran after " << seconds << " s: it was killed";
    }
    if (exited >= 0)
        ::close(exited);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    noteStatus(status, run);
    return run;
}

}  // namespace plat::test
