#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/EdgeInsets.h"

namespace plat {

// The platform's eight image orientations, with its numbers: how the stored
// pixels are turned for display. Left and right (and their mirrors) swap
// width and height.
enum class ImageOrientation : int {
    Up = 0,
    Down = 1,  // turned 180°
    Left = 2,  // turned 90° counterclockwise for display
    Right = 3,  // turned 90° clockwise for display: portrait camera photos
    UpMirrored = 4,
    DownMirrored = 5,
    LeftMirrored = 6,
    RightMirrored = 7,
};

enum class ImageRenderingMode : int { Automatic = 0, AlwaysOriginal = 1, AlwaysTemplate = 2 };

bool isTransposed(ImageOrientation orientation);
// Maps points of the stored pixels, a rectangle of storedSize with the origin
// at the top left, onto the upright picture (storedSize, swapped when
// transposed). The one place that knows what each orientation means.
AffineTransform uprightTransform(ImageOrientation orientation, Size storedSize);

// A picture as the platform's image: a shared bitmap, a scale (pixels per
// point) and an orientation. Images never change; operations make new ones.
// Any thread (immutable).
class Image {
public:
    Image(std::shared_ptr<const Bitmap> bitmap, double scale, ImageOrientation orientation,
        ImageRenderingMode renderingMode = ImageRenderingMode::Automatic);

    static std::shared_ptr<Image> imageWithBitmap(
        std::shared_ptr<const Bitmap> bitmap, double scale = 1, ImageOrientation orientation = ImageOrientation::Up);
    // Decodes JPEG (with its EXIF orientation) or PNG. Data that is empty,
    // truncated, not a picture, or a picture beyond the bitmap limits gives
    // nullptr. Decoding runs on the calling thread.
    static std::shared_ptr<Image> imageWithData(const Data& data, double scale = 1);
    static std::shared_ptr<Image> imageWithContentsOfFile(const std::string& path);
    // A picture of the main bundle by resource name ("thumb_camera.png"; a
    // name without extension is looked up as PNG), kept after the first load.
    static std::shared_ptr<Image> imageNamed(const std::string& name);

    // The stored pixels, in their stored orientation.
    const std::shared_ptr<const Bitmap>& bitmap() const { return _bitmap; }
    // Points: the upright pixel size divided by the scale.
    Size size() const;
    double scale() const { return _scale; }
    ImageOrientation imageOrientation() const { return _orientation; }
    ImageRenderingMode renderingMode() const { return _renderingMode; }

    std::shared_ptr<Image> imageWithRenderingMode(ImageRenderingMode mode) const;
    // The same picture, stretchable: the edges given (in points) keep their
    // size when views draw it larger, as the platform's cap insets.
    std::shared_ptr<Image> resizableImageWithCapInsets(EdgeInsets capInsets) const;
    const EdgeInsets& capInsets() const { return _capInsets; }
    // The bundle resource imageNamed loaded it from, kept by the copies made
    // above (the app's own art, as against a frame, a photo or a camera's
    // picture); empty for other pictures.
    const std::string& resourceName() const { return _resourceName; }

private:
    std::shared_ptr<const Bitmap> _bitmap;
    double _scale;
    ImageOrientation _orientation;
    ImageRenderingMode _renderingMode;
    EdgeInsets _capInsets;
    std::string _resourceName;
};

}  // namespace plat
