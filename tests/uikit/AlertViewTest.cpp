#include "uikit/AlertView.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/SeeThrough.h"
#include "support/TemporarySandbox.h"
#include "support/TextContrast.h"
#include "uikit/MessageAlert.h"

namespace {

using Log = std::vector<std::string>;

class BlockAlerts : public ::testing::Test {
protected:
    BlockAlerts()
    {
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    std::shared_ptr<zt::AlertView> makeAlert(const std::string& title, const std::string& message)
    {
        return std::make_shared<zt::AlertView>(title, message);
    }
    zt::AlertView::ButtonBlock note(const std::string& name)
    {
        return [this, name](zt::AlertView&, int64_t index) { log.push_back(name + " " + std::to_string(index)); };
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    plat::test::UIDriver driver;
    Log log;
};

}  // namespace

TEST_F(BlockAlerts, TheOnlyButtonRunsItsBlockWithIndexZeroAndTheAlertGoes)
{
    auto alert = makeAlert("Storage Nearly Full", "There is almost no space left.");
    EXPECT_EQ(alert->addButtonWithTitle("Dismiss", note("dismiss")), 0);
    alert->show();
    alert.reset();  // the window keeps it while it shows
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    EXPECT_EQ(log, (Log {"dismiss 0"}));
    EXPECT_EQ(driver.findView("Storage Nearly Full"), nullptr);
}

TEST_F(BlockAlerts, ButtonsTakeTheirIndexesAndBlocksInTheOrderTheyWereAdded)
{
    auto alert = makeAlert("Warning", "Do you really want to delete your project?");
    EXPECT_EQ(alert->addButtonWithTitle("Delete", note("delete")), 0);
    EXPECT_EQ(alert->addButtonWithTitle("No", note("no")), 1);
    alert->setAlertViewWillDismissWithButtonIndexBlock(note("will dismiss"));
    alert->setAlertViewDidDismissWithButtonIndexBlock(note("did dismiss"));
    alert->setWillPresentAlertViewBlock([this](zt::AlertView&) { log.push_back("will present"); });
    alert->setDidPresentAlertViewBlock([this](zt::AlertView&) { log.push_back("did present"); });
    alert->show();
    driver.wait(1);
    ASSERT_TRUE(driver.tap("No"));
    driver.wait(1);
    EXPECT_EQ(log, (Log {"will present", "did present", "no 1", "will dismiss 1", "did dismiss 1"}));
    EXPECT_FALSE(alert->isVisible());
}

TEST_F(BlockAlerts, AnEmptyBlockIsAButtonWithoutAnAction)
{
    auto alert = makeAlert("", "Import.");
    alert->addButtonWithTitle("OK", {});
    alert->setAlertViewDidDismissWithButtonIndexBlock(note("did dismiss"));
    alert->show();
    driver.wait(1);
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);
    EXPECT_EQ(log, (Log {"did dismiss 0"}));
}

TEST_F(BlockAlerts, ASystemCancelWithoutACancelBlockDismissesAtOnceAndRunsNoButtonBlock)
{
    auto alert = makeAlert("Warning", "");
    alert->addButtonWithTitle("Delete", note("delete"));
    alert->setAlertViewDidDismissWithButtonIndexBlock(note("did dismiss"));
    alert->show();
    driver.wait(1);
    alert->cancelBySystem();
    EXPECT_FALSE(alert->isVisible()) << "without animation";
    EXPECT_EQ(log, (Log {"did dismiss -1"}));
}

TEST_F(BlockAlerts, ASystemCancelRunsTheCancelBlockInsteadWhenThereIsOne)
{
    auto alert = makeAlert("Warning", "");
    alert->addButtonWithTitle("Delete", note("delete"));
    alert->setAlertViewCancelBlock([this](zt::AlertView&) { log.push_back("cancel"); });
    alert->show();
    driver.wait(1);
    alert->cancelBySystem();
    EXPECT_EQ(log, (Log {"cancel"}));
    EXPECT_TRUE(alert->isVisible()) << "the block decides what happens";
}

TEST_F(BlockAlerts, ThePlatformInitialiserWithoutADelegateReportsNothingBack)
{
    auto alert = std::make_shared<zt::AlertView>("", "This project cannot be read by this version of the app.",
        std::weak_ptr<plat::AlertViewDelegate>(), std::string("OK"), std::vector<std::string> {});
    alert->show();
    driver.wait(1);
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);
    EXPECT_FALSE(alert->isVisible());
}

