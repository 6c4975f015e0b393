// The painting canvas's gestures: taps and pans that record strokes, the
// move brush, and confirmed stamps.
#include "painter/PainterBrush.h"
#include "painter/PainterStampViewController.h"
#include "painter/PaintingView.h"
#include "painter/Stroke.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace zt {

namespace {

std::shared_ptr<Stroke> newStrokeFor(const std::shared_ptr<PainterBrush>& brush)
{
    auto stroke = std::make_shared<Stroke>();
    if (!brush)
        return stroke;
    if (brush->color()) {
        const plat::Color& c = *brush->color();
        stroke->setColor(static_cast<float>(c.red()), static_cast<float>(c.green()), static_cast<float>(c.blue()),
            static_cast<float>(c.alpha()));
    }
    stroke->setBrushSize(brush->size());
    stroke->setType(static_cast<int32_t>(brush->type()));
    return stroke;
}

}  // namespace

void PaintingView::setUpRecognizers()
{
    _tapGestureRecognizer = std::make_shared<plat::TapGestureRecognizer>(this, &PaintingView::handleSingleTap);
    _panGestureRecognizer = std::make_shared<plat::PanGestureRecognizer>(this, &PaintingView::handlePanGesture);
    _panGestureRecognizer->setMaximumNumberOfTouches(1);
}

void PaintingView::didMoveToSuperview()
{
    PaintingCanvasView::didMoveToSuperview();
    // A view is attached to its recognisers once it is shared, which it is
    // by the time it joins a view tree.
    if (!_tapGestureRecognizer->view())
        addGestureRecognizer(_tapGestureRecognizer);
    if (!_panGestureRecognizer->view())
        addGestureRecognizer(_panGestureRecognizer);
}

void PaintingView::handleSingleTap(plat::TapGestureRecognizer& recognizer)
{
    // The move brush draws nothing: a tap while it is chosen would record a
    // stroke that no replay draws.
    if (_brush && _brush->type() == kBrushTypeMove)
        return;
    addStrokeWithPosition(
        detail::StrokeGestureRecorder::canvasPosition(*this, recognizer.locationInView(this)), kTapWidth, 0, _brush);
}

void PaintingView::addStrokeWithPosition(
    plat::Point position, double size, double /*angle*/, std::shared_ptr<PainterBrush> brush)
{
    _recorder.recordTap(position, size, newStrokeFor(brush));
}

void PaintingView::handlePanGesture(plat::PanGestureRecognizer& recognizer)
{
    if (_moving || (_brush && _brush->type() == kBrushTypeMove)) {
        handleMoveGesture(recognizer);
        return;
    }
    _recorder.followPan(recognizer, *this, [this] { return newStrokeFor(_brush); });
}

void PaintingView::handleMoveGesture(plat::PanGestureRecognizer& recognizer)
{
    const plat::Point location = recognizer.locationInView(this);
    switch (recognizer.state()) {
    case plat::GestureRecognizerState::Began:
        _moving = true;
        _movePrevPoint = location;
        _moveOrigCanvasCenter = center();
        break;
    case plat::GestureRecognizerState::Changed: {
        if (!_moving)
            return;
        const plat::Point c = center();
        setCenter({c.x + location.x - _movePrevPoint.x, c.y + location.y - _movePrevPoint.y});
        break;
    }
    case plat::GestureRecognizerState::Ended:
    case plat::GestureRecognizerState::Cancelled:
        // A cancelled move ends like a finished one: the view goes back to
        // its place and the content moves, never left displaced.
        if (_moving)
            finishMove();
        break;
    default:
        break;
    }
}

void PaintingView::finishMove()
{
    _moving = false;
    const plat::Point c = center();
    const plat::Point d {_moveOrigCanvasCenter.x - c.x, _moveOrigCanvasCenter.y - c.y};
    setCenter(_moveOrigCanvasCenter);
    auto stroke = std::make_shared<Stroke>();
    stroke->setType(kBrushTypeMove);
    stroke->setMoveDisplacement(LinePoint(d, 0));
    appendStroke(std::move(stroke));
    shiftStrokes({-d.x, d.y});
    replayBuffer();
}

void PaintingView::setViewControllerStamp(std::shared_ptr<PainterStampViewController> stamp)
{
    _viewControllerStamp = std::move(stamp);
}

void PaintingView::PainterStampDelegateDidFinish(PainterStampViewController& stamp)
{
    if (_brush) {
        _brush->setSize(static_cast<int64_t>(stamp.size()));
        _brush->setAngle(stamp.rotation());
    }
    addStrokeWithPosition(stamp.position(), stamp.size(), stamp.rotation(), _brush);
    _tapGestureRecognizer->setEnabled(true);
    _panGestureRecognizer->setEnabled(true);
    if (stamp.isViewLoaded())
        stamp.view()->removeFromSuperview();
    _viewControllerStamp = nullptr;
}

}  // namespace zt
