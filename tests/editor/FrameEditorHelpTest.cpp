// The frame editor's help overlay over a stand-in of its screen: the
// bubbles in order at their controls, their arrows, their sizes, the bubble
// that opens the help pages, every bubble opaque and readable over a light
// picture, and closing by a tap beside the bubbles.
#include <gtest/gtest.h>

#include <cmath>

#include "editor/FrameEditorHelp.h"
#include "editor/FrameEditorHelpItems.h"
#include "editor/HelpTestSupport.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "support/SeeThrough.h"
#include "support/TextContrast.h"
#include "uikit/TipPopoverArrow.h"
#include "uikit/TipPopoverBackgroundHelper.h"
#include "uikit/TipPopoverView.h"

namespace {

using zt::FrameEditorHelp;
using zt::TipPopoverView;

constexpr double kTolerance = 0.01;
constexpr double kScreenScale = 2;
// A level or two is rounding where a stretched picture is drawn at a fraction of a pixel.
constexpr int kUnseen = 2;
constexpr double kBubbleCornerRadius = 6;
constexpr double kTextMargin = 8;  // above and below a bubble's text

plat::Font bubbleFont()
{
    return plat::Font::fontWithName("HelveticaNeue-Light", 12);
}

// The height of the text wrapped within the width, in a bubble's font.
double wrappedHeight(const std::string& text, double width)
{
    return std::ceil(plat::sizeWithFont(text, bubbleFont(), {width, 10000}, plat::LineBreakMode::WordWrapping).height);
}

void expectRectNear(plat::Rect actual, plat::Rect expected, const std::string& what)
{
    EXPECT_NEAR(actual.minX(), expected.minX(), kTolerance) << what;
    EXPECT_NEAR(actual.minY(), expected.minY(), kTolerance) << what;
    EXPECT_NEAR(actual.width(), expected.width(), kTolerance) << what;
    EXPECT_NEAR(actual.height(), expected.height(), kTolerance) << what;
}

template <typename T> std::vector<std::shared_ptr<T>> subviewsOf(const plat::View& view)
{
    std::vector<std::shared_ptr<T>> found;
    for (const auto& subview : view.subviews())
        if (auto typed = std::dynamic_pointer_cast<T>(subview))
            found.push_back(typed);
    return found;
}

std::shared_ptr<plat::Label> labelOf(TipPopoverView& bubble)
{
    auto labels = subviewsOf<plat::Label>(*bubble.contentView());
    return labels.empty() ? nullptr : labels.front();
}

plat::Color moreHelpGreen()
{
    return plat::Color::colorWithHue(0.225, 0.6f, 0.42f, 1);
}

class HelpOverlay : public zt::test::EditorScreens {
protected:
    explicit HelpOverlay(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : EditorScreens(idiom)
        , screen(*window)
    {
    }

    void fillAndShow()
    {
        zt::addFrameEditorHelpItems(*help, screen.controls, [this] { ++helpPagesOpened; });
        help->showHelpInView(screen.host);
        driver.wait(1);
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> all;
        for (const auto& item : help->helpItems())
            all.push_back(item.text);
        return all;
    }

    // Every bubble hides what lies behind it, and its text stands out from
    // it by 4.5:1 at least with a light picture under the overlay.
    void expectEveryBubbleOpaqueAndReadableOverALightPicture()
    {
        const plat::Color light = plat::Color::colorWithWhite(0.92, 1);
        for (const auto& part : {screen.host, screen.leftPanel, screen.rightPanel, screen.controls.imageViewFrame,
                 screen.controls.viewPlayerViewController})
            part->setBackgroundColor(light);
        fillAndShow();
        ASSERT_EQ(help->popovers().size(), help->helpItems().size());
        for (size_t i = 0; i < help->popovers().size(); ++i) {
            auto& bubble = *help->popovers()[i];
            const std::string& text = help->helpItems()[i].text;
            // The body, clear of its rounded corners.
            const auto& content = bubble.contentView();
            const plat::Rect body = plat::insetRect(
                content->convertRect(content->bounds(), nullptr), {0, kBubbleCornerRadius, 0, kBubbleCornerRadius});
            EXPECT_LE(plat::test::largestSeeThrough(*window, bubble, body), kUnseen) << text;
            const auto contrast = plat::test::measureTextContrast(*window, *labelOf(bubble), kScreenScale);
            EXPECT_GE(contrast.ratio, 4.5)
                << text << ": " << contrast.textLuminance << " on " << contrast.backgroundLuminance;
        }
    }

    std::vector<unsigned> shownArrows() const
    {
        std::vector<unsigned> all;
        for (const auto& bubble : help->popovers())
            all.push_back(bubble->arrow()->direction());
        return all;
    }

    zt::test::StandInEditorScreen screen;
    std::shared_ptr<FrameEditorHelp> help = std::make_shared<FrameEditorHelp>();
    int helpPagesOpened = 0;
};

TEST_F(HelpOverlay, OnAPhoneTheBubblesComeInOrderAtTheirControls)
{
    zt::addFrameEditorHelpItems(*help, screen.controls, [] {});
    EXPECT_EQ(texts(),
        (std::vector<std::string> {"Back to projects.", "Add voice over.", "Add background music.",
            "Change themes and more.", "Capture images.", "Project settings.", "Play movie preview.",
            "Frame-by-frame view. Tap to scroll, double-tap for the timeline, tap and hold for more options.",
            "Need more help? Tap here."}));
    const auto& items = help->helpItems();
    ASSERT_EQ(items.size(), 9u);
    // The right panel starts at 488.44: its buttons are converted into the screen.
    const plat::Rect rects[] = {plat::makeRect(8, 10, 63.556, 40), plat::makeRect(8, 65, 63.556, 40),
        plat::makeRect(8, 120, 63.556, 40), plat::makeRect(8, 175, 63.556, 40), plat::makeRect(496.444, 20, 63.556, 40),
        plat::makeRect(496.444, 90, 63.556, 40), plat::makeRect(496.444, 160, 63.556, 40),
        plat::makeRect(0, 230, 568, 90), plat::makeRect(40, 280, 1, 1)};
    for (size_t i = 0; i < items.size(); ++i)
        expectRectNear(items[i].rect, rects[i], items[i].text);
    std::vector<uint64_t> arrows;
    for (const auto& item : items)
        arrows.push_back(item.arrowDirection);
    EXPECT_EQ(arrows, (std::vector<uint64_t> {0, 0, 0, 8, 0, 0, 16, 0, 1}));
    for (size_t i = 0; i + 1 < items.size(); ++i) {
        EXPECT_FALSE(items[i].color) << items[i].text;
        EXPECT_FALSE(items[i].block) << items[i].text;
    }
    EXPECT_EQ(items.back().color, moreHelpGreen());
    EXPECT_TRUE(items.back().block);
}

TEST_F(HelpOverlay, ShowingPutsEveryBubbleAboveACloseButtonOverTheWholeView)
{
    fillAndShow();
    ASSERT_EQ(help->popovers().size(), 9u);
    // The strip's bubble finds no room above the strip beside the others and
    // points into it from below the strip's top edge.
    EXPECT_EQ(shownArrows(), (std::vector<unsigned> {8, 8, 8, 8, 16, 16, 16, 2, 1}));
    const auto& subviews = screen.host->subviews();
    auto close = std::find(subviews.begin(), subviews.end(), help->closeButton());
    ASSERT_NE(close, subviews.end());
    EXPECT_EQ(help->closeButton()->frame(), screen.host->bounds());
    for (const auto& bubble : help->popovers()) {
        auto at = std::find(subviews.begin(), subviews.end(), bubble);
        ASSERT_NE(at, subviews.end());
        EXPECT_GT(at, close) << "bubbles come above the close button";
    }
    for (size_t i = 0; i + 1 < help->popovers().size(); ++i)
        EXPECT_EQ(help->popovers()[i]->backgroundHelper()->fillColor(), FrameEditorHelp::defaultBubbleColor());
    EXPECT_EQ(help->popovers().back()->backgroundHelper()->fillColor(), moreHelpGreen());
    EXPECT_EQ(labelOf(*help->popovers()[0])->text(), "Back to projects.");
}

TEST_F(HelpOverlay, AnArrowLeftToChooseFollowsWhereTheSpotLies)
{
    // One bubble at a time, so that none makes room for another.
    struct Case {
        plat::Rect spot;
        uint64_t asked;
        unsigned shown;
    };
    const Case cases[] = {
        {plat::makeRect(100, 50, 10, 10), 0, 8},  // upper left
        {plat::makeRect(400, 50, 10, 10), 0, 16},  // upper right
        {plat::makeRect(100, 200, 10, 10), 0, 4},  // lower left
        {plat::makeRect(400, 200, 10, 10), 0, 4},  // lower right
        {plat::makeRect(284, 160, 10, 10), 0, 8},  // on the middle lines
        {plat::makeRect(400, 200, 10, 10), zt::TipPopoverArrowDirectionUp, 2},  // its own
    };
    for (const Case& c : cases) {
        auto alone = std::make_shared<FrameEditorHelp>();
        alone->addHelp("a spot", c.spot, c.asked);
        alone->showHelpInView(screen.host);
        ASSERT_EQ(alone->popovers().size(), 1u);
        EXPECT_EQ(alone->popovers()[0]->arrow()->direction(), c.shown) << plat::stringFromRect(c.spot);
        alone->dismissHelp();
        driver.wait(1);
    }
}

TEST_F(HelpOverlay, AShortTextMakesABubbleAsWideAsItsTextWithoutAButton)
{
    help->addHelp("Play movie preview.", plat::makeRect(300, 40, 40, 40));
    help->showHelpInView(screen.host);
    auto& bubble = *help->popovers().front();
    const double textWidth = plat::sizeWithFont("Play movie preview.", bubbleFont()).width;
    // As tall as its text.
    const double height = wrappedHeight("Play movie preview.", textWidth) + 2 * kTextMargin;
    EXPECT_EQ(bubble.contentSize(), (plat::Size {textWidth + 10, height}));
    EXPECT_TRUE(subviewsOf<plat::Button>(*bubble.contentView()).empty());
    auto label = labelOf(bubble);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->frame(), plat::makeRect(5, 0, textWidth, height));
    EXPECT_EQ(label->font(), bubbleFont());
    EXPECT_EQ(label->numberOfLines(), 0) << "as many lines as the text takes";
    EXPECT_EQ(label->textColor(), plat::Color::whiteColor());
}

TEST_F(HelpOverlay, ALongTextWidensItsBubbleAndABlockGivesItAButtonAndTheMarkBesideItsText)
{
    const std::string longText(60, 'w');
    help->addHelp(longText, plat::makeRect(100, 100, 1, 1));
    help->addHelp("short with a block", plat::makeRect(100, 150, 1, 1), 0, std::nullopt, [] {});
    help->showHelpInView(screen.host);
    // The long text, too long for three lines at 150 points, widens its
    // bubble by steps of 10 points until three lines hold it (cut where a
    // line ends, with nothing added): at 200.
    auto& wide = *help->popovers()[0];
    EXPECT_EQ(wide.contentSize(), (plat::Size {210, wrappedHeight(longText, 200) + 2 * kTextMargin}));
    EXPECT_TRUE(subviewsOf<plat::Button>(*wide.contentView()).empty()) << "its whole text shows: it opens nothing";
    EXPECT_TRUE(subviewsOf<plat::ImageView>(*wide.contentView()).empty());

    // The block's bubble is 150 wide; its text ends 4 points before the
    // mark, which takes the last 25.
    auto& leading = *help->popovers()[1];
    const double height = wrappedHeight("short with a block", 121) + 2 * kTextMargin;
    EXPECT_EQ(leading.contentSize(), (plat::Size {160, height}));
    auto buttons = subviewsOf<plat::Button>(*leading.contentView());
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0]->frame(), plat::makeRect(0, 0, 150, height));
    EXPECT_EQ(buttons[0]->tag(), 1);
    auto marks = subviewsOf<plat::ImageView>(*leading.contentView());
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0]->image(), plat::Image::imageNamed("frameedit_help_more.png"));
    EXPECT_EQ(marks[0]->frame().origin, (plat::Point {125, (height - 40) / 2})) << "in the middle";
    EXPECT_EQ(labelOf(leading)->frame(), plat::makeRect(5, 0, 121, height));
}

