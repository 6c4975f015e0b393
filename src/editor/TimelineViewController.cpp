#include "editor/TimelineViewController.h"

#include <algorithm>
#include <cmath>

#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "editor/FrameEditDelegate.h"
#include "editor/StripItemViews.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "uikit/BubblePopoverController.h"

namespace zt {

namespace {

double secondsSinceReferenceDate()
{
    return plat::Clock::current().date().timeIntervalSinceReferenceDate();
}

}  // namespace

TimelineViewController::TimelineViewController(std::shared_ptr<ProjectModel> project)
    : plat::ViewController(
        plat::Device::currentDevice().isTablet() ? "TimelineViewController_iPad" : "TimelineViewController")
    , _project(std::move(project))
{
}

TimelineViewController::~TimelineViewController()
{
    if (_loopTimer)
        _loopTimer->invalidate();
}

FrameList& TimelineViewController::frameList()
{
    return _project->getFrameList();
}

void TimelineViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _doubleTap = std::make_shared<plat::TapGestureRecognizer>();
    _doubleTap->addTarget(this, &TimelineViewController::handleDoubleTap);
    _doubleTap->setNumberOfTapsRequired(2);
    view()->addGestureRecognizer(_doubleTap);
    _imageProducer = std::make_unique<ImageProducer>(_project);
    if (_outlets.viewClipScroller)
        _outlets.viewClipScroller->setDelegate(
            std::static_pointer_cast<plat::ScrollViewDelegate>(sharedAs<TimelineViewController>()));
    if (!_loopTimer) {
        _loopTimer = plat::Timer::scheduledTimerWithTimeInterval(
            kTimerSeconds,
            [weakSelf = std::weak_ptr<TimelineViewController>(sharedAs<TimelineViewController>())] {
                if (auto self = weakSelf.lock())
                    self->loadFullPictureIfDue();
            },
            /*repeats=*/true);
    }
}

void TimelineViewController::viewWillClose()
{
    if (_loopTimer)
        _loopTimer->invalidate();
    _loopTimer = nullptr;
}

void TimelineViewController::handleDoubleTap()
{
    if (auto delegate = _frameEditDelegate.lock())
        delegate->zoomIn(*this);
}

void TimelineViewController::removeTiles()
{
    for (const auto& tile : _tiles)
        tile->removeFromSuperview();
    _tiles.clear();
}

void TimelineViewController::updateClip()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const int64_t count = frameList().count();
    if (count == 0 || !_outlets.viewClipScroller || !_outlets.viewClip)
        return;
    // Tiles of an earlier rebuild would stay under the new row.
    removeTiles();
    const double width = view()->bounds().width();
    const int64_t tileCount = std::min(static_cast<int64_t>(std::floor(width / kTileSize.width)), count);
    if (tileCount >= 1) {
        const auto step = static_cast<float>(count / tileCount);
        for (int64_t i = 0; i < tileCount; ++i) {
            auto tile = std::make_shared<plat::ImageView>(
                plat::makeRect(kTileSize.width * static_cast<double>(i), 0, kTileSize.width, kTileSize.height));
            tile->setBackgroundColor(plat::Color::blackColor());
            tile->setContentMode(plat::ContentMode::ScaleAspectFill);
            tile->setClipsToBounds(true);
            const auto frameIndex = static_cast<int64_t>(step * static_cast<float>(i));
            detail::showFrameTile(*tile, detail::frameTileAtIndex(*_imageProducer, frameIndex));
            _outlets.viewClip->addSubview(tile);
            _tiles.push_back(std::move(tile));
        }
        plat::Rect clip = _outlets.viewClip->frame();
        _outlets.viewClip->setFrame(
            plat::makeRect(width / 2, clip.minY(), kTileSize.width * static_cast<double>(tileCount), clip.height()));
        if (_outlets.viewClipShadow)
            _outlets.viewClipShadow->setFrame(
                plat::insetRect(_outlets.viewClip->frame(), {kShadowInset, kShadowInset, kShadowInset, kShadowInset}));
    }
    const plat::Size scroller = _outlets.viewClipScroller->bounds().size;
    _outlets.viewClipScroller->setContentSize(
        {kTileSize.width * static_cast<double>(std::max<int64_t>(tileCount, 0)) + scroller.width, scroller.height});
    _previewCurrentFrame = -1;
}

double TimelineViewController::pointsPerFrame() const
{
    const int64_t count = _project->getFrameList().count();
    if (count == 0 || !_outlets.viewClipScroller)
        return 0;
    const double range = _outlets.viewClipScroller->contentSize().width - _outlets.viewClipScroller->bounds().width();
    return std::max(range, 0.0) / static_cast<double>(count);
}

void TimelineViewController::scrollToFrame(int64_t index)
{
    _scrollToFrame = index;
    if (!_outlets.viewClipScroller)
        return;
    const double x = std::max(static_cast<double>(index) * pointsPerFrame(), 0.0);
    _outlets.viewClipScroller->setContentOffset({x, _outlets.viewClipScroller->contentOffset().y}, /*animated=*/false);
    // An offset that stays as it was reports no scroll, but a rebuild may have cleared the frame.
    if (_previewCurrentFrame != index)
        scrollViewDidScroll(*_outlets.viewClipScroller);
}

void TimelineViewController::scrollViewWillBeginDragging(plat::ScrollView&)
{
    _scrollToFrame = -1;
    if (auto delegate = _frameEditDelegate.lock())
        delegate->userStartScrolling();
}

void TimelineViewController::scrollViewDidScroll(plat::ScrollView& scrollView)
{
    const int64_t count = frameList().count();
    if (count == 0)
        return;
    const double perFrame = pointsPerFrame();
    int64_t index = 0;
    if (perFrame > 0) {
        index = static_cast<int64_t>(std::floor(std::max(scrollView.contentOffset().x, 0.0) / perFrame));
        index = std::min(index, count - 1);
    }
    if (_scrollToFrame != -1)
        index = _scrollToFrame;
    if (index == _previewCurrentFrame || index < 0 || index >= count)
        return;
    _previewCurrentFrame = index;
    if (auto preview = _imageViewPreview.lock())
        preview->setImage(
            _imageProducer ? _imageProducer->getShownImageForFrameAtIndex(index, kFrameImageSizePreview) : nullptr);
    _isFullResolutionImageShown = false;
    _showFullResolutionAtTimeIndex = secondsSinceReferenceDate() + kFullPictureDelaySeconds;
    if (_outlets.labelFrameNumber)
        _outlets.labelFrameNumber->setText(plat::formatLine("{} / {}", index + 1, count));
    if (auto delegate = _frameEditDelegate.lock())
        delegate->currentFrameUpdate(index);
}

void TimelineViewController::loadFullPictureIfDue()
{
    if (_isFullResolutionImageShown || _showFullResolutionAtTimeIndex == 0 || _previewCurrentFrame == -1
        || secondsSinceReferenceDate() < _showFullResolutionAtTimeIndex)
        return;
    _isFullResolutionImageShown = true;
    auto preview = _imageViewPreview.lock();
    if (!preview || !_imageProducer)
        return;
    // A frame without a full picture (the capture placeholder) keeps what
    // the picture view shows: on a tablet that is the capture screen's onion skin.
    if (auto full = _imageProducer->getImageForFrameAtIndex(_previewCurrentFrame))
        preview->setImage(std::move(full));
}

}  // namespace zt
