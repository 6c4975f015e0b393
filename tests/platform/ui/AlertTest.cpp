#include "platform/ui/AlertView.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/ActionSheet.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/TabletToolbarScene.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/Idioms.h"
#include "support/ManualClockScope.h"

namespace {

using Log = std::vector<std::string>;

class Listener : public plat::AlertViewDelegate, public plat::ActionSheetDelegate {
public:
    void alertViewClickedButtonAtIndex(plat::AlertView&, int64_t index) override { note("clicked", index); }
    bool alertViewCancel(plat::AlertView&) override
    {
        log.push_back("cancel");
        return handlesCancel;
    }
    void willPresentAlertView(plat::AlertView&) override { log.push_back("will present"); }
    void didPresentAlertView(plat::AlertView&) override { log.push_back("did present"); }
    void alertViewWillDismissWithButtonIndex(plat::AlertView&, int64_t index) override { note("will dismiss", index); }
    void alertViewDidDismissWithButtonIndex(plat::AlertView&, int64_t index) override { note("did dismiss", index); }

    void actionSheetClickedButtonAtIndex(plat::ActionSheet&, int64_t index) override { note("sheet clicked", index); }
    void actionSheetDidDismissWithButtonIndex(plat::ActionSheet&, int64_t index) override
    {
        note("sheet did dismiss", index);
    }

