#include "capture/CaptureImportController.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "CaptureTestSupport.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/ProgressView.h"
#include "support/FailingWrites.h"
#include "support/QuadrantPictures.h"
#include "uikit/Hudy.h"

namespace {

using zt::test::PhotoImportScene;

struct Shape {
    int uprightWidth;
    int uprightHeight;
    int expectedWidth;
    int expectedHeight;
};

// Upright sizes and what they become under the 1920-pixel cap of a device
// without 4K.
const Shape kShapes[] = {
    {3024, 4032, 1440, 1920}, {4032, 3024, 1920, 1440}, {800, 600, 800, 600}, {2400, 1200, 1920, 960},
    {1000, 3000, 640, 1920}, {1920, 1080, 1920, 1080}, {2000, 2000, 1920, 1920}, {640, 480, 640, 480},
    {2560, 1440, 1920, 1080}, {1200, 1600, 1200, 1600}, {3000, 2000, 1920, 1280}, {300, 200, 300, 200},
    {2000, 3000, 1280, 1920}, {1600, 1200, 1600, 1200}, {4000, 1000, 1920, 480}, {2880, 1920, 1920, 1280},
    {1024, 768, 1024, 768}, {1080, 1920, 1080, 1920}, {2048, 1536, 1920, 1440},
    {1921, 1000, 1920, 1000},  // 999.5 pixels high, widened to whole ones
};

std::shared_ptr<plat::Image> readPicture(const std::string& path)
{
    return plat::Image::imageWithContentsOfFile(path);
}

// A real JPEG whose frame header claims a picture far beyond the bitmap limits.
std::string hugeDeclaredJPEG()
{
    auto small = plat::JPEGRepresentation(*plat::test::makeFlatImage(16, 16, {9, 9, 9, 255}), 0.8);
    std::string bytes(small->begin(), small->end());
    // Segment by segment from the start-of-image marker to the frame header.
    size_t at = 2;
    while (at + 9 < bytes.size() && static_cast<uint8_t>(bytes[at]) == 0xFF) {
        auto marker = static_cast<uint8_t>(bytes[at + 1]);
        if (marker == 0xC0 || marker == 0xC2) {
            // Length, precision, then height and width, big-endian.
            bytes[at + 5] = bytes[at + 7] = static_cast<char>(0xEA);
            bytes[at + 6] = bytes[at + 8] = 0x60;  // 60000 x 60000
            return bytes;
        }
        at += 2 + (static_cast<uint8_t>(bytes[at + 2]) << 8 | static_cast<uint8_t>(bytes[at + 3]));
    }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

}  // namespace

TEST_F(PhotoImportScene, TwentyPhotosBecomeUprightCappedFramesAtThePlayheadInOrder)
{
    std::vector<std::shared_ptr<plat::Asset>> picked;
    for (size_t i = 0; i < std::size(kShapes); ++i) {
        auto orientation = static_cast<plat::ImageOrientation>(i % 8);
        picked.push_back(
            addPhoto(*plat::test::makeQuadrantPicture(kShapes[i].uprightWidth, kShapes[i].uprightHeight, orientation)));
    }
    importer->importAssets(picked, root);
    ASSERT_TRUE(waitForFrames(20));
    EXPECT_TRUE(postedOnMainThread);

    auto ids = frameIDs();
    ASSERT_EQ(ids.size(), 31u);
    EXPECT_EQ(std::vector<std::string>(ids.begin(), ids.begin() + 5),
        (std::vector<std::string> {"f0", "f1", "f2", "f3", "f4"}));
    EXPECT_EQ(std::vector<std::string>(ids.begin() + 5, ids.begin() + 25), addedFrameIDs) << "in the order picked";
    EXPECT_EQ(ids[25], "f5");
    EXPECT_EQ(ids[30], zt::kCapturePlaceholderFrameID);
    for (size_t i = 0; i < std::size(kShapes); ++i) {
        const std::string& id = addedFrameIDs[i];
        auto full = readPicture(pathOf("frame-" + id + ".jpg"));
        ASSERT_NE(full, nullptr) << i;
        EXPECT_EQ(full->imageOrientation(), plat::ImageOrientation::Up) << i;
        EXPECT_EQ(full->size(), (plat::Size {double(kShapes[i].expectedWidth), double(kShapes[i].expectedHeight)}))
            << "photo " << i;
        EXPECT_LE(plat::test::distanceFromQuadrants(*full), 40) << "photo " << i << " is not upright";
        EXPECT_TRUE(plat::fileExists(pathOf("preview-" + id + ".jpg"))) << i;
        EXPECT_TRUE(plat::fileExists(pathOf("thumb-" + id + ".jpg"))) << i;
    }

    // What is on disk is what is in memory.
    zt::ProjectModel reopened(folder());
    std::vector<std::string> stored;
    for (const auto& frame : reopened.getFrameList())
        stored.push_back(frame.frameID());
    EXPECT_EQ(stored, ids);
    EXPECT_EQ(reopened.getMetaData()->getBool("RecordNeedsRendering"), true);
}

TEST_F(PhotoImportScene, ThreePicturesShowNoProgressFourDo)
{
    std::vector<std::shared_ptr<plat::Asset>> three;
    for (int i = 0; i < 3; ++i)
        three.push_back(addPhoto(*plat::test::makeFlatImage(64, 48, {200, 10, 10, 255})));
    importer->importAssets(three, root);
    ASSERT_TRUE(waitForFrames(3));
    EXPECT_EQ(driver.findView("Importing..."), nullptr);

    std::vector<float> progressAtEachFrame;
    auto watch = plat::NotificationCenter::defaultCenter().addObserver(
        zt::CaptureImportController::kAddFrameNotification, importer.get(),
        [&](const plat::Notification&) { progressAtEachFrame.push_back(importer->hud()->progress()); });
    auto four = three;
    four.push_back(addPhoto(*plat::test::makeFlatImage(64, 48, {10, 10, 200, 255})));
    importer->importAssets(four, root);
    ASSERT_NE(importer->hud(), nullptr);
    EXPECT_EQ(importer->hud()->caption(), "Importing...");
    EXPECT_EQ(importer->hud()->view()->superview(), root->view());
    ASSERT_TRUE(waitForFrames(7));
    // Each frame is announced before its own share is shown.
    EXPECT_EQ(progressAtEachFrame, (std::vector<float> {0.0f, 0.25f, 0.5f, 0.75f}));
    driver.wait(1);
    EXPECT_EQ(driver.findView("Importing..."), nullptr) << "dismissed when all are in";
    EXPECT_EQ(project->getFrameList().count(), 18);
}

TEST_F(PhotoImportScene, PicturesThatCannotBeReadAreSkippedAndCounted)
{
    auto good = plat::JPEGRepresentation(*plat::test::makeFlatImage(120, 90, {200, 10, 10, 255}), 0.9);
    std::string whole(good->begin(), good->end());
    std::vector<std::shared_ptr<plat::Asset>> picked {
        addPhoto(*plat::test::makeFlatImage(64, 48, {10, 200, 10, 255})),
        addFile("truncated.jpg", whole.substr(0, whole.size() / 2)),
        addFile("empty.jpg", ""),
        addFile("notes.jpg", "these are not the pixels you are looking for"),
        addFile("huge.jpg", hugeDeclaredJPEG()),
        addPhoto(*plat::test::makeFlatImage(64, 48, {10, 10, 200, 255})),
    };
    // A folder where a picture should be: it cannot be read as a file.
    ASSERT_TRUE(
        plat::createDirectory(library.root() + "/Camera Roll/folder.jpg", plat::IntermediateDirectories::No).ok());
    picked.push_back(std::make_shared<plat::Asset>(plat::PhotoAsset {library.root() + "/Camera Roll/folder.jpg",
        "folder.jpg", "Camera Roll", plat::Date::now(), plat::AssetType::Photo}));
    if (::geteuid() != 0) {
        picked.push_back(addFile("locked.jpg", whole));
        ASSERT_EQ(::chmod((library.root() + "/Camera Roll/locked.jpg").c_str(), 0), 0);
    }
    size_t bad = picked.size() - 2;
    importer->importAssets(picked, root);
    std::string message
        = std::to_string(bad) + " of " + std::to_string(picked.size()) + " photos could not be imported.";
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return driver.findView(message) != nullptr; }));
    ASSERT_EQ(addedFrameIDs.size(), 2u);
    auto ids = frameIDs();
    EXPECT_EQ(ids[5], addedFrameIDs[0]);
    EXPECT_EQ(ids[6], addedFrameIDs[1]);
    EXPECT_EQ(ids[7], "f5");
    // Nothing of the skipped pictures is left in the project.
    auto files = plat::contentsOfDirectory(folder());
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(files.value().size(), 2u + 3 * 2) << "the two lists and three files per imported frame";
    ASSERT_TRUE(driver.tap("OK"));
}

