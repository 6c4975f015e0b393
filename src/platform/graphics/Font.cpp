#include "platform/graphics/Font.h"

#include <algorithm>
#include <cmath>
#include <pango/pangocairo.h>

#include "platform/graphics/FontFamilies.h"
#include "platform/graphics/TextLayout.h"

namespace plat {

namespace {

bool contains(const std::string& text, const char* word)
{
    return text.find(word) != std::string::npos;
}

}  // namespace

Font::Font(std::string fontName, std::string familyName, double pointSize, Weight weight, Slant slant)
    : _fontName(std::move(fontName))
    , _familyName(std::move(familyName))
    , _pointSize(pointSize > 0 ? pointSize : 12)
    , _weight(weight)
    , _slant(slant)
{
}

Font Font::systemFontOfSize(double pointSize)
{
    return Font("DejaVuSans", "DejaVu Sans", pointSize, Weight::Regular, Slant::Upright);
}

Font Font::boldSystemFontOfSize(double pointSize)
{
    return Font("DejaVuSans-Bold", "DejaVu Sans", pointSize, Weight::Bold, Slant::Upright);
}

Font Font::italicSystemFontOfSize(double pointSize)
{
    return Font("DejaVuSans-Oblique", "DejaVu Sans", pointSize, Weight::Regular, Slant::Italic);
}

Font Font::fontWithName(const std::string& fontName, double pointSize)
{
    std::string family = "DejaVu Sans";
    if (const detail::FontFamilyRecord* record = detail::familyOfFontName(fontName))
        family = record->standIn;
    else if (contains(fontName, "Courier") || contains(fontName, "Mono") || contains(fontName, "Menlo"))
        family = "DejaVu Sans Mono";
    else if (contains(fontName, "Times") || contains(fontName, "Georgia") || contains(fontName, "Serif"))
        family = "DejaVu Serif";
    Weight weight = Weight::Regular;
    // Marker Felt's wide face is its heavy one.
    if (contains(fontName, "Bold") || contains(fontName, "Heavy") || contains(fontName, "Black")
        || contains(fontName, "Wide"))
        weight = Weight::Bold;
    else if (contains(fontName, "Light") || contains(fontName, "Thin") || contains(fontName, "light"))
        weight = Weight::Light;
    Slant slant = contains(fontName, "Italic") || contains(fontName, "Oblique") ? Slant::Italic : Slant::Upright;
    return Font(fontName, family, pointSize, weight, slant);
}

Font Font::fontWithSize(double pointSize) const
{
    return Font(_fontName, _familyName, pointSize, _weight, _slant);
}

double Font::ascender() const
{
    return detail::fontMetrics(*this).ascender;
}

double Font::descender() const
{
    return -detail::fontMetrics(*this).descender;
}

double Font::lineHeight() const
{
    auto metrics = detail::fontMetrics(*this);
    return metrics.ascender + metrics.descender;
}

double Font::leading() const
{
    auto metrics = detail::fontMetrics(*this);
    return std::max(0.0, metrics.lineSpacing - metrics.ascender - metrics.descender);
}

Size sizeWithFont(const std::string& text, const Font& font)
{
    return sizeWithFont(text, font, {0, 0}, LineBreakMode::Clipping);
}

Size sizeWithFont(const std::string& text, const Font& font, Size constrainedSize, LineBreakMode lineBreakMode)
{
    detail::PangoContextPtr context = detail::makeMeasuringContext();
    detail::PangoLayoutPtr layout(pango_layout_new(context.get()));
    detail::configureLayout(layout.get(), text, font, constrainedSize, lineBreakMode, TextAlignment::Left);
    Size size = detail::layoutSize(layout.get());
    return {std::ceil(size.width), std::ceil(size.height)};
}

Size sizeOfSpacedText(const std::string& text, const Font& font, double letterSpacing)
{
    if (text.empty())
        return sizeWithFont(text, font);
    detail::PangoContextPtr context = detail::makeMeasuringContext();
    detail::PangoLayoutPtr layout(pango_layout_new(context.get()));
    detail::configureLayout(
        layout.get(), text, font, {0, 0}, LineBreakMode::Clipping, TextAlignment::Left, letterSpacing);
    // Pango puts the room only between letters; a page puts it after the last one too.
    Size size = detail::layoutSize(layout.get());
    return {std::ceil(size.width + letterSpacing), std::ceil(size.height)};
}

}  // namespace plat
