#include "platform/ui/ActivityViewController.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PopoverController.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/TabletToolbarScene.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using Log = std::vector<std::string>;

// An app's own activity for items of one project (a string here).
class UploadActivity : public plat::Activity {
public:
    explicit UploadActivity(Log& log, bool withScreen = false)
        : _log(log)
        , _withScreen(withScreen)
    {
    }
    std::string activityType() const override { return "UIActivityTypeShareToDropBox"; }
    std::string activityTitle() const override { return "Dropbox"; }
    bool canPerformWithActivityItems(const std::vector<std::any>& items) override
    {
        for (const auto& item : items)
            if (std::any_cast<std::string>(&item))
                return true;
        return false;
    }
    void prepareWithActivityItems(const std::vector<std::any>& items) override
    {
        _log.push_back("prepare " + std::any_cast<std::string>(items.front()));
    }
    std::shared_ptr<plat::ViewController> activityViewController() override
    {
        if (!_withScreen)
            return nullptr;
        auto screen = std::make_shared<plat::ViewController>();
        screen->setTitle("Upload screen");
        _screen = screen;
        return screen;
    }
    void performActivity() override
    {
        _log.push_back("perform");
        activityDidFinish(true);
    }
    std::weak_ptr<plat::ViewController> _screen;

private:
    Log& _log;
    bool _withScreen;
};

