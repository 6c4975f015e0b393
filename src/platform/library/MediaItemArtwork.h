#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Geometry.h"

namespace plat {
class Image;

// The cover picture of a song: the file's attached picture, decoded when
// first asked for and kept. Any thread.
class MediaItemArtwork {
public:
    MediaItemArtwork(std::string path, int streamIndex);

    // The picture's own size in points (a point a pixel); empty when it cannot be decoded.
    Rect bounds() const;
    // The picture scaled to fill the size (the middle kept, the rest cut
    // away); nullptr when it cannot be decoded.
    std::shared_ptr<Image> imageWithSize(Size size) const;

private:
    std::shared_ptr<Image> picture() const;

    std::string _path;
    int _streamIndex;
    mutable std::once_flag _decoded;
    mutable std::shared_ptr<Image> _picture;  // written once under _decoded
};

}  // namespace plat
