#include "platform/graphics/TextLayout.h"

#include <cmath>
#include <vector>

#include "platform/foundation/Text.h"
#include "platform/graphics/FontFamilies.h"

namespace plat::detail {

namespace {

struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionDeleter>;

struct AttributeListDeleter {
    void operator()(PangoAttrList* attributes) const { pango_attr_list_unref(attributes); }
};

struct FontMetricsDeleter {
    void operator()(PangoFontMetrics* metrics) const { pango_font_metrics_unref(metrics); }
};

FontDescriptionPtr describe(const Font& font)
{
    FontDescriptionPtr description(pango_font_description_new());
    pango_font_description_set_family(description.get(), font.familyName().c_str());
    // Absolute: one point of the platform is one unit of user space, whatever pango's resolution.
    pango_font_description_set_absolute_size(description.get(), font.pointSize() * PANGO_SCALE);
    // The light names ask for weight 200: DejaVu Sans has that face; other families give their nearest.
    PangoWeight weight = font.weight() == Font::Weight::Bold ? PANGO_WEIGHT_BOLD
        : font.weight() == Font::Weight::Light               ? PANGO_WEIGHT_ULTRALIGHT
                                                             : PANGO_WEIGHT_NORMAL;
    pango_font_description_set_weight(description.get(), weight);
    pango_font_description_set_style(
        description.get(), font.slant() == Font::Slant::Italic ? PANGO_STYLE_OBLIQUE : PANGO_STYLE_NORMAL);
    return description;
}

using AttributeListPtr = std::unique_ptr<PangoAttrList, AttributeListDeleter>;

// Text positions in pango's log attributes (characters) and in the text (bytes).
struct TextRun {
    int startOffset;
    int endOffset;
};

int byteIndexOf(const char* text, int offset)
{
    return static_cast<int>(g_utf8_offset_to_pointer(text, offset) - text);
}

// The runs without a break opportunity that pango had to cut inside to fit
// them on a line: the line after the cut starts where no break was allowed.
std::vector<TextRun> cutRuns(PangoLayout* layout)
{
    const char* text = pango_layout_get_text(layout);
    int attributeCount = 0;
    const PangoLogAttr* attributes = pango_layout_get_log_attrs_readonly(layout, &attributeCount);
    const int end = attributeCount - 1;  // one past the last character
    std::vector<TextRun> runs;
    GSList* lines = pango_layout_get_lines_readonly(layout);
    for (GSList* line = lines ? lines->next : nullptr; line; line = line->next) {
        const auto* laidOut = static_cast<const PangoLayoutLine*>(line->data);
        const int cut = static_cast<int>(g_utf8_pointer_to_offset(text, text + laidOut->start_index));
        if (cut <= 0 || cut >= end || attributes[cut].is_line_break)
            continue;
        int start = cut;
        while (start > 0 && !attributes[start].is_line_break)
            --start;
        if (!runs.empty() && runs.back().startOffset == start)
            continue;  // cut twice
        int stop = cut;
        while (stop < end && !attributes[stop].is_line_break)
            ++stop;
        runs.push_back({start, stop});
    }
    return runs;
}

// The parts of a run such as a file name: each word with the punctuation
// around it ("“com.", "quorvane.", "damaged”."); a part begins where a
// letter or digit follows punctuation.
std::vector<TextRun> partsOf(const char* text, TextRun run)
{
    std::vector<TextRun> parts;
    int partStart = run.startOffset;
    gunichar previous = 0;
    for (int offset = run.startOffset; offset < run.endOffset; ++offset) {
        const gunichar character = g_utf8_get_char(g_utf8_offset_to_pointer(text, offset));
        if (offset > partStart && g_unichar_isalnum(character) && !g_unichar_isalnum(previous)
            && !g_unichar_isspace(previous)) {
            parts.push_back({partStart, offset});
            partStart = offset;
        }
        previous = character;
    }
    parts.push_back({partStart, run.endOffset});
    return parts;
}

// Unwrapped, in the layout's font and with its room between letters.
double widthOfText(PangoLayout* layout, const char* text, TextRun part)
{
    PangoLayoutPtr measuring(pango_layout_new(pango_layout_get_context(layout)));
    pango_layout_set_font_description(measuring.get(), pango_layout_get_font_description(layout));
    pango_layout_set_attributes(measuring.get(), pango_layout_get_attributes(layout));
    const int start = byteIndexOf(text, part.startOffset);
    pango_layout_set_text(measuring.get(), text + start, byteIndexOf(text, part.endOffset) - start);
    PangoRectangle logical;
    pango_layout_get_extents(measuring.get(), nullptr, &logical);
    return static_cast<double>(logical.width) / PANGO_SCALE;
}

// Pango cuts a run too wide for a line anywhere, with a hyphen that is not
// in the text: a file name such as “com.quorvane.zantrope.plist.damaged”
// would read "dam-aged". Such a run breaks between its parts instead; only
// a part wider than a line is cut inside, and no hyphen is ever added.
void breakCutRunsBetweenParts(PangoLayout* layout, double width)
{
    const std::vector<TextRun> runs = cutRuns(layout);
    if (runs.empty())
        return;
    const char* text = pango_layout_get_text(layout);
    std::vector<TextRun> wholeParts;
    for (const TextRun& run : runs) {
        for (const TextRun& part : partsOf(text, run)) {
            if (widthOfText(layout, text, part) <= width)
                wholeParts.push_back(part);
        }
    }
    // A copy: given back the list it holds, changed in place, pango would see no change and keep its lines.
    PangoAttrList* held = pango_layout_get_attributes(layout);
    AttributeListPtr attributes(held ? pango_attr_list_copy(held) : pango_attr_list_new());
    for (const TextRun& part : wholeParts) {
        PangoAttribute* whole = pango_attr_allow_breaks_new(FALSE);
        whole->start_index = static_cast<guint>(byteIndexOf(text, part.startOffset));
        whole->end_index = static_cast<guint>(byteIndexOf(text, part.endOffset));
        pango_attr_list_insert(attributes.get(), whole);
    }
    pango_attr_list_insert(attributes.get(), pango_attr_insert_hyphens_new(FALSE));
    pango_layout_set_attributes(layout, attributes.get());
}

}  // namespace

void applyFontOptions(PangoContext* context)
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
}

