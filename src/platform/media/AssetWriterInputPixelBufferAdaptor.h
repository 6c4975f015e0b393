#pragma once
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/Value.h"
#include "platform/media/MediaTime.h"

namespace plat {
class AssetWriterInput;
class PixelBuffer;
class PixelBufferPool;

// Source attributes of pixel buffers.
inline constexpr const char* kPixelBufferPixelFormatTypeKey = "PixelFormatType";
inline constexpr const char* kPixelBufferWidthKey = "Width";
inline constexpr const char* kPixelBufferHeightKey = "Height";

// Appends pixel buffers with their times to a video input. Any thread.
class AssetWriterInputPixelBufferAdaptor {
public:
    static std::shared_ptr<AssetWriterInputPixelBufferAdaptor> assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
        std::shared_ptr<AssetWriterInput> input, std::optional<Dictionary> sourcePixelBufferAttributes);

    const std::shared_ptr<AssetWriterInput>& assetWriterInput() const { return _input; }
    const std::optional<Dictionary>& sourcePixelBufferAttributes() const { return _attributes; }
    // Buffers of the source attributes' format and size (the input's size
    // where they name none), once the writer writes; nullptr before, and
    // without source attributes, as on the platform.
    std::shared_ptr<PixelBufferPool> pixelBufferPool();
    // False once the writer has failed or the input is finished. The writer
    // keeps the buffer until it has encoded it: draw each picture into a new
    // buffer (a pool's buffers come back once released).
    bool appendPixelBuffer(const std::shared_ptr<PixelBuffer>& pixelBuffer, const MediaTime& presentationTime);

    AssetWriterInputPixelBufferAdaptor(std::shared_ptr<AssetWriterInput> input, std::optional<Dictionary> attributes);

private:
    std::shared_ptr<AssetWriterInput> _input;
    std::optional<Dictionary> _attributes;
    std::mutex _lock;
    std::shared_ptr<PixelBufferPool> _pool;  // guarded by _lock
};

}  // namespace plat
