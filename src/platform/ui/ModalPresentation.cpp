#include "platform/ui/ModalPresentation.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/ui/Device.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace plat::detail {

namespace {

// The dimming behind a sheet.
constexpr double kDimmingAlpha = 0.4;

// The top of a controller's containment: presentations start there.
std::shared_ptr<ViewController> containmentRoot(ViewController& controller)
{
    auto root = controller.sharedAs<ViewController>();
    while (auto parent = root->parentViewController())
        root = parent;
    return root;
}

// Whether the controller, or one that it (or a controller it presented) presents, is still being presented.
bool presentationRunsFrom(const ViewController& controller)
{
    for (const ViewController* c = &controller; c; c = c->presentedViewController().get())
        if (c->isBeingPresented())
            return true;
    return false;
}

}  // namespace

void ModalPresentation::present(ViewController& requester, std::shared_ptr<ViewController> controller, bool animated,
    std::function<void()> completion)
{
    if (!controller)
        return;
    auto presenter = containmentRoot(requester);
    if (presenter->_presented) {
        log("Warning: Attempt to present {} on {} which is already presenting {}", controller->className(),
            presenter->className(), presenter->_presented->className());
        return;
    }
    auto window = presenter->isViewLoaded() ? presenter->_view->window() : nullptr;
    if (!window) {
        log("Warning: Attempt to present {} on {} whose view is not in the window hierarchy!", controller->className(),
            presenter->className());
        return;
    }
    presenter->_presented = controller;
    controller->_presenting = presenter;
    controller->_beingPresented = true;
    auto view = controller->view();
    bool covers = controller->coversPresenter();

    Rect target = window->bounds();
    const bool overScreen = controller->_presentationStyle == ModalPresentationStyle::OverFullScreen;
    if (!covers && !overScreen) {
        const Size preferred = controller->preferredContentSize();
        Size size = preferred.width > 0 && preferred.height > 0 ? preferred : ViewController::kFormSheetSize;
        size.width = std::min(size.width, target.width());
        size.height = std::min(size.height, target.height());
        target = {{(target.width() - size.width) / 2, (target.height() - size.height) / 2}, size};
        auto dimming = std::make_shared<View>(window->bounds());
        dimming->setBackgroundColor(Color::colorWithWhite(0, kDimmingAlpha));
        dimming->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
        controller->_dimmingView = dimming;
    }
    if (covers)
        presenter->beginAppearanceTransition(false, animated);
    controller->beginAppearanceTransition(true, animated);

    ++controller->_hierarchyAppearanceSuppressed;
    view->setFrame(target);
    view->setAutoresizingMask(covers || overScreen
            ? ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight
            : ViewAutoresizingFlexibleLeftMargin | ViewAutoresizingFlexibleRightMargin
                | ViewAutoresizingFlexibleTopMargin | ViewAutoresizingFlexibleBottomMargin);
    if (controller->_dimmingView)
        window->addSubview(controller->_dimmingView);
    window->addSubview(view);
    --controller->_hierarchyAppearanceSuppressed;
    view->layoutIfNeeded();

    auto finish = [presenter, controller, covers, completion = std::move(completion)](
                      bool) mutable { finishPresentation(*presenter, controller, covers, std::move(completion)); };
    if (!animated) {
        finish(true);
        return;
    }
    if (controller->_transitionStyle == ModalTransitionStyle::CoverVertical) {
        Point center = view->center();
        View::performWithoutAnimation([&] { view->setCenter({center.x, center.y + window->bounds().height()}); });
        View::animateWithDuration(
            ViewController::kTransitionSeconds, 0, ViewAnimationOptionCurveEaseInOut, [&] { view->setCenter(center); },
            std::move(finish));
    } else {
        View::performWithoutAnimation([&] { view->setAlpha(0); });
        View::animateWithDuration(
            ViewController::kTransitionSeconds, 0, ViewAnimationOptionCurveEaseInOut, [&] { view->setAlpha(1); },
            std::move(finish));
    }
}