TEST_F(HelpOverlay, ATapOnABubbleThatExplainsChangesNothing)
{
    fillAndShow();
    const auto shown = help->popovers();
    const size_t player = 7;
    driver.tap(*shown[player]);
    driver.wait(1);
    EXPECT_EQ(help->popovers(), shown) << "no bubble is put in place of another";
    EXPECT_EQ(shown[player]->superview(), screen.host);
    EXPECT_EQ(helpPagesOpened, 0);
}

TEST_F(HelpOverlay, TheMoreHelpBubbleOpensTheHelpPagesAfterTheTapAndNothingElse)
{
    fillAndShow();
    auto bubble = help->popovers().back();
    auto buttons = subviewsOf<plat::Button>(*bubble->contentView());
    ASSERT_EQ(buttons.size(), 1u) << "always the button form";
    buttons[0]->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    EXPECT_EQ(helpPagesOpened, 0) << "not inside the tap";
    driver.wait(0);
    EXPECT_EQ(helpPagesOpened, 1);
    EXPECT_EQ(help->popovers().back(), bubble) << "no extended bubble";
    EXPECT_EQ(bubble->superview(), screen.host);
}

TEST_F(HelpOverlay, OnAPhoneEveryBubbleIsOpaqueAndReadsOverALightPicture)
{
    expectEveryBubbleOpaqueAndReadableOverALightPicture();
}

