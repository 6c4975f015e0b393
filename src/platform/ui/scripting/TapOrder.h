#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/scripting/TappableControls.h"

namespace plat::scripting::detail {

// Which control a check taps next. Every control allowed (not left out; of
// the only list, when one is given) once, in the order the screen shows
// them, and those of the last list after all others, in turns, one a name
// of the list: a name given again taps its control again, so that one check
// tries a control right after each of several others. Names are patterns
// (see isCalled). Main thread.
class TapOrder {
public:
    TapOrder(std::vector<std::string> leftOut, std::vector<std::string> last, std::vector<std::string> only);

    struct Next {
        Tappable control;
        // Nothing is tapped after it: the check may end where it leaves the app.
        bool isFinal = false;
    };
    // The next control among those shown, taken as tapped; none when each
    // has had its turn.
    std::optional<Next> next(const std::vector<Tappable>& shown);
    // True when the control has not had the turn it is due.
    bool isPending(const Tappable& control) const;

private:
    bool isAllowed(const Tappable& control) const;
    bool isDueInTurn(const Tappable& control) const;

    std::vector<std::string> _leftOut;
    std::vector<std::string> _last;
    std::vector<std::string> _only;
    std::vector<std::string> _done;  // keys of the controls tapped
    size_t _turn = 0;  // of the last list
    std::vector<std::string> _doneInTurn;
};

}  // namespace plat::scripting::detail
