#pragma once
// Pango helpers shared by Font and GraphicsContext.
#include <memory>
#include <pango/pangocairo.h>
#include <string>

#include "platform/graphics/Font.h"

namespace plat::detail {

struct GObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};
using PangoContextPtr = std::unique_ptr<PangoContext, GObjectDeleter>;
using PangoLayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;

struct FontMetrics {
    double ascender = 0;
    double descender = 0;  // positive, below the baseline
    double lineSpacing = 0;  // from baseline to baseline, the leading included
};

// A context for measuring without a surface. Text is laid out without hinted
// metrics, so sizes do not depend on the device's pixels.
PangoContextPtr makeMeasuringContext();
void applyFontOptions(PangoContext* context);
FontMetrics fontMetrics(const Font& font);

// Sets text, font, width (a width of 0 or less: unlimited), wrapping,
// ellipsis, alignment and the room added between letters, in points.
// Heights above 0 limit the lines; the last one is ellipsized in the
// truncating modes.
void configureLayout(PangoLayout* layout, const std::string& text, const Font& font, Size constrainedSize,
    LineBreakMode lineBreakMode, TextAlignment alignment, double letterSpacing = 0);
// The logical extents, in points.
Size layoutSize(PangoLayout* layout);

}  // namespace plat::detail