TEST_F(PhotoImportScene, AFrameWhoseFilesFailToStoreIsNotInsertedAndLeavesNothing)
{
    // The second frame's full picture fails as it is put in place.
    std::mutex lock;
    std::vector<std::string> fullPictures;  // guarded by lock
    plat::detail::setWriteFaultInjector([&](const std::string& path) {
        if (path.find("/frame-") == std::string::npos)
            return plat::detail::WriteFailurePoint::None;
        std::lock_guard guard(lock);
        if (std::find(fullPictures.begin(), fullPictures.end(), path) == fullPictures.end())
            fullPictures.push_back(path);
        return fullPictures.size() == 2 && fullPictures.back() == path ? plat::detail::WriteFailurePoint::BeforeRename
                                                                       : plat::detail::WriteFailurePoint::None;
    });
    std::vector<std::shared_ptr<plat::Asset>> picked;
    for (auto colour : {plat::test::Rgba {200, 0, 0, 255}, {0, 200, 0, 255}, {0, 0, 200, 255}})
        picked.push_back(addPhoto(*plat::test::makeFlatImage(64, 48, colour)));
    importer->importAssets(picked, root);
    bool alerted = plat::test::runMainLoopUntil(
        [&] { return driver.findView("1 of 3 photos could not be imported.\nInput/output error.") != nullptr; });
    plat::detail::setWriteFaultInjector({});
    ASSERT_TRUE(alerted);
    ASSERT_EQ(addedFrameIDs.size(), 2u);
    EXPECT_EQ(project->getFrameList().count(), 13);
    auto files = plat::contentsOfDirectory(folder());
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(files.value().size(), 2u + 3 * 2) << "the failed frame's thumbnail and preview went too";
    // The pictures that made it are the first and the third.
    auto first = readPicture(pathOf("frame-" + addedFrameIDs[0] + ".jpg"));
    auto second = readPicture(pathOf("frame-" + addedFrameIDs[1] + ".jpg"));
    ASSERT_TRUE(first && second);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*first, 30, 20), {200, 0, 0, 255}), 12);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*second, 30, 20), {0, 0, 200, 255}), 12);
}

