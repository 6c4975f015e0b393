#include "platform/ui/scripting/DeviceScript.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ControlsCheck.h"
#include "platform/ui/scripting/LayoutCheck.h"
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
    {"checklayout", 0, 0},
    {"checkcontrols", 1, -1},
    {"openurl", 1, 1},
    {"background", 0, 0},
    {"foreground", 0, 0},
    {"quit", 0, 0},
};

Error syntaxError(int line, const std::string& what)
{
    return Error(DeviceScript::kErrorDomain, DeviceScript::kSyntax, formatLine("line {}: {}", line, what));
}

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

// "SCREEN | except A; B | last C | back tap X; wait 1" into the command's screen, names left out and
// tapped last, and way back.
Result<void> parseControlsCheck(DeviceScript::Command& command)
{
    const auto parts = split(command.rest, '|');
    command.screen = parts.empty() ? std::string() : parts.front();
    if (command.screen.empty())
        return syntaxError(command.line, "checkcontrols names the screen");
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const size_t space = part.find(' ');
        const std::string word = part.substr(0, space);
        const std::string list = space == std::string::npos ? std::string() : part.substr(space + 1);
        if (word == "except" || word == "last") {
            for (const std::string& name : split(list, ';'))
                if (!name.empty())
                    (word == "except" ? command.leftOut : command.last).push_back(name);
        } else if (word == "back") {
            std::string lines;
            for (const std::string& line : split(list, ';'))
                lines += line + "\n";
            auto back = DeviceScript::parse(lines);
            if (!back.ok())
                return syntaxError(command.line, "the way back: " + back.error().localizedDescription());
            for (const auto& step : back.value().commands()) {
                if (step.verb == "checkcontrols" || step.verb == "quit")
                    return syntaxError(command.line, "the way back cannot " + step.verb);
                command.comeBack.push_back(step);
                command.comeBack.back().line = command.line;
            }
        } else {
            return syntaxError(
                command.line, "checkcontrols takes \"except\", \"last\" and \"back\", not \"" + word + "\"");
        }
    }
    return Result<void>::success();
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
        if (command.verb == "checkcontrols")
            if (auto checked = parseControlsCheck(command); !checked.ok())
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

Result<void> DeviceScript::run(UIDriver& driver, const std::function<void()>& shown) const
{
    for (const auto& c : _commands) {
        auto ran = runCommand(driver, c);
        if (shown)
            shown();
        if (!ran.ok() || c.verb == "quit")
            return ran;
    }
    return Result<void>::success();
}

Result<void> DeviceScript::runCommand(UIDriver& driver, const Command& c) const
{
    auto& app = Application::sharedApplication();
    const auto& w = c.words;
    // Every command meets the app at rest: what fell due is done.
    settle();
    if (c.verb == "tap" || c.verb == "tapat" || c.verb == "drag" || c.verb == "checklayout"
        || c.verb == "checkcontrols")
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
    } else if (c.verb == "checklayout") {
        auto window = driver.window();
        if (!window)
            return failure(c, "no window to look at");
        std::string found;
        for (const std::string& fault : layoutFaults(*window))
            found += (found.empty() ? "" : "; ") + fault;
        if (!found.empty())
            return failure(c, found);
    } else if (c.verb == "checkcontrols") {
        std::function<Result<void>()> comeBack;
        if (!c.comeBack.empty())
            comeBack = [&]() -> Result<void> {
                for (const Command& step : c.comeBack)
                    if (auto ran = runCommand(driver, step); !ran.ok())
                        return ran;
                return Result<void>::success();
            };
        ControlsCheck check(driver, {c.screen, c.leftOut, c.last, comeBack});
        std::string found;
        for (const std::string& fault : check.run())
            found += (found.empty() ? "" : "; ") + fault;
        if (!found.empty())
            return failure(c, found);
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