TEST_F(HelpOverlay, ATapBesideTheBubblesAsksForTheOverlayToClose)
{
    fillAndShow();
    std::vector<plat::Notification> posted;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        zt::FrameEditorHelpCloseNotification, nullptr, [&](const plat::Notification& n) { posted.push_back(n); });
    const plat::Point beside {284, 40};
    ASSERT_EQ(window->hitTest(beside, nullptr), help->closeButton()) << "nothing else lies there";
    driver.tapAt(beside);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].object, help.get());
    EXPECT_TRUE(posted[0].userInfo.empty());
    EXPECT_EQ(help->popovers().size(), 9u) << "the editor closes it";
}

TEST_F(HelpOverlay, DismissingTakesTheCloseButtonAwayAndFadesEveryBubbleOut)
{
    fillAndShow();
    const auto bubbles = help->popovers();
    help->dismissHelp();
    EXPECT_FALSE(help->closeButton()->superview());
    // A tap on a bubble while it fades opens nothing and leaves nothing behind.
    subviewsOf<plat::Button>(*bubbles[8]->contentView())
        .front()
        ->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(1);
    EXPECT_EQ(helpPagesOpened, 0);
    for (const auto& bubble : bubbles)
        EXPECT_FALSE(bubble->superview());
    EXPECT_TRUE(subviewsOf<TipPopoverView>(*screen.host).empty());
}

