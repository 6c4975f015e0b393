#include "painter/CPColorPicker.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

#include "painter/CPColorCompareView.h"
#include "painter/CPColorPickerAlphaSlider.h"
#include "painter/CPColorPickerBrightnessSlider.h"
#include "painter/CPColorPickerSwatchView.h"
#include "painter/CPDefaultColorViewController.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Object.h"
#include "platform/ui/ShapeLayer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"

namespace {

using plat::test::pixelAt;

// The textbook conversion, written apart from the picker's: hue in sixths
// from the largest component, 0 <= hue < 1.
std::tuple<double, double, double> textbookHSV(double r, double g, double b)
{
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    const double chroma = high - low;
    double hue = 0;
    if (chroma > 0) {
        if (high == r)
            hue = std::fmod((g - b) / chroma + 6.0, 6.0);
        else if (high == g)
            hue = (b - r) / chroma + 2.0;
        else
            hue = (r - g) / chroma + 4.0;
        hue /= 6.0;
    }
    return {hue, high > 0 ? chroma / high : 0.0, high};
}

// Hues are the same where they differ by a whole turn (red is 1.0 here, 0 there).
double hueDistance(double a, double b)
{
    const double d = std::fabs(a - b);
    return std::min(d, std::fabs(d - 1.0));
}

// Counts value-changed events (targets are toolkit objects).
struct ChangeCounter : plat::Object {
    void changed() { ++count; }
    int count = 0;
};

class Picker : public plat::test::RootScreenTest {
protected:
    Picker()
    {
        picker->addTarget(counter.get(), &ChangeCounter::changed, plat::ControlEventValueChanged);
        root->view()->addSubview(picker);
        driver.wait(0);
    }
    plat::Point inWindow(const plat::View& view, plat::Point point) const { return view.convertPoint(point, nullptr); }
    plat::Point wheelKnob() const { return picker->colorWheel()->wheelKnobView()->center(); }
    plat::Point sliderKnob() const { return picker->brightnessSlider()->sliderKnobView()->center(); }

    std::shared_ptr<zt::CPColorPicker> picker = zt::CPColorPicker::initWithFrame(plat::makeRect(20, 20, 250, 180));
    std::shared_ptr<ChangeCounter> counter = std::make_shared<ChangeCounter>();
    int& changes = counter->count;
};

}  // namespace

TEST(ColorConversion, PrimariesAndMixesHaveTheirHues)
{
    const auto red = zt::rgbToHSV(1, 0, 0);
    EXPECT_FLOAT_EQ(red.h, 1.0f);  // not 0: red is reached from the magenta side
    EXPECT_FLOAT_EQ(red.s, 1.0f);
    EXPECT_FLOAT_EQ(red.v, 1.0f);
    EXPECT_FLOAT_EQ(zt::rgbToHSV(0, 1, 0).h, 1.0f / 3);
    EXPECT_FLOAT_EQ(zt::rgbToHSV(0, 0, 1).h, 2.0f / 3);
    EXPECT_FLOAT_EQ(zt::rgbToHSV(1, 1, 0).h, 1.0f / 6);
    const auto grey = zt::rgbToHSV(0.4f, 0.4f, 0.4f);
    EXPECT_EQ(grey.h, 0.0f);
    EXPECT_EQ(grey.s, 0.0f);
    EXPECT_FLOAT_EQ(grey.v, 0.4f);
    const auto black = zt::rgbToHSV(0, 0, 0);
    EXPECT_EQ(black.s, 0.0f);
    EXPECT_EQ(black.v, 0.0f);
}

TEST(ColorConversion, AgreesWithTheTextbookConversionOverAGrid)
{
    for (int ri = 0; ri <= 10; ++ri)
        for (int gi = 0; gi <= 10; ++gi)
            for (int bi = 0; bi <= 10; ++bi) {
                const double r = ri / 10.0, g = gi / 10.0, b = bi / 10.0;
                const auto [h, s, v] = textbookHSV(r, g, b);
                const auto hsv = zt::rgbToHSV(float(r), float(g), float(b));
                SCOPED_TRACE(testing::Message() << r << ", " << g << ", " << b);
                EXPECT_NEAR(hueDistance(hsv.h, h), 0.0, 1e-5);
                EXPECT_NEAR(hsv.s, s, 1e-5);
                EXPECT_NEAR(hsv.v, v, 1e-6);
            }
}

