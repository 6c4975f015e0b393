// The crop editor's gestures, flips and bounds check.
#include <cmath>
#include <numbers>

#include "editor/QVImageEditorGeometry.h"
#include "editor/QVImageEditorViewController.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/RotationGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/ViewTypes.h"

namespace zt {

namespace {

bool isFinitePoint(plat::Point point)
{
    return std::isfinite(point.x) && std::isfinite(point.y);
}

// The transform's step about a point of the image view (relative to its
// centre, where its transform applies) before the transform itself.
plat::AffineTransform aboutPoint(const plat::AffineTransform& transform, plat::Point centre,
    const std::function<plat::AffineTransform(const plat::AffineTransform&)>& step)
{
    return plat::translate(step(plat::translate(transform, centre.x, centre.y)), -centre.x, -centre.y);
}

}  // namespace

bool QVImageEditorViewController::handleGestureState(plat::GestureRecognizerState state)
{
    switch (state) {
    case plat::GestureRecognizerState::Began:
        ++_gestureCount;
        return true;
    case plat::GestureRecognizerState::Ended:
    case plat::GestureRecognizerState::Cancelled:
        // An end whose beginning was never counted must not wrap the count
        // round: the picture would never snap back again.
        if (_gestureCount == 0)
            return false;
        if (--_gestureCount == 0)
            snapBack(boundedScale(_scale));
        return false;
    default:
        return true;
    }
}

double QVImageEditorViewController::boundedScale(double scale) const
{
    if (_minimumScale > 0 && _minimumScale > scale)
        return _minimumScale;
    if (_maximumScale > 0 && _maximumScale < scale)
        return _maximumScale;
    return scale;
}

void QVImageEditorViewController::snapBack(double endScale)
{
    auto pictureView = imageView();
    if (!pictureView)
        return;
    std::weak_ptr<QVImageEditorViewController> weakSelf = sharedAs<QVImageEditorViewController>();
    if (endScale != _scale) {
        plat::Size size = pictureView->bounds().size;
        plat::Point centre {_scaleCenter.x - size.width / 2, _scaleCenter.y - size.height / 2};
        double factor = endScale / _scale;
        checkBoundsWithTransform(aboutPoint(pictureView->transform(), centre,
            [factor](const plat::AffineTransform& t) { return plat::scale(t, factor, factor); }));
    }
    setTouchesAccepted(false);
    plat::View::animateWithDuration(
        kSnapBackSeconds, 0, plat::ViewAnimationOptionCurveEaseOut,
        [pictureView, transform = _validTransform] { pictureView->setTransform(transform); },
        [weakSelf, endScale, changesScale = endScale != _scale](bool) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->setTouchesAccepted(true);
            if (changesScale)
                self->_scale = endScale;
        });
}

void QVImageEditorViewController::setImageViewTransform(const plat::AffineTransform& transform)
{
    if (auto pictureView = imageView())
        pictureView->setTransform(transform);
}

void QVImageEditorViewController::handlePan(plat::PanGestureRecognizer& recognizer)
{
    if (!handleGestureState(recognizer.state()))
        return;
    auto pictureView = imageView();
    if (!pictureView)
        return;
    plat::Point translation = recognizer.translationInView(pictureView.get());
    if (isFinitePoint(translation)) {
        plat::AffineTransform transform = plat::translate(pictureView->transform(), translation.x, translation.y);
        setImageViewTransform(transform);
        checkBoundsWithTransform(transform);
    }
    recognizer.setTranslation({0, 0}, frameView().get());
}

void QVImageEditorViewController::handlePinch(plat::PinchGestureRecognizer& recognizer)
{
    if (!handleGestureState(recognizer.state()))
        return;
    auto pictureView = imageView();
    if (!pictureView)
        return;
    if (recognizer.state() == plat::GestureRecognizerState::Began)
        _scaleCenter = _touchCenter;
    double factor = recognizer.scale();
    // Fingers that meet (0), a broken measurement (NaN) or a factor that
    // would shrink the accumulated zoom to nothing leave no picture to
    // scale back from: such a step is ignored, and the recogniser keeps its
    // scale so that the next step is measured from the last one applied.
    double scaled = _scale * factor;
    if (!std::isfinite(factor) || !(factor > 0) || !std::isfinite(scaled) || !(scaled > 0))
        return;
    plat::Size size = pictureView->bounds().size;
    plat::Point centre {_scaleCenter.x - size.width / 2, _scaleCenter.y - size.height / 2};
    plat::AffineTransform transform = aboutPoint(pictureView->transform(), centre,
        [factor](const plat::AffineTransform& t) { return plat::scale(t, factor, factor); });
    setImageViewTransform(transform);
    checkBoundsWithTransform(transform);
    _scale = scaled;
    recognizer.setScale(1.0);
}

