#include "editor/QVImageEditorRendering.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/graphics/Bitmap.h"

namespace zt {

namespace {

constexpr double kDisplayImageEdge = 1024;

plat::Size swapped(plat::Size size)
{
    return {size.height, size.width};
}

bool isFinitePositive(double value)
{
    return std::isfinite(value) && value > 0;
}

// The stored pixels as a picture that draws as stored.
plat::Image storedPixelsOf(const plat::Image& image)
{
    return plat::Image(image.bitmap(), 1.0, plat::ImageOrientation::Up);
}

// A transparent context of the size truncated to whole pixels, or nullptr
// (with a log line) when that leaves nothing or exceeds the bitmap limits.
std::unique_ptr<plat::GraphicsContext> outputContext(double width, double height)
{
    if (!isFinitePositive(width) || !isFinitePositive(height) || width > plat::kMaxBitmapEdge
        || height > plat::kMaxBitmapEdge) {
        plat::log("image editor: no picture of {} x {} pixels", width, height);
        return nullptr;
    }
    int pixelWidth = static_cast<int>(width);
    int pixelHeight = static_cast<int>(height);
    auto context = pixelWidth > 0 && pixelHeight > 0
        ? plat::GraphicsContext::bitmapContext(pixelWidth, pixelHeight, 1.0, plat::ContextOpacity::Transparent)
        : nullptr;
    if (!context)
        plat::log("image editor: no picture of {} x {} pixels", width, height);
    return context;
}

}  // namespace

OrientedDrawing transformAndSizeForOrientation(plat::ImageOrientation orientation, plat::Size size)
{
    plat::Size stored = plat::isTransposed(orientation) ? swapped(size) : size;
    // Centred stored pixels -> stored pixels -> upright -> centred upright.
    plat::AffineTransform transform = plat::AffineTransform::concat(
        plat::AffineTransform::concat(plat::AffineTransform::makeTranslation(stored.width / 2, stored.height / 2),
            plat::uprightTransform(orientation, stored)),
        plat::AffineTransform::makeTranslation(-size.width / 2, -size.height / 2));
    return {transform, stored};
}

std::shared_ptr<plat::Image> newTransformedImage(const plat::AffineTransform& transform, const plat::Image& sourceImage,
    double outputWidth, plat::Rect cropRect, plat::Size imageViewSize)
{
    if (!isUsableSourceImage(&sourceImage) || !isFinitePositive(cropRect.width())
        || !isFinitePositive(cropRect.height()) || !isFinitePositive(imageViewSize.width)
        || !isFinitePositive(imageViewSize.height)) {
        plat::log("image editor: nothing to crop");
        return nullptr;
    }
    double outputHeight = outputWidth * cropRect.height() / cropRect.width();
    auto context = outputContext(outputWidth, outputHeight);
    if (!context)
        return nullptr;
    context->scaleCTM(outputWidth / cropRect.width(), outputHeight / cropRect.height());
    context->translateCTM(cropRect.width() / 2, cropRect.height() / 2);
    context->concatCTM(transform);
    OrientedDrawing oriented = transformAndSizeForOrientation(sourceImage.imageOrientation(), imageViewSize);
    context->concatCTM(oriented.transform);
    context->drawImage(storedPixelsOf(sourceImage),
        plat::makeRect(-oriented.size.width / 2, -oriented.size.height / 2, oriented.size.width, oriented.size.height));
    return context->takeImage();
}

std::shared_ptr<plat::Image> newScaledImage(const plat::Image& image, plat::ImageOrientation orientation,
    plat::Size targetSize, plat::InterpolationQuality quality)
{
    if (!image.bitmap())
        return nullptr;
    auto context = outputContext(targetSize.width, targetSize.height);
    if (!context)
        return nullptr;
    context->setInterpolationQuality(quality);
    context->translateCTM(targetSize.width / 2, targetSize.height / 2);
    OrientedDrawing oriented = transformAndSizeForOrientation(orientation, targetSize);
    context->concatCTM(oriented.transform);
    context->drawImage(storedPixelsOf(image),
        plat::makeRect(-oriented.size.width / 2, -oriented.size.height / 2, oriented.size.width, oriented.size.height));
    return context->takeImage();
}

std::shared_ptr<plat::Image> scaledImage(const plat::Image& image, plat::Size size, plat::InterpolationQuality quality)
{
    return newScaledImage(image, image.imageOrientation(), size, quality);
}

plat::Size displayImageSizeForSourceSize(plat::Size sourceSize)
{
    double ratio = sourceSize.height / sourceSize.width;
    if (ratio < 1)
        return {kDisplayImageEdge, kDisplayImageEdge * ratio};
    // Portrait: the height is the longer side.
    return {kDisplayImageEdge / ratio, kDisplayImageEdge};
}

bool isUsableSourceImage(const plat::Image* image)
{
    if (!image || !image->bitmap())
        return false;
    int orientation = static_cast<int>(image->imageOrientation());
    if (orientation < 0 || orientation > 7)
        return false;
    plat::Size size = image->size();
    return isFinitePositive(size.width) && isFinitePositive(size.height);
}

}  // namespace zt