TEST_F(HelpOverlay, ShowingTwiceShowsOnce)
{
    help->addHelp("Play movie preview.", plat::makeRect(300, 40, 40, 40));
    help->showHelpInView(screen.host);
    help->showHelpInView(screen.host);
    EXPECT_EQ(subviewsOf<plat::Button>(*screen.host).size(), 1u);
    EXPECT_EQ(subviewsOf<TipPopoverView>(*screen.host).size(), 1u);
    help->dismissHelp();
    driver.wait(1);
    EXPECT_TRUE(subviewsOf<plat::Button>(*screen.host).empty()) << "no close button is left to swallow taps";
}

TEST_F(HelpOverlay, ReplacingChangesTheFirstItemAtThatRectAndNoShownBubble)
{
    const plat::Rect spot = plat::makeRect(20, 20, 30, 30);
    help->addHelp("first", spot);
    help->addHelp("second", spot);
    help->showHelpInView(screen.host);
    help->replaceHelpAtRect(spot, "new");
    help->replaceHelpAtRect(plat::makeRect(0, 0, 1, 1), "nowhere");
    EXPECT_EQ(texts(), (std::vector<std::string> {"new", "second"}));
    EXPECT_EQ(labelOf(*help->popovers()[0])->text(), "first");
}

class TabletHelpOverlay : public HelpOverlay {
protected:
    TabletHelpOverlay()
        : HelpOverlay(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(TabletHelpOverlay, TheBubblesComeInOrderAtTheControlsAndTheEmbeddedCaptureScreen)
{
    zt::addFrameEditorHelpItems(*help, screen.controls, [] {});
    EXPECT_EQ(texts(),
        (std::vector<std::string> {"Back to projects.",
            "Add voice over, background music or change movie theme or movie effect.", "Play movie preview.",
            "Capture images.", "Project settings.",
            "Frame-by-frame view. Tap to scroll, double-tap for the timeline, tap and hold for more options.",
            "Change camera settings.", "Set up a timer to capture images at a regular interval.",
            "Overlay or onion skin setting.", "Jump to start or capture frame.",
            "Tap the image to crop, mask, paint and more.", "Need more help? Tap here."}));
    const auto& items = help->helpItems();
    ASSERT_EQ(items.size(), 12u);
    // The side panels are 112 wide; the music button lies at (8, 190), 96 wide.
    expectRectNear(items[0].rect, plat::makeRect(8, 10, 96, 40), "explorer");
    expectRectNear(items[1].rect, plat::makeRect(56, 195, 1, 1), "music");
    expectRectNear(items[3].rect, plat::makeRect(948, 353, 60, 60), "capture");
    expectRectNear(items[6].rect, plat::makeRect(786, 577, 55, 44), "camera settings");
    expectRectNear(items[7].rect, plat::makeRect(850, 570, 105, 44), "timer");
    expectRectNear(items[8].rect, plat::makeRect(-5, 263, 55, 292), "onion skin");
    expectRectNear(items[9].rect, plat::makeRect(416, 574, 100, 30), "jump");
    expectRectNear(items[10].rect, plat::makeRect(512, 400, 1, 1), "picture");
    expectRectNear(items[11].rect, plat::makeRect(50, 720, 1, 1), "more help");
    std::vector<uint64_t> arrows;
    for (const auto& item : items)
        arrows.push_back(item.arrowDirection);
    EXPECT_EQ(arrows, (std::vector<uint64_t> {2, 0, 0, 0, 2, 0, 0, 2, 0, 0, 0, 1}));
    EXPECT_EQ(items.back().color, moreHelpGreen());
}

TEST_F(TabletHelpOverlay, OnATabletEveryBubbleIsOpaqueAndReadsOverALightPicture)
{
    expectEveryBubbleOpaqueAndReadableOverALightPicture();
}

TEST_F(TabletHelpOverlay, BubblesAreTwoHundredPointsWideWhenLong)
{
    fillAndShow();
    // The long text of the look buttons fits three lines of 200 points.
    const std::string& look = help->helpItems()[1].text;
    EXPECT_EQ(help->popovers()[1]->contentSize(), (plat::Size {210, wrappedHeight(look, 200) + 2 * kTextMargin}));
    const std::string& more = help->helpItems()[11].text;
    EXPECT_EQ(help->popovers()[11]->contentSize(), (plat::Size {210, wrappedHeight(more, 171) + 2 * kTextMargin}));
}

}  // namespace
