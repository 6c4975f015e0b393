#include "painter/StrokeGestureRecorder.h"

#include "painter/Stroke.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/View.h"

namespace zt::detail {

StrokeGestureRecorder::StrokeGestureRecorder(DrawNewSamples drawNewSamples, KeepStroke keepStroke)
    : _drawNewSamples(std::move(drawNewSamples))
    , _keepStroke(std::move(keepStroke))
{
}

plat::Point StrokeGestureRecorder::canvasPosition(const plat::View& canvas, plat::Point viewPosition)
{
    return {viewPosition.x, canvas.bounds().size.height - viewPosition.y};
}

void StrokeGestureRecorder::recordTap(plat::Point canvasPosition, double width, std::shared_ptr<Stroke> stroke)
{
    _sampler.tapAt(canvasPosition, width);
    stroke->addWindow(_sampler.points());
    stroke->setVelocities(_sampler.velocities());
    _keepStroke(std::move(stroke));
    _drawNewSamples();
}

void StrokeGestureRecorder::followPan(
    plat::PanGestureRecognizer& recognizer, const plat::View& canvas, const MakeStroke& makeStroke)
{
    const plat::Point position = canvasPosition(canvas, recognizer.locationInView(&canvas));
    const plat::Point velocity = recognizer.velocityInView(&canvas);
    switch (recognizer.state()) {
    case plat::GestureRecognizerState::Began:
        _stroke = makeStroke();
        _sampler.beginAt(position, velocity);
        break;
    case plat::GestureRecognizerState::Changed:
        if (!_stroke || !_sampler.continueTo(position, velocity))
            return;
        _stroke->addWindow(_sampler.points());
        _drawNewSamples();
        break;
    case plat::GestureRecognizerState::Ended:
    case plat::GestureRecognizerState::Cancelled:
        finishStroke(position, velocity);
        break;
    default:
        break;
    }
}

void StrokeGestureRecorder::finishStroke(plat::Point position, plat::Point velocity)
{
    if (!_stroke)
        return;
    _sampler.endAt(position, velocity);
    _stroke->setVelocities(_sampler.velocities());
    _keepStroke(std::move(_stroke));
    _stroke = nullptr;
}

}  // namespace zt::detail
