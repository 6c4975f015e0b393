// Rendering a tablet window of 200 views (plain and rounded views, labels,
// pictures, buttons) at the screen's scale, against the same rectangles
// filled straight into a cairo context, which is the least any drawing of
// that screen costs.
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <string>

#include "BenchRatio.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"

namespace {

constexpr int kViews = 200;
constexpr double kScale = 2;

plat::Rect cell(int i)
{
    // A grid of 20 x 10 cells of 51.2 x 76.8 points, each view inset in its cell.
    double w = 1024.0 / 20, h = 768.0 / 10;
    return plat::makeRect((i % 20) * w + 2, (i / 20) * h + 2, w - 4, h - 4);
}

std::shared_ptr<plat::Image> samplePicture()
{
    auto bitmap = plat::Bitmap::allocate(96, 96, plat::PixelOrder::BGRA);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) {
            uint8_t* p = bitmap->mutableRow(y) + x * 4;
            p[0] = static_cast<uint8_t>(x * 2);
            p[1] = static_cast<uint8_t>(y * 2);
            p[2] = 128;
            p[3] = 255;
        }
    bitmap->setOpaque(true);
    return plat::Image::imageWithBitmap(bitmap, 2);
}

std::shared_ptr<plat::Window> makeScreen()
{
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Pad));
    auto window = std::make_shared<plat::Window>();
    window->setBackgroundColor(plat::Color::colorWithWhite(0.1, 1));
    auto picture = samplePicture();
    for (int i = 0; i < kViews; ++i) {
        std::shared_ptr<plat::View> view;
        switch (i % 10) {
        case 0:
        case 1: {
            auto label = std::make_shared<plat::Label>(cell(i));
            label->setText("Frame " + std::to_string(i));
            label->setTextColor(plat::Color::whiteColor());
            view = label;
            break;
        }
        case 2:
        case 3: {
            auto image = std::make_shared<plat::ImageView>(cell(i));
            image->setImage(picture);
            image->setContentMode(plat::ContentMode::ScaleAspectFill);
            image->setClipsToBounds(true);
            view = image;
            break;
        }
        case 4: {
            auto button = plat::Button::buttonWithType(plat::ButtonType::System);
            button->setFrame(cell(i));
            button->setTitle("Play", plat::ControlStateNormal);
            view = button;
            break;
        }
        case 5:
        case 6:
            view = std::make_shared<plat::View>(cell(i));
            view->setBackgroundColor(plat::Color::colorWithRed(0.8, 0.1, 0.7, 1));
            view->layer()->setCornerRadius(6);
            view->layer()->setBorderWidth(1);
            view->layer()->setBorderColor(plat::Color::whiteColor());
            break;
        default:
            view = std::make_shared<plat::View>(cell(i));
            view->setBackgroundColor(plat::Color::colorWithHue((i % 37) / 37.0, 0.6, 0.9, 1));
            break;
        }
        window->addSubview(view);
    }
    window->makeKeyAndVisible();
    plat::RunLoop::main().drain();
    return window;
}

std::shared_ptr<plat::Image> fillRectangles()
{
    auto context = plat::GraphicsContext::bitmapContext(2048, 1536, kScale, plat::ContextOpacity::Opaque);
    context->setFillColor(plat::Color::colorWithWhite(0.1, 1));
    context->fillRect(plat::makeRect(0, 0, 1024, 768));
    for (int i = 0; i < kViews; ++i) {
        context->setFillColor(plat::Color::colorWithHue((i % 37) / 37.0, 0.6, 0.9, 1));
        context->fillRect(cell(i));
    }
    return context->takeImage();
}

void RenderWindowOf200Views(benchmark::State& state)
{
    auto window = makeScreen();
    benchmark::DoNotOptimize(plat::snapshotWindow(*window, kScale));  // first render draws the labels once
    for (auto _ : state)
        benchmark::DoNotOptimize(plat::snapshotWindow(*window, kScale));
    state.counters["views"] = kViews;
}

void FillSameRectanglesWithCairo(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(fillRectangles());
}

const zt::bench::Comparison kRender("RenderWindowOf200Views", "FillSameRectanglesWithCairo");

}  // namespace

BENCHMARK(RenderWindowOf200Views)->Unit(benchmark::kMillisecond);
BENCHMARK(FillSameRectanglesWithCairo)->Unit(benchmark::kMillisecond);