TEST_F(Picker, SelectingRedPutsTheKnobAtTheRightEdgeLessThreePoints)
{
    picker->setSelectedColor(plat::Color::redColor());
    // The disc is 165 across: its centre 82.5, its rim at 165, the knob 3 inside.
    EXPECT_EQ(wheelKnob(), (plat::Point {162, 83}));
    EXPECT_DOUBLE_EQ(picker->brightnessSlider()->value(), 1.0);
    EXPECT_EQ(sliderKnob().y, 20);
    EXPECT_EQ(changes, 1);  // set by code, and still reported
}

TEST_F(Picker, GreysPutTheWheelKnobInTheMiddleAndTheSliderAtTheirLevel)
{
    picker->setSelectedColor(plat::Color::colorWithWhite(0.5, 1));
    EXPECT_EQ(wheelKnob(), (plat::Point {83, 83}));
    EXPECT_DOUBLE_EQ(picker->brightnessSlider()->value(), 0.5);
    // 20 below the top for 1, 20 above the bottom (of 180) for 0.
    EXPECT_EQ(sliderKnob().y, 90);
    picker->setSelectedColor(plat::Color::whiteColor());
    EXPECT_EQ(wheelKnob(), (plat::Point {83, 83}));
    EXPECT_EQ(sliderKnob().y, 20);
}

TEST_F(Picker, TheWheelPicksHueAndSaturationWhereItIsTouched)
{
    auto wheel = picker->colorWheel();
    // Straight up from the centre is a quarter turn counter-clockwise: hue 0.25, yellow-green.
    driver.tapAt(inWindow(*wheel, {82.5, 82.5 - 60}));
    EXPECT_NEAR(wheel->hue(), 0.25, 1e-6);
    EXPECT_NEAR(wheel->saturation(), 60 / 82.5, 1e-6);
    double r = 0, g = 0, b = 0, a = 0;
    picker->selectedColor().getRed(&r, &g, &b, &a);
    const auto [h, s, v] = textbookHSV(r, g, b);
    EXPECT_NEAR(h, 0.25, 1e-3);
    EXPECT_NEAR(s, 60 / 82.5, 1e-3);
    EXPECT_NEAR(v, 1.0, 1e-6);
    EXPECT_EQ(a, 1.0);

    // Nine points from the centre is still the centre: no saturation.
    driver.wait(1);
    driver.tapAt(inWindow(*wheel, {82.5 + 9, 82.5}));
    EXPECT_EQ(wheel->saturation(), 0.0f);
    // A drag beyond the rim stops at full saturation.
    driver.wait(1);
    driver.drag(inWindow(*wheel, {82.5, 100}), inWindow(*wheel, {82.5, 82.5 + 150}));
    EXPECT_FLOAT_EQ(wheel->saturation(), 1.0f);
    EXPECT_NEAR(wheel->hue(), 0.75, 1e-6);  // straight down
}

TEST_F(Picker, ATouchThatStartsBesideTheWheelChangesNothing)
{
    picker->setSelectedColor(plat::Color::blueColor());
    changes = 0;
    // Between the wheel (to x 170) and the slider (from x 180), then onto the wheel.
    driver.drag(inWindow(*picker, {175, 100}), inWindow(*picker, {60, 100}));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(picker->selectedColor(), plat::Color::blueColor());
}