TEST_F(BlockAlerts, ColoursSetBeforeTheFirstAlertAreKeptAndTheDefaultsComeOtherwise)
{
    zt::AlertView::resetSharedColorsForTesting();
    auto fill = plat::Color::colorWithRed(0, 0, 0.5, 1);
    auto stroke = plat::Color::redColor();
    zt::AlertView::setBackgroundColorWithStrokeColor(fill, stroke);
    makeAlert("a", "b");
    EXPECT_EQ(zt::AlertView::sharedBackgroundColor(), fill);
    EXPECT_EQ(zt::AlertView::sharedStrokeColor(), stroke);

    zt::AlertView::resetSharedColorsForTesting();
    makeAlert("a", "b");
    EXPECT_EQ(zt::AlertView::sharedBackgroundColor(), plat::Color::blackColor());
    EXPECT_EQ(zt::AlertView::sharedStrokeColor(), plat::Color::colorWithHue(0.625, 0, 0.8, 0.8));
}

TEST_F(BlockAlerts, TheRoundedPathTouchesEachSideAndCutsTheCorners)
{
    auto context = plat::GraphicsContext::bitmapContext(40, 30, 1, plat::ContextOpacity::Transparent);
    auto alert = makeAlert("", "");
    context->setFillColor(plat::Color::redColor());
    context->beginPath();
    alert->drawRoundedRect(plat::makeRect(0, 0, 40, 30), *context, 8);
    context->fillPath();
    auto image = context->makeImage();
    auto alphaAt = [&](int x, int y) { return plat::test::pixelAt(*image, x, y)[3]; };
    for (auto [x, y] : {std::pair {20, 0}, {0, 15}, {39, 15}, {20, 29}, {20, 15}, {8, 1}, {1, 8}})
        EXPECT_EQ(alphaAt(x, y), 255) << x << "," << y;
    for (auto [x, y] : {std::pair {0, 0}, {39, 0}, {39, 29}, {0, 29}, {1, 1}})
        EXPECT_EQ(alphaAt(x, y), 0) << x << "," << y;
}

TEST_F(BlockAlerts, ItDrawsADarkPanelWithALightRimAGlossOnTopAndLightTexts)
{
    zt::AlertView::resetSharedColorsForTesting();
    auto alert = makeAlert("Render Movie", "The project needs to be rendered first. This may take a while.");
    alert->addButtonWithTitle("Ok", {});
    alert->addButtonWithTitle("Cancel", {});
    alert->show();
    driver.wait(1);
    auto picture = plat::renderViewToImage(*alert, 1);
    ASSERT_TRUE(picture);
    const int w = picture->bitmap()->width(), h = picture->bitmap()->height();
    auto bottom = plat::test::pixelAt(*picture, w / 2, h - 8);
    EXPECT_LT(bottom[0], 40) << "the panel is dark";
    EXPECT_EQ(bottom[3], 255) << "and opaque";
    auto rim = plat::test::pixelAt(*picture, 2, h / 2);
    EXPECT_GT(rim[0], 90) << "the rim is light";
    auto top = plat::test::pixelAt(*picture, w / 2 + 60, 5);
    EXPECT_GT(top[0], bottom[0] + 20) << "the gloss lights the top";
    for (const auto& subview : alert->subviews()) {
        if (auto label = std::dynamic_pointer_cast<plat::Label>(subview)) {
            EXPECT_EQ(label->textColor(), plat::Color::whiteColor());
        }
    }
}

TEST_F(BlockAlerts, EachLayoutPassRemovesOneStockBackgroundPicture)
{
    auto alert = makeAlert("a", "b");
    auto stock = std::make_shared<plat::ImageView>();
    auto tagged = std::make_shared<plat::ImageView>();
    tagged->setTag(3);
    auto another = std::make_shared<plat::ImageView>();
    alert->addSubview(tagged);
    alert->addSubview(stock);
    alert->addSubview(another);
    alert->layoutSubviews();
    EXPECT_EQ(stock->superview(), nullptr);
    EXPECT_EQ(another->superview(), alert) << "one per pass";
    EXPECT_EQ(tagged->superview(), alert);
    alert->layoutSubviews();
    EXPECT_EQ(another->superview(), nullptr);
}

