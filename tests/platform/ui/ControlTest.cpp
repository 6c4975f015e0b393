#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/FontCatalog.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"

namespace {

class Listener : public plat::Object {
public:
    void down(plat::Control&) { events.push_back("down"); }
    void upInside(plat::Control&) { events.push_back("up inside"); }
    void upOutside() { events.push_back("up outside"); }
    void dragExit() { events.push_back("exit"); }
    void changed(plat::Control&) { events.push_back("changed"); }
    void item(plat::BarButtonItem& item) { events.push_back("item " + item.title()); }
    std::vector<std::string> events;
};

class Controls : public ::testing::Test {
protected:
    Controls() { window->makeKeyAndVisible(); }

    void tap(plat::Point p)
    {
        auto t = touches.touchDown(p);
        clock.advance(0.05);
        touches.liftTouch(t);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 568, 320));
    std::shared_ptr<Listener> listener = std::make_shared<Listener>();
    plat::TouchSynthesizer touches {window};
};

}  // namespace

TEST_F(Controls, ButtonTitleImageAndColourFallBackToNormal)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
    button->setTitle("Delete", plat::ControlStateNormal);
    button->setTitle("Deleting", plat::ControlStateHighlighted);
    button->setTitleColor(plat::Color::redColor(), plat::ControlStateNormal);
    EXPECT_EQ(button->currentTitle(), "Delete");
    button->setHighlighted(true);
    EXPECT_EQ(button->currentTitle(), "Deleting");
    EXPECT_EQ(button->currentTitleColor(), plat::Color::redColor());
    button->setHighlighted(false);
    button->setSelected(true);
    EXPECT_EQ(button->currentTitle(), "Delete") << "selected falls back to normal";
    EXPECT_EQ(button->titleLabel()->text(), "Delete");
    EXPECT_EQ(button->accessibilityLabel(), "Delete");
}

TEST_F(Controls, TouchInsideSendsDownThenUpInside)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setFrame(plat::makeRect(100, 100, 80, 40));
    button->addTarget(listener.get(), &Listener::down, plat::ControlEventTouchDown);
    button->addTarget(listener.get(), &Listener::upInside, plat::ControlEventTouchUpInside);
    window->addSubview(button);
    auto t = touches.touchDown({120, 120});
    EXPECT_TRUE(button->isHighlighted());
    touches.liftTouch(t);
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_EQ(listener->events, (std::vector<std::string> {"down", "up inside"}));
}

TEST_F(Controls, DraggingBeyondTheSlopEndsOutside)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setFrame(plat::makeRect(100, 100, 80, 40));
    button->addTarget(listener.get(), &Listener::upInside, plat::ControlEventTouchUpInside);
    button->addTarget(listener.get(), &Listener::upOutside, plat::ControlEventTouchUpOutside);
    button->addTarget(listener.get(), &Listener::dragExit, plat::ControlEventTouchDragExit);
    window->addSubview(button);
    auto t = touches.touchDown({120, 120});
    touches.moveTouch(t, {120, 100 + 40 + 60});  // 60 points below: still inside the slop
    EXPECT_TRUE(button->isHighlighted());
    touches.moveTouch(t, {120, 100 + 40 + 80});
    EXPECT_FALSE(button->isHighlighted());
    touches.liftTouch(t);
    EXPECT_EQ(listener->events, (std::vector<std::string> {"exit", "up outside"}));
}

TEST_F(Controls, DisabledControlSendsNothing)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setFrame(plat::makeRect(0, 0, 80, 40));
    button->addTarget(listener.get(), &Listener::upInside, plat::ControlEventTouchUpInside);
    button->setEnabled(false);
    window->addSubview(button);
    tap({10, 10});
    EXPECT_TRUE(listener->events.empty());
}

TEST_F(Controls, TargetsAreNotKeptAlive)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    auto target = std::make_shared<Listener>();
    std::weak_ptr<Listener> weakTarget = target;
    button->addTarget(target.get(), &Listener::upInside, plat::ControlEventTouchUpInside);
    target.reset();
    EXPECT_TRUE(weakTarget.expired());
    button->sendActionsForControlEvents(plat::ControlEventTouchUpInside);  // must not reach the dead target
    button->addTarget(listener.get(), &Listener::upInside, plat::ControlEventTouchUpInside);
    button->removeTarget(listener.get(), &Listener::upInside, plat::ControlEventTouchUpInside);
    button->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    EXPECT_TRUE(listener->events.empty());
}

