#include "editor/PlayerViewController.h"

#include <algorithm>

#include "audio/AudioController.h"
#include "document/AudioClip.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "editor/FrameEditDelegate.h"
#include "editor/FramePasteboard.h"
#include "editor/PhotoRollExport.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/ErrorObject.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/UndoManager.h"
#include "uikit/Carousel.h"

namespace zt {

namespace {

double secondsSinceReferenceDate()
{
    return plat::Clock::current().date().timeIntervalSinceReferenceDate();
}

std::string layoutName()
{
    return plat::Device::currentDevice().isTablet() ? "PlayerViewController_iPad" : "PlayerViewController";
}

}  // namespace

PlayerViewController::PlayerViewController(std::shared_ptr<ProjectModel> project)
    : plat::ViewController(layoutName())
    , _project(std::move(project))
    , _geometry(detail::StripItemGeometry::forDevice())
{
}

PlayerViewController::~PlayerViewController()
{
    if (_loopTimer)
        _loopTimer->invalidate();
    // The undo steps of our deletes hold files kept for them; they go with us.
    if (auto undoManager = _undoManager.lock())
        undoManager->removeAllActionsWithTarget(this);
    // The trash sound is let go in viewWillClose: the sound server may be gone before us at exit.
}

FrameList& PlayerViewController::frameList()
{
    return _frameList ? *_frameList : _project->getFrameList();
}

void PlayerViewController::setFrameList(FrameList& frameList)
{
    _frameList = &frameList;
    if (_outlets.carousel)
        _outlets.carousel->reloadData();
}

void PlayerViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _doubleTap = std::make_shared<plat::TapGestureRecognizer>(this, &PlayerViewController::doDoubleTap);
    _doubleTap->setNumberOfTapsRequired(2);
    view()->addGestureRecognizer(_doubleTap);
    _pasteBoard = std::make_shared<FramePasteboard>(plat::Pasteboard::generalPasteboard());
    _imageProducer = std::make_unique<ImageProducer>(_project);
    if (auto& carousel = _outlets.carousel) {
        carousel->setType(CarouselTypeLinear);
        carousel->setDecelerationRate(kDecelerationRate);
        carousel->setBounces(true);
        carousel->setCenterItemWhenSelected(false);
    }
    _selectionStartIndex = -1;
    if (!_loopTimer) {
        _loopTimer = plat::Timer::scheduledTimerWithTimeInterval(
            kTimerSeconds,
            [weakSelf = std::weak_ptr<PlayerViewController>(sharedAs<PlayerViewController>())] {
                if (auto self = weakSelf.lock())
                    self->loadFullPictureIfDue();
            },
            /*repeats=*/true);
    }
}

void PlayerViewController::viewWillClose()
{
    if (_loopTimer)
        _loopTimer->invalidate();
    _loopTimer = nullptr;
    if (_trashSound)
        (void)plat::AudioServicesDisposeSystemSoundID(*_trashSound);
    _trashSound.reset();
}

uint64_t PlayerViewController::numberOfItemsInCarousel(Carousel&)
{
    return static_cast<uint64_t>(frameList().count());
}

std::optional<double> PlayerViewController::carouselItemWidth(Carousel&)
{
    return _geometry.itemWidth;
}

void PlayerViewController::addTap(plat::View& view, void (PlayerViewController::*action)(plat::GestureRecognizer&))
{
    auto tap = std::make_shared<plat::TapGestureRecognizer>(this, action);
    if (_doubleTap)
        tap->requireGestureRecognizerToFail(_doubleTap);
    view.addGestureRecognizer(tap);
}

std::shared_ptr<plat::View> PlayerViewController::makeItemView()
{
    auto item = detail::makeItemContainer(_geometry);
    auto thumbnail = detail::makeThumbnailView(_geometry);
    addTap(*thumbnail, &PlayerViewController::doSingleTapOnFrame);
    item->addSubview(thumbnail);
    auto overlay = detail::makeSelectionOverlay(_geometry);
    addTap(*overlay, &PlayerViewController::doSingleTapOnFrame);
    item->addSubview(overlay);
    auto lanes = detail::makeAudioLanes(_geometry);
    for (const auto& lane : lanes->subviews())
        addTap(*lane, &PlayerViewController::doSingleTapOnAudio);
    item->addSubview(lanes);
    return item;
}

