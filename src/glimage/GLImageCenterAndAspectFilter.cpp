#include "glimage/GLImageCenterAndAspectFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

GLImageCenterAndAspectFilter::GLImageCenterAndAspectFilter(
    const std::string& fragmentShaderString, const std::string& centerUniformName, const std::string& aspectUniformName)
    : GLImageFilter(fragmentShaderString)
{
    if (!centerUniformName.empty())
        centerUniform = filterProgram->uniformIndex(centerUniformName);
    if (!aspectUniformName.empty())
        aspectRatioUniform = filterProgram->uniformIndex(aspectUniformName);
}

void GLImageCenterAndAspectFilter::setCenter(plat::Point newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _center = newValue;
        if (centerUniform >= 0)
            setPoint(rotatedPoint(newValue, inputRotation), centerUniform, filterProgram);
    });
}

void GLImageCenterAndAspectFilter::setAspectRatio(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _aspectRatio = newValue;
        if (aspectRatioUniform >= 0)
            setFloat(float(newValue), aspectRatioUniform, filterProgram);
    });
}

void GLImageCenterAndAspectFilter::adjustAspectRatio()
{
    // The size is stored turned into the output's axes; the shader measures
    // in the input texture's, which a swapping turn exchanges.
    const plat::Size size = inputTextureSize;
    if (size.width <= 0 || size.height <= 0)
        return;
    setAspectRatio(rotationSwapsWidthAndHeight(inputRotation) ? size.width / size.height : size.height / size.width);
}

void GLImageCenterAndAspectFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    const plat::Size oldInputSize = inputTextureSize;
    GLImageFilter::setInputSize(newSize, textureIndex);
    if (oldInputSize != inputTextureSize && (newSize.width != 0 || newSize.height != 0))
        adjustAspectRatio();
}

void GLImageCenterAndAspectFilter::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    GLImageFilter::setInputRotation(newInputRotation, textureIndex);
    setCenter(_center);
    adjustAspectRatio();
}

void GLImageCenterAndAspectFilter::forceProcessingAtSize(plat::Size frameSize)
{
    GLImageFilter::forceProcessingAtSize(frameSize);
    runSynchronouslyOnContextQueue([this] { adjustAspectRatio(); });
}

}  // namespace zt
