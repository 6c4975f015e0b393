#include "glimage/GLImageWeakTarget.h"

namespace zt {

GLImageWeakTarget::GLImageWeakTarget(std::weak_ptr<GLImageInput> target)
    : _target(std::move(target))
{
}

void GLImageWeakTarget::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex)
{
    if (auto target = _target.lock())
        target->newFrameReadyAtTime(frameTime, textureIndex);
}

void GLImageWeakTarget::setInputTexture(uint32_t newInputTexture, int64_t textureIndex)
{
    if (auto target = _target.lock())
        target->setInputTexture(newInputTexture, textureIndex);
}

void GLImageWeakTarget::setTextureDelegate(
    std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex)
{
    if (auto target = _target.lock())
        target->setTextureDelegate(std::move(newTextureDelegate), textureIndex);
}

int64_t GLImageWeakTarget::nextAvailableTextureIndex()
{
    auto target = _target.lock();
    return target ? target->nextAvailableTextureIndex() : 0;
}

void GLImageWeakTarget::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    if (auto target = _target.lock())
        target->setInputSize(newSize, textureIndex);
}

void GLImageWeakTarget::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    if (auto target = _target.lock())
        target->setInputRotation(newInputRotation, textureIndex);
}

plat::Size GLImageWeakTarget::maximumOutputSize()
{
    auto target = _target.lock();
    return target ? target->maximumOutputSize() : plat::Size {};
}

void GLImageWeakTarget::endProcessing()
{
    if (auto target = _target.lock())
        target->endProcessing();
}

bool GLImageWeakTarget::shouldIgnoreUpdatesToThisTarget()
{
    auto target = _target.lock();
    return target && target->shouldIgnoreUpdatesToThisTarget();
}

bool GLImageWeakTarget::enabled()
{
    auto target = _target.lock();
    return target && target->enabled();
}

void GLImageWeakTarget::conserveMemoryForNextFrame()
{
    if (auto target = _target.lock())
        target->conserveMemoryForNextFrame();
}

bool GLImageWeakTarget::wantsMonochromeInput()
{
    auto target = _target.lock();
    return target && target->wantsMonochromeInput();
}

void GLImageWeakTarget::setCurrentlyReceivingMonochromeInput(bool newValue)
{
    if (auto target = _target.lock())
        target->setCurrentlyReceivingMonochromeInput(newValue);
}

}  // namespace zt
