#include "capture/APAlbumPickerController.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "capture/APAssetTablePicker.h"
#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/library/Asset.h"
#include "platform/library/AssetsGroup.h"
#include "platform/library/AssetsLibrary.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

using Names = std::vector<std::string>;

// A colour per photo, so that tiles tell photos apart in pictures.
plat::test::Rgba colourOf(int number)
{
    return {(number * 83) % 200 + 40, (number * 47) % 200 + 40, (number * 29) % 200 + 40, 255};
}

class AssetPicker : public plat::test::RootScreenTest {
protected:
    // Photos "IMG_0001.JPG" and up in the album, oldest first.
    void addPhotos(const std::string& album, int count)
    {
        for (int i = 0; i < count; ++i) {
            int number = ++photosMade;
            ASSERT_TRUE(library.saveImage(*plat::test::makeFlatImage(80, 60, colourOf(number)), album).ok());
        }
    }

    // The picker in a navigation controller over the root screen, its albums read.
    void present(bool multiSelection)
    {
        picker->setMultiSelection(multiSelection);
        picker->setDidFinishPickMedia([this](const std::vector<std::shared_ptr<plat::Asset>>& assets) {
            Names names;
            for (const auto& asset : assets)
                names.push_back(asset->photoAsset().fileName);
            picks.push_back(names);
        });
        picker->setDidCancelPickMedia([this] { ++cancels; });
        navigation = std::make_shared<plat::NavigationController>(picker);
        root->presentViewController(navigation, /*animated=*/true, nullptr);
        driver.wait(1);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !picker->assetGroups().empty(); }));
        driver.wait(0);
    }

    // Opens the album and waits for every tile's thumbnail.
    std::shared_ptr<zt::APAssetTablePicker> openAlbum(const std::string& name)
    {
        EXPECT_TRUE(driver.tap(name));
        driver.wait(1);
        auto grid = std::dynamic_pointer_cast<zt::APAssetTablePicker>(navigation->topViewController());
        EXPECT_NE(grid, nullptr);
        if (!grid)
            return nullptr;
        EXPECT_TRUE(waitForThumbnails(*grid));
        return grid;
    }

    static bool waitForThumbnails(const zt::APAssetTablePicker& grid)
    {
        return plat::test::runMainLoopUntil([&] {
            for (const auto& tile : grid.assets())
                if (!tile->imageView()->image())
                    return false;
            return true;
        });
    }

    static Names namesOf(const std::vector<std::shared_ptr<zt::APAsset>>& tiles)
    {
        Names names;
        for (const auto& tile : tiles)
            names.push_back(tile->asset() ? tile->asset()->photoAsset().fileName : "-");
        return names;
    }
    static Names namesOf(const std::vector<std::shared_ptr<plat::Asset>>& assets)
    {
        Names names;
        for (const auto& asset : assets)
            names.push_back(asset->photoAsset().fileName);
        return names;
    }

    plat::test::PictureComparison compareWith(const std::string& name)
    {
        driver.wait(1);
        auto picture = driver.screenshot();
        EXPECT_TRUE(picture);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/capture/" + name), output.path());
    }
    void expectPicture(const std::string& name)
    {
        auto result = compareWith(name);
        EXPECT_TRUE(result.matches) << result.explanation;
    }
    // A screen that lost a part no longer matches its reference.
    void expectNoMatch(const std::string& name, const std::string& missing)
    {
        if (std::getenv("ZT_UPDATE_REFERENCE_PICTURES"))
            return;  // references are being made
        auto result = compareWith(name);
        EXPECT_FALSE(result.matches) << "without " << missing;
    }

    plat::PhotoLibrary library = plat::PhotoLibrary::forCurrentSandbox();
    std::shared_ptr<zt::APAlbumPickerController> picker = std::make_shared<zt::APAlbumPickerController>();
    std::shared_ptr<plat::NavigationController> navigation;
    std::vector<Names> picks;
    int cancels = 0;
    int photosMade = 0;
    plat::test::TemporaryFolder output;
};

}  // namespace

