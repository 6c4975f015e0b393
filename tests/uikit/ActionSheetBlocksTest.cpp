#include "uikit/ActionSheetBlocks.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImagePickerController.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/TabletToolbarScene.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/QuadrantPictures.h"
#include "support/RootScreenTest.h"
#include "support/TemporarySandbox.h"

namespace {

using Log = std::vector<std::string>;

class BlockSheets : public plat::test::RootScreenTest {
protected:
    zt::ActionSheetDismissBlock noteDismiss()
    {
        return [this](int64_t index) { log.push_back("dismiss " + std::to_string(index)); };
    }
    zt::ActionSheetCancelBlock noteCancel()
    {
        return [this] { log.push_back("cancel"); };
    }

    Log log;
};

}  // namespace

TEST_F(BlockSheets, ADestructiveButtonComesFirstAndCancelLast)
{
    auto sheet = zt::actionSheetWithTitle(
        "", "not shown", std::string("Delete"), {"Copy", "Share"}, root->view(), noteDismiss(), noteCancel());
    EXPECT_EQ(sheet->numberOfButtons(), 4);
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->buttonTitleAtIndex(1), "Copy");
    EXPECT_EQ(sheet->cancelButtonIndex(), 3);
    EXPECT_EQ(sheet->actionSheetStyle(), plat::ActionSheetStyle::BlackOpaque);
    EXPECT_EQ(driver.findView("not shown"), nullptr);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Share"));
    driver.wait(1);
    EXPECT_EQ(log, (Log {"dismiss 2"}));
}

TEST_F(BlockSheets, WithoutADestructiveButtonTheTitlesStartAtZero)
{
    auto sheet = zt::actionSheetWithTitle("Export", "", {"Movie", "GIF"}, root->view(), noteDismiss(), noteCancel());
    EXPECT_EQ(sheet->cancelButtonIndex(), 2);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Movie"));
    driver.wait(1);
    EXPECT_EQ(log, (Log {"dismiss 0"}));
}

TEST_F(BlockSheets, CancellingRunsTheCancelBlockAndNothingElse)
{
    zt::actionSheetWithTitle("", "", std::string("Delete"), {}, root->view(), noteDismiss(), noteCancel());
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    EXPECT_EQ(log, (Log {"cancel"}));
}

TEST_F(BlockSheets, ASecondSheetReplacesTheBlocksOfTheFirst)
{
    zt::actionSheetWithTitle(
        "", "", {"A"}, root->view(), [this](int64_t) { log.push_back("first"); }, noteCancel());
    zt::actionSheetWithTitle(
        "", "", {"B"}, root->view(), [this](int64_t) { log.push_back("second"); }, noteCancel());
    driver.wait(1);
    ASSERT_TRUE(driver.tap("B"));
    driver.wait(1);
    EXPECT_EQ(log, (Log {"second"}));
}

TEST_F(BlockSheets, OnATabletASheetFromABarItemShowsInAPopover)
{
    plat::test::TabletToolbarScene tablet(plat::BarButtonSystemItem::Trash);
    const auto& trash = tablet.item();
    plat::test::UIDriver here;
    here.wait(0);
    zt::actionSheetWithTitle("", "", std::string("Delete"), {}, trash, noteDismiss(), noteCancel());
    here.wait(1);
    EXPECT_NE(here.findView("popover"), nullptr);
    ASSERT_TRUE(here.tap("Delete"));
    here.wait(1);
    EXPECT_EQ(log, (Log {"dismiss 0"}));
}

TEST_F(BlockSheets, WithoutACameraOnlyThePhotoLibraryIsOffered)
{
    plat::Device noCamera(plat::UserInterfaceIdiom::Phone);
    noCamera.setHasCamera(false);
    plat::Device::setCurrentDevice(noCamera);
    auto sheet = zt::photoPickerWithTitle(
        "Background", root->view(), root, [this](std::shared_ptr<plat::Image>) { log.push_back("picked"); },
        noteCancel());
    EXPECT_EQ(sheet->tag(), zt::kPhotoSourceSheetTag);
    EXPECT_EQ(sheet->numberOfButtons(), 2);
    EXPECT_EQ(sheet->buttonTitleAtIndex(0), "Photo library");
    EXPECT_EQ(sheet->cancelButtonIndex(), 1);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Photo library"));
    driver.wait(1);
    auto picker = std::dynamic_pointer_cast<plat::ImagePickerController>(root->presentedViewController());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->sourceType(), plat::ImagePickerControllerSourceType::PhotoLibrary);
    EXPECT_TRUE(picker->allowsEditing());
    EXPECT_TRUE(log.empty());
}

