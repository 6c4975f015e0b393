#include "uikit/Hudy.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/View.h"
#include "uikit/HudyLayout.h"

namespace zt {

namespace {

// Sizes in points.
constexpr double kMinimumCaptionWidth = 50;
constexpr double kMinimumCaptionHeight = 30;
constexpr double kMinimumProgressCaptionWidth = 150;
constexpr double kHorizontalPadding = 50;
constexpr double kVerticalPadding = 20;
constexpr double kCaptionInset = 10;
// Room below the caption for the spinner or the bar, and where the spinner's centre sits in it.
constexpr double kIndicatorRoom = 30;
constexpr double kSpinnerCentreFromBottom = 25;

constexpr double kSpringDamping = 1.0;
constexpr double kFadeInVelocity = 0.25;
constexpr double kFadeOutVelocity = 10.0;

}  // namespace

Hudy::Hudy() = default;

Hudy::Hudy(std::string nibName)
    : ViewController(std::move(nibName))
{
}

Hudy::~Hudy()
{
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
}

void Hudy::loadView()
{
    // The kit's own look stands in when the app registered none.
    if (nibName().empty() && !plat::LayoutRegistry::hasLayout(className()))
        registerHudyLayout();
    ViewController::loadView();
}

void Hudy::setProgress(float progress)
{
    _progress = progress;
    if (_progressView)
        _progressView->setProgress(static_cast<double>(progress), /*animated=*/false);
}

void Hudy::showInView(const std::shared_ptr<plat::View>& host)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto root = view();
    root->setAlpha(0);
    host->addSubview(root);
    show();
}

void Hudy::show()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto root = view();
    if (!_viewBGView || !_captionView || !_activityView || !_progressView)
        plat::detail::fatal(
            "Hudy: the layout \"{}\" left an outlet unconnected", nibName().empty() ? className() : nibName());
    const bool showsProgress = _progress >= 0;
    _captionView->setText(_caption);
    _activityView->setHidden(!_isActivity);
    _progressView->setHidden(!showsProgress);

    _captionView->sizeToFit();
    const plat::Size fitted = _captionView->bounds().size;
    const double captionHeight = std::max(fitted.height, kMinimumCaptionHeight);
    double captionWidth = std::max(fitted.width, kMinimumCaptionWidth);
    if (showsProgress)
        captionWidth = std::max(captionWidth, kMinimumProgressCaptionWidth);

    plat::Rect frame = plat::makeRect(0, 0, captionWidth + kHorizontalPadding, captionHeight + kVerticalPadding);
    root->setFrame(frame);
    _captionView->setFrame(
        plat::makeRect(kCaptionInset, kCaptionInset, frame.width() - 2 * kCaptionInset, captionHeight));
    if (_isActivity || showsProgress) {
        frame.size.height += kIndicatorRoom;
        root->setFrame(frame);
        _activityView->setCenter({frame.width() * 0.5, frame.height() - kSpinnerCentreFromBottom});
    }

    auto host = root->superview();
    const plat::Rect hostFrame = getOrientationCorrectedRectFromRect(host ? host->frame() : plat::Rect {});
    root->setCenter({hostFrame.width() * 0.5, hostFrame.height() * 0.5});
    _viewBGView->setFrame(root->bounds());

    plat::View::animateWithDuration(
        kFadeSeconds, 0, kSpringDamping, kFadeInVelocity, plat::ViewAnimationOptionNone, [&] { root->setAlpha(1); },
        nullptr);

    if (_dismissAfterTime != kStaysUntilDismissed) {
        std::weak_ptr<Hudy> weakSelf = sharedAs<Hudy>();
        plat::RunLoop::main().performAfterDelay(this, _dismissAfterTime, [weakSelf] {
            if (auto hud = weakSelf.lock())
                hud->dismiss();
        });
    }
}

void Hudy::dismiss()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
    auto root = view();
    plat::View::animateWithDuration(
        kFadeSeconds, 0, kSpringDamping, kFadeOutVelocity, plat::ViewAnimationOptionNone, [&] { root->setAlpha(0); },
        [root](bool) { root->removeFromSuperview(); });
}

plat::Rect Hudy::getOrientationCorrectedRectFromRect(plat::Rect rect) const
{
    const auto orientation = plat::Application::sharedApplication().statusBarOrientation();
    const double shorter = std::min(rect.width(), rect.height());
    const double longer = std::max(rect.width(), rect.height());
    const bool portrait = orientation == plat::InterfaceOrientation::Portrait
        || orientation == plat::InterfaceOrientation::PortraitUpsideDown;
    rect.size = portrait ? plat::Size {shorter, longer} : plat::Size {longer, shorter};
    return rect;
}

}  // namespace zt
