#include "uikit/HudyLayout.h"

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/ViewController.h"
#include "uikit/Hudy.h"

namespace zt {

namespace {

// The display is resized at every show; these are its sizes in the layout.
constexpr double kWidth = 200;
constexpr double kHeight = 80;
constexpr double kCornerRadius = 10;
constexpr double kPanelAlpha = 0.75;
constexpr double kCaptionFontSize = 16;
// The bar keeps its distance from the bottom and its side margins as the display is resized.
constexpr double kBarInset = 25;
constexpr double kBarFromBottom = 12;

std::shared_ptr<plat::View> buildHudy(plat::ViewController& owner)
{
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kWidth, kHeight));
    root->setBackgroundColor(plat::Color::clearColor());
    root->setOpaque(false);

    auto panel = std::make_shared<plat::View>(root->bounds());
    panel->setBackgroundColor(plat::Color::colorWithWhite(0, kPanelAlpha));
    panel->layer()->setCornerRadius(kCornerRadius);
    root->addSubview(panel);

    auto caption = std::make_shared<plat::Label>(plat::makeRect(10, 10, kWidth - 20, 30));
    caption->setFont(plat::Font::boldSystemFontOfSize(kCaptionFontSize));
    caption->setTextColor(plat::Color::whiteColor());
    caption->setTextAlignment(plat::TextAlignment::Center);
    root->addSubview(caption);

    auto spinner = std::make_shared<plat::ActivityIndicatorView>(plat::ActivityIndicatorViewStyle::White);
    spinner->setHidesWhenStopped(false);
    spinner->startAnimating();
    spinner->setCenter({kWidth / 2, kHeight - 25});
    root->addSubview(spinner);

    auto bar = std::make_shared<plat::ProgressView>(
        plat::makeRect(kBarInset, kHeight - kBarFromBottom, kWidth - 2 * kBarInset, plat::ProgressView::kHeight));
    bar->setProgressTintColor(plat::Color::whiteColor());
    bar->setTrackTintColor(plat::Color::colorWithWhite(1, 0.3));
    bar->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);
    root->addSubview(bar);

    owner.setOutlet("viewBGView", panel);
    owner.setOutlet("captionView", caption);
    owner.setOutlet("activityView", spinner);
    owner.setOutlet("progressView", bar);
    if (auto* hud = dynamic_cast<Hudy*>(&owner)) {
        hud->setViewBGView(panel);
        hud->setCaptionView(caption);
        hud->setActivityView(spinner);
        hud->setProgressView(bar);
    }
    return root;
}

}  // namespace

void registerHudyLayout()
{
    plat::LayoutRegistry::registerLayout("Hudy", buildHudy);
}

}  // namespace zt
