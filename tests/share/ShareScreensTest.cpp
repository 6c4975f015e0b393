#include <algorithm>
#include <any>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "document/ProjectModel.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "share/DuplicateProjectActivity.h"
#include "share/GalleryScreens.h"
#include "share/InfoCenterHelpViewController.h"
#include "share/InfoCenterViewController.h"
#include "share/ShareLayouts.h"
#include "share/ShareNotifications.h"
#include "share/ShareServices.h"
#include "support/ManualClockScope.h"
#include "support/RootScreenTest.h"
#include "support/TemporarySandbox.h"

namespace {

class Closer : public zt::InfoCenterDelegate {
public:
    void infoCenterDidFinish(zt::InfoCenterViewController& infoCenter) override
    {
        ++finished;
        infoCenter.dismissViewControllerAnimated(/*animated=*/true, nullptr);
    }
    int finished = 0;
};

class ShareScreens : public plat::test::RootScreenTest {
protected:
    ShareScreens() { zt::registerShareLayouts(); }

    void present(const std::shared_ptr<plat::ViewController>& controller)
    {
        root->presentViewController(controller, /*animated=*/true, nullptr);
        driver.wait(1);
    }
};

}  // namespace

TEST_F(ShareScreens, TheInfoCentreShowsTheVersionAndTellsItsDelegateWhenDone)
{
    auto infoCenter = std::make_shared<zt::InfoCenterViewController>("InfoCenterViewController");
    auto closer = std::make_shared<Closer>();
    infoCenter->setDelegate(closer);
    present(infoCenter);
    EXPECT_NE(driver.findView("Version 1.0 (1)"), nullptr);
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(closer->finished, 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(ShareScreens, TheInfoCentreOpensTheHelpPagesWhichCloseThemselves)
{
    auto infoCenter = std::make_shared<zt::InfoCenterViewController>("InfoCenterViewController");
    present(infoCenter);
    ASSERT_TRUE(driver.tap("Help"));
    driver.wait(1);
    auto navigation = std::dynamic_pointer_cast<plat::NavigationController>(infoCenter->presentedViewController());
    ASSERT_NE(navigation, nullptr);
    auto help = std::dynamic_pointer_cast<zt::InfoCenterHelpViewController>(navigation->topViewController());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shownPage(), "plovix-help");
    EXPECT_EQ(help->navigationItem()->title(), "Help");
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(infoCenter->presentedViewController(), nullptr);
    EXPECT_EQ(root->presentedViewController(), infoCenter) << "only the help pages closed";
}

TEST_F(ShareScreens, AHelpPageIsChosenByItsIdentifier)
{
    auto help = std::make_shared<zt::InfoCenterHelpViewController>("InfoCenterHelpViewController");
    help->setSubpage("plovix-remotecamera");
    present(std::make_shared<plat::NavigationController>(help));
    EXPECT_EQ(help->navigationItem()->title(), "Remote Camera");
    auto page = std::dynamic_pointer_cast<plat::TextView>(help->outlet("textViewPage"));
    ASSERT_NE(page, nullptr);
    EXPECT_NE(page->text().find("same Wi-Fi network"), std::string::npos);

    auto unknown = std::make_shared<zt::InfoCenterHelpViewController>("InfoCenterHelpViewController");
    unknown->setSubpage("plovix-nothing");
    unknown->view();
    EXPECT_EQ(unknown->shownPage(), "plovix-help");
}

TEST_F(ShareScreens, ThePhonesGalleryIsAListInANavigationControllerThatClosesItsDeck)
{
    auto side = std::make_shared<zt::GallerySideViewController>("GallerySideViewController");
    auto list = std::make_shared<zt::GaleryVideoTableViewController>("GaleryVideoTableViewController");
    auto deck = std::make_shared<plat::NavigationController>(list);
    list->setDeckController(deck);
    present(deck);
    EXPECT_NE(list->tableView(), nullptr);
    EXPECT_EQ(list->navigationItem()->title(), "Gallery");
    EXPECT_NE(side->view()->subviews().size(), 0u);
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(ShareScreens, TheTabletsSplitHoldsListAndPageSideBySide)
{
    plat::test::UIScope tablet(plat::UserInterfaceIdiom::Pad);
    auto list = std::make_shared<zt::GaleryVideoTableViewController>("GaleryVideoTableViewController");
    auto web = std::make_shared<zt::GalleryWebViewController>("GalleryWebViewController_iPad");
    list->setGalleryWebViewController(web);
    auto split = std::make_shared<zt::GallerySplitViewController>();
    split->setLeftController(list);
    split->setRightController(web);
    auto splitView = split->view();
    EXPECT_EQ(list->parentViewController(), split);
    EXPECT_EQ(web->parentViewController(), split);
    EXPECT_EQ(list->view()->superview(), splitView);
    EXPECT_EQ(web->view()->superview(), splitView);
    split->setRightController(nullptr);
    EXPECT_EQ(web->parentViewController(), nullptr);
    EXPECT_EQ(web->view()->superview(), nullptr);
}

TEST_F(ShareScreens, TheDuplicateTargetIsOfferedForAProjectWithAFolderAndAsksForACopy)
{
    auto services = zt::ShareServices().getAvailableShareServices();
    ASSERT_EQ(services.size(), 1u);
    EXPECT_EQ(services[0]->activityType(), "UIActivityTypeShareToDuplicate");
    EXPECT_EQ(services[0]->activityTitle(), "Duplicate");
    auto unsaved = std::make_shared<zt::ProjectModel>(std::nullopt);
    EXPECT_FALSE(services[0]->canPerformWithActivityItems({std::any(unsaved)}));
    auto saved = std::make_shared<zt::ProjectModel>(sandbox.documents() + "/.plovix-2015-06-01-12-00-00");
    std::vector<std::any> items {std::any(saved)};
    EXPECT_TRUE(services[0]->canPerformWithActivityItems(items));

    int requests = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        zt::DoDuplicateProjectNotification, nullptr, [&](const plat::Notification&) { ++requests; });
    std::optional<bool> completed;
    auto sheet = std::make_shared<plat::ActivityViewController>(items, services);
    sheet->setCompletionHandler([&](std::optional<std::string>, bool done) { completed = done; });
    present(sheet);
    sheet->chooseActivity(services[0]);
    driver.wait(1);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(completed, true);
}

TEST_F(ShareScreens, TheShareFormAndItsTargetsAreFreedWhenTheFormCloses)
{
    auto project = std::make_shared<zt::ProjectModel>(sandbox.documents() + "/.plovix-2015-06-01-12-00-00");
    const std::pair<const char*, std::function<void()>> closings[] = {
        {"its Cancel", [&] { ASSERT_TRUE(driver.tap("Cancel")); }},
        {"the screen under it", [&] { root->dismissViewControllerAnimated(/*animated=*/true, nullptr); }},
    };
    // The sheet with the app's targets, shown; what it offers is held only by what shows it.
    auto showSheet = [&] {
        auto services = zt::ShareServices([](std::shared_ptr<zt::MovieExportType>, zt::ShareHandOff) {
        }).getAvailableShareServices();
        present(std::make_shared<plat::ActivityViewController>(std::vector<std::any> {project}, services));
        return std::vector<std::weak_ptr<plat::Activity>>(services.begin(), services.end());
    };
    for (const auto& [closer, close] : closings) {
        const auto targets = showSheet();
        ASSERT_TRUE(driver.tap("File Sharing"));
        driver.wait(1);
        ASSERT_NE(driver.findView("Export as"), nullptr);
        close();
        driver.wait(1);
        EXPECT_EQ(
            std::count_if(targets.begin(), targets.end(), [](const auto& target) { return !target.expired(); }), 0)
            << closer;
    }
}
