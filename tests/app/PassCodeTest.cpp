#include "app/PassCodeViewController.h"

#include <gtest/gtest.h>

#include "AppScreensTestSupport.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "uikit/QVNavigationController.h"

namespace {

using zt::PassCodeViewController;

// The passcode screen in the app's navigation controller over a plain screen.
class PassCode : public zt::test::AppScreens {
protected:
    PassCode()
    {
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    void present()
    {
        screen = std::make_shared<PassCodeViewController>("PassCodeViewController");
        screen->setCompletionHandler([this](bool success) { results.push_back(success); });
        auto navigation = std::make_shared<zt::QVNavigationController>(screen);
        navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
        root->presentViewController(navigation, /*animated=*/true, nullptr);
        driver.wait(0.5);
    }

    // Types the digits one by one and lets the check run.
    void enter(const std::string& digits)
    {
        for (char digit : digits)
            ASSERT_TRUE(driver.type(std::string(1, digit)));
        driver.wait(0.31);  // the check runs 0.3 s after the fourth digit
    }

    std::vector<std::string> boxes() const
    {
        const auto& o = screen->outlets();
        return {o.firstField->text(), o.secondField->text(), o.thirdField->text(), o.fourthField->text()};
    }
    std::string status() const { return screen->outlets().statusLabel->text(); }
    zt::DataManager& settings() const { return zt::DataManager::sharedDataManager(); }
    std::optional<std::string> storedPassCode() const
    {
        auto stored = plat::dictionaryWithContentsOfFile(documents(".settings.plist"));
        if (!stored)
            return std::nullopt;
        auto code = stored->getString("passCode");
        return code ? std::optional<std::string>(*code) : std::nullopt;
    }

    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    std::shared_ptr<PassCodeViewController> screen;
    std::vector<bool> results;
    plat::test::TemporaryFolder output;
};

TEST_F(PassCode, WithoutAStoredCodeTheSameFourDigitsTwiceAreStoredAndReported)
{
    present();
    EXPECT_TRUE(screen->isFirstTime());
    EXPECT_EQ(screen->navigationItem()->title(), "Parental Control");
    EXPECT_EQ(status(), "Enter a Restriction Passcode");
    EXPECT_EQ(screen->passcodeField()->keyboardType(), plat::KeyboardType::NumberPad);
    enter("2580");
    EXPECT_EQ(status(), "Re-enter your Restrictions Passcode");
    EXPECT_EQ(boxes(), (std::vector<std::string> {"", "", "", ""}));
    EXPECT_TRUE(results.empty());
    enter("2580");
    EXPECT_EQ(results, std::vector<bool> {true});
    EXPECT_EQ(settings().passCode(), "2580");
    EXPECT_EQ(storedPassCode(), "2580") << "the settings were saved";
    EXPECT_EQ(boxes(), (std::vector<std::string> {"2", "5", "8", "0"})) << "the digits stay";
}

TEST_F(PassCode, AMismatchedConfirmationStartsOverWithANewFirstEntry)
{
    present();
    enter("1111");
    enter("2222");
    EXPECT_EQ(status(), "Passcodes did not match. Try again.");
    EXPECT_EQ(boxes(), (std::vector<std::string> {"", "", "", ""}));
    enter("3333");
    EXPECT_EQ(status(), "Re-enter your Restrictions Passcode") << "a new first entry";
    enter("3333");
    EXPECT_EQ(results, std::vector<bool> {true});
    EXPECT_EQ(settings().passCode(), "3333");
}

TEST_F(PassCode, AWrongCodeTurnsTheHeaderRedAndTheRightOneAfterwardsSucceeds)
{
    settings().setPassCode("4711");
    present();
    EXPECT_FALSE(screen->isFirstTime());
    EXPECT_EQ(status(), "Enter your Restriction Passcode");
    enter("1234");
    EXPECT_EQ(status(), "Wrong Passcode");
    EXPECT_EQ(screen->outlets().headerView->image(), plat::Image::imageNamed("passcodeTopBackground_red.png"));
    EXPECT_EQ(boxes(), (std::vector<std::string> {"", "", "", ""}));
    EXPECT_TRUE(results.empty()) << "the wrong code refuses";
    ASSERT_TRUE(driver.type("4711"));
    driver.wait(0.29);
    EXPECT_TRUE(results.empty()) << "the check runs 0.3 s after the fourth digit";
    driver.wait(0.02);
    EXPECT_EQ(results, std::vector<bool> {true});
    EXPECT_EQ(screen->outlets().headerView->image(), plat::Image::imageNamed("passcodeTopBackground_red.png"));
}

TEST_F(PassCode, DoneReportsNoAndStoresNothing)
{
    present();
    enter("1357");
    ASSERT_TRUE(driver.tap("Done"));
    EXPECT_EQ(results, std::vector<bool> {false});
    EXPECT_FALSE(settings().passCode().has_value());
    EXPECT_FALSE(storedPassCode().has_value());
}

TEST_F(PassCode, AFifthDigitIsRefusedAndADeletionAccepted)
{
    settings().setPassCode("9999");
    present();
    ASSERT_TRUE(driver.type("1234"));
    EXPECT_EQ(boxes(), (std::vector<std::string> {"1", "2", "3", "4"})) << "the fourth digit shows";
    driver.type("5");
    EXPECT_EQ(screen->passcodeField()->text(), "1234");
    ASSERT_TRUE(driver.type("\b"));
    EXPECT_EQ(screen->passcodeField()->text(), "123");
    EXPECT_EQ(boxes(), (std::vector<std::string> {"1", "2", "3", ""}));
    driver.wait(0.31);
    // The check that the fourth digit scheduled finds three.
    EXPECT_EQ(status(), "Wrong Passcode");
    EXPECT_TRUE(results.empty());
}

TEST_F(PassCode, TheScreenMatchesItsPicture)
{
    settings().setPassCode("4711");
    present();
    ASSERT_TRUE(driver.type("47"));
    driver.wait(0.1);
    auto picture = plat::snapshotWindow(*window, 1);
    ASSERT_NE(picture, nullptr);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/app/passcode_screen.png"), output.path());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

}  // namespace
