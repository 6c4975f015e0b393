#include "platform/ui/web/HTMLDocumentContainer.h"

#include <algorithm>
#include <cmath>
#include <glib.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/FontFamilies.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/web/LetterSpacing.h"

namespace plat::detail {

const char* const kMasterStyleSheet = R"css(
html { display: block; position: relative; }
head, style, script, title, meta, link, base, template { display: none; }
body { display: block; margin: 8px; }
div, p, center, header, footer, section, article, aside, nav, main, address, blockquote,
h1, h2, h3, h4, h5, h6, ul, ol, dl, dt, dd, hr, pre, form, figure, figcaption { display: block; }
p, blockquote, ul, ol, dl, pre, figure { margin-top: 1em; margin-bottom: 1em; }
h1 { font-size: 2em; font-weight: bold; margin-top: 0.67em; margin-bottom: 0.67em; }
h2 { font-size: 1.5em; font-weight: bold; margin-top: 0.83em; margin-bottom: 0.83em; }
h3 { font-size: 1.17em; font-weight: bold; margin-top: 1em; margin-bottom: 1em; }
h4, h5, h6 { font-weight: bold; margin-top: 1.33em; margin-bottom: 1.33em; }
b, strong, th { font-weight: bold; }
i, em, cite, var, address { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
small { font-size: 0.83em; }
big { font-size: 1.17em; }
sub, sup { font-size: 0.83em; }
center { text-align: center; }
pre, code, tt, kbd, samp { font-family: monospace; }
pre { white-space: pre; }
ul, ol { padding-left: 40px; }
ul { list-style-type: disc; }
ol { list-style-type: decimal; }
li { display: list-item; }
hr { border-style: inset; border-width: 1px; margin-top: 0.5em; margin-bottom: 0.5em; }
img { display: inline-block; }
br { display: block; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; }
tbody { display: table-row-group; }
tfoot { display: table-footer-group; }
tr { display: table-row; }
td, th { display: table-cell; padding: 1px; vertical-align: inherit; }
a { color: #0000ee; text-decoration: underline; }
)css";

namespace {

constexpr int kDefaultFontSize = 16;
constexpr const char* kDefaultFontFamily = "Helvetica";
constexpr double kPixelsPerPoint = 96.0 / 72.0;

Color colorOf(const litehtml::web_color& color)
{
    return Color::colorWithRed(color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

Rect rectOf(const litehtml::position& position)
{
    return makeRect(position.x, position.y, position.width, position.height);
}

std::string trimmed(std::string text)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '"' || c == '\''; };
    while (!text.empty() && isBlank(text.front()))
        text.erase(text.begin());
    while (!text.empty() && isBlank(text.back()))
        text.pop_back();
    return text;
}

std::string lowercased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The device's family for a CSS font-family list, as a browser on the
// device picks it: the first family the device has, or the generic
// families by their usual faces; none of them, the default.
std::string deviceFamilyOf(const std::string& faceNames)
{
    size_t start = 0;
    while (start <= faceNames.size()) {
        size_t end = std::min(faceNames.find(',', start), faceNames.size());
        std::string family = trimmed(faceNames.substr(start, end - start));
        start = end + 1;
        std::string lower = lowercased(family);
        if (lower == "serif")
            return "Times New Roman";
        if (lower == "monospace")
            return "Courier";
        if (lower == "sans-serif" || lower == "cursive" || lower == "fantasy")
            return "Helvetica";
        // litehtml's font shorthand drops the spaces inside a family's name.
        if (const FontFamilyRecord* record = familyNamed(family))
            return record->name;
    }
    return kDefaultFontFamily;
}

// A name whose family and style words the font stand-in reads ("Georgia Bold Italic").
std::string platformFontName(const std::string& faceNames, int weight, litehtml::font_style style)
{
    std::string name = deviceFamilyOf(faceNames);
    if (weight >= 600)
        name += " Bold";
    else if (weight <= 300)
        name += " Light";
    if (style == litehtml::fontStyleItalic)
        name += " Italic";
    return name;
}

std::string transformed(const std::string& text, gchar* (*change)(const gchar*, gssize))
{
    gchar* result = change(text.c_str(), static_cast<gssize>(text.size()));
    std::string changed = result ? result : text;
    g_free(result);
    return changed;
}

}  // namespace

HTMLDocumentContainer::HTMLDocumentContainer(WebResourceLocator locator, std::optional<URL> baseURL)
    : _locator(std::move(locator))
    , _baseURL(std::move(baseURL))
{
}

litehtml::uint_ptr HTMLDocumentContainer::create_font(const litehtml::tchar_t* faceName, int size, int weight,
    litehtml::font_style italic, unsigned int decoration, litehtml::font_metrics* fm)
{
    SpacedFamilies families = takeLetterSpacing(faceName ? faceName : "");
    Font font = Font::fontWithName(platformFontName(families.families, weight, italic), size);
    // A browser's normal line height holds the font's leading, half above
    // the letters and half below.
    const int ascent = static_cast<int>(std::lround(font.ascender()));
    const int descent = static_cast<int>(std::lround(-font.descender()));
    const int leading = static_cast<int>(std::lround(font.leading()));
    const int ascentWithLeading = ascent + leading / 2;
    FontEntry entry {font, decoration, double(ascentWithLeading), families.letterSpacing};
    if (fm) {
        fm->ascent = ascentWithLeading;
        fm->descent = descent + (leading - leading / 2);
        fm->height = fm->ascent + fm->descent;
        fm->x_height = static_cast<int>(std::lround(size * 0.52));
        fm->draw_spaces = decoration != litehtml::font_decoration_none;
    }
    _fonts.push_back(std::move(entry));
    return _fonts.size();
}

void HTMLDocumentContainer::delete_font(litehtml::uint_ptr)
{
    // Handles are indexes; the fonts go with the container.
}

const HTMLDocumentContainer::FontEntry* HTMLDocumentContainer::fontFor(litehtml::uint_ptr hFont) const
{
    if (hFont == 0 || hFont > _fonts.size())
        return nullptr;
    return &_fonts[hFont - 1];
}

int HTMLDocumentContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont)
{
    const FontEntry* entry = fontFor(hFont);
    if (!entry || !text || !*text)
        return 0;
    // Nearest, not up: a line's words are measured one by one and their errors should not add up.
    return static_cast<int>(std::lround(sizeOfSpacedText(text, entry->font, entry->letterSpacing).width));
}

template <typename Draw> void HTMLDocumentContainer::drawClipped(Draw&& draw)
{
    if (!_context)
        return;
    _context->saveGState();
    for (const Rect& clip : _clips)
        _context->clipToRect(clip);
    draw(*_context);
    _context->restoreGState();
}

void HTMLDocumentContainer::draw_text(litehtml::uint_ptr, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
    litehtml::web_color color, const litehtml::position& pos)
{
    const FontEntry* entry = fontFor(hFont);
    if (!entry || !text || !*text)
        return;
    drawClipped([&](GraphicsContext& context) {
        context.setFillColor(colorOf(color));
        // The baseline lies the ascent (with half the leading) below the top of the text's box.
        Point origin {double(pos.x), pos.y + entry->ascent - entry->font.ascender()};
        Size used = context.drawSpacedText(text, origin, entry->font, entry->letterSpacing);
        double baseline = pos.y + entry->ascent;
        double thickness = std::max(1.0, entry->font.pointSize() / 16);
        if (entry->decoration & litehtml::font_decoration_underline)
            context.fillRect(makeRect(pos.x, baseline + thickness * 1.5, used.width, thickness));
        if (entry->decoration & litehtml::font_decoration_linethrough)
            context.fillRect(makeRect(pos.x, baseline - entry->font.ascender() * 0.3, used.width, thickness));
        if (entry->decoration & litehtml::font_decoration_overline)
            context.fillRect(makeRect(pos.x, pos.y, used.width, thickness));
    });
}

int HTMLDocumentContainer::pt_to_px(int pt) const
{
    return static_cast<int>(std::lround(pt * kPixelsPerPoint));
}

int HTMLDocumentContainer::get_default_font_size() const
{
    return kDefaultFontSize;
}

const litehtml::tchar_t* HTMLDocumentContainer::get_default_font_name() const
{
    return kDefaultFontFamily;
}

void HTMLDocumentContainer::draw_list_marker(litehtml::uint_ptr, const litehtml::list_marker& marker)
{
    if (marker.marker_type == litehtml::list_style_type_none)
        return;
    drawClipped([&](GraphicsContext& context) {
        Rect box = rectOf(marker.pos);
        context.setFillColor(colorOf(marker.color));
        context.setStrokeColor(colorOf(marker.color));
        if (marker.marker_type == litehtml::list_style_type_square)
            context.fillRect(box);
        else if (marker.marker_type == litehtml::list_style_type_circle)
            context.strokeEllipseInRect(box);
        else
            context.fillEllipseInRect(box);
    });
}

std::optional<URL> HTMLDocumentContainer::baseFor(const litehtml::tchar_t* baseurl) const
{
    if (baseurl && *baseurl) {
        if (auto base = URL::URLWithString(baseurl, _baseURL ? *_baseURL : _locator.folderURL()))
            return base;
    }
    return _baseURL;
}

std::shared_ptr<Image> HTMLDocumentContainer::imageFor(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl)
{
    if (!src || !*src)
        return nullptr;
    std::optional<URL> base = baseFor(baseurl);
    auto url = WebResourceLocator::resolve(src, base, _locator.folderURL());
    std::string key = url ? url->absoluteString() : std::string(src);
    if (auto found = _images.find(key); found != _images.end())
        return found->second;
    std::shared_ptr<Image> image;
    if (auto path = _locator.pathForReference(src, base))
        image = Image::imageWithContentsOfFile(*path);
    if (!image) {
        ++_refusedReferences;
        log("web view: no picture for {} (outside the bundle or unreadable)", key);
    }
    _images.emplace(key, image);
    return image;
}

void HTMLDocumentContainer::load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool)
{
    imageFor(src, baseurl);
}

