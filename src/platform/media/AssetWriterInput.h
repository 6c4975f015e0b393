#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/media/AssetTrack.h"
#include "platform/media/H264Encoder.h"
#include "platform/media/MediaTime.h"

namespace plat {
namespace detail {
class AACEncoder;
}
class AssetWriter;
class DispatchQueue;
class PixelBuffer;
class SampleBuffer;

// One track of a file being written. Media is appended in the pull model:
// the writer calls the request block on the caller's queue whenever the
// input is ready for more, and the block appends while isReadyForMoreMediaData
// says so, then returns. Video inputs encode H.264 (settings: codec, width,
// height, compression properties); audio inputs without settings write the
// linear PCM they are given as it is, and with AAC settings (format, sample
// rate, channels, bit rate, channel layout) encode it as AAC. Appended media is encoded and written
// on the input's own queue. Any thread.
class AssetWriterInput : public std::enable_shared_from_this<AssetWriterInput> {
public:
    // nullptr (and a log line) for settings this writer cannot apply.
    static std::shared_ptr<AssetWriterInput> assetWriterInputWithMediaType(
        const std::string& mediaType, std::optional<Dictionary> outputSettings);
    ~AssetWriterInput();

    const std::string& mediaType() const { return _mediaType; }
    const std::optional<Dictionary>& outputSettings() const { return _outputSettings; }
    bool expectsMediaDataInRealTime() const { return _expectsMediaDataInRealTime; }
    void setExpectsMediaDataInRealTime(bool realTime) { _expectsMediaDataInRealTime = realTime; }

    // Before writing: how players turn the pictures of a video input.
    AffineTransform transform() const;
    void setTransform(const AffineTransform& transform);

    bool isReadyForMoreMediaData() const;
    // The block is called on queue whenever the input is ready, until it is marked finished.
    void requestMediaDataWhenReadyOnQueue(std::shared_ptr<DispatchQueue> queue, std::function<void()> block);
    // Audio: interleaved linear PCM, one format for the whole track. False
    // once the writer has failed or the input is finished, and for a buffer
    // that was invalidated.
    bool appendSampleBuffer(const std::shared_ptr<const SampleBuffer>& sampleBuffer);
    // No more media will come.
    void markAsFinished();
    // Blocks until the input takes more media, or never will (it is
    // finished, or its writer writes no more): true when it takes more. For
    // callers that append offline from a thread of their own instead of
    // from a request block. (On a device whose encoder is slow, the wait
    // lasts until the app's clock moves on: a script's manual clock does not
    // move while a thread waits, so such callers are for the system clock.)
    bool waitUntilReadyForMoreMediaData();

    AssetWriterInput(std::string mediaType, std::optional<Dictionary> outputSettings);

private:
    friend class AssetWriter;
    friend class AssetWriterInputPixelBufferAdaptor;

    struct VideoSettings;
    struct AudioSettings;
    bool encodesAAC() const { return _audio != nullptr; }
    // Video through the pixel-buffer adaptor.
    bool appendPixelBuffer(const std::shared_ptr<PixelBuffer>& pixelBuffer, const MediaTime& presentationTime);
    // Runs block on the input's queue, counting it as waiting media.
    void enqueue(std::function<void()> block, const MediaTime& endTime);
    enum class Wake { WhenReady, EvenWhenNotReady };
    void scheduleRequest(Wake wake);
    void runRequestBlock();
    // On the input's queue.
    void encodePixelBuffer(const std::shared_ptr<PixelBuffer>& pixelBuffer, const MediaTime& time);
    // Opens the encoder and the track with the rate the next picture's time
    // tells (invalid when none comes), and encodes the held first picture.
    Result<void> startVideo(AssetWriter& writer, const MediaTime& nextPictureTime);
    Result<void> encodePicture(AssetWriter& writer, PixelBuffer& pixelBuffer, const MediaTime& time);
    Result<void> writeVideoPacket(AssetWriter& writer, detail::EncodedPacket packet);
    void writeSampleBuffer(const std::shared_ptr<const SampleBuffer>& sampleBuffer);
    void encodeSampleBuffer(AssetWriter& writer, const std::shared_ptr<const SampleBuffer>& sampleBuffer);
    void flush(const MediaTime& sessionEnd);
    void reportFailure(const Error& error);

    // Attached by the writer.
    void attach(const std::shared_ptr<AssetWriter>& writer, int slot);
    bool isAttached() const { return _slot >= 0; }
    int64_t waitingCount() const { return _waiting.load(); }
    // True while the device's slow encoder still takes the last picture.
    bool isPacedNow() const;
    bool isMarkedFinished() const { return _finished.load(); }
    // End of the media appended so far; invalid before the first append.
    MediaTime appendedUntil() const;
    std::shared_ptr<DispatchQueue> workQueue() const { return _workQueue; }

    const std::string _mediaType;
    const std::optional<Dictionary> _outputSettings;
    std::unique_ptr<VideoSettings> _video;
    std::unique_ptr<AudioSettings> _audio;
    std::atomic<bool> _expectsMediaDataInRealTime {false};

    std::weak_ptr<AssetWriter> _writer;
    int _slot = -1;
    std::shared_ptr<DispatchQueue> _workQueue;
    std::atomic<int64_t> _waiting {0};
    std::atomic<bool> _finished {false};
    // The uptime at which a slow encoder takes the next picture.
    std::atomic<double> _pacedUntilUptime {0};

    std::mutex _readinessLock;
    std::condition_variable _readinessChanged;
    uint64_t _readinessGeneration = 0;  // guarded by _readinessLock

    mutable std::mutex _lock;
    MediaTime _appendedUntil = MediaTime::invalid();  // guarded by _lock
    AffineTransform _transform;  // guarded by _lock
    std::shared_ptr<DispatchQueue> _requestQueue;  // guarded by _lock
    std::function<void()> _requestBlock;  // guarded by _lock
    bool _requestScheduled = false;  // guarded by _lock
    bool _wakeAgain = false;  // guarded by _lock

    // Only on the work queue.
    std::unique_ptr<detail::H264Encoder> _encoder;
    struct HeldPicture {
        std::shared_ptr<PixelBuffer> buffer;
        MediaTime time;
    };
    std::optional<HeldPicture> _firstPicture;  // until the encoder opens
    std::unique_ptr<detail::AACEncoder> _aacEncoder;
    int64_t _previousPts = 0;
    bool _hasPrevious = false;
    int64_t _lastDuration = 0;
    std::vector<std::pair<int64_t, int64_t>> _durations;  // pts -> duration, of pictures not yet out
    std::optional<AudioStreamBasicDescription> _audioFormat;
};

}  // namespace plat
