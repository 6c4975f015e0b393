#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"
#include "support/Pixels.h"

namespace {

using plat::test::Rgba;

constexpr Rgba kTransparent {0, 0, 0, 0};
constexpr Rgba kOpaqueRed {255, 0, 0, 255};

class Drawing : public ::testing::Test {
protected:
    std::unique_ptr<plat::GraphicsContext> context
        = plat::GraphicsContext::bitmapContext(40, 30, 1, plat::ContextOpacity::Transparent);
    Rgba at(int x, int y) { return plat::test::pixelAt(*context->makeImage(), x, y); }
};

TEST_F(Drawing, FillsCoverWholePixelsInUserSpaceAtTheScale)
{
    auto doubled = plat::GraphicsContext::bitmapContext(40, 30, 2, plat::ContextOpacity::Transparent);
    doubled->setFillColor(plat::Color::redColor());
    doubled->fillRect(plat::makeRect(5, 5, 10, 5));  // pixels 10...29 x 10...19
    auto image = doubled->makeImage();
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->size(), (plat::Size {20, 15}));
    EXPECT_EQ(plat::test::pixelAt(*image, 10, 10), kOpaqueRed);
    EXPECT_EQ(plat::test::pixelAt(*image, 29, 19), kOpaqueRed);
    EXPECT_EQ(plat::test::pixelAt(*image, 30, 19), kTransparent);
    EXPECT_EQ(plat::test::pixelAt(*image, 9, 10), kTransparent);
}

