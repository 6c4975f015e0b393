#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/AffineTransform.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ViewController.h"

namespace plat {
class Image;
class ImageView;
class PanGestureRecognizer;
class PinchGestureRecognizer;
class RotationGestureRecognizer;
class TapGestureRecognizer;
class View;
}  // namespace plat

namespace zt {
class QVImageEditorFrame;

// Pans, pinch-zooms, turns and mirrors one picture under a fixed crop
// rectangle, and hands the part under the rectangle to its done callback.
// Its layout gives it the overlay that marks the rectangle (outlet
// "frameView", a QVImageEditorFrame), to which the gestures attach; the
// picture is shown in an image view below it, whose transform is the edit.
// The output is rendered on a global queue from the transform, the crop
// size and the source; everything else, the callback included, runs on the
// main thread.
class QVImageEditorViewController : public plat::ViewController, public plat::GestureRecognizerDelegate {
public:
    // The picture under the crop rectangle and false, or no picture and true
    // when the user cancelled or nothing could be cropped. A callback does
    // nothing with a cancelled result.
    using DoneCallback = std::function<void(std::shared_ptr<plat::Image> editedImage, bool cancelled)>;

    static constexpr double kResetSeconds = 0.25;
    static constexpr double kSnapBackSeconds = 0.2;
    // A source larger than this (either side) is shown as a small preview
    // until the display picture is ready.
    static constexpr double kLargestPreviewEdge = 1024;
    static constexpr double kPreviewWidth = 120;
    static constexpr double kDefaultCropSide = 320;

    // The layout named after the class.
    QVImageEditorViewController();
    explicit QVImageEditorViewController(std::string nibName);
    ~QVImageEditorViewController() override;

    bool isFlipped() const { return _isFlipped; }
    void setIsFlipped(bool flipped) { _isFlipped = flipped; }
    // Each switches its gesture recogniser on or off with it.
    bool tapToResetEnabled() const { return _tapToResetEnabled; }
    void setTapToResetEnabled(bool enabled);
    bool panEnabled() const { return _panEnabled; }
    void setPanEnabled(bool enabled);
    bool scaleEnabled() const { return _scaleEnabled; }
    void setScaleEnabled(bool enabled);
    bool rotateEnabled() const { return _rotateEnabled; }
    void setRotateEnabled(bool enabled);
    // Keeps the crop rectangle covered by the picture.
    bool checkBounds() const { return _checkBounds; }
    void setCheckBounds(bool checkBounds) { _checkBounds = checkBounds; }
    const DoneCallback& doneCallback() const { return _doneCallback; }
    void setDoneCallback(DoneCallback callback) { _doneCallback = std::move(callback); }

    const std::shared_ptr<const plat::Image>& sourceImage() const { return _sourceImage; }
    // A different picture drops the preview.
    void setSourceImage(std::shared_ptr<const plat::Image> image);
    // The set preview, else (made once) the source when it is small enough,
    // else the source scaled to kPreviewWidth points wide.
    std::shared_ptr<const plat::Image> previewImage();
    void setPreviewImage(std::shared_ptr<const plat::Image> image) { _previewImage = std::move(image); }
    // Points; 0 (or anything not positive and finite) means the source's width.
    double outputWidth() const { return _outputWidth; }
    void setOutputWidth(double width) { _outputWidth = width; }
    // A value not above 0 sets no limit.
    double minimumScale() const { return _minimumScale; }
    void setMinimumScale(double scale) { _minimumScale = scale; }
    double maximumScale() const { return _maximumScale; }
    void setMaximumScale(double scale) { _maximumScale = scale; }

    const std::shared_ptr<plat::PanGestureRecognizer>& panRecognizer() const { return _panRecognizer; }
    const std::shared_ptr<plat::RotationGestureRecognizer>& rotationRecognizer() const { return _rotationRecognizer; }
    const std::shared_ptr<plat::PinchGestureRecognizer>& pinchRecognizer() const { return _pinchRecognizer; }
    const std::shared_ptr<plat::TapGestureRecognizer>& tapRecognizer() const { return _tapRecognizer; }
    std::shared_ptr<plat::ImageView> imageView() const { return _imageView.lock(); }
    std::shared_ptr<plat::View> frameView() const { return _frameView.lock(); }
    // The layout's overlay; it must conform to QVImageEditorFrame.
    void setFrameView(const std::shared_ptr<plat::View>& view);

