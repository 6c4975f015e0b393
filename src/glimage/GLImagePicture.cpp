#include "glimage/GLImagePicture.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <algorithm>
#include <cmath>

#include "glimage/GLImageContext.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Resample.h"

namespace zt {

namespace {

// Above this a picture asks its targets to free their inputs after the frame.
constexpr double kConserveMemoryAbovePixels = 1000.0;
// Larger files are not pictures we can upload (the largest texture is far smaller).
constexpr int64_t kMaxPictureFileBytes = int64_t(256) * 1024 * 1024;

double nextPowerOfTwo(double length)
{
    return std::pow(2.0, std::ceil(std::log2(length)));
}

// The bitmap stretched over a width x height BGRA bitmap.
std::shared_ptr<plat::Bitmap> redraw(const plat::Bitmap& source, int width, int height)
{
    auto canvas = plat::Bitmap::allocateCleared(width, height, plat::PixelOrder::BGRA);
    if (!canvas)
        return nullptr;
    auto tile = plat::detail::resampleAxisAligned(
        source, double(width) / source.width(), double(height) / source.height(), 0.0, 0.0, width, height);
    if (!tile)
        return canvas;
    const auto& pixels = *tile->pixels;
    for (int y = 0; y < pixels.height(); ++y) {
        const int canvasY = tile->y + y;
        if (canvasY < 0 || canvasY >= height)
            continue;
        const int firstX = std::max(tile->x, 0);
        const int lastX = std::min(tile->x + pixels.width(), width);
        if (firstX >= lastX)
            continue;
        std::copy_n(pixels.row(y) + size_t(firstX - tile->x) * 4, size_t(lastX - firstX) * 4,
            canvas->mutableRow(canvasY) + size_t(firstX) * 4);
    }
    return canvas;
}

}  // namespace

std::shared_ptr<GLImagePicture> GLImagePicture::initWithURL(const plat::URL& url)
{
    if (!url.isFileURL()) {
        plat::log("GLImagePicture: only file URLs can be read, not {}", url.absoluteString());
        return nullptr;
    }
    auto contents = plat::readFile(url.path(), kMaxPictureFileBytes);
    if (!contents.ok()) {
        plat::log("GLImagePicture: cannot read {}: {}", url.path(), contents.error().localizedDescription());
        return nullptr;
    }
    return initWithData(contents.value());
}

std::shared_ptr<GLImagePicture> GLImagePicture::initWithData(const plat::Data& imageData)
{
    auto image = plat::Image::imageWithData(imageData);
    if (!image) {
        plat::log("GLImagePicture: {} bytes are not a picture that can be decoded", imageData.size());
        return nullptr;
    }
    return std::make_shared<GLImagePicture>(*image);
}

GLImagePicture::GLImagePicture(const plat::Image& newImageSource, SmoothlyScaleOutput smoothlyScaleOutput)
    : GLImagePicture(newImageSource.bitmap(), smoothlyScaleOutput)
{
}

GLImagePicture::GLImagePicture(
    std::shared_ptr<const plat::Bitmap> newImageSource, SmoothlyScaleOutput smoothlyScaleOutput)
{
    const bool smoothly = smoothlyScaleOutput == SmoothlyScaleOutput::Yes;
    setShouldSmoothlyScaleOutput(smoothly);
    if (!newImageSource || newImageSource->width() <= 0 || newImageSource->height() <= 0)
        plat::detail::fatal("Passed image must not be empty - it should be at least 1px tall and wide");
    const plat::Bitmap& source = *newImageSource;

    pixelSizeOfImage = {double(source.width()), double(source.height())};
    const plat::Size fitted = GLImageContext::sizeThatFitsWithinATextureForSize(pixelSizeOfImage);
    const bool resized = fitted != pixelSizeOfImage;
    // Whole pixels, at least one a side: a long thin strip would else shrink to none.
    if (resized)
        pixelSizeOfImage = {std::max(1.0, std::round(fitted.width)), std::max(1.0, std::round(fitted.height))};
    plat::Size uploadSize = pixelSizeOfImage;
    if (smoothly)
        uploadSize = {nextPowerOfTwo(pixelSizeOfImage.width), nextPowerOfTwo(pixelSizeOfImage.height)};

    std::shared_ptr<const plat::Bitmap> uploaded;
    GLenum format = GL_BGRA_EXT;
    if (!smoothly && !resized && source.hasPackedRows()) {
        uploaded = newImageSource;
        format = source.order() == plat::PixelOrder::BGRA ? GL_BGRA_EXT : GL_RGBA;
    } else {
        uploaded = redraw(source, int(uploadSize.width), int(uploadSize.height));
        if (!uploaded)
            plat::detail::fatal(
                "GLImagePicture: cannot redraw a picture at {} x {}", uploadSize.width, uploadSize.height);
        _uploadWasRedrawn = true;
    }
    _uploadPixelFormat = format;
    _uploadSize = {double(uploaded->width()), double(uploaded->height())};

    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        initializeOutputTextureIfNeeded();
        glBindTexture(GL_TEXTURE_2D, outputTexture.name());
        if (smoothly)
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, uploaded->width(), uploaded->height(), 0, format, GL_UNSIGNED_BYTE,
            uploaded->bytes());
        if (smoothly)
            glGenerateMipmap(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GLImagePicture::processImage()
{
    processImageWithCompletionHandler(nullptr);
}

bool GLImagePicture::processImageWithCompletionHandler(std::function<void()> completion)
{
    hasProcessedImage = true;
    if (!imageUpdateSemaphore.wait(0.0))
        return false;
    // The run owns the picture until it has been sent, as the request asked.
    auto self = std::static_pointer_cast<GLImagePicture>(shared_from_this());
    runAsynchronouslyOnContextQueue([self, completion = std::move(completion)] {
        if (std::max(self->pixelSizeOfImage.width, self->pixelSizeOfImage.height) > kConserveMemoryAbovePixels)
            self->conserveMemoryForNextFrame();
        auto targets = self->_targets;
        auto indices = self->targetTextureIndices;
        for (size_t i = 0; i < targets.size(); ++i) {
            if (!self->hasTargetAt(targets[i], indices[i]))
                continue;  // taken off by an earlier target's render
            targets[i]->setCurrentlyReceivingMonochromeInput(false);
            targets[i]->setInputSize(self->pixelSizeOfImage, indices[i]);
            targets[i]->newFrameReadyAtTime(plat::MediaTime::indefinite(), indices[i]);
        }
        self->imageUpdateSemaphore.signal();
        if (completion)
            completion();
    });
    return true;
}

void GLImagePicture::addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation)
{
    GLImageOutput::addTarget(newTarget, textureLocation);
    if (!hasProcessedImage)
        return;
    runSynchronouslyOnContextQueue([&] {
        newTarget->setInputSize(pixelSizeOfImage, textureLocation);
        newTarget->newFrameReadyAtTime(plat::MediaTime::indefinite(), textureLocation);
    });
}

void GLImagePicture::removeAllTargets()
{
    GLImageOutput::removeAllTargets();
    hasProcessedImage = false;
}

}  // namespace zt
