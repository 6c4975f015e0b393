#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "painter/LinePoint.h"
#include "platform/foundation/Coding.h"
#include "platform/foundation/Geometry.h"

namespace zt {

// A copy of the canvas's point buffer at one drawing step; replaying a
// stroke's windows in order redraws it exactly.
using PointWindow = std::vector<LinePoint>;

// Brush types, as brushes and strokes record them.
enum : int32_t {
    kBrushTypeEraser = 100,
    kBrushTypeBrush = 200,
    kBrushTypePen = 300,
    kBrushTypeFountainPen = 400,
    kBrushTypeMove = 500,
};

// One recorded stroke: brush type and colour when it began, its point
// windows (or, for a move, the move's displacement), the widths computed
// for its samples, the brush size and the offset that moves shift it by.
// Archived as a "Stroke" record (see StrokeArchive). Canvases share
// strokes between their undo and redo lists. Main queue.
class Stroke : public plat::Coding {
public:
    static constexpr const char* kClassName = "Stroke";
    // A recorded brush size outside these is not replayed: the brush's default size is.
    static constexpr int64_t kSmallestReplayedBrushSize = 1;
    static constexpr int64_t kLargestReplayedBrushSize = 99;

    int32_t type() const { return _type; }
    void setType(int32_t type) { _type = type; }
    float red() const { return _red; }
    float green() const { return _green; }
    float blue() const { return _blue; }
    float alpha() const { return _alpha; }
    void setColor(float red, float green, float blue, float alpha);

    // A drawing stroke's windows, in drawing order.
    const std::vector<PointWindow>& points() const { return _windows; }
    void addWindow(PointWindow window);
    void setPoints(std::vector<PointWindow> windows);
    // A move stroke holds one sample instead of windows: its position is the
    // move's displacement in view points.
    const std::optional<LinePoint>& moveDisplacement() const { return _moveDisplacement; }
    void setMoveDisplacement(LinePoint displacement);

    const std::vector<float>& velocities() const { return _velocities; }
    void setVelocities(std::vector<float> velocities) { _velocities = std::move(velocities); }
    int64_t brushSize() const { return _brushSize; }
    void setBrushSize(int64_t size) { _brushSize = size; }
    // A stroke fitted to a canvas of another size draws at a whole brush
    // size; the size with its fraction is kept beside it ("exactBrushSize",
    // which readers of brushSize alone pass by), so that fitting it back
    // gives the size it was painted at, however often it travels. None
    // while the size is whole.
    static constexpr const char* kExactBrushSizeKey = "exactBrushSize";
    std::optional<double> exactBrushSize() const { return _exactBrushSize; }
    void setExactBrushSize(std::optional<double> size) { _exactBrushSize = size; }
    plat::Point offset() const { return _offset; }
    void setOffset(plat::Point offset) { _offset = offset; }
    // Neither is set by a canvas nor archived.
    int64_t angle() const { return _angle; }
    void setAngle(int64_t angle) { _angle = angle; }
    const std::string& image() const { return _image; }
    void setImage(std::string image) { _image = std::move(image); }

    std::string classNameForCoder() const override { return kClassName; }
    void encodeWithCoder(plat::KeyedArchiver& coder) const override;

private:
    int32_t _type = 0;
    float _red = 0;
    float _green = 0;
    float _blue = 0;
    float _alpha = 0;
    std::vector<PointWindow> _windows;
    std::optional<LinePoint> _moveDisplacement;
    std::vector<float> _velocities;
    int64_t _brushSize = 0;
    std::optional<double> _exactBrushSize;
    plat::Point _offset;
    int64_t _angle = 0;
    std::string _image;
};

}  // namespace zt
