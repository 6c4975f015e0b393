// The carousel's say over touches: which its recognisers take, whether a
// pan may begin, and taps on items.
#include "uikit/Carousel.h"

#include <cmath>

#include "platform/foundation/Value.h"
#include "platform/ui/Control.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace zt {

namespace {

float single(double value)
{
    return static_cast<float>(value);
}

std::shared_ptr<plat::View> lastSubview(const plat::View& view)
{
    const auto& subviews = view.subviews();
    return subviews.empty() ? nullptr : subviews.back();
}

}  // namespace

bool Carousel::viewOrAncestorMatches(
    const plat::View* view, const std::function<bool(const plat::View&)>& matches) const
{
    if (!view)
        return false;
    std::shared_ptr<const plat::View> current = view->sharedAs<plat::View>();
    while (current && current != _contentView) {
        if (matches(*current))
            return true;
        current = current->superview();
    }
    return false;
}

bool Carousel::shouldReceiveTouch(plat::GestureRecognizer& recognizer, plat::Touch& touch)
{
    auto touched = touch.view();
    if (dynamic_cast<plat::TapGestureRecognizer*>(&recognizer)) {
        int64_t index = indexOfItemViewOrSubview(touched.get());
        if (index == plat::kNotFound) {
            if (!_centerItemWhenSelected)
                return true;
            // With only the current item interactive, a touch on another item lands on its container.
            auto inner = touched ? lastSubview(*touched) : nullptr;
            index = indexOfItemView(inner.get());
            if (index == plat::kNotFound)
                return true;
        }
        if (auto delegate = _delegate.lock(); delegate && !delegate->carouselShouldSelectItemAtIndex(*this, index))
            return false;
        // Controls and table view cells inside an item keep their own taps.
        return !viewOrAncestorMatches(touched.get(), [](const plat::View& v) {
            return dynamic_cast<const plat::Control*>(&v) != nullptr
                || dynamic_cast<const plat::TableViewCell*>(&v) != nullptr;
        });
    }
    if (dynamic_cast<plat::PanGestureRecognizer*>(&recognizer)) {
        bool onSliderOrSwitch = viewOrAncestorMatches(touched.get(), [](const plat::View& v) {
            return dynamic_cast<const plat::Slider*>(&v) != nullptr || dynamic_cast<const plat::Switch*>(&v) != nullptr;
        });
        return !onSliderOrSwitch && _scrollEnabled;
    }
    return true;
}

bool Carousel::shouldBeginGesture(plat::GestureRecognizer& recognizer)
{
    auto* pan = dynamic_cast<plat::PanGestureRecognizer*>(&recognizer);
    if (!pan || !_ignorePerpendicularSwipes)
        return true;
    plat::Point translation = pan->translationInView(this);
    const float across = std::fabs(single(translation.x));
    const float down = std::fabs(single(translation.y));
    return _vertical ? across <= down : across >= down;
}

void Carousel::didTap(plat::TapGestureRecognizer& recognizer)
{
    auto container = recognizer.view();
    auto itemView = container ? lastSubview(*container) : nullptr;
    int64_t index = indexOfItemView(itemView.get());
    if (index == plat::kNotFound)
        return;  // the container lost its item while the finger was down
    auto self = sharedAs<Carousel>();
    if (_centerItemWhenSelected && index != currentItemIndex())
        scrollToItemAtIndex(index, /*animated=*/true);
    if (auto delegate = _delegate.lock())
        delegate->carouselDidSelectItemAtIndex(*this, index);
}

}  // namespace zt
