#include "platform/ui/Responder.h"

#include "platform/ui/Window.h"

namespace plat {

std::shared_ptr<UndoManager> Responder::undoManager() const
{
    auto next = nextResponder();
    return next ? next->undoManager() : nullptr;
}

bool Responder::becomeFirstResponder()
{
    if (!canBecomeFirstResponder())
        return false;
    auto window = responderWindow();
    if (!window)
        return false;
    auto current = window->firstResponder();
    if (current.get() == this)
        return true;
    if (current && !current->resignFirstResponder())
        return false;
    window->setFirstResponder(sharedAs<Responder>());
    return true;
}

bool Responder::resignFirstResponder()
{
    if (!canResignFirstResponder())
        return false;
    if (auto window = responderWindow(); window && window->firstResponder().get() == this)
        window->setFirstResponder(nullptr);
    return true;
}

bool Responder::isFirstResponder() const
{
    auto window = responderWindow();
    return window && window->firstResponder().get() == this;
}

void Responder::touchesBegan(const TouchSet& touches, const Event& event)
{
    if (auto next = nextResponder())
        next->touchesBegan(touches, event);
}

void Responder::touchesMoved(const TouchSet& touches, const Event& event)
{
    if (auto next = nextResponder())
        next->touchesMoved(touches, event);
}

void Responder::touchesEnded(const TouchSet& touches, const Event& event)
{
    if (auto next = nextResponder())
        next->touchesEnded(touches, event);
}

void Responder::touchesCancelled(const TouchSet& touches, const Event& event)
{
    if (auto next = nextResponder())
        next->touchesCancelled(touches, event);
}

}  // namespace plat