TEST_F(BlockSheets, APickedPhotoGoesToItsBlockAndThePickerCloses)
{
    auto library = plat::PhotoLibrary::forCurrentSandbox();
    ASSERT_TRUE(library.saveImage(*plat::test::makeFlatImage(40, 30, {0, 200, 0, 255}), "Camera Roll").ok());
    std::shared_ptr<plat::Image> picked;
    zt::photoPickerWithTitle(
        "", root->view(), root, [&](std::shared_ptr<plat::Image> image) { picked = std::move(image); }, noteCancel());
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Camera"));
    driver.wait(1);
    auto picker = std::dynamic_pointer_cast<plat::ImagePickerController>(root->presentedViewController());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->sourceType(), plat::ImagePickerControllerSourceType::Camera);
    picker->finishPicking(plat::test::makeFlatImage(40, 30, {255, 0, 0, 255}),
        plat::test::makeFlatImage(30, 30, {0, 0, 255, 255}), plat::makeRect(5, 0, 30, 30), std::nullopt);
    driver.wait(1);
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->size(), (plat::Size {30, 30})) << "the edited picture";
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(log.empty());
}

TEST_F(BlockSheets, CancellingThePickerClosesItAndRunsTheCancelBlock)
{
    zt::photoPickerWithTitle(
        "", root->view(), root, [this](std::shared_ptr<plat::Image>) { log.push_back("picked"); }, noteCancel());
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Photo library"));
    driver.wait(1);
    auto picker = std::dynamic_pointer_cast<plat::ImagePickerController>(root->presentedViewController());
    ASSERT_NE(picker, nullptr);
    picker->cancelPicking();
    driver.wait(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(log, (Log {"cancel"}));
}

TEST_F(BlockSheets, APhotoFromTheLibraryArrivesUprightAsTheChosenSquare)
{
    auto library = plat::PhotoLibrary::forCurrentSandbox();
    // Stored sideways, as a portrait camera photo is; upright it is 120 x 80.
    ASSERT_TRUE(library.saveImage(*plat::test::makeQuadrantPicture(120, 80, plat::ImageOrientation::Right)).ok());
    std::shared_ptr<plat::Image> picked;
    zt::photoPickerWithTitle(
        "", root->view(), root, [&](std::shared_ptr<plat::Image> image) { picked = std::move(image); }, noteCancel());
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Photo library"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Camera Roll"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("IMG_0001.JPG"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Choose"));
    driver.wait(1);
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->size(), (plat::Size {80, 80})) << "the middle square";
    EXPECT_EQ(picked->imageOrientation(), plat::ImageOrientation::Up);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*picked, 10, 10), plat::test::kQuadrantTopLeft), 24);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*picked, 70, 10), plat::test::kQuadrantTopRight), 24);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*picked, 10, 70), plat::test::kQuadrantBottomLeft), 24);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(log.empty());
}

TEST_F(BlockSheets, ARefusedLibraryShowsWhyAndCancelRunsTheCancelBlock)
{
    auto library = plat::PhotoLibrary::forCurrentSandbox();
    ASSERT_TRUE(library.saveImage(*plat::test::makeFlatImage(40, 30, {0, 200, 0, 255})).ok());
    ASSERT_TRUE(library.setAuthorizationStatus(plat::AuthorizationStatus::Denied).ok());
    zt::photoPickerWithTitle(
        "", root->view(), root, [this](std::shared_ptr<plat::Image>) { log.push_back("picked"); }, noteCancel());
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Photo library"));
    driver.wait(1);
    EXPECT_NE(driver.findView("This app does not have access to your photos or videos."), nullptr);
    EXPECT_EQ(driver.findView("Camera Roll"), nullptr);
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(log, (Log {"cancel"}));
}
