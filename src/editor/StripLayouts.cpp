#include "editor/StripLayouts.h"

#include "editor/PlayerViewController.h"
#include "editor/TimelineViewController.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"
#include "uikit/AppTint.h"
#include "uikit/Carousel.h"

namespace zt {

namespace {

struct StripSizes {
    // The editor's container shows the strip a page at a time: the
    // thumbnails at its top, and, scrolled to its foot, the three audio
    // lanes (95 to 185 points down an item on a phone, 135 to 225 on a
    // tablet), whole and clear of the container's edges.
    double height;
    double carouselHeight;  // an item's container
    double timelineHeight;
    // The frame counter's top: above the thumbnails on a phone; on a tablet,
    // whose thumbnails start at the strip's top, in the gap between them and
    // the audio lanes, where it covers no thumbnail.
    double counterTop;
};
constexpr StripSizes kPhone {192, 194, 60, 0};
constexpr StripSizes kTablet {242, 242, 70, 79};
constexpr plat::Size kCounterSize {72, 18};
constexpr double kCounterMargin = 6;
constexpr double kCounterFontSize = 12;
constexpr double kTimelineScrollerHeight = 45;
constexpr double kTimelineClipTop = 10;
constexpr double kPlayheadWidth = 2;

std::shared_ptr<plat::View> makeCounter(plat::Rect frame, std::shared_ptr<plat::Label>& label)
{
    auto box = std::make_shared<plat::View>(frame);
    box->setBackgroundColor(plat::Color::colorWithWhite(0, 0.6));
    box->layer()->setCornerRadius(frame.height() / 2);
    label = std::make_shared<plat::Label>(box->bounds());
    label->setFont(plat::Font::systemFontOfSize(kCounterFontSize));
    label->setTextColor(plat::Color::whiteColor());
    label->setTextAlignment(plat::TextAlignment::Center);
    label->setBackgroundColor(plat::Color::clearColor());
    box->addSubview(label);
    box->setUserInteractionEnabled(false);
    return box;
}

std::shared_ptr<plat::View> buildStrip(plat::ViewController& owner, const StripSizes& sizes)
{
    const double width = plat::Screen::mainScreen().bounds().width();
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, width, sizes.height));
    root->setBackgroundColor(plat::Color::clearColor());
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);

    PlayerViewController::Outlets outlets;
    outlets.carousel = std::make_shared<Carousel>(plat::makeRect(0, 0, width, sizes.carouselHeight));
    outlets.carousel->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    root->addSubview(outlets.carousel);
    outlets.viewFrameNumber = makeCounter(plat::makeRect(width - kCounterSize.width - kCounterMargin, sizes.counterTop,
                                              kCounterSize.width, kCounterSize.height),
        outlets.labelFrameNumber);
    outlets.viewFrameNumber->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin);
    root->addSubview(outlets.viewFrameNumber);

    owner.setOutlet("carousel", outlets.carousel);
    owner.setOutlet("viewFrameNumber", outlets.viewFrameNumber);
    owner.setOutlet("labelFrameNumber", outlets.labelFrameNumber);
    if (auto* strip = dynamic_cast<PlayerViewController*>(&owner)) {
        auto shared = strip->sharedAs<PlayerViewController>();
        outlets.carousel->setDataSource(std::static_pointer_cast<CarouselDataSource>(shared));
        outlets.carousel->setDelegate(std::static_pointer_cast<CarouselDelegate>(shared));
        strip->setOutlets(std::move(outlets));
    }
    return root;
}

std::shared_ptr<plat::View> buildTimeline(plat::ViewController& owner, const StripSizes& sizes)
{
    const double width = plat::Screen::mainScreen().bounds().width();
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, width, sizes.timelineHeight));
    root->setBackgroundColor(plat::Color::colorWithWhite(0.08, 1));
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);

    TimelineViewController::Outlets outlets;
    outlets.viewClipScroller = std::make_shared<plat::ScrollView>(plat::makeRect(0, 0, width, kTimelineScrollerHeight));
    outlets.viewClipScroller->setShowsHorizontalScrollIndicator(false);
    outlets.viewClipScroller->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    root->addSubview(outlets.viewClipScroller);
    outlets.viewClip = std::make_shared<plat::View>(
        plat::makeRect(width / 2, kTimelineClipTop, 0, TimelineViewController::kTileSize.height));
    outlets.viewClip->setBackgroundColor(plat::Color::blackColor());
    outlets.viewClipScroller->addSubview(outlets.viewClip);
    outlets.viewClipShadow = std::make_shared<plat::View>(outlets.viewClip->frame());
    outlets.viewClipShadow->setBackgroundColor(plat::Color::clearColor());
    outlets.viewClipShadow->layer()->setBorderColor(plat::Color::colorWithWhite(1, 0.5));
    outlets.viewClipShadow->layer()->setBorderWidth(1);
    outlets.viewClipShadow->setUserInteractionEnabled(false);
    outlets.viewClipScroller->addSubview(outlets.viewClipShadow);
    outlets.viewPosition = std::make_shared<plat::View>(
        plat::makeRect(width / 2 - kPlayheadWidth / 2, 2, kPlayheadWidth, kTimelineScrollerHeight - 4));
    outlets.viewPosition->setBackgroundColor(appTintColor());
    outlets.viewPosition->setUserInteractionEnabled(false);
    outlets.viewPosition->setAutoresizingMask(
        plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin);
    root->addSubview(outlets.viewPosition);
    outlets.viewFrameNumber = makeCounter(plat::makeRect(width / 2 - kCounterSize.width / 2, kTimelineScrollerHeight,
                                              kCounterSize.width, kCounterSize.height),
        outlets.labelFrameNumber);
    outlets.viewFrameNumber->setAutoresizingMask(
        plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin);
    root->addSubview(outlets.viewFrameNumber);

    owner.setOutlet("viewClipScroller", outlets.viewClipScroller);
    owner.setOutlet("viewClip", outlets.viewClip);
    owner.setOutlet("viewClipShadow", outlets.viewClipShadow);
    owner.setOutlet("viewPosition", outlets.viewPosition);
    owner.setOutlet("viewFrameNumber", outlets.viewFrameNumber);
    owner.setOutlet("labelFrameNumber", outlets.labelFrameNumber);
    if (auto* timeline = dynamic_cast<TimelineViewController*>(&owner))
        timeline->setOutlets(std::move(outlets));
    return root;
}

}  // namespace

namespace detail {

void registerPlayerLayouts()
{
    plat::LayoutRegistry::registerLayout(
        "PlayerViewController", [](plat::ViewController& owner) { return buildStrip(owner, kPhone); });
    plat::LayoutRegistry::registerLayout(
        "PlayerViewController_iPad", [](plat::ViewController& owner) { return buildStrip(owner, kTablet); });
    plat::LayoutRegistry::registerLayout(
        "TimelineViewController", [](plat::ViewController& owner) { return buildTimeline(owner, kPhone); });
    plat::LayoutRegistry::registerLayout(
        "TimelineViewController_iPad", [](plat::ViewController& owner) { return buildTimeline(owner, kTablet); });
}

}  // namespace detail

void registerStripLayouts()
{
    detail::registerPlayerLayouts();
    detail::registerPlaybackOptionLayouts();
}

}  // namespace zt
