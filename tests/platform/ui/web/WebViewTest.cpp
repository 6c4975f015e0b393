#include "platform/ui/web/WebView.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/foundation/Files.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::Color;
using plat::makeRect;
using plat::test::pixelAt;
using plat::test::Rgba;

// Writes down every callback, in order.
class RecordingDelegate : public plat::WebViewDelegate {
public:
    bool webViewShouldStartLoadWithRequest(plat::WebView&, const plat::URL& url, plat::WebViewNavigationType) override
    {
        calls.push_back("should start");
        requests.push_back(url.absoluteString());
        return allowLoad;
    }
    void webViewDidStartLoad(plat::WebView&) override { calls.push_back("did start"); }
    void webViewDidFinishLoad(plat::WebView&) override { calls.push_back("did finish"); }
    void webViewDidFailLoadWithError(plat::WebView&, const plat::Error& error) override
    {
        calls.push_back("did fail");
        errorCode = error.code();
    }
    bool ended() const { return !calls.empty() && (calls.back() == "did finish" || calls.back() == "did fail"); }

    bool allowLoad = true;
    std::vector<std::string> calls;
    std::vector<std::string> requests;
    int64_t errorCode = 0;
};

void writePNG(const std::string& path, int width, int height, Rgba colour)
{
    auto picture = plat::Image::imageWithBitmap(
        plat::test::makeBitmap(width, height, plat::PixelOrder::BGRA, [&](int, int) { return colour; }));
    ASSERT_TRUE(plat::test::writePicture(*picture, path));
}

void writeText(const std::string& path, const std::string& text)
{
    ASSERT_TRUE(plat::writeFileAtomically(path, text).ok());
}

class WebViewTest : public ::testing::Test {
protected:
    WebViewTest()
    {
        std::filesystem::create_directory(bundle());
        writePNG(bundle() + "/green.png", 40, 30, {0, 255, 0, 255});
        writePNG(folder.path("secret.png"), 40, 30, {255, 0, 0, 255});
        writeText(bundle() + "/blue.css", "p { color: #0000ff; }\n");
        writeText(folder.path("red.css"), "p { color: #ff0000; }\n");
        webView = std::make_shared<plat::WebView>(makeRect(0, 0, 200, 100));
        webView->setResourceFolder(bundle());
        webView->setDelegate(delegate);
    }

    std::string bundle() const { return folder.path("bundle"); }

    // Loads the page relative to the bundle folder and waits for its end.
    void load(const std::string& html)
    {
        webView->loadHTMLString(html, plat::URL::fileURLWithPath(bundle() + "/"));
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->ended(); }));
    }

    std::shared_ptr<plat::Image> picture() { return plat::renderViewToImage(*webView, 1); }

    void makeClear()
    {
        webView->setBackgroundColor(Color::clearColor());
        webView->setOpaque(false);
        webView->setNeedsDisplay();
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::TemporaryFolder folder;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::shared_ptr<plat::WebView> webView;
};

bool isGreen(Rgba pixel)
{
    return pixel[0] < 40 && pixel[1] > 215 && pixel[2] < 40;
}

}  // namespace

TEST_F(WebViewTest, LoadsAfterTheCallAndTellsTheDelegateInOrder)
{
    webView->loadHTMLString("<p>Hello</p>", plat::URL::fileURLWithPath(bundle() + "/"));
    EXPECT_TRUE(delegate->calls.empty());
    EXPECT_TRUE(webView->isLoading());
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"should start", "did start", "did finish"}));
    EXPECT_FALSE(webView->isLoading());
    EXPECT_GT(webView->contentSize().height, 10);
}

TEST_F(WebViewTest, ADelegateThatRefusesTheRequestHearsNothingMore)
{
    delegate->allowLoad = false;
    webView->loadHTMLString("<p>Hello</p>", std::nullopt);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !webView->isLoading(); }));
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"should start"}));
    EXPECT_EQ(webView->contentSize().height, 0);
}

TEST_F(WebViewTest, StoppingALoadFailsItAsCancelled)
{
    webView->loadHTMLString("<p>Hello</p>", std::nullopt);
    webView->stopLoading();
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"did fail"}));
    EXPECT_EQ(delegate->errorCode, plat::WebView::kErrorCancelled);
    EXPECT_FALSE(plat::test::runMainLoopUntil([&] { return delegate->calls.size() > 1; }, 0.2));
}

TEST_F(WebViewTest, ASecondLoadCancelsTheFirst)
{
    webView->loadHTMLString("<p>First</p>", std::nullopt);
    webView->loadHTMLString("<p>Second</p>", std::nullopt);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->calls.size() == 4; }));
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"did fail", "should start", "did start", "did finish"}));
}

