#include "platform/media/PixelBufferConverter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/BGRAToBiPlanar.h"
#include "platform/media/FFmpegSupport.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace plat::detail {

namespace {

AVPixelFormat ffmpegFormatOf(uint32_t pixelFormatType)
{
    switch (pixelFormatType) {
    case kPixelFormatType_32ARGB:
        return AV_PIX_FMT_ARGB;
    case kPixelFormatType_420YpCbCr8BiPlanarVideoRange:
    case kPixelFormatType_420YpCbCr8BiPlanarFullRange:
        return AV_PIX_FMT_NV12;
    default:
        return AV_PIX_FMT_BGRA;
    }
}

// swscale's plane-copying paths between YCbCr formats leave the range as
// it was, whatever it is told: the range is changed here instead, on the
// converted planes.
void changeRange(PixelBuffer& target, bool toFullRange)
{
    uint8_t luma[256];
    uint8_t chroma[256];
    for (int value = 0; value < 256; ++value) {
        const double y = toFullRange ? (value - 16) * 255.0 / 219.0 : 16 + value * 219.0 / 255.0;
        const double c = toFullRange ? 128 + (value - 128) * 255.0 / 224.0 : 128 + (value - 128) * 224.0 / 255.0;
        luma[value] = static_cast<uint8_t>(std::clamp(std::lround(y), 0L, 255L));
        chroma[value] = static_cast<uint8_t>(std::clamp(std::lround(c), 0L, 255L));
    }
    target.lockBaseAddress();
    for (size_t plane = 0; plane < 2; ++plane) {
        const uint8_t* table = plane == 0 ? luma : chroma;
        const size_t rowBytes = static_cast<size_t>(target.widthOfPlane(plane)) * (plane == 0 ? 1 : 2);
        for (int y = 0; y < target.heightOfPlane(plane); ++y) {
            uint8_t* row = target.baseAddressOfPlane(plane) + target.bytesPerRowOfPlane(plane) * static_cast<size_t>(y);
            for (size_t x = 0; x < rowBytes; ++x)
                row[x] = table[row[x]];
        }
    }
    target.unlockBaseAddress();
}

Error conversionError(const std::string& text)
{
    return Error(kCVReturnErrorDomain, kCVReturnError, text);
}

int sourceMatrixOf(const PictureInMemory& source)
{
    return source.colorspace == 0 ? SWS_CS_ITU601 : source.colorspace;
}

// A buffer's attachment names BT.601 or BT.709 only: YCbCr pictures are made
// with BT.709 for any matrix other than BT.601.
bool makesBT601(const PictureInMemory& source)
{
    return sourceMatrixOf(source) == SWS_CS_ITU601;
}

void tagMatrix(PixelBuffer& target, bool bt601)
{
    target.setYCbCrMatrix(bt601 ? kCVImageBufferYCbCrMatrix_ITU_R_601_4 : kCVImageBufferYCbCrMatrix_ITU_R_709_2);
}

// The camera's BGRA pictures into the bi-planar buffers of a video output,
// at the same size: done by our own loops, several times quicker than
// swscale's generic RGB input.
bool convertedDirectly(const PictureInMemory& source, PixelBuffer& target)
{
    if (source.format != AV_PIX_FMT_BGRA || target.planeCount() != 2 || source.width != target.width()
        || source.height != target.height() || source.strides[0] < 4 * source.width)
        return false;
    target.lockBaseAddress();
    BiPlanarPlanes planes;
    planes.luma = target.baseAddressOfPlane(0);
    planes.lumaStride = target.bytesPerRowOfPlane(0);
    planes.chroma = target.baseAddressOfPlane(1);
    planes.chromaStride = target.bytesPerRowOfPlane(1);
    const bool bt601 = makesBT601(source);
    convertBGRAToBiPlanar420(source.planes[0], static_cast<size_t>(source.strides[0]), source.width, source.height,
        planes, bt601 ? YCbCrMatrix::ITU601 : YCbCrMatrix::ITU709,
        target.pixelFormatType() != kPixelFormatType_420YpCbCr8BiPlanarVideoRange);
    target.unlockBaseAddress();
    tagMatrix(target, bt601);
    return true;
}

}  // namespace

