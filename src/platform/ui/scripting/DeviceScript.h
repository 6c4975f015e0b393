#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"

namespace plat::scripting {
class UIDriver;

// A device script: one command a line, driving the app from the outside as
// a person would. Blank lines and lines starting with '#' are skipped.
//   tap LABEL            taps the frontmost view showing LABEL
//   tapat X Y            taps the point (window points)
//   drag X1 Y1 X2 Y2     drags from one point to the other
//   type TEXT            types the rest of the line ("\n" return, "\b" backspace, "\\" a backslash)
//   wait SECONDS         lets the app run
//   screenshot FILE      writes the screen as PNG (relative to the working folder)
//   checklayout [SCREEN] [| known TEXT; ...]
//                        fails when a control or text on screen is cut off or covered (see layoutFaults)
//   checkcontrast [SCREEN] [| known TEXT; ...]
//                        fails when a text on screen stands out too little from what is behind it
//                        (see contrastFaults)
//   checkcontrols SCREEN [| except NAME; ...] [| last NAME; ...] [| only NAME; ...] [| back COMMAND; ...]
//                 [| known TEXT; ...]
//                        taps every control on screen in turn and fails naming the screen and each
//                        control that did nothing a person sees (see ControlsCheck); except leaves
//                        controls out by name ("Hold * times": a star stands for any text), last taps
//                        those after all others in turn (a name given again is tapped again, so that a
//                        control is tried right after each of several; the final one may leave the
//                        screen for good), only taps just those, back gives the commands that reach the
//                        screen again after a control left it
//                        The three checks name SCREEN in their messages. A fault whose message holds
//                        a known TEXT (a star stands for any text) is logged and does not fail (one
//                        being mended); a known TEXT that no fault holds fails, so that the list is
//                        kept exact.
//                        Controls are called by their shown title or accessibility label (see namesOf),
//                        in checkcontrols and unhook alike; a name that calls no control fails.
//   unhook NAME          removes every action of each control called NAME (of its bar item too), so
//                        that a check can be shown a dead control
//   openurl URL          another app hands the URL over
//   background           the home button: resign active, enter background
//   foreground           back from the background
//   quit                 the app terminates; later lines are not run
// A script is outside input: errors name the line and stop the run.
class DeviceScript {
public:
    struct Command {
        int line = 0;
        std::string verb;
        std::vector<std::string> words;  // split arguments
        std::string rest;  // the text after the verb (for type)
        // checkcontrols: the screen's name, the controls left out, tapped last
        // and tapped alone, the way back. The checks: the faults known.
        std::string screen;
        std::vector<std::string> leftOut;
        std::vector<std::string> last;
        std::vector<std::string> only;
        std::vector<Command> comeBack;
        std::vector<std::string> known;
    };

    // Errors of domain "DeviceScript": 1 unreadable file, 2 syntax, 3 a command that failed.
    static constexpr const char* kErrorDomain = "DeviceScript";
    static constexpr int64_t kUnreadable = 1;
    static constexpr int64_t kSyntax = 2;
    static constexpr int64_t kFailed = 3;
    static constexpr int64_t kMaxScriptBytes = 1 << 20;

    static Result<DeviceScript> parse(const std::string& text);
    static Result<DeviceScript> load(const std::string& path);

    const std::vector<Command>& commands() const { return _commands; }
    // Runs the commands in order; stops at the first that fails. shown, when
    // given, runs after every command (a desktop window showing the screen).
    // quitRequested, when given, is asked before every command and during a
    // wait: once it answers yes the run stops with an error.
    Result<void> run(UIDriver& driver, const std::function<void()>& shown = {},
        const std::function<bool()>& quitRequested = {}) const;
    // True when the script ended with quit.
    bool endsWithQuit() const;

private:
    Result<void> runCommand(UIDriver& driver, const Command& command) const;
    Result<void> waitUnlessAskedToQuit(
        UIDriver& driver, const Command& command, const std::function<bool()>& quitRequested) const;

    std::vector<Command> _commands;
};

}  // namespace plat::scripting
