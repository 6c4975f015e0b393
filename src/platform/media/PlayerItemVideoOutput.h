#pragma once
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/Value.h"
#include "platform/media/MediaTime.h"

namespace plat {
class DispatchQueue;
class PixelBuffer;
class PlayerItem;
class PlayerItemVideoOutput;
namespace detail {
class TrackPictureReader;
}

// Hears when a player item's output is about to have new pictures, on the
// queue the output was given.
class PlayerItemOutputPullDelegate {
public:
    virtual ~PlayerItemOutputPullDelegate() = default;
    virtual void outputMediaDataWillChange(PlayerItemVideoOutput& sender) = 0;
};

// The pictures of a player item's video as it plays, pulled by time: a
// display-refresh timer asks for the item time of the coming refresh and
// copies the picture shown then when it is a new one. Pictures are decoded
// from the item's first video track in the attributes' pixel format
// (kPixelBufferPixelFormatTypeKey, 32BGRA unless they say 32ARGB). Host
// times are plat::Clock uptimes. Any thread.
class PlayerItemVideoOutput : public std::enable_shared_from_this<PlayerItemVideoOutput> {
public:
    static std::shared_ptr<PlayerItemVideoOutput> videoOutputWithPixelBufferAttributes(
        std::optional<Dictionary> pixelBufferAttributes);
    ~PlayerItemVideoOutput();

    // The item's time at that host time, as its player runs now; invalid
    // while the output is on no item.
    MediaTime itemTimeForHostTime(double hostTimeInSeconds) const;
    // Whether the picture shown at the item time is one not copied yet.
    bool hasNewPixelBufferForItemTime(const MediaTime& itemTime);
    // The picture shown at the item time, and that picture's own time;
    // nullptr where the item shows none.
    std::shared_ptr<PixelBuffer> copyPixelBufferForItemTime(const MediaTime& itemTime, MediaTime* itemTimeForDisplay);

    // A null queue is the main queue.
    void setDelegate(std::weak_ptr<PlayerItemOutputPullDelegate> delegate, std::shared_ptr<DispatchQueue> queue);
    // The delegate hears (once per request) when the output's item has
    // pictures to show; the interval is how far ahead of them it wants to know.
    void requestNotificationOfMediaDataChangeWithAdvanceInterval(double interval);

    explicit PlayerItemVideoOutput(uint32_t pixelFormatType);

private:
    friend class PlayerItem;
    void attach(const std::shared_ptr<PlayerItem>& item);
    void detach();
    void notifyIfRequested();

    const uint32_t _pixelFormatType;
    mutable std::mutex _lock;
    std::weak_ptr<PlayerItem> _item;  // guarded by _lock
    std::unique_ptr<detail::TrackPictureReader> _reader;  // guarded by _lock
    std::shared_ptr<PixelBuffer> _lastCopied;  // guarded by _lock
    std::weak_ptr<PlayerItemOutputPullDelegate> _delegate;  // guarded by _lock
    std::shared_ptr<DispatchQueue> _delegateQueue;  // guarded by _lock
    bool _hasDelegate = false;  // guarded by _lock
    bool _notificationRequested = false;  // guarded by _lock
};

}  // namespace plat
