#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "glimage/GLImageInput.h"
#include "glimage/GLObject.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/media/MediaTime.h"

namespace plat {
class AssetWriter;
class AssetWriterInput;
class AssetWriterInputPixelBufferAdaptor;
class DispatchQueue;
class PixelBuffer;
class SampleBuffer;
}  // namespace plat

namespace zt {
class GLProgram;

// Hears how a recording ended; both are optional.
class GLImageMovieWriterDelegate {
public:
    virtual ~GLImageMovieWriterDelegate() = default;
    virtual void movieRecordingCompleted() { }
    virtual void movieRecordingFailedWithError(const plat::Error& /*error*/) { }
};

// The key of output settings that says whether frames come live (appends
// never wait, frames that find the writer busy are dropped) or offline
// (appends wait for the writer); it never reaches the asset writer.
inline constexpr const char* kEncodingLiveVideoKey = "EncodingLiveVideo";

// A sink that records the frames it receives, and the sound its sources
// hand it, into a movie file: each frame is drawn once more at the movie's
// size, read back into a pixel buffer of the writer's pool (by that
// buffer's row length) and appended with the frame's time. A movie reader
// can let it pull frames as fast as it encodes (synchronised encoding).
// Frames arrive on the context queue, sound on its source's queue; starting
// the writing session, finishing and cancelling are serialised on the
// writer's own queue. A writer that could not be made leaves the movie
// writer failed: it records nothing and reports the failure once.
class GLImageMovieWriter : public GLImageInput, public std::enable_shared_from_this<GLImageMovieWriter> {
public:
    // A QuickTime movie of H.264 at size.
    static std::shared_ptr<GLImageMovieWriter> initWithMovieURL(const plat::URL& newMovieURL, plat::Size newSize);
    // outputSettings, when given, must hold the codec, width and height keys.
    static std::shared_ptr<GLImageMovieWriter> initWithMovieURL(const plat::URL& newMovieURL, plat::Size newSize,
        const std::string& newFileType, std::optional<plat::Dictionary> outputSettings);
    ~GLImageMovieWriter() override;
    GLImageMovieWriter(const GLImageMovieWriter&) = delete;
    GLImageMovieWriter& operator=(const GLImageMovieWriter&) = delete;

    void startRecording();
    void startRecordingInOrientation(const plat::AffineTransform& orientationTransform);
    void cancelRecording();
    void finishRecording();
    // The handler runs once the movie is finished (on the writer's queue),
    // or on the context queue when there was nothing to finish.
    void finishRecordingWithCompletionHandler(std::function<void()> handler);
    // Sound of a source (camera microphone, movie), on the source's queue.
    void processAudioBuffer(const std::shared_ptr<const plat::SampleBuffer>& audioBuffer);
    // A movie reader set the ready callbacks: it is asked for frames and
    // sound whenever the writer takes more.
    void enableSynchronizationCallbacks();

    bool hasAudioTrack() const { return _hasAudioTrack.load(); }
    void setHasAudioTrack(bool newValue);
    // Settings none: AAC, one channel at the audio session's rate, 64 kbit/s
    // (none at all when sound is passed through).
    void setHasAudioTrack(bool newValue, std::optional<plat::Dictionary> audioOutputSettings);

    // GLImageInput
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override { return 0; }
    void setInputSize(plat::Size, int64_t) override { }
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    plat::Size maximumOutputSize() override { return videoSize; }
    void endProcessing() override;
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return _enabled.load(); }
    void conserveMemoryForNextFrame() override { }
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override { }

    // Context queue.
    void createDataFBO();
    void destroyDataFBO();
    void setFilterFBO();
    void renderAtInternalSize();

    // From the session's start to the last frame (or sound) written.
    plat::MediaTime duration() const;
    plat::AffineTransform transform() const;
    void setTransform(const plat::AffineTransform& transform);
    std::vector<std::pair<std::string, std::string>> metaData() const;
    void setMetaData(std::vector<std::pair<std::string, std::string>> metaData);

    bool shouldPassthroughAudio() const { return _shouldPassthroughAudio; }
    void setShouldPassthroughAudio(bool value) { _shouldPassthroughAudio = value; }
    // Sound buffers are invalidated once written (or dropped).
    bool shouldInvalidateAudioSampleWhenDone() const { return _shouldInvalidateAudioSampleWhenDone; }
    void setShouldInvalidateAudioSampleWhenDone(bool value) { _shouldInvalidateAudioSampleWhenDone = value; }
    bool encodingLiveVideo() const { return _encodingLiveVideo.load(); }
    void setEncodingLiveVideo(bool value) { _encodingLiveVideo = value; }
    void setEnabled(bool value) { _enabled = value; }
    bool isPaused() const { return _paused.load(); }
    void setPaused(bool newValue);
    void setCompletionBlock(std::function<void()> block);
    void setFailureBlock(std::function<void(const plat::Error&)> block);
    void setDelegate(std::weak_ptr<GLImageMovieWriterDelegate> delegate);
    void setVideoInputReadyCallback(std::function<bool()> callback);
    void setAudioInputReadyCallback(std::function<bool()> callback);
    // None when the writer could not be made.
    std::shared_ptr<plat::AssetWriter> assetWriter() const { return _assetWriter; }
    // Why the writer could not be made or failed.
    std::optional<plat::Error> error() const;

