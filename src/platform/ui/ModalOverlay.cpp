#include "platform/ui/ModalOverlay.h"

#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

namespace plat::detail {

std::shared_ptr<ModalOverlay> ModalOverlay::showInKeyWindow(double dimmingAlpha)
{
    auto window = Application::sharedApplication().keyWindow();
    if (!window)
        return nullptr;
    return showInWindow(*window, dimmingAlpha);
}

std::shared_ptr<ModalOverlay> ModalOverlay::showInWindow(Window& window, double dimmingAlpha)
{
    auto overlay = std::make_shared<ModalOverlay>(window.bounds());
    overlay->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
    overlay->setBackgroundColor(Color::colorWithWhite(0, dimmingAlpha));
    window.addSubview(overlay);
    return overlay;
}

ModalOverlay::ModalOverlay(Rect frame)
    : View(frame)
{
}

bool ModalOverlay::isPassthrough(const View* view) const
{
    for (; view; view = view->superview().get())
        for (const auto& weak : _passthrough)
            if (weak.lock().get() == view)
                return true;
    return false;
}

std::shared_ptr<View> ModalOverlay::hitTest(Point point, const Event* event)
{
    if (_lookingBeneath)
        return nullptr;
    auto hit = View::hitTest(point, event);
    if (hit.get() != this || _passthrough.empty())
        return hit;
    // Beside the content: a passthrough view beneath takes the touch.
    auto super = superview();
    if (!super)
        return hit;
    _lookingBeneath = true;
    auto beneath = super->hitTest(convertPoint(point, super.get()), event);
    _lookingBeneath = false;
    return isPassthrough(beneath.get()) ? beneath : hit;
}

void ModalOverlay::touchesBegan(const TouchSet&, const Event&)
{
    auto keepAlive = weak_from_this().lock();
    if (_touchedOutside) {
        auto handler = _touchedOutside;
        handler();
    }
}

}  // namespace plat::detail
