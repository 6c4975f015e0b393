#include "PainterTestSupport.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstring>

#include "painter/PainterBrush.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace zt::test {

PainterBrushes makeBrushes()
{
    struct Made {
        int64_t type;
        int64_t size;
        const char* picture;
        plat::Color color;
    };
    const Made made[] = {
        {kBrushTypePen, 15, "Brush.png", plat::Color::colorWithRed(228 / 255.0, 73 / 255.0, 19 / 255.0, 1)},
        {kBrushTypeFountainPen, 10, "Brush.png", plat::Color::colorWithRed(253 / 255.0, 182 / 255.0, 50 / 255.0, 1)},
        {kBrushTypeBrush, 2, "Particle_test.png", plat::Color::colorWithRed(40 / 255.0, 127 / 255.0, 136 / 255.0, 1)},
        {kBrushTypeEraser, 5, nullptr, plat::Color::clearColor()},
    };
    PainterBrushes brushes;
    for (const auto& m : made) {
        auto brush = std::make_shared<PainterBrush>();
        brush->setType(m.type);
        brush->setSize(m.size);
        brush->setDefaultSize(m.size);
        brush->setColor(m.color);
        if (m.picture)
            brush->setImage(plat::Image::imageNamed(m.picture));
        brushes[m.type] = brush;
    }
    auto move = std::make_shared<PainterBrush>();
    move->setType(kBrushTypeMove);
    brushes[kBrushTypeMove] = move;
    return brushes;
}

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;

// A premultiplied ARGB32 copy of the picture's pixels.
SurfacePtr surfaceOf(const plat::Image& picture)
{
    const auto& bitmap = *picture.bitmap();
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height()));
    cairo_surface_flush(surface.get());
    uint8_t* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const uint8_t* p = bitmap.row(y) + x * 4;
            uint8_t* q = data + y * stride + x * 4;
            const bool bgra = bitmap.order() == plat::PixelOrder::BGRA;
            q[0] = bgra ? p[0] : p[2];
            q[1] = p[1];
            q[2] = bgra ? p[2] : p[0];
            q[3] = p[3];
        }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

}  // namespace

struct CairoStrokePainter::Impl {
    int width;
    int height;
    SurfacePtr surface;
    CairoPtr cr;
};

CairoStrokePainter::CairoStrokePainter(int width, int height)
    : _impl(std::make_unique<Impl>())
{
    _impl->width = width;
    _impl->height = height;
    _impl->surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    _impl->cr.reset(cairo_create(_impl->surface.get()));
}

CairoStrokePainter::~CairoStrokePainter() = default;

std::vector<LinePoint> CairoStrokePainter::curveThrough(const PointWindow& window)
{
    std::vector<LinePoint> curve;
    for (size_t i = 2; i < window.size(); ++i) {
        const auto& a = window[i - 2];
        const auto& b = window[i - 1];
        const auto& c = window[i];
        const double startX = (a.pos().x + b.pos().x) / 2;
        const double startY = (a.pos().y + b.pos().y) / 2;
        const double endX = (b.pos().x + c.pos().x) / 2;
        const double endY = (b.pos().y + c.pos().y) / 2;
        const double startWidth = (a.width() + b.width()) / 2;
        const double endWidth = (b.width() + c.width()) / 2;
        const double length = std::hypot(endX - startX, endY - startY);
        const int steps = std::min(128, std::max(32, static_cast<int>(length / 2)));
        for (int j = 0; j < steps; ++j) {
            const double t = double(j) / steps;
            const double s = 1 - t;
            curve.emplace_back(plat::Point {s * s * startX + 2 * s * t * b.pos().x + t * t * endX,
                                   s * s * startY + 2 * s * t * b.pos().y + t * t * endY},
                static_cast<float>(s * s * startWidth + 2 * s * t * b.width() + t * t * endWidth));
        }
        curve.emplace_back(plat::Point {endX, endY}, static_cast<float>(endWidth));
    }
    return curve;
}