TEST_F(Drawing, TransformsStatesAndClipsNest)
{
    context->saveGState();
    context->translateCTM(10, 5);
    context->scaleCTM(2, 2);
    EXPECT_EQ(context->getCTM(), (plat::AffineTransform {2, 0, 0, 2, 10, 5}));
    context->clipToRect(plat::makeRect(0, 0, 5, 5));  // device 10...19 x 5...14
    context->setFillColor(plat::Color::blueColor());
    context->fillRect(plat::makeRect(-100, -100, 1000, 1000));
    context->restoreGState();
    EXPECT_TRUE(context->getCTM().isIdentity());
    EXPECT_EQ(at(10, 5), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(at(19, 14), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(at(20, 14), kTransparent);
    // The fill colour came back with the state: black, the default.
    context->fillRect(plat::makeRect(0, 0, 1, 1));
    EXPECT_EQ(at(0, 0), (Rgba {0, 0, 0, 255}));
    EXPECT_EQ(context->getClipBoundingBox(), plat::makeRect(0, 0, 40, 30));
}

TEST_F(Drawing, AlphaAndBlendModesCombineWithWhatIsThere)
{
    context->setFillColor(plat::Color::whiteColor());
    context->fillRect(plat::makeRect(0, 0, 40, 30));
    context->setBlendMode(plat::BlendMode::Multiply);
    context->setFillColor(plat::Color::colorWithRed(0.5, 1, 0.25, 1));
    context->fillRect(plat::makeRect(0, 0, 10, 10));
    context->setBlendMode(plat::BlendMode::Normal);
    context->setAlpha(0.5);
    context->setFillColor(plat::Color::blackColor());
    context->fillRect(plat::makeRect(20, 0, 10, 10));
    context->setAlpha(1);
    context->setBlendMode(plat::BlendMode::Clear);
    context->fillRect(plat::makeRect(30, 20, 10, 10));
    EXPECT_LE(plat::test::componentDistance(at(5, 5), {128, 255, 64, 255}), 1);
    EXPECT_LE(plat::test::componentDistance(at(25, 5), {128, 128, 128, 255}), 1);
    EXPECT_EQ(at(35, 25), kTransparent);
    EXPECT_EQ(at(15, 15), (Rgba {255, 255, 255, 255}));
}

TEST_F(Drawing, StrokesAndPathsFollowTheCurrentPath)
{
    context->setStrokeColor(plat::Color::greenColor());
    context->setLineWidth(2);
    context->moveToPoint({0, 10});
    context->addLineToPoint({40, 10});
    EXPECT_FALSE(context->isPathEmpty());
    context->strokePath();
    EXPECT_TRUE(context->isPathEmpty());
    EXPECT_EQ(at(20, 9), (Rgba {0, 255, 0, 255}));
    EXPECT_EQ(at(20, 10), (Rgba {0, 255, 0, 255}));
    EXPECT_EQ(at(20, 11), kTransparent);

    context->setFillColor(plat::Color::redColor());
    context->addPath(plat::Path::pathWithOvalInRect(plat::makeRect(20, 14, 16, 16)));
    context->fillPath();
    EXPECT_EQ(at(28, 22), kOpaqueRed);  // the centre
    EXPECT_EQ(at(21, 15), kTransparent);  // a corner of the box, outside the circle
}

TEST_F(Drawing, ImagesAreDrawnWithTheirOwnAlphaAndMode)
{
    context->setFillColor(plat::Color::blackColor());
    context->fillRect(plat::makeRect(0, 0, 40, 30));
    auto white = plat::test::makeFlatImage(4, 4, {255, 255, 255, 255});
    context->drawImage(*white, plat::makeRect(0, 0, 10, 10), plat::BlendMode::Normal, 0.25);
    auto halfClear = plat::test::makeFlatImage(2, 2, {0, 0, 100, 100});
    context->drawImage(*halfClear, plat::makeRect(20, 0, 10, 10), plat::BlendMode::Copy, 1);
    EXPECT_LE(plat::test::componentDistance(at(5, 5), {64, 64, 64, 255}), 1);
    EXPECT_EQ(at(25, 5), (Rgba {0, 0, 100, 100}));  // copied, not blended
    EXPECT_EQ(at(31, 5), (Rgba {0, 0, 0, 255}));  // outside the image nothing changed
}

TEST_F(Drawing, TurnedContextsDrawImagesTurned)
{
    auto image = plat::test::makeImage(4, 2, [](int x, int y) { return Rgba {x * 60, y * 200, 0, 255}; });
    // A quarter turn about the origin, then moved back into view: (x, y) -> (2 - y, x).
    context->translateCTM(2, 0);
    context->rotateCTM(std::numbers::pi / 2);
    context->drawImage(*image, plat::makeRect(0, 0, 4, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_LE(plat::test::componentDistance(at(1 - y, x), plat::test::pixelAt(*image, x, y)), 1)
                << x << "," << y;
}

TEST_F(Drawing, LinearGradientsStopAtTheirEndsUnlessAskedToGoOn)
{
    plat::Gradient gradient({plat::Color::redColor(), plat::Color::blueColor()});
    context->drawLinearGradient(gradient, {10, 0}, {30, 0}, 0);
    EXPECT_EQ(at(5, 5), kTransparent);
    EXPECT_EQ(at(35, 5), kTransparent);
    EXPECT_LE(plat::test::componentDistance(at(20, 5), {128, 0, 128, 255}), 8);
    EXPECT_LE(plat::test::componentDistance(at(10, 5), {255, 0, 0, 255}), 14);

    context->drawLinearGradient(
        gradient, {10, 0}, {30, 0}, plat::GradientDrawsBeforeStartLocation | plat::GradientDrawsAfterEndLocation);
    EXPECT_EQ(at(2, 5), kOpaqueRed);
    EXPECT_EQ(at(38, 5), (Rgba {0, 0, 255, 255}));
}

TEST_F(Drawing, PatternColoursTileTheirImage)
{
    auto checker = plat::test::makeImage(2, 2, [](int x, int y) {
        return (x + y) % 2 ? Rgba {255, 255, 255, 255} : Rgba {0, 0, 0, 255};
    });
    context->setFillColor(plat::Color::colorWithPatternImage(checker));
    context->fillRect(plat::makeRect(0, 0, 40, 30));
    EXPECT_EQ(at(0, 0), (Rgba {0, 0, 0, 255}));
    EXPECT_EQ(at(1, 0), (Rgba {255, 255, 255, 255}));
    EXPECT_EQ(at(17, 9), (Rgba {0, 0, 0, 255}));
    EXPECT_EQ(at(17, 10), (Rgba {255, 255, 255, 255}));
}

TEST_F(Drawing, TextIsDrawnInsideItsRectangleInTheFillColour)
{
    auto wide = plat::GraphicsContext::bitmapContext(200, 60, 1, plat::ContextOpacity::Opaque);
    wide->setFillColor(plat::Color::whiteColor());
    wide->fillRect(plat::makeRect(0, 0, 200, 60));
    wide->setFillColor(plat::Color::blackColor());
    plat::Font font = plat::Font::boldSystemFontOfSize(20);
    plat::Size used = wide->drawText("Zantrope", plat::makeRect(10, 10, 180, 40), font,
        plat::LineBreakMode::TruncatingTail, plat::TextAlignment::Left);
    EXPECT_GT(used.width, 60);
    EXPECT_LE(used.width, 180);
    auto image = wide->makeImage();
    EXPECT_TRUE(image->bitmap()->isOpaque());
    int inked = 0, inkedOutside = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 200; ++x) {
            bool dark = plat::test::pixelAt(*image, x, y)[0] < 128;
            bool inside = x >= 10 && x < 10 + used.width && y >= 10 && y < 10 + used.height;
            inked += dark && inside;
            inkedOutside += dark && !inside;
        }
    }
    EXPECT_GT(inked, 100);
    EXPECT_EQ(inkedOutside, 0);
}

TEST_F(Drawing, TextsLeftOutOrInOneInkAreHandedOverWithWhereTheirGlyphsGo)
{
    struct Case {
        plat::TextInk ink;
        int inked;  // the pixels darker than the grey behind (-1: some), and lighter (-1: some)
        int lightened;
    };
    const Case cases[] = {
        {plat::TextInk::AsAsked, -1, 0},
        {plat::TextInk::LeftOut, 0, 0},
        {plat::TextInk::Black, -1, 0},
        {plat::TextInk::White, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.ink));
        auto ctx = plat::GraphicsContext::bitmapContext(400, 120, 2, plat::ContextOpacity::Opaque);
        ctx->setFillColor(plat::Color::colorWithWhite(0.5, 1));
        ctx->fillRect(plat::makeRect(0, 0, 200, 60));
        std::vector<plat::DrawnText> heard;
        ctx->setTextInk(c.ink, [&](const plat::DrawnText& text) { heard.push_back(text); });
        ctx->setFillColor(plat::Color::colorWithRed(0.2, 0.1, 0.1, 1));
        ctx->drawText("Zantrope", plat::makeRect(10, 10, 180, 40), plat::Font::boldSystemFontOfSize(20),
            plat::LineBreakMode::Clipping, plat::TextAlignment::Left);
        auto image = ctx->makeImage();
        int darker = 0, lighter = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 400; ++x) {
                const int red = plat::test::pixelAt(*image, x, y)[0];
                darker += red < 100;
                lighter += red > 160;
            }
        EXPECT_EQ(c.inked == 0, darker == 0) << darker;
        EXPECT_EQ(c.lightened == 0, lighter == 0) << lighter;
        if (c.ink == plat::TextInk::AsAsked) {
            EXPECT_TRUE(heard.empty());
            continue;
        }
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0].text, "Zantrope");
        EXPECT_EQ(heard[0].font.pointSize(), 20);
        EXPECT_NEAR(heard[0].color.red(), 0.2, 1e-9);
        // In the context's pixels (two a point): inside the rectangle, about a 20-point line high.
        const plat::Rect area = heard[0].pixelArea;
        EXPECT_GE(area.minX(), 20);
        EXPECT_GE(area.minY(), 20);
        EXPECT_LE(area.maxX(), 380);
        EXPECT_LE(area.maxY(), 100);
        EXPECT_GT(area.height(), 20);
        EXPECT_GT(area.width(), 120);
    }
}