TEST_F(Picker, TheSliderEndsAreTwentyPointsInAndTheBottomGivesBlack)
{
    picker->setSelectedColor(plat::Color::colorWithRed(0.2, 0.6, 0.4, 1));
    auto slider = picker->brightnessSlider();
    driver.drag(inWindow(*slider, {19, 90}), inWindow(*slider, {19, 175}));
    EXPECT_EQ(slider->value(), 0.0);
    double r = 1, g = 1, b = 1, a = 0;
    picker->selectedColor().getRed(&r, &g, &b, &a);
    EXPECT_EQ(std::make_tuple(r, g, b, a), std::make_tuple(0.0, 0.0, 0.0, 1.0));
    // Black has no hue: the wheel's knob goes to the middle.
    EXPECT_EQ(wheelKnob(), (plat::Point {83, 83}));
    EXPECT_EQ(sliderKnob().y, 160);
    driver.wait(1);
    driver.tapAt(inWindow(*slider, {19, 8}));
    EXPECT_EQ(slider->value(), 1.0);
    slider->setValue(-3);
    EXPECT_EQ(slider->value(), 0.0);
}

TEST_F(Picker, TheAlphaSliderKeepsTheOpacityAndTheCompareViewTheColours)
{
    auto alpha = zt::CPColorPickerAlphaSlider::initWithFrame(plat::makeRect(218, 5, 30, 180));
    alpha->addTarget(picker.get(), &zt::CPColorPicker::alphaChanged, plat::ControlEventValueChanged);
    picker->addSubview(alpha);
    picker->setAlphaSlider(alpha);
    auto compare = zt::CPColorCompareView::initWithFrame(plat::makeRect(0, 0, 60, 20));
    picker->setCurrentColorView(compare);
    picker->setOldColor(plat::Color::greenColor());
    EXPECT_EQ(compare->oldColor(), plat::Color::greenColor());

    const plat::Color halfRed = plat::Color::colorWithRed(1, 0, 0, 0.5);
    picker->setSelectedColor(halfRed);
    EXPECT_DOUBLE_EQ(alpha->value(), 0.5);
    EXPECT_EQ(compare->currentColor(), halfRed);
    // The checkerboard stays behind the knob.
    EXPECT_EQ(alpha->subviews().back(), alpha->sliderKnobView());

    // A quarter of the way up: opacity 0.25, the hue and brightness kept.
    driver.tapAt(inWindow(*alpha, {15, 20 + 140 * 0.75}));
    double r = 0, g = 0, b = 0, a = 0;
    picker->selectedColor().getRed(&r, &g, &b, &a);
    EXPECT_NEAR(a, 0.25, 1e-9);
    EXPECT_NEAR(r, 1, 1e-6);
    EXPECT_NEAR(g, 0, 1e-6);

    // A swatch's action selects its colour; the compare view's brings the old one back.
    auto swatch = zt::CPColorPickerSwatchView::initWithFrame(plat::makeRect(0, 0, 30, 30));
    swatch->setColor(plat::Color::blueColor());
    picker->swatchAction(*swatch);
    EXPECT_EQ(picker->selectedColor(), plat::Color::blueColor());
    picker->oldColor(*compare);
    EXPECT_EQ(picker->selectedColor(), plat::Color::greenColor());
}

TEST_F(Picker, ThePopoverControllerTellsItsDelegateOfChangesButNotOfLoading)
{
    struct Recorder : zt::CPDefaultColorControllerDelegate {
        void defaultColorController(zt::CPDefaultColorViewController&, const plat::Color& color) override
        {
            colors.push_back(color);
        }
        std::vector<plat::Color> colors;
    };
    auto recorder = std::make_shared<Recorder>();
    auto controller = std::make_shared<zt::CPDefaultColorViewController>();
    controller->setSelectedColor(plat::Color::colorWithRed(0.5, 0.25, 0.25, 1));
    controller->setDelegate(recorder);
    EXPECT_EQ(controller->contentSizeForViewInPopover(), (plat::Size {250, 180}));
    root->view()->addSubview(controller->view());
    driver.wait(0);
    EXPECT_TRUE(recorder->colors.empty());
    EXPECT_EQ(controller->picker()->oldColor(), controller->selectedColor());
    // The palette's colours are opaque: no opacity slider in its picker.
    EXPECT_FALSE(controller->picker()->alphaSlider());
    const auto& members = controller->picker()->subviews();
    EXPECT_TRUE(std::none_of(members.begin(), members.end(),
        [](const auto& view) { return std::dynamic_pointer_cast<zt::CPColorPickerAlphaSlider>(view) != nullptr; }));
    controller->picker()->brightnessSlider()->mapPointToValue({19, 90});
    ASSERT_EQ(recorder->colors.size(), 1u);
    EXPECT_EQ(recorder->colors[0], controller->selectedColor());
    double h = 0, s = 0, v = 0, a = 0;
    controller->selectedColor().getHue(&h, &s, &v, &a);
    EXPECT_NEAR(v, 0.5, 1e-9);
    EXPECT_NEAR(s, 0.5, 1e-6);
}