TEST_F(AssetPicker, AlbumsComeSavedPhotosFirstWithTheirPhotoCountsAndPosters)
{
    addPhotos("Birthday", 1);
    addPhotos("Camera Roll", 3);
    ASSERT_TRUE(plat::writeFileAtomically(library.root() + "/Camera Roll/clip.mov", std::string("movie")).ok());
    present(/*multiSelection=*/true);
    EXPECT_EQ(picker->title(), "Albums");
    ASSERT_EQ(picker->assetGroups().size(), 2u);
    auto table = picker->tableView();
    auto first = table->cellForRowAtIndexPath(plat::IndexPath::indexPathForRow(0, 0));
    auto second = table->cellForRowAtIndexPath(plat::IndexPath::indexPathForRow(1, 0));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->textLabel()->text(), "Camera Roll");
    EXPECT_EQ(first->detailTextLabel()->text(), "3 Photos") << "the movie is not counted";
    EXPECT_EQ(second->textLabel()->text(), "Birthday");
    EXPECT_EQ(second->detailTextLabel()->text(), "1 Photos");
    ASSERT_NE(first->imageView()->image(), nullptr);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*first->imageView()->image(), 4, 4), colourOf(4)), 10)
        << "the newest photo is the poster";
    EXPECT_EQ(table->rectForRowAtIndexPath(plat::IndexPath::indexPathForRow(1, 0)).height(), 57);
    EXPECT_EQ(navigation->isToolbarHidden(), true);
    expectPicture("picker_albums.png");
    picker->navigationItem()->setLeftBarButtonItem(nullptr);
    expectNoMatch("picker_albums.png", "the Cancel button");
}

TEST_F(AssetPicker, NinePhotosMakeFiveRowsWithTheNewestAloneAtTheLeft)
{
    addPhotos("Camera Roll", 9);
    ASSERT_TRUE(plat::writeFileAtomically(library.root() + "/Camera Roll/clip.mov", std::string("movie")).ok());
    present(/*multiSelection=*/true);
    auto grid = openAlbum("Camera Roll");
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->title(), "Select Photos");
    ASSERT_EQ(grid->assets().size(), 9u) << "photos only";
    auto table = grid->tableView();
    ASSERT_EQ(table->numberOfRowsInSection(0), 5);
    auto row = [&](int64_t r) { return namesOf(grid->assetsForIndexPath(plat::IndexPath::indexPathForRow(r, 0))); };
    EXPECT_EQ(row(0), Names {});
    EXPECT_EQ(row(1), (Names {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG", "IMG_0004.JPG"}));
    EXPECT_EQ(row(2), (Names {"IMG_0005.JPG", "IMG_0006.JPG", "IMG_0007.JPG", "IMG_0008.JPG"}));
    EXPECT_EQ(row(3), (Names {"IMG_0009.JPG"}));
    EXPECT_EQ(row(4), Names {});
    EXPECT_EQ(table->rectForRowAtIndexPath(plat::IndexPath::indexPathForRow(0, 0)).height(), 2);
    EXPECT_EQ(table->rectForRowAtIndexPath(plat::IndexPath::indexPathForRow(1, 0)).height(), 79);
    EXPECT_EQ(table->rectForRowAtIndexPath(plat::IndexPath::indexPathForRow(4, 0)).height(), 50);
    auto count = table->cellForRowAtIndexPath(plat::IndexPath::indexPathForRow(4, 0));
    ASSERT_TRUE(count);
    EXPECT_EQ(count->textLabel()->text(), "9 Photos");
    // The last tile sits at the left of its row.
    auto newest = grid->assets()[0];
    EXPECT_EQ(newest->frame().minX(), 4);
    EXPECT_EQ(newest->frame().minY(), 2);
}

TEST_F(AssetPicker, MarkedPhotosComeInTheOrderTheyWereMarkedAndInverseKeepsTileOrder)
{
    addPhotos("Camera Roll", 9);
    present(/*multiSelection=*/true);
    auto grid = openAlbum("Camera Roll");
    ASSERT_TRUE(grid);
    // The grid shows its end: the oldest row lies under the navigation bar.
    ASSERT_TRUE(driver.tap("IMG_0009.JPG"));
    EXPECT_EQ(grid->title(), "1 Photo");
    ASSERT_TRUE(driver.tap("IMG_0005.JPG"));
    EXPECT_EQ(grid->title(), "2 Photos");
    EXPECT_EQ(namesOf(grid->selectedAssetsImages()), (Names {"IMG_0009.JPG", "IMG_0005.JPG"}));
    expectPicture("picker_grid_marked.png");
    grid->assets()[4]->setSelected(false);
    expectNoMatch("picker_grid_marked.png", "one selection mark");
    grid->assets()[4]->setSelected(true);

    ASSERT_TRUE(driver.tap("Inverse Selection"));
    EXPECT_EQ(grid->totalSelectedAssets(), 7);
    EXPECT_EQ(grid->title(), "7 Photos");
    EXPECT_EQ(namesOf(grid->selectedAssetsImages()),
        (Names {"IMG_0008.JPG", "IMG_0007.JPG", "IMG_0006.JPG", "IMG_0004.JPG", "IMG_0003.JPG", "IMG_0002.JPG",
            "IMG_0001.JPG"}));
    ASSERT_TRUE(driver.tap("Done"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !picks.empty(); }));
    EXPECT_EQ(picks.front().size(), 7u);
    EXPECT_EQ(root->presentedViewController(), navigation) << "the caller closes the picker";
}

TEST_F(AssetPicker, SelectAllHandsOverEveryPhotoAndDeselectAllNone)
{
    addPhotos("Camera Roll", 6);
    present(/*multiSelection=*/true);
    auto grid = openAlbum("Camera Roll");
    ASSERT_TRUE(grid);
    ASSERT_TRUE(driver.tap("+ Select All"));
    EXPECT_EQ(grid->title(), "6 Photos");
    ASSERT_TRUE(driver.tap("Done"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return picks.size() == 1; }));
    EXPECT_EQ(picks[0],
        (Names {"IMG_0006.JPG", "IMG_0005.JPG", "IMG_0004.JPG", "IMG_0003.JPG", "IMG_0002.JPG", "IMG_0001.JPG"}));
    ASSERT_TRUE(driver.tap("- Deselect All"));
    EXPECT_EQ(grid->title(), "Select Photos");
    ASSERT_TRUE(driver.tap("Done"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return picks.size() == 2; }));
    EXPECT_EQ(picks[1], Names {}) << "nothing selected hands over an empty array";
}

