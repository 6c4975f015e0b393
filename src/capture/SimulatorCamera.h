#pragma once
#include <memory>

#include "capture/CaptureController.h"

namespace plat {
class ImageView;
}

namespace zt {

// A test source without a camera: it shows the resource picture
// "DEBUG_1080p.jpg" and hands it over at once on the calling thread. The
// source registry never lists it. Main thread.
class SimulatorCamera : public CaptureController {
public:
    void initCaptureDevice() override;
    void captureImage() override;

    const std::shared_ptr<plat::ImageView>& imageView() const { return _imageView; }

private:
    std::shared_ptr<plat::ImageView> _imageView;
};

}  // namespace zt
