#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/media/capture/CaptureOutput.h"

namespace plat {

class DispatchQueue;
class SampleBuffer;

inline constexpr const char* kVideoCodecJPEG = "jpeg";
inline constexpr int64_t kMediaErrorSessionNotRunning = -11803;

// Takes full-size still pictures of a running session as JPEG (or, asked
// for uncompressed ones, as the camera's BGRA pixel buffer): the next
// picture after the request, at the session preset's size (the photo
// preset: the camera's largest, at most 3840 x 2160), with the orientation
// of the request's connection in its EXIF tag. Completion handlers run on
// the output's own completion queue. Ask on the main thread.
class CaptureStillImageOutput : public CaptureOutput {
public:
    using CompletionHandler = std::function<void(
        const std::shared_ptr<const SampleBuffer>& imageDataSampleBuffer, const std::optional<Error>& error)>;

    CaptureStillImageOutput();
    ~CaptureStillImageOutput() override;

    // {kVideoCodecKey: "jpeg"}, or uncompressed {kCVPixelBufferPixelFormatTypeKey: 32BGRA}.
    const Dictionary& outputSettings() const { return _outputSettings; }
    // False (and unchanged) for settings asking for another codec or pixel format.
    bool setOutputSettings(const Dictionary& settings);
    // The pixel formats of uncompressed stills: the camera's own BGRA.
    std::vector<uint32_t> availableImageDataCVPixelFormatTypes() const;

    bool isCapturingStillImage() const;
    // Without a running session, or when the session stops first, the
    // handler gets no buffer and an error.
    void captureStillImageAsynchronouslyFromConnection(
        const std::shared_ptr<CaptureConnection>& connection, CompletionHandler handler);
    // The JPEG bytes of a still's sample buffer; none for other buffers.
    static std::optional<Data> jpegStillImageNSDataRepresentation(const SampleBuffer& sampleBuffer);

private:
    struct Request {
        std::shared_ptr<CaptureConnection> connection;
        CompletionHandler handler;
    };
    bool supportsVideoOrientation() const override { return true; }
    void sessionDidStartRunning(uint64_t run) override;
    void receiveFrame(const detail::CapturedFrame& frame) override;
    void sessionDidStopRunning() override;
    void fail(std::vector<Request> requests, const Error& error);

    Dictionary _outputSettings;
    std::shared_ptr<DispatchQueue> _completionQueue;
    mutable std::mutex _lock;
    std::vector<Request> _pending;  // guarded by _lock
    uint64_t _run = 0;  // guarded by _lock
    int _encoding = 0;  // guarded by _lock: stills taken and not yet handed over
    bool _uncompressed = false;  // guarded by _lock
};

}  // namespace plat
