#include "glimage/GLImageOutput.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <algorithm>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageMovieWriter.h"
#include "glimage/GLImagePicture.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"

namespace zt {

bool rotationSwapsWidthAndHeight(GLImageRotationMode mode)
{
    return mode == GLImageRotationMode::RotateLeft || mode == GLImageRotationMode::RotateRight
        || mode == GLImageRotationMode::RotateRightFlipVertical
        || mode == GLImageRotationMode::RotateRightFlipHorizontal;
}

GPUTextureOptions defaultTextureOptions()
{
    return {GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, GL_RGBA, GL_BGRA_EXT, GL_UNSIGNED_BYTE};
}

void requireRGBAByteOutput(const GPUTextureOptions& options, const char* wrongFormatMessage)
{
    if (options.internalFormat != GL_RGBA)
        plat::detail::fatal("{}", wrongFormatMessage);
    if (options.type != GL_UNSIGNED_BYTE)
        plat::detail::fatal("The type of the output texture of this filter must be GL_UNSIGNED_BYTE.");
}

plat::ImageOrientation imageOrientationForDeviceOrientation(DeviceOrientation orientation)
{
    switch (orientation) {
    case DeviceOrientation::Portrait:
        return plat::ImageOrientation::Up;
    case DeviceOrientation::PortraitUpsideDown:
        return plat::ImageOrientation::Down;
    case DeviceOrientation::LandscapeLeft:
        return plat::ImageOrientation::Left;
    case DeviceOrientation::LandscapeRight:
        return plat::ImageOrientation::Right;
    case DeviceOrientation::Unknown:
    case DeviceOrientation::FaceUp:
    case DeviceOrientation::FaceDown:
        break;
    }
    return plat::ImageOrientation::Up;
}

GLImageOutput::GLImageOutput()
    : _outputTextureOptions(defaultTextureOptions())
{
}

GLImageOutput::~GLImageOutput()
{
    runSynchronouslyOnContextQueue([this] { removeTargetsOnContextQueue(); });
}

std::shared_ptr<GLImageInput> GLImageOutput::selfAsInput()
{
    return std::dynamic_pointer_cast<GLImageInput>(shared_from_this());
}

void GLImageOutput::setInputTextureForTarget(const std::shared_ptr<GLImageInput>& target, int64_t inputTextureIndex)
{
    target->setInputTexture(textureForOutput(), inputTextureIndex);
}

uint32_t GLImageOutput::textureForOutput()
{
    return outputTexture.name();
}

void GLImageOutput::notifyTargetsAboutNewOutputTexture()
{
    for (size_t i = 0; i < _targets.size(); ++i)
        setInputTextureForTarget(_targets[i], targetTextureIndices[i]);
}

std::vector<std::shared_ptr<GLImageInput>> GLImageOutput::targets() const
{
    std::vector<std::shared_ptr<GLImageInput>> copy;
    runSynchronouslyOnContextQueue([&] { copy = _targets; });
    return copy;
}

bool GLImageOutput::hasTargetAt(const std::shared_ptr<GLImageInput>& target, int64_t textureIndex) const
{
    for (size_t i = 0; i < _targets.size(); ++i) {
        if (_targets[i] == target && targetTextureIndices[i] == textureIndex)
            return true;
    }
    return false;
}

void GLImageOutput::addTarget(const std::shared_ptr<GLImageInput>& newTarget)
{
    addTarget(newTarget, newTarget->nextAvailableTextureIndex());
    if (newTarget->shouldIgnoreUpdatesToThisTarget())
        setTargetToIgnoreForUpdates(newTarget);
}

void GLImageOutput::addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation)
{
    runSynchronouslyOnContextQueue([&] {
        if (std::find(_targets.begin(), _targets.end(), newTarget) != _targets.end())
            return;
        cachedMaximumOutputSize = {};
        setInputTextureForTarget(newTarget, textureLocation);
        newTarget->setTextureDelegate(weak_from_this(), textureLocation);
        _targets.push_back(newTarget);
        targetTextureIndices.push_back(textureLocation);
        allTargetsWantMonochromeData = allTargetsWantMonochromeData && newTarget->wantsMonochromeInput();
    });
}

void GLImageOutput::removeTarget(const std::shared_ptr<GLImageInput>& targetToRemove)
{
    runSynchronouslyOnContextQueue([&] {
        auto found = std::find(_targets.begin(), _targets.end(), targetToRemove);
        if (found == _targets.end())
            return;
        if (_targetToIgnoreForUpdates.lock() == targetToRemove)
            _targetToIgnoreForUpdates.reset();
        cachedMaximumOutputSize = {};
        const auto position = found - _targets.begin();
        const int64_t textureIndex = targetTextureIndices[size_t(position)];
        // Hold the target: removing it from the list may drop its last owner.
        auto target = targetToRemove;
        target->setInputTexture(0, textureIndex);
        target->setInputSize({}, textureIndex);
        target->setTextureDelegate({}, textureIndex);
        target->setInputRotation(GLImageRotationMode::NoRotation, textureIndex);
        targetTextureIndices.erase(targetTextureIndices.begin() + position);
        _targets.erase(_targets.begin() + position);
        target->endProcessing();
    });
}

void GLImageOutput::removeAllTargets()
{
    runSynchronouslyOnContextQueue([this] { removeTargetsOnContextQueue(); });
}

void GLImageOutput::removeTargetsOnContextQueue()
{
    cachedMaximumOutputSize = {};
    auto targets = std::move(_targets);
    auto indices = std::move(targetTextureIndices);
    _targets.clear();
    targetTextureIndices.clear();
    for (size_t i = 0; i < targets.size(); ++i) {
        targets[i]->setInputTexture(0, indices[i]);
        targets[i]->setInputSize({}, indices[i]);
        targets[i]->setTextureDelegate({}, indices[i]);
        targets[i]->setInputRotation(GLImageRotationMode::NoRotation, indices[i]);
    }
    allTargetsWantMonochromeData = true;
}