    void note(const std::string& what, int64_t index) { log.push_back(what + " " + std::to_string(index)); }
    Log log;
    bool handlesCancel = false;
};

class Presses : public plat::Object {
public:
    void pressed() { ++count; }
    int count = 0;
};

class Alerts : public ::testing::Test {
protected:
    Alerts()
    {
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<Listener> listener = std::make_shared<Listener>();
    plat::test::UIDriver driver;
};

}  // namespace

TEST_F(Alerts, TappingAButtonClicksItThenTheAlertGoes)
{
    auto alert = std::make_shared<plat::AlertView>("Warning", "Do you really want to delete your project?", listener,
        std::nullopt, std::vector<std::string> {"Delete", "No"});
    alert->show();
    alert.reset();  // the screen keeps a shown alert
    EXPECT_EQ(listener->log, (Log {"will present"}));
    driver.wait(0.19);
    EXPECT_EQ(listener->log, (Log {"will present"})) << "it comes in over 0.2 s";
    driver.wait(0.02);
    EXPECT_EQ(listener->log, (Log {"will present", "did present"}));
    EXPECT_NE(driver.findView("Do you really want to delete your project?"), nullptr);
    ASSERT_TRUE(driver.tap("No"));
    EXPECT_EQ(listener->log.back(), "will dismiss 1");
    driver.wait(0.19);
    EXPECT_EQ(listener->log.back(), "will dismiss 1") << "it goes over 0.2 s";
    driver.wait(0.02);
    EXPECT_EQ(listener->log, (Log {"will present", "did present", "clicked 1", "will dismiss 1", "did dismiss 1"}));
    EXPECT_EQ(driver.findView("Warning"), nullptr);
    EXPECT_TRUE(window->subviews().empty());
}

TEST_F(Alerts, TwoButtonsSitSideBySideWithCancelOnTheLeftMoreAreStacked)
{
    auto pair = std::make_shared<plat::AlertView>(
        "Render Movie", "", listener, std::string("Cancel"), std::vector<std::string> {"Ok"});
    EXPECT_EQ(pair->cancelButtonIndex(), 0);
    EXPECT_EQ(pair->firstOtherButtonIndex(), 1);
    pair->show();
    driver.wait(1);
    auto cancel = driver.findView("Cancel");
    auto ok = driver.findView("Ok");
    ASSERT_NE(cancel, nullptr);
    EXPECT_LT(cancel->frame().minX(), ok->frame().minX());
    EXPECT_EQ(cancel->frame().minY(), ok->frame().minY());
    pair->dismissWithClickedButtonIndex(0, false);

    auto three = std::make_shared<plat::AlertView>(
        "Render Movie", "", listener, std::string("Cancel"), std::vector<std::string> {"Ok", "Optimized (Slower)"});
    three->show();
    driver.wait(1);
    EXPECT_GT(driver.findView("Cancel")->frame().minY(), driver.findView("Optimized (Slower)")->frame().minY())
        << "stacked, cancel last";
    EXPECT_EQ(three->buttonTitleAtIndex(2), "Optimized (Slower)");
}

TEST_F(Alerts, AnAlertWithoutButtonsGoesOnlyByCode)
{
    auto alert = std::make_shared<plat::AlertView>("Import.", "", listener, std::nullopt, std::vector<std::string> {});
    alert->show();
    driver.wait(1);
    driver.tapAt({10, 10});
    EXPECT_TRUE(alert->isVisible());
    alert->dismissWithClickedButtonIndex(5, /*animated=*/true);
    driver.wait(1);
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(listener->log, (Log {"will present", "did present", "will dismiss 5", "did dismiss 5"}));
}

TEST_F(Alerts, TheAppBehindTakesNoTouchesWhileAnAlertShows)
{
    auto presses = std::make_shared<Presses>();
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setTitle("Behind", plat::ControlStateNormal);
    button->setFrame(plat::makeRect(0, 0, 100, 44));
    button->addTarget(presses.get(), &Presses::pressed, plat::ControlEventTouchUpInside);
    window->addSubview(button);
    auto alert
        = std::make_shared<plat::AlertView>("Hello", "", listener, std::string("OK"), std::vector<std::string> {});
    alert->show();
    driver.wait(1);
    driver.tapAt({50, 22});
    EXPECT_EQ(presses->count, 0);
    driver.tap("OK");
    driver.wait(1);
    driver.tapAt({50, 22});
    EXPECT_EQ(presses->count, 1);
}

TEST_F(Alerts, ASystemCancelDismissesWithTheCancelIndexUnlessTheDelegateHandlesIt)
{
    auto alert
        = std::make_shared<plat::AlertView>("A", "", listener, std::string("Cancel"), std::vector<std::string> {"X"});
    alert->show();
    listener->handlesCancel = true;
    alert->cancelBySystem();
    EXPECT_TRUE(alert->isVisible());
    listener->handlesCancel = false;
    alert->cancelBySystem();
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(listener->log, (Log {"will present", "cancel", "cancel", "will dismiss 0", "did dismiss 0"}));
}

TEST_F(Alerts, WithoutAWindowNothingShows)
{
    plat::test::UIScope fresh;  // no key window
    auto alert = std::make_shared<plat::AlertView>("A", "", listener, std::string("OK"), std::vector<std::string> {});
    alert->show();
    EXPECT_FALSE(alert->isVisible());
    EXPECT_TRUE(listener->log.empty());
}

TEST_F(Alerts, SheetButtonsGoDestructiveFirstAndCancelLast)
{
    auto sheet = std::make_shared<plat::ActionSheet>(
        "", listener, std::string("Cancel"), std::string("Delete"), std::vector<std::string> {"Copy", "Share"});
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->cancelButtonIndex(), 3);
    EXPECT_EQ(sheet->firstOtherButtonIndex(), 1);
    sheet->showInView(*window);
    driver.wait(0.3);  // it slides up
    auto cancel = driver.findView("Cancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_GT(cancel->convertRect(cancel->bounds(), nullptr).minY(),
        driver.findView("Share")->convertRect(driver.findView("Share")->bounds(), nullptr).maxY());
    ASSERT_TRUE(driver.tap("Share"));
    driver.wait(1);
    EXPECT_EQ(listener->log, (Log {"sheet clicked 2", "sheet did dismiss 2"}));
}

