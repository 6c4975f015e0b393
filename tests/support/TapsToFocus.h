#pragma once
#include "platform/foundation/Geometry.h"

namespace plat::test {

// Taps on a phone's 568 x 320 camera view over a back camera's 640 x 480
// picture, which aspect fill shows 568 x 426 high with 53 points cut off
// above and below, and the camera's points of interest under them (across
// its own picture, from the top left). In landscape left the picture is
// shown turned half round. A source showing its camera that way focuses
// where the tap was.
struct TapToFocus {
    Point tap;
    bool landscapeLeft;
    Point pointOfInterest;
};
inline const TapToFocus kTapsToFocus[] = {
    {{284, 160}, false, {0.5, 0.5}},
    {{0, 0}, false, {0.0, 0.1244}},
    {{142, 0}, false, {0.25, 0.1244}},
    {{568, 320}, false, {1.0, 0.8756}},
    {{426, 213}, false, {0.75, 0.6244}},
    {{142, 0}, true, {0.75, 0.8756}},
    {{0, 160}, true, {1.0, 0.5}},
};
inline constexpr double kPointOfInterestTolerance = 1e-4;

}  // namespace plat::test
