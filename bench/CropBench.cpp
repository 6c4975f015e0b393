// Cropping a 1920 x 1080 picture zoomed (and turned) under the crop band
// into a 1920-pixel output, against cairo painting the same pixels through
// the same matrix into a surface of the same size, which is the least such
// a crop costs.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <numbers>

#include "BenchRatio.h"
#include "editor/QVImageEditorRendering.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
const plat::Rect kCrop = plat::makeRect(0, 0.25, 568, 319.5);
const plat::Size kViewSize {568, 319.5};

std::shared_ptr<plat::Image> samplePicture()
{
    auto bitmap = plat::Bitmap::allocate(kWidth, kHeight, plat::PixelOrder::BGRA);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = bitmap->mutableRow(y) + x * 4;
            p[0] = static_cast<uint8_t>(x / 8);
            p[1] = static_cast<uint8_t>(y / 5);
            p[2] = static_cast<uint8_t>((x ^ y) & 0xff);
            p[3] = 255;
        }
    bitmap->setOpaque(true);
    return plat::Image::imageWithBitmap(bitmap);
}

plat::AffineTransform editTransform(bool turned)
{
    plat::AffineTransform zoom = plat::AffineTransform::makeScale(1.5, 1.5);
    return turned
        ? plat::AffineTransform::concat(zoom, plat::AffineTransform::makeRotation(10 * std::numbers::pi / 180))
        : zoom;
}

void cropWithCairo(const plat::Image& source, const plat::AffineTransform& t)
{
    const plat::Bitmap& bitmap = *source.bitmap();
    cairo_surface_t* input = cairo_image_surface_create_for_data(const_cast<unsigned char*>(bitmap.bytes()),
        CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height(), static_cast<int>(bitmap.bytesPerRow()));
    double outputHeight = kWidth * kCrop.height() / kCrop.width();
    cairo_surface_t* output = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, static_cast<int>(outputHeight));
    cairo_t* cr = cairo_create(output);
    cairo_scale(cr, kWidth / kCrop.width(), outputHeight / kCrop.height());
    cairo_translate(cr, kCrop.width() / 2, kCrop.height() / 2);
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(cr, &matrix);
    cairo_translate(cr, -kViewSize.width / 2, -kViewSize.height / 2);
    cairo_scale(cr, kViewSize.width / kWidth, kViewSize.height / kHeight);
    cairo_set_source_surface(cr, input, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_surface_flush(output);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(output));
    cairo_destroy(cr);
    cairo_surface_destroy(output);
    cairo_surface_destroy(input);
}

void CropZoomed(benchmark::State& state)
{
    auto source = samplePicture();
    for (auto _ : state)
        benchmark::DoNotOptimize(zt::newTransformedImage(editTransform(false), *source, kWidth, kCrop, kViewSize));
}

void CropZoomedWithCairo(benchmark::State& state)
{
    auto source = samplePicture();
    for (auto _ : state)
        cropWithCairo(*source, editTransform(false));
}

void CropTurned(benchmark::State& state)
{
    auto source = samplePicture();
    for (auto _ : state)
        benchmark::DoNotOptimize(zt::newTransformedImage(editTransform(true), *source, kWidth, kCrop, kViewSize));
}

void CropTurnedWithCairo(benchmark::State& state)
{
    auto source = samplePicture();
    for (auto _ : state)
        cropWithCairo(*source, editTransform(true));
}

const zt::bench::Comparison kZoomed("CropZoomed", "CropZoomedWithCairo");
const zt::bench::Comparison kTurned("CropTurned", "CropTurnedWithCairo");

}  // namespace

BENCHMARK(CropZoomed)->Unit(benchmark::kMillisecond);
BENCHMARK(CropZoomedWithCairo)->Unit(benchmark::kMillisecond);
BENCHMARK(CropTurned)->Unit(benchmark::kMillisecond);
BENCHMARK(CropTurnedWithCairo)->Unit(benchmark::kMillisecond);