    struct Passkey {
        explicit Passkey() = default;
    };
    GLImageMovieWriter(Passkey, const plat::URL& newMovieURL, plat::Size newSize, std::string newFileType);

private:
    void initializeMovieWithOutputSettings(std::optional<plat::Dictionary> outputSettings);
    void reportFailureOnce(const plat::Error& error);
    // On the writer's queue: the writing session starts at time unless it has.
    void startSessionIfNeeded(const plat::MediaTime& time, bool hasReadyCallback);
    void markInputsFinishedWhileWriting();
    // Offline appends wait for the input to take more; false when it never will.
    bool waitUntilReady(plat::AssetWriterInput& input);
    void appendFrame(std::shared_ptr<plat::PixelBuffer> pixelBuffer, const plat::MediaTime& frameTime);
    void appendSound(const std::shared_ptr<const plat::SampleBuffer>& sound);
    // Once the sound was written or dropped.
    void invalidateIfAsked(const plat::SampleBuffer& sound) const;
    void requestVideoFromCallback();
    // The reader has no more frames: the video input is done.
    void finishVideoFromCallback();
    void requestAudioFromCallback();

    const plat::URL movieURL;
    const std::string fileType;
    const plat::Size videoSize;
    std::shared_ptr<plat::AssetWriter> _assetWriter;
    std::shared_ptr<plat::AssetWriterInput> assetWriterVideoInput;
    std::shared_ptr<plat::AssetWriterInput> assetWriterAudioInput;
    std::shared_ptr<plat::AssetWriterInputPixelBufferAdaptor> assetWriterPixelBufferInput;
    std::shared_ptr<plat::DispatchQueue> movieWritingQueue;
    std::shared_ptr<plat::DispatchQueue> videoQueue;
    std::shared_ptr<plat::DispatchQueue> audioQueue;

    // Context queue.
    GLImageRotationMode inputRotation = GLImageRotationMode::NoRotation;
    std::weak_ptr<GLImageTextureDelegate> textureDelegate;
    GLFramebuffer movieFramebuffer;
    GLRenderbuffer movieRenderbuffer;
    std::shared_ptr<GLProgram> colorSwizzlingProgram;
    int32_t colorSwizzlingPositionAttribute = 0;
    int32_t colorSwizzlingTextureCoordinateAttribute = 0;
    int32_t colorSwizzlingInputTextureUniform = 0;
    uint32_t inputTextureForMovieRendering = 0;  // the source's, not ours

    mutable std::mutex _lock;
    plat::MediaTime startTime = plat::MediaTime::invalid();  // guarded by _lock
    plat::MediaTime previousFrameTime = plat::MediaTime::negativeInfinity();  // guarded by _lock
    plat::MediaTime previousAudioTime = plat::MediaTime::negativeInfinity();  // guarded by _lock
    std::optional<plat::Error> _failure;  // guarded by _lock
    bool _failureReported = false;  // guarded by _lock
    std::function<void()> _completionBlock;  // guarded by _lock
    std::function<void(const plat::Error&)> _failureBlock;  // guarded by _lock
    std::weak_ptr<GLImageMovieWriterDelegate> _delegate;  // guarded by _lock
    std::function<bool()> _videoInputReadyCallback;  // guarded by _lock
    std::function<bool()> _audioInputReadyCallback;  // guarded by _lock
    plat::AffineTransform _transform;  // guarded by _lock
    std::vector<std::pair<std::string, std::string>> _metaData;  // guarded by _lock

    std::atomic<bool> alreadyFinishedRecording {false};
    std::atomic<bool> audioEncodingIsFinished {false};
    std::atomic<bool> videoEncodingIsFinished {false};
    std::atomic<bool> isRecording {false};
    std::atomic<bool> _hasAudioTrack {false};
    std::atomic<bool> _shouldPassthroughAudio {false};
    std::atomic<bool> _shouldInvalidateAudioSampleWhenDone {false};
    std::atomic<bool> _encodingLiveVideo {true};
    std::atomic<bool> _enabled {true};
    std::atomic<bool> _paused {false};
};

}  // namespace zt
