// Text drawing of GraphicsContext, through pango.
#include <algorithm>
#include <cmath>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GraphicsContextImpl.h"
#include "platform/graphics/TextLayout.h"

namespace plat {

namespace {

Size drawLaidOutText(GraphicsContext::Impl& impl, const std::string& text, Rect rect, const Font& font,
    LineBreakMode lineBreakMode, TextAlignment alignment, double letterSpacing)
{
    if (!impl.cr)
        return {};
    cairo_t* c = impl.cr.get();
    detail::PangoLayoutPtr layout(pango_cairo_create_layout(c));
    detail::applyFontOptions(pango_layout_get_context(layout.get()));
    pango_layout_context_changed(layout.get());
    detail::configureLayout(layout.get(), text, font, rect.size, lineBreakMode, alignment, letterSpacing);
    Size used = detail::layoutSize(layout.get());
    double x = rect.minX();
    if (lineBreakMode == LineBreakMode::Clipping) {
        // Unwrapped text has no layout width to align in: place the block by hand.
        if (alignment == TextAlignment::Center)
            x += (rect.width() - used.width) / 2;
        else if (alignment == TextAlignment::Right)
            x += rect.width() - used.width;
    }
    cairo_save(c);
    cairo_new_path(c);
    cairo_rectangle(c, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(c);
    const TextDrawingMode mode = impl.state.textMode;
    if (mode == TextDrawingMode::Fill || mode == TextDrawingMode::FillStroke) {
        cairo_move_to(c, x, rect.minY());
        if (impl.setSource(impl.state.fill)) {
            cairo_set_operator(c, impl.op());
            pango_cairo_show_layout(c, layout.get());
        } else {
            cairo_push_group(c);
            pango_cairo_show_layout(c, layout.get());
            cairo_pop_group_to_source(c);
            cairo_set_operator(c, impl.op());
            cairo_paint_with_alpha(c, impl.state.alpha);
        }
    }
    if (mode == TextDrawingMode::Stroke || mode == TextDrawingMode::FillStroke) {
        cairo_new_path(c);
        cairo_move_to(c, x, rect.minY());
        pango_cairo_layout_path(c, layout.get());
        impl.paintPath(impl.state.stroke, /*stroke=*/true, CAIRO_FILL_RULE_WINDING);
    }
    cairo_restore(c);
    return {std::ceil(std::min(used.width, rect.width())), std::ceil(std::min(used.height, rect.height()))};
}

}  // namespace

Size GraphicsContext::drawText(
    const std::string& text, Rect rect, const Font& font, LineBreakMode lineBreakMode, TextAlignment alignment)
{
    return drawLaidOutText(*_impl, text, rect, font, lineBreakMode, alignment, /*letterSpacing=*/0);
}

Size GraphicsContext::drawText(const std::string& text, Point point, const Font& font)
{
    Size size = sizeWithFont(text, font);
    return drawText(text, {point, size}, font, LineBreakMode::Clipping, TextAlignment::Left);
}

Size GraphicsContext::drawSpacedText(const std::string& text, Point point, const Font& font, double letterSpacing)
{
    Size size = sizeOfSpacedText(text, font, letterSpacing);
    // Spacing below 0 pulls the line's end in over its last letter: keep that letter whole.
    Rect room {point, {size.width + std::max(0.0, -letterSpacing), size.height}};
    Size drawn = drawLaidOutText(*_impl, text, room, font, LineBreakMode::Clipping, TextAlignment::Left, letterSpacing);
    return {size.width, drawn.height};
}

}  // namespace plat
