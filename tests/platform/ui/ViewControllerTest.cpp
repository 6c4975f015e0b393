#include "platform/ui/ViewController.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewControllerHooks.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

using Log = std::vector<std::string>;

// Logs its lifecycle as "<name> <event>".
class Recording : public plat::ViewController {
public:
    Recording(std::string name, Log& log, std::string nib = {})
        : ViewController(std::move(nib))
        , _name(std::move(name))
        , _log(log)
    {
    }
    void viewDidLoad() override { note("didLoad"); }
    void viewWillAppear(bool animated) override { note(animated ? "willAppear animated" : "willAppear"); }
    void viewDidAppear(bool) override { note("didAppear"); }
    void viewWillDisappear(bool) override { note("willDisappear"); }
    void viewDidDisappear(bool) override { note("didDisappear"); }
    void viewWillLayoutSubviews() override { note("willLayout"); }
    void viewDidLayoutSubviews() override { note("didLayout"); }
    void willMoveToParentViewController(plat::ViewController* parent) override
    {
        note(parent ? "willMove parent" : "willMove none");
    }
    void didMoveToParentViewController(plat::ViewController* parent) override
    {
        note(parent ? "didMove parent" : "didMove none");
    }
    void didReceiveMemoryWarning() override { note("memory"); }
    void note(const std::string& event) { _log.push_back(_name + " " + event); }

private:
    std::string _name;
    Log& _log;
};

// Logs the appearance callbacks only.
class Quiet : public Recording {
public:
    using Recording::Recording;
    void viewDidLoad() override { }
    void viewWillLayoutSubviews() override { }
    void viewDidLayoutSubviews() override { }
};

class Controllers : public ::testing::Test {
protected:
    std::shared_ptr<Quiet> showRoot()
    {
        auto root = std::make_shared<Quiet>("root", log);
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        log.clear();
        return root;
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui {plat::UserInterfaceIdiom::Pad};
    Log log;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
};

}  // namespace

