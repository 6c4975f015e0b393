#include "platform/ui/scripting/TapOrder.h"

#include <algorithm>
#include <utility>

namespace plat::scripting::detail {

namespace {

bool isCalledAny(const Tappable& control, const std::vector<std::string>& patterns)
{
    return std::any_of(
        patterns.begin(), patterns.end(), [&](const std::string& pattern) { return isCalled(control, pattern); });
}

bool holdsKey(const std::vector<std::string>& keys, const std::string& key)
{
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

TapOrder::TapOrder(std::vector<std::string> leftOut, std::vector<std::string> last, std::vector<std::string> only)
    : _leftOut(std::move(leftOut))
    , _last(std::move(last))
    , _only(std::move(only))
{
}

bool TapOrder::isAllowed(const Tappable& control) const
{
    return !isCalledAny(control, _leftOut) && (_only.empty() || isCalledAny(control, _only));
}

bool TapOrder::isPending(const Tappable& control) const
{
    return !holdsKey(_done, control.key) && isAllowed(control);
}

bool TapOrder::isDueInTurn(const Tappable& control) const
{
    if (_turn >= _last.size() || !isCalled(control, _last[_turn]) || holdsKey(_doneInTurn, control.key))
        return false;
    const auto turnStart = _last.begin() + static_cast<std::ptrdiff_t>(_turn);
    const bool again = std::find(_last.begin(), turnStart, _last[_turn]) != turnStart;
    return again ? isAllowed(control) : isPending(control);
}

std::optional<TapOrder::Next> TapOrder::next(const std::vector<Tappable>& shown)
{
    auto found = std::find_if(shown.begin(), shown.end(),
        [&](const Tappable& control) { return isPending(control) && !isCalledAny(control, _last); });
    while (found == shown.end() && _turn < _last.size()) {
        found = std::find_if(shown.begin(), shown.end(), [&](const Tappable& control) { return isDueInTurn(control); });
        if (found == shown.end()) {
            ++_turn;
            _doneInTurn.clear();
        }
    }
    if (found == shown.end())
        return std::nullopt;
    const bool inTurn = isDueInTurn(*found);
    if (inTurn)
        _doneInTurn.push_back(found->key);
    _done.push_back(found->key);
    const bool isFinal = inTurn && _turn + 1 == _last.size()
        && std::none_of(shown.begin(), shown.end(), [&](const Tappable& control) { return isDueInTurn(control); });
    return Next {*found, isFinal};
}

}  // namespace plat::scripting::detail
