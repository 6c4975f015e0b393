// Rendering one title card at 1280 x 720: the filled page of theme 1 laid
// out by the web view (parse, styles, layout) and drawn over its background,
// against cairo and pango drawing the same background, lines of text and
// ornament straight into a surface, which is the least such a card costs.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/web/WebResourceLocator.h"
#include "platform/ui/web/WebView.h"
#include "render/DynamicPageReplacer.h"
#include "render/ThemeCardPages.h"
#include "render/WebRenderer.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

plat::Dictionary cardTexts()
{
    plat::Dictionary texts = zt::creditWords();
    texts.set("META_RECORD_OUTLINE_MOVIE_NAME", std::string("The Big Pie"));
    texts.set("META_RECORD_OUTLINE_STUDIO", std::string("Acme Studios"));
    texts.set("META_RECORD_OUTLINE_STAR", std::string("Pip Wobble & Captain Crumb"));
    return texts;
}

void CardPageWebView(benchmark::State& state)
{
    const std::string page = zt::DynamicPageReplacer::processFileAtPath("theme_title_01.html", cardTexts());
    auto background = zt::bundlePicture("theme_bg_01.jpg");
    const plat::Rect frame = plat::makeRect(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        auto webView = std::make_shared<plat::WebView>(frame);
        webView->setBackgroundColor(plat::Color::clearColor());
        webView->setOpaque(false);
        webView->setContentScaleFactor(1);  // as the card renderer draws it
        auto imageView = std::make_shared<plat::ImageView>(frame);
        imageView->setImage(background);
        imageView->addSubview(webView);
        webView->loadHTMLString(page, plat::WebResourceLocator(webView->resourceFolder()).folderURL());
        plat::RunLoop::main().drain();  // the load runs from the main queue
        if (webView->contentSize().height <= 0)
            state.SkipWithError("the page did not load");
        benchmark::DoNotOptimize(plat::renderViewToImage(*imageView, 1, /*opaque=*/true));
    }
}

// The page drawn alone, without the background's view beneath.
void CardPageWebViewAlone(benchmark::State& state)
{
    const std::string page = zt::DynamicPageReplacer::processFileAtPath("theme_title_01.html", cardTexts());
    const plat::Rect frame = plat::makeRect(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        auto webView = std::make_shared<plat::WebView>(frame);
        webView->setBackgroundColor(plat::Color::clearColor());
        webView->setOpaque(false);
        webView->setContentScaleFactor(1);
        webView->loadHTMLString(page, plat::WebResourceLocator(webView->resourceFolder()).folderURL());
        plat::RunLoop::main().drain();
        benchmark::DoNotOptimize(plat::renderViewToImage(*webView, 1));
    }
}

struct Line {
    const char* text;
    const char* family;
    PangoStyle style;
    PangoWeight weight;
    double size;
    double top;
    double red, green, blue;
};

void drawLine(cairo_t* cr, const Line& line)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, line.family);
    pango_font_description_set_style(description, line.style);
    pango_font_description_set_weight(description, line.weight);
    pango_font_description_set_absolute_size(description, line.size * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_layout_set_text(layout, line.text, -1);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    cairo_set_source_rgb(cr, line.red, line.green, line.blue);
    cairo_move_to(cr, (kWidth - width) / 2.0, line.top);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(description);
    g_object_unref(layout);
}

void CardPageCairoPango(benchmark::State& state)
{
    auto background = zt::bundlePicture("theme_bg_01.jpg");
    const plat::Bitmap& bitmap = *background->bitmap();
    const std::vector<Line> lines = {
        {"Acme Studios", "DejaVu Serif", PANGO_STYLE_NORMAL, PANGO_WEIGHT_NORMAL, 34, 150, 0.96, 0.89, 0.69},
        {"presents", "DejaVu Serif", PANGO_STYLE_OBLIQUE, PANGO_WEIGHT_NORMAL, 26, 200, 0.89, 0.69, 0.27},
        {"The Big Pie", "DejaVu Serif", PANGO_STYLE_NORMAL, PANGO_WEIGHT_BOLD, 84, 250, 0.96, 0.89, 0.69},
        {"Starring", "DejaVu Serif", PANGO_STYLE_OBLIQUE, PANGO_WEIGHT_NORMAL, 26, 400, 0.89, 0.69, 0.27},
        {"Pip Wobble & Captain Crumb", "DejaVu Serif", PANGO_STYLE_NORMAL, PANGO_WEIGHT_NORMAL, 36, 450, 0.96, 0.89,
            0.69},
    };
    for (auto _ : state) {
        cairo_surface_t* source = cairo_image_surface_create_for_data(const_cast<unsigned char*>(bitmap.bytes()),
            CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height(), static_cast<int>(bitmap.bytesPerRow()));
        cairo_surface_t* output = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
        cairo_t* cr = cairo_create(output);
        cairo_set_source_surface(cr, source, 0, 0);
        cairo_paint(cr);
        for (const Line& line : lines)
            drawLine(cr, line);
        cairo_surface_flush(output);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(output));
        cairo_destroy(cr);
        cairo_surface_destroy(output);
        cairo_surface_destroy(source);
    }
}

const zt::bench::Comparison kCard("CardPageWebView", "CardPageCairoPango");

}  // namespace

BENCHMARK(CardPageWebView)->Unit(benchmark::kMillisecond);
BENCHMARK(CardPageCairoPango)->Unit(benchmark::kMillisecond);
BENCHMARK(CardPageWebViewAlone)->Unit(benchmark::kMillisecond);
