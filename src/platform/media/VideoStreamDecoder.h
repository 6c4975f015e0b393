#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/media/MediaTime.h"

namespace plat {
class PixelBuffer;
}

namespace plat::detail {

// One decoded picture of a video stream and its time, from the stream's
// first picture on.
struct DecodedPicture {
    std::shared_ptr<PixelBuffer> pixelBuffer;
    MediaTime presentationTime;
};

// Decodes one video stream of a media file into pixel buffers of any
// format they hold (32-bit or bi-planar YCbCr), pictures in time order. A picture whose size changes mid-stream
// keeps its own size. Damaged packets are passed over (a decoder error is
// the file's, not ours); a stream that cannot be read on is an error. One
// thread at a time.
class VideoStreamDecoder {
public:
    // timescale: that of the times handed out (a stream time base 1/N keeps N).
    static Result<std::unique_ptr<VideoStreamDecoder>> open(
        const std::string& path, int streamIndex, uint32_t pixelFormatType);
    ~VideoStreamDecoder();
    VideoStreamDecoder(const VideoStreamDecoder&) = delete;
    VideoStreamDecoder& operator=(const VideoStreamDecoder&) = delete;

    // The next pictures are those at or after time (whose display covers it).
    Result<void> seek(const MediaTime& time);
    // The next picture; none at the stream's end.
    Result<std::optional<DecodedPicture>> next();

    struct Impl;
    explicit VideoStreamDecoder(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
