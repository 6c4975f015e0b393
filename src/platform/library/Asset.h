#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"

namespace plat {
class Bitmap;

// The link that names an asset: "assets-library://asset/<album>/<file>",
// the album folder and file name percent-encoded.
URL assetURLFor(const PhotoAsset& asset);
// The album folder and file name of such a link; none for any other URL.
struct AssetLocation {
    std::string albumFolder;
    std::string fileName;
};
std::optional<AssetLocation> assetLocationOfURL(const URL& url);

// The pixels of an asset as stored, with what describes them: the
// platform's asset representation. Any thread (immutable); pictures are
// read from the file when asked.
class AssetRepresentation {
public:
    explicit AssetRepresentation(PhotoAsset asset);

    std::string filename() const { return _asset.fileName; }
    URL url() const { return assetURLFor(_asset); }
    int64_t size() const;  // bytes of the file; 0 when it cannot be read
    // The stored size in pixels and the orientation of the file's header.
    Size dimensions() const;
    ImageOrientation orientation() const;
    // The stored pixels, the orientation not applied, as the platform's
    // full-resolution image is; nullptr for a movie or a file that does not
    // decode (truncated, empty, not a picture, beyond the bitmap limits).
    std::shared_ptr<const Bitmap> fullResolutionImage() const;
    // The stored pixels as the decoder gives them at a fraction of their
    // size that keeps the longer side at least minimumLongerSide (the full
    // size when it offers none): with dimensions(), a cheaper stand-in for
    // the full-resolution image where only a smaller one is wanted.
    // nullptr as fullResolutionImage.
    std::shared_ptr<const Bitmap> reducedImage(int minimumLongerSide) const;

private:
    PhotoAsset _asset;
};

// One picture or movie of the photo library, as the platform's asset: its
// properties (type, date, orientation, link) and pictures. Any thread
// (immutable).
class Asset {
public:
    static constexpr int kThumbnailPixels = 150;

    explicit Asset(PhotoAsset asset);

    const PhotoAsset& photoAsset() const { return _asset; }
    AssetType type() const { return _asset.type; }
    Date date() const { return _asset.creationDate; }
    URL url() const { return assetURLFor(_asset); }
    // From the file's EXIF tag; up for a movie or a file without one.
    ImageOrientation orientation() const;
    AssetRepresentation defaultRepresentation() const { return AssetRepresentation(_asset); }
    // Upright, aspect-fill cropped to a square of kThumbnailPixels; nullptr
    // when the file does not decode.
    std::shared_ptr<Image> thumbnail() const;

    friend bool operator==(const Asset& a, const Asset& b) { return a._asset.path == b._asset.path; }

private:
    PhotoAsset _asset;
};

}  // namespace plat
