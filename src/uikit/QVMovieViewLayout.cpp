#include <cmath>

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Autoresizing.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Toolbar.h"
#include "uikit/AVPlayerDemoPlaybackView.h"
#include "uikit/AppTint.h"
#include "uikit/QVMovieView.h"
#include "uikit/UIKitLayouts.h"

namespace zt {

namespace {

constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;
constexpr double kTimeLabelWidth = 52;

std::shared_ptr<plat::BarButtonItem> flexibleSpace()
{
    return std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::FlexibleSpace);
}

std::shared_ptr<plat::Label> timeLabel(plat::TextAlignment alignment)
{
    auto label = std::make_shared<plat::Label>(plat::makeRect(0, 0, kTimeLabelWidth, 30));
    label->setText("00:00");
    label->setFont(plat::Font::systemFontOfSize(14));
    label->setTextAlignment(alignment);
    label->setBackgroundColor(plat::Color::clearColor());
    return label;
}

// The movie fills the screen; the curtains cover it until they open; the
// top bar holds Done, the times and the scrubber, the bottom bar the transport.
std::shared_ptr<plat::View> buildMovieView(plat::ViewController& owner)
{
    const plat::Rect bounds = plat::Screen::mainScreen().bounds();
    const double width = bounds.width();
    const double height = bounds.height();
    auto root = std::make_shared<plat::View>(bounds);
    root->setBackgroundColor(plat::Color::blackColor());
    root->setAutoresizingMask(kFlexibleSize);

    QVMovieViewOutlets outlets;
    outlets.playbackView = std::make_shared<AVPlayerDemoPlaybackView>(bounds);
    outlets.playbackView->setAutoresizingMask(kFlexibleSize);
    root->addSubview(outlets.playbackView);

    const double half = std::trunc(width / 2);
    outlets.viewLandscapeCurtainLeft
        = std::make_shared<plat::ImageView>(plat::Image::imageNamed("movieplayer_curtain_left"));
    outlets.viewLandscapeCurtainLeft->setFrame(plat::makeRect(0, 0, half + 2, height));
    outlets.viewLandscapeCurtainLeft->setContentMode(plat::ContentMode::ScaleToFill);
    outlets.viewLandscapeCurtainRight
        = std::make_shared<plat::ImageView>(plat::Image::imageNamed("movieplayer_curtain_right"));
    outlets.viewLandscapeCurtainRight->setFrame(plat::makeRect(half, 0, half + 2, height));
    outlets.viewLandscapeCurtainRight->setContentMode(plat::ContentMode::ScaleToFill);
    root->addSubview(outlets.viewLandscapeCurtainLeft);
    root->addSubview(outlets.viewLandscapeCurtainRight);

    outlets.viewLandscapeControls = std::make_shared<plat::View>(bounds);
    outlets.viewLandscapeControls->setBackgroundColor(plat::Color::clearColor());
    outlets.viewLandscapeControls->setAutoresizingMask(kFlexibleSize);
    root->addSubview(outlets.viewLandscapeControls);

    outlets.toolBar = std::make_shared<plat::Toolbar>(plat::makeRect(0, 0, width, plat::Toolbar::kHeight));
    outlets.toolBar->setBarStyle(plat::BarStyle::Black);
    // Opaque: the movie fills the screen behind the bars, and its own texts
    // would show through beside theirs.
    outlets.toolBar->setTranslucent(false);
    // The bars' titles read on them over any picture: the tint's light shade.
    outlets.toolBar->setTintColor(appTintForTextOnDarkColor());
    outlets.toolBar->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    outlets.btnDone = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
    outlets.labelCurrent = timeLabel(plat::TextAlignment::Right);
    outlets.labelEnd = timeLabel(plat::TextAlignment::Left);
    outlets.scrubber = std::make_shared<plat::Slider>(plat::makeRect(0, 0, width - 2 * kTimeLabelWidth - 120, 30));
    outlets.scrubber->setAccessibilityLabel("Scrubber");
    outlets.toolBar->setItems(
        {outlets.btnDone, flexibleSpace(), std::make_shared<plat::BarButtonItem>(outlets.labelCurrent),
            std::make_shared<plat::BarButtonItem>(outlets.scrubber),
            std::make_shared<plat::BarButtonItem>(outlets.labelEnd), flexibleSpace()});
    outlets.viewLandscapeControls->addSubview(outlets.toolBar);

    outlets.toolBarLower = std::make_shared<plat::Toolbar>(
        plat::makeRect(0, height - plat::Toolbar::kHeight, width, plat::Toolbar::kHeight));
    outlets.toolBarLower->setBarStyle(plat::BarStyle::Black);
    outlets.toolBarLower->setTranslucent(false);
    outlets.toolBarLower->setTintColor(appTintForTextOnDarkColor());
    outlets.toolBarLower->setAutoresizingMask(
        plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);
    outlets.btnRewind = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Rewind);
    auto reverse = std::make_shared<plat::BarButtonItem>(plat::localized("Reverse"), plat::BarButtonItemStyle::Plain);
    outlets.btnPlayPause = std::make_shared<plat::BarButtonItem>(
        plat::Image::imageNamed("movieplayer_btn_play"), plat::BarButtonItemStyle::Plain);
    outlets.btnPlayPause->setAccessibilityLabel("Play");
    auto forward = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::FastForward);
    outlets.btnLoop = std::make_shared<plat::BarButtonItem>(
        plat::Image::imageNamed("movieplayer_btn_loop"), plat::BarButtonItemStyle::Plain);
    outlets.btnLoop->setAccessibilityLabel("Loop");
    auto curtain = std::make_shared<plat::BarButtonItem>(plat::localized("Curtain"), plat::BarButtonItemStyle::Plain);
    outlets.toolBarLower->setItems({curtain, flexibleSpace(), outlets.btnRewind, reverse, outlets.btnPlayPause, forward,
        flexibleSpace(), outlets.btnLoop});
    outlets.viewLandscapeControls->addSubview(outlets.toolBarLower);

    if (auto* movieView = dynamic_cast<QVMovieView*>(&owner)) {
        outlets.btnDone->setTarget(movieView, &QVMovieView::actionHome);
        outlets.btnRewind->setTarget(movieView, &QVMovieView::actionRewind);
        reverse->setTarget(movieView, &QVMovieView::actionReverse);
        outlets.btnPlayPause->setTarget(movieView, &QVMovieView::actionPlay);
        forward->setTarget(movieView, &QVMovieView::actionForward);
        outlets.btnLoop->setTarget(movieView, &QVMovieView::actionLoop);
        curtain->setTarget(movieView, &QVMovieView::actionCurtain);
        outlets.scrubber->addTarget(movieView, &QVMovieView::beginScrubbing, plat::ControlEventTouchDown);
        outlets.scrubber->addTarget(movieView, &QVMovieView::scrub, plat::ControlEventValueChanged);
        outlets.scrubber->addTarget(movieView, &QVMovieView::endScrubbing,
            plat::ControlEventTouchUpInside | plat::ControlEventTouchUpOutside | plat::ControlEventTouchCancel);
        for (const auto& touched :
            {std::static_pointer_cast<plat::View>(outlets.playbackView), outlets.viewLandscapeControls}) {
            auto tap = std::make_shared<plat::TapGestureRecognizer>();
            tap->addTarget(movieView, &QVMovieView::actionTouchOnScreen);
            touched->addGestureRecognizer(tap);
        }
    }
    owner.setOutlet("mPlaybackView", outlets.playbackView);
    owner.setOutlet("viewLandscapeControls", outlets.viewLandscapeControls);
    owner.setOutlet("scrubber", outlets.scrubber);
    owner.setOutlet("labelCurrent", outlets.labelCurrent);
    owner.setOutlet("labelEnd", outlets.labelEnd);
    owner.setOutlet("viewLandscapeCurtainLeft", outlets.viewLandscapeCurtainLeft);
    owner.setOutlet("viewLandscapeCurtainRight", outlets.viewLandscapeCurtainRight);
    if (auto* movieView = dynamic_cast<QVMovieView*>(&owner))
        movieView->setOutlets(std::move(outlets));
    return root;
}

}  // namespace

void registerUIKitLayouts()
{
    plat::LayoutRegistry::registerLayout("QVMovieView", buildMovieView);
}

}  // namespace zt