TEST_F(Drawing, StrokedTextOutlinesTheGlyphsInTheStrokeColourAndLeavesTheirInsides)
{
    // A wide black "I": filled it is solid; stroked, only its edges take the colour.
    auto draw = [](plat::TextDrawingMode mode) {
        auto ctx = plat::GraphicsContext::bitmapContext(80, 80, 1, plat::ContextOpacity::Transparent);
        ctx->setFillColor(plat::Color::blueColor());
        ctx->setStrokeColor(plat::Color::redColor());
        ctx->setLineWidth(1);
        ctx->setTextDrawingMode(mode);
        ctx->drawText("I", plat::makeRect(0, 0, 80, 80), plat::Font::boldSystemFontOfSize(70),
            plat::LineBreakMode::Clipping, plat::TextAlignment::Center);
        return ctx->makeImage();
    };
    auto count = [](const plat::Image& image, auto&& matches) {
        int n = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x)
                n += matches(plat::test::pixelAt(image, x, y));
        return n;
    };
    auto isBlue = [](Rgba p) { return p[2] > 200 && p[0] < 60; };
    auto isRed = [](Rgba p) { return p[0] > 120 && p[2] < 60; };
    auto filled = draw(plat::TextDrawingMode::Fill);
    auto stroked = draw(plat::TextDrawingMode::Stroke);
    auto both = draw(plat::TextDrawingMode::FillStroke);
    auto invisible = draw(plat::TextDrawingMode::Invisible);
    int solid = count(*filled, isBlue);
    int outline = count(*stroked, isRed);
    EXPECT_GT(solid, 300);
    EXPECT_EQ(count(*filled, isRed), 0);
    EXPECT_GT(outline, 40);
    EXPECT_LT(outline, solid) << "an outline covers less than the filled glyph";
    EXPECT_EQ(count(*stroked, isBlue), 0);
    EXPECT_GT(count(*both, isBlue), 100);
    EXPECT_GT(count(*both, isRed), 40);
    EXPECT_EQ(count(*invisible, [](Rgba p) { return p[3] > 0; }), 0);
}