TEST_F(AssetPicker, InSingleSelectionATapPicksAtOnce)
{
    addPhotos("Camera Roll", 3);
    present(/*multiSelection=*/false);
    auto grid = openAlbum("Camera Roll");
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->navigationItem()->rightBarButtonItem(), nullptr) << "no Done";
    EXPECT_TRUE(navigation->isToolbarHidden());
    ASSERT_TRUE(driver.tap("IMG_0002.JPG"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !picks.empty(); }));
    EXPECT_EQ(picks.front(), Names {"IMG_0002.JPG"});
}

TEST_F(AssetPicker, AnAlbumThatGrewSinceItWasCountedGetsNoTileForTheNewPhoto)
{
    addPhotos("Camera Roll", 5);
    auto assets = std::make_shared<plat::AssetsLibrary>();
    std::shared_ptr<plat::AssetsGroup> roll;
    assets->enumerateGroupsWithTypes(
        plat::AssetsGroupSavedPhotos,
        [&](const std::shared_ptr<plat::AssetsGroup>& group, bool&) {
            if (group)
                roll = group;
        },
        nullptr);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return roll != nullptr; }));
    roll->setAssetsFilter(plat::AssetsFilter::AllPhotos);
    addPhotos("Camera Roll", 2);

    auto grid = std::make_shared<zt::APAssetTablePicker>();
    grid->setMultiSelection(true);
    grid->setAssetsGroup(roll);
    std::vector<std::shared_ptr<plat::Asset>> handed;
    grid->setDidFinishSelectingAssets(
        [&](const std::vector<std::shared_ptr<plat::Asset>>& chosen) { handed = chosen; });
    navigation = std::make_shared<plat::NavigationController>(grid);
    root->presentViewController(navigation, /*animated=*/false, nullptr);
    ASSERT_TRUE(waitForThumbnails(*grid));
    ASSERT_EQ(grid->assets().size(), 5u);
    EXPECT_EQ(namesOf(grid->assets()),
        (Names {"IMG_0005.JPG", "IMG_0004.JPG", "IMG_0003.JPG", "IMG_0002.JPG", "IMG_0001.JPG"}));
    grid->actionSelectAll();
    grid->doneAction();
    EXPECT_EQ(handed.size(), 5u);
}

TEST_F(AssetPicker, CancelTellsTheCallerAndCloses)
{
    addPhotos("Camera Roll", 1);
    present(/*multiSelection=*/true);
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(picks.empty());
}
