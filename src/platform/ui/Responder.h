#pragma once
#include <memory>

#include "platform/ui/Object.h"
#include "platform/ui/Touch.h"

namespace plat {
class UndoManager;
class Window;

// The platform's responder: a link in the chain that touches not handled by
// a view travel along (view, its controller, the superview ... the window,
// the application), and the first responder of a window, which receives
// typed text. Main thread.
class Responder : public Object {
public:
    virtual std::shared_ptr<Responder> nextResponder() const { return nullptr; }

    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool canResignFirstResponder() const { return true; }
    // False when it cannot, when it has no window, or when the current
    // first responder refuses to resign.
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;

    // The undo manager along the responder chain: by default the next
    // responder's; each window has its own.
    virtual std::shared_ptr<UndoManager> undoManager() const;

    // By default each passes the touches on to the next responder.
    virtual void touchesBegan(const TouchSet& touches, const Event& event);
    virtual void touchesMoved(const TouchSet& touches, const Event& event);
    virtual void touchesEnded(const TouchSet& touches, const Event& event);
    virtual void touchesCancelled(const TouchSet& touches, const Event& event);

protected:
    // The window whose first responder this would be.
    virtual std::shared_ptr<Window> responderWindow() const { return nullptr; }
};

}  // namespace plat
