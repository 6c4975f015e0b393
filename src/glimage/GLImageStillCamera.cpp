#include "glimage/GLImageStillCamera.h"

#include "glimage/GLImageContext.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureStillImageOutput.h"
#include "platform/ui/Device.h"

namespace zt {

namespace {

plat::Error busyError()
{
    return plat::Error(plat::kMediaErrorDomain, kMediaErrorMaximumStillImageCaptureRequestsExceeded,
        "A still picture is being taken already.");
}

}  // namespace

GLImageStillCamera::GLImageStillCamera(Passkey passkey)
    : GLImageVideoCamera(passkey)
{
}

std::shared_ptr<GLImageStillCamera> GLImageStillCamera::initWithSessionPreset(
    const std::string& sessionPreset, plat::CaptureDevicePosition cameraPosition)
{
    auto camera = std::make_shared<GLImageStillCamera>(Passkey());
    if (!camera->setUp(sessionPreset, cameraPosition) || !camera->setUpPhotoOutput())
        return nullptr;
    return camera;
}

std::shared_ptr<GLImageStillCamera> GLImageStillCamera::init()
{
    return initWithSessionPreset(plat::kCaptureSessionPresetPhoto, plat::CaptureDevicePosition::Back);
}

bool GLImageStillCamera::setUpPhotoOutput()
{
    auto& session = *captureSession();
    session.beginConfiguration();
    requiresFrontCameraTextureCacheCorruptionWorkaround
        = plat::Device::compareVersions(plat::Device::currentDevice().systemVersion(), "6.0") < 0;
    photoOutput = std::make_shared<plat::CaptureStillImageOutput>();
    bool yuv = false;
    if (capturesAsYUV() && GLImageContext::deviceSupportsRedTextures()) {
        const auto formats = photoOutput->availableImageDataCVPixelFormatTypes();
        const bool full = std::find(formats.begin(), formats.end(), plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange)
            != formats.end();
        const uint32_t format = full ? plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange
                                     : plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange;
        // A still output that cannot give planes gives the camera's BGRA.
        yuv = photoOutput->setOutputSettings(
            plat::Dictionary {{plat::kCVPixelBufferPixelFormatTypeKey, static_cast<int64_t>(format)}});
    }
    if (!yuv) {
        setCapturesAsYUV(false);
        photoOutput->setOutputSettings(plat::Dictionary {
            {plat::kCVPixelBufferPixelFormatTypeKey, static_cast<int64_t>(plat::kPixelFormatType_32BGRA)}});
        videoDataOutput()->setVideoSettings(plat::Dictionary {
            {plat::kCVPixelBufferPixelFormatTypeKey, static_cast<int64_t>(plat::kPixelFormatType_32BGRA)}});
    }
    session.addOutput(photoOutput);
    session.commitConfiguration();
    _jpegCompressionQuality = 0.8;
    return true;
}

void GLImageStillCamera::removeInputsAndOutputs()
{
    captureSession()->removeOutput(photoOutput);
    GLImageVideoCamera::removeInputsAndOutputs();
}

std::optional<plat::Dictionary> GLImageStillCamera::currentCaptureMetadata() const
{
    std::lock_guard guard(_metadataLock);
    return _currentCaptureMetadata;
}

void GLImageStillCamera::capturePhotoProcessedUpToFilter(
    const std::shared_ptr<GLImageOutput>& finalFilterInChain, GPUHandler block)
{
    (void)finalFilterInChain;  // the photo goes through the whole graph; the caller reads this filter
    // No live picture in flight from here on; the ones that come are dropped.
    frameSemaphore().wait();
    if (photoOutput->isCapturingStillImage()) {
        block(busyError());
        return;
    }
    auto connection = photoOutput->connections().empty() ? nullptr : photoOutput->connections().front();
    std::weak_ptr<GLImageStillCamera> weakSelf = std::static_pointer_cast<GLImageStillCamera>(shared_from_this());
    photoOutput->captureStillImageAsynchronouslyFromConnection(connection,
        [weakSelf, connection, block = std::move(block)](
            const std::shared_ptr<const plat::SampleBuffer>& photo, const std::optional<plat::Error>& error) {
            auto self = weakSelf.lock();
            if (!self) {
                return;
            }
            if (!photo || !photo->imageBuffer()) {
                block(error.value_or(plat::Error(
                    plat::kMediaErrorDomain, plat::kMediaErrorUnknown, "The still picture could not be taken.")));
                return;
            }
            self->conserveMemoryForNextFrame();
            const auto& pixelBuffer = photo->imageBuffer();
            const plat::Size size {double(pixelBuffer->width()), double(pixelBuffer->height())};
            const plat::Size fitted = GLImageContext::sizeThatFitsWithinATextureForSize(size);
            std::shared_ptr<const plat::SampleBuffer> fed = photo;
            if (fitted != size)
                fed = createResizedSampleBuffer(pixelBuffer, fitted);
            const bool skipFeed = self->cameraPosition() == plat::CaptureDevicePosition::Front
                && GLImageContext::supportsFastTextureUpload()
                && self->requiresFrontCameraTextureCacheCorruptionWorkaround;
            if (!skipFeed && fed && connection) {
                // Through the camera's own frame path, as a live picture would go.
                self->frameSemaphore().signal();
                self->captureOutput(*self->photoOutput, fed, *connection);
                self->frameSemaphore().wait();
            }
            {
                std::lock_guard guard(self->_metadataLock);
                self->_currentCaptureMetadata = plat::Dictionary();
            }
            block(std::nullopt);
            std::lock_guard guard(self->_metadataLock);
            self->_currentCaptureMetadata.reset();
        });
}

void GLImageStillCamera::capturePhotoAsImageProcessedUpToFilter(
    const std::shared_ptr<GLImageOutput>& finalFilterInChain, ImageHandler block)
{
    std::weak_ptr<GLImageStillCamera> weakSelf = std::static_pointer_cast<GLImageStillCamera>(shared_from_this());
    capturePhotoProcessedUpToFilter(
        finalFilterInChain, [weakSelf, finalFilterInChain, block](const std::optional<plat::Error>& error) {
            auto self = weakSelf.lock();
            if (error || !self) {
                if (self)
                    self->releaseFrameSemaphore();
                block(nullptr, error);
                return;
            }
            auto image = finalFilterInChain->imageFromCurrentlyProcessedOutput(DeviceOrientation::Unknown);
            self->releaseFrameSemaphore();
            block(image, std::nullopt);
        });
}

void GLImageStillCamera::capturePhotoAsJPEGProcessedUpToFilter(
    const std::shared_ptr<GLImageOutput>& finalFilterInChain, DataHandler block)
{
    captureDataProcessedUpToFilter(finalFilterInChain, std::move(block), PhotoEncoding::JPEG);
}

void GLImageStillCamera::capturePhotoAsPNGProcessedUpToFilter(
    const std::shared_ptr<GLImageOutput>& finalFilterInChain, DataHandler block)
{
    captureDataProcessedUpToFilter(finalFilterInChain, std::move(block), PhotoEncoding::PNG);
}

void GLImageStillCamera::captureDataProcessedUpToFilter(
    const std::shared_ptr<GLImageOutput>& finalFilterInChain, DataHandler block, PhotoEncoding encoding)
{
    const bool asJPEG = encoding == PhotoEncoding::JPEG;
    const double quality = _jpegCompressionQuality;
    capturePhotoAsImageProcessedUpToFilter(finalFilterInChain,
        [block = std::move(block), asJPEG, quality](
            const std::shared_ptr<plat::Image>& image, const std::optional<plat::Error>& error) {
            if (!image) {
                block(std::nullopt,
                    error.value_or(plat::Error(
                        plat::kMediaErrorDomain, plat::kMediaErrorUnknown, "The filter has no picture to give.")));
                return;
            }
            auto data = asJPEG ? plat::JPEGRepresentation(*image, quality) : plat::PNGRepresentation(*image);
            if (!data) {
                block(std::nullopt,
                    plat::Error(
                        plat::kMediaErrorDomain, plat::kMediaErrorOutOfMemory, "The picture cannot be encoded."));
                return;
            }
            block(std::move(data), std::nullopt);
        });
}

void GLImageStillCamera::capturePhotoAsSampleBufferWithCompletionHandler(
    std::function<void(const std::shared_ptr<const plat::SampleBuffer>&, const std::optional<plat::Error>&)>)
{
    plat::log(
        "If you want to use the method capturePhotoAsSampleBufferWithCompletionHandler:, you must comment out the "
        "line in GLImageStillCamera in the method initWithSessionPreset:cameraPosition: which sets the "
        "CVPixelBufferPixelFormatTypeKey, as well as uncomment the rest of the method "
        "capturePhotoAsSampleBufferWithCompletionHandler:. However, if you do this you cannot use any of the "
        "photo capture methods to take a photo if you also supply a filter.");
}

std::shared_ptr<const plat::SampleBuffer> GLImageStillCamera::createResizedSampleBuffer(
    const std::shared_ptr<plat::PixelBuffer>& cameraFrame, plat::Size finalSize)
{
    const int width = int(finalSize.width);
    const int height = int(finalSize.height);
    if (!cameraFrame || width <= 0 || height <= 0)
        return nullptr;
    cameraFrame->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    auto source = plat::bitmapSharingPixels(*cameraFrame);
    cameraFrame->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
    auto context
        = source ? plat::GraphicsContext::bitmapContext(width, height, 1.0, plat::ContextOpacity::Opaque) : nullptr;
    if (!context)
        return nullptr;
    context->drawImage(*plat::Image::imageWithBitmap(source, 1.0), plat::makeRect(0, 0, width, height));
    auto drawn = context->makeImage();
    auto made = plat::PixelBuffer::create(width, height, plat::kPixelFormatType_32BGRA);
    if (!drawn || !made.ok())
        return nullptr;
    auto& target = *made.value();
    const auto& pixels = *drawn->bitmap();
    target.lockBaseAddress(plat::PixelBufferLock::ReadWrite);
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = pixels.row(y);
        uint8_t* to = target.baseAddress() + size_t(y) * target.bytesPerRow();
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = from + size_t(x) * 4;
            uint8_t* q = to + size_t(x) * 4;
            const bool bgra = pixels.order() == plat::PixelOrder::BGRA;
            q[0] = bgra ? p[0] : p[2];
            q[1] = p[1];
            q[2] = bgra ? p[2] : p[0];
            q[3] = p[3];
        }
    }
    target.unlockBaseAddress(plat::PixelBufferLock::ReadWrite);
    return plat::SampleBuffer::createForImageBuffer(made.value(), plat::MediaTime::make(1, 30));
}

}  // namespace zt