void HTMLDocumentContainer::get_image_size(
    const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, litehtml::size& sz)
{
    if (auto image = imageFor(src, baseurl)) {
        Size size = image->size();
        sz.width = static_cast<int>(std::lround(size.width));
        sz.height = static_cast<int>(std::lround(size.height));
    } else {
        sz.width = 0;
        sz.height = 0;
    }
}

void HTMLDocumentContainer::draw_background(litehtml::uint_ptr, const litehtml::background_paint& bg)
{
    drawClipped([&](GraphicsContext& context) {
        Rect clip = rectOf(bg.clip_box);
        context.clipToRect(clip);
        if (bg.color.alpha > 0) {
            context.setFillColor(colorOf(bg.color));
            context.fillRect(clip);
        }
        if (bg.image.empty())
            return;
        auto image = imageFor(bg.image.c_str(), bg.baseurl.c_str());
        if (!image || bg.image_size.width <= 0 || bg.image_size.height <= 0)
            return;
        const double width = bg.image_size.width;
        const double height = bg.image_size.height;
        const bool repeatsX
            = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_x;
        const bool repeatsY
            = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_y;
        double startX = bg.position_x;
        double startY = bg.position_y;
        if (repeatsX)
            startX -= std::ceil((startX - clip.minX()) / width) * width;
        if (repeatsY)
            startY -= std::ceil((startY - clip.minY()) / height) * height;
        const double endX = repeatsX ? clip.maxX() : startX + 1;
        const double endY = repeatsY ? clip.maxY() : startY + 1;
        for (double y = startY; y < endY; y += height)
            for (double x = startX; x < endX; x += width)
                context.drawImage(*image, makeRect(x, y, width, height));
    });
}

