#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Result.h"

namespace plat {
class Bitmap;
}

namespace plat::detail {

// The pictures of a movie file's video track by time: the picture shown at
// a time is the last one whose presentation time is not after it. Steps
// forward by decoding on; a step back or a jump far ahead seeks to the
// key frame before and decodes from there. Files are outside input: a
// file that is no movie, or whose pictures cannot be read, is an error.
// One thread at a time.
class VideoFrameDecoder {
public:
    static Result<std::unique_ptr<VideoFrameDecoder>> open(const std::string& path);
    ~VideoFrameDecoder();
    VideoFrameDecoder(const VideoFrameDecoder&) = delete;
    VideoFrameDecoder& operator=(const VideoFrameDecoder&) = delete;

    int width() const;
    int height() const;
    // Pictures a second; 30 where the file does not say.
    double frameRate() const;
    // The picture at seconds from the start (before the first: the first),
    // in BGRA, opaque. The same bitmap while the time stays in one picture.
    Result<std::shared_ptr<const Bitmap>> pictureAt(double seconds);

private:
    struct Impl;
    explicit VideoFrameDecoder(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
