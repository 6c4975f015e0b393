#pragma once
#include <functional>
#include <memory>
#include <optional>

#include "glimage/GLImageVideoCamera.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

namespace plat {
class CaptureStillImageOutput;
class Image;
}  // namespace plat

namespace zt {

// The platform's code for a still asked of a still output that is busy.
inline constexpr int64_t kMediaErrorMaximumStillImageCaptureRequestsExceeded = -11830;

// The video camera with full-size photos: the live pictures keep flowing
// to the targets, and on request one photo goes through the same graph in
// place of a picture, and the chosen filter's result comes back as an
// image, as JPEG or PNG, or stays on the GPU. A capture blocks its caller
// until no live picture is in flight (keep captures off the thread that
// drives the camera's clock); handlers run on the still output's queue.
class GLImageStillCamera : public GLImageVideoCamera {
public:
    using GPUHandler = std::function<void(const std::optional<plat::Error>& error)>;
    using ImageHandler = std::function<void(
        const std::shared_ptr<plat::Image>& processedImage, const std::optional<plat::Error>& error)>;
    using DataHandler
        = std::function<void(const std::optional<plat::Data>& processedData, const std::optional<plat::Error>& error)>;

    static std::shared_ptr<GLImageStillCamera> initWithSessionPreset(
        const std::string& sessionPreset, plat::CaptureDevicePosition cameraPosition);
    // The photo preset and the back camera.
    static std::shared_ptr<GLImageStillCamera> init();

    void removeInputsAndOutputs() override;

    // The photo is left in finalFilterInChain's output. With no error the
    // camera's frame semaphore is still held: the caller reads the result,
    // then calls releaseFrameSemaphore.
    void capturePhotoProcessedUpToFilter(const std::shared_ptr<GLImageOutput>& finalFilterInChain, GPUHandler block);
    void capturePhotoAsImageProcessedUpToFilter(
        const std::shared_ptr<GLImageOutput>& finalFilterInChain, ImageHandler block);
    void capturePhotoAsJPEGProcessedUpToFilter(
        const std::shared_ptr<GLImageOutput>& finalFilterInChain, DataHandler block);
    void capturePhotoAsPNGProcessedUpToFilter(
        const std::shared_ptr<GLImageOutput>& finalFilterInChain, DataHandler block);
    // Not offered: it only says why.
    void capturePhotoAsSampleBufferWithCompletionHandler(
        std::function<void(const std::shared_ptr<const plat::SampleBuffer>&, const std::optional<plat::Error>&)> block);
    void releaseFrameSemaphore() { frameSemaphore().signal(); }

    // The photo's attachments, only while a capture's handler runs.
    std::optional<plat::Dictionary> currentCaptureMetadata() const;
    double jpegCompressionQuality() const { return _jpegCompressionQuality; }
    void setJpegCompressionQuality(double quality) { _jpegCompressionQuality = quality; }

    // A BGRA picture scaled to finalSize, as a sample buffer timed 1/30 s.
    static std::shared_ptr<const plat::SampleBuffer> createResizedSampleBuffer(
        const std::shared_ptr<plat::PixelBuffer>& cameraFrame, plat::Size finalSize);

    explicit GLImageStillCamera(Passkey passkey);

private:
    enum class PhotoEncoding { JPEG, PNG };
    bool setUpPhotoOutput();
    void captureDataProcessedUpToFilter(
        const std::shared_ptr<GLImageOutput>& finalFilterInChain, DataHandler block, PhotoEncoding encoding);

    std::shared_ptr<plat::CaptureStillImageOutput> photoOutput;  // main thread
    bool requiresFrontCameraTextureCacheCorruptionWorkaround = false;
    mutable std::mutex _metadataLock;
    std::optional<plat::Dictionary> _currentCaptureMetadata;  // guarded by _metadataLock
    std::atomic<double> _jpegCompressionQuality {0.8};
};

}  // namespace zt