class Sharing : public ::testing::Test {
protected:
    void showRoot()
    {
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    std::shared_ptr<plat::ActivityViewController> makeSheet(std::vector<std::any> items, bool withScreen = false)
    {
        upload = std::make_shared<UploadActivity>(log, withScreen);
        auto sheet = std::make_shared<plat::ActivityViewController>(
            std::move(items), std::vector<std::shared_ptr<plat::Activity>> {upload});
        sheet->setCompletionHandler([this](std::optional<std::string> type, bool completed) {
            log.push_back("done " + type.value_or("none") + (completed ? " completed" : ""));
        });
        return sheet;
    }

    std::vector<std::string> offeredTitles(plat::ActivityViewController& sheet)
    {
        std::vector<std::string> titles;
        for (const auto& activity : sheet.activities())
            titles.push_back(activity->activityTitle());
        return titles;
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    std::shared_ptr<UploadActivity> upload;
    Log log;
    plat::test::UIDriver driver;
};

}  // namespace

TEST_F(Sharing, TheSheetOffersWhatCanHandleItsItemsLessTheExcluded)
{
    std::shared_ptr<plat::Image> picture = plat::test::makeFlatImage(4, 4, {255, 0, 0, 255});
    auto sheet = makeSheet({std::string("My Movie"), picture});
    EXPECT_EQ(offeredTitles(*sheet), (std::vector<std::string> {"Dropbox", "Copy", "Save Image"}));
    sheet->setExcludedActivityTypes({plat::ActivityTypeCopyToPasteboard, plat::ActivityTypePostToFacebook});
    EXPECT_EQ(offeredTitles(*sheet), (std::vector<std::string> {"Dropbox", "Save Image"}));
    auto nothing = makeSheet({42});
    EXPECT_TRUE(offeredTitles(*nothing).empty());
}

TEST_F(Sharing, ChoosingAnActivityTakesTheSheetAwayThenPerformsIt)
{
    showRoot();
    auto sheet = makeSheet({std::string("project-1")});
    root->presentViewController(sheet, true, nullptr);
    sheet.reset();
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Dropbox"));
    EXPECT_EQ(log, (Log {"prepare project-1"})) << "it performs once the sheet is gone";
    driver.wait(1);
    EXPECT_EQ(log, (Log {"prepare project-1", "perform", "done UIActivityTypeShareToDropBox completed"}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(Sharing, AnActivitysOwnScreenIsPresentedAndDismissedWhenItFinishes)
{
    showRoot();
    auto sheet = makeSheet({std::string("project-2")}, /*withScreen=*/true);
    root->presentViewController(sheet, false, nullptr);
    driver.wait(0);
    ASSERT_TRUE(driver.tap("Dropbox"));
    driver.wait(1);
    auto screen = upload->_screen.lock();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(root->presentedViewController(), screen);
    upload->activityDidFinish(false);
    driver.wait(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(log.back(), "done UIActivityTypeShareToDropBox");
}

TEST_F(Sharing, CancelReportsNoActivity)
{
    showRoot();
    auto sheet = makeSheet({std::string("project-3")});
    root->presentViewController(sheet, false, nullptr);
    driver.wait(0);
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    EXPECT_EQ(log, (Log {"done none"}));
}

TEST_F(Sharing, PresentedTheSheetLiesOverTheDimmedScreenAndATouchBesideItCancels)
{
    showRoot();
    root->view()->setBackgroundColor(plat::Color::colorWithRed(1, 0, 0, 1));
    auto sheet = makeSheet({std::string("project-3")});
    root->presentViewController(sheet, /*animated=*/true, nullptr);
    driver.wait(1);
    EXPECT_EQ(root->view()->window(), window) << "the screen stays beneath the sheet";
    auto screen = plat::snapshotWindow(*window, 1);
    ASSERT_NE(screen, nullptr);
    // Above the sheet's cards: the red screen dimmed to 60 %.
    const auto above = plat::test::pixelAt(*screen, 284, 40);
    EXPECT_NEAR(above[0], 153, 3);
    EXPECT_NEAR(above[1], 0, 3);
    ASSERT_TRUE(driver.tap("Dropbox"));  // an activity still works from the card
    driver.wait(1);
    EXPECT_EQ(log, (Log {"prepare project-3", "perform", "done UIActivityTypeShareToDropBox completed"}));

    log.clear();
    auto second = makeSheet({std::string("project-4")});
    root->presentViewController(second, /*animated=*/false, nullptr);
    driver.wait(0);
    driver.tapAt({284, 40});
    driver.wait(1);
    EXPECT_EQ(log, (Log {"done none"}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(Sharing, InAPopoverCopyPutsThePictureOnThePasteboard)
{
    plat::test::TabletToolbarScene tablet(plat::BarButtonSystemItem::Action);
    const auto& share = tablet.item();
    driver.wait(0);
    std::shared_ptr<plat::Image> picture = plat::test::makeFlatImage(6, 4, {0, 0, 255, 255});
    auto sheet = makeSheet({picture});
    auto popover = std::make_shared<plat::PopoverController>(sheet);
    popover->presentPopoverFromBarButtonItem(*share, plat::PopoverArrowDirectionDown, true);
    driver.wait(1);
    EXPECT_EQ(popover->popoverArrowDirection(), plat::PopoverArrowDirectionDown);
    EXPECT_EQ(plat::PopoverController::presentingPopover(*sheet), popover);
    ASSERT_TRUE(driver.tap("Copy"));
    driver.wait(1);
    EXPECT_FALSE(popover->isPopoverVisible());
    EXPECT_EQ(log, (Log {"done com.apple.UIKit.activity.CopyToPasteboard completed"}));
    auto pasted = plat::Pasteboard::generalPasteboard()->image();
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->size(), (plat::Size {6, 4}));
}

TEST_F(Sharing, SaveImagePutsThePictureInTheSavedPhotos)
{
    showRoot();
    std::shared_ptr<plat::Image> picture = plat::test::makeFlatImage(8, 8, {0, 255, 0, 255});
    auto sheet = makeSheet({picture});
    root->presentViewController(sheet, false, nullptr);
    driver.wait(0);
    ASSERT_TRUE(driver.tap("Save Image"));
    driver.wait(1);
    auto assets = plat::PhotoLibrary::forCurrentSandbox().assetsInAlbum(plat::PhotoLibrary::kSavedPhotosAlbumName);
    ASSERT_TRUE(assets.ok());
    EXPECT_EQ(assets.value().size(), 1u);
    EXPECT_EQ(log.back(), "done com.apple.UIKit.activity.SaveToCameraRoll completed");
}

namespace {

class Content : public plat::ViewController {
public:
    explicit Content(Log& log)
        : _log(log)
    {
        setContentSizeForViewInPopover({300, 200});
    }
    void viewWillAppear(bool) override { _log.push_back("content willAppear"); }
    void viewDidAppear(bool) override { _log.push_back("content didAppear"); }
    void viewWillDisappear(bool) override { _log.push_back("content willDisappear"); }
    void viewDidDisappear(bool) override { _log.push_back("content didDisappear"); }

private:
    Log& _log;
};

class Gate : public plat::PopoverControllerDelegate {
public:
    explicit Gate(Log& log)
        : _log(log)
    {
    }
    bool popoverControllerShouldDismissPopover(plat::PopoverController&) override
    {
        _log.push_back("should dismiss");
        return allow;
    }
    void popoverControllerDidDismissPopover(plat::PopoverController&) override { _log.push_back("did dismiss"); }
    bool allow = true;

private:
    Log& _log;
};

}  // namespace

TEST_F(Sharing, APopoverGoesWhereThereIsRoomAndATouchBesideItAsksTheDelegate)
{
    showRoot();
    auto content = std::make_shared<Content>(log);
    auto gate = std::make_shared<Gate>(log);
    auto popover = std::make_shared<plat::PopoverController>(content);
    popover->setDelegate(gate);
    auto anchor = std::make_shared<plat::View>(plat::makeRect(100, 30, 40, 20));
    root->view()->addSubview(anchor);
    popover->presentPopoverFromRect(anchor->bounds(), *anchor, plat::PopoverArrowDirectionAny, true);
    EXPECT_EQ(popover->popoverArrowDirection(), plat::PopoverArrowDirectionUp) << "room below";
    EXPECT_EQ(popover->popoverContentSize(), (plat::Size {300, 200}));
    auto panel = popover->popoverView()->convertRect(popover->popoverView()->bounds(), nullptr);
    EXPECT_EQ(panel.minY(), 50);
    EXPECT_EQ(panel.height(), 200 + plat::PopoverController::kArrowHeight);
    driver.wait(1);
    EXPECT_EQ(log, (Log {"content willAppear", "content didAppear"}));
    gate->allow = false;
    driver.tapAt({500, 300});
    EXPECT_TRUE(popover->isPopoverVisible());
    gate->allow = true;
    driver.tapAt({500, 300});
    driver.wait(1);
    EXPECT_EQ(log,
        (Log {"content willAppear", "content didAppear", "should dismiss", "should dismiss", "content willDisappear",
            "content didDisappear", "did dismiss"}));
}

TEST_F(Sharing, APopoverDismissedByCodeTellsNoDelegateAndPassthroughViewsStayUsable)
{
    showRoot();
    auto content = std::make_shared<Content>(log);
    auto gate = std::make_shared<Gate>(log);
    auto popover = std::make_shared<plat::PopoverController>(content);
    popover->setDelegate(gate);
    auto anchor = std::make_shared<plat::View>(plat::makeRect(400, 280, 40, 30));
    root->view()->addSubview(anchor);
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    class Presses : public plat::Object {
    public:
        void pressed() { ++count; }
        int count = 0;
    };
    auto presses = std::make_shared<Presses>();
    button->setTitle("Through", plat::ControlStateNormal);
    button->setFrame(plat::makeRect(10, 280, 100, 30));
    button->addTarget(presses.get(), &Presses::pressed, plat::ControlEventTouchUpInside);
    root->view()->addSubview(button);
    popover->setPassthroughViews({button});
    popover->presentPopoverFromRect(anchor->bounds(), *anchor, plat::PopoverArrowDirectionAny, false);
    EXPECT_EQ(popover->popoverArrowDirection(), plat::PopoverArrowDirectionDown) << "no room below";
    ASSERT_TRUE(driver.tap("Through"));
    EXPECT_EQ(presses->count, 1);
    EXPECT_TRUE(popover->isPopoverVisible());
    popover->dismissPopoverAnimated(true);
    driver.wait(1);
    EXPECT_EQ(log, (Log {"content willAppear", "content didAppear", "content willDisappear", "content didDisappear"}));
    EXPECT_FALSE(popover->isPopoverVisible());
}

TEST_F(Sharing, APopoverShownAgainWhileItFadesAwayStaysShown)
{
    showRoot();
    auto content = std::make_shared<Content>(log);
    auto popover = std::make_shared<plat::PopoverController>(content);
    auto anchor = std::make_shared<plat::View>(plat::makeRect(100, 30, 40, 20));
    root->view()->addSubview(anchor);
    popover->presentPopoverFromRect(anchor->bounds(), *anchor, plat::PopoverArrowDirectionAny, false);
    bool firstGone = false;
    popover->dismissPopoverAnimated(true, [&] { firstGone = true; });
    driver.wait(0.1);  // half of the 0.2 s fade
    popover->presentPopoverFromRect(anchor->bounds(), *anchor, plat::PopoverArrowDirectionAny, false);
    EXPECT_TRUE(firstGone) << "the earlier dismissal ends before the popover shows again";
    driver.wait(1);
    EXPECT_TRUE(popover->isPopoverVisible());
    ASSERT_TRUE(popover->popoverView());
    EXPECT_EQ(popover->popoverView()->window(), window);
    EXPECT_EQ(content->view()->window(), window);
    EXPECT_EQ(plat::PopoverController::presentingPopover(*content), popover);
    EXPECT_EQ(log,
        (Log {"content willAppear", "content didAppear", "content willDisappear", "content didDisappear",
            "content willAppear", "content didAppear"}));
    // Only the shown popover's overlay is left in front of the app.
    EXPECT_EQ(window->subviews().size(), 2u);

    popover->dismissPopoverAnimated(true);
    driver.wait(1);
    EXPECT_FALSE(popover->isPopoverVisible());
    EXPECT_FALSE(content->view()->window());
    EXPECT_EQ(window->subviews().size(), 1u);
}
