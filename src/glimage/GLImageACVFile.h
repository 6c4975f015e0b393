#pragma once
#include <cstdint>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// A tone-curve file (".acv"): big-endian 16-bit numbers, a version and a
// curve count, then per curve a point count and the points as (output,
// input) pairs in 0..255. Curves 0 to 3 are the composite, red, green and
// blue curves; points come out as (input, output) fractions of 255. Files
// are outside input: one shorter than its counts say, with fewer than four
// curves or with a value outside 0..255 is refused. Any thread (a value).
class GLImageACVFile {
public:
    static constexpr int64_t kErrorEmpty = 1;
    static constexpr int64_t kErrorTruncated = 2;
    static constexpr int64_t kErrorTooFewCurves = 3;
    static constexpr int64_t kErrorValueOutOfRange = 4;

    static plat::Result<GLImageACVFile> initWithACVFileData(const plat::Data& data);

    int16_t version() const { return _version; }
    int16_t totalCurves() const { return _totalCurves; }
    const std::vector<plat::Point>& rgbCompositeCurvePoints() const { return _rgbCompositeCurvePoints; }
    const std::vector<plat::Point>& redCurvePoints() const { return _redCurvePoints; }
    const std::vector<plat::Point>& greenCurvePoints() const { return _greenCurvePoints; }
    const std::vector<plat::Point>& blueCurvePoints() const { return _blueCurvePoints; }

private:
    GLImageACVFile() = default;

    int16_t _version = 0;
    int16_t _totalCurves = 0;
    std::vector<plat::Point> _rgbCompositeCurvePoints;
    std::vector<plat::Point> _redCurvePoints;
    std::vector<plat::Point> _greenCurvePoints;
    std::vector<plat::Point> _blueCurvePoints;
};

}  // namespace zt
