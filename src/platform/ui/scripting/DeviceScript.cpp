#include "platform/ui/scripting/DeviceScript.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ContrastCheck.h"
#include "platform/ui/scripting/ControlsCheck.h"
#include "platform/ui/scripting/LayoutCheck.h"
#include "platform/ui/scripting/TappableControls.h"
#include "platform/ui/scripting/UIDriver.h"

namespace plat::scripting {

namespace {

// A script may not ask the app to sleep longer than this in one command.
constexpr double kLongestWaitSeconds = 3600;

struct Shape {
    const char* verb;
    int minimumWords;
    int maximumWords;  // -1: the rest of the line
};

constexpr Shape kShapes[] = {
    {"tap", 1, -1},
    {"tapat", 2, 2},
    {"drag", 4, 4},
    {"type", 1, -1},
    {"wait", 1, 1},
    {"screenshot", 1, -1},
    {"checklayout", 0, -1},
    {"checkcontrast", 0, -1},
    {"checkcontrols", 1, -1},
    {"unhook", 1, -1},
    {"openurl", 1, 1},
    {"background", 0, 0},
    {"foreground", 0, 0},
    {"quit", 0, 0},
};

Error syntaxError(int line, const std::string& what)
{
    return Error(DeviceScript::kErrorDomain, DeviceScript::kSyntax, formatLine("line {}: {}", line, what));
}

// A wait passes this much of the app's time at a time, and then looks
// whether the app was asked to quit.
constexpr double kQuitCheckSeconds = 1.0;
constexpr const char* kAskedToQuit = "the app was asked to quit (SIGINT or SIGTERM)";

Error failure(const DeviceScript::Command& command, const std::string& what)
{
    return Error(DeviceScript::kErrorDomain, DeviceScript::kFailed,
        formatLine("line {} ({}): {}", command.line, command.verb, what));
}

std::optional<double> number(const std::string& word)
{
    double value = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n' ? '\n' : next == 'b' ? '\b' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string trimmed(const std::string& text)
{
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(trimmed(part));
    return parts;
}

bool isCheck(const std::string& verb)
{
    return verb == "checklayout" || verb == "checkcontrast" || verb == "checkcontrols";
}

// "SCREEN | except A; B | last C | back tap X; wait 1 | known D" into the
// command's screen, names left out, tapped last and tapped alone, way back
// and faults known. Only checkcontrols taps, and it needs the screen's name.
Result<void> parseCheck(DeviceScript::Command& command)
{
    const bool taps = command.verb == "checkcontrols";
    const auto parts = split(command.rest, '|');
    command.screen = parts.empty() ? std::string() : parts.front();
    if (taps && command.screen.empty())
        return syntaxError(command.line, "checkcontrols names the screen");
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const size_t space = part.find(' ');
        const std::string word = part.substr(0, space);
        const std::string list = space == std::string::npos ? std::string() : part.substr(space + 1);
        if (taps && (word == "except" || word == "last" || word == "only")) {
            auto& names = word == "except" ? command.leftOut : word == "last" ? command.last : command.only;
            for (const std::string& name : split(list, ';'))
                if (!name.empty())
                    names.push_back(name);
        } else if (word == "known") {
            for (const std::string& text : split(list, ';'))
                if (!text.empty())
                    command.known.push_back(text);
        } else if (taps && word == "back") {
            std::string lines;
            for (const std::string& line : split(list, ';'))
                lines += line + "\n";
            auto back = DeviceScript::parse(lines);
            if (!back.ok())
                return syntaxError(command.line, "the way back: " + back.error().localizedDescription());
            for (const auto& step : back.value().commands()) {
                if (isCheck(step.verb) || step.verb == "quit")
                    return syntaxError(command.line, "the way back cannot " + step.verb);
                command.comeBack.push_back(step);
                command.comeBack.back().line = command.line;
            }
        } else {
            return syntaxError(command.line,
                command.verb
                    + (taps ? " takes \"except\", \"last\", \"only\", \"back\" and \"known\", not \""
                            : " takes \"known\", not \"")
                    + word + "\"");
        }
    }
    return Result<void>::success();
}

// True when the message holds the text, in which a star stands for any text.
bool holdsText(const std::string& message, const std::string& text)
{
    size_t from = 0;
    for (const std::string& piece : split(text, '*')) {
        const size_t found = message.find(piece, from);
        if (found == std::string::npos)
            return false;
        from = found + piece.size();
    }
    return true;
}

// The faults that fail the check: those no known text stands for. Known
// faults go to the log; a known text that stands for none fails too.
std::vector<std::string> unknownFaults(const DeviceScript::Command& command, const std::vector<std::string>& faults)
{
    std::vector<std::string> failing;
    std::vector<bool> used(command.known.size(), false);
    for (const std::string& fault : faults) {
        bool known = false;
        for (size_t i = 0; i < command.known.size(); ++i)
            if (holdsText(fault, command.known[i]))
                known = used[i] = true;
        if (known)
            log("{}: known fault: {}", command.verb, fault);
        else
            failing.push_back(fault);
    }
    for (size_t i = 0; i < command.known.size(); ++i)
        if (!used[i])
            failing.push_back(
                "the known fault \"" + command.known[i] + "\" is no longer found: it is mended, take it off the list");
    return failing;
}

// The faults as one message, each naming the screen when the check was given its name.
std::string joinedFaults(const std::string& screen, const std::vector<std::string>& faults)
{
    std::string found;
    for (const std::string& fault : faults)
        found += (found.empty() ? "" : "; ") + (screen.empty() ? fault : "on \"" + screen + "\": " + fault);
    return found;
}

}  // namespace

Result<DeviceScript> DeviceScript::parse(const std::string& text)
{
    DeviceScript script;
    std::istringstream lines(text);
    std::string raw;
    int lineNumber = 0;
    while (std::getline(lines, raw)) {
        ++lineNumber;
        std::string line = trimmed(raw);
        if (line.empty() || line[0] == '#')
            continue;
        Command command;
        command.line = lineNumber;
        size_t space = line.find_first_of(" \t");
        command.verb = line.substr(0, space);
        command.rest = space == std::string::npos ? std::string() : trimmed(line.substr(space + 1));
        std::istringstream words(command.rest);
        for (std::string word; words >> word;)
            command.words.push_back(word);
        const Shape* shape = nullptr;
        for (const auto& candidate : kShapes)
            if (command.verb == candidate.verb)
                shape = &candidate;
        if (!shape)
            return syntaxError(lineNumber, "unknown command \"" + command.verb + "\"");
        int count = static_cast<int>(command.words.size());
        if (count < shape->minimumWords || (shape->maximumWords >= 0 && count > shape->maximumWords))
            return syntaxError(lineNumber, "wrong number of arguments for " + command.verb);
        if (command.verb == "tapat" || command.verb == "drag" || command.verb == "wait") {
            for (const auto& word : command.words)
                if (!number(word))
                    return syntaxError(lineNumber, "\"" + word + "\" is not a number");
        }
        if (command.verb == "wait"
            && (*number(command.words[0]) < 0 || *number(command.words[0]) > kLongestWaitSeconds))
            return syntaxError(lineNumber, "a wait runs from 0 to 3600 seconds");
        if (command.verb == "openurl" && !URL::URLWithString(command.words[0]))
            return syntaxError(lineNumber, "\"" + command.words[0] + "\" is not a URL");
        if (isCheck(command.verb))
            if (auto checked = parseCheck(command); !checked.ok())
                return checked.error();
        script._commands.push_back(std::move(command));
    }
    return script;
}

Result<DeviceScript> DeviceScript::load(const std::string& path)
{
    auto bytes = readFile(path, kMaxScriptBytes);
    if (!bytes.ok())
        return Error(
            kErrorDomain, kUnreadable, "cannot read the script " + path + ": " + bytes.error().localizedDescription());
    return parse(std::string(bytes.value().begin(), bytes.value().end()));
}

bool DeviceScript::endsWithQuit() const
{
    return !_commands.empty() && _commands.back().verb == "quit";
}

Result<void> DeviceScript::run(
    UIDriver& driver, const std::function<void()>& shown, const std::function<bool()>& quitRequested) const
{
    for (const auto& c : _commands) {
        if (quitRequested && quitRequested())
            return failure(c, kAskedToQuit);
        auto ran = c.verb == "wait" && quitRequested ? waitUnlessAskedToQuit(driver, c, quitRequested)
                                                     : runCommand(driver, c);
        if (shown)
            shown();
        if (!ran.ok() || c.verb == "quit")
            return ran;
    }
    return Result<void>::success();
}

// In steps, so that a long wait ends soon after the app is asked to quit.
// Each step ends where the whole wait would have passed: what falls due
// comes at the same moments as in one step.
Result<void> DeviceScript::waitUnlessAskedToQuit(
    UIDriver& driver, const Command& c, const std::function<bool()>& quitRequested) const
{
    settle();
    const double end = Clock::current().uptimeSeconds() + *number(c.words[0]);
    do {
        driver.wait(std::min(kQuitCheckSeconds, end - Clock::current().uptimeSeconds()));
        if (quitRequested())
            return failure(c, kAskedToQuit);
    } while (Clock::current().uptimeSeconds() < end);
    return Result<void>::success();
}

Result<void> DeviceScript::runCommand(UIDriver& driver, const Command& c) const
{
    auto& app = Application::sharedApplication();
    const auto& w = c.words;
    // Every command meets the app at rest: what fell due is done.
    settle();
    if (c.verb == "tap" || c.verb == "tapat" || c.verb == "drag" || isCheck(c.verb) || c.verb == "unhook")
        driver.waitForTouchableScreen();
    if (c.verb == "tap") {
        if (auto tapped = driver.tryTap(c.rest); !tapped.ok())
            return failure(c, tapped.error().localizedDescription());
    } else if (c.verb == "tapat") {
        driver.tapAt({*number(w[0]), *number(w[1])});
    } else if (c.verb == "drag") {
        driver.drag({*number(w[0]), *number(w[1])}, {*number(w[2]), *number(w[3])});
    } else if (c.verb == "type") {
        if (!driver.type(unescape(c.rest)))
            return failure(c, "nothing on screen takes typing");
    } else if (c.verb == "wait") {
        driver.wait(*number(w[0]));
    } else if (c.verb == "screenshot") {
        auto picture = driver.screenshot();
        if (!picture)
            return failure(c, "no window to take a picture of");
        if (auto written = writeScreenshot(*picture, c.rest); !written.ok())
            return failure(c, written.error().localizedDescription());
    } else if (c.verb == "checklayout" || c.verb == "checkcontrast") {
        auto window = driver.window();
        if (!window)
            return failure(c, "no window to look at");
        const auto faults = c.verb == "checklayout" ? layoutFaults(*window) : contrastFaults(*window);
        if (auto found = joinedFaults(c.screen, unknownFaults(c, faults)); !found.empty()) {
            return failure(c, found);
        }
    } else if (c.verb == "checkcontrols") {
        std::function<Result<void>()> comeBack;
        if (!c.comeBack.empty())
            comeBack = [&]() -> Result<void> {
                for (const Command& step : c.comeBack)
                    if (auto ran = runCommand(driver, step); !ran.ok())
                        return ran;
                return Result<void>::success();
            };
        ControlsCheck check(driver, {c.screen, c.leftOut, c.last, comeBack, c.only});
        // The check names the screen itself.
        if (auto found = joinedFaults({}, unknownFaults(c, check.run())); !found.empty()) {
            return failure(c, found);
        }
    } else if (c.verb == "unhook") {
        auto window = driver.window();
        if (!window)
            return failure(c, "no window to look at");
        // Named as checkcontrols names controls, so that a check finds the very control unhooked.
        int unhooked = 0;
        for (const auto& tappable : detail::tappableControls(driver, *window))
            if (auto control = std::dynamic_pointer_cast<Control>(tappable.view);
                control && detail::isCalled(tappable, c.rest)) {
                detail::unhook(*control, *window);
                ++unhooked;
            }
        if (unhooked == 0)
            return failure(c, "no control a person can tap is called \"" + c.rest + "\"");
    } else if (c.verb == "openurl") {
        auto url = URL::URLWithString(w[0]);
        app.openURLFromApplication(*url, std::string(), Value());
        driver.wait(0);
    } else if (c.verb == "background") {
        app.enterBackground();
        driver.wait(0);
    } else if (c.verb == "foreground") {
        app.enterForeground();
        driver.wait(0);
    } else if (c.verb == "quit") {
        app.terminate();
    }
    return Result<void>::success();
}

}  // namespace plat::scripting
