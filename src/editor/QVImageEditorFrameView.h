#pragma once
#include <memory>

#include "editor/QVImageEditorFrame.h"
#include "platform/ui/View.h"

namespace plat {
class ImageView;
}

namespace zt {

// The crop editor's overlay: dims everything outside the crop rectangle
// and marks its edge with a thin light line, through a picture drawn for
// its bounds whenever the rectangle changes. The gestures of the editor are
// attached to it. Main thread.
class QVImageEditorFrameView : public plat::View, public QVImageEditorFrame {
public:
    static constexpr double kOverlayOpacity = 0.7;
    static constexpr double kBorderWidth = 1.0;
    static constexpr double kBorderAlpha = 0.5;

    QVImageEditorFrameView();
    explicit QVImageEditorFrameView(plat::Rect frame);

    // In the view's own coordinates, stored moved by the frame's origin.
    plat::Rect cropRect() const override { return _cropRect; }
    void setCropRect(plat::Rect cropRect) override;

    const std::shared_ptr<plat::ImageView>& imageView() const { return _imageView; }

private:
    void initialize();
    void drawOverlay();

    std::shared_ptr<plat::ImageView> _imageView;
    plat::Rect _cropRect;
};

}  // namespace zt
