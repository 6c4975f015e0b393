#pragma once
#include <functional>
#include <memory>

#include "glimage/GLImageOutput.h"
#include "platform/foundation/Semaphore.h"
#include "platform/foundation/Value.h"

namespace plat {
class URL;
}

namespace zt {

enum class SmoothlyScaleOutput { No, Yes };

// A still picture as a frame source: uploaded once into the output texture
// (fitted to the largest texture, or at a power-of-two size with mipmaps for
// smooth down-scaling) and sent to the targets with the indefinite frame
// time each time it is processed. Any thread; the upload and the runs
// happen on the context queue.
class GLImagePicture : public GLImageOutput {
public:
    // None when the file cannot be read or decoded.
    static std::shared_ptr<GLImagePicture> initWithURL(const plat::URL& url);
    static std::shared_ptr<GLImagePicture> initWithData(const plat::Data& imageData);
    explicit GLImagePicture(
        const plat::Image& newImageSource, SmoothlyScaleOutput smoothlyScaleOutput = SmoothlyScaleOutput::No);
    // The bitmap is used as stored, whatever orientation an image gave it.
    explicit GLImagePicture(std::shared_ptr<const plat::Bitmap> newImageSource,
        SmoothlyScaleOutput smoothlyScaleOutput = SmoothlyScaleOutput::No);

    void processImage();
    // False when the previous run is still in flight: this request is dropped.
    bool processImageWithCompletionHandler(std::function<void()> completion);
    plat::Size outputImageSize() const { return pixelSizeOfImage; }

    using GLImageOutput::addTarget;
    void addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation) override;
    void removeAllTargets() override;

    // How the picture was uploaded: the GL pixel format, whether it was
    // redrawn rather than taken from the bitmap's bytes, and the texture size.
    uint32_t uploadPixelFormatForTesting() const { return _uploadPixelFormat; }
    bool uploadWasRedrawnForTesting() const { return _uploadWasRedrawn; }
    plat::Size uploadSizeForTesting() const { return _uploadSize; }

private:
    plat::Size pixelSizeOfImage;
    bool hasProcessedImage = false;
    plat::Semaphore imageUpdateSemaphore {1};
    uint32_t _uploadPixelFormat = 0;
    bool _uploadWasRedrawn = false;
    plat::Size _uploadSize;
};

}  // namespace zt
