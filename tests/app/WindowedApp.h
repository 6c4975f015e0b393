#pragma once
// The app's own binary in a desktop window on the machine's clock, under a
// virtual display the test starts itself, driven as a person drives it:
// clicks and keys through xdotool. Every wait has a bound, so a fault fails
// the test instead of hanging it, and ends as soon as what it waits for is
// there. Started with ZANTROPE_LOG_PICTURES, so the log tells each picture
// the window shows.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

#include "platform/foundation/Files.h"
#include "support/BoundedChild.h"

namespace zt::test {

// Sanitized builds draw many times slower than the app: there the window
// cannot keep up with the preview, and only what does not hang on drawing
// in time is checked.
inline constexpr bool kDrawsInTime = plat::test::kBuildSlowdown == 1;

// Waits at most seconds until done() holds, looking again each time the
// file changes (and once at the bound): true when it held. A writer that
// ends (its end descriptor readable) wakes the wait too: nothing more will come.
inline bool waitForFile(const std::string& path, const std::function<bool()>& done, double seconds,
    const plat::test::BoundedChild* writer = nullptr)
{
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    const std::string folder = path.substr(0, path.rfind('/'));
    ::inotify_add_watch(watch, folder.c_str(), IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE);
    const int ended = writer ? writer->endDescriptor() : -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool held = done();
    while (!held) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd heard[] = {{watch, POLLIN, 0}, {ended, POLLIN, 0}};
        const int got = ::poll(heard, ended >= 0 ? 2 : 1, static_cast<int>(left.count()));
        char events[4096];
        while (::read(watch, events, sizeof events) > 0) { }
        held = done();
        if (got > 0 && ended >= 0 && (heard[1].revents & POLLIN))
            break;
    }
    ::close(watch);
    return held;
}

inline std::string readText(const std::string& path)
{
    const auto data = plat::readFile(path).valueOr(plat::Data());
    return std::string(data.begin(), data.end());
}

// An X server of its own (Xvfb), large enough for either idiom's window.
// It never resets: a reset when the app's check for a display hangs up
// would turn away the window that comes next.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0)
            return;
        // Xvfb picks a free display and writes its number once it takes clients.
        ::fcntl(ready[1], F_SETFD, 0);
        _server.emplace(std::vector<std::string> {"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                            "1280x800x24", "-nolisten", "tcp", "-noreset"},
            plat::test::ChildOutput::Inherited, std::vector<std::string> {}, "/dev/null");
        ::close(ready[1]);
        std::string number;
        pollfd heard {ready[0], POLLIN, 0};
        char got = 0;
        while (::poll(&heard, 1, 30 * 1000) == 1 && ::read(ready[0], &got, 1) == 1 && got != '\n')
            number += got;
        ::close(ready[0]);
        if (!number.empty())
            _name = ":" + number;
    }
    ~VirtualDisplay()
    {
        // Asked, so that it takes its lock and socket away.
        if (_server && _server->started()) {
            _server->sendSignal(SIGTERM);
            _server->wait(10 * plat::test::kBuildSlowdown);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& name() const { return _name; }

private:
    std::optional<plat::test::BoundedChild> _server;
    std::string _name;
};

class WindowedApp {
public:
    // Starts the app on the device folder as the idiom ("phone" or
    // "tablet"), with more environment (NAME=value), its log going to logPath.
    WindowedApp(const std::string& device, const std::string& idiom, const std::vector<std::string>& environment,
        std::string logPath)
        : _logPath(std::move(logPath))
        // A phone's screen is shown at twice its size.
        , _zoom(idiom == "phone" ? 2 : 1)
    {
        if (_display.name().empty())
            return;
        std::vector<std::string> more = environment;
        more.insert(more.end(),
            {"DISPLAY=" + _display.name(), "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER=x11", "ZANTROPE_LOG_PICTURES=1"});
        _environment = {"DISPLAY=" + _display.name()};
        _app.emplace(std::vector<std::string> {ZT_APP_BINARY, "--device", device, "--idiom", idiom},
            plat::test::ChildOutput::Inherited, more, _logPath);
    }
    ~WindowedApp() { stop(); }
    WindowedApp(const WindowedApp&) = delete;
    WindowedApp& operator=(const WindowedApp&) = delete;

    bool isRunning() const { return _app && _app->started(); }
    std::string log() const { return readText(_logPath); }
    // Waits at most seconds until the log holds text after its first `after` bytes.
    bool waitForLog(const std::string& text, double seconds, size_t after = 0) const
    {
        return waitForFile(
            _logPath, [&] { return log().find(text, after) != std::string::npos; }, seconds, _app ? &*_app : nullptr);
    }
    // Waits at most seconds for the window's first picture: then it takes clicks.
    bool waitForWindow(double seconds) const { return waitForLog("screen: picture 1 ", seconds); }

    // A click (press and release) at the point of the device's screen.
    bool click(double x, double y)
    {
        return xdotool({"mousemove", "--window", windowID(), at(x), at(y), "click", "1"});
    }
    // Clicks at the point until the screen (a view controller's class) has
    // come, at most three times: a click on a carousel still moving in only stops it.
    bool clickToOpen(double x, double y, const std::string& screen)
    {
        for (int tries = 0; tries < 3; ++tries)
            if (click(x, y) && waitForLog("screen: " + screen + " appeared", 6))
                return true;
        return false;
    }
    // A key press, by its X name ("Page_Up", "F5", "Return"), with the
    // pointer over the window, which then has the keyboard.
    bool key(const std::string& name) { return xdotool({"mousemove", "--window", windowID(), "1", "1", "key", name}); }

    // Asks the app to quit (SIGTERM) and waits a bounded time: its exit
    // status, -1 when it did not exit by itself (past the bound the test fails).
    int stop()
    {
        if (!isRunning())
            return -1;
        _app->sendSignal(SIGTERM);
        const int status = _app->wait(20 * plat::test::kBuildSlowdown).exitCode;
        _app.reset();
        return status;
    }

private:
    std::string at(double points) const { return std::to_string(static_cast<int>(points * _zoom)); }
    const std::string& windowID()
    {
        if (_windowID.empty()) {
            const std::string found = _logPath + ".window";
            if (runXdotool({"search", "--name", "^Zantrope$"}, found)) {
                _windowID = readText(found);
                _windowID = _windowID.substr(0, _windowID.find('\n'));
            }
        }
        return _windowID;
    }
    bool xdotool(const std::vector<std::string>& words)
    {
        if (windowID().empty()) {
            ADD_FAILURE() << "no window to click";
            return false;
        }
        return runXdotool(words, "");
    }
    bool runXdotool(const std::vector<std::string>& words, const std::string& output) const
    {
        std::vector<std::string> command {"xdotool"};
        command.insert(command.end(), words.begin(), words.end());
        // Started, or the test fails: scripts/install-deps.sh installs xdotool.
        plat::test::BoundedChild tool(
            command, plat::test::ChildOutput::Inherited, _environment, output.empty() ? "/dev/null" : output);
        return tool.wait(10 * plat::test::kBuildSlowdown).exitCode == 0;
    }

    VirtualDisplay _display;
    std::string _logPath;
    double _zoom;
    std::vector<std::string> _environment;
    std::optional<plat::test::BoundedChild> _app;
    std::string _windowID;
};

}  // namespace zt::test