TEST_F(WebViewTest, APageBasedOutsideTheFolderIsNotLoaded)
{
    webView->loadHTMLString("<p>Hello</p>", plat::URL::fileURLWithPath(folder.path() + "/"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->calls.back(), "did fail");
    EXPECT_EQ(delegate->errorCode, plat::WebView::kErrorNoPermissionsToReadFile);
    delegate->calls.clear();
    webView->loadHTMLString("<p>Hello</p>", plat::URL::URLWithString("http://127.0.0.1/"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->calls.back(), "did fail");
}

TEST_F(WebViewTest, IsOpaqueWhiteUntilMadeClear)
{
    load("<p style='margin:0'>x</p>");
    EXPECT_EQ(pixelAt(*picture(), 150, 80), (Rgba {255, 255, 255, 255}));
    makeClear();
    EXPECT_EQ(pixelAt(*picture(), 150, 80)[3], 0);
}

TEST_F(WebViewTest, DrawsPicturesAndStyleSheetsFromTheFolder)
{
    makeClear();
    load("<html><head><link rel='stylesheet' href='blue.css'></head>"
         "<body style='margin:0'><img src='green.png'><p "
         "style='margin:0;font-size:40px'>&#9608;&#9608;</p></body></html>");
    auto shown = picture();
    EXPECT_TRUE(isGreen(pixelAt(*shown, 20, 15)));
    EXPECT_EQ(pixelAt(*shown, 60, 15)[3], 0);  // the picture's own width, no more
    Rgba text = pixelAt(*shown, 12, 55);
    EXPECT_LT(text[0], 40);
    EXPECT_GT(text[2], 200);
    EXPECT_EQ(webView->refusedResourceCount(), 0);
}

TEST_F(WebViewTest, RefusesEveryReferenceOutsideTheFolder)
{
    std::filesystem::create_symlink(folder.path("secret.png"), bundle() + "/link.png");
    const std::vector<std::string> references = {
        "../secret.png",
        "sub/../../secret.png",
        folder.path("secret.png"),
        plat::URL::fileURLWithPath(folder.path("secret.png")).absoluteString(),
        "file://localhost" + folder.path("secret.png"),
        "http://127.0.0.1:9/secret.png",
        "https://example.invalid/secret.png",
        "link.png",
        "/etc/passwd",
    };
    makeClear();
    for (const std::string& reference : references) {
        delegate->calls.clear();
        load("<body style='margin:0'><img src='" + reference + "' width='40' height='30'></body>");
        auto shown = picture();
        EXPECT_EQ(pixelAt(*shown, 20, 15)[3], 0) << reference;
        EXPECT_EQ(webView->refusedResourceCount(), 1) << reference;
    }
}

TEST_F(WebViewTest, RefusesStyleSheetsOutsideTheFolder)
{
    makeClear();
    for (const std::string& reference : {std::string("../red.css"), folder.path("red.css"),
             plat::URL::fileURLWithPath(folder.path("red.css")).absoluteString()}) {
        delegate->calls.clear();
        load("<html><head><link rel='stylesheet' href='" + reference
            + "'></head><body style='margin:0'><p style='margin:0;font-size:40px'>&#9608;&#9608;</p></body></html>");
        Rgba text = pixelAt(*picture(), 12, 20);
        EXPECT_LT(text[0], 40) << reference;  // black, never the sheet's red
        EXPECT_GT(text[3], 200) << reference;
        EXPECT_EQ(webView->refusedResourceCount(), 1) << reference;
    }
}

TEST_F(WebViewTest, ABaseElementCannotLeadOutOfTheFolder)
{
    makeClear();
    load("<html><head><base href='" + plat::URL::fileURLWithPath(folder.path() + "/").absoluteString()
        + "'></head><body style='margin:0'><img src='secret.png' width='40' height='30'></body></html>");
    EXPECT_EQ(pixelAt(*picture(), 20, 15)[3], 0);
}

TEST_F(WebViewTest, CentredBlocksInlineStylesAndFontsMatchTheirPicture)
{
    webView->setFrame(makeRect(0, 0, 320, 180));
    makeClear();
    load("<html><head><style>"
         "body { margin: 0; text-align: center; font-family: Georgia, serif; color: #202060; }"
         "h1 { font-size: 28px; margin: 20px 0 6px 0; text-transform: uppercase; }"
         ".by { font-family: 'Courier New', monospace; font-size: 14px; color: #b00000; }"
         "div.box { width: 120px; margin: 10px auto; border: 2px solid #008000; padding: 4px; }"
         "</style></head><body><h1>Title</h1><p class='by'>a film by <b>Me</b> &amp; <i>you</i></p>"
         "<div class='box'><img src='green.png' width='20' height='15'> line<br>two</div></body></html>");
    auto shown = picture();
    ASSERT_TRUE(shown);
    plat::test::TemporaryFolder output;
    auto comparison = plat::test::compareWithReferencePicture(
        *shown, plat::test::sourcePath("tests/data/ui/web/centred-page.png"), output.path());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

TEST_F(WebViewTest, LetterSpacingWidensTextAsABrowserDoes)
{
    // Courier's letters are 0.6 em wide: 24 px at 40 px, so four of them take 96 px
    // plus the spacing after each, the last one included.
    struct Case {
        const char* style;  // of the block; the letters are in a span of their own
        const char* spanStyle;
        int pictureLeft;  // where the picture after the letters starts
        std::optional<int> inkShift;  // how much further right the last letter is drawn
    };
    const Case cases[] = {
        {"", "", 96, 0},
        {"letter-spacing: 5px", "", 116, 15},
        {"letter-spacing: 0.25em", "", 136, 30},
        {"letter-spacing: 3pt", "", 112, 12},
        {"letter-spacing: 5px", "letter-spacing: normal", 96, 0},
        {"letter-spacing: -2px", "", 88, -6},
        // Inherited as a length: 10 px, whatever the span's size.
        {"letter-spacing: 0.25em", "font-size: 20px", 88, std::nullopt},
    };
    webView->setFrame(makeRect(0, 0, 300, 60));
    makeClear();
    int plainInkRight = 0;
    for (const Case& c : cases) {
        delegate->calls.clear();
        load(std::string("<html><body style='margin:0'><p style='margin:0; font: 40px Courier; ") + c.style
            + "'><span style='" + c.spanStyle + "'>MMMM</span><img src='green.png' width='10' height='10'></p>"
            + "</body></html>");
        auto shown = picture();
        ASSERT_TRUE(shown);
        int greenLeft = -1, inkRight = -1;
        for (int x = 0; x < 300; ++x)
            for (int y = 0; y < 60; ++y) {
                Rgba pixel = pixelAt(*shown, x, y);
                if (isGreen(pixel) && greenLeft < 0)
                    greenLeft = x;
                if (!isGreen(pixel) && pixel[3] > 128)
                    inkRight = x;
            }
        EXPECT_EQ(greenLeft, c.pictureLeft) << c.style << " / " << c.spanStyle;
        if (&c == &cases[0]) {
            plainInkRight = inkRight;
        } else if (c.inkShift) {
            EXPECT_NEAR(inkRight - plainInkRight, *c.inkShift, 1) << c.style << " / " << c.spanStyle;
        }
    }
}

TEST_F(WebViewTest, LinesAndFamilyListsAreLaidOutAsABrowserLaysThemOut)
{
    // What a browser here measures for the same blocks: the height of one
    // line at the font's normal line height, and the width of the text.
    struct Case {
        const char* style;
        const char* text;
        int lineHeight;
        double width;
    };
    const Case cases[] = {
        {"font: 40px Georgia, C059, serif", "MMMM", 48, 151.05},
        {"font: 40px Helvetica, 'Liberation Sans', sans-serif", "Mg", 45, 0},
        {"font: 40px 'Courier New', 'Liberation Mono', monospace", "MMMM", 45, 96.02},
        {"font: 24px Helvetica, 'Liberation Sans', sans-serif; letter-spacing: 2px", "A FILM BY", 28, 132.70},
        // A family the device lacks gives way to the next in the list.
        {"font: 40px Gelasio, 'Courier New'", "MMMM", 45, 96.02},
    };
    webView->setFrame(makeRect(0, 0, 400, 100));
    makeClear();
    for (const Case& c : cases) {
        delegate->calls.clear();
        load(std::string("<html><body style='margin:0'><div style=\"") + c.style + "\"><span>" + c.text
            + "</span><img src='green.png' width='1' height='1'></div></body></html>");
        EXPECT_EQ(webView->contentSize().height, c.lineHeight) << c.style;
        if (c.width == 0)
            continue;
        auto shown = picture();
        ASSERT_TRUE(shown);
        int greenLeft = -1;
        for (int x = 0; x < 400 && greenLeft < 0; ++x)
            for (int y = 0; y < 100 && greenLeft < 0; ++y)
                if (isGreen(pixelAt(*shown, x, y)))
                    greenLeft = x;
        // Words and spaces are measured apart, so a kerning pair across a
        // space (A and space) and the rounding of each word cost a pixel or two.
        EXPECT_NEAR(greenLeft, c.width, 3) << c.style;
    }
}