TEST_F(Drawing, AnArcContinuesTheSubpathItJoins)
{
    // A quarter disc: a line down the left, an arc round to the top, closed.
    context->setFillColor(plat::Color::redColor());
    context->beginPath();
    context->moveToPoint({0, 0});
    context->addLineToPoint({0, 20});
    context->addArc({0, 0}, 20, std::numbers::pi / 2, 0, /*clockwise=*/false);
    context->closePath();
    context->fillPath();
    EXPECT_EQ(at(5, 5), kOpaqueRed) << "the inside is one shape";
    EXPECT_EQ(at(18, 18), kTransparent);
}

TEST(TextMeasure, ANulInTheTextCutsNothingThatFollows)
{
    plat::Font font = plat::Font::systemFontOfSize(16);
    const std::string text("Frame\0by frame\nand the next line", 32);
    plat::Size shown = plat::sizeWithFont(text, font);
    EXPECT_GT(shown.width, plat::sizeWithFont("Frame by frame", font).width);
    EXPECT_EQ(shown.height, plat::sizeWithFont("Frame\nand", font).height);
}

TEST(TextMeasure, LongerTextIsWiderAndNarrowRoomWrapsIt)
{
    plat::Font font = plat::Font::systemFontOfSize(16);
    plat::Size shortText = plat::sizeWithFont("Frame", font);
    plat::Size longText = plat::sizeWithFont("Frame by frame", font);
    EXPECT_GT(shortText.width, 0);
    EXPECT_GT(longText.width, shortText.width);
    EXPECT_EQ(shortText.height, longText.height);
    plat::Size wrapped = plat::sizeWithFont("Frame by frame", font, {60, 0}, plat::LineBreakMode::WordWrapping);
    EXPECT_LE(wrapped.width, 60);
    EXPECT_GE(wrapped.height, 2 * shortText.height - 1);
    EXPECT_GT(font.lineHeight(), 16);
    EXPECT_LT(font.descender(), 0);
    EXPECT_EQ(plat::Font::fontWithName("Courier-Bold", 9).familyName(), "Nimbus Mono PS");
    EXPECT_EQ(plat::Font::fontWithName("Courier-Bold", 9).weight(), plat::Font::Weight::Bold);
}

