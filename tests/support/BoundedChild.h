#pragma once
// Children a test starts (the app, ffmpeg, python, a shell line, the test
// itself again) are waited for with a bound: one still running past it is
// killed with everything it started, and the test fails, so a fault fails
// the test instead of hanging it.
#include <string>
#include <sys/types.h>
#include <vector>

namespace plat::test {

// How many times slower this build runs than an optimised one: up to
// twenty-five with AddressSanitizer or ThreadSanitizer, whose tablet control
// walks take near an hour on a loaded machine (ctest's timeout grows alike).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr double kBuildSlowdown = 25;
#else
inline constexpr double kBuildSlowdown = 1;
#endif

// Some eight times the longest device script's run (about 36 s with the
// whole suite running alongside), for a loaded machine; a third of ctest's
// timeout for the test.
inline constexpr double kChildBoundSeconds = 300 * kBuildSlowdown;

enum class ChildOutput { Inherited, Captured };

struct ChildRun {
    int exitCode = -1;  // -1 when it did not exit by itself
    int signal = 0;  // the signal that ended it, if one did
    bool timedOut = false;
    std::string output;  // its standard output and error, when captured
};

// A program (looked up in PATH) run with its arguments in a process group of
// its own, with this process's environment and extraEnvironment ("NAME=value").
// With an outputFile, its output and errors are added to that file instead.
// Killed, with its group, when it goes while still running.
class BoundedChild {
public:
    explicit BoundedChild(const std::vector<std::string>& arguments, ChildOutput output = ChildOutput::Inherited,
        const std::vector<std::string>& extraEnvironment = {}, const std::string& outputFile = {});
    ~BoundedChild();
    BoundedChild(const BoundedChild&) = delete;
    BoundedChild& operator=(const BoundedChild&) = delete;

    bool started() const { return _pid > 0; }
    // A descriptor that polls readable once it has ended (-1 when it did not
    // start), for waits that watch other things as well.
    int endDescriptor() const { return _exited; }
    // Sends it the signal, while it runs (not once it is waited for).
    void sendSignal(int signal);
    // Waits for it to end, at most seconds; past them its group is killed
    // and the test fails naming the command.
    ChildRun wait(double seconds = kChildBoundSeconds);

private:
    void killGroup();
    void readOutput();

    std::string _command;  // for messages
    pid_t _pid = -1;
    int _exited = -1;  // a descriptor readable once the child ends
    int _output = -1;
    bool _reaped = false;
    ChildRun _run;
};

// Runs a shell command line (sh -c) as a BoundedChild and gives its exit code.
int runShellBounded(const std::string& commandLine, double seconds = kChildBoundSeconds);

// A child made otherwise (a fork of this test), waited for and reaped
// within the bound; past it killed, and the test fails naming what.
ChildRun waitForChildBounded(pid_t pid, const std::string& what, double seconds = kChildBoundSeconds);

}  // namespace plat::test