void PlayerViewController::fillItemView(plat::View& item, int64_t index)
{
    // Direct children only: every view's tag is 0 unless set, the thumbnail's included.
    std::shared_ptr<plat::View> lanes;
    for (const auto& part : std::vector<std::shared_ptr<plat::View>>(item.subviews())) {
        switch (part->tag()) {
        case detail::kThumbnailTag:
            if (auto thumbnail = std::dynamic_pointer_cast<plat::ImageView>(part))
                detail::showFrameTile(*thumbnail, detail::frameTileAtIndex(*_imageProducer, index));
            break;
        case detail::kSelectionTag:
            part->setHidden(true);
            break;
        case detail::kHoldMarkerTag:
            part->removeFromSuperview();
            break;
        case detail::kLanesTag:
            lanes = part;
            break;
        default:
            break;
        }
    }
    if (auto marker = detail::makeHoldMarker(frameList(), index, _geometry)) {
        // Between the thumbnail and the selection overlay, as a new item has it.
        if (auto overlay = item.viewWithTag(detail::kSelectionTag))
            item.insertSubviewBelowSubview(marker, *overlay);
        else
            item.addSubview(marker);
    }
    if (lanes)
        getAudioViewForThumbnailAtIndex(index, *lanes);
}

std::shared_ptr<plat::View> PlayerViewController::carouselViewForItemAtIndexReusingView(
    Carousel&, int64_t index, std::shared_ptr<plat::View> reusingView)
{
    if (index < 0 || index >= frameList().count())
        return nullptr;
    auto item = reusingView ? reusingView : makeItemView();
    fillItemView(*item, index);
    return item;
}

void PlayerViewController::getAudioViewForThumbnailAtIndex(int64_t index, plat::View& lanes)
{
    auto audio = audioController();
    detail::fillAudioLanes(lanes,
        audio ? audio->getAudioForFrameAtIndex(index) : std::map<int64_t, std::shared_ptr<AudioClip>> {}, index,
        _geometry);
}

void PlayerViewController::carouselCurrentItemIndexDidChange(Carousel& carousel)
{
    updateCurrentFrame(carousel.currentItemIndex());
    if (_selectionStartIndex != -1)
        updateSelection();
}

void PlayerViewController::writeCounter()
{
    if (!_outlets.labelFrameNumber)
        return;
    const int64_t current = _outlets.carousel ? _outlets.carousel->currentItemIndex() : _previewCurrentFrame;
    _outlets.labelFrameNumber->setText(plat::formatLine("{} / {}", current + 1, frameList().count()));
}

void PlayerViewController::updateCurrentFrame(int64_t index)
{
    const int64_t count = frameList().count();
    if (index < 0 || index > count)
        return;
    if (auto preview = _imageViewPreview.lock())
        preview->setImage(
            _imageProducer ? _imageProducer->getShownImageForFrameAtIndex(index, kFrameImageSizePreview) : nullptr);
    _isFullResolutionImageShown = false;
    _showFullResolutionAtTimeIndex = secondsSinceReferenceDate() + kFullPictureDelaySeconds;
    _previewCurrentFrame = index;
    if (_outlets.labelFrameNumber)
        _outlets.labelFrameNumber->setText(plat::formatLine("{} / {}", index + 1, count));
    if (auto delegate = _frameEditDelegate.lock())
        delegate->currentFrameUpdate(index);
}

void PlayerViewController::loadFullPictureIfDue()
{
    if (_isFullResolutionImageShown || _showFullResolutionAtTimeIndex == 0 || _previewCurrentFrame == -1
        || secondsSinceReferenceDate() < _showFullResolutionAtTimeIndex)
        return;
    _isFullResolutionImageShown = true;
    const int64_t index = _previewCurrentFrame;
    auto preview = _imageViewPreview.lock();
    if (preview && _imageProducer && _outlets.carousel && _outlets.carousel->currentItemIndex() == index) {
        // A frame without a full picture (the capture placeholder) keeps what
        // the picture view shows: on a tablet that is the capture screen's onion skin.
        if (auto full = _imageProducer->getImageForFrameAtIndex(index))
            preview->setImage(std::move(full));
    }
    if (auto delegate = _frameEditDelegate.lock())
        delegate->didLoadFullResolutionImageForFrameAtIndex(index);
}

std::pair<int64_t, int64_t> PlayerViewController::operationRange() const
{
    if (_selectionStartIndex == -1)
        return {_tapedFrameIndex, _tapedFrameIndex};
    return {std::min(_selectionStartIndex, _previewCurrentFrame), std::max(_selectionStartIndex, _previewCurrentFrame)};
}

