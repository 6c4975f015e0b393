// Text drawing of GraphicsContext, through pango.
#include <algorithm>
#include <cmath>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GraphicsContextImpl.h"
#include "platform/graphics/TextLayout.h"

namespace plat {

namespace {

// The bounding box, in device pixels, of a rectangle of user space.
Rect deviceArea(cairo_t* c, Rect rect)
{
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (Point corner : {Point {rect.minX(), rect.minY()}, Point {rect.maxX(), rect.minY()},
             Point {rect.minX(), rect.maxY()}, Point {rect.maxX(), rect.maxY()}}) {
        cairo_user_to_device(c, &corner.x, &corner.y);
        left = std::min(left, corner.x);
        top = std::min(top, corner.y);
        right = std::max(right, corner.x);
        bottom = std::max(bottom, corner.y);
    }
    return {{left, top}, {right - left, bottom - top}};
}

// Hands a text to the listener: where its glyphs go.
void reportText(GraphicsContext::Impl& impl, PangoLayout* layout, const std::string& text, Point origin, Rect clip,
    const Font& font)
{
    PangoRectangle ink;
    pango_layout_get_pixel_extents(layout, &ink, nullptr);
    const Rect glyphs {{origin.x + ink.x, origin.y + ink.y}, {double(ink.width), double(ink.height)}};
    // The context's own clip cuts the text too (a view's bounds).
    double clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
    cairo_clip_extents(impl.cr.get(), &clipLeft, &clipTop, &clipRight, &clipBottom);
    const double left = std::max({glyphs.minX(), clip.minX(), clipLeft});
    const double top = std::max({glyphs.minY(), clip.minY(), clipTop});
    const double right = std::min({glyphs.maxX(), clip.maxX(), clipRight});
    const double bottom = std::min({glyphs.maxY(), clip.maxY(), clipBottom});
    if (right <= left || bottom <= top)
        return;
    const Color& color = impl.state.textMode == TextDrawingMode::Stroke ? impl.state.stroke : impl.state.fill;
    impl.textListener(
        DrawnText {text, font, color, deviceArea(impl.cr.get(), {{left, top}, {right - left, bottom - top}})});
}

// True when the text as asked would draw nothing a person sees (a shadow
// kept clear): it is no shape to ink.
bool isClear(const GraphicsContext::Impl& impl, TextDrawingMode mode)
{
    const Color& color = mode == TextDrawingMode::Stroke ? impl.state.stroke : impl.state.fill;
    return color.alpha() * impl.state.alpha <= 0 && !color.patternImage();
}

// Fills, strokes or both, as the mode says, in the current clip.
void drawLayout(GraphicsContext::Impl& impl, PangoLayout* layout, Point origin, TextDrawingMode mode)
{
    cairo_t* c = impl.cr.get();
    if (mode == TextDrawingMode::Fill || mode == TextDrawingMode::FillStroke) {
        cairo_move_to(c, origin.x, origin.y);
        if (impl.setSource(impl.state.fill)) {
            cairo_set_operator(c, impl.op());
            pango_cairo_show_layout(c, layout);
        } else {
            cairo_push_group(c);
            pango_cairo_show_layout(c, layout);
            cairo_pop_group_to_source(c);
            cairo_set_operator(c, impl.op());
            cairo_paint_with_alpha(c, impl.state.alpha);
        }
    }
    if (mode == TextDrawingMode::Stroke || mode == TextDrawingMode::FillStroke) {
        cairo_new_path(c);
        cairo_move_to(c, origin.x, origin.y);
        pango_cairo_layout_path(c, layout);
        impl.paintPath(impl.state.stroke, /*stroke=*/true, CAIRO_FILL_RULE_WINDING);
    }
}

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
    const TextDrawingMode mode = impl.state.textMode;
    if (impl.textInk != TextInk::AsAsked && mode != TextDrawingMode::Invisible && impl.textListener)
        reportText(impl, layout.get(), text, {x, rect.minY()}, rect, font);
    if (impl.textInk != TextInk::LeftOut) {
        cairo_save(c);
        cairo_new_path(c);
        cairo_rectangle(c, rect.minX(), rect.minY(), rect.width(), rect.height());
        cairo_clip(c);
        if (impl.textInk == TextInk::AsAsked) {
            drawLayout(impl, layout.get(), {x, rect.minY()}, mode);
        } else if (mode != TextDrawingMode::Invisible && !isClear(impl, mode)) {
            // The shapes alone: one opaque ink for fill and outline.
            const GraphicsContext::Impl::State asked = impl.state;
            impl.state.fill = impl.state.stroke
                = impl.textInk == TextInk::Black ? Color::blackColor() : Color::whiteColor();
            impl.state.alpha = 1;
            drawLayout(impl, layout.get(), {x, rect.minY()}, mode);
            impl.state = asked;
        }
        cairo_restore(c);
    }
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

void GraphicsContext::setTextInk(TextInk ink, std::function<void(const DrawnText&)> listener)
{
    _impl->textInk = ink;
    _impl->textListener = std::move(listener);
}

}  // namespace plat
