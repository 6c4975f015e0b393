#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {
class Stroke;

using StrokeList = std::vector<std::shared_ptr<Stroke>>;

// The painter canvas archive: a keyed archive whose root is a list of
// strokes, oldest first ("canvas-%@.cnv" and the layers' stroke files).
// Archives come from project files, so reading checks every record: only
// "Stroke" and "LinePoint" records besides lists and numbers, a stroke's
// points either windows of samples or one sample (a move), velocities
// numbers, every number finite. Anything else fails the whole archive with
// an error of domain "Stroke". Positions are in the pixels of the canvas the
// strokes were painted on, whose size the archive keeps beside its root
// ("canvasSize"), where readers of the stroke list alone never look;
// archives of earlier versions do not have it. Any thread.
class StrokeArchive {
public:
    static constexpr const char* kErrorDomain = "Stroke";
    static constexpr int64_t kNotAStrokeArchive = 1;
    static constexpr const char* kCanvasSizeKey = "canvasSize";

    struct PaintedStrokes {
        StrokeList strokes;
        std::optional<plat::Size> canvasSize;  // none in archives that do not tell it
    };

    static plat::Result<plat::Data> archivedDataWithStrokes(
        const StrokeList& strokes, std::optional<plat::Size> canvasSize = std::nullopt);
    static plat::Result<StrokeList> strokesWithData(const plat::Data& data);
    static plat::Result<PaintedStrokes> paintedStrokesWithData(const plat::Data& data);
};

}  // namespace zt
