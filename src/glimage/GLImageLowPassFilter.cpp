#include "glimage/GLImageLowPassFilter.h"

#include "glimage/GLImageBuffer.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageDissolveBlendFilter.h"

namespace zt {

GLImageLowPassFilter::GLImageLowPassFilter()
    : _bufferFilter(std::make_shared<GLImageBuffer>())
    , _dissolveBlendFilter(std::make_shared<GLImageDissolveBlendFilter>())
{
    addFilter(_bufferFilter);
    addFilter(_dissolveBlendFilter);
    _bufferFilter->addTarget(_dissolveBlendFilter, 1);
    _dissolveBlendFilter->addTarget(_bufferFilter);
    // Input 1 is our own last output: every new frame renders at once.
    _dissolveBlendFilter->disableSecondFrameCheck();
    setInitialFilters({_dissolveBlendFilter});
    setTerminalFilter(_dissolveBlendFilter);
    setFilterStrength(0.5);
}

GLImageLowPassFilter::~GLImageLowPassFilter()
{
    // The blend and the buffer target each other; the loop would keep both.
    _bufferFilter->removeAllTargets();
}

void GLImageLowPassFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    GLImageFilterGroup::setInputSize(newSize, textureIndex);
    if (textureIndex != 0)
        return;
    runSynchronouslyOnContextQueue([this] { _bufferFilter->setInputSize(_dissolveBlendFilter->outputFrameSize(), 0); });
}

double GLImageLowPassFilter::filterStrength() const
{
    return _dissolveBlendFilter->mix();
}

void GLImageLowPassFilter::setFilterStrength(double newValue)
{
    _dissolveBlendFilter->setMix(newValue);
}

}  // namespace zt