void CairoStrokePainter::paintStroke(
    const Stroke& stroke, const plat::Image* texture, Dab kind, double (*sizeOfWidth)(double width), plat::Point offset)
{
    cairo_t* cr = _impl->cr.get();
    SurfacePtr dab = texture ? surfaceOf(*texture) : nullptr;
    for (const auto& window : stroke.points()) {
        for (const auto& sample : curveThrough(window)) {
            const double side = sizeOfWidth(sample.width());
            const double x = sample.pos().x + offset.x;
            // GL gives a pixel centre on the square's edge to the square
            // on its bottom side, cairo on its top: a nudge down agrees them.
            constexpr double kTieBreak = 1e-3;
            const double y = _impl->height - (sample.pos().y + offset.y) + kTieBreak;
            cairo_save(cr);
            if (kind == Dab::MaskSquare) {
                // A plain GL point: a whole number of pixels wide, its centre
                // snapped to a pixel centre (odd sides) or corner (even sides).
                const double whole = std::max(1.0, std::round(side));
                const bool odd = std::fmod(whole, 2.0) == 1.0;
                const double glX = sample.pos().x + offset.x;
                const double glY = sample.pos().y + offset.y;
                const double centreX = odd ? std::floor(glX) + 0.5 : std::floor(glX + 0.5);
                const double centreY = odd ? std::floor(glY) + 0.5 : std::floor(glY + 0.5);
                cairo_set_operator(cr, CAIRO_OPERATOR_DEST_OUT);
                cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
                cairo_rectangle(cr, centreX - whole / 2, _impl->height - (centreY + whole / 2), whole, whole);
                cairo_fill(cr);
                cairo_restore(cr);
                continue;
            }
            // GL fills the pixels whose centres the point's square covers.
            cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
            const double textureSide = cairo_image_surface_get_width(dab.get());
            cairo_translate(cr, x - side / 2, y - side / 2);
            cairo_scale(cr, side / textureSide, side / textureSide);
            cairo_rectangle(cr, 0, 0, textureSide, textureSide);
            cairo_clip(cr);
            if (kind == Dab::Erasing) {
                cairo_set_operator(cr, CAIRO_OPERATOR_DEST_OUT);
                cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
            } else {
                cairo_set_source_rgba(cr, stroke.red(), stroke.green(), stroke.blue(), stroke.alpha());
            }
            // As GL samples the brush texture: two by two texels, wrapping around.
            cairo_pattern_t* mask = cairo_pattern_create_for_surface(dab.get());
            cairo_pattern_set_filter(mask, CAIRO_FILTER_BILINEAR);
            cairo_pattern_set_extend(mask, CAIRO_EXTEND_REPEAT);
            cairo_mask(cr, mask);
            cairo_pattern_destroy(mask);
            cairo_restore(cr);
        }
    }
}

void CairoStrokePainter::paintPicture(const plat::Image& picture)
{
    cairo_t* cr = _impl->cr.get();
    SurfacePtr source = surfaceOf(picture);
    cairo_save(cr);
    cairo_scale(cr, double(_impl->width) / cairo_image_surface_get_width(source.get()),
        double(_impl->height) / cairo_image_surface_get_height(source.get()));
    cairo_set_source_surface(cr, source.get(), 0, 0);
    // As GL stretches a texture clamped to its edges.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
}

std::shared_ptr<plat::Image> CairoStrokePainter::image() const
{
    cairo_surface_flush(_impl->surface.get());
    auto bitmap = plat::Bitmap::allocate(_impl->width, _impl->height, plat::PixelOrder::BGRA);
    const uint8_t* data = cairo_image_surface_get_data(_impl->surface.get());
    const int stride = cairo_image_surface_get_stride(_impl->surface.get());
    for (int y = 0; y < _impl->height; ++y)
        std::memcpy(bitmap->mutableRow(y), data + y * stride, static_cast<size_t>(_impl->width) * 4);
    return plat::Image::imageWithBitmap(bitmap);
}

}  // namespace zt::test