TEST_F(Controls, RemovingTheActionsOfNoTargetRemovesEveryTargetsForThoseEvents)
{
    auto other = std::make_shared<Listener>();
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->addTarget(listener.get(), &Listener::upInside, plat::ControlEventTouchUpInside);
    button->addTarget(other.get(), &Listener::upInside, plat::ControlEventTouchUpInside);
    button->addTarget(other.get(), &Listener::down, plat::ControlEventTouchDown);
    button->removeTarget(nullptr, plat::ControlEventTouchUpInside);
    button->sendActionsForControlEvents(plat::ControlEventTouchUpInside | plat::ControlEventTouchDown);
    EXPECT_TRUE(listener->events.empty());
    EXPECT_EQ(other->events, (std::vector<std::string> {"down"}));
    button->removeTarget(nullptr, plat::ControlEventAllEvents);
    button->sendActionsForControlEvents(plat::ControlEventAllEvents);
    EXPECT_EQ(other->events, (std::vector<std::string> {"down"}));
}

TEST_F(Controls, SliderFollowsTheThumbAndReportsChanges)
{
    auto slider = std::make_shared<plat::Slider>(plat::makeRect(0, 100, 228, 31));
    slider->setMinimumValue(1);
    slider->setMaximumValue(5);
    slider->addTarget(listener.get(), &Listener::changed, plat::ControlEventValueChanged);
    window->addSubview(slider);
    // Value 1 puts the thumb's centre 14 points in; the travel is 200 points.
    auto t = touches.touchDown({14, 115});
    touches.moveTouch(t, {114, 115});
    EXPECT_DOUBLE_EQ(slider->value(), 3);
    touches.moveTouch(t, {400, 115});
    EXPECT_DOUBLE_EQ(slider->value(), 5);
    touches.liftTouch(t);
    EXPECT_EQ(listener->events, (std::vector<std::string> {"changed", "changed"}));
    listener->events.clear();
    tap({100, 115});  // not on the thumb
    EXPECT_DOUBLE_EQ(slider->value(), 5);
    EXPECT_TRUE(listener->events.empty());
}

TEST_F(Controls, SliderClampsProgrammaticValues)
{
    auto slider = std::make_shared<plat::Slider>(plat::makeRect(0, 0, 100, 31));
    slider->setMinimumValue(1);
    slider->setMaximumValue(5);
    slider->setValue(9);
    EXPECT_DOUBLE_EQ(slider->value(), 5);
    slider->setValue(-2);
    EXPECT_DOUBLE_EQ(slider->value(), 1);
}

TEST_F(Controls, SwitchFlipsOnATapOnly)
{
    auto toggle = std::make_shared<plat::Switch>(plat::makeRect(10, 10, 200, 200));
    EXPECT_EQ(toggle->frame().size, plat::Switch::kSize);
    toggle->addTarget(listener.get(), &Listener::changed, plat::ControlEventValueChanged);
    window->addSubview(toggle);
    tap({20, 20});
    EXPECT_TRUE(toggle->isOn());
    toggle->setOn(false);
    EXPECT_EQ(listener->events, (std::vector<std::string> {"changed"}));
}

TEST_F(Controls, SegmentedControlSelectsTheTappedSegment)
{
    auto segments = std::make_shared<plat::SegmentedControl>(std::vector<std::string> {"One", "Two", "Three"});
    segments->setFrame(plat::makeRect(0, 0, 300, 29));
    segments->addTarget(listener.get(), &Listener::changed, plat::ControlEventValueChanged);
    window->addSubview(segments);
    tap({150, 10});
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    tap({150, 10});
    EXPECT_EQ(listener->events.size(), 1u) << "the selected segment again changes nothing";
    segments->setEnabledForSegmentAtIndex(false, 2);
    tap({250, 10});
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    segments->removeSegmentAtIndex(0, false);
    EXPECT_EQ(segments->selectedSegmentIndex(), 0);
    EXPECT_EQ(segments->titleForSegmentAtIndex(0), "Two");
}

TEST_F(Controls, LabelShrinksToItsWidthButNotBelowTheMinimumScale)
{
    auto label = std::make_shared<plat::Label>(plat::makeRect(0, 0, 60, 30));
    label->setFont(plat::Font::systemFontOfSize(20));
    label->setText("A rather long title");
    EXPECT_DOUBLE_EQ(label->fittedFontSize(), 20);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumScaleFactor(0.5);
    EXPECT_DOUBLE_EQ(label->fittedFontSize(), 10);
    label->setFrame(plat::makeRect(0, 0, 120, 30));
    double fitted = label->fittedFontSize();
    EXPECT_GT(fitted, 10);
    EXPECT_LT(fitted, 20);
    EXPECT_LE(plat::sizeWithFont("A rather long title", plat::Font::systemFontOfSize(fitted)).width, 120);
}

