#pragma once
// Virtual cameras for the pipeline's camera tests: a folder of flat
// pictures, and a target that counts what reaches it from any thread.
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "GLImageTestSupport.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "support/VirtualCameras.h"

namespace zt::test {

// A camera showing the flat colours in turn, one picture per frame, at size and rate.
inline void setUpColourCamera(const std::vector<plat::test::Rgba>& colours, int width, int height, int frameRate,
    plat::CaptureDevicePosition position = plat::CaptureDevicePosition::Back)
{
    const std::string folder = plat::appendingPathComponent(plat::CaptureDeviceFolder::camerasFolder(), "colours");
    ASSERT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::Yes).ok());
    for (size_t i = 0; i < colours.size(); ++i) {
        auto image = plat::test::makeFlatImage(width, height, colours[i]);
        auto png = plat::PNGRepresentation(*image);
        ASSERT_TRUE(png);
        ASSERT_TRUE(
            plat::writeFileAtomically(plat::appendingPathComponent(folder, plat::formatLine("{}.png", i)), *png).ok());
    }
    plat::CaptureDeviceDescription camera;
    camera.kind = plat::CaptureDeviceKind::Pictures;
    camera.folder = "colours";
    camera.width = width;
    camera.height = height;
    camera.frameRate = frameRate;
    camera.position = position;
    plat::test::setUpCameras({camera});
}

// Records frame times; safe to read from the test's thread while frames come.
class CountingTarget : public RecordingTarget {
public:
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t) override
    {
        {
            std::lock_guard guard(_lock);
            _times.push_back(frameTime);
        }
        plat::DispatchQueue::mainQueue().async([] {});
    }
    size_t count() const
    {
        std::lock_guard guard(_lock);
        return _times.size();
    }
    std::vector<plat::MediaTime> times() const
    {
        std::lock_guard guard(_lock);
        return _times;
    }

private:
    mutable std::mutex _lock;
    std::vector<plat::MediaTime> _times;
};

}  // namespace zt::test
