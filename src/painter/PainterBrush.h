#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/graphics/Color.h"

namespace plat {
class Image;
}

namespace zt {

// One brush's settings, shared by the painter screen, its tool bar and the
// canvas (a size changed in one is seen by all). Not archived. Main queue.
class PainterBrush {
public:
    int64_t type() const { return _type; }
    void setType(int64_t type) { _type = type; }
    int64_t size() const { return _size; }
    void setSize(int64_t size) { _size = size; }
    // What a replay falls back to for a stroke recorded without a usable size.
    int64_t defaultSize() const { return _defaultSize; }
    void setDefaultSize(int64_t size) { _defaultSize = size; }
    // None for the move brush; the eraser's is the clear colour.
    const std::optional<plat::Color>& color() const { return _color; }
    void setColor(std::optional<plat::Color> color) { _color = std::move(color); }
    // The dab texture; none for the eraser and the move brush.
    const std::shared_ptr<const plat::Image>& image() const { return _image; }
    void setImage(std::shared_ptr<const plat::Image> image) { _image = std::move(image); }
    double angle() const { return _angle; }
    void setAngle(double angle) { _angle = angle; }

private:
    int64_t _type = 0;
    int64_t _size = 0;
    int64_t _defaultSize = 0;
    std::optional<plat::Color> _color;
    std::shared_ptr<const plat::Image> _image;
    double _angle = 0;
};

}  // namespace zt
