#pragma once
#include <memory>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/View.h"

namespace plat {
class CaptureVideoPreviewLayer;
enum class CaptureVideoOrientation : int64_t;
}  // namespace plat

namespace zt {

// The view that holds a camera's preview layer and keeps the layer's
// picture turned with the interface: landscape right or left as the
// interface stands (portrait leaves it as it is), on every turn of the
// device and every layout. Main thread.
class VideoPreview : public plat::View {
public:
    VideoPreview();  // initWithCoder:
    explicit VideoPreview(plat::Rect frame);  // initWithFrame:
    ~VideoPreview() override;

    const std::shared_ptr<plat::CaptureVideoPreviewLayer>& previewLayer() const { return _previewLayer; }
    // Keeps the layer and adds it to the view's own layer.
    void addPreviewLayer(std::shared_ptr<plat::CaptureVideoPreviewLayer> layer);
    void setOrientation(plat::CaptureVideoOrientation orientation);
    void deviceOrientationDidChange();

    void layoutSubviews() override;

private:
    void observeDeviceOrientation();

    std::shared_ptr<plat::CaptureVideoPreviewLayer> _previewLayer;
    plat::ObserverToken _orientationObserver;
};

}  // namespace zt
