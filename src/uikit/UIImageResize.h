#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/GraphicsContext.h"

namespace plat {
class Image;
}

// The image operations every picture-handling screen uses: cropping,
// resizing, aspect-fill scaling with a centre crop, turning a photo tagged
// with an orientation into upright pixels no larger than a limit, rotation
// and template icons. Each takes the picture first and returns a new one
// (scale 1, orientation up) or nullptr; none changes its argument. They run
// on the calling thread, any thread.
namespace zt {

// Content modes of resizedImageWithContentMode, the platform's view content-mode numbers.
inline constexpr int kContentModeScaleAspectFit = 1;
inline constexpr int kContentModeScaleAspectFill = 2;

// The pixels inside rect (bitmap pixel coordinates, the orientation ignored),
// the rectangle widened to whole pixels and clipped to the bitmap; nullptr
// when nothing is left.
std::shared_ptr<plat::Image> croppedImage(const plat::Image& image, plat::Rect rect);

// The picture upright at exactly newSize pixels.
std::shared_ptr<plat::Image> resizedImage(
    const plat::Image& image, plat::Size newSize, plat::InterpolationQuality quality);

// Scaled to fit (mode 1) or fill (mode 2) bounds, keeping the aspect ratio.
// Any other mode logs "Unsupported content mode: N" and gives nullptr.
std::shared_ptr<plat::Image> resizedImageWithContentMode(
    const plat::Image& image, int contentMode, plat::Size bounds, plat::InterpolationQuality quality);

// A square of side pixels, aspect-fill scaled and centre-cropped, with a
// transparent margin of borderSize pixels around it when that is not 0.
std::shared_ptr<plat::Image> thumbnailImage(
    const plat::Image& image, int thumbnailSize, unsigned borderSize, plat::InterpolationQuality quality);

// The picture with a transparent margin of borderSize pixels on every side.
std::shared_ptr<plat::Image> transparentBorderImage(const plat::Image& image, unsigned borderSize);

// Exactly targetSize points at scale 1: the picture (in its orientation)
// scaled by the larger of the two ratios so that it covers the size, centred,
// the overflow cut off. Logs "could not scale image" when no picture results.
std::shared_ptr<plat::Image> imageByScalingAndCroppingForSize(const plat::Image& image, plat::Size targetSize);

// The drawing step of resizedImage: a context of newSize (widened to whole
// pixels) with transform concatenated, the stored bitmap drawn into
// (0, 0, newSize), or (0, 0, newSize swapped) when drawTransposed.
std::shared_ptr<plat::Image> resizedImage(const plat::Image& image, plat::Size newSize,
    const plat::AffineTransform& transform, bool drawTransposed, plat::InterpolationQuality quality);

// The transform that puts the stored bitmap, drawn into newSize (swapped for
// the orientations that turn by a quarter), upright into newSize. Our
// contexts have y pointing down, so the numbers differ from a y-up system's;
// the picture they draw is the same.
plat::AffineTransform transformForOrientation(const plat::Image& image, plat::Size newSize);

// An upright copy whose longer side is at most maxResolution pixels (never
// enlarged; no rounding of the scaled size beyond whole pixels). The one
// upright conversion of the app: the photo import, the paste into the strip,
// the theme background and the green-screen backdrop all come here.
std::shared_ptr<plat::Image> scaledAndRotatedImageWithMaxResolution(const plat::Image& image, int32_t maxResolution);
// The same copy of a picture of fullPixelSize stored pixels, made from a
// smaller decode of it (a JPEG decoded at a fraction of its size): the
// result's size and placement are those of the full picture's.
std::shared_ptr<plat::Image> scaledAndRotatedImageWithMaxResolution(
    const plat::Image& image, plat::Size fullPixelSize, int32_t maxResolution);

// The picture turned about its centre by radians (not degrees), on a canvas
// the size of the turned bounding box.
std::shared_ptr<plat::Image> rotatedByDegrees(const plat::Image& image, double radians);

// The named resource picture, drawn in the tint colour (always-template
// rendering); nullptr when the resource is missing.
std::shared_ptr<plat::Image> tintedImageNamed(const std::string& name);

}  // namespace zt
