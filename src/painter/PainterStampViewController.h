#pragma once
#include <functional>
#include <memory>

#include "platform/foundation/Geometry.h"
#include "platform/ui/ViewController.h"

namespace plat {
class ImageView;
class Image;
class PanGestureRecognizer;
class PinchGestureRecognizer;
class RotationGestureRecognizer;
class TapGestureRecognizer;
}  // namespace plat

namespace zt {
class PainterStampDelegate;

// An overlay for placing a stamp picture on the canvas: the stamp is moved
// with one finger, scaled with a pinch and turned with two fingers, two
// handles follow marker points inside it, and a tap on the background
// confirms: the stamp's width on screen, its centre (origin bottom left)
// and its rotation in degrees go to the delegate. Its views come from the
// layout "PainterStampViewController". Main queue.
class PainterStampViewController : public plat::ViewController {
public:
    static constexpr const char* kLayoutName = "PainterStampViewController";

    PainterStampViewController();

    void setStamp(std::shared_ptr<const plat::Image> picture);
    std::shared_ptr<PainterStampDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<PainterStampDelegate> delegate) { _delegate = std::move(delegate); }
    const std::function<void()>& completionHandler() const { return _completionHandler; }
    void setCompletionHandler(std::function<void()> handler) { _completionHandler = std::move(handler); }

    // Set on confirmation.
    double size() const { return _size; }
    double rotation() const { return _rotation; }
    plat::Point position() const { return _position; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    void handlePan(plat::PanGestureRecognizer& recognizer);
    void handlePinch(plat::PinchGestureRecognizer& recognizer);
    void handleRotate(plat::RotationGestureRecognizer& recognizer);
    void handleTap(plat::TapGestureRecognizer& recognizer);
    void updateMarker();

    // Outlets, connected by the layout.
    std::shared_ptr<plat::ImageView> _imageViewStamp;
    std::shared_ptr<plat::View> _viewStamp;
    std::shared_ptr<plat::View> _viewUpperMarker;
    std::shared_ptr<plat::View> _viewLowerMarker;
    std::shared_ptr<plat::View> _viewUpperHandle;
    std::shared_ptr<plat::View> _viewLowerHandle;
    std::shared_ptr<plat::View> _viewBackTap;

private:
    std::weak_ptr<PainterStampDelegate> _delegate;
    std::function<void()> _completionHandler;
    std::shared_ptr<const plat::Image> _pendingStamp;  // a picture set before the view loaded
    double _size = 0;
    double _rotation = 0;
    plat::Point _position;
};

// Registers the overlay's layout ("PainterStampViewController").
void registerPainterStampLayout();

}  // namespace zt