// Text wrapped into a width is drawn as the lines given: where a line breaks,
// and that nothing is added there (no hyphen).
TEST(TextWrapping, ARunWiderThanALineBreaksBetweenItsPartsAndOnlyAWordWiderThanALineIsCut)
{
    struct Case {
        const char* text;
        double width;
        const char* lines;
    };
    const Case cases[] = {
        {"the unreadable file is kept as “com.quorvane.zantrope.plist.damaged”.", 238,
            "the unreadable file is kept as\n“com.quorvane.zantrope.plist.\ndamaged”."},
        {"A Supercalifragilisticexpialidocious day", 100, "A\nSupercalifragili\nsticexpialidoci\nous day"},
    };
    const plat::Font font = plat::Font::systemFontOfSize(13);
    auto draw = [&](const std::string& text, double width) {
        auto context = plat::GraphicsContext::bitmapContext(260, 100, 1, plat::ContextOpacity::Transparent);
        context->drawText(
            text, plat::makeRect(0, 0, width, 100), font, plat::LineBreakMode::WordWrapping, plat::TextAlignment::Left);
        return context->takeImage();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto wrapped = draw(c.text, c.width);
        auto given = draw(c.lines, 260);
        int differing = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 260; ++x)
                differing += plat::test::pixelAt(*wrapped, x, y) != plat::test::pixelAt(*given, x, y);
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST(GraphicsContextLifetime, TakenPixelsEndTheDrawing)
{
    auto context = plat::GraphicsContext::bitmapContext(4, 4, 1, plat::ContextOpacity::Transparent);
    context->setFillColor(plat::Color::redColor());
    context->fillRect(plat::makeRect(0, 0, 4, 4));
    auto image = context->takeImage();
    ASSERT_TRUE(image);
    context->setFillColor(plat::Color::blueColor());
    context->fillRect(plat::makeRect(0, 0, 4, 4));  // ignored
    EXPECT_FALSE(context->makeImage());
    EXPECT_EQ(plat::test::pixelAt(*image, 3, 3), kOpaqueRed);
    EXPECT_FALSE(plat::GraphicsContext::bitmapContext(0, 4, 1, plat::ContextOpacity::Transparent));
    EXPECT_FALSE(plat::GraphicsContext::bitmapContext(40000, 4, 1, plat::ContextOpacity::Transparent));
}

}  // namespace

TEST_F(Drawing, ADashOfNoLengthStrokesSolidAndLeavesTheContextDrawing)
{
    context->saveGState();
    context->setLineDash(0, {0, 0});
    context->setStrokeColor(plat::Color::redColor());
    context->setLineWidth(2);
    context->beginPath();
    context->moveToPoint({0, 5});
    context->addLineToPoint({40, 5});
    context->strokePath();
    context->setLineDash(0, {-3, 2});
    context->restoreGState();
    EXPECT_EQ(at(20, 5), kOpaqueRed);
    context->setFillColor(plat::Color::blueColor());
    context->fillRect(plat::makeRect(0, 20, 40, 10));
    EXPECT_EQ(at(20, 25), (Rgba {0, 0, 255, 255}));
}

TEST_F(Drawing, ATransformStepWithoutAFiniteInverseIsLeftOutAndTheContextGoesOnDrawing)
{
    const double notANumber = std::nan("");
    context->saveGState();
    context->translateCTM(notANumber, 0);
    context->rotateCTM(notANumber);
    context->scaleCTM(notANumber, 1);
    context->scaleCTM(1e-100, 1e-100);
    context->scaleCTM(1e-100, 1e-100);  // the determinant together is below what a double holds
    EXPECT_EQ(context->getCTM(), (plat::AffineTransform {1e-100, 0, 0, 1e-100, 0, 0}));
    context->restoreGState();
    context->setFillColor(plat::Color::redColor());
    context->fillRect(plat::makeRect(0, 0, 40, 30));
    EXPECT_EQ(at(20, 15), kOpaqueRed);
}