TEST_F(Controllers, ViewLoadsOnFirstUseFromItsLayout)
{
    plat::LayoutRegistry::registerLayout("Sample_iPad", [](plat::ViewController& owner) {
        auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, 1024, 768));
        auto title = std::make_shared<plat::Label>(plat::makeRect(10, 10, 200, 30));
        title->setText("Projects");
        root->addSubview(title);
        owner.setOutlet("labelTitle", title);
        return root;
    });
    auto controller = std::make_shared<Recording>("sample", log, "Sample_iPad");
    EXPECT_FALSE(controller->isViewLoaded());
    EXPECT_TRUE(log.empty());
    auto view = controller->view();
    EXPECT_EQ(log, (Log {"sample didLoad"}));
    EXPECT_EQ(view->viewController(), controller);
    auto label = std::dynamic_pointer_cast<plat::Label>(controller->outlet("labelTitle"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Projects");
    controller->view();
    EXPECT_EQ(log.size(), 1u);
    plat::LayoutRegistry::removeLayout("Sample_iPad");
}

TEST_F(Controllers, WithoutALayoutTheViewIsAPlainOneOfTheApplicationFrame)
{
    auto controller = std::make_shared<plat::ViewController>();
    EXPECT_EQ(controller->view()->frame(), plat::makeRect(0, 20, 1024, 748));
}

TEST(ControllersDeathTest, AMissingLayoutStopsWithItsName)
{
    auto controller = std::make_shared<plat::ViewController>("NoSuchLayout");
    EXPECT_DEATH(controller->view(), "layout \"NoSuchLayout\" is not registered");
}

TEST_F(Controllers, RootAppearsWhenTheWindowShowsAndIsLaidOutBeforeDidAppear)
{
    auto root = std::make_shared<Recording>("root", log);
    window->setRootViewController(root);
    EXPECT_EQ(log, (Log {"root didLoad"}));
    window->makeKeyAndVisible();
    EXPECT_EQ(log, (Log {"root didLoad", "root willAppear", "root willLayout", "root didLayout", "root didAppear"}));
    EXPECT_EQ(root->view()->frame(), window->bounds());
    log.clear();
    window->setHidden(true);
    EXPECT_EQ(log, (Log {"root willDisappear", "root didDisappear"}));
}

TEST_F(Controllers, ContainmentCallbacksAndForwardedAppearance)
{
    auto root = showRoot();
    auto child = std::make_shared<Quiet>("child", log);
    root->addChildViewController(child);
    EXPECT_EQ(log, (Log {"child willMove parent"}));
    root->view()->addSubview(child->view());
    child->didMoveToParentViewController(root.get());
    EXPECT_EQ(log, (Log {"child willMove parent", "child willAppear", "child didAppear", "child didMove parent"}));
    EXPECT_EQ(child->parentViewController(), root);

    log.clear();
    window->setHidden(true);
    EXPECT_EQ(log, (Log {"root willDisappear", "child willDisappear", "root didDisappear", "child didDisappear"}));

    log.clear();
    child->willMoveToParentViewController(nullptr);
    child->view()->removeFromSuperview();
    child->removeFromParentViewController();
    EXPECT_EQ(log, (Log {"child willMove none", "child didMove none"})) << "off screen: no disappearance";
    EXPECT_TRUE(root->childViewControllers().empty());
}

TEST_F(Controllers, ContainerThatForwardsByHandGetsNoAutomaticCalls)
{
    class Manual : public Quiet {
    public:
        using Quiet::Quiet;
        bool shouldAutomaticallyForwardAppearanceMethods() const override { return false; }
    };
    auto container = std::make_shared<Manual>("container", log);
    window->setRootViewController(container);
    auto child = std::make_shared<Quiet>("child", log);
    container->addChildViewController(child);
    container->view()->addSubview(child->view());
    window->makeKeyAndVisible();
    EXPECT_EQ(log, (Log {"child willMove parent", "container willAppear", "container didAppear"}));
}

TEST_F(Controllers, FullScreenPresentationInThePlatformsOrder)
{
    auto root = showRoot();
    auto presented = std::make_shared<Recording>("modal", log);
    presented->setModalTransitionStyle(plat::ModalTransitionStyle::CrossDissolve);
    root->presentViewController(presented, /*animated=*/true, [&] { log.push_back("completion"); });
    EXPECT_EQ(log,
        (Log {"modal didLoad", "root willDisappear", "modal willAppear animated", "modal willLayout",
            "modal didLayout"}));
    EXPECT_TRUE(presented->isBeingPresented());
    EXPECT_EQ(root->presentedViewController(), presented);
    EXPECT_EQ(presented->presentingViewController(), root);
    log.clear();
    clock.advance(0.34);
    EXPECT_TRUE(log.empty()) << "the transition takes 0.35 s";
    clock.advance(0.02);
    EXPECT_EQ(log, (Log {"modal didAppear", "root didDisappear", "completion"}));
    EXPECT_FALSE(root->view()->window()) << "the covered view leaves the window";
    EXPECT_EQ(presented->view()->frame(), window->bounds());

    log.clear();
    presented->dismissViewControllerAnimated(/*animated=*/true, [&] { log.push_back("dismissed"); });
    EXPECT_EQ(log, (Log {"modal willDisappear", "root willAppear animated"}));
    clock.advance(0.34);
    EXPECT_EQ(log, (Log {"modal willDisappear", "root willAppear animated"})) << "the transition takes 0.35 s";
    clock.advance(0.02);
    EXPECT_EQ(log,
        (Log {"modal willDisappear", "root willAppear animated", "root didAppear", "modal didDisappear", "dismissed"}));
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(presented->view()->window());
    EXPECT_EQ(root->view()->window(), window);
}

TEST_F(Controllers, PresentationWithoutAnimationCompletesAtOnce)
{
    auto root = showRoot();
    auto presented = std::make_shared<Quiet>("modal", log);
    root->presentViewController(presented, /*animated=*/false, [&] { log.push_back("completion"); });
    EXPECT_EQ(
        log, (Log {"root willDisappear", "modal willAppear", "modal didAppear", "root didDisappear", "completion"}));
}

TEST_F(Controllers, FormSheetOnATabletLeavesThePresenterOnScreen)
{
    auto root = showRoot();
    auto sheet = std::make_shared<Quiet>("sheet", log);
    sheet->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    root->presentViewController(sheet, /*animated=*/false, nullptr);
    EXPECT_EQ(log, (Log {"sheet willAppear", "sheet didAppear"}));
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(242, 74, 540, 620));
    EXPECT_EQ(root->view()->window(), window);
    sheet->dismissViewControllerAnimated(false, nullptr);
    EXPECT_EQ(log, (Log {"sheet willAppear", "sheet didAppear", "sheet willDisappear", "sheet didDisappear"}));
}

