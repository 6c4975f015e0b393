#include "glimage/GLImageTextureOutput.h"

namespace zt {

std::shared_ptr<GLImageTextureOutputDelegate> GLImageTextureOutput::delegate() const
{
    std::lock_guard guard(_lock);
    return _delegate.lock();
}

void GLImageTextureOutput::setDelegate(std::weak_ptr<GLImageTextureOutputDelegate> delegate)
{
    std::lock_guard guard(_lock);
    _delegate = std::move(delegate);
}

void GLImageTextureOutput::newFrameReadyAtTime(const plat::MediaTime&, int64_t)
{
    if (auto listener = delegate())
        listener->newFrameReadyFromTextureOutput(*this);
}

void GLImageTextureOutput::setInputTexture(uint32_t newInputTexture, int64_t)
{
    _texture = newInputTexture;
}

void GLImageTextureOutput::setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t)
{
    textureDelegate = std::move(newTextureDelegate);
}

}  // namespace zt