void QVImageEditorViewController::handleRotation(plat::RotationGestureRecognizer& recognizer)
{
    if (!handleGestureState(recognizer.state()))
        return;
    auto pictureView = imageView();
    if (!pictureView)
        return;
    if (recognizer.state() == plat::GestureRecognizerState::Began)
        _rotationCenter = _touchCenter;
    double angle = recognizer.rotation();
    if (!std::isfinite(angle))
        return;
    // In a mirrored picture the fingers' turn is the other way round.
    if (_isFlipped)
        angle = -angle;
    plat::Size size = pictureView->bounds().size;
    plat::Point centre {_rotationCenter.x - size.width / 2, _rotationCenter.y - size.height / 2};
    plat::AffineTransform transform = aboutPoint(
        pictureView->transform(), centre, [angle](const plat::AffineTransform& t) { return plat::rotate(t, angle); });
    setImageViewTransform(transform);
    checkBoundsWithTransform(transform);
    recognizer.setRotation(0);
}

void QVImageEditorViewController::actionFlipHorizontal()
{
    auto pictureView = imageView();
    if (!pictureView)
        return;
    _isFlipped = !_isFlipped;
    plat::AffineTransform transform = plat::scale(pictureView->transform(), -1, 1);
    setImageViewTransform(transform);
    checkBoundsWithTransform(transform);
}

void QVImageEditorViewController::actionFlipVertical()
{
    auto pictureView = imageView();
    if (!pictureView)
        return;
    _isFlipped = !_isFlipped;
    plat::AffineTransform transform = plat::scale(plat::rotate(pictureView->transform(), std::numbers::pi), -1, 1);
    setImageViewTransform(transform);
    checkBoundsWithTransform(transform);
}

double QVImageEditorViewController::imageRotation() const
{
    auto pictureView = imageView();
    if (!pictureView)
        return 0;
    plat::AffineTransform transform = pictureView->transform();
    return static_cast<double>(std::atan2(static_cast<float>(transform.b), static_cast<float>(transform.a)));
}

void QVImageEditorViewController::checkBoundsWithTransform(const plat::AffineTransform& transform)
{
    if (!_checkBounds) {
        _validTransform = transform;
        return;
    }
    double angle = imageRotation();
    plat::Rect crop = cropRect();
    plat::Rect box = boundingBoxForRect(crop, angle);
    // The picture's corners under the transform, turned back about the crop
    // centre so that the picture is axis-aligned again.
    Rectangle corners = zt::applyTransform(transform, _initialImageFrame);
    plat::AffineTransform turnBack = plat::AffineTransform::concat(
        plat::AffineTransform::concat(plat::AffineTransform::makeTranslation(-crop.midX(), -crop.midY()),
            plat::AffineTransform::makeRotation(-angle)),
        plat::AffineTransform::makeTranslation(crop.midX(), crop.midY()));
    if (rectContainsRect(CGRectFromRectangle(zt::applyTransform(turnBack, corners)), box))
        _validTransform = transform;
}

void QVImageEditorViewController::handleTouches(const plat::TouchSet& touches)
{
    _touchCenter = {0, 0};
    if (touches.size() < 2)
        return;
    auto pictureView = imageView();
    plat::Point sum;
    for (const auto& touch : touches) {
        plat::Point location = touch->locationInView(pictureView.get());
        sum.x += location.x;
        sum.y += location.y;
    }
    double count = static_cast<double>(touches.size());
    _touchCenter = {sum.x / count, sum.y / count};
}

void QVImageEditorViewController::touchesBegan(const plat::TouchSet&, const plat::Event& event)
{
    handleTouches(event.allTouches());
}

void QVImageEditorViewController::touchesMoved(const plat::TouchSet&, const plat::Event& event)
{
    handleTouches(event.allTouches());
}

void QVImageEditorViewController::touchesEnded(const plat::TouchSet&, const plat::Event& event)
{
    handleTouches(event.allTouches());
}

void QVImageEditorViewController::touchesCancelled(const plat::TouchSet&, const plat::Event& event)
{
    handleTouches(event.allTouches());
}

}  // namespace zt