TEST_F(Controls, LabelSizesToItsTextOnOneLineOrWrapped)
{
    auto label = std::make_shared<plat::Label>();
    label->setText("Tap + to start a new project");
    label->sizeToFit();
    EXPECT_EQ(label->frame().size, plat::sizeWithFont("Tap + to start a new project", label->font()));
    label->setNumberOfLines(0);
    plat::Size wrapped = label->sizeThatFits({80, 0});
    EXPECT_LE(wrapped.width, 80);
    EXPECT_GT(wrapped.height, label->frame().height() * 2);
}

TEST_F(Controls, ImageViewTintsATemplatePicture)
{
    auto picture = plat::test::makeFlatImage(4, 4, {0, 0, 0, 255})
                       ->imageWithRenderingMode(plat::ImageRenderingMode::AlwaysTemplate);
    auto view = std::make_shared<plat::ImageView>(picture);
    view->setTintColor(plat::Color::redColor());
    ASSERT_TRUE(view->layer());
    EXPECT_EQ(view->frame().size, (plat::Size {4, 4}));
    auto shown = std::static_pointer_cast<const plat::Image>(view->layer()->contents());
    ASSERT_TRUE(shown);
    EXPECT_EQ(plat::test::pixelAt(*shown, 1, 1), (plat::test::Rgba {255, 0, 0, 255}));
}

TEST_F(Controls, ToolbarSharesLeftOverRoomAmongFlexibleSpaces)
{
    auto toolbar = std::make_shared<plat::Toolbar>(plat::makeRect(0, 0, 568, 44));
    auto custom = std::make_shared<plat::View>(plat::makeRect(0, 0, 50, 30));
    auto done = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
    done->setTarget(listener.get(), &Listener::item);
    auto flexible = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::FlexibleSpace);
    auto fixed = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::FixedSpace);
    fixed->setWidth(20);
    toolbar->setItems({std::make_shared<plat::BarButtonItem>(custom), flexible, fixed, done});
    window->addSubview(toolbar);
    ASSERT_EQ(toolbar->subviews().size(), 2u) << "spaces have no views";
    EXPECT_EQ(toolbar->subviews().front(), custom);
    EXPECT_EQ(custom->frame(), plat::makeRect(12, 7, 50, 30));
    auto doneView = toolbar->viewForItem(*done);
    ASSERT_TRUE(doneView);
    EXPECT_DOUBLE_EQ(doneView->frame().maxX(), 568 - 12);
    tap({doneView->frame().midX(), 22});
    EXPECT_EQ(listener->events, (std::vector<std::string> {"item Done"}));
}

TEST_F(Controls, ToolbarFollowsItsItemsAtOnce)
{
    auto toolbar = std::make_shared<plat::Toolbar>(plat::makeRect(0, 0, 320, 44));
    auto item = std::make_shared<plat::BarButtonItem>("Share", plat::BarButtonItemStyle::Plain);
    toolbar->setItems({item});
    auto replacement = std::make_shared<plat::View>(plat::makeRect(0, 0, 10, 10));
    item->setCustomView(replacement);
    EXPECT_EQ(replacement->superview(), toolbar);
    EXPECT_EQ(toolbar->subviews().size(), 1u);
    item->setCustomView(nullptr);
    EXPECT_EQ(replacement->superview(), nullptr);
}

TEST(FontCatalog, NamedFacesResolveAndUnknownNamesGiveNone)
{
    auto light = plat::FontCatalog::fontWithName("HelveticaNeue-Light", 15);
    ASSERT_TRUE(light);
    EXPECT_EQ(light->fontName(), "HelveticaNeue-Light");
    EXPECT_EQ(light->weight(), plat::Font::Weight::Light);
    EXPECT_EQ(light->pointSize(), 15);
    EXPECT_TRUE(plat::FontCatalog::fontWithName("helveticaneue-ultralight", 62)) << "names match without case";
    EXPECT_EQ(plat::FontCatalog::fontWithName("Avenir-Heavy", 10)->weight(), plat::Font::Weight::Bold);
    EXPECT_EQ(plat::FontCatalog::fontWithName("Marker Felt", 17)->fontName(), "MarkerFelt-Thin");
    EXPECT_FALSE(plat::FontCatalog::fontWithName("HelveticaNeue-Regular", 20));
    EXPECT_FALSE(plat::FontCatalog::fontWithName("Comic Sans", 12));
    EXPECT_EQ(plat::FontCatalog::fontNamesForFamilyName("Courier").size(), 4u);
}

