#include "platform/media/PlayerItemVideoOutput.h"

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/PlayerItem.h"
#include "platform/media/TrackPictureReader.h"

namespace plat {

namespace {

// Item times are kept in the platform's movie timescale.
constexpr int32_t kItemTimescale = 600;

}  // namespace

PlayerItemVideoOutput::PlayerItemVideoOutput(uint32_t pixelFormatType)
    : _pixelFormatType(pixelFormatType)
{
}

PlayerItemVideoOutput::~PlayerItemVideoOutput() = default;

std::shared_ptr<PlayerItemVideoOutput> PlayerItemVideoOutput::videoOutputWithPixelBufferAttributes(
    std::optional<Dictionary> pixelBufferAttributes)
{
    uint32_t format = kPixelFormatType_32BGRA;
    if (pixelBufferAttributes) {
        auto asked = pixelBufferAttributes->getInt64(kPixelBufferPixelFormatTypeKey);
        if (asked && (*asked < 0 || !PixelBuffer::isSupportedPixelFormat(static_cast<uint32_t>(*asked)))) {
            log("media: a player item output makes 32-bit BGRA or ARGB or 4:2:0 YCbCr pictures, not format {}", *asked);
            return nullptr;
        }
        if (asked)
            format = static_cast<uint32_t>(*asked);
    }
    return std::make_shared<PlayerItemVideoOutput>(format);
}

void PlayerItemVideoOutput::attach(const std::shared_ptr<PlayerItem>& item)
{
    {
        std::lock_guard guard(_lock);
        _item = item;
        _lastCopied.reset();
        _reader.reset();
        auto tracks = item->asset() ? item->asset()->tracksWithMediaType(kMediaTypeVideo)
                                    : std::vector<std::shared_ptr<AssetTrack>>();
        if (!tracks.empty())
            _reader = std::make_unique<detail::TrackPictureReader>(tracks.front(), _pixelFormatType);
    }
    notifyIfRequested();
}

void PlayerItemVideoOutput::detach()
{
    std::lock_guard guard(_lock);
    _item.reset();
    _reader.reset();
    _lastCopied.reset();
}

MediaTime PlayerItemVideoOutput::itemTimeForHostTime(double hostTimeInSeconds) const
{
    std::shared_ptr<PlayerItem> item;
    {
        std::lock_guard guard(_lock);
        item = _item.lock();
    }
    if (!item)
        return MediaTime::invalid();
    // The item moves at its player's rate from where it is now.
    const double ahead = (hostTimeInSeconds - Clock::current().uptimeSeconds()) * item->playbackRate();
    MediaTime time = item->currentTime() + MediaTime::makeWithSeconds(ahead, kItemTimescale);
    return time < MediaTime::zero() ? MediaTime::zero() : time;
}

bool PlayerItemVideoOutput::hasNewPixelBufferForItemTime(const MediaTime& itemTime)
{
    std::lock_guard guard(_lock);
    if (!_reader)
        return false;
    auto picture = _reader->pictureAtTime(itemTime);
    if (!picture.ok()) {
        log("media: a player item's pictures cannot be read: {}", picture.error().localizedDescription());
        _reader.reset();
        return false;
    }
    return picture.value() && picture.value()->pixelBuffer != _lastCopied;
}

std::shared_ptr<PixelBuffer> PlayerItemVideoOutput::copyPixelBufferForItemTime(
    const MediaTime& itemTime, MediaTime* itemTimeForDisplay)
{
    std::lock_guard guard(_lock);
    if (!_reader)
        return nullptr;
    auto picture = _reader->pictureAtTime(itemTime);
    if (!picture.ok()) {
        log("media: a player item's pictures cannot be read: {}", picture.error().localizedDescription());
        _reader.reset();
        return nullptr;
    }
    if (!picture.value())
        return nullptr;
    if (itemTimeForDisplay)
        *itemTimeForDisplay = picture.value()->presentationTime;
    _lastCopied = picture.value()->pixelBuffer;
    return _lastCopied;
}

void PlayerItemVideoOutput::setDelegate(
    std::weak_ptr<PlayerItemOutputPullDelegate> delegate, std::shared_ptr<DispatchQueue> queue)
{
    std::lock_guard guard(_lock);
    _hasDelegate = !delegate.expired();
    _delegate = std::move(delegate);
    _delegateQueue = std::move(queue);
}

void PlayerItemVideoOutput::requestNotificationOfMediaDataChangeWithAdvanceInterval(double)
{
    {
        std::lock_guard guard(_lock);
        _notificationRequested = true;
    }
    notifyIfRequested();
}

void PlayerItemVideoOutput::notifyIfRequested()
{
    std::shared_ptr<DispatchQueue> queue;
    std::weak_ptr<PlayerItemOutputPullDelegate> delegate;
    {
        std::lock_guard guard(_lock);
        // Pictures are there to change to once the output is on an item with video.
        if (!_notificationRequested || !_reader || !_hasDelegate)
            return;
        _notificationRequested = false;
        queue = _delegateQueue;
        delegate = _delegate;
    }
    auto tell = [self = shared_from_this(), delegate] {
        if (auto listener = delegate.lock())
            listener->outputMediaDataWillChange(*self);
    };
    if (queue)
        queue->async(std::move(tell));
    else
        DispatchQueue::mainQueue().async(std::move(tell));
}

}  // namespace plat
