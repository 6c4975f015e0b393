// Navigation bars and tab bars on their own, and observation of key paths.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Control.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TabBar.h"
#include "platform/ui/TabBarItem.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

using Log = std::vector<std::string>;

class BarListener : public plat::NavigationBarDelegate, public plat::TabBarDelegate {
public:
    bool navigationBarShouldPopItem(plat::NavigationBar&, plat::NavigationItem& item) override
    {
        log.push_back("should pop " + item.title());
        return allowPop;
    }
    void navigationBarDidPopItem(plat::NavigationBar&, plat::NavigationItem& item) override
    {
        log.push_back("did pop " + item.title());
    }
    void tabBarDidSelectItem(plat::TabBar&, plat::TabBarItem& item) override { log.push_back("tab " + item.title()); }
    Log log;
    bool allowPop = true;
};

class Bars : public ::testing::Test {
protected:
    Bars() { window->makeKeyAndVisible(); }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<BarListener> listener = std::make_shared<BarListener>();
    plat::test::UIDriver driver;
};

}  // namespace

TEST_F(Bars, ANavigationBarsBackButtonAsksItsDelegateBeforePopping)
{
    auto bar = std::make_shared<plat::NavigationBar>(plat::makeRect(0, 20, 568, 44));
    bar->setDelegate(listener);
    window->addSubview(bar);
    auto first = std::make_shared<plat::NavigationItem>("Albums");
    auto second = std::make_shared<plat::NavigationItem>("Summer");
    bar->setItems({first, second});
    EXPECT_EQ(bar->backItem(), first);
    listener->allowPop = false;
    ASSERT_TRUE(driver.tap("Albums"));
    EXPECT_EQ(bar->topItem(), second);
    listener->allowPop = true;
    ASSERT_TRUE(driver.tap("Albums"));
    EXPECT_EQ(bar->topItem(), first);
    EXPECT_EQ(listener->log, (Log {"should pop Summer", "should pop Summer", "did pop Summer"}));
}

TEST_F(Bars, ABackBarButtonItemNamesTheBackButtonAndTheTitleIsCentred)
{
    auto bar = std::make_shared<plat::NavigationBar>(plat::makeRect(0, 20, 568, 44));
    window->addSubview(bar);
    auto first = std::make_shared<plat::NavigationItem>("A very long list title");
    first->setBackBarButtonItem(std::make_shared<plat::BarButtonItem>("List", plat::BarButtonItemStyle::Plain));
    bar->pushNavigationItem(first, false);
    bar->pushNavigationItem(std::make_shared<plat::NavigationItem>("Item"), false);
    driver.wait(0);
    EXPECT_NE(driver.findView("List"), nullptr);
    EXPECT_EQ(driver.findView("A very long list title"), nullptr) << "only the top item shows";
    auto title = bar->titleLabel();
    EXPECT_EQ(title->text(), "Item");
    EXPECT_DOUBLE_EQ(title->frame().midX(), 284);
    auto popped = bar->popNavigationItemAnimated(false);
    EXPECT_EQ(popped->title(), "Item");
    EXPECT_EQ(bar->backButton(), nullptr);
}

TEST_F(Bars, ATabBarSelectsByTapFollowsItsItemsAndSkipsDisabledOnes)
{
    auto bar = std::make_shared<plat::TabBar>(plat::makeRect(0, 271, 568, 49));
    bar->setDelegate(listener);
    window->addSubview(bar);
    auto recordings = std::make_shared<plat::TabBarItem>("Recordings", nullptr, 0);
    auto effects = std::make_shared<plat::TabBarItem>("Sound Effects", nullptr, 2);
    auto more = std::make_shared<plat::TabBarItem>(plat::TabBarSystemItem::More, 7);
    bar->setItems({recordings, effects, more});
    driver.wait(0);
    auto middle = bar->viewForItem(*effects)->frame();
    EXPECT_NEAR(middle.minX(), 189.33, 0.01);
    EXPECT_NEAR(middle.width(), 189.33, 0.01);
    ASSERT_TRUE(driver.tap("Sound Effects"));
    EXPECT_EQ(bar->selectedItem(), effects);
    effects->setEnabled(false);
    recordings->setEnabled(false);
    EXPECT_FALSE(driver.tap("Recordings")) << "the driver refuses a dimmed item";
    auto dimmed = driver.findView("Recordings");
    ASSERT_TRUE(dimmed);
    driver.tapMiddleOf(*dimmed);
    EXPECT_EQ(bar->selectedItem(), effects) << "a disabled item is not chosen";
    EXPECT_EQ(listener->log, (Log {"tab Sound Effects"}));
    more->setTitle("Others");
    EXPECT_NE(driver.findView("Others"), nullptr);
    bar->setItems({recordings});
    EXPECT_EQ(bar->selectedItem(), nullptr) << "the selected item left the bar";
}

