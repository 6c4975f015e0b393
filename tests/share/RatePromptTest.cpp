#include "share/RatePrompt.h"

#include <functional>
#include <gtest/gtest.h>
#include <limits>

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr double kDay = 24 * 60 * 60;
constexpr int64_t kStoreID = 964321587;

class RatingPrompt : public ::testing::Test {
protected:
    RatingPrompt()
    {
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    void launch(bool canPrompt = true)
    {
        zt::RatePrompt::appLaunchedWithAppStoreID(kStoreID, canPrompt);
        driver.wait(1);
    }
    // Twenty launches over thirty days.
    void useForAMonth()
    {
        for (int i = 0; i < 19; ++i)
            launch();
        clock.advance(30 * kDay);
    }
    // The title says the same as the rate button: find the button.
    std::shared_ptr<plat::Button> button(const std::string& title)
    {
        std::function<std::shared_ptr<plat::Button>(const std::shared_ptr<plat::View>&)> search
            = [&](const std::shared_ptr<plat::View>& view) -> std::shared_ptr<plat::Button> {
            if (auto found = std::dynamic_pointer_cast<plat::Button>(view); found && found->currentTitle() == title)
                return found;
            for (const auto& subview : view->subviews())
                if (auto found = search(subview))
                    return found;
            return nullptr;
        };
        return search(window);
    }
    bool isAsking() const { return driver.findView("Remind me later") != nullptr; }
    int64_t uses() { return defaults().integerForKey(zt::RatePrompt::kUseCountKey); }
    plat::UserDefaults& defaults() { return plat::UserDefaults::standardUserDefaults(); }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    plat::test::UIDriver driver;
};

}  // namespace

TEST_F(RatingPrompt, EveryLaunchCountsAUseFromTheFirstUseOfTheVersion)
{
    launch();
    EXPECT_EQ(uses(), 1);
    EXPECT_EQ(defaults().stringForKey(zt::RatePrompt::kCurrentVersionKey), "1");
    double firstUse = defaults().doubleForKey(zt::RatePrompt::kFirstUseDateKey);
    EXPECT_DOUBLE_EQ(firstUse, plat::test::ManualClockScope::kStartDate.timeIntervalSince1970());
    clock.advance(kDay);
    launch();
    EXPECT_EQ(uses(), 2);
    EXPECT_DOUBLE_EQ(defaults().doubleForKey(zt::RatePrompt::kFirstUseDateKey), firstUse);
    EXPECT_FALSE(isAsking());
}

TEST_F(RatingPrompt, ItAsksAfterAMonthAndTwentyUses)
{
    useForAMonth();
    EXPECT_FALSE(isAsking());
    launch();
    EXPECT_EQ(uses(), 20);
    EXPECT_TRUE(isAsking());
    auto rate = button("Rate Zantrope");
    ASSERT_NE(rate, nullptr);
    ASSERT_TRUE(driver.tap(*rate));
    driver.wait(1);
    EXPECT_TRUE(defaults().boolForKey(zt::RatePrompt::kRatedCurrentVersionKey));
    EXPECT_EQ(plat::Application::sharedApplication().openedURLs(),
        (std::vector<std::string> {"itms-apps://itunes.apple.com/app/id964321587"}));
    launch();
    EXPECT_FALSE(isAsking()) << "rated: never again for this version";
}

TEST_F(RatingPrompt, NotEnoughUsesOrDaysDoNotAsk)
{
    for (int i = 0; i < 25; ++i)
        launch();
    EXPECT_FALSE(isAsking()) << "many uses in one day";
    clock.advance(29 * kDay);
    launch();
    EXPECT_FALSE(isAsking());
    clock.advance(kDay);
    launch(/*canPrompt=*/false);
    EXPECT_FALSE(isAsking()) << "not allowed to ask now";
    launch();
    EXPECT_TRUE(isAsking());
}

TEST_F(RatingPrompt, DecliningStopsTheQuestionAndRemindingPostponesItADay)
{
    useForAMonth();
    launch();
    ASSERT_TRUE(driver.tap("Remind me later"));
    driver.wait(1);
    launch();
    EXPECT_FALSE(isAsking());
    clock.advance(kDay);
    launch();
    ASSERT_TRUE(isAsking());
    ASSERT_TRUE(driver.tap("No, Thanks"));
    driver.wait(1);
    clock.advance(100 * kDay);
    launch();
    EXPECT_FALSE(isAsking());
}

TEST_F(RatingPrompt, ANewVersionStartsTheCountAgain)
{
    useForAMonth();
    defaults().setBool(true, zt::RatePrompt::kDeclinedToRateKey);
    defaults().setObject(plat::Value("0"), zt::RatePrompt::kCurrentVersionKey);
    launch();
    EXPECT_EQ(uses(), 1);
    EXPECT_FALSE(defaults().boolForKey(zt::RatePrompt::kDeclinedToRateKey));
    EXPECT_FALSE(isAsking());
}

TEST_F(RatingPrompt, AUseCountAtItsLargestStaysThereAndStillAsks)
{
    launch(/*canPrompt=*/false);
    defaults().setInteger(std::numeric_limits<int64_t>::max(), zt::RatePrompt::kUseCountKey);
    clock.advance(30 * kDay);
    launch();
    EXPECT_EQ(uses(), std::numeric_limits<int64_t>::max());
    EXPECT_TRUE(isAsking());
}