TEST_F(Controllers, FormSheetOnAPhoneCoversTheScreen)
{
    plat::test::UIScope phone(plat::UserInterfaceIdiom::Phone);
    auto phoneWindow = std::make_shared<plat::Window>();
    auto root = std::make_shared<Quiet>("root", log);
    phoneWindow->setRootViewController(root);
    phoneWindow->makeKeyAndVisible();
    auto sheet = std::make_shared<Quiet>("sheet", log);
    sheet->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    root->presentViewController(sheet, false, nullptr);
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(0, 0, 568, 320));
}

TEST_F(Controllers, PresentingFromAChildPresentsFromTheTop)
{
    auto root = showRoot();
    auto child = std::make_shared<Quiet>("child", log);
    root->addChildViewController(child);
    root->view()->addSubview(child->view());
    auto presented = std::make_shared<Quiet>("modal", log);
    child->presentViewController(presented, false, nullptr);
    EXPECT_EQ(presented->presentingViewController(), root);
    EXPECT_EQ(child->presentedViewController(), presented);
    child->dismissViewControllerAnimated(false, nullptr);
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(Controllers, PresentingTwiceIsRefused)
{
    auto root = showRoot();
    root->presentViewController(std::make_shared<Quiet>("first", log), false, nullptr);
    bool completed = false;
    root->presentViewController(std::make_shared<Quiet>("second", log), false, [&] { completed = true; });
    EXPECT_FALSE(completed);
    EXPECT_EQ(root->presentedViewController()->className(), "Quiet");
}

TEST_F(Controllers, DismissingWhilePresentationRunsIsRefusedAndThePresenterStaysReachable)
{
    auto root = showRoot();
    auto presented = std::make_shared<Quiet>("modal", log);
    root->presentViewController(presented, /*animated=*/true, nullptr);
    clock.advance(0.1);
    bool dismissed = false;
    presented->dismissViewControllerAnimated(/*animated=*/true, [&] { dismissed = true; });
    clock.advance(0.7);  // twice the transition
    EXPECT_FALSE(dismissed);
    EXPECT_EQ(root->presentedViewController(), presented);
    EXPECT_EQ(presented->view()->window(), window);
    EXPECT_TRUE(presented->isVisible());

    presented->dismissViewControllerAnimated(/*animated=*/true, [&] { dismissed = true; });
    clock.advance(0.35);  // the transition
    EXPECT_TRUE(dismissed);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_EQ(root->view()->window(), window) << "the presenter is back on screen";
    EXPECT_TRUE(root->isVisible());
}

TEST_F(Controllers, HooksCanRedirectLookupsAndPresentation)
{
    auto root = showRoot();
    auto stand = std::make_shared<Quiet>("stand-in", log);
    auto ownItem = root->navigationItem();
    auto redirected = std::make_shared<plat::NavigationItem>("redirected");
    plat::ViewControllerHooks::addNavigationItemHook(
        [&](plat::ViewController& c, const plat::ViewControllerHooks::NavigationItemNext& next) {
            return &c == stand.get() ? redirected : next(c);
        });
    std::vector<std::string> presenters;
    plat::ViewControllerHooks::addPresentHook(
        [&](plat::ViewController& presenter, std::shared_ptr<plat::ViewController> presented, bool animated,
            std::function<void()> completion, const plat::ViewControllerHooks::PresentNext& next) {
            presenters.push_back(presenter.className());
            next(*root, std::move(presented), animated, std::move(completion));
        });
    EXPECT_EQ(stand->navigationItem(), redirected);
    EXPECT_EQ(root->navigationItem(), ownItem) << "others fall through to their own";
    stand->presentViewController(std::make_shared<Quiet>("modal", log), false, nullptr);
    EXPECT_EQ(presenters, (std::vector<std::string> {"Quiet"}));
    EXPECT_TRUE(root->presentedViewController());
    plat::ViewControllerHooks::removeAllHooks();
}

TEST_F(Controllers, TitleAndParentAreObservable)
{
    auto parent = std::make_shared<plat::ViewController>();
    auto child = std::make_shared<plat::ViewController>();
    std::vector<std::string> keys;
    auto titleToken
        = child->addObserverForKey("title", [&](const plat::PropertyChange& c) { keys.emplace_back(c.key); });
    auto parentToken = child->addObserverForKey(
        "parentViewController", [&](const plat::PropertyChange& c) { keys.emplace_back(c.key); });
    child->setTitle("Gallery");
    child->setTitle("Gallery");
    parent->addChildViewController(child);
    child->removeFromParentViewController();
    EXPECT_EQ(keys, (std::vector<std::string> {"title", "parentViewController", "parentViewController"}));
}

TEST_F(Controllers, AssociatedObjectsCanBeWeakOrStrong)
{
    auto controller = std::make_shared<plat::ViewController>();
    auto container = std::make_shared<plat::ViewController>();
    controller->associatedObjects().set("SidePanelController", container, plat::AssociationPolicy::Assign);
    controller->associatedObjects().set("kept", std::make_shared<int>(7), plat::AssociationPolicy::Retain);
    EXPECT_EQ(controller->associatedObjects().get<plat::ViewController>("SidePanelController"), container);
    auto kept = controller->associatedObjects().get<int>("kept");
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, 7);
    EXPECT_FALSE(controller->associatedObjects().get<std::string>("kept")) << "another type reads as empty";
    container.reset();
    EXPECT_FALSE(controller->associatedObjects().get<plat::ViewController>("SidePanelController"));
}

