#include "uikit/BubbleTouchableView.h"

#include <algorithm>

namespace zt {

BubbleTouchableView::BubbleTouchableView(plat::Rect frame)
    : plat::View(frame)
{
}

std::shared_ptr<plat::View> BubbleTouchableView::hitTest(plat::Point point, const plat::Event* event)
{
    if (_testingHits)
        return nullptr;  // so the nested test sees the views beneath
    if (_touchForwardingDisabled)
        return sharedAs<plat::View>();
    auto hit = plat::View::hitTest(point, event);
    if (hit.get() != this)
        return hit;  // the bubble, something in it, or nothing
    auto super = superview();
    if (!super)
        return hit;
    _testingHits = true;
    auto beneath = super->hitTest(convertPoint(point, super.get()), event);
    _testingHits = false;
    return isPassthroughView(beneath.get()) ? beneath : hit;
}

bool BubbleTouchableView::isPassthroughView(const plat::View* view) const
{
    for (; view; view = view->superview().get()) {
        if (std::any_of(_passthroughViews.begin(), _passthroughViews.end(),
                [view](const std::shared_ptr<plat::View>& passthrough) { return passthrough.get() == view; }))
            return true;
    }
    return false;
}

void BubbleTouchableView::touchesBegan(const plat::TouchSet&, const plat::Event&)
{
    if (auto delegate = _delegate.lock())
        delegate->viewWasTouched(*this);
}

}  // namespace zt
