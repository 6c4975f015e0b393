#include "glimage/GLImageCropFilter.h"

#include "glimage/GLImageContext.h"
#include "platform/foundation/Fatal.h"

namespace zt {

namespace {

bool isWithinUnit(double value)
{
    return value >= 0 && value <= 1;
}

bool hasWholePixel(plat::Size size)
{
    return size.width >= 1 && size.height >= 1;
}

}  // namespace

GLImageCropFilter::GLImageCropFilter()
    : GLImageCropFilter(plat::makeRect(0, 0, 1, 1))
{
}

GLImageCropFilter::GLImageCropFilter(plat::Rect newCropRegion)
{
    setCropRegion(newCropRegion);
}

void GLImageCropFilter::setCropRegion(plat::Rect newValue)
{
    // A caller's constant: out of range is a programming error.
    if (!(isWithinUnit(newValue.origin.x) && isWithinUnit(newValue.origin.y) && isWithinUnit(newValue.size.width)
            && isWithinUnit(newValue.size.height)))
        plat::detail::fatal("Invalid parameter not satisfying: {}",
            "newValue.origin.x >= 0 && newValue.origin.x <= 1 && newValue.origin.y >= 0 && newValue.origin.y <= 1 && "
            "newValue.size.width >= 0 && newValue.size.width <= 1 && newValue.size.height >= 0 && "
            "newValue.size.height <= 1");
    runSynchronouslyOnContextQueue([&] {
        _cropRegion = newValue;
        calculateCropTextureCoordinates();
    });
}

void GLImageCropFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    if (_preventRendering)
        return;
    const plat::Size rotated = rotatedSize(newSize, textureIndex);
    const plat::Size finalCropSize = {rotated.width * _cropRegion.size.width, rotated.height * _cropRegion.size.height};
    if (!hasWholePixel(finalCropSize)) {
        inputTextureSize = finalCropSize;
    } else if (finalCropSize != inputTextureSize) {
        inputTextureSize = finalCropSize;
        recreateFilterFBO();
    }
}

void GLImageCropFilter::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    GLImageFilter::setInputRotation(newInputRotation, textureIndex);
    calculateCropTextureCoordinates();
}

void GLImageCropFilter::calculateCropTextureCoordinates()
{
    const float minX = float(_cropRegion.origin.x);
    const float minY = float(_cropRegion.origin.y);
    const float maxX = float(_cropRegion.origin.x + _cropRegion.size.width);
    const float maxY = float(_cropRegion.origin.y + _cropRegion.size.height);
    switch (inputRotation) {
    case GLImageRotationMode::NoRotation:
        cropTextureCoordinates = {minX, minY, maxX, minY, minX, maxY, maxX, maxY};
        break;
    case GLImageRotationMode::RotateLeft:
        cropTextureCoordinates = {maxY, 1.0f - maxX, maxY, 1.0f - minX, minY, 1.0f - maxX, minY, 1.0f - minX};
        break;
    case GLImageRotationMode::RotateRight:
        cropTextureCoordinates = {minY, 1.0f - minX, minY, 1.0f - maxX, maxY, 1.0f - minX, maxY, 1.0f - maxX};
        break;
    case GLImageRotationMode::FlipVertical:
        cropTextureCoordinates = {minX, maxY, maxX, maxY, minX, minY, maxX, minY};
        break;
    case GLImageRotationMode::FlipHorizontal:
        cropTextureCoordinates = {maxX, minY, minX, minY, maxX, maxY, minX, maxY};
        break;
    case GLImageRotationMode::RotateRightFlipVertical:
        cropTextureCoordinates = {minY, 1.0f - maxX, minY, 1.0f - minX, maxY, 1.0f - maxX, maxY, 1.0f - minX};
        break;
    case GLImageRotationMode::RotateRightFlipHorizontal:
        cropTextureCoordinates = {maxY, 1.0f - minX, maxY, 1.0f - maxX, minY, 1.0f - minX, minY, 1.0f - maxX};
        break;
    case GLImageRotationMode::Rotate180:
        cropTextureCoordinates = {maxX, maxY, minX, maxY, maxX, minY, minX, minY};
        break;
    }
}

void GLImageCropFilter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t)
{
    if (!hasWholePixel(sizeOfFBO()))
        return;
    outputTextureRetainCount = _targets.size();
    renderToTextureWithVertices(fullFrameVertices(), cropTextureCoordinates.data(), filterSourceTexture);
    informTargetsAboutNewFrameAtTime(frameTime);
}

std::array<float, 8> GLImageCropFilter::cropTextureCoordinatesForTesting() const
{
    std::array<float, 8> coordinates {};
    runSynchronouslyOnContextQueue([&] { coordinates = cropTextureCoordinates; });
    return coordinates;
}

}  // namespace zt
