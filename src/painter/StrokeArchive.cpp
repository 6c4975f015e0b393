#include "painter/StrokeArchive.h"

#include <cmath>
#include <set>
#include <string>

#include "painter/Stroke.h"
#include "platform/foundation/KeyedArchive.h"

namespace zt {

namespace {

// A sample as it comes out of an archive, until its stroke takes it.
class DecodedLinePoint : public plat::Coding {
public:
    explicit DecodedLinePoint(LinePoint decoded)
        : point(decoded)
    {
    }
    std::string classNameForCoder() const override { return LinePoint::kClassName; }
    void encodeWithCoder(plat::KeyedArchiver& coder) const override { point.encodeWithCoder(coder); }

    LinePoint point;
};

plat::Error shapeError(const std::string& what)
{
    return plat::Error(
        StrokeArchive::kErrorDomain, StrokeArchive::kNotAStrokeArchive, "not a painter canvas archive: " + what);
}

bool isFinite(plat::Point point)
{
    return std::isfinite(point.x) && std::isfinite(point.y);
}

// No screen is larger, in points, on either side.
constexpr double kLargestCanvasEdge = 16384;

bool isCanvasSize(plat::Size size)
{
    return size.width >= 1 && size.width <= kLargestCanvasEdge && size.height >= 1 && size.height <= kLargestCanvasEdge;
}

std::shared_ptr<plat::Coding> decodeLinePoint(plat::KeyedUnarchiver& coder)
{
    const LinePoint point = LinePoint::initWithCoder(coder);
    if (!isFinite(point.pos()) || !std::isfinite(point.width())) {
        coder.failWithError(shapeError("a sample that is not a finite number"));
        return nullptr;
    }
    return std::make_shared<DecodedLinePoint>(point);
}

std::optional<LinePoint> linePointIn(const plat::Value& value)
{
    if (auto decoded = value.asObjectOf<DecodedLinePoint>())
        return decoded->point;
    return std::nullopt;
}

// Points are either windows (lists of samples) or one sample, for a move.
bool readPoints(const plat::Value& value, Stroke& stroke)
{
    if (value.isNull())
        return true;
    auto points = value.asArray();
    if (!points)
        return false;
    if (points->count() == 1) {
        if (auto displacement = linePointIn(points->at(0))) {
            stroke.setMoveDisplacement(*displacement);
            return true;
        }
    }
    for (const auto& element : *points) {
        auto samples = element.asArray();
        if (!samples)
            return false;
        PointWindow window;
        window.reserve(samples->count());
        for (const auto& sample : *samples) {
            auto point = linePointIn(sample);
            if (!point)
                return false;
            window.push_back(*point);
        }
        stroke.addWindow(std::move(window));
    }
    return true;
}

bool readVelocities(const plat::Value& value, Stroke& stroke)
{
    if (value.isNull())
        return true;
    auto list = value.asArray();
    if (!list)
        return false;
    std::vector<float> velocities;
    velocities.reserve(list->count());
    for (const auto& entry : *list) {
        auto number = entry.isNumber() ? entry.doubleValue() : std::nullopt;
        if (!number || !std::isfinite(*number))
            return false;
        velocities.push_back(static_cast<float>(*number));
    }
    stroke.setVelocities(std::move(velocities));
    return true;
}

std::shared_ptr<plat::Coding> decodeStroke(plat::KeyedUnarchiver& coder)
{
    auto stroke = std::make_shared<Stroke>();
    if (!readPoints(coder.decodeObjectForKey("points"), *stroke)) {
        coder.failWithError(shapeError("a stroke's points are not windows of samples nor one sample"));
        return nullptr;
    }
    if (!readVelocities(coder.decodeObjectForKey("velocities"), *stroke)) {
        coder.failWithError(shapeError("a stroke's velocities are not a list of finite numbers"));
        return nullptr;
    }
    stroke->setType(coder.decodeInt32ForKey("type"));
    stroke->setColor(coder.decodeFloatForKey("red"), coder.decodeFloatForKey("green"), coder.decodeFloatForKey("blue"),
        coder.decodeFloatForKey("alpha"));
    stroke->setBrushSize(coder.decodeInt64ForKey("brushSize"));
    stroke->setOffset(coder.decodePointForKey("offset"));
    const bool finiteColor = std::isfinite(stroke->red()) && std::isfinite(stroke->green())
        && std::isfinite(stroke->blue()) && std::isfinite(stroke->alpha());
    if (!finiteColor || !isFinite(stroke->offset())) {
        coder.failWithError(shapeError("a stroke's colour or offset is not a finite number"));
        return nullptr;
    }
    if (coder.containsValueForKey(Stroke::kExactBrushSizeKey)) {
        const double exact = coder.decodeDoubleForKey(Stroke::kExactBrushSizeKey);
        if (!(exact > 0 && exact < kLargestCanvasEdge)) {  // NaN fails too
            coder.failWithError(shapeError("a stroke's exact brush size is not the size of a brush"));
            return nullptr;
        }
        stroke->setExactBrushSize(exact);
    }
    return stroke;
}

}  // namespace

plat::Result<plat::Data> StrokeArchive::archivedDataWithStrokes(
    const StrokeList& strokes, std::optional<plat::Size> canvasSize)
{
    plat::Array root;
    for (const auto& stroke : strokes)
        root.append(plat::Value(stroke));
    if (!canvasSize)
        return plat::KeyedArchiver::archivedDataWithRootObject(plat::Value(root));
    return plat::KeyedArchiver::archivedDataWithRootObject(
        plat::Value(root), [&](plat::KeyedArchiver& coder) { coder.encodeSize(*canvasSize, kCanvasSizeKey); });
}

plat::Result<StrokeList> StrokeArchive::strokesWithData(const plat::Data& data)
{
    auto painted = paintedStrokesWithData(data);
    if (!painted.ok())
        return painted.error();
    return std::move(painted.value().strokes);
}

plat::Result<StrokeArchive::PaintedStrokes> StrokeArchive::paintedStrokesWithData(const plat::Data& data)
{
    static const plat::ClassTable classes {
        {Stroke::kClassName, &decodeStroke},
        {LinePoint::kClassName, &decodeLinePoint},
    };
    std::optional<plat::Size> canvasSize;
    auto root = plat::KeyedUnarchiver::unarchiveObjectWithData(data, classes, [&](plat::KeyedUnarchiver& coder) {
        if (!coder.containsValueForKey(kCanvasSizeKey))
            return;
        const plat::Size size = coder.decodeSizeForKey(kCanvasSizeKey);
        if (!isCanvasSize(size)) {
            coder.failWithError(shapeError("the canvas size is not the size of a canvas"));
            return;
        }
        canvasSize = size;
    });
    if (!root.ok())
        return plat::Error(
            kErrorDomain, kNotAStrokeArchive, "not a painter canvas archive: " + root.error().localizedDescription());
    auto list = root.value().asArray();
    if (!list)
        return shapeError("the root is not a list");
    StrokeList strokes;
    strokes.reserve(list->count());
    std::set<const Stroke*> seen;
    for (const auto& entry : *list) {
        auto stroke = entry.asObjectOf<Stroke>();
        if (!stroke)
            return shapeError("the list holds something other than strokes");
        // A record listed twice decodes as one object; moves shift each
        // stroke of the list once, so every entry gets its own.
        if (!seen.insert(stroke.get()).second)
            stroke = std::make_shared<Stroke>(*stroke);
        strokes.push_back(std::move(stroke));
    }
    return PaintedStrokes {std::move(strokes), canvasSize};
}

}  // namespace zt
