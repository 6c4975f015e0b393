#include "platform/ui/NavigationController.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/TabBarItem.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

using Log = std::vector<std::string>;

// Logs appearance and containment as "<name> <event>".
class Screen : public plat::ViewController {
public:
    Screen(std::string name, Log& log)
        : _name(std::move(name))
        , _log(log)
    {
        setTitle(_name);
    }
    void viewWillAppear(bool animated) override { note(animated ? "willAppear animated" : "willAppear"); }
    void viewDidAppear(bool) override { note("didAppear"); }
    void viewWillDisappear(bool) override { note("willDisappear"); }
    void viewDidDisappear(bool) override { note("didDisappear"); }
    void willMoveToParentViewController(plat::ViewController* parent) override
    {
        note(parent ? "willMove parent" : "willMove none");
    }
    void didMoveToParentViewController(plat::ViewController* parent) override
    {
        note(parent ? "didMove parent" : "didMove none");
    }
    void note(const std::string& event) { _log.push_back(_name + " " + event); }
    void tapped() { note("tapped"); }

private:
    std::string _name;
    Log& _log;
};

class Navigation : public ::testing::Test {
protected:
    std::shared_ptr<plat::NavigationController> showNavigation()
    {
        auto navigation = std::make_shared<plat::NavigationController>(root);
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        driver.wait(0);
        log.clear();
        return navigation;
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    Log log;
    std::shared_ptr<Screen> root = std::make_shared<Screen>("root", log);
    plat::test::UIDriver driver;
};

}  // namespace

TEST_F(Navigation, PushingSlidesInWithThePlatformsCallbacks)
{
    auto navigation = showNavigation();
    auto second = std::make_shared<Screen>("second", log);
    navigation->pushViewController(second, /*animated=*/true);
    EXPECT_EQ(log, (Log {"second willMove parent", "root willDisappear", "second willAppear animated"}));
    EXPECT_TRUE(second->view()->layer()->hasAnimations()) << "still sliding in";
    log.clear();
    driver.wait(0.34);
    EXPECT_TRUE(log.empty()) << "the slide takes 0.35 s";
    driver.wait(0.02);
    EXPECT_EQ(log, (Log {"second didAppear", "root didDisappear", "second didMove parent"}));
    EXPECT_EQ(navigation->topViewController(), second);
    EXPECT_EQ(second->navigationController(), navigation);
    EXPECT_EQ(second->view()->frame(), plat::makeRect(0, 20 + 44, 568, 320 - 64)) << "below the status bar and the bar";
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(navigation->navigationBar()->titleLabel()->text(), "second");
}

TEST_F(Navigation, TheBackButtonPops)
{
    auto navigation = showNavigation();
    auto second = std::make_shared<Screen>("second", log);
    navigation->pushViewController(second, false);
    log.clear();
    ASSERT_TRUE(driver.tap("root")) << "the back button is titled after the screen below";
    driver.wait(1);
    EXPECT_EQ(log,
        (Log {"second willMove none", "second willDisappear", "root willAppear animated", "root didAppear",
            "second didDisappear", "second didMove none"}));
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(navigation->navigationBar()->backButton(), nullptr) << "the root has no back button";
}

TEST_F(Navigation, PoppingToTheRootTakesTheMiddleAwayUnseen)
{
    auto navigation = showNavigation();
    auto middle = std::make_shared<Screen>("middle", log);
    auto top = std::make_shared<Screen>("top", log);
    navigation->pushViewController(middle, false);
    navigation->pushViewController(top, false);
    log.clear();
    auto popped = navigation->popToRootViewControllerAnimated(false);
    EXPECT_EQ(popped.size(), 2u);
    EXPECT_EQ(log,
        (Log {"middle willMove none", "top willMove none", "top willDisappear", "root willAppear", "root didAppear",
            "top didDisappear", "middle didMove none", "top didMove none"}));
    EXPECT_EQ(navigation->popViewControllerAnimated(false), nullptr) << "the root stays";
}

TEST_F(Navigation, TheBarShowsTheTopItemsButtonsAndFollowsThem)
{
    auto navigation = showNavigation();
    auto second = std::make_shared<Screen>("second", log);
    auto item = std::make_shared<plat::BarButtonItem>("Edit", plat::BarButtonItemStyle::Plain);
    item->setTarget(second.get(), &Screen::tapped);
    second->navigationItem()->setRightBarButtonItem(item);
    second->navigationItem()->setHidesBackButton(true);
    navigation->pushViewController(second, false);
    log.clear();
    EXPECT_EQ(navigation->navigationBar()->backButton(), nullptr);
    ASSERT_TRUE(driver.tap("Edit"));
    EXPECT_EQ(log, (Log {"second tapped"}));
    EXPECT_NE(item->view(), nullptr);
    second->navigationItem()->setHidesBackButton(false);
    EXPECT_NE(navigation->navigationBar()->backButton(), nullptr);
    second->setTitle("Renamed");
    EXPECT_EQ(navigation->navigationBar()->titleLabel()->text(), "Renamed");
    auto left = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
    second->navigationItem()->setLeftBarButtonItem(left);
    EXPECT_EQ(navigation->navigationBar()->backButton(), nullptr) << "left items take the back button's place";
}

