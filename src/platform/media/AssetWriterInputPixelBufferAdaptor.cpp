#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/MediaConstants.h"

namespace plat {

AssetWriterInputPixelBufferAdaptor::AssetWriterInputPixelBufferAdaptor(
    std::shared_ptr<AssetWriterInput> input, std::optional<Dictionary> attributes)
    : _input(std::move(input))
    , _attributes(std::move(attributes))
{
}

std::shared_ptr<AssetWriterInputPixelBufferAdaptor>
AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
    std::shared_ptr<AssetWriterInput> input, std::optional<Dictionary> sourcePixelBufferAttributes)
{
    if (!input || input->mediaType() != kMediaTypeVideo)
        return nullptr;
    return std::make_shared<AssetWriterInputPixelBufferAdaptor>(
        std::move(input), std::move(sourcePixelBufferAttributes));
}

std::shared_ptr<PixelBufferPool> AssetWriterInputPixelBufferAdaptor::pixelBufferPool()
{
    if (!_attributes)
        return nullptr;
    auto writer = _input->_writer.lock();
    if (!writer || writer->status() != AssetWriterStatus::Writing)
        return nullptr;
    std::lock_guard lock(_lock);
    if (!_pool) {
        const Dictionary& settings = *_input->outputSettings();
        int64_t width
            = _attributes->getInt64(kPixelBufferWidthKey).value_or(settings.getInt64(kVideoWidthKey).value_or(0));
        int64_t height
            = _attributes->getInt64(kPixelBufferHeightKey).value_or(settings.getInt64(kVideoHeightKey).value_or(0));
        int64_t format = _attributes->getInt64(kPixelBufferPixelFormatTypeKey).value_or(kPixelFormatType_32BGRA);
        auto made
            = PixelBufferPool::create(static_cast<int>(width), static_cast<int>(height), static_cast<uint32_t>(format));
        if (made.ok())
            _pool = made.value();
    }
    return _pool;
}

bool AssetWriterInputPixelBufferAdaptor::appendPixelBuffer(
    const std::shared_ptr<PixelBuffer>& pixelBuffer, const MediaTime& presentationTime)
{
    return _input->appendPixelBuffer(pixelBuffer, presentationTime);
}

}  // namespace plat
