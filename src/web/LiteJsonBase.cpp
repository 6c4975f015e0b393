#include "web/LiteJsonBase.h"

#include <algorithm>

namespace zt {

namespace {

constexpr size_t kDefaultMaxDepth = 512;

}  // namespace

LiteJsonBase::LiteJsonBase()
    : _maxDepth(kDefaultMaxDepth)
{
}

LiteJsonBase::~LiteJsonBase() = default;

void LiteJsonBase::addErrorWithCode(int64_t code, std::string description)
{
    std::shared_ptr<const plat::Error> underlying;
    if (!_errorTrace.empty())
        underlying = std::make_shared<const plat::Error>(_errorTrace.back());
    plat::Dictionary userInfo;
    userInfo.set("NSLocalizedDescription", description);
    notify(ErrorTraceChange::WillChange);
    _errorTrace.emplace_back(kLiteJsonErrorDomain, code, std::move(description), std::move(userInfo), underlying);
    notify(ErrorTraceChange::DidChange);
}

void LiteJsonBase::clearErrorTrace()
{
    notify(ErrorTraceChange::WillChange);
    _errorTrace.clear();
    notify(ErrorTraceChange::DidChange);
}

size_t LiteJsonBase::addErrorTraceObserver(ErrorTraceObserver observer)
{
    const size_t token = _nextObserverToken++;
    _observers.emplace_back(token, std::move(observer));
    return token;
}

void LiteJsonBase::removeErrorTraceObserver(size_t token)
{
    std::erase_if(_observers, [token](const auto& entry) { return entry.first == token; });
}

void LiteJsonBase::notify(ErrorTraceChange change)
{
    for (const auto& [token, observer] : _observers)
        observer(change);
}

size_t LiteJsonBase::effectiveMaxDepth() const
{
    return _maxDepth == 0 ? kLiteJsonDepthCeiling : std::min(_maxDepth, kLiteJsonDepthCeiling);
}

std::string describeErrorTrace(const std::vector<plat::Error>& trace)
{
    std::string text = "(";
    for (size_t i = 0; i < trace.size(); ++i) {
        text += i == 0 ? "\n    " : ",\n    ";
        text += "Error Domain=" + trace[i].domain() + " Code=" + std::to_string(trace[i].code()) + " \""
            + trace[i].localizedDescription() + "\"";
    }
    return text + "\n)";
}

}  // namespace zt
