#pragma once
// The web view's side of litehtml: fonts, text, pictures, backgrounds and
// borders drawn through the graphics stand-in (cairo and pango), resources
// read only through the locator. Included by the web view's sources only:
// it brings litehtml's headers.
#include <litehtml.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Font.h"
#include "platform/ui/web/WebResourceLocator.h"

namespace plat {
class GraphicsContext;
class Image;
}  // namespace plat

namespace plat::detail {

// The style every page starts from, before its own.
extern const char* const kMasterStyleSheet;

// Main thread, with the web view that owns it; it outlives its document.
class HTMLDocumentContainer final : public litehtml::document_container {
public:
    HTMLDocumentContainer(WebResourceLocator locator, std::optional<URL> baseURL);
    virtual ~HTMLDocumentContainer() = default;

    void setViewportSize(Size size) { _viewportSize = size; }
    // The context litehtml's drawing calls go to, for the length of one draw.
    void setDrawingContext(GraphicsContext* context) { _context = context; }
    // How many references were refused (outside the folder or unreadable).
    int refusedReferences() const { return _refusedReferences; }

    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight, litehtml::font_style italic,
        unsigned int decoration, litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr hFont) override;
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) override;
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
        litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const litehtml::tchar_t* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool redraw_on_ready) override;
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders, const litehtml::position& draw_pos,
        bool root) override;
    void set_caption(const litehtml::tchar_t* caption) override;
    void set_base_url(const litehtml::tchar_t* base_url) override;
    void link(const std::shared_ptr<litehtml::document>& doc, const litehtml::element::ptr& el) override;
    void on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) override;
    void set_cursor(const litehtml::tchar_t* cursor) override;
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius, bool valid_x,
        bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element> create_element(const litehtml::tchar_t* tag_name,
        const litehtml::string_map& attributes, const std::shared_ptr<litehtml::document>& doc) override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;

private:
    struct FontEntry {
        Font font;
        unsigned decoration = 0;
        double ascent = 0;  // from the top of the text's box to its baseline
        double letterSpacing = 0;  // CSS pixels after every character
    };

    const FontEntry* fontFor(litehtml::uint_ptr hFont) const;
    // The base of references: the page's own (<base href>) or the web view's.
    std::optional<URL> baseFor(const litehtml::tchar_t* baseurl) const;
    std::shared_ptr<Image> imageFor(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl);
    // Runs a drawing step with the clips litehtml has set.
    template <typename Draw> void drawClipped(Draw&& draw);

    WebResourceLocator _locator;
    std::optional<URL> _baseURL;
    Size _viewportSize;
    GraphicsContext* _context = nullptr;  // set only while the owner draws
    std::vector<FontEntry> _fonts;  // a font's handle is its index plus one
    std::map<std::string, std::shared_ptr<Image>> _images;  // by resolved address; null when refused
    std::vector<Rect> _clips;
    int _refusedReferences = 0;
};

}  // namespace plat::detail