TEST_F(PhotoImportScene, RefusedAccessShowsThePickersAlertWithTheSettingsLink)
{
    ASSERT_TRUE(library.setAuthorizationStatus(plat::AuthorizationStatus::Denied).ok());
    importer->showImagePickerWithController(root);
    driver.wait(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil(
        [&] { return driver.findView("The user has denied the application access to their media.") != nullptr; }));
    driver.wait(1);
    EXPECT_NE(driver.findView("Photo Library"), nullptr);
    EXPECT_NE(driver.findView("Dismiss"), nullptr);
    ASSERT_TRUE(driver.tap("Settings"));
    driver.wait(1);
    const auto& opened = plat::Application::sharedApplication().openedURLs();
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened.back(), "app-settings:");
    EXPECT_EQ(project->getFrameList().count(), 11);
}

TEST_F(PhotoImportScene, WithoutASettingsLinkTheAlertSaysWhereToAllowAccess)
{
    plat::Device older(plat::UserInterfaceIdiom::Phone, "7.1");
    plat::Device::setCurrentDevice(older);
    ASSERT_TRUE(library.setAuthorizationStatus(plat::AuthorizationStatus::Restricted).ok());
    importer->showImagePickerWithController(root);
    driver.wait(1);
    const std::string message = "The app needs access to your camera roll in order save data. Go to system settings "
                                "-> privacy -> photos and enable access for this app.";
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return driver.findView(message) != nullptr; }));
    driver.wait(1);
    EXPECT_EQ(driver.findView("Settings"), nullptr);
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    EXPECT_EQ(driver.findView(message), nullptr);
}