TEST_F(Controllers, RotationAsksTheFrontControllerAndCallsBack)
{
    class Turning : public Quiet {
    public:
        using Quiet::Quiet;
        unsigned supportedInterfaceOrientations() const override { return plat::InterfaceOrientationMaskLandscape; }
        void willRotateToInterfaceOrientation(plat::InterfaceOrientation o, double d) override
        {
            note("willRotate " + std::to_string(static_cast<int>(o)));
            Quiet::willRotateToInterfaceOrientation(o, d);
        }
        void didRotateFromInterfaceOrientation(plat::InterfaceOrientation from) override
        {
            note("didRotate from " + std::to_string(static_cast<int>(from)));
            Quiet::didRotateFromInterfaceOrientation(from);
        }
    };
    auto root = std::make_shared<Turning>("root", log);
    auto child = std::make_shared<Turning>("child", log);
    root->addChildViewController(child);
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    log.clear();
    auto& app = plat::Application::sharedApplication();
    EXPECT_FALSE(app.rotateToInterfaceOrientation(plat::InterfaceOrientation::Portrait));
    EXPECT_TRUE(app.rotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeLeft));
    EXPECT_EQ(app.statusBarOrientation(), plat::InterfaceOrientation::LandscapeLeft);
    EXPECT_EQ(
        log, (Log {"root willRotate 4", "child willRotate 4", "root didRotate from 3", "child didRotate from 3"}));
}

TEST_F(Controllers, MemoryWarningReachesEveryController)
{
    auto root = std::make_shared<Quiet>("root", log);
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto child = std::make_shared<Quiet>("child", log);
    root->addChildViewController(child);
    root->presentViewController(std::make_shared<Quiet>("modal", log), false, nullptr);
    log.clear();
    plat::Application::sharedApplication().receiveMemoryWarning();
    EXPECT_EQ(log, (Log {"root memory", "child memory", "modal memory"}));
}
