#include "platform/ui/Window.h"

#include <functional>

#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDispatcher.h"
#include "platform/ui/UndoManager.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewHierarchy.h"

namespace plat {

Window::Window()
    : Window(Screen::mainScreen().bounds())
{
}

Window::Window(Rect frame)
    : View(frame)
{
    // A window starts hidden; makeKeyAndVisible shows it.
    layer()->setHidden(true);
}

Window::~Window()
{
    // Completion blocks of animations still running may hold views of this
    // tree; removing the animations releases them.
    detail::ViewHierarchy::removeAnimationsOfLayerTree(*layer());
}

void Window::makeKeyAndVisible()
{
    makeKeyWindow();
    setHidden(false);
}

void Window::makeKeyWindow()
{
    Application::sharedApplication().windowBecameKey(std::static_pointer_cast<Window>(shared_from_this()));
}

bool Window::isKeyWindow() const
{
    return Application::sharedApplication().keyWindow().get() == this;
}

void Window::setHidden(bool hidden)
{
    if (hidden == isHidden())
        return;
    changeVisibility(!hidden);
}

void Window::changeVisibility(bool visible)
{
    auto self = std::static_pointer_cast<Window>(shared_from_this());
    // Controllers whose appearance follows the view tree appear and disappear with the window.
    std::vector<std::shared_ptr<ViewController>> controllers;
    std::function<void(View&)> collect = [&](View& view) {
        if (auto controller = view.viewController())
            controllers.push_back(controller);
        for (const auto& subview : view.subviews())
            collect(*subview);
    };
    collect(*this);
    std::vector<std::shared_ptr<ViewController>> managed;
    for (const auto& controller : controllers)
        if (controller->appearanceFollowsViewHierarchy() && controller->isTopOfMovingTree(*this))
            managed.push_back(controller);
    for (const auto& controller : managed)
        controller->beginAppearanceTransition(visible, false);
    layer()->setHidden(!visible);
    if (visible)
        Application::sharedApplication().windowBecameVisible(self);
    // The first layout happens before the controllers hear that they appeared.
    if (visible)
        layoutIfNeeded();
    for (const auto& controller : managed)
        controller->endAppearanceTransition();
}

void Window::setRootViewController(std::shared_ptr<ViewController> controller)
{
    if (controller == _rootViewController)
        return;
    auto old = std::move(_rootViewController);
    if (old && old->isViewLoaded() && old->view()->superview().get() == this)
        old->view()->removeFromSuperview();
    _rootViewController = std::move(controller);
    if (!_rootViewController)
        return;
    auto view = _rootViewController->view();
    view->setFrame(bounds());
    view->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
    addSubview(view);
}

void Window::didAddSubview(View& subview)
{
    auto alert = _alertQueue.shown();
    auto overlay = alert ? alert->superview() : nullptr;
    if (overlay && overlay.get() != &subview && overlay->superview().get() == this)
        bringSubviewToFront(*overlay);
}

void Window::sendEvent(const Event& event)
{
    TouchDispatcher::shared().dispatch(*this, event);
}

std::shared_ptr<Responder> Window::nextResponder() const
{
    return Application::sharedApplication().sharedAs<Responder>();
}

std::shared_ptr<UndoManager> Window::undoManager() const
{
    if (!_undoManager)
        _undoManager = std::make_shared<UndoManager>();
    return _undoManager;
}

}  // namespace plat
