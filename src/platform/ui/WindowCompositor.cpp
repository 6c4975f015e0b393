#include "platform/ui/WindowCompositor.h"

#include <cmath>

#include "platform/graphics/GraphicsContextImpl.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayerRenderer.h"
#include "platform/ui/Window.h"

namespace plat::detail {

WindowCompositor::WindowCompositor(double scale)
    : _scale(scale > 0 ? scale : 1)
{
}

WindowCompositor::~WindowCompositor() = default;

std::vector<PixelRect> WindowCompositor::update(Window& window)
{
    window.layoutIfNeeded();
    Layer& root = *window.layer();
    const Rect bounds = root.bounds();
    const int width = static_cast<int>(std::ceil(bounds.width() * _scale - 1e-6));
    const int height = static_cast<int>(std::ceil(bounds.height() * _scale - 1e-6));
    if (width <= 0 || height <= 0)
        return {};
    if (!_context || _context->pixelWidth() != width || _context->pixelHeight() != height) {
        _context = GraphicsContext::bitmapContext(width, height, _scale, ContextOpacity::Opaque);
        _damage.forget();
        if (!_context)
            return {};
    }
    // One moment for measuring and drawing, so that moving layers land where the damage was measured.
    const double moment = currentMediaTime();
    LayerDamage::Look look = _damage.look(root, _scale, width, height, moment);
    _animating = look.animating;
    if (look.areas.empty())
        return {};

    GraphicsContext& context = *_context;
    cairo_t* cr = context.impl().cr.get();
    context.saveGState();
    context.beginPath();
    for (const PixelRect& area : look.areas)
        context.addRect(makeRect(area.x / _scale, area.y / _scale, area.width / _scale, area.height / _scale));
    context.clip();
    // Black beneath, as a fresh opaque picture starts.
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    LayerRenderer::renderInContext(root, context, moment);
    context.restoreGState();
    cairo_surface_flush(context.impl().surface.get());
    // Opaque whatever was drawn, as an opaque context's picture is.
    Bitmap& pixels = *context.impl().pixels;
    for (const PixelRect& area : look.areas)
        for (int y = area.y; y < area.maxY(); ++y) {
            uint8_t* row = pixels.mutableRow(y);
            for (int x = area.x; x < area.maxX(); ++x)
                row[x * 4 + 3] = 255;
        }
    cairo_surface_mark_dirty(context.impl().surface.get());
    return look.areas;
}

void WindowCompositor::forget()
{
    _damage.forget();
}

const Bitmap* WindowCompositor::picture() const
{
    return _context ? _context->impl().pixels.get() : nullptr;
}

}  // namespace plat::detail