PangoContextPtr makeMeasuringContext()
{
    // The default font map is per thread, so measuring is safe on any queue.
    PangoContextPtr context(pango_font_map_create_context(pango_cairo_font_map_get_default()));
    applyFontOptions(context.get());
    return context;
}

FontMetrics fontMetrics(const Font& font)
{
    PangoContextPtr context = makeMeasuringContext();
    auto description = describe(font);
    std::unique_ptr<PangoFontMetrics, FontMetricsDeleter> metrics(
        pango_context_get_metrics(context.get(), description.get(), nullptr));
    return {static_cast<double>(pango_font_metrics_get_ascent(metrics.get())) / PANGO_SCALE,
        static_cast<double>(pango_font_metrics_get_descent(metrics.get())) / PANGO_SCALE,
        static_cast<double>(pango_font_metrics_get_height(metrics.get())) / PANGO_SCALE};
}

void configureLayout(PangoLayout* layout, const std::string& text, const Font& font, Size constrainedSize,
    LineBreakMode lineBreakMode, TextAlignment alignment, double letterSpacing)
{
    auto description = describe(font);
    pango_layout_set_font_description(layout, description.get());
    // Pango ends the text at a NUL whatever the length: one shows as U+FFFD
    // instead, so that nothing after it is lost.
    if (text.find('\0') == std::string::npos) {
        pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    } else {
        const std::string shown = replacingOccurrences(text, std::string_view("\0", 1), "\xEF\xBF\xBD");
        pango_layout_set_text(layout, shown.c_str(), static_cast<int>(shown.size()));
    }
    if (letterSpacing != 0) {
        // Pango adds the room between letters only: the first letter stays at the line's start.
        AttributeListPtr attributes(pango_attr_list_new());
        pango_attr_list_insert(attributes.get(),
            pango_attr_letter_spacing_new(static_cast<int>(std::lround(letterSpacing * PANGO_SCALE))));
        pango_layout_set_attributes(layout, attributes.get());
    }
    bool limitedWidth = constrainedSize.width > 0;
    bool wraps = lineBreakMode == LineBreakMode::WordWrapping || lineBreakMode == LineBreakMode::CharWrapping
        || lineBreakMode == LineBreakMode::TruncatingHead || lineBreakMode == LineBreakMode::TruncatingTail
        || lineBreakMode == LineBreakMode::TruncatingMiddle;
    pango_layout_set_width(layout, limitedWidth && wraps ? static_cast<int>(constrainedSize.width * PANGO_SCALE) : -1);
    pango_layout_set_wrap(
        layout, lineBreakMode == LineBreakMode::CharWrapping ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    PangoEllipsizeMode ellipsis = PANGO_ELLIPSIZE_NONE;
    if (lineBreakMode == LineBreakMode::TruncatingHead)
        ellipsis = PANGO_ELLIPSIZE_START;
    else if (lineBreakMode == LineBreakMode::TruncatingTail)
        ellipsis = PANGO_ELLIPSIZE_END;
    else if (lineBreakMode == LineBreakMode::TruncatingMiddle)
        ellipsis = PANGO_ELLIPSIZE_MIDDLE;
    pango_layout_set_ellipsize(layout, limitedWidth ? ellipsis : PANGO_ELLIPSIZE_NONE);
    if (constrainedSize.height > 0 && ellipsis != PANGO_ELLIPSIZE_NONE)
        pango_layout_set_height(layout, static_cast<int>(constrainedSize.height * PANGO_SCALE));
    pango_layout_set_alignment(layout,
        alignment == TextAlignment::Center      ? PANGO_ALIGN_CENTER
            : alignment == TextAlignment::Right ? PANGO_ALIGN_RIGHT
                                                : PANGO_ALIGN_LEFT);
    if (limitedWidth && wraps && lineBreakMode != LineBreakMode::CharWrapping)
        breakCutRunsBetweenParts(layout, constrainedSize.width);
}

DrawingFace drawingFaceOf(const Font& font)
{
    PangoContextPtr context = makeMeasuringContext();
    auto description = describe(font);
    PangoFont* loaded = pango_context_load_font(context.get(), description.get());
    if (!loaded)
        return {};
    DrawingFace face;
    FontDescriptionPtr loadedDescription(pango_font_describe(loaded));
    if (const char* family = pango_font_description_get_family(loadedDescription.get()))
        face.family = family;
    if (PangoFontFace* fontFace = pango_font_get_face(loaded))
        face.monospace = pango_font_family_is_monospace(pango_font_face_get_family(fontFace));
    g_object_unref(loaded);
    return face;
}

Size layoutSize(PangoLayout* layout)
{
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return {static_cast<double>(logical.width) / PANGO_SCALE, static_cast<double>(logical.height) / PANGO_SCALE};
}

}  // namespace plat::detail