    uint64_t gestureCount() const { return _gestureCount; }
    double scale() const { return _scale; }
    plat::Point touchCenter() const { return _touchCenter; }
    plat::Point rotationCenter() const { return _rotationCenter; }
    plat::Point scaleCenter() const { return _scaleCenter; }
    plat::Rect initialImageFrame() const { return _initialImageFrame; }
    const plat::AffineTransform& validTransform() const { return _validTransform; }

    // The overlay's rectangle (in its coordinates); an empty one is first
    // replaced by a centred square of kDefaultCropSide. Loads the view.
    plat::Rect cropRect();
    void setCropRect(plat::Rect rect);
    plat::Size cropSize();
    // Centred in the overlay.
    void setCropSize(plat::Size size);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(
        plat::GestureRecognizer&, plat::GestureRecognizer&) override;

    // The picture just covering the crop rectangle, centred, unturned.
    void reset(bool animated);

    void resetAction();
    void resetAnimatedAction();
    void handleTap(plat::TapGestureRecognizer& recognizer);
    void handlePan(plat::PanGestureRecognizer& recognizer);
    void handlePinch(plat::PinchGestureRecognizer& recognizer);
    void handleRotation(plat::RotationGestureRecognizer& recognizer);
    void actionFlipHorizontal();
    void actionFlipVertical();
    // Renders the output and reports it; a source that cannot be cropped
    // reports the cancelled result at once.
    void doneAction();
    void cancelAction();

    // Around the output rendering, for subclasses.
    virtual void startTransformHook() { }
    virtual void endTransformHook() { }

    void touchesBegan(const plat::TouchSet& touches, const plat::Event& event) override;
    void touchesMoved(const plat::TouchSet& touches, const plat::Event& event) override;
    void touchesEnded(const plat::TouchSet& touches, const plat::Event& event) override;
    void touchesCancelled(const plat::TouchSet& touches, const plat::Event& event) override;

protected:
    // Whether a gesture handler goes on; counts gestures and snaps back when the last one ends.
    bool handleGestureState(plat::GestureRecognizerState state);
    // Keeps transform as the valid one when the picture still covers the crop rectangle.
    void checkBoundsWithTransform(const plat::AffineTransform& transform);
    double boundedScale(double scale) const;
    double imageRotation() const;
    void handleTouches(const plat::TouchSet& touches);

private:
    QVImageEditorFrame* frameMarker() const;
    bool hasUsableSource() const;
    void setImageViewTransform(const plat::AffineTransform& transform);
    void snapBack(double endScale);
    void setTouchesAccepted(bool accepted);
    void showDisplayImage();
    void reportResult(std::shared_ptr<plat::Image> image, bool cancelled);

    bool _isFlipped = false;
    bool _tapToResetEnabled = true;
    bool _panEnabled = true;
    bool _scaleEnabled = true;
    bool _rotateEnabled = true;
    bool _checkBounds = false;
    DoneCallback _doneCallback;
    std::shared_ptr<const plat::Image> _sourceImage;
    std::shared_ptr<const plat::Image> _previewImage;
    double _outputWidth = 0;
    double _minimumScale = 0;
    double _maximumScale = 0;
    std::shared_ptr<plat::PanGestureRecognizer> _panRecognizer;
    std::shared_ptr<plat::RotationGestureRecognizer> _rotationRecognizer;
    std::shared_ptr<plat::PinchGestureRecognizer> _pinchRecognizer;
    std::shared_ptr<plat::TapGestureRecognizer> _tapRecognizer;
    std::weak_ptr<plat::ImageView> _imageView;
    std::weak_ptr<plat::View> _frameView;
    uint64_t _gestureCount = 0;
    double _scale = 1;
    plat::Point _touchCenter;
    plat::Point _rotationCenter;
    plat::Point _scaleCenter;
    plat::Rect _initialImageFrame;
    plat::AffineTransform _validTransform;
};

}  // namespace zt