void HTMLDocumentContainer::draw_borders(
    litehtml::uint_ptr, const litehtml::borders& borders, const litehtml::position& draw_pos, bool)
{
    auto visible = [](const litehtml::border& border) {
        return border.width > 0 && border.style != litehtml::border_style_none
            && border.style != litehtml::border_style_hidden && border.color.alpha > 0;
    };
    drawClipped([&](GraphicsContext& context) {
        Rect box = rectOf(draw_pos);
        if (visible(borders.top)) {
            context.setFillColor(colorOf(borders.top.color));
            context.fillRect(makeRect(box.minX(), box.minY(), box.width(), borders.top.width));
        }
        if (visible(borders.bottom)) {
            context.setFillColor(colorOf(borders.bottom.color));
            context.fillRect(
                makeRect(box.minX(), box.maxY() - borders.bottom.width, box.width(), borders.bottom.width));
        }
        if (visible(borders.left)) {
            context.setFillColor(colorOf(borders.left.color));
            context.fillRect(makeRect(box.minX(), box.minY(), borders.left.width, box.height()));
        }
        if (visible(borders.right)) {
            context.setFillColor(colorOf(borders.right.color));
            context.fillRect(makeRect(box.maxX() - borders.right.width, box.minY(), borders.right.width, box.height()));
        }
    });
}

