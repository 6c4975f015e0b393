#include "painter/PainterStampViewController.h"

#include <cmath>
#include <numbers>

#include "painter/PainterStampDelegate.h"
#include "painter/PainterStampHolderView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/RotationGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace zt {

namespace {

// The layout's sizes: the overlay covers the phone's screen and is resized
// by whoever shows it; the stamp starts in its middle.
constexpr double kOverlayWidth = 568;
constexpr double kOverlayHeight = 320;
constexpr double kStampSide = 120;
constexpr double kMarkerSide = 4;
constexpr double kHandleSide = 44;

std::shared_ptr<plat::View> buildStampOverlay(plat::ViewController& owner)
{
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kOverlayWidth, kOverlayHeight));
    root->setBackgroundColor(plat::Color::clearColor());
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);

    auto backTap = std::make_shared<plat::View>(root->bounds());
    backTap->setBackgroundColor(plat::Color::colorWithWhite(0, 0.2));
    backTap->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    root->addSubview(backTap);

    auto stamp = std::make_shared<plat::View>(plat::makeRect(0, 0, kStampSide, kStampSide));
    stamp->setCenter({kOverlayWidth / 2, kOverlayHeight / 2});
    stamp->setBackgroundColor(plat::Color::clearColor());
    root->addSubview(stamp);

    auto picture = std::make_shared<plat::ImageView>(stamp->bounds());
    picture->setContentMode(plat::ContentMode::ScaleAspectFit);
    stamp->addSubview(picture);

    auto upperMarker = std::make_shared<plat::View>(plat::makeRect(0, 0, kMarkerSide, kMarkerSide));
    upperMarker->setCenter({kStampSide / 2, 0});
    upperMarker->setHidden(true);
    stamp->addSubview(upperMarker);
    auto lowerMarker = std::make_shared<plat::View>(plat::makeRect(0, 0, kMarkerSide, kMarkerSide));
    lowerMarker->setCenter({kStampSide / 2, kStampSide});
    lowerMarker->setHidden(true);
    stamp->addSubview(lowerMarker);

    auto upperHandle = std::make_shared<PainterStampHolderView>(plat::makeRect(0, 0, kHandleSide, kHandleSide));
    upperHandle->setUserInteractionEnabled(false);
    root->addSubview(upperHandle);
    auto lowerHandle = std::make_shared<PainterStampHolderView>(plat::makeRect(0, 0, kHandleSide, kHandleSide));
    lowerHandle->setUserInteractionEnabled(false);
    root->addSubview(lowerHandle);

    owner.setOutlet("_viewBackTap", backTap);
    owner.setOutlet("_viewStamp", stamp);
    owner.setOutlet("_imageViewStamp", picture);
    owner.setOutlet("_viewUpperMarker", upperMarker);
    owner.setOutlet("_viewLowerMarker", lowerMarker);
    owner.setOutlet("_viewUpperHandle", upperHandle);
    owner.setOutlet("_viewLowerHandle", lowerHandle);
    if (auto* controller = dynamic_cast<PainterStampViewController*>(&owner)) {
        controller->_viewBackTap = backTap;
        controller->_viewStamp = stamp;
        controller->_imageViewStamp = picture;
        controller->_viewUpperMarker = upperMarker;
        controller->_viewLowerMarker = lowerMarker;
        controller->_viewUpperHandle = upperHandle;
        controller->_viewLowerHandle = lowerHandle;
    }
    return root;
}

}  // namespace

void registerPainterStampLayout()
{
    plat::LayoutRegistry::registerLayout(PainterStampViewController::kLayoutName, buildStampOverlay);
}

PainterStampViewController::PainterStampViewController()
    : plat::ViewController(kLayoutName)
{
}

void PainterStampViewController::loadView()
{
    if (!plat::LayoutRegistry::hasLayout(kLayoutName))
        registerPainterStampLayout();
    plat::ViewController::loadView();
}

void PainterStampViewController::setStamp(std::shared_ptr<const plat::Image> picture)
{
    if (_imageViewStamp)
        _imageViewStamp->setImage(std::move(picture));
    else
        _pendingStamp = std::move(picture);
}

void PainterStampViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (_pendingStamp && _imageViewStamp)
        _imageViewStamp->setImage(std::move(_pendingStamp));
    _pendingStamp = nullptr;
    _viewStamp->addGestureRecognizer(
        std::make_shared<plat::PinchGestureRecognizer>(this, &PainterStampViewController::handlePinch));
    _viewStamp->addGestureRecognizer(
        std::make_shared<plat::RotationGestureRecognizer>(this, &PainterStampViewController::handleRotate));
    auto pan = std::make_shared<plat::PanGestureRecognizer>(this, &PainterStampViewController::handlePan);
    pan->setMinimumNumberOfTouches(1);
    pan->setMaximumNumberOfTouches(1);
    _viewStamp->addGestureRecognizer(pan);
    _viewBackTap->addGestureRecognizer(
        std::make_shared<plat::TapGestureRecognizer>(this, &PainterStampViewController::handleTap));
    updateMarker();
}

void PainterStampViewController::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    updateMarker();
}

void PainterStampViewController::handlePan(plat::PanGestureRecognizer& recognizer)
{
    const plat::Point translation = recognizer.translationInView(view().get());
    const plat::Point c = _viewStamp->center();
    _viewStamp->setCenter({c.x + translation.x, c.y + translation.y});
    recognizer.setTranslation({0, 0}, view().get());
    updateMarker();
}

void PainterStampViewController::handlePinch(plat::PinchGestureRecognizer& recognizer)
{
    const double factor = recognizer.scale();
    _viewStamp->setTransform(plat::scale(_viewStamp->transform(), factor, factor));
    recognizer.setScale(1.0);
    updateMarker();
}

void PainterStampViewController::handleRotate(plat::RotationGestureRecognizer& recognizer)
{
    _viewStamp->setTransform(plat::rotate(_viewStamp->transform(), recognizer.rotation()));
    recognizer.setRotation(0);
    updateMarker();
}

void PainterStampViewController::updateMarker()
{
    if (!_viewStamp)
        return;
    auto overlay = view();
    _viewLowerHandle->setCenter(_viewStamp->convertPoint(_viewLowerMarker->center(), overlay.get()));
    _viewUpperHandle->setCenter(_viewStamp->convertPoint(_viewUpperMarker->center(), overlay.get()));
}

void PainterStampViewController::handleTap(plat::TapGestureRecognizer&)
{
    // The delegate may let go of this overlay while it is told.
    auto self = sharedAs<PainterStampViewController>();
    auto overlay = view();
    const plat::AffineTransform t = _viewStamp->transform();
    _size = t.applyToRect(_imageViewStamp->bounds()).size.width;
    const plat::Point centre = _viewStamp->convertPoint(_imageViewStamp->center(), overlay.get());
    _position = {centre.x, overlay->bounds().size.height - centre.y};
    const float angle = std::atan2(static_cast<float>(t.b), static_cast<float>(t.a));
    _rotation = static_cast<double>(angle) * 180.0 / std::numbers::pi;
    if (auto receiver = delegate())
        receiver->PainterStampDelegateDidFinish(*this);
}

}  // namespace zt
