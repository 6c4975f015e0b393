#include "platform/ui/scripting/UIDriver.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

class Screen : public plat::ViewController {
public:
    Screen()
        : ViewController("DriverScreen")
    {
    }
    void play() { log.push_back("play"); }
    void pinched(plat::PinchGestureRecognizer& r)
    {
        if (r.state() == plat::GestureRecognizerState::Ended)
            log.push_back("pinch " + std::to_string(static_cast<int>(r.scale() * 10)));
    }
    std::vector<std::string> log;
};

class Driving : public ::testing::Test {
protected:
    Driving()
    {
        plat::LayoutRegistry::registerLayout("DriverScreen", [](plat::ViewController& owner) {
            auto& owned = static_cast<Screen&>(owner);
            auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, 568, 320));
            auto play = plat::Button::buttonWithType(plat::ButtonType::System);
            play->setTitle("Play", plat::ControlStateNormal);
            play->setFrame(plat::makeRect(20, 20, 80, 40));
            play->addTarget(&owned, &Screen::play, plat::ControlEventTouchUpInside);
            root->addSubview(play);
            owned.setOutlet("playBtn", play);
            auto hidden = plat::Button::buttonWithType(plat::ButtonType::System);
            hidden->setTitle("Hidden", plat::ControlStateNormal);
            hidden->setHidden(true);
            root->addSubview(hidden);
            auto name = std::make_shared<plat::TextField>(plat::makeRect(20, 80, 200, 30));
            name->setPlaceholder("Project name");
            root->addSubview(name);
            owned.setOutlet("textFieldName", name);
            auto stage = std::make_shared<plat::View>(plat::makeRect(250, 100, 300, 200));
            stage->addGestureRecognizer(std::make_shared<plat::PinchGestureRecognizer>(&owned, &Screen::pinched));
            root->addSubview(stage);
            return root;
        });
        window->setRootViewController(screen);
        window->makeKeyAndVisible();
    }
    ~Driving() override { plat::LayoutRegistry::removeLayout("DriverScreen"); }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<Screen> screen = std::make_shared<Screen>();
    plat::scripting::UIDriver driver;
};

}  // namespace

TEST_F(Driving, FindsViewsByWhatTheyShowAndByOutlet)
{
    auto play = driver.findView("Play");
    ASSERT_TRUE(play);
    EXPECT_EQ(play, driver.findOutlet("playBtn"));
    EXPECT_FALSE(driver.findView("Hidden")) << "hidden views are not on screen";
    EXPECT_EQ(driver.findView("Project name"), driver.findOutlet("textFieldName"));
    EXPECT_EQ(driver.findController("Screen"), screen);
}

TEST_F(Driving, TapsTypesAndPinchesThroughTheEventPath)
{
    EXPECT_TRUE(driver.tap("Play"));
    EXPECT_FALSE(driver.tap("Stop"));
    EXPECT_EQ(screen->log, (std::vector<std::string> {"play"}));
    EXPECT_FALSE(driver.type("x")) << "nothing is editing yet";
    ASSERT_TRUE(driver.tap("Project name"));
    EXPECT_TRUE(driver.type("Walk cycle"));
    auto field = std::static_pointer_cast<plat::TextField>(driver.findOutlet("textFieldName"));
    EXPECT_EQ(field->text(), "Walk cycle");
    driver.pinch({400, 200}, 50, 150);
    EXPECT_EQ(screen->log.back(), "pinch 30");
}

TEST_F(Driving, ScreenshotShowsTheWindowAtScreenScale)
{
    auto picture = driver.screenshot();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bitmap()->width(), 1136);
    EXPECT_EQ(picture->bitmap()->height(), 640);
}

TEST_F(Driving, PassingTimeMovesTheManualClock)
{
    double before = clock.uptimeSeconds();
    driver.wait(1.5);
    EXPECT_DOUBLE_EQ(clock.uptimeSeconds(), before + 1.5);
}

// A tap goes where a person's finger would: through a caption that takes no
// touches to the button under it, to an overlay that belongs to the item it
// lies on, but never to a control that another view covers.
TEST_F(Driving, TapsLandOnlyWhereAFingerWould)
{
    struct Case {
        const char* name;
        std::function<void(plat::View& root)> add;
        const char* tapped;
        const char* refusal;  // empty when the tap lands
        std::vector<std::string> log;
    };
    auto playButton = [](plat::View& root, plat::Rect frame, Screen& owner) {
        auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
        button->setFrame(frame);
        button->addTarget(&owner, &Screen::play, plat::ControlEventTouchUpInside);
        root.addSubview(button);
    };
    auto& owner = *screen;
    const Case cases[] = {
        {"a coach mark over the button",
            [](plat::View& root) {
                auto cover = std::make_shared<plat::View>(plat::makeRect(0, 0, 568, 320));
                cover->setAccessibilityLabel("Coach mark");
                root.addSubview(cover);
            },
            "Play",
            "Button \"Play\" of Screen at (20, 20, 80, 40) is covered by View \"Coach mark\" of Screen at (0, 0, 568, "
            "320)",
            {}},
        {"a caption in front of its button",
            [&](plat::View& root) {
                playButton(root, plat::makeRect(300, 20, 100, 60), owner);
                auto caption = std::make_shared<plat::Label>(plat::makeRect(310, 50, 80, 20));
                caption->setText("Loop");
                caption->setUserInteractionEnabled(false);
                root.addSubview(caption);
            },
            "Loop", "", {"play"}},
        {"a touch zone the size of the picture it lies on",
            [&](plat::View& root) {
                auto picture = std::make_shared<plat::View>(plat::makeRect(300, 100, 70, 50));
                picture->setAccessibilityLabel("Frame 1");
                root.addSubview(picture);
                playButton(root, plat::makeRect(300, 100, 70, 50), owner);
            },
            "Frame 1", "", {"play"}},
    };
    for (const auto& c : cases) {
        auto root = screen->view();
        auto before = root->subviews();
        screen->log.clear();
        c.add(*root);
        auto tapped = driver.tryTap(c.tapped);
        EXPECT_EQ(tapped.ok(), std::string(c.refusal).empty()) << c.name;
        if (!tapped.ok()) {
            EXPECT_EQ(tapped.error().localizedDescription(), c.refusal) << c.name;
        }
        EXPECT_EQ(screen->log, c.log) << c.name;
        for (const auto& view : std::vector<std::shared_ptr<plat::View>>(root->subviews()))
            if (std::find(before.begin(), before.end(), view) == before.end())
                view->removeFromSuperview();
    }
}