void HTMLDocumentContainer::set_caption(const litehtml::tchar_t*) { }

void HTMLDocumentContainer::set_base_url(const litehtml::tchar_t* base_url)
{
    // A page's <base href>: later references resolve against it, and the
    // locator still refuses whatever lies outside the folder.
    if (auto base = baseFor(base_url))
        _baseURL = base;
}

void HTMLDocumentContainer::link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) { }

void HTMLDocumentContainer::on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) { }

void HTMLDocumentContainer::set_cursor(const litehtml::tchar_t*) { }

void HTMLDocumentContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt)
{
    if (tt == litehtml::text_transform_uppercase)
        text = transformed(text, g_utf8_strup);
    else if (tt == litehtml::text_transform_lowercase)
        text = transformed(text, g_utf8_strdown);
    else if (tt == litehtml::text_transform_capitalize && !text.empty()) {
        const gchar* second = g_utf8_next_char(text.c_str());
        size_t firstLength = static_cast<size_t>(second - text.c_str());
        text = transformed(text.substr(0, firstLength), g_utf8_strup) + text.substr(firstLength);
    }
}

void HTMLDocumentContainer::import_css(
    litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl)
{
    text.clear();
    std::optional<URL> base = baseFor(baseurl.c_str());
    auto resolved = WebResourceLocator::resolve(url, base, _locator.folderURL());
    auto path = _locator.pathForReference(url, base);
    if (!path || !resolved) {
        ++_refusedReferences;
        log("web view: no style sheet {} (outside the bundle or unreadable)", url);
        return;
    }
    auto bytes = readFile(*path);
    if (!bytes.ok()) {
        ++_refusedReferences;
        log("web view: cannot read style sheet {}: {}", *path, bytes.error().localizedDescription());
        return;
    }
    text.assign(bytes.value().begin(), bytes.value().end());
    // References inside the sheet are relative to the sheet.
    baseurl = resolved->absoluteString();
}

void HTMLDocumentContainer::set_clip(
    const litehtml::position& pos, const litehtml::border_radiuses&, bool valid_x, bool valid_y)
{
    constexpr double kUnbounded = 1e7;
    Rect clip = rectOf(pos);
    if (!valid_x) {
        clip.origin.x = -kUnbounded;
        clip.size.width = 2 * kUnbounded;
    }
    if (!valid_y) {
        clip.origin.y = -kUnbounded;
        clip.size.height = 2 * kUnbounded;
    }
    _clips.push_back(clip);
}

void HTMLDocumentContainer::del_clip()
{
    if (!_clips.empty())
        _clips.pop_back();
}

void HTMLDocumentContainer::get_client_rect(litehtml::position& client) const
{
    client.x = 0;
    client.y = 0;
    client.width = static_cast<int>(_viewportSize.width);
    client.height = static_cast<int>(_viewportSize.height);
}

std::shared_ptr<litehtml::element> HTMLDocumentContainer::create_element(
    const litehtml::tchar_t*, const litehtml::string_map&, const std::shared_ptr<litehtml::document>&)
{
    return nullptr;
}

void HTMLDocumentContainer::get_media_features(litehtml::media_features& media) const
{
    media.type = litehtml::media_type_screen;
    media.width = static_cast<int>(_viewportSize.width);
    media.height = static_cast<int>(_viewportSize.height);
    media.device_width = media.width;
    media.device_height = media.height;
    media.color = 8;
    media.monochrome = 0;
    media.color_index = 256;
    media.resolution = 96;
}

void HTMLDocumentContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const
{
    language = "en";
    culture.clear();
}

}  // namespace plat::detail
