// Replaying 2,000 recorded strokes on the painting canvas (OpenGL ES 1.1 on
// llvmpipe): what undo, redo, a move or loading a frame's strokes costs.
// The reference draws exactly the same dabs with cairo: the same curve
// samples, each a tinted brush picture of the same size over what is there.
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <vector>

#include "BenchRatio.h"
#include "PainterTestSupport.h"
#include "painter/PainterBrush.h"
#include "painter/PaintingView.h"
#include "painter/Stroke.h"
#include "painter/StrokeArchive.h"
#include "platform/graphics/Image.h"

namespace {

constexpr int kStrokes = 2000;
constexpr int kWidth = 568;  // a phone's canvas
constexpr int kHeight = 320;

struct BrushUse {
    int32_t type;
    int64_t size;
};
constexpr BrushUse kUses[] = {{zt::kBrushTypeBrush, 2}, {zt::kBrushTypePen, 15}, {zt::kBrushTypeFountainPen, 10},
    {zt::kBrushTypePen, 15}, {zt::kBrushTypeEraser, 5}};

// Strokes as fingers make them: a few dozen samples a stroke, 4 to 12
// pixels apart, widths from a speed that changes smoothly.
zt::StrokeList makeStrokes()
{
    std::mt19937 random(25);
    std::uniform_real_distribution<double> unit(0, 1);
    zt::StrokeList strokes;
    for (int s = 0; s < kStrokes; ++s) {
        const BrushUse use = kUses[s % std::size(kUses)];
        auto stroke = std::make_shared<zt::Stroke>();
        stroke->setType(use.type);
        stroke->setBrushSize(use.size);
        stroke->setColor(float(unit(random)), float(unit(random)), float(unit(random)), 1);
        plat::Point at {unit(random) * kWidth, unit(random) * kHeight};
        double heading = unit(random) * 6.28;
        float width = 1 + float(unit(random)) * 4;
        zt::PointWindow buffer(3, zt::LinePoint(at, width));
        const int samples = 8 + int(unit(random) * 16);
        for (int i = 0; i < samples; ++i) {
            heading += (unit(random) - 0.5) * 0.8;
            const double step = 4 + unit(random) * 8;
            at = {at.x + std::cos(heading) * step, at.y + std::sin(heading) * step};
            width = std::clamp(width + float(unit(random) - 0.5f), 1.0f, 8.0f);
            buffer.emplace_back(at, width);
            stroke->addWindow(buffer);
            buffer.erase(buffer.begin(), buffer.end() - 2);
        }
        strokes.push_back(stroke);
    }
    return strokes;
}

const zt::StrokeList& strokes()
{
    static const zt::StrokeList made = makeStrokes();
    return made;
}

double brushSize(double width)
{
    return 2 * width;
}
double penSize(double)
{
    return 15;
}
double fountainPenSize(double width)
{
    return 10 - width > 3 ? 10 - width : 3;
}
double eraserSize(double width)
{
    return 5 * width;
}

void ReplayOnGL(benchmark::State& state)
{
    auto brushes = zt::test::makeBrushes();
    auto canvas = std::make_shared<zt::PaintingView>(plat::makeRect(0, 0, kWidth, kHeight));
    canvas->setBrushes(brushes);
    canvas->setNeedsLayout();
    canvas->layoutIfNeeded();
    auto archive = zt::StrokeArchive::archivedDataWithStrokes(strokes());
    if (!canvas->hasSurface() || !archive.ok() || !canvas->loadBufferData(archive.value()).ok()) {
        state.SkipWithError("no canvas");
        return;
    }
    for (auto _ : state) {
        canvas->replayBuffer();
        benchmark::DoNotOptimize(canvas->createImage());
    }
    state.SetItemsProcessed(state.iterations() * kStrokes);
}

void ReplayWithCairo(benchmark::State& state)
{
    auto brushes = zt::test::makeBrushes();
    for (auto _ : state) {
        zt::test::CairoStrokePainter painter {kWidth, kHeight};
        std::shared_ptr<const plat::Image> texture;
        for (const auto& stroke : strokes()) {
            using Dab = zt::test::CairoStrokePainter::Dab;
            switch (stroke->type()) {
            case zt::kBrushTypeBrush:
                texture = brushes[zt::kBrushTypeBrush]->image();
                painter.paintStroke(*stroke, texture.get(), Dab::Textured, brushSize);
                break;
            case zt::kBrushTypePen:
                texture = brushes[zt::kBrushTypePen]->image();
                painter.paintStroke(*stroke, texture.get(), Dab::Textured, penSize);
                break;
            case zt::kBrushTypeFountainPen:
                texture = brushes[zt::kBrushTypeFountainPen]->image();
                painter.paintStroke(*stroke, texture.get(), Dab::Textured, fountainPenSize);
                break;
            default:
                painter.paintStroke(*stroke, texture.get(), Dab::Erasing, eraserSize);
                break;
            }
        }
        benchmark::DoNotOptimize(painter.image());
    }
    state.SetItemsProcessed(state.iterations() * kStrokes);
}

}  // namespace

// llvmpipe rasterises on every core, cairo on the calling thread: the
// processor time of the whole process is compared beside the waiting.
BENCHMARK(ReplayOnGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(ReplayWithCairo)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
const zt::bench::Comparison kReplay("ReplayOnGL", "ReplayWithCairo");
const zt::bench::Comparison kReplayProcessorTime("ReplayOnGL", "ReplayWithCairo", zt::bench::Measure::CpuTime);
