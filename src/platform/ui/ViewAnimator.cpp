#include "platform/ui/ViewAnimator.h"

#include <algorithm>
#include <limits>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AttachedAnimation.h"
#include "platform/ui/BasicAnimation.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"

namespace plat::detail {

namespace {

// The layer properties that view animations move, as on the platform.
bool isViewAnimatable(std::string_view keyPath)
{
    return keyPath == "position" || keyPath == "bounds" || keyPath == "opacity" || keyPath == "transform"
        || keyPath == "backgroundColor";
}

MediaTimingFunction curveFunction(uint64_t options)
{
    switch ((options >> 16) & 0xF) {
    case 1:
        return MediaTimingFunction::functionWithName(MediaTimingFunction::Name::EaseIn);
    case 2:
        return MediaTimingFunction::functionWithName(MediaTimingFunction::Name::EaseOut);
    case 3:
        return MediaTimingFunction::functionWithName(MediaTimingFunction::Name::Linear);
    default:
        return MediaTimingFunction::functionWithName(MediaTimingFunction::Name::EaseInEaseOut);
    }
}

// Counts the layer animations of one block until the last has stopped.
struct CompletionCount {
    int outstanding = 0;
    bool allFinished = true;
    std::function<void(bool)> completion;
};

}  // namespace

ViewAnimator& ViewAnimator::shared()
{
    static ViewAnimator animator;
    return animator;
}

void ViewAnimator::animate(
    const Settings& settings, const std::function<void()>& animations, std::function<void(bool finished)> completion)
{
    if (!isMainThread())
        detail::fatal("View animations: main thread only");
    Block block;
    block.settings = settings;
    block.completion = std::move(completion);
    _open.push_back(std::move(block));
    if (animations)
        animations();
    Block finished = std::move(_open.back());
    _open.pop_back();
    close(std::move(finished));
}

void ViewAnimator::performWithoutAnimation(const std::function<void()>& actions)
{
    ++_disabled;
    if (actions)
        actions();
    --_disabled;
}

void ViewAnimator::beginAnimations(std::string animationID, Value context)
{
    Block block;
    block.named = true;
    block.animationID = std::move(animationID);
    block.context = std::move(context);
    _open.push_back(std::move(block));
}

void ViewAnimator::commitAnimations()
{
    if (_open.empty() || !_open.back().named)
        detail::fatal("View::commitAnimations without beginAnimations");
    Block block = std::move(_open.back());
    _open.pop_back();
    close(std::move(block));
}

void ViewAnimator::setDuration(double seconds)
{
    if (!_open.empty() && _open.back().named)
        _open.back().settings.duration = seconds;
}

void ViewAnimator::setDelay(double seconds)
{
    if (!_open.empty() && _open.back().named)
        _open.back().settings.delay = seconds;
}

void ViewAnimator::setCurve(ViewAnimationCurve curve)
{
    if (!_open.empty() && _open.back().named) {
        auto& options = _open.back().settings.options;
        options = (options & ~(uint64_t(0xF) << 16)) | (static_cast<uint64_t>(curve) << 16);
    }
}

void ViewAnimator::setBeginsFromCurrentState(bool fromCurrentState)
{
    if (!_open.empty() && _open.back().named) {
        auto& options = _open.back().settings.options;
        options = fromCurrentState ? options | ViewAnimationOptionBeginFromCurrentState
                                   : options & ~uint64_t(ViewAnimationOptionBeginFromCurrentState);
    }
}

void ViewAnimator::setDelegate(std::weak_ptr<ViewAnimationDelegate> delegate)
{
    if (!_open.empty() && _open.back().named)
        _open.back().delegate = std::move(delegate);
}

void ViewAnimator::layerWillChange(Layer& layer, std::string_view keyPath)
{
    if (_open.empty() || _disabled > 0 || !_enabled || !isViewAnimatable(keyPath))
        return;
    Block& block = _open.back();
    for (const auto& change : block.changes) {
        auto changed = change.layer.lock();
        if (changed.get() == &layer && change.keyPath == keyPath)
            return;  // the first value of the block is where it starts
    }
    auto from = valueForKeyPath(layer.properties(), keyPath);
    auto shownFrom = valueForKeyPath(layer.presentationProperties(), keyPath);
    if (!from || !shownFrom)
        return;
    block.changes.push_back(
        {std::static_pointer_cast<Layer>(layer.shared_from_this()), std::string(keyPath), *from, *shownFrom});
}

void ViewAnimator::close(Block block)
{
    const Settings& settings = block.settings;
    if (settings.options & ViewAnimationOptionLayoutSubviews) {
        // Layout that the changes cause animates with them.
        _open.push_back(std::move(block));
        auto changes = _open.back().changes;
        for (const auto& change : changes)
            if (auto layer = change.layer.lock())
                layer->layoutIfNeeded();
        block = std::move(_open.back());
        _open.pop_back();
    }

    auto count = std::make_shared<CompletionCount>();
    auto delegate = block.delegate;
    std::string animationID = block.animationID;
    Value context = block.context;
    bool named = block.named;
    auto userCompletion = std::move(block.completion);
    count->completion = [named, delegate, animationID, context, userCompletion](bool finished) {
        if (named) {
            if (auto d = delegate.lock())
                d->animationDidStop(animationID, finished, context);
        }
        if (userCompletion)
            userCompletion(finished);
    };
    if (named) {
        if (auto d = delegate.lock())
            d->animationWillStart(animationID, context);
    }

    const double now = currentMediaTime();
    const bool repeats = settings.options & ViewAnimationOptionRepeat;
    for (const auto& change : block.changes) {
        auto layer = change.layer.lock();
        if (!layer)
            continue;
        auto to = valueForKeyPath(layer->properties(), change.keyPath);
        if (!to)
            continue;
        BasicAnimation animation(change.keyPath);
        animation.setFromValue(
            (settings.options & ViewAnimationOptionBeginFromCurrentState) ? change.presentationFrom : change.from);
        animation.setToValue(*to);
        animation.setDuration(settings.duration > 0 ? settings.duration : 1e-6);
        if (settings.delay > 0) {
            animation.setBeginTime(now + settings.delay);
            animation.setFillMode(FillMode::Backwards);
        }
        animation.setTimingFunction(settings.spring ? *settings.spring : curveFunction(settings.options));
        if (repeats)
            animation.setRepeatCount(std::numeric_limits<double>::infinity());
        animation.setAutoreverses(settings.options & ViewAnimationOptionAutoreverse);
        // Earlier animations of the same property run on; the key only has to be new.
        std::string key = change.keyPath;
        for (int n = 1; layer->animationForKey(key); ++n)
            key = change.keyPath + "-" + std::to_string(n);
        auto record = layer->attachAnimation(animation, key);
        record->blocksInteraction = !(settings.options & ViewAnimationOptionAllowUserInteraction);
        ++count->outstanding;
        record->stopObservers.push_back([count](bool finished) {
            count->allFinished = count->allFinished && finished;
            if (--count->outstanding == 0 && count->completion) {
                auto completion = std::move(count->completion);
                count->completion = nullptr;
                completion(count->allFinished);
            }
        });
    }
    if (count->outstanding == 0) {
        auto completion = std::move(count->completion);
        DispatchQueue::mainQueue().async([completion] { completion(true); });
    }
}

}  // namespace plat::detail