TEST_F(Alerts, ATouchBesideASheetIsItsCancelButton)
{
    auto sheet = std::make_shared<plat::ActionSheet>(
        "Share", listener, std::string("Cancel"), std::nullopt, std::vector<std::string> {"Mail"});
    sheet->showInView(*window);
    driver.wait(1);
    driver.tapAt({100, 20});
    driver.wait(1);
    EXPECT_EQ(listener->log, (Log {"sheet clicked 1", "sheet did dismiss 1"}));
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(Alerts, OnATabletASheetFromABarItemShowsInAPopoverWithoutCancel)
{
    plat::test::TabletToolbarScene tablet(plat::BarButtonSystemItem::Trash);
    const auto& trash = tablet.item();
    plat::test::UIDriver here;
    here.wait(0);
    auto sheet = std::make_shared<plat::ActionSheet>(
        "", listener, std::string("Cancel"), std::string("Delete"), std::vector<std::string> {});
    sheet->showFromBarButtonItem(*trash, /*animated=*/true);
    here.wait(1);
    EXPECT_NE(here.findView("popover"), nullptr);
    EXPECT_EQ(here.findView("Cancel"), nullptr) << "a popover has no cancel button";
    auto destructive = here.findView("Delete");
    ASSERT_NE(destructive, nullptr);
    EXPECT_LT(
        destructive->convertRect(destructive->bounds(), nullptr).maxY(), plat::test::TabletToolbarScene::kToolbarTop)
        << "above the toolbar";
    here.tapAt({500, 100});
    here.wait(1);
    EXPECT_EQ(listener->log, (Log {"sheet clicked 1", "sheet did dismiss 1"}));
    EXPECT_EQ(here.findView("popover"), nullptr);
}

// However long the message, and also when it grows after the alert shows (a
// message that says how some work went), the alert and its buttons stay
// inside the screen; a message too long for it scrolls.
TEST_F(Alerts, AnyMessageLeavesTheAlertAndItsButtonsInsideTheScreen)
{
    struct Case {
        int lines;
        std::vector<std::string> buttons;
        bool givenAfterShowing;
        bool scrolls;
    };
    const Case cases[] = {
        {1, {"OK"}, false, false},
        {4, {"Delete", "No"}, false, false},
        {40, {"OK"}, false, true},
        {40, {"One", "Two", "Three"}, false, true},
        {40, {"OK"}, true, true},
    };
    const plat::Rect screen = window->bounds();
    auto inside = [&](const plat::View& view) {
        const plat::Rect shown = view.convertRect(view.bounds(), nullptr);
        return shown.minX() >= screen.minX() && shown.minY() >= screen.minY() && shown.maxX() <= screen.maxX()
            && shown.maxY() <= screen.maxY();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lines) + " lines, " + std::to_string(c.buttons.size()) + " buttons");
        std::string message = "Line 1";
        for (int line = 2; line <= c.lines; ++line)
            message += "\nLine " + std::to_string(line);
        auto alert = std::make_shared<plat::AlertView>("Title", c.givenAfterShowing ? "Working." : message, listener,
            std::nullopt, c.givenAfterShowing ? std::vector<std::string> {} : c.buttons);
        alert->show();
        if (c.givenAfterShowing) {
            alert->setMessage(message);
            for (const std::string& title : c.buttons)
                alert->addButtonWithTitle(title);
        }
        driver.wait(0.2);  // it comes in
        EXPECT_TRUE(inside(*alert));
        std::shared_ptr<plat::ScrollView> scroller;
        for (const auto& view : alert->subviews())
            if (auto found = std::dynamic_pointer_cast<plat::ScrollView>(view))
                scroller = found;
        ASSERT_NE(scroller, nullptr);
        EXPECT_EQ(scroller->contentSize().height > scroller->bounds().height(), c.scrolls);
        for (const std::string& title : c.buttons) {
            auto button = driver.findView(title);
            ASSERT_NE(button, nullptr) << title;
            EXPECT_TRUE(inside(*button)) << title;
        }
        auto tapped = driver.tryTap(c.buttons.back());
        EXPECT_TRUE(tapped.ok()) << tapped.error().localizedDescription();
        driver.wait(0.2);  // it goes
        EXPECT_FALSE(alert->isVisible());
    }
}

