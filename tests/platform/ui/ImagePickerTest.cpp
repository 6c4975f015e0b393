#include "platform/ui/ImagePickerController.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"
#include "support/TemporarySandbox.h"

namespace {

class Receiver : public plat::ImagePickerControllerDelegate {
public:
    void imagePickerControllerDidFinishPickingMediaWithInfo(
        plat::ImagePickerController&, const plat::ImagePickerMediaInfo& info) override
    {
        picked.push_back(info);
    }
    bool imagePickerControllerDidCancel(plat::ImagePickerController&) override
    {
        ++cancels;
        return handlesCancel;
    }
    std::vector<plat::ImagePickerMediaInfo> picked;
    int cancels = 0;
    bool handlesCancel = true;
};

class Picking : public plat::test::RootScreenTest {
protected:
    std::shared_ptr<plat::ImagePickerController> present(plat::ImagePickerControllerSourceType source, bool editing)
    {
        auto picker = std::make_shared<plat::ImagePickerController>();
        picker->setSourceType(source);
        picker->setAllowsEditing(editing);
        picker->setDelegate(receiver);
        root->presentViewController(picker, false, nullptr);
        driver.wait(0);
        return picker;
    }

    void addPhotos(const std::string& album, int count, plat::test::Rgba colour, int width = 40, int height = 30)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(library.saveImage(*plat::test::makeFlatImage(width, height, colour), album).ok());
    }

    plat::PhotoLibrary library = plat::PhotoLibrary::forCurrentSandbox();
    std::shared_ptr<Receiver> receiver = std::make_shared<Receiver>();
};

}  // namespace

TEST_F(Picking, APhotoIsPickedFromAnAlbumOfTheLibrary)
{
    addPhotos("Camera Roll", 2, {200, 0, 0, 255});
    addPhotos("Trip", 1, {0, 0, 200, 255}, 64, 48);
    auto picker = present(plat::ImagePickerControllerSourceType::PhotoLibrary, false);
    EXPECT_NE(driver.findView("Camera Roll"), nullptr);
    ASSERT_TRUE(driver.tap("Trip"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("IMG_0001.JPG"));
    ASSERT_EQ(receiver->picked.size(), 1u);
    const auto& info = receiver->picked.front();
    EXPECT_EQ(info.mediaType, "public.image");
    ASSERT_NE(info.originalImage, nullptr);
    EXPECT_EQ(info.originalImage->size(), (plat::Size {64, 48}));
    EXPECT_EQ(info.editedImage, nullptr);
    ASSERT_TRUE(info.referenceURL);
    EXPECT_EQ(info.referenceURL->absoluteString(), "file://" + library.root() + "/Trip/IMG_0001.JPG");
    EXPECT_EQ(root->presentedViewController(), picker) << "the presenter dismisses it";
}

TEST_F(Picking, EditingChoosesTheSquareUnderTheFrame)
{
    auto picture = plat::test::makeImage(200, 100, [](int x, int) {
        return x < 100 ? plat::test::Rgba {255, 0, 0, 255} : plat::test::Rgba {0, 0, 255, 255};
    });
    ASSERT_TRUE(library.saveImage(*picture).ok());
    present(plat::ImagePickerControllerSourceType::SavedPhotosAlbum, true);
    ASSERT_TRUE(driver.tap("IMG_0001.JPG"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Choose"));
    ASSERT_EQ(receiver->picked.size(), 1u);
    const auto& centred = receiver->picked.front();
    ASSERT_NE(centred.editedImage, nullptr);
    EXPECT_EQ(centred.cropRect, plat::makeRect(50, 0, 100, 100)) << "the middle square at first";
    EXPECT_EQ(centred.editedImage->size(), (plat::Size {100, 100}));
    // Dragging the picture to the right brings its left (red) end under the frame.
    driver.drag({200, 150}, {500, 150}, 0.5);
    driver.wait(2);
    ASSERT_TRUE(driver.tap("Choose"));
    const auto& left = receiver->picked.back();
    EXPECT_EQ(left.cropRect, plat::makeRect(0, 0, 100, 100));
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*left.editedImage, 20, 50), {255, 0, 0, 255}), 12);
}

TEST_F(Picking, TheCameraTakesTheVirtualCamerasPicture)
{
    ASSERT_TRUE(plat::ImagePickerController::isSourceTypeAvailable(plat::ImagePickerControllerSourceType::Camera));
    present(plat::ImagePickerControllerSourceType::Camera, false);
    ASSERT_TRUE(driver.tap("Take Photo"));
    ASSERT_TRUE(driver.tap("Use Photo"));
    ASSERT_EQ(receiver->picked.size(), 1u);
    auto photo = receiver->picked.front().originalImage;
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->size(), (plat::Size {1920, 1080}));
    EXPECT_EQ(plat::test::pixelAt(*photo, 1900, 10), (plat::test::Rgba {0, 0, 192, 255})) << "the last bar is blue";
    EXPECT_FALSE(receiver->picked.front().referenceURL);
}

TEST_F(Picking, ADeviceWithoutACameraOffersOnlyTheLibrary)
{
    plat::Device device(plat::UserInterfaceIdiom::Phone);
    device.setHasCamera(false);
    plat::Device::setCurrentDevice(device);
    EXPECT_FALSE(plat::ImagePickerController::isSourceTypeAvailable(plat::ImagePickerControllerSourceType::Camera));
    EXPECT_TRUE(
        plat::ImagePickerController::availableMediaTypesForSourceType(plat::ImagePickerControllerSourceType::Camera)
            .empty());
    EXPECT_TRUE(
        plat::ImagePickerController::isSourceTypeAvailable(plat::ImagePickerControllerSourceType::PhotoLibrary));
}

TEST_F(Picking, CancelTellsTheDelegateOrDismissesThePicker)
{
    auto picker = present(plat::ImagePickerControllerSourceType::PhotoLibrary, false);
    ASSERT_TRUE(driver.tap("Cancel"));
    EXPECT_EQ(receiver->cancels, 1);
    EXPECT_EQ(root->presentedViewController(), picker);
    receiver->handlesCancel = false;
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    EXPECT_EQ(root->presentedViewController(), nullptr) << "unhandled, the picker dismissed itself";
}

TEST(PickingDeathTest, AnUnavailableSourceStops)
{
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::Device device(plat::UserInterfaceIdiom::Phone);
    device.setHasCamera(false);
    plat::Device::setCurrentDevice(device);
    auto picker = std::make_shared<plat::ImagePickerController>();
    EXPECT_DEATH(picker->setSourceType(plat::ImagePickerControllerSourceType::Camera), "not available");
}