TEST_F(PhotoImportScene, AnEmptyPhotoLibraryIsSaidToBeEmpty)
{
    importer->showImagePickerWithController(root);
    driver.wait(1);
    const std::string message = "There are no photos in the photo library.";
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return driver.findView(message) != nullptr; }));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    EXPECT_EQ(driver.findView(message), nullptr);
    EXPECT_EQ(project->getFrameList().count(), 11);
}

TEST_F(PhotoImportScene, PhotosPickedOnTheScreensComeInTheOrderTheyWereMarked)
{
    for (auto colour : {plat::test::Rgba {200, 0, 0, 255}, {0, 200, 0, 255}, {0, 0, 200, 255}})
        addPhoto(*plat::test::makeFlatImage(64, 48, colour));
    importer->showImagePickerWithController(root);
    driver.wait(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return driver.findView("Camera Roll") != nullptr; }));
    ASSERT_TRUE(driver.tap("Camera Roll"));
    driver.wait(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return driver.findView("IMG_0003.JPG") != nullptr; }));
    ASSERT_TRUE(driver.tap("IMG_0003.JPG"));
    ASSERT_TRUE(driver.tap("IMG_0001.JPG"));
    ASSERT_TRUE(driver.tap("Done"));
    ASSERT_TRUE(waitForFrames(2));
    driver.wait(1);
    EXPECT_EQ(root->presentedViewController(), nullptr) << "the screen closed the picker";
    auto first = readPicture(pathOf("frame-" + addedFrameIDs[0] + ".jpg"));
    auto second = readPicture(pathOf("frame-" + addedFrameIDs[1] + ".jpg"));
    ASSERT_TRUE(first && second);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*first, 30, 20), {0, 0, 200, 255}), 12);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*second, 30, 20), {200, 0, 0, 255}), 12);
}

TEST_F(PhotoImportScene, CancellingThePickerImportsNothing)
{
    addPhoto(*plat::test::makeFlatImage(64, 48, {200, 0, 0, 255}));
    importer->showImagePickerWithController(root);
    driver.wait(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return driver.findView("Camera Roll") != nullptr; }));
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    plat::RunLoop::main().drain();
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(project->getFrameList().count(), 11);
    EXPECT_TRUE(addedFrameIDs.empty());
}

TEST_F(PhotoImportScene, APictureIsTakenOutAgainWhenTheProjectCannotBeSavedWithIt)
{
    std::vector<std::shared_ptr<plat::Asset>> picked;
    for (auto colour : {plat::test::Rgba {200, 0, 0, 255}, {0, 200, 0, 255}})
        picked.push_back(addPhoto(*plat::test::makeFlatImage(64, 48, colour)));
    auto before = frameIDs();
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::BeforeRename);
        importer->importAssets(picked, root);
        ASSERT_TRUE(plat::test::runMainLoopUntil(
            [&] { return driver.findView("2 of 2 photos could not be imported.\nInput/output error.") != nullptr; }));
    }
    EXPECT_TRUE(addedFrameIDs.empty()) << "no frame was announced";
    EXPECT_EQ(frameIDs(), before);
    auto files = plat::contentsOfDirectory(folder());
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(files.value().size(), 2u) << "only the lists: no frame files are left";
}