TEST_F(Picker, SwatchesShowTheCheckerboardOnlyThroughSeeThroughColours)
{
    auto swatch = zt::CPColorPickerSwatchView::initWithFrame(plat::makeRect(300, 20, 60, 60));
    root->view()->addSubview(swatch);
    swatch->setColor(plat::Color::colorWithRed(0, 0, 1, 0.5));
    driver.wait(0);
    auto picture = driver.screenshot();
    const double scale = picture->scale();
    auto at = [&](double x, double y) { return pixelAt(*picture, int(x * scale), int(y * scale)); };
    // Two neighbouring squares of the board (8 points each) differ through half a blue...
    EXPECT_NE(at(300 + 12, 20 + 12), at(300 + 20, 20 + 12));
    swatch->setColor(plat::Color::blueColor());
    driver.wait(0);
    picture = driver.screenshot();
    // ...and not through an opaque one.
    EXPECT_EQ(at(300 + 12, 20 + 12), at(300 + 20, 20 + 12));

    auto checkmark = swatch->checkmarkLayer();
    ASSERT_TRUE(checkmark);
    EXPECT_TRUE(checkmark->isHidden());
    swatch->setSelected(true, /*animated=*/false);
    EXPECT_FALSE(checkmark->isHidden());
    EXPECT_EQ(checkmark->position(), (plat::Point {46, 46}));
    swatch->setSelected(false);
    EXPECT_TRUE(checkmark->isHidden());
    auto touchDown = swatch->touchDownLayer();
    ASSERT_TRUE(touchDown);
    EXPECT_EQ(touchDown->opacity(), 0.0);
}

TEST_F(Picker, TheCompareViewShowsNoCheckerboardBetweenOpaqueAndClear)
{
    auto compare = zt::CPColorCompareView::initWithFrame(plat::makeRect(300, 100, 80, 40));
    root->view()->addSubview(compare);
    compare->setOldColor(plat::Color::redColor());
    compare->setCurrentColor(plat::Color::clearColor());
    driver.wait(0);
    auto picture = driver.screenshot();
    const double scale = picture->scale();
    auto at = [&](double x, double y) { return pixelAt(*picture, int(x * scale), int(y * scale)); };
    const auto rootColour = at(450, 150);
    // The clear right half shows what is behind, on both squares of where a board would be.
    EXPECT_EQ(at(300 + 60, 100 + 12), at(300 + 68, 100 + 12));
    EXPECT_EQ(at(300 + 60, 100 + 12), rootColour);
    EXPECT_EQ(at(300 + 20, 100 + 20)[0], 255);  // the old colour on the left
    compare->setCurrentColor(plat::Color::colorWithRed(0, 1, 0, 0.5));
    driver.wait(0);
    picture = driver.screenshot();
    EXPECT_NE(at(300 + 60, 100 + 12), at(300 + 68, 100 + 12));
}

TEST_F(Picker, ThePickerInItsPopoverLooksAsDrawn)
{
    auto controller = std::make_shared<zt::CPDefaultColorViewController>();
    controller->setSelectedColor(plat::Color::colorWithRed(40 / 255.0, 127 / 255.0, 136 / 255.0, 0.6));
    auto backdrop = std::make_shared<plat::View>(plat::makeRect(0, 0, 250, 180));
    backdrop->setBackgroundColor(plat::Color::colorWithWhite(0.225, 1));
    backdrop->addSubview(controller->view());
    auto picture = plat::renderViewToImage(*backdrop, 2.0);
    ASSERT_TRUE(picture);
    plat::test::TemporaryFolder output;
    auto result = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/painter/color_picker.png"), output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}
