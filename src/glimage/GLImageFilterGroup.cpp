#include "glimage/GLImageFilterGroup.h"

#include "glimage/GLImageContext.h"

namespace zt {

void GLImageFilterGroup::addFilter(const std::shared_ptr<GLImageOutput>& newFilter)
{
    filters.push_back(newFilter);
}

std::shared_ptr<GLImageOutput> GLImageFilterGroup::filterAtIndex(size_t filterIndex) const
{
    return filterIndex < filters.size() ? filters[filterIndex] : nullptr;
}

void GLImageFilterGroup::addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation)
{
    if (_terminalFilter)
        _terminalFilter->addTarget(newTarget, textureLocation);
}

void GLImageFilterGroup::removeTarget(const std::shared_ptr<GLImageInput>& targetToRemove)
{
    if (_terminalFilter)
        _terminalFilter->removeTarget(targetToRemove);
}

void GLImageFilterGroup::removeAllTargets()
{
    if (_terminalFilter)
        _terminalFilter->removeAllTargets();
}

void GLImageFilterGroup::setTargetToIgnoreForUpdates(const std::shared_ptr<GLImageInput>& target)
{
    if (_terminalFilter)
        _terminalFilter->setTargetToIgnoreForUpdates(target);
}

GLImageFrameProcessingBlock GLImageFilterGroup::frameProcessingCompletionBlock() const
{
    return _terminalFilter ? _terminalFilter->frameProcessingCompletionBlock() : GLImageFrameProcessingBlock {};
}

void GLImageFilterGroup::setFrameProcessingCompletionBlock(GLImageFrameProcessingBlock block)
{
    if (_terminalFilter)
        _terminalFilter->setFrameProcessingCompletionBlock(std::move(block));
}

void GLImageFilterGroup::prepareForImageCapture()
{
    if (_terminalFilter)
        _terminalFilter->prepareForImageCapture();
}

std::shared_ptr<const plat::Bitmap> GLImageFilterGroup::newCGImageFromCurrentlyProcessedOutputWithOrientation(
    plat::ImageOrientation imageOrientation)
{
    return _terminalFilter ? _terminalFilter->newCGImageFromCurrentlyProcessedOutputWithOrientation(imageOrientation)
                           : nullptr;
}

void GLImageFilterGroup::forceProcessingAtSize(plat::Size frameSize)
{
    for (const auto& filter : filters)
        filter->forceProcessingAtSize(frameSize);
}

void GLImageFilterGroup::forceProcessingAtSizeRespectingAspectRatio(plat::Size frameSize)
{
    for (const auto& filter : filters)
        filter->forceProcessingAtSizeRespectingAspectRatio(frameSize);
}

void GLImageFilterGroup::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex)
{
    outputTextureRetainCount = _initialFilters.size();
    for (const auto& filter : _initialFilters) {
        if (filter != _inputFilterToIgnoreForUpdates)
            filter->newFrameReadyAtTime(frameTime, textureIndex);
    }
}

void GLImageFilterGroup::setInputTexture(uint32_t newInputTexture, int64_t textureIndex)
{
    for (const auto& filter : _initialFilters)
        filter->setInputTexture(newInputTexture, textureIndex);
}

void GLImageFilterGroup::setTextureDelegate(
    std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex)
{
    firstTextureDelegate = std::move(newTextureDelegate);
    std::weak_ptr<GLImageTextureDelegate> self = weak_from_this();
    for (const auto& filter : _initialFilters)
        filter->setTextureDelegate(self, textureIndex);
}

int64_t GLImageFilterGroup::nextAvailableTextureIndex()
{
    return 0;
}

void GLImageFilterGroup::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    for (const auto& filter : _initialFilters)
        filter->setInputSize(newSize, textureIndex);
}

void GLImageFilterGroup::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    for (const auto& filter : _initialFilters)
        filter->setInputRotation(newInputRotation, textureIndex);
}

plat::Size GLImageFilterGroup::maximumOutputSize()
{
    return {};
}

void GLImageFilterGroup::endProcessing()
{
    if (isEndProcessing)
        return;
    isEndProcessing = true;
    for (const auto& filter : _initialFilters)
        filter->endProcessing();
}

void GLImageFilterGroup::conserveMemoryForNextFrame()
{
    for (const auto& filter : _initialFilters)
        filter->conserveMemoryForNextFrame();
}

bool GLImageFilterGroup::wantsMonochromeInput()
{
    bool allInputsWantMonochromeInput = true;
    for (const auto& filter : _initialFilters)
        allInputsWantMonochromeInput = allInputsWantMonochromeInput && filter->wantsMonochromeInput();
    return allInputsWantMonochromeInput;
}

void GLImageFilterGroup::setCurrentlyReceivingMonochromeInput(bool newValue)
{
    for (const auto& filter : _initialFilters)
        filter->setCurrentlyReceivingMonochromeInput(newValue);
}

void GLImageFilterGroup::textureNoLongerNeededForTarget(GLImageInput*)
{
    // A notice beyond the count changes nothing.
    if (outputTextureRetainCount == 0)
        return;
    if (--outputTextureRetainCount == 0) {
        if (auto delegate = firstTextureDelegate.lock())
            delegate->textureNoLongerNeededForTarget(this);
    }
}

}  // namespace zt
