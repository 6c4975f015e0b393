#include "platform/media/PixelBufferConverter.h"

#include <string>

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/FFmpegSupport.h"

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

Error conversionError(const std::string& text)
{
    return Error(kCVReturnErrorDomain, kCVReturnError, text);
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
    const AVPixelFormat targetFormat = ffmpegFormatOf(target.pixelFormatType());
    SwsContext* cached = sws_getCachedContext(_impl->scaler.release(), source.width, source.height,
        static_cast<AVPixelFormat>(source.format), target.width(), target.height(), targetFormat, SWS_BILINEAR, nullptr,
        nullptr, nullptr);
    _impl->scaler.reset(cached);
    if (!_impl->scaler)
        return conversionError("cannot convert pictures of format " + std::to_string(source.format) + " to format "
            + std::to_string(target.pixelFormatType()));
    const int sourceMatrix = source.colorspace == 0 ? SWS_CS_ITU601 : source.colorspace;
    // A buffer's attachment names BT.601 or BT.709 only.
    const int targetMatrix = sourceMatrix == SWS_CS_ITU601 ? SWS_CS_ITU601 : SWS_CS_ITU709;
    const bool targetFullRange = target.pixelFormatType() != kPixelFormatType_420YpCbCr8BiPlanarVideoRange;
    sws_setColorspaceDetails(_impl->scaler.get(), sws_getCoefficients(sourceMatrix), source.fullRange ? 1 : 0,
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
    if (target.planeCount() == 2)
        target.setYCbCrMatrix(targetMatrix == SWS_CS_ITU601 ? kCVImageBufferYCbCrMatrix_ITU_R_601_4
                                                            : kCVImageBufferYCbCrMatrix_ITU_R_709_2);
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