void ModalPresentation::finishPresentation(ViewController& presenter, const std::shared_ptr<ViewController>& presented,
    bool coversPresenter, std::function<void()> completion)
{
    presented->_beingPresented = false;
    presented->endAppearanceTransition();
    if (coversPresenter) {
        // The platform takes the covered view out of the window until the dismissal.
        ++presenter._hierarchyAppearanceSuppressed;
        if (presenter._view && presenter._view->superview())
            presenter._view->removeFromSuperview();
        --presenter._hierarchyAppearanceSuppressed;
        presenter.endAppearanceTransition();
    }
    if (completion)
        completion();
}

void ModalPresentation::dismiss(ViewController& requester, bool animated, std::function<void()> completion)
{
    auto self = requester.sharedAs<ViewController>();
    std::shared_ptr<ViewController> presenter;
    std::shared_ptr<ViewController> presented;
    if (auto shown = requester.presentedViewController()) {
        presented = shown;
        presenter = shown->_presenting.lock();
    } else if (auto presenting = requester.presentingViewController()) {
        presenter = presenting;
        presented = presenting->_presented;
    }
    if (!presenter || !presented || presented->_beingDismissed)
        return;
    // The presentation's end would take the presenter's view out again after the dismissal put it back.
    if (presentationRunsFrom(*presented)) {
        log("Warning: Attempt to dismiss {} from {} while a presentation is in progress!", presented->className(),
            presenter->className());
        return;
    }
    // Whatever the presented controller itself presents goes first, at once.
    if (presented->_presented)
        presented->dismissViewControllerAnimated(false, nullptr);
    auto window = presented->isViewLoaded() ? presented->_view->window() : nullptr;
    bool covered = presented->coversPresenter();
    presented->_beingDismissed = true;
    presented->beginAppearanceTransition(false, animated);
    if (covered) {
        if (window && presenter->isViewLoaded()) {
            ++presenter->_hierarchyAppearanceSuppressed;
            auto presenterView = presenter->_view;
            if (window->rootViewController() == presenter)
                presenterView->setFrame(window->bounds());
            window->insertSubviewBelowSubview(presenterView, *presented->_view);
            --presenter->_hierarchyAppearanceSuppressed;
        }
        presenter->beginAppearanceTransition(true, animated);
    }
    auto finish = [presenter, presented, covered, completion = std::move(completion)](
                      bool) mutable { finishDismissal(*presenter, presented, covered, std::move(completion)); };
    if (!animated || !window) {
        finish(true);
        return;
    }
    auto view = presented->_view;
    if (presented->_transitionStyle == ModalTransitionStyle::CoverVertical) {
        Point center = view->center();
        View::animateWithDuration(
            ViewController::kTransitionSeconds, 0, ViewAnimationOptionCurveEaseInOut,
            [&] {
                view->setCenter({center.x, center.y + window->bounds().height()});
            },
            std::move(finish));
    } else {
        View::animateWithDuration(
            ViewController::kTransitionSeconds, 0, ViewAnimationOptionCurveEaseInOut, [&] { view->setAlpha(0); },
            std::move(finish));
    }
}

void ModalPresentation::finishDismissal(ViewController& presenter, const std::shared_ptr<ViewController>& presented,
    bool coveredPresenter, std::function<void()> completion)
{
    ++presented->_hierarchyAppearanceSuppressed;
    if (presented->_view)
        presented->_view->removeFromSuperview();
    if (presented->_dimmingView) {
        presented->_dimmingView->removeFromSuperview();
        presented->_dimmingView.reset();
    }
    --presented->_hierarchyAppearanceSuppressed;
    if (coveredPresenter)
        presenter.endAppearanceTransition();
    presented->endAppearanceTransition();
    presented->_beingDismissed = false;
    presented->_presenting.reset();
    if (presenter._presented == presented)
        presenter._presented.reset();
    if (completion)
        completion();
}

}  // namespace plat::detail
