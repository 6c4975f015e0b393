#pragma once
#include <memory>
#include <vector>

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
// an error of domain "Stroke". Any thread.
class StrokeArchive {
public:
    static constexpr const char* kErrorDomain = "Stroke";
    static constexpr int64_t kNotAStrokeArchive = 1;

    static plat::Result<plat::Data> archivedDataWithStrokes(const StrokeList& strokes);
    static plat::Result<StrokeList> strokesWithData(const plat::Data& data);
};

}  // namespace zt