namespace {

// Alerts asked for at once, on a phone and on a tablet.
class AlertsInTurn : public ::testing::TestWithParam<plat::UserInterfaceIdiom> {
protected:
    AlertsInTurn()
    {
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    // The messages of the alerts the window shows, front last.
    std::vector<std::string> shownMessages() const
    {
        std::vector<std::string> shown;
        std::function<void(const plat::View&)> search = [&](const plat::View& view) {
            if (auto* alert = dynamic_cast<const plat::AlertView*>(&view); alert && alert->isVisible())
                shown.push_back(alert->message());
            for (const auto& subview : view.subviews())
                search(*subview);
        };
        search(*window);
        return shown;
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui {GetParam()};
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    plat::test::UIDriver driver;
};

}  // namespace

// As a warning at start-up meets an import's report: the first shows alone,
// the second once the first has gone, as the system shows them.
TEST_P(AlertsInTurn, TwoAlertsAskedForAtOnceShowOneAfterTheOther)
{
    auto listener = std::make_shared<Listener>();
    auto first = std::make_shared<plat::AlertView>("Storage Nearly Full", "There is almost no space left.", listener,
        std::string("Dismiss"), std::vector<std::string> {});
    auto second = std::make_shared<plat::AlertView>(
        "", "The project could not be imported.", listener, std::string("OK"), std::vector<std::string> {});
    first->show();
    second->show();
    first.reset();  // the window keeps both
    second.reset();
    driver.wait(1);
    EXPECT_EQ(shownMessages(), std::vector<std::string> {"There is almost no space left."});
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    EXPECT_EQ(shownMessages(), std::vector<std::string> {"The project could not be imported."});
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);
    EXPECT_TRUE(window->subviews().empty());
    EXPECT_EQ(listener->log,
        (Log {"will present", "did present", "clicked 0", "will dismiss 0", "did dismiss 0", "will present",
            "did present", "clicked 0", "will dismiss 0", "did dismiss 0"}));
}

// A message that goes by itself may go before its turn: it never shows, and
// whoever waits for it hears that it went.
TEST_P(AlertsInTurn, AWaitingAlertDismissedByCodeLeavesTheLineWithoutShowing)
{
    auto shown = std::make_shared<plat::AlertView>("", "Audio file imported.", std::weak_ptr<plat::AlertViewDelegate>(),
        std::string("OK"), std::vector<std::string> {});
    auto waitingListener = std::make_shared<Listener>();
    auto waiting
        = std::make_shared<plat::AlertView>("", "Import.", waitingListener, std::nullopt, std::vector<std::string> {});
    shown->show();
    waiting->show();
    driver.wait(1);
    waiting->dismissWithClickedButtonIndex(0, /*animated=*/true);
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);
    EXPECT_TRUE(window->subviews().empty());
    EXPECT_EQ(waitingListener->log, (Log {"will dismiss 0", "did dismiss 0"}));
}

// An alert of two buttons asked for while an import's message shows, its
// text changed as it waits: it shows with both buttons once the message goes.
TEST_P(AlertsInTurn, AWaitingAlertWhoseTextChangesShowsWithItsButtonsInItsTurn)
{
    auto message = std::make_shared<plat::AlertView>(
        "", "Import.", std::weak_ptr<plat::AlertViewDelegate>(), std::nullopt, std::vector<std::string> {});
    auto listener = std::make_shared<Listener>();
    auto waiting = std::make_shared<plat::AlertView>(
        "Render Movie", "", listener, std::string("Cancel"), std::vector<std::string> {"Ok"});
    message->show();
    waiting->show();
    waiting->setMessage("The project needs to be rendered first.");
    driver.wait(1);
    message->dismissWithClickedButtonIndex(0, /*animated=*/false);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Ok"));
    driver.wait(1);
    EXPECT_EQ(listener->log, (Log {"will present", "did present", "clicked 1", "will dismiss 1", "did dismiss 1"}));
}

INSTANTIATE_TEST_SUITE_P(Idioms, AlertsInTurn, plat::test::bothIdioms(), plat::test::idiomName);
