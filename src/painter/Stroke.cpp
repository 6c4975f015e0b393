#include "painter/Stroke.h"

#include <memory>

#include "platform/foundation/KeyedArchive.h"

namespace zt {

namespace {

// The archived form of a sample, made only while a stroke is written.
class LinePointRecord : public plat::Coding {
public:
    explicit LinePointRecord(LinePoint point)
        : _point(point)
    {
    }
    std::string classNameForCoder() const override { return LinePoint::kClassName; }
    void encodeWithCoder(plat::KeyedArchiver& coder) const override { _point.encodeWithCoder(coder); }

private:
    LinePoint _point;
};

plat::Value pointValue(const LinePoint& point)
{
    return plat::Value(std::make_shared<LinePointRecord>(point));
}

}  // namespace

void Stroke::setColor(float red, float green, float blue, float alpha)
{
    _red = red;
    _green = green;
    _blue = blue;
    _alpha = alpha;
}

void Stroke::addWindow(PointWindow window)
{
    _moveDisplacement.reset();
    _windows.push_back(std::move(window));
}

void Stroke::setPoints(std::vector<PointWindow> windows)
{
    _moveDisplacement.reset();
    _windows = std::move(windows);
}

void Stroke::setMoveDisplacement(LinePoint displacement)
{
    _windows.clear();
    _moveDisplacement = displacement;
}

void Stroke::encodeWithCoder(plat::KeyedArchiver& coder) const
{
    plat::Array points;
    if (_moveDisplacement) {
        points.append(pointValue(*_moveDisplacement));
    } else {
        for (const auto& window : _windows) {
            plat::Array samples;
            for (const auto& sample : window)
                samples.append(pointValue(sample));
            points.append(plat::Value(samples));
        }
    }
    plat::Array velocities;
    for (float velocity : _velocities)
        velocities.append(plat::Value(static_cast<double>(velocity)));
    coder.encodeObject(plat::Value(points), "points");
    coder.encodeObject(plat::Value(velocities), "velocities");
    coder.encodeInt32(_type, "type");
    coder.encodeFloat(_red, "red");
    coder.encodeFloat(_green, "green");
    coder.encodeFloat(_blue, "blue");
    coder.encodeFloat(_alpha, "alpha");
    coder.encodeInt64(_brushSize, "brushSize");
    coder.encodePoint(_offset, "offset");
    if (_exactBrushSize)
        coder.encodeDouble(*_exactBrushSize, kExactBrushSizeKey);
}

}  // namespace zt