namespace {

enum class Panel { Dark, Light };
enum class Behind { LightPicture, DarkPicture };

// The alerts a person meets on a device that cannot be written, and the
// everyday ones, in the panels they come in: the app's own dark panel and
// the platform's light one.
struct ShownAlert {
    const char* shownBy;
    Panel panel;
    const char* title;
    const char* message;
};

const ShownAlert kAlerts[] = {
    {"the explorer's render prompt", Panel::Dark, "Render Movie",
        "The project needs to be rendered first. This may take a while."},
    {"the start-up storage warning", Panel::Dark, "Storage Nearly Full",
        "There is almost no space left on this device. You cannot record new media until you free some space."},
    {"the capture error", Panel::Dark, "Error",
        "Read-only file system. The picture could not be stored. (CaptureViewController-636)"},
    {"the voice-over error", Panel::Dark, "The voice-over could not be recorded.", "Read-only file system."},
    {"the import message", Panel::Light, "",
        "There was a problem copying the project. Please try again.\n“Owls.zantropemobile”: Read-only file system."},
    {"a failure alert", Panel::Light, "The project could not be deleted.", "Read-only file system."},
};

std::shared_ptr<plat::Label> labelShowing(const std::shared_ptr<plat::View>& view, const std::string& text)
{
    if (auto label = std::dynamic_pointer_cast<plat::Label>(view); label && label->text() == text)
        return label;
    for (const auto& subview : view->subviews())
        if (auto found = labelShowing(subview, text))
            return found;
    return nullptr;
}

// A picture that fills the screen behind the alert: light paper with grey
// strokes, or a dark scene with bright ones, so what shows through is not flat.
std::shared_ptr<plat::Image> pictureBehind(Behind behind, plat::Size size)
{
    const bool light = behind == Behind::LightPicture;
    return plat::test::makeImage(static_cast<int>(size.width), static_cast<int>(size.height), [light](int x, int y) {
        const bool stroke = (x / 7 + y / 5) % 6 == 0;
        const int base = light ? 250 : 12;
        const int mark = light ? 150 : 200;
        const int value = stroke ? mark : base;
        return plat::test::Rgba {value, value, std::min(255, value + 5), 255};
    });
}

struct AlertOverAPicture {
    AlertOverAPicture(plat::UserInterfaceIdiom idiom, Behind behind, const ShownAlert& shown)
        : ui(idiom)
    {
        auto backdrop = std::make_shared<plat::ImageView>(pictureBehind(behind, window->bounds().size));
        backdrop->setFrame(window->bounds());
        window->addSubview(backdrop);
        // As the app's window: buttons of the platform's alert take its tint.
        window->setTintColor(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
        window->makeKeyAndVisible();
        if (shown.panel == Panel::Dark) {
            auto dark = std::make_shared<zt::AlertView>(shown.title, shown.message);
            dark->addButtonWithTitle("OK", {});
            alert = dark;
        } else {
            alert = zt::makeMessageAlert(shown.title, shown.message, std::string("OK"));
        }
        alert->show();
        driver.wait(1);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    plat::test::UIDriver driver {window};
    std::shared_ptr<plat::AlertView> alert;
};

constexpr double kScreenScale = 2;
// Wider than either panel's rounded corners.
constexpr double kCornerRoom = 16;
// The dark panel is drawn with its rim two points inside its bounds.
constexpr double kRimRoom = 4;
// A level or two is rounding where a picture is drawn at a fraction of a pixel.
constexpr int kUnseen = 2;

}  // namespace

TEST(AlertMessageContrast, EveryAlertsMessageAndButtonStandOutFromItsOpaquePanelOnBothIdiomsOverLightAndDarkPictures)
{
    for (auto idiom : {plat::UserInterfaceIdiom::Phone, plat::UserInterfaceIdiom::Pad}) {
        for (auto behind : {Behind::LightPicture, Behind::DarkPicture}) {
            for (const ShownAlert& shown : kAlerts) {
                SCOPED_TRACE(std::string(shown.shownBy)
                    + (idiom == plat::UserInterfaceIdiom::Pad ? ", tablet" : ", phone")
                    + (behind == Behind::LightPicture ? ", over a light picture" : ", over a dark picture"));
                AlertOverAPicture scene(idiom, behind, shown);
                for (const std::string text : {shown.message, "OK"}) {
                    auto label = labelShowing(scene.alert, text);
                    ASSERT_NE(label, nullptr) << text;
                    const auto contrast = plat::test::measureTextContrast(*scene.window, *label, kScreenScale);
                    // 4.5:1, the usual least contrast for text of this size.
                    EXPECT_GE(contrast.ratio, 4.5)
                        << text << ": text luminance " << contrast.textLuminance << " on "
                        << contrast.backgroundLuminance << " over " << contrast.strokePixels << " stroke pixels";
                }
                // Nothing of the picture shows through the panel, clear of its rim and its rounded corners.
                const plat::Rect panel = scene.alert->convertRect(scene.alert->bounds(), nullptr);
                EXPECT_LE(plat::test::largestSeeThrough(*scene.window, *scene.alert,
                              plat::insetRect(panel, {kRimRoom, kCornerRoom, kRimRoom, kCornerRoom})),
                    kUnseen);
            }
        }
    }
}

TEST(AlertMessageContrast, TheDarkAlertOverALightPictureLooksAsItsReferenceOnBothIdioms)
{
    const std::pair<plat::UserInterfaceIdiom, const char*> looks[]
        = {{plat::UserInterfaceIdiom::Phone, "alert-dark-phone.png"},
            {plat::UserInterfaceIdiom::Pad, "alert-dark-tablet.png"}};
    for (const auto& [idiom, reference] : looks) {
        AlertOverAPicture scene(idiom, Behind::LightPicture, kAlerts[0]);
        plat::test::TemporaryFolder output;
        auto picture = scene.driver.screenshot();
        ASSERT_TRUE(picture);
        auto compared = plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath(std::string("tests/data/uikit/") + reference), output.path());
        EXPECT_TRUE(compared.matches) << reference << ": " << compared.explanation;
    }
}
