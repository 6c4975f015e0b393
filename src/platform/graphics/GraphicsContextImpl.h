#pragma once
// The cairo side of GraphicsContext, shared by its source files only.
#include <cairo.h>
#include <memory>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"

namespace plat::detail {

struct CairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoDeleter>;
using CairoPatternPtr = std::unique_ptr<cairo_pattern_t, CairoDeleter>;

// A cairo surface that reads a bitmap's pixels: the bitmap itself when cairo
// can take its layout, else a BGRA copy that the surface owns.
struct BitmapSurface {
    CairoSurfacePtr surface;
    std::shared_ptr<const Bitmap> keepAlive;
};
BitmapSurface makeSourceSurface(std::shared_ptr<const Bitmap> bitmap);

}  // namespace plat::detail

namespace plat {

struct GraphicsContext::Impl {
    struct State {
        Color fill = Color::blackColor();
        Color stroke = Color::blackColor();
        double alpha = 1;
        BlendMode blendMode = BlendMode::Normal;
        InterpolationQuality quality = InterpolationQuality::Default;
        TextDrawingMode textMode = TextDrawingMode::Fill;
    };

    std::shared_ptr<Bitmap> pixels;
    detail::CairoSurfacePtr surface;
    detail::CairoPtr cr;  // null once takeImage has handed the pixels out
    double scale = 1;
    bool opaque = false;
    State state;
    std::vector<State> savedStates;
    std::shared_ptr<const Bitmap> patternPixels;  // behind the last pattern source set
    TextInk textInk = TextInk::AsAsked;  // see setTextInk
    std::function<void(const DrawnText&)> textListener;

    cairo_operator_t op() const;
    // Sets the source to the colour with the context's alpha; false for a
    // pattern colour under an alpha below 1, which needs a group.
    bool setSource(const Color& color);
    // Fills or strokes the current path with the colour (consuming it).
    void paintPath(const Color& color, bool stroke, cairo_fill_rule_t rule);
};

}  // namespace plat