TEST_F(Navigation, TheToolbarShowsTheTopControllersItems)
{
    auto navigation = showNavigation();
    auto share = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Action);
    root->setToolbarItems({share});
    EXPECT_TRUE(navigation->toolbar()->isHidden());
    navigation->setToolbarHidden(false);
    driver.wait(0);
    EXPECT_FALSE(navigation->toolbar()->isHidden());
    EXPECT_NE(navigation->toolbar()->viewForItem(*share), nullptr);
    EXPECT_EQ(root->view()->frame().maxY(), 320 - 44);
    auto second = std::make_shared<Screen>("second", log);
    second->setHidesBottomBarWhenPushed(true);
    navigation->pushViewController(second, false);
    EXPECT_TRUE(navigation->toolbar()->isHidden());
    EXPECT_TRUE(navigation->toolbar()->items().empty());
    EXPECT_EQ(second->view()->frame().maxY(), 320);
    navigation->setNavigationBarHidden(true);
    EXPECT_EQ(second->view()->frame().minY(), 20);
}

TEST_F(Navigation, TabsSwitchChildrenAndAskTheDelegate)
{
    class Gate : public plat::TabBarControllerDelegate {
    public:
        bool tabBarControllerShouldSelectViewController(plat::TabBarController&, plat::ViewController& c) override
        {
            return c.title() != "Locked";
        }
        void tabBarControllerDidSelectViewController(plat::TabBarController&, plat::ViewController& c) override
        {
            chosen.push_back(c.title());
        }
        std::vector<std::string> chosen;
    };
    auto gate = std::make_shared<Gate>();
    auto tabs = std::make_shared<plat::TabBarController>();
    auto albums = std::make_shared<Screen>("Albums", log);
    auto songs = std::make_shared<Screen>("Songs", log);
    auto locked = std::make_shared<Screen>("Locked", log);
    tabs->setViewControllers({albums, songs, locked});
    tabs->setSelectedIndex(1);
    tabs->setDelegate(gate);
    window->setRootViewController(tabs);
    window->makeKeyAndVisible();
    driver.wait(0);
    EXPECT_EQ(tabs->selectedViewController(), songs);
    EXPECT_EQ(albums->tabBarController(), tabs);
    log.clear();
    ASSERT_TRUE(driver.tap("Albums"));
    EXPECT_EQ(log, (Log {"Songs willDisappear", "Albums willAppear", "Albums didAppear", "Songs didDisappear"}));
    EXPECT_EQ(gate->chosen, (std::vector<std::string> {"Albums"}));
    ASSERT_TRUE(driver.tap("Locked"));
    EXPECT_EQ(tabs->selectedIndex(), 0) << "the delegate refused";
    EXPECT_EQ(tabs->tabBar()->selectedItem(), albums->tabBarItem());
    EXPECT_EQ(albums->view()->frame(), plat::makeRect(0, 0, 568, 320 - 49));
}

TEST_F(Navigation, TabsFollowTheirItemsAndKeyPathsFollowReplacedItems)
{
    auto tabs = std::make_shared<plat::TabBarController>();
    auto songs = std::make_shared<Screen>("Songs", log);
    tabs->setViewControllers({songs});
    window->setRootViewController(tabs);
    window->makeKeyAndVisible();
    driver.wait(0);
    std::vector<std::string> heard;
    auto token = songs->addObserverForKey(
        "tabBarItem.title", [&](const plat::PropertyChange& change) { heard.push_back(std::string(change.key)); });
    auto first = songs->tabBarItem();
    first->setTitle("Tracks");
    EXPECT_NE(driver.findView("Tracks"), nullptr);
    auto replacement = std::make_shared<plat::TabBarItem>("Music", nullptr, 3);
    songs->setTabBarItem(replacement);
    EXPECT_NE(driver.findView("Music"), nullptr);
    first->setTitle("Old item");  // no longer observed through the path
    replacement->setBadgeValue("2");
    replacement->setTitle("Tunes");
    EXPECT_EQ(heard, (std::vector<std::string> {"tabBarItem.title", "tabBarItem.title", "tabBarItem.title"}));
    driver.wait(0);
    bool badgeShown = false;
    for (const auto& part : tabs->tabBar()->viewForItem(*replacement)->subviews())
        if (auto label = std::dynamic_pointer_cast<plat::Label>(part))
            badgeShown = badgeShown || (label->text() == "2" && !label->isHidden());
    EXPECT_TRUE(badgeShown);
    token.reset();
    replacement->setTitle("Quiet");
    EXPECT_EQ(heard.size(), 3u);
}

TEST_F(Navigation, PushingAControllerThatHidesBottomBarsHidesTheTabBar)
{
    auto navigation = std::make_shared<plat::NavigationController>(root);
    auto tabs = std::make_shared<plat::TabBarController>();
    tabs->setViewControllers({navigation});
    window->setRootViewController(tabs);
    window->makeKeyAndVisible();
    driver.wait(0);
    auto detail = std::make_shared<Screen>("detail", log);
    detail->setHidesBottomBarWhenPushed(true);
    navigation->pushViewController(detail, false);
    driver.wait(0);
    EXPECT_TRUE(tabs->tabBar()->isHidden());
    navigation->popViewControllerAnimated(false);
    driver.wait(0);
    EXPECT_FALSE(tabs->tabBar()->isHidden());
}

