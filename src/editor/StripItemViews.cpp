#include "editor/StripItemViews.h"

#include <algorithm>
#include <string>

#include "document/AudioClip.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"

namespace zt::detail {

namespace {

constexpr double kHoldMarkerHeight = 20;
constexpr double kHoldBarY = 11;
constexpr double kHoldBarHeight = 5;
constexpr double kHoldStartInset = 20;
constexpr double kHoldEndWidth = 50;
constexpr plat::Size kHoldLabelSize {22, 16};
constexpr double kHoldMarkerCenterY = 55.0;
constexpr double kLaneHeight = 30;
constexpr double kLaneBarHeight = 12;
constexpr plat::Rect kLaneLabelFrame {{15, 12}, {75, 16}};
constexpr double kClipBarInset = 10;
constexpr int kTrackCount = 3;
constexpr double kLabelFontSize = 12;
constexpr double kSelectionOpacity = 0.7;
const char* const kLabelFontName = "HelveticaNeue-Light";

plat::Color rgb(int red, int green, int blue)
{
    return plat::Color::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, 1);
}

plat::Color holdColor()
{
    return rgb(250, 187, 23);
}

plat::Color clipColor(int type)
{
    switch (type) {
    case AudioClip::VoiceOver:
        return rgb(26, 188, 156);
    case AudioClip::Music:
        return rgb(52, 152, 219);
    default:
        return rgb(142, 68, 173);
    }
}

std::shared_ptr<plat::View> makeBar(plat::Rect frame, const plat::Color& color)
{
    auto bar = std::make_shared<plat::View>(frame);
    bar->setBackgroundColor(color);
    return bar;
}

std::shared_ptr<plat::View> subviewWithTag(const plat::View& view, int64_t tag)
{
    for (const auto& subview : view.subviews()) {
        if (subview->tag() == tag)
            return subview;
    }
    return nullptr;
}

}  // namespace

StripItemGeometry StripItemGeometry::forDevice()
{
    if (plat::Device::currentDevice().isTablet()) {
        // The item is as wide as its slot in the carousel, the thumbnail in
        // its middle: the sound lanes span the whole slot, and a touch lands
        // only inside the item, so a narrower item would leave a dead stretch
        // of every band between two thumbnails.
        return {130, plat::makeRect(0, 0, 130, 242), plat::makeRect(12.5, 0, 105, 75), plat::makeRect(0, 100, 130, 125),
            35, 20, 120, 115, 120, 125};
    }
    return {90, plat::makeRect(0, 18, 90, 194), plat::makeRect(10, 18, 70, 50), plat::makeRect(0, 95, 90, 90), 0, 12,
        80, 75, 80, 85};
}

HoldPosition holdPositionAtIndex(const FrameList& list, int64_t index)
{
    auto id = list.getFrameIDAtIndex(index);
    if (!id)
        return HoldPosition::None;
    const bool before = list.getFrameIDAtIndex(index - 1) == id;
    const bool after = list.getFrameIDAtIndex(index + 1) == id;
    if (before && after)
        return HoldPosition::Middle;
    if (after)
        return HoldPosition::Start;
    if (before)
        return HoldPosition::End;
    return HoldPosition::None;
}

FrameTile frameTileAtIndex(ImageProducer& producer, int64_t index)
{
    // Every entry has a thumbnail (the capture placeholder's is the camera's):
    // none means the frame's picture is damaged or gone, and no export can show it.
    if (auto picture = producer.getShownImageForFrameAtIndex(index, kFrameImageSizeThumbnail))
        return {std::move(picture), false};
    return {plat::Image::imageNamed("thumb_unreadable.png"), true};
}

void showFrameTile(plat::ImageView& view, const FrameTile& tile)
{
    view.setImage(tile.picture);
    view.setAccessibilityLabel(tile.isUnreadable ? plat::localized("Picture cannot be read") : std::string());
}

std::shared_ptr<plat::View> makeItemContainer(const StripItemGeometry& geometry)
{
    auto container = std::make_shared<plat::View>(geometry.container);
    container->layer()->setDoubleSided(false);
    return container;
}

std::shared_ptr<plat::ImageView> makeThumbnailView(const StripItemGeometry& geometry)
{
    auto thumbnail = std::make_shared<plat::ImageView>(geometry.thumbnail);
    thumbnail->setTag(kThumbnailTag);
    thumbnail->setContentMode(plat::ContentMode::ScaleAspectFill);
    thumbnail->setClipsToBounds(true);
    thumbnail->setUserInteractionEnabled(true);
    return thumbnail;
}

std::shared_ptr<plat::View> makeSelectionOverlay(const StripItemGeometry& geometry)
{
    auto overlay = std::make_shared<plat::View>(geometry.thumbnail);
    overlay->setTag(kSelectionTag);
    overlay->layer()->setBackgroundColor(rgb(255, 102, 204));
    overlay->layer()->setOpacity(kSelectionOpacity);
    overlay->setHidden(true);
    overlay->setUserInteractionEnabled(true);
    return overlay;
}

