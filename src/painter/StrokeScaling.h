#pragma once
#include <optional>

#include "painter/StrokeArchive.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// Strokes painted on a canvas of another size (a phone's painting opened on
// a tablet, and back), brought to this canvas: every position, offset and
// move grows or shrinks by the ratio of the two canvases' widths, and so do
// the dabs, as far as a whole brush size allows; the stroke keeps the size
// with its fraction, so that it comes back at the size it was painted at.
// The painter's canvases all have the same proportions, so one ratio serves
// both axes. Any thread.
class StrokeScaling {
public:
    static constexpr const char* kErrorDomain = "StrokeScaling";
    static constexpr int64_t kUnknownCanvasSize = 1;

    struct FittedArchive {
        plat::Data archive;  // the bytes given when nothing had to change
        std::optional<plat::Size> paintedOn;
    };

    // Whether the error says that nothing tells the canvas the strokes were painted on.
    static bool isUnknownCanvasSize(const plat::Error& error);
    static void scaleStrokes(StrokeList& strokes, double factor);
    // The archive's strokes brought to a canvas of canvasSize from the one
    // they were painted on: the canvas the archive records, else paintedOn
    // (what another record of the painting tells). Strokes painted on a
    // canvas that neither tells fail with kUnknownCanvasSize: nothing says
    // where they belong. An archive that cannot be read fails.
    static plat::Result<FittedArchive> fittedArchive(
        const plat::Data& archive, plat::Size canvasSize, std::optional<plat::Size> paintedOn);
};

}  // namespace zt
