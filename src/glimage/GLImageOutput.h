#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "glimage/GLImageInput.h"
#include "glimage/GLObject.h"
#include "platform/foundation/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/media/MediaTime.h"

namespace zt {
class GLImageMovieWriter;

// GL enumerations for an output texture (GLenum values).
struct GPUTextureOptions {
    uint32_t minFilter;
    uint32_t magFilter;
    uint32_t wrapS;
    uint32_t wrapT;
    uint32_t internalFormat;
    uint32_t format;
    uint32_t type;
};

// Linear filtering, clamped edges, RGBA storage of BGRA unsigned bytes.
GPUTextureOptions defaultTextureOptions();

// Aborts unless textures made with options store RGBA bytes, the only
// layout that the CPU read-backs of the pipeline know; wrongFormatMessage
// names the wrong internal format. The format option only describes
// uploads (BGRA by default), so it is not what matters here.
void requireRGBAByteOutput(const GPUTextureOptions& options, const char* wrongFormatMessage);

// The device's physical orientation, with the platform's numbers.
enum class DeviceOrientation : int {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 3,
    LandscapeRight = 4,
    FaceUp = 5,
    FaceDown = 6,
};

plat::ImageOrientation imageOrientationForDeviceOrientation(DeviceOrientation orientation);

class GLImageOutput;
using GLImageFrameProcessingBlock = std::function<void(GLImageOutput& output, const plat::MediaTime& frameTime)>;

// The base of every frame source: its ordered targets with the texture index
// at which each receives it, its output texture, and the read-back of its
// last output as an image. Target changes and texture work run synchronously
// on the context queue; frames are sent there.
class GLImageOutput : public GLImageTextureDelegate, public std::enable_shared_from_this<GLImageOutput> {
public:
    GLImageOutput();
    ~GLImageOutput() override;
    GLImageOutput(const GLImageOutput&) = delete;
    GLImageOutput& operator=(const GLImageOutput&) = delete;

    virtual void setInputTextureForTarget(const std::shared_ptr<GLImageInput>& target, int64_t inputTextureIndex);
    virtual uint32_t textureForOutput();
    void notifyTargetsAboutNewOutputTexture();

    std::vector<std::shared_ptr<GLImageInput>> targets() const;
    void addTarget(const std::shared_ptr<GLImageInput>& newTarget);
    virtual void addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation);
    virtual void removeTarget(const std::shared_ptr<GLImageInput>& targetToRemove);
    virtual void removeAllTargets();

    virtual void initializeOutputTextureIfNeeded();
    virtual void deleteOutputTexture();
    virtual void cleanupOutputImage();

    virtual void forceProcessingAtSize(plat::Size frameSize);
    virtual void forceProcessingAtSizeRespectingAspectRatio(plat::Size frameSize);
    virtual void prepareForImageCapture();
    virtual void conserveMemoryForNextFrame();
    virtual bool providesMonochromeOutput();

    void textureNoLongerNeededForTarget(GLImageInput* target) override;

    // The last output as a new bitmap; none for a source that is not a filter.
    virtual std::shared_ptr<const plat::Bitmap> newCGImageFromCurrentlyProcessedOutputWithOrientation(
        plat::ImageOrientation imageOrientation);
    // The device orientation is the caller's: the pipeline has no device of its own.
    std::shared_ptr<const plat::Bitmap> newCGImageFromCurrentlyProcessedOutput(DeviceOrientation deviceOrientation);
    std::shared_ptr<plat::Image> imageFromCurrentlyProcessedOutput(DeviceOrientation deviceOrientation);
    std::shared_ptr<plat::Image> imageFromCurrentlyProcessedOutputWithOrientation(
        plat::ImageOrientation imageOrientation);
    std::shared_ptr<const plat::Bitmap> newCGImageByFilteringCGImage(const std::shared_ptr<const plat::Bitmap>& image);
    std::shared_ptr<const plat::Bitmap> newCGImageByFilteringCGImage(
        const std::shared_ptr<const plat::Bitmap>& image, plat::ImageOrientation orientation);
    std::shared_ptr<const plat::Bitmap> newCGImageByFilteringImage(const plat::Image& imageToFilter);
    std::shared_ptr<plat::Image> imageByFilteringImage(const plat::Image& imageToFilter);

    // The movie writer that records this source's sound (cameras and movies
    // have sound); set, it is told that it has an audio track.
    std::shared_ptr<GLImageMovieWriter> audioEncodingTarget() const;
    virtual void setAudioEncodingTarget(std::shared_ptr<GLImageMovieWriter> newValue);

    bool shouldSmoothlyScaleOutput() const { return _shouldSmoothlyScaleOutput; }
    void setShouldSmoothlyScaleOutput(bool value) { _shouldSmoothlyScaleOutput = value; }
    virtual bool shouldIgnoreUpdatesToThisTarget() { return _shouldIgnoreUpdatesToThisTarget; }
    void setShouldIgnoreUpdatesToThisTarget(bool value) { _shouldIgnoreUpdatesToThisTarget = value; }
    std::shared_ptr<GLImageInput> targetToIgnoreForUpdates() const { return _targetToIgnoreForUpdates.lock(); }
    virtual void setTargetToIgnoreForUpdates(const std::shared_ptr<GLImageInput>& target);
    virtual GLImageFrameProcessingBlock frameProcessingCompletionBlock() const;
    virtual void setFrameProcessingCompletionBlock(GLImageFrameProcessingBlock block);
    virtual bool enabled() { return _enabled; }
    void setEnabled(bool value) { _enabled = value; }
    const GPUTextureOptions& outputTextureOptions() const { return _outputTextureOptions; }
    void setOutputTextureOptions(const GPUTextureOptions& options) { _outputTextureOptions = options; }

    uint64_t outputTextureRetainCountForTesting() const { return outputTextureRetainCount; }
    bool allTargetsWantMonochromeDataForTesting() const { return allTargetsWantMonochromeData; }

protected:
    std::shared_ptr<GLImageInput> selfAsInput();
    // The index recorded for the target at position i.
    int64_t textureIndexOfTargetAt(size_t i) const { return targetTextureIndices[i]; }
    // Whether target is still attached at textureIndex. A frame walks a copy
    // of the targets; one that an earlier target took off meanwhile is passed over.
    bool hasTargetAt(const std::shared_ptr<GLImageInput>& target, int64_t textureIndex) const;
    void removeTargetsOnContextQueue();

    std::vector<std::shared_ptr<GLImageInput>> _targets;  // context queue
    std::vector<int64_t> targetTextureIndices;  // context queue, parallel to _targets
    GLTexture outputTexture;  // context queue
    plat::Size inputTextureSize;
    plat::Size cachedMaximumOutputSize;
    plat::Size forcedMaximumSize;
    bool overrideInputSize = false;
    uint64_t outputTextureRetainCount = 0;
    std::weak_ptr<GLImageTextureDelegate> firstTextureDelegate;
    bool shouldConserveMemoryForNextFrame = false;
    bool allTargetsWantMonochromeData = true;

private:
    mutable std::mutex _audioEncodingTargetLock;
    std::shared_ptr<GLImageMovieWriter> _audioEncodingTarget;  // guarded by _audioEncodingTargetLock
    bool _shouldSmoothlyScaleOutput = false;
    bool _shouldIgnoreUpdatesToThisTarget = false;
    std::weak_ptr<GLImageInput> _targetToIgnoreForUpdates;
    GLImageFrameProcessingBlock _frameProcessingCompletionBlock;
    bool _enabled = true;
    GPUTextureOptions _outputTextureOptions;
};

}  // namespace zt