struct PixelBufferConverter::Impl {
    SwsContextPtr scaler;
};

PixelBufferConverter::PixelBufferConverter()
    : _impl(std::make_unique<Impl>())
{
}

PixelBufferConverter::~PixelBufferConverter() = default;

Result<void> PixelBufferConverter::convert(const PictureInMemory& source, PixelBuffer& target)
{
    if (convertedDirectly(source, target))
        return {};
    const AVPixelFormat targetFormat = ffmpegFormatOf(target.pixelFormatType());
    SwsContext* cached = sws_getCachedContext(_impl->scaler.release(), source.width, source.height,
        static_cast<AVPixelFormat>(source.format), target.width(), target.height(), targetFormat, SWS_BILINEAR, nullptr,
        nullptr, nullptr);
    _impl->scaler.reset(cached);
    if (!_impl->scaler)
        return conversionError("cannot convert pictures of format " + std::to_string(source.format) + " to format "
            + std::to_string(target.pixelFormatType()));
    const int sourceMatrix = sourceMatrixOf(source);
    const int targetMatrix = makesBT601(source) ? SWS_CS_ITU601 : SWS_CS_ITU709;
    const bool targetFullRange = target.pixelFormatType() != kPixelFormatType_420YpCbCr8BiPlanarVideoRange;
    const AVPixFmtDescriptor* sourceDescription = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(source.format));
    const bool sourceIsRGB = sourceDescription && (sourceDescription->flags & AV_PIX_FMT_FLAG_RGB);
    const bool rangeChangedAfter = !sourceIsRGB && target.planeCount() == 2 && source.fullRange != targetFullRange;
    const bool scaledFromFullRange = rangeChangedAfter ? targetFullRange : source.fullRange;
    sws_setColorspaceDetails(_impl->scaler.get(), sws_getCoefficients(sourceMatrix), scaledFromFullRange ? 1 : 0,
        sws_getCoefficients(targetMatrix), targetFullRange ? 1 : 0, 0, 1 << 16, 1 << 16);

    target.lockBaseAddress();
    uint8_t* planes[4] = {target.baseAddressOfPlane(0), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(target.bytesPerRowOfPlane(0)), 0, 0, 0};
    if (target.planeCount() == 2) {
        planes[1] = target.baseAddressOfPlane(1);
        strides[1] = static_cast<int>(target.bytesPerRowOfPlane(1));
    }
    const int rows = sws_scale(_impl->scaler.get(), source.planes, source.strides, 0, source.height, planes, strides);
    target.unlockBaseAddress();
    if (rows != target.height())
        return conversionError(
            "the picture conversion made " + std::to_string(rows) + " of " + std::to_string(target.height()) + " rows");
    if (rangeChangedAfter)
        changeRange(target, targetFullRange);
    if (target.planeCount() == 2)
        tagMatrix(target, targetMatrix == SWS_CS_ITU601);
    return {};
}

Result<void> PixelBufferConverter::convert(PixelBuffer& source, PixelBuffer& target)
{
    if (source.planeCount() != 0)
        return conversionError("only 32-bit pictures are converted from pixel buffers");
    source.lockBaseAddress(PixelBufferLock::ReadOnly);
    const uint8_t* planes[4] = {source.baseAddress(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(source.bytesPerRow()), 0, 0, 0};
    PictureInMemory picture;
    picture.planes = planes;
    picture.strides = strides;
    picture.format = ffmpegFormatOf(source.pixelFormatType());
    picture.width = source.width();
    picture.height = source.height();
    auto converted = convert(picture, target);
    source.unlockBaseAddress(PixelBufferLock::ReadOnly);
    return converted;
}

}  // namespace plat::detail