void GLImageOutput::initializeOutputTextureIfNeeded()
{
    runSynchronouslyOnContextQueue([this] {
        if (outputTexture)
            return;
        GLImageContext::useImageProcessingContext();
        glActiveTexture(GL_TEXTURE0);
        outputTexture = GLTexture::generate();
        glBindTexture(GL_TEXTURE_2D, outputTexture.name());
        const auto& options = _outputTextureOptions;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(options.minFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(options.magFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(options.wrapS));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(options.wrapT));
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GLImageOutput::deleteOutputTexture()
{
    runSynchronouslyOnContextQueue([this] { outputTexture.reset(); });
}

void GLImageOutput::cleanupOutputImage()
{
    plat::log("WARNING: Undefined image cleanup");
}

void GLImageOutput::forceProcessingAtSize(plat::Size) { }

void GLImageOutput::forceProcessingAtSizeRespectingAspectRatio(plat::Size) { }

void GLImageOutput::prepareForImageCapture() { }

void GLImageOutput::conserveMemoryForNextFrame()
{
    shouldConserveMemoryForNextFrame = true;
    auto ignored = _targetToIgnoreForUpdates.lock();
    for (const auto& target : _targets) {
        if (target != ignored)
            target->conserveMemoryForNextFrame();
    }
}

bool GLImageOutput::providesMonochromeOutput()
{
    return false;
}

void GLImageOutput::textureNoLongerNeededForTarget(GLImageInput*)
{
    // A notice beyond the count (a source that never set it) changes nothing.
    if (outputTextureRetainCount == 0)
        return;
    if (--outputTextureRetainCount == 0)
        cleanupOutputImage();
}

std::shared_ptr<GLImageMovieWriter> GLImageOutput::audioEncodingTarget() const
{
    std::lock_guard guard(_audioEncodingTargetLock);
    return _audioEncodingTarget;
}

void GLImageOutput::setAudioEncodingTarget(std::shared_ptr<GLImageMovieWriter> newValue)
{
    {
        std::lock_guard guard(_audioEncodingTargetLock);
        _audioEncodingTarget = newValue;
    }
    if (newValue && !newValue->hasAudioTrack())
        newValue->setHasAudioTrack(true);
}

void GLImageOutput::setTargetToIgnoreForUpdates(const std::shared_ptr<GLImageInput>& target)
{
    _targetToIgnoreForUpdates = target;
}

GLImageFrameProcessingBlock GLImageOutput::frameProcessingCompletionBlock() const
{
    return _frameProcessingCompletionBlock;
}

void GLImageOutput::setFrameProcessingCompletionBlock(GLImageFrameProcessingBlock block)
{
    _frameProcessingCompletionBlock = std::move(block);
}

std::shared_ptr<const plat::Bitmap> GLImageOutput::newCGImageFromCurrentlyProcessedOutputWithOrientation(
    plat::ImageOrientation)
{
    return nullptr;
}

std::shared_ptr<const plat::Bitmap> GLImageOutput::newCGImageFromCurrentlyProcessedOutput(
    DeviceOrientation deviceOrientation)
{
    return newCGImageFromCurrentlyProcessedOutputWithOrientation(
        imageOrientationForDeviceOrientation(deviceOrientation));
}

std::shared_ptr<plat::Image> GLImageOutput::imageFromCurrentlyProcessedOutput(DeviceOrientation deviceOrientation)
{
    return imageFromCurrentlyProcessedOutputWithOrientation(imageOrientationForDeviceOrientation(deviceOrientation));
}

std::shared_ptr<plat::Image> GLImageOutput::imageFromCurrentlyProcessedOutputWithOrientation(
    plat::ImageOrientation imageOrientation)
{
    auto bitmap = newCGImageFromCurrentlyProcessedOutputWithOrientation(imageOrientation);
    if (!bitmap)
        return nullptr;
    return std::make_shared<plat::Image>(std::move(bitmap), 1.0, imageOrientation);
}

std::shared_ptr<const plat::Bitmap> GLImageOutput::newCGImageByFilteringCGImage(
    const std::shared_ptr<const plat::Bitmap>& image)
{
    return newCGImageByFilteringCGImage(image, plat::ImageOrientation::Up);
}

std::shared_ptr<const plat::Bitmap> GLImageOutput::newCGImageByFilteringCGImage(
    const std::shared_ptr<const plat::Bitmap>& image, plat::ImageOrientation orientation)
{
    auto self = selfAsInput();
    if (!self)
        return nullptr;
    auto picture = std::make_shared<GLImagePicture>(image);
    picture->addTarget(self);
    picture->processImage();
    // Queued on the serial context queue behind the picture's run.
    auto processedImage = newCGImageFromCurrentlyProcessedOutputWithOrientation(orientation);
    picture->removeTarget(self);
    return processedImage;
}

std::shared_ptr<const plat::Bitmap> GLImageOutput::newCGImageByFilteringImage(const plat::Image& imageToFilter)
{
    return newCGImageByFilteringCGImage(imageToFilter.bitmap(), imageToFilter.imageOrientation());
}

std::shared_ptr<plat::Image> GLImageOutput::imageByFilteringImage(const plat::Image& imageToFilter)
{
    auto bitmap = newCGImageByFilteringImage(imageToFilter);
    if (!bitmap)
        return nullptr;
    return std::make_shared<plat::Image>(std::move(bitmap), imageToFilter.scale(), imageToFilter.imageOrientation());
}

}  // namespace zt