TEST(FontCatalog, LightFacesAreNarrowerThanBoldOnes)
{
    auto light = *plat::FontCatalog::fontWithName("HelveticaNeue-UltraLight", 30);
    auto bold = *plat::FontCatalog::fontWithName("HelveticaNeue-Bold", 30);
    EXPECT_LT(plat::sizeWithFont("Zantrope", light).width, plat::sizeWithFont("Zantrope", bold).width);
}

TEST_F(Controls, ScaledSwitchKeepsItsBoundsWhenMoved)
{
    auto toggle = std::make_shared<plat::Switch>(plat::makeRect(0, 0, 51, 31));
    toggle->setTransform(plat::AffineTransform::makeScale(0.8, 0.8));
    toggle->setFrame(plat::makeRect(100, 100, 10, 10));
    EXPECT_EQ(toggle->bounds().size, plat::Switch::kSize);
    EXPECT_EQ(toggle->center(), (plat::Point {105, 105}));
}

namespace {

// A window of black with the view in it, as the screen shows it.
class DimmedControls : public Controls {
protected:
    plat::test::Rgba shownAt(const std::shared_ptr<plat::View>& view, plat::Point point)
    {
        window->setBackgroundColor(plat::Color::blackColor());
        window->addSubview(view);
        auto picture = plat::snapshotWindow(*window);
        view->removeFromSuperview();
        const double scale = static_cast<double>(picture->bitmap()->width()) / window->bounds().width();
        return plat::test::pixelAt(*picture, static_cast<int>(point.x * scale), static_cast<int>(point.y * scale));
    }
};

}  // namespace

TEST_F(DimmedControls, ADisabledToolbarItemIsDrawnDimmedAndAnEnabledOneIsNot)
{
    auto toolbar = std::make_shared<plat::Toolbar>(plat::makeRect(0, 0, 568, 44));
    auto item = std::make_shared<plat::BarButtonItem>(
        plat::test::makeFlatImage(20, 20, {0, 0, 0, 255}), plat::BarButtonItemStyle::Plain);
    toolbar->setItems({item});
    toolbar->layoutIfNeeded();
    auto shown = item->view();
    ASSERT_TRUE(shown);
    const plat::Point middle = shown->convertPoint({shown->bounds().midX(), shown->bounds().midY()}, toolbar.get());
    const plat::Point bar {300, 22};
    // How far the picture stands out from the bar behind it.
    auto contrast = [&] { return shownAt(toolbar, bar)[1] - shownAt(toolbar, middle)[1]; };
    const int enabled = contrast();
    item->setEnabled(false);
    toolbar->layoutIfNeeded();
    const int disabled = contrast();
    EXPECT_GE(enabled, 200);
    EXPECT_LE(disabled, enabled / 2) << "a person must see that the button will not respond";
    EXPECT_GE(disabled, enabled / 5) << "dimmed, not gone";
}

TEST_F(DimmedControls, APictureGivenForTheDisabledStateIsShownAsItIs)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
    button->setFrame(plat::makeRect(10, 10, 20, 20));
    button->setImage(plat::test::makeFlatImage(20, 20, {255, 255, 255, 255}), plat::ControlStateNormal);
    button->setImage(plat::test::makeFlatImage(20, 20, {0, 255, 0, 255}), plat::ControlStateDisabled);
    button->setEnabled(false);
    EXPECT_GE(shownAt(button, {20, 20})[1], 240);
    EXPECT_LE(shownAt(button, {20, 20})[0], 15);
}

TEST_F(DimmedControls, ADisabledSwitchAndSliderAreDrawnDimmed)
{
    auto toggle = std::make_shared<plat::Switch>(plat::makeRect(10, 10, 51, 31));
    toggle->setOn(true);
    const int onEnabled = shownAt(toggle, {22, 26})[1];
    toggle->setEnabled(false);
    const int onDisabled = shownAt(toggle, {22, 26})[1];
    EXPECT_LT(onDisabled, onEnabled / 2 + 10) << onEnabled << " " << onDisabled;

    auto slider = std::make_shared<plat::Slider>(plat::makeRect(10, 60, 200, 31));
    slider->setValue(0.0f);
    const plat::test::Rgba thumbEnabled = shownAt(slider, {200, 75});
    slider->setEnabled(false);
    const plat::test::Rgba thumbDisabled = shownAt(slider, {200, 75});
    EXPECT_LT(thumbDisabled[0] + thumbDisabled[1] + thumbDisabled[2],
        (thumbEnabled[0] + thumbEnabled[1] + thumbEnabled[2]) / 2 + 30);
}
