#pragma once
#include "painter/StrokeArchive.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// Strokes painted on a canvas of another size (a phone's painting opened on
// a tablet, and back), brought to this canvas: every position, offset and
// move grows or shrinks by the ratio of the two canvases' widths, and so do
// the dabs, as far as a whole brush size allows. The painter's canvases all
// have the same proportions, so one ratio serves both axes. Any thread.
class StrokeScaling {
public:
    static void scaleStrokes(StrokeList& strokes, double factor);
    // The archive with its strokes scaled; an archive that cannot be read fails.
    static plat::Result<plat::Data> scaledArchive(const plat::Data& archive, double factor);
};

}  // namespace zt