void PlayerViewController::updateSelection()
{
    if (!_outlets.carousel)
        return;
    const auto indexes = _outlets.carousel->indexesForVisibleItems();
    const auto views = _outlets.carousel->visibleItemViews();
    const int64_t low = std::min(_selectionStartIndex, _previewCurrentFrame);
    const int64_t high = std::max(_selectionStartIndex, _previewCurrentFrame);
    for (size_t i = 0; i < indexes.size() && i < views.size(); ++i) {
        auto overlay = views[i]->viewWithTag(detail::kSelectionTag);
        if (!overlay)
            continue;
        const int64_t index = indexes[i];
        const bool marked = _selectionStartIndex != -1 && index >= low && index <= high;
        auto frame = frameList().getFrameAtIndex(index);
        overlay->setHidden(!(marked && frame && frame->canSelect()));
    }
}

void PlayerViewController::doSingleTapOnFrame(plat::GestureRecognizer& recognizer)
{
    auto tapped = recognizer.view();
    auto item = tapped ? tapped->superview() : nullptr;
    if (!item || !_outlets.carousel)
        return;
    const int64_t index = _outlets.carousel->indexOfItemView(item.get());
    if (index == plat::kNotFound || !frameList().getFrameAtIndex(index))
        return;
    showThumbMenuForFrame(index, *item);
    plat::View::animateWithDuration(
        kBlinkSeconds, [item] { item->setAlpha(kBlinkAlpha); },
        [item](bool) { plat::View::animateWithDuration(kBlinkSeconds, [item] { item->setAlpha(1.0); }); });
}

void PlayerViewController::doSingleTapOnAudio(plat::GestureRecognizer& recognizer)
{
    auto lane = recognizer.view();
    auto lanes = lane ? lane->superview() : nullptr;
    auto item = lanes ? lanes->superview() : nullptr;
    auto audio = audioController();
    if (!item || !audio || !_outlets.carousel)
        return;
    const int64_t index = _outlets.carousel->indexOfItemView(item.get());
    if (index == plat::kNotFound)
        return;
    auto clip = audio->getAudioClipForFrameAtIndex(index, lane->tag() - detail::kFirstLaneTag);
    if (clip)
        post(kShowAudioControllerNotification, plat::Dictionary {{kClipKey, clip}});
}

void PlayerViewController::doDoubleTap(plat::GestureRecognizer&)
{
    if (auto delegate = _frameEditDelegate.lock())
        delegate->zoomOut(*this);
    deselectAllSelected();
}

void PlayerViewController::addFrame(const Frame& frame)
{
    const int64_t index = frameList().getIndexForFrame(frame);
    if (index == plat::kNotFound || !_outlets.carousel)
        return;
    _outlets.carousel->insertItemAtIndex(index, /*animated=*/true);
    _outlets.carousel->scrollToItemAtIndex(index, /*animated=*/true);
    updateCurrentFrame(index);
    reloadCarouselAfter(kReloadDelaySeconds);
    writeCounter();
}

void PlayerViewController::gotoCaptureFrame()
{
    if (_outlets.carousel)
        _outlets.carousel->scrollToItemAtIndex(frameList().getCaptureIndex(), /*animated=*/true);
}

void PlayerViewController::scrollToFrame(int64_t index)
{
    if (_outlets.carousel)
        _outlets.carousel->scrollToItemAtIndex(index, /*animated=*/false);
    updateCurrentFrame(index);
}

int64_t PlayerViewController::getCurrentFrame() const
{
    return _outlets.carousel ? _outlets.carousel->currentItemIndex() : _previewCurrentFrame;
}

void PlayerViewController::updateFrames()
{
    if (_outlets.carousel)
        _outlets.carousel->reloadData();
    updateCurrentFrame(getCurrentFrame());
}

void PlayerViewController::willStartPlayback()
{
    deselectAllSelected();
}

void PlayerViewController::reloadCarouselAfter(double seconds)
{
    plat::DispatchQueue::mainQueue().after(
        seconds, [weakSelf = std::weak_ptr<PlayerViewController>(sharedAs<PlayerViewController>())] {
            auto self = weakSelf.lock();
            if (self && self->_outlets.carousel)
                self->_outlets.carousel->reloadData();
        });
}

void PlayerViewController::post(const char* name, plat::Dictionary userInfo)
{
    plat::NotificationCenter::defaultCenter().post(name, this, std::move(userInfo));
}

void PlayerViewController::postError(const plat::Error& error)
{
    plat::log("strip: {}", error.description());
    post(kShowErrorNotification, plat::Dictionary {{kErrorKey, std::make_shared<plat::ErrorObject>(error)}});
}

}  // namespace zt
