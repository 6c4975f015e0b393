#include "uikit/UIImageResize.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/UprightPixels.h"

namespace zt {

namespace {

// A point size with a rounding error still takes the whole pixels it names.
double wholePixelsOutward(double value)
{
    return std::ceil(value - 1e-6);
}

plat::Size swapped(plat::Size size)
{
    return {size.height, size.width};
}

// The stored pixels as a picture that draws as stored.
plat::Image storedBitmapOf(const plat::Image& image)
{
    return plat::Image(image.bitmap(), 1.0, plat::ImageOrientation::Up);
}

}  // namespace

std::shared_ptr<plat::Image> croppedImage(const plat::Image& image, plat::Rect rect)
{
    const plat::Bitmap& bitmap = *image.bitmap();
    if (!std::isfinite(rect.minX()) || !std::isfinite(rect.minY()) || !std::isfinite(rect.maxX())
        || !std::isfinite(rect.maxY()))
        return nullptr;
    double minX = std::min(rect.minX(), rect.maxX()), maxX = std::max(rect.minX(), rect.maxX());
    double minY = std::min(rect.minY(), rect.maxY()), maxY = std::max(rect.minY(), rect.maxY());
    int left = static_cast<int>(std::max(0.0, std::floor(minX)));
    int top = static_cast<int>(std::max(0.0, std::floor(minY)));
    int right = static_cast<int>(std::min<double>(bitmap.width(), std::ceil(maxX)));
    int bottom = static_cast<int>(std::min<double>(bitmap.height(), std::ceil(maxY)));
    if (right <= left || bottom <= top)
        return nullptr;
    auto part = plat::Bitmap::allocate(right - left, bottom - top, bitmap.order());
    if (!part)
        return nullptr;
    for (int y = top; y < bottom; ++y)
        std::memcpy(part->mutableRow(y - top), bitmap.row(y) + static_cast<size_t>(left) * 4,
            static_cast<size_t>(right - left) * 4);
    part->setOpaque(bitmap.isOpaque());
    return std::make_shared<plat::Image>(std::move(part), 1.0, plat::ImageOrientation::Up);
}

std::shared_ptr<plat::Image> resizedImage(
    const plat::Image& image, plat::Size newSize, plat::InterpolationQuality quality)
{
    bool drawTransposed = plat::isTransposed(image.imageOrientation());
    return resizedImage(image, newSize, transformForOrientation(image, newSize), drawTransposed, quality);
}

std::shared_ptr<plat::Image> resizedImage(const plat::Image& image, plat::Size newSize,
    const plat::AffineTransform& transform, bool drawTransposed, plat::InterpolationQuality quality)
{
    plat::Size rounded {wholePixelsOutward(newSize.width), wholePixelsOutward(newSize.height)};
    if (!(rounded.width >= 1) || !(rounded.height >= 1))
        return nullptr;
    plat::ImageContext canvas(rounded, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = canvas.context();
    if (!context)
        return nullptr;
    context->concatCTM(transform);
    context->setInterpolationQuality(quality);
    plat::Size drawn = drawTransposed ? swapped(rounded) : rounded;
    context->drawImage(storedBitmapOf(image), {{0, 0}, drawn});
    return canvas.finish();
}

plat::AffineTransform transformForOrientation(const plat::Image& image, plat::Size newSize)
{
    plat::ImageOrientation orientation = image.imageOrientation();
    return plat::uprightTransform(orientation, plat::isTransposed(orientation) ? swapped(newSize) : newSize);
}

std::shared_ptr<plat::Image> resizedImageWithContentMode(
    const plat::Image& image, int contentMode, plat::Size bounds, plat::InterpolationQuality quality)
{
    plat::Size size = image.size();
    double horizontalRatio = bounds.width / size.width;
    double verticalRatio = bounds.height / size.height;
    double ratio;
    if (contentMode == kContentModeScaleAspectFit) {
        ratio = std::min(horizontalRatio, verticalRatio);
    } else if (contentMode == kContentModeScaleAspectFill) {
        ratio = std::max(horizontalRatio, verticalRatio);
    } else {
        plat::log("Unsupported content mode: {}", contentMode);
        return nullptr;
    }
    return resizedImage(image, {size.width * ratio, size.height * ratio}, quality);
}

std::shared_ptr<plat::Image> thumbnailImage(
    const plat::Image& image, int thumbnailSize, unsigned borderSize, plat::InterpolationQuality quality)
{
    double side = thumbnailSize;
    auto resized = resizedImageWithContentMode(image, kContentModeScaleAspectFill, {side, side}, quality);
    if (!resized)
        return nullptr;
    plat::Size size = resized->size();
    // std::round takes halves away from zero.
    auto cropped = croppedImage(*resized,
        plat::makeRect(std::round((size.width - side) / 2), std::round((size.height - side) / 2), side, side));
    if (!cropped || borderSize == 0)
        return cropped;
    return transparentBorderImage(*cropped, borderSize);
}

std::shared_ptr<plat::Image> transparentBorderImage(const plat::Image& image, unsigned borderSize)
{
    const plat::Bitmap& bitmap = *image.bitmap();
    int64_t border = borderSize;
    if (!plat::Bitmap::isAllowedSize(bitmap.width() + 2 * border, bitmap.height() + 2 * border))
        return nullptr;
    int inset = static_cast<int>(border);
    auto framed
        = plat::Bitmap::allocateCleared(bitmap.width() + 2 * inset, bitmap.height() + 2 * inset, bitmap.order());
    if (!framed)
        return nullptr;
    for (int y = 0; y < bitmap.height(); ++y)
        std::memcpy(framed->mutableRow(y + inset) + static_cast<size_t>(inset) * 4, bitmap.row(y),
            static_cast<size_t>(bitmap.width()) * 4);
    return std::make_shared<plat::Image>(std::move(framed), 1.0, image.imageOrientation());
}

std::shared_ptr<plat::Image> imageByScalingAndCroppingForSize(const plat::Image& image, plat::Size targetSize)
{
    plat::Size size = image.size();
    plat::Rect drawn {{0, 0}, targetSize};
    if (size != targetSize) {
        double widthFactor = targetSize.width / size.width;
        double heightFactor = targetSize.height / size.height;
        double scale = widthFactor > heightFactor ? widthFactor : heightFactor;
        drawn.size = {size.width * scale, size.height * scale};
        if (widthFactor > heightFactor)
            drawn.origin.y = (targetSize.height - drawn.height()) * 0.5;
        else if (widthFactor < heightFactor)
            drawn.origin.x = (targetSize.width - drawn.width()) * 0.5;
    }
    std::shared_ptr<plat::Image> result;
    plat::ImageContext canvas(targetSize, /*opaque=*/false, 1.0);
    if (plat::GraphicsContext* context = canvas.context()) {
        context->drawImage(image, drawn);
        result = canvas.finish();
    }
    if (!result)
        plat::log("could not scale image");
    return result;
}

std::shared_ptr<plat::Image> scaledAndRotatedImageWithMaxResolution(const plat::Image& image, int32_t maxResolution)
{
    plat::Size stored {static_cast<double>(image.bitmap()->width()), static_cast<double>(image.bitmap()->height())};
    return scaledAndRotatedImageWithMaxResolution(image, stored, maxResolution);
}

std::shared_ptr<plat::Image> scaledAndRotatedImageWithMaxResolution(
    const plat::Image& image, plat::Size fullPixelSize, int32_t maxResolution)
{
    double width = fullPixelSize.width;
    double height = fullPixelSize.height;
    if (!(width >= 1) || !(height >= 1))
        return nullptr;
    plat::Size bounds {width, height};
    if (width > maxResolution || height > maxResolution) {
        double ratio = width / height;
        if (ratio > 1)
            bounds = {static_cast<double>(maxResolution), maxResolution / ratio};
        else
            bounds = {maxResolution * ratio, static_cast<double>(maxResolution)};
    }
    int orientation = static_cast<int>(image.imageOrientation());
    if (orientation < 0 || orientation > 7) {
        plat::log("Invalid image orientation");
        return nullptr;
    }
    // Scaled along the stored axes first (the resampler's fast path), then
    // turned by moving whole pixels: the picture drawing through the turn
    // gives, at a fraction of the cost for a camera photo. A canvas widened
    // to whole pixels leaves part of its last column or row uncovered; the
    // picture is placed so that it ends up at the right and bottom once turned.
    plat::ImageContext canvas(bounds, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = canvas.context();
    if (!context)
        return nullptr;
    plat::AffineTransform turn = plat::uprightTransform(image.imageOrientation(), {width, height});
    bool storedXEndsFirst = turn.a < 0 || turn.b < 0;
    bool storedYEndsFirst = turn.c < 0 || turn.d < 0;
    context->translateCTM(storedXEndsFirst ? wholePixelsOutward(bounds.width) - bounds.width : 0,
        storedYEndsFirst ? wholePixelsOutward(bounds.height) - bounds.height : 0);
    // The stored pixels (of whatever decode) cover exactly the full picture's scaled size.
    context->drawImage(storedBitmapOf(image), plat::makeRect(0, 0, bounds.width, bounds.height));
    auto scaled = canvas.finish();
    if (!scaled || image.imageOrientation() == plat::ImageOrientation::Up)
        return scaled;
    return plat::Image::imageWithBitmap(plat::turnedUpright(*scaled->bitmap(), image.imageOrientation()));
}

std::shared_ptr<plat::Image> rotatedByDegrees(const plat::Image& image, double radians)
{
    plat::Size size = image.size();
    plat::Rect turned
        = plat::AffineTransform::makeRotation(radians).applyToRect(plat::makeRect(0, 0, size.width, size.height));
    plat::ImageContext canvas(turned.size, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = canvas.context();
    if (!context)
        return nullptr;
    context->translateCTM(turned.width() / 2, turned.height() / 2);
    context->rotateCTM(radians);
    // Our contexts draw pictures upright already; no flip is needed here.
    context->drawImage(image, plat::makeRect(-size.width / 2, -size.height / 2, size.width, size.height));
    return canvas.finish();
}

std::shared_ptr<plat::Image> tintedImageNamed(const std::string& name)
{
    auto image = plat::Image::imageNamed(name);
    if (!image)
        return nullptr;
    return image->imageWithRenderingMode(plat::ImageRenderingMode::AlwaysTemplate);
}

}  // namespace zt
