#pragma once
#include <memory>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

// The crop editor's picture work: the cropped output, the scaled pictures
// shown while editing, and the orientation step both share. Each takes an
// immutable picture and makes a new one (scale 1, orientation up), or
// nullptr when no picture can be made. Any thread.
namespace zt {

struct OrientedDrawing {
    // Maps the stored pixels, drawn into (-size/2, size), onto the upright
    // picture centred on the origin.
    plat::AffineTransform transform;
    // The stored pixels' size: the upright size, swapped for the quarter turns.
    plat::Size size;
};

// The orientation step for a picture shown upright at size (points, y down).
OrientedDrawing transformAndSizeForOrientation(plat::ImageOrientation orientation, plat::Size size);

// What lies under the crop rectangle: the source drawn upright at
// imageViewSize, centred on the crop rectangle's centre and moved by the
// image view's transform (about its centre, as the screen shows it), then
// scaled so that the crop width becomes outputWidth pixels. Only the crop
// rectangle's size matters: the image view's centre is the crop centre.
// The output is outputWidth x outputWidth * crop height / crop width,
// truncated to whole pixels, transparent where the picture does not reach.
std::shared_ptr<plat::Image> newTransformedImage(const plat::AffineTransform& transform, const plat::Image& sourceImage,
    double outputWidth, plat::Rect cropRect, plat::Size imageViewSize);

// The stored pixels of image, drawn with the orientation given, upright at
// targetSize (truncated to whole pixels).
std::shared_ptr<plat::Image> newScaledImage(const plat::Image& image, plat::ImageOrientation orientation,
    plat::Size targetSize, plat::InterpolationQuality quality);
// The picture (with its own orientation) upright at size.
std::shared_ptr<plat::Image> scaledImage(const plat::Image& image, plat::Size size, plat::InterpolationQuality quality);

// The size of the picture shown while editing: 1024 points along the longer
// side, the aspect ratio kept.
plat::Size displayImageSizeForSourceSize(plat::Size sourceSize);

// Whether the editor can work with the picture: pixels, a known
// orientation and a finite, positive size.
bool isUsableSourceImage(const plat::Image* image);

}  // namespace zt
