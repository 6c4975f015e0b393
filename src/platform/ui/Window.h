#pragma once
#include <memory>

#include "platform/ui/AlertQueue.h"
#include "platform/ui/View.h"

namespace plat {
class UndoManager;
class ViewController;

// The platform's window: the root of a view tree shown on the screen, with
// a root view controller whose view fills it, a first responder, and the
// delivery of touch events to its views. Hidden until made visible; the
// key window receives typed text. Main thread.
class Window : public View {
public:
    Window();
    explicit Window(Rect frame);
    ~Window() override;

    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;
    void setHidden(bool hidden) override;

    std::shared_ptr<ViewController> rootViewController() const { return _rootViewController; }
    // The controller's view fills the window (and follows its size).
    void setRootViewController(std::shared_ptr<ViewController> controller);

    double windowLevel() const { return _windowLevel; }
    void setWindowLevel(double level) { _windowLevel = level; }

    std::shared_ptr<Responder> firstResponder() const { return _firstResponder.lock(); }
    void setFirstResponder(std::shared_ptr<Responder> responder) { _firstResponder = responder; }

    // Delivers a touch event to the views and recognisers under its touches.
    void sendEvent(const Event& event);

    // A shown alert stays in front of whatever comes into the window after it (a screen presented, the
    // screen under it put back), as the system's alerts do in a window of their own.
    void didAddSubview(View& subview) override;
    std::shared_ptr<Responder> nextResponder() const override;
    // The window's own, made on first use.
    std::shared_ptr<UndoManager> undoManager() const override;
    // The alerts shown in this window, one at a time.
    detail::AlertQueue& alertQueue() { return _alertQueue; }

private:
    void changeVisibility(bool visible);

    std::shared_ptr<ViewController> _rootViewController;
    std::weak_ptr<Responder> _firstResponder;
    double _windowLevel = 0;
    mutable std::shared_ptr<UndoManager> _undoManager;
    detail::AlertQueue _alertQueue;
};

}  // namespace plat