std::shared_ptr<plat::View> makeHoldMarker(const FrameList& list, int64_t index, const StripItemGeometry& geometry)
{
    const double width = geometry.itemWidth;
    std::shared_ptr<plat::View> marker;
    switch (holdPositionAtIndex(list, index)) {
    case HoldPosition::None:
        return nullptr;
    case HoldPosition::Middle:
        marker = std::make_shared<plat::View>(plat::makeRect(0, 0, width, kHoldMarkerHeight));
        marker->addSubview(makeBar(plat::makeRect(0, kHoldBarY, width, kHoldBarHeight), holdColor()));
        break;
    case HoldPosition::Start: {
        const double barWidth = width - kHoldStartInset;
        marker = std::make_shared<plat::View>(plat::makeRect(kHoldStartInset, 0, barWidth, kHoldMarkerHeight));
        marker->addSubview(makeBar(plat::makeRect(kHoldStartInset, kHoldBarY, barWidth, kHoldBarHeight), holdColor()));
        auto count = std::make_shared<plat::Label>(
            plat::makeRect(geometry.holdLabelX, 0, kHoldLabelSize.width, kHoldLabelSize.height));
        count->setText(std::to_string(list.getHoldTimeForFrameAtIndex(index)));
        count->setFont(plat::Font::fontWithName(kLabelFontName, kLabelFontSize));
        count->setTextColor(plat::Color::blackColor());
        count->setTextAlignment(plat::TextAlignment::Center);
        count->setBackgroundColor(holdColor());
        marker->addSubview(count);
        break;
    }
    case HoldPosition::End:
        marker = std::make_shared<plat::View>(plat::makeRect(0, 0, kHoldEndWidth, kHoldMarkerHeight));
        marker->addSubview(makeBar(plat::makeRect(0, kHoldBarY, kHoldEndWidth, kHoldBarHeight), holdColor()));
        break;
    }
    marker->setCenter({marker->center().x, kHoldMarkerCenterY});
    marker->setUserInteractionEnabled(false);
    marker->setTag(kHoldMarkerTag);
    return marker;
}

std::shared_ptr<plat::View> makeAudioLanes(const StripItemGeometry& geometry)
{
    const double width = geometry.itemWidth;
    auto lanes = std::make_shared<plat::View>(geometry.lanes);
    lanes->setTag(kLanesTag);
    for (int track = 0; track < kTrackCount; ++track) {
        auto lane = std::make_shared<plat::View>(plat::makeRect(0, 0, width, kLaneHeight));
        lane->setTag(kFirstLaneTag + track);
        lane->setCenter({lane->center().x, lane->center().y + kLaneHeight * track + geometry.laneOffset});
        auto bar = makeBar(plat::makeRect(0, 0, width, kLaneBarHeight), clipColor(AudioClip::SoundEffect));
        bar->setTag(kLaneBarTag);
        lane->addSubview(bar);
        auto name = std::make_shared<plat::Label>(kLaneLabelFrame);
        name->setTag(kLaneLabelTag);
        name->setFont(plat::Font::fontWithName(kLabelFontName, kLabelFontSize));
        name->setTextColor(plat::Color::whiteColor());
        name->setTextAlignment(plat::TextAlignment::Left);
        name->setBackgroundColor(plat::Color::clearColor());
        name->setHidden(true);
        lane->addSubview(name);
        lane->setHidden(true);
        lanes->addSubview(lane);
    }
    return lanes;
}

void fillAudioLanes(plat::View& lanes, const std::map<int64_t, std::shared_ptr<AudioClip>>& clips, int64_t index,
    const StripItemGeometry& geometry)
{
    const double width = geometry.itemWidth;
    for (int track = 0; track < kTrackCount; ++track) {
        auto lane = subviewWithTag(lanes, kFirstLaneTag + track);
        if (!lane)
            continue;
        auto bar = subviewWithTag(*lane, kLaneBarTag);
        auto name = std::dynamic_pointer_cast<plat::Label>(subviewWithTag(*lane, kLaneLabelTag));
        if (!bar || !name)
            continue;
        bar->setBackgroundColor(clipColor(AudioClip::SoundEffect));
        plat::Rect barFrame = bar->frame();
        bar->setFrame(plat::makeRect(0, barFrame.minY(), width, barFrame.height()));
        auto found = clips.find(track);
        if (found == clips.end() || !found->second) {
            lane->setHidden(true);
            name->setHidden(true);
            continue;
        }
        const AudioClip& clip = *found->second;
        bar->setBackgroundColor(clipColor(clip.type()));
        lane->setHidden(false);
        const bool starts = clip.startFrameIndex() == index;
        const bool ends = clip.endFrameIndex() == index;
        plat::Rect nameFrame = name->frame();
        auto setBar = [&](double x, double barWidth) {
            bar->setFrame(plat::makeRect(x, barFrame.minY(), barWidth, barFrame.height()));
        };
        if (starts && ends) {
            name->setText(clip.name().value_or(std::string()));
            name->setHidden(false);
            name->setFrame(
                plat::makeRect(nameFrame.minX(), nameFrame.minY(), geometry.shortClipLabelWidth, nameFrame.height()));
            setBar(kClipBarInset, geometry.shortClipBarWidth);
        } else if (starts) {
            name->setText(clip.name().value_or(std::string()));
            name->setHidden(false);
            const double span = static_cast<double>(clip.endFrameIndex() - clip.startFrameIndex()) * width;
            name->setFrame(plat::makeRect(
                nameFrame.minX(), nameFrame.minY(), std::clamp(span, width, 3 * width), nameFrame.height()));
            setBar(kClipBarInset, geometry.startingClipBarWidth);
        } else if (ends) {
            name->setHidden(true);
            setBar(0, geometry.endingClipBarWidth);
        } else {
            name->setHidden(true);
        }
    }
}

}  // namespace zt::detail
