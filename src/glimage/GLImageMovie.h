#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include "glimage/GLImagePixelBufferOutput.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/media/AssetForward.h"
#include "platform/media/MediaTime.h"
#include "platform/media/PlayerItemVideoOutput.h"

namespace plat {
class AssetReader;
class AssetReaderOutput;
class DisplayLink;
class PixelBuffer;
class PlayerItem;
class SampleBuffer;
}  // namespace plat

namespace zt {
namespace detail {
class GLImageMovieDisplayTarget;
}

// Hears how a movie's frames ended; both are optional.
class GLImageMovieDelegate {
public:
    virtual ~GLImageMovieDelegate() = default;
    virtual void didCompletePlayingMovie() { }
    // The movie could not be read (no file, no video, a reader that would
    // not start); no frames came and no completion follows.
    virtual void didFailToPlayMovieWithError(const plat::Error& /*error*/) { }
};

// A movie file, an asset or a player item as a frame source: each video
// frame becomes a texture handed to the targets with its time, and the
// sound, when a movie writer is the audio encoding target, goes to it. It
// reads as fast as the targets take frames, at the movie's own pace, in a
// loop, or as fast as a synchronised movie writer encodes. A file or asset
// is read on the context queue (a file) or on the caller's thread (an
// asset); a player item's frames are pulled by a display timer on the main
// thread. GL work runs on the context queue.
class GLImageMovie : public GLImagePixelBufferOutput, public plat::PlayerItemOutputPullDelegate {
public:
    static std::shared_ptr<GLImageMovie> initWithURL(const plat::URL& url);
    static std::shared_ptr<GLImageMovie> initWithAsset(std::shared_ptr<const plat::Asset> asset);
    static std::shared_ptr<GLImageMovie> initWithPlayerItem(std::shared_ptr<plat::PlayerItem> playerItem);
    ~GLImageMovie() override;

    void enableSynchronizedEncodingUsingMovieWriter(const std::shared_ptr<GLImageMovieWriter>& movieWriter);
    // A movie that repeats starts over from the main queue each time it ends.
    void startProcessing();
    void cancelProcessing();
    // Tells the targets and the delegate once a run, however many ends meet;
    // the delegate is let go after it has heard.
    void endProcessing();

    // The reading machinery.
    virtual std::shared_ptr<plat::AssetReader> createAssetReader();
    void processAsset();
    // Main thread.
    void processPlayerItem();
    bool readNextVideoFrameFromOutput(const std::shared_ptr<plat::AssetReaderOutput>& readerVideoTrackOutput);
    bool readNextAudioSampleFromOutput(const std::shared_ptr<plat::AssetReaderOutput>& readerAudioTrackOutput);
    // Context queue.
    void processMovieFrame(const std::shared_ptr<const plat::SampleBuffer>& movieSampleBuffer);
    void processMovieFrame(
        const std::shared_ptr<plat::PixelBuffer>& movieFrame, const plat::MediaTime& currentSampleTime);
    void outputMediaDataWillChange(plat::PlayerItemVideoOutput& sender) override;
    void displayLinkCallback(plat::DisplayLink& sender);

    const std::optional<plat::URL>& url() const { return _url; }
    std::shared_ptr<const plat::Asset> asset() const;
    const std::shared_ptr<plat::PlayerItem>& playerItem() const { return _playerItem; }
    bool runBenchmark() const { return _runBenchmark.load(); }
    void setRunBenchmark(bool value) { _runBenchmark = value; }
    bool playAtActualSpeed() const { return _playAtActualSpeed.load(); }
    void setPlayAtActualSpeed(bool value) { _playAtActualSpeed = value; }
    bool shouldRepeat() const { return _shouldRepeat.load(); }
    void setShouldRepeat(bool value) { _shouldRepeat = value; }
    void setDelegate(std::weak_ptr<GLImageMovieDelegate> delegate);
    std::shared_ptr<plat::AssetReader> assetReader() const;
    bool audioEncodingIsFinished() const { return _audioEncodingIsFinished.load(); }
    bool videoEncodingIsFinished() const { return _videoEncodingIsFinished.load(); }
    // Why the movie could not be read, once it could not.
    std::optional<plat::Error> error() const;

    struct Passkey {
        explicit Passkey() = default;
    };
    explicit GLImageMovie(Passkey);

protected:
    // The asset the reading runs over (a composition for the composition variant).
    std::shared_ptr<const plat::Asset> readAsset() const { return asset(); }
    void setAsset(std::shared_ptr<const plat::Asset> asset);
    // The reader's audio output wants linear PCM, which the writer's inputs take.
    static plat::Dictionary audioReadingSettings();

    // Readies the YUV conversion; every initialiser runs it.
    void textureCacheSetup();

private:
    void failToRead(const plat::Error& error);
    // Waits until the clock reaches the frame's moment at the movie's own pace.
    void waitForActualSpeed(const plat::MediaTime& frameTime);

    std::optional<plat::URL> _url;
    std::shared_ptr<plat::PlayerItem> _playerItem;
    mutable std::mutex _lock;
    std::shared_ptr<const plat::Asset> _asset;  // guarded by _lock
    std::shared_ptr<plat::AssetReader> reader;  // guarded by _lock
    std::weak_ptr<GLImageMovieDelegate> _delegate;  // guarded by _lock
    std::optional<plat::Error> _error;  // guarded by _lock
    std::weak_ptr<GLImageMovieWriter> synchronizedMovieWriter;  // guarded by _lock

    // Main thread: the player item's pull.
    std::shared_ptr<plat::PlayerItemVideoOutput> playerItemOutput;
    std::shared_ptr<plat::DisplayLink> displayLink;
    std::shared_ptr<detail::GLImageMovieDisplayTarget> displayTarget;

    // The reading thread.
    plat::MediaTime previousFrameTime = plat::MediaTime::zero();
    double previousActualFrameTime = 0;

    std::atomic<bool> keepLooping {false};
    // Counts the ends, so that work queued for a run that has ended is dropped.
    std::atomic<uint64_t> _run {0};
    std::atomic<bool> _ended {false};
    std::atomic<bool> _audioEncodingIsFinished {false};
    std::atomic<bool> _videoEncodingIsFinished {false};
    std::atomic<bool> _runBenchmark {false};
    std::atomic<bool> _playAtActualSpeed {false};
    std::atomic<bool> _shouldRepeat {false};
};

}  // namespace zt
