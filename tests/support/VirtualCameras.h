#pragma once
// Virtual cameras for tests: the device folder's camera list, and a video
// output delegate that records what it gets. Header-only; for test binaries
// that link the media stand-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"

namespace plat::test {

// A generated test picture camera facing the given way.
inline CaptureDeviceDescription testPatternCamera(
    CaptureDevicePosition position, int width = 1920, int height = 1080, int frameRate = 30)
{
    CaptureDeviceDescription camera;
    camera.kind = CaptureDeviceKind::TestPattern;
    camera.position = position;
    camera.width = width;
    camera.height = height;
    camera.frameRate = frameRate;
    return camera;
}

// A camera over a folder of one picture (16:9), the folder below the
// device's cameras folder. Cameras deliver one of the session's sizes: the
// picture is scaled to it.
inline CaptureDeviceDescription pictureCamera(const std::string& folderName, const Image& picture,
    CaptureDevicePosition position = CaptureDevicePosition::Back, int frameRate = 30)
{
    const std::string folder = appendingPathComponent(CaptureDeviceFolder::camerasFolder(), folderName);
    EXPECT_TRUE(createDirectory(folder, IntermediateDirectories::Yes).ok());
    EXPECT_TRUE(writeFileAtomically(appendingPathComponent(folder, "picture.png"), *PNGRepresentation(picture)).ok());
    CaptureDeviceDescription camera;
    camera.kind = CaptureDeviceKind::Pictures;
    camera.folder = folderName;
    camera.position = position;
    camera.width = std::max(1280, static_cast<int>(picture.size().width));
    camera.height = std::max(720, static_cast<int>(picture.size().height));
    camera.frameRate = frameRate;
    return camera;
}

// The green-screen camera: a figure swaying before a lit green field.
inline CaptureDeviceDescription greenScreenCamera(
    CaptureDevicePosition position, int width = 1280, int height = 720, int frameRate = 30)
{
    CaptureDeviceDescription camera = testPatternCamera(position, width, height, frameRate);
    camera.kind = CaptureDeviceKind::GreenScreen;
    return camera;
}

// Where the green screen's picture always shows the figure's red body, and
// where it always shows the field, in shares of the picture's width and height.
struct PictureRegion {
    double left, top, right, bottom;
};
inline constexpr PictureRegion kGreenScreenSubject {0.47, 0.33, 0.53, 0.57};
inline constexpr PictureRegion kGreenScreenFieldLeft {0.05, 0.10, 0.25, 0.90};
inline constexpr PictureRegion kGreenScreenFieldRight {0.75, 0.10, 0.95, 0.90};

inline void setUpCameras(const std::vector<CaptureDeviceDescription>& cameras)
{
    auto written = CaptureDeviceFolder::writeCameras(cameras);
    ASSERT_TRUE(written.ok()) << written.error().description();
}

// The first pixel's blue, green, red and alpha of a BGRA pixel buffer.
inline std::array<uint8_t, 4> pixelAt(PixelBuffer& pixels, int x, int y)
{
    pixels.lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    const uint8_t* p
        = pixels.baseAddress() + static_cast<size_t>(y) * pixels.bytesPerRow() + static_cast<size_t>(x) * 4;
    std::array<uint8_t, 4> value {p[0], p[1], p[2], p[3]};
    pixels.unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
    return value;
}

// Records every picture and drop (their times) and wakes the main loop so
// that runMainLoopUntil sees each at once. An optional hook runs inside the
// callback, on the output's queue.
class RecordingSampleDelegate : public CaptureVideoDataOutputSampleBufferDelegate {
public:
    void captureOutput(
        CaptureOutput&, const std::shared_ptr<const SampleBuffer>& sampleBuffer, CaptureConnection&) override
    {
        {
            std::lock_guard lock(_lock);
            _pictures.push_back(sampleBuffer);
        }
        if (onPicture)
            onPicture(*sampleBuffer);
        DispatchQueue::mainQueue().async([] {});
    }
    void captureOutputDidDropSampleBuffer(
        CaptureOutput&, const std::shared_ptr<const SampleBuffer>& sampleBuffer, CaptureConnection&) override
    {
        {
            std::lock_guard lock(_lock);
            _dropped.push_back(sampleBuffer->presentationTimeStamp().value);
        }
        DispatchQueue::mainQueue().async([] {});
    }

    size_t pictureCount() const
    {
        std::lock_guard lock(_lock);
        return _pictures.size();
    }
    size_t dropCount() const
    {
        std::lock_guard lock(_lock);
        return _dropped.size();
    }
    std::vector<int64_t> pictureTimes() const
    {
        std::lock_guard lock(_lock);
        std::vector<int64_t> times;
        for (const auto& picture : _pictures)
            times.push_back(picture->presentationTimeStamp().value);
        return times;
    }
    std::vector<int64_t> droppedTimes() const
    {
        std::lock_guard lock(_lock);
        return _dropped;
    }
    std::shared_ptr<const SampleBuffer> picture(size_t index) const
    {
        std::lock_guard lock(_lock);
        return index < _pictures.size() ? _pictures[index] : nullptr;
    }

    std::function<void(const SampleBuffer&)> onPicture;

private:
    mutable std::mutex _lock;
    std::vector<std::shared_ptr<const SampleBuffer>> _pictures;
    std::vector<int64_t> _dropped;
};

}  // namespace plat::test
