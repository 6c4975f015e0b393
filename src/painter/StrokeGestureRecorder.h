#pragma once
#include <functional>
#include <memory>

#include "painter/StrokeSampler.h"
#include "platform/foundation/Geometry.h"

namespace plat {
class PanGestureRecognizer;
class View;
}  // namespace plat

namespace zt {
class Stroke;

namespace detail {

// Records the strokes a canvas's one-finger taps and pans make. The sampler
// smooths the finger; each new window of samples is copied into the stroke
// before the canvas draws it (drawing trims the window), and a finished
// stroke gets its velocities and goes to the canvas to keep. A cancelled pan
// ends like a finished one: its dabs are on the surface already, so the
// canvas keeps it too and the surface and the list agree. Main queue; owned
// by its canvas, whose callbacks it holds.
class StrokeGestureRecorder {
public:
    using DrawNewSamples = std::function<void()>;
    using KeepStroke = std::function<void(std::shared_ptr<Stroke>)>;
    using MakeStroke = std::function<std::shared_ptr<Stroke>()>;

    StrokeGestureRecorder(DrawNewSamples drawNewSamples, KeepStroke keepStroke);

    // Drawing reads the smoothed samples from it, replays load it.
    StrokeSampler& sampler() { return _sampler; }

    // GL canvases count y upwards: a view position in canvas pixels.
    static plat::Point canvasPosition(const plat::View& canvas, plat::Point viewPosition);

    // Four samples of one width at one canvas position, recorded in stroke,
    // kept and drawn.
    void recordTap(plat::Point canvasPosition, double width, std::shared_ptr<Stroke> stroke);
    // One event of a pan on canvas; makeStroke gives the stroke a new pan records into.
    void followPan(plat::PanGestureRecognizer& recognizer, const plat::View& canvas, const MakeStroke& makeStroke);

private:
    void finishStroke(plat::Point position, plat::Point velocity);

    DrawNewSamples _drawNewSamples;
    KeepStroke _keepStroke;
    StrokeSampler _sampler;
    std::shared_ptr<Stroke> _stroke;  // being recorded
};

}  // namespace detail
}  // namespace zt
