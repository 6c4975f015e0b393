#pragma once
#include <string>

#include "editor/QVImageEditorViewController.h"

namespace zt {

// The crop editor the frame editor opens on one frame: full screen (the
// landscape screen, whichever way the device reports it), with a
// full-width 16:9 crop band centred vertically, zoom from 0.2 to 10.
// Main thread.
class ImageEditor : public QVImageEditorViewController {
public:
    static constexpr double kMinimumScale = 0.2;
    static constexpr double kMaximumScale = 10.0;
    // The band's height over its width (16:9).
    static constexpr float kCropAspect = 0.5625f;

    // The layout "ImageEditor".
    ImageEditor();
    explicit ImageEditor(std::string nibName);

    void viewDidLoad() override;

    // The same origin; the width is the larger side and the height the smaller.
    static plat::Rect getOrientationCorrectedRectFromRect(plat::Rect rect);

    void startTransformHook() override { }
    void endTransformHook() override { }

private:
    void fitToScreen();
};

}  // namespace zt
