#pragma once
#include "platform/foundation/Geometry.h"

namespace plat {
class KeyedArchiver;
class KeyedUnarchiver;
}  // namespace plat

namespace zt {

// One touch or curve sample of a stroke: a canvas position (pixels, origin
// bottom left) and a width. A value; archived as a "LinePoint" record with
// the keys "pos" and "width". Any thread.
class LinePoint {
public:
    LinePoint() = default;
    LinePoint(plat::Point pos, float width)
        : _pos(pos)
        , _width(width)
    {
    }

    plat::Point pos() const { return _pos; }
    void setPos(plat::Point pos) { _pos = pos; }
    float width() const { return _width; }
    void setWidth(float width) { _width = width; }

    void encodeWithCoder(plat::KeyedArchiver& coder) const;
    static LinePoint initWithCoder(const plat::KeyedUnarchiver& coder);

    static constexpr const char* kClassName = "LinePoint";

    friend bool operator==(const LinePoint&, const LinePoint&) = default;

private:
    plat::Point _pos;
    float _width = 0;
};

}  // namespace zt
