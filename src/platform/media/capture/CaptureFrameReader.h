#pragma once
#include <memory>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/media/capture/CaptureDeviceFolder.h"

namespace plat {
class PixelBuffer;
}

namespace plat::detail {

// Reads one camera's pictures through libavdevice (Video4Linux2, the lavfi
// test source) or from a folder of pictures (CapturePictureFolder) and hands
// each out as a 32BGRA pixel buffer of the size asked for. A picture that
// the camera already gives in that form keeps the memory it was decoded
// into; the others are converted into buffers of a pool, whose memory comes
// back once a picture is let go. One thread at a time.
class CaptureFrameReader {
public:
    enum class Status { Picture, NotYet, Failed };
    struct Frame {
        Status status = Status::Failed;
        std::shared_ptr<PixelBuffer> pixelBuffer;  // for Picture
        std::optional<Error> error;  // for Failed
    };

    // Opens the camera for pictures of width x height.
    static Result<std::unique_ptr<CaptureFrameReader>> open(
        const CaptureDeviceDescription& camera, int width, int height);
    ~CaptureFrameReader();
    CaptureFrameReader(const CaptureFrameReader&) = delete;
    CaptureFrameReader& operator=(const CaptureFrameReader&) = delete;

    // A real camera delivers at its own pace (NotYet until it has a
    // picture); a virtual one makes its next picture whenever asked.
    bool isLive() const;
    int width() const;
    int height() const;

    Frame readFrame();

private:
    struct Impl;
    explicit CaptureFrameReader(std::unique_ptr<Impl> impl);
    static Result<std::unique_ptr<CaptureFrameReader>> finishOpening(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