TEST_F(Bars, AnImageItemIsFoundByItsAccessibilityLabelThroughItsChanges)
{
    class Presses : public plat::Object {
    public:
        void pressed() { ++count; }
        int count = 0;
    };
    auto presses = std::make_shared<Presses>();
    auto toolbar = std::make_shared<plat::Toolbar>(plat::makeRect(0, 276, 568, 44));
    auto picture = plat::Image::imageWithBitmap(plat::Bitmap::allocate(20, 20, plat::PixelOrder::BGRA));
    auto trash = std::make_shared<plat::BarButtonItem>(picture, plat::BarButtonItemStyle::Plain);
    trash->setAccessibilityLabel("Delete");
    trash->setTarget(presses.get(), &Presses::pressed);
    toolbar->setItems({trash});
    window->addSubview(toolbar);
    driver.wait(0);
    ASSERT_TRUE(driver.tap("Delete"));
    EXPECT_EQ(presses->count, 1);
    trash->setEnabled(false);  // the bar makes the item's view again
    driver.wait(0);
    auto view = driver.findView("Delete");
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(std::static_pointer_cast<plat::Control>(view)->isEnabled());
}

TEST_F(Bars, AnItemEnabledAfterItIsShownCanBeTappedInEitherBar)
{
    class Presses : public plat::Object {
    public:
        void pressed() { ++count; }
        int count = 0;
    };
    for (const char* kind : {"toolbar", "navigation bar"}) {
        SCOPED_TRACE(kind);
        auto presses = std::make_shared<Presses>();
        auto trash = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Trash);
        trash->setTarget(presses.get(), &Presses::pressed);
        trash->setEnabled(false);
        std::shared_ptr<plat::View> bar;
        if (std::string(kind) == "toolbar") {
            auto toolbar = std::make_shared<plat::Toolbar>(plat::makeRect(0, 276, 568, 44));
            toolbar->setItems({trash});
            bar = toolbar;
        } else {
            auto navigationBar = std::make_shared<plat::NavigationBar>(plat::makeRect(0, 20, 568, 44));
            auto item = std::make_shared<plat::NavigationItem>("Layers");
            item->setLeftBarButtonItems({trash});
            navigationBar->setItems({item});
            bar = navigationBar;
        }
        window->addSubview(bar);
        driver.wait(0);
        EXPECT_FALSE(driver.tap("Trash")) << "dimmed";
        auto dimmed = driver.findView("Trash");
        ASSERT_TRUE(dimmed);
        driver.tapMiddleOf(*dimmed);
        EXPECT_EQ(presses->count, 0);
        trash->setEnabled(true);
        driver.wait(0);
        ASSERT_TRUE(driver.tap("Trash"));
        EXPECT_EQ(presses->count, 1);
        bar->removeFromSuperview();
    }
}

TEST(KeyPaths, ObservingThroughAReplacedObjectFollowsTheNewOne)
{
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    auto controller = std::make_shared<plat::ViewController>();
    std::vector<std::string> heard;
    auto token = controller->addObserverForKey("navigationItem.title", [&](const plat::PropertyChange& change) {
        heard.push_back(std::string(change.key) + " of " + change.object.className());
    });
    controller->setTitle("Share");  // the controller passes its title to its item
    controller->navigationItem()->setTitle("Upload");
    EXPECT_EQ(heard,
        (std::vector<std::string> {
            "navigationItem.title of ViewController", "navigationItem.title of ViewController"}));
    token.reset();
    controller->navigationItem()->setTitle("Quiet");
    EXPECT_EQ(heard.size(), 2u);
}

TEST(KeyPaths, AnObjectGoneBeforeItsTokenLeavesNothingBehind)
{
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    auto item = std::make_shared<plat::TabBarItem>("Songs", nullptr, 0);
    int heard = 0;
    plat::ObservationToken token;
    {
        auto controller = std::make_shared<plat::ViewController>();
        controller->setTabBarItem(item);
        token = controller->addObserverForKey("tabBarItem.badgeValue", [&](const plat::PropertyChange&) { ++heard; });
        item->setBadgeValue("1");
        EXPECT_EQ(heard, 1);
    }
    item->setBadgeValue("2");
    EXPECT_EQ(heard, 1) << "the controller is gone, and its observation with it";
    EXPECT_FALSE(token.isActive());
}