TEST(NavigationDeathTest, PushingAControllerTwiceStops)
{
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    Log log;
    auto root = std::make_shared<Screen>("root", log);
    auto navigation = std::make_shared<plat::NavigationController>(root);
    navigation->view();
    EXPECT_DEATH(navigation->pushViewController(root, false), "already on the stack");
}

TEST_F(Navigation, TheTopLayoutGuideMeasuresTheStatusBarAboveAView)
{
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    driver.wait(0);
    EXPECT_EQ(root->topLayoutGuide().length, 20) << "a full-screen view starts under the status bar";
    auto navigation = std::make_shared<plat::NavigationController>(std::make_shared<Screen>("inside", log));
    root->presentViewController(navigation, false, nullptr);
    EXPECT_EQ(navigation->topViewController()->topLayoutGuide().length, 0) << "below the bars";
    plat::Application::sharedApplication().setStatusBarHidden(true);
    EXPECT_EQ(navigation->topLayoutGuide().length, 0);
    EXPECT_EQ(root->bottomLayoutGuide().length, 0);
}

TEST_F(Navigation, ReplacingTheStackTellsTheDelegateAndKeepsWhatStays)
{
    class Watcher : public plat::NavigationControllerDelegate {
    public:
        void navigationControllerWillShowViewControllerAnimated(
            plat::NavigationController&, plat::ViewController& shown, bool animated) override
        {
            events.push_back("will show " + shown.title() + (animated ? " animated" : ""));
        }
        void navigationControllerDidShowViewControllerAnimated(
            plat::NavigationController&, plat::ViewController& shown, bool) override
        {
            events.push_back("did show " + shown.title());
        }
        std::vector<std::string> events;
    };
    auto navigation = showNavigation();
    auto watcher = std::make_shared<Watcher>();
    navigation->setDelegate(watcher);
    auto albums = std::make_shared<Screen>("albums", log);
    auto photos = std::make_shared<Screen>("photos", log);
    navigation->setViewControllers({albums, photos}, /*animated=*/true);
    driver.wait(1);
    EXPECT_EQ(watcher->events, (std::vector<std::string> {"will show photos animated", "did show photos"}));
    EXPECT_EQ(root->parentViewController(), nullptr) << "the old root left";
    EXPECT_EQ(albums->parentViewController(), navigation);
    EXPECT_EQ(navigation->navigationBar()->backItem()->title(), "albums");
    EXPECT_EQ(navigation->visibleViewController(), photos);
}

TEST_F(Navigation, APushDuringAnotherSlideEndsWhenItsOwnSlideEnds)
{
    auto navigation = showNavigation();
    auto second = std::make_shared<Screen>("second", log);
    auto third = std::make_shared<Screen>("third", log);
    navigation->pushViewController(second, /*animated=*/true);
    driver.wait(0.1);
    navigation->pushViewController(third, /*animated=*/true);
    log.clear();
    // The first slide's end comes while the second slide still runs.
    driver.wait(0.3);  // the first slide of 0.35 s ends
    EXPECT_EQ(log, Log {}) << "the third screen is still sliding in";
    EXPECT_FALSE(third->isVisible());
    driver.wait(0.1);
    EXPECT_EQ(log, (Log {"third didAppear", "second didDisappear", "third didMove parent"}));
    EXPECT_TRUE(third->isVisible());
}

namespace {

// A screen that opens on a deeper page: it pushes that page as its view loads.
class OpensDeeper : public Screen {
public:
    OpensDeeper(Log& log, std::shared_ptr<plat::ViewController> deeper)
        : Screen("opener", log)
        , _deeper(std::move(deeper))
    {
    }
    void viewDidLoad() override
    {
        Screen::viewDidLoad();
        navigationController()->pushViewController(_deeper, /*animated=*/false);
    }

private:
    std::shared_ptr<plat::ViewController> _deeper;
};

}  // namespace

TEST_F(Navigation, APushWhileTheRootLoadsShowsOnlyThePushedScreen)
{
    auto deeper = std::make_shared<Screen>("deeper", log);
    auto opener = std::make_shared<OpensDeeper>(log, deeper);
    auto navigation = std::make_shared<plat::NavigationController>(opener);
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    driver.wait(0);
    EXPECT_EQ(navigation->topViewController(), deeper);
    EXPECT_EQ(deeper->view()->superview(), navigation->view());
    EXPECT_EQ(opener->view()->superview(), nullptr) << "the opener's page stays out of sight beneath";
    EXPECT_TRUE(deeper->isVisible());
    EXPECT_EQ(deeper->view()->frame(), plat::makeRect(0, 64, 568, 256)) << "between the bars";
    EXPECT_EQ(navigation->navigationBar()->backItem()->title(), "opener");
}
