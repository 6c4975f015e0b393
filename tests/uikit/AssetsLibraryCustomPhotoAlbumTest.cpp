#include "uikit/AssetsLibraryCustomPhotoAlbum.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/library/Asset.h"
#include "platform/library/AssetsLibrary.h"
#include "platform/library/PhotoLibrary.h"
#include "support/QuadrantPictures.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

class NamedAlbums : public ::testing::Test {
protected:
    // Saves a frame into the album and waits for the completion, then for
    // anything else that might still come.
    void save(const std::string& album, plat::ImageOrientation orientation = plat::ImageOrientation::Up)
    {
        size_t before = completions.size();
        zt::saveImage(library, *plat::test::makeQuadrantPicture(48, 32, orientation), album,
            [this](const std::optional<plat::Error>& error) { completions.push_back(error); });
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return completions.size() > before; }));
        settle();
    }
    // Lets every answer still on its way arrive: the library answers in the
    // order it was asked, so once a later question is answered they are in.
    void settle()
    {
        bool answered = false;
        auto probe = std::make_shared<plat::AssetsLibrary>();
        probe->assetForURL(
            *plat::URL::URLWithString("assets-library://asset/none/none.jpg"),
            [&](const std::shared_ptr<plat::Asset>&) { answered = true; },
            [&](const plat::Error&) { answered = true; });
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return answered; }));
    }
    std::vector<std::string> filesOf(const std::string& folder)
    {
        std::vector<std::string> names;
        auto assets = folders.assetsInAlbum(folder);
        if (assets.ok())
            for (const auto& asset : assets.value())
                names.push_back(asset.fileName);
        return names;
    }

    plat::test::TemporarySandbox sandbox;
    plat::PhotoLibrary folders = plat::PhotoLibrary::forCurrentSandbox();
    std::shared_ptr<plat::AssetsLibrary> library = std::make_shared<plat::AssetsLibrary>();
    std::vector<std::optional<plat::Error>> completions;
};

}  // namespace

TEST_F(NamedAlbums, TheFirstSaveMakesTheAlbumTheSecondFindsIt)
{
    save("Zantrope");
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_FALSE(completions[0]);
    EXPECT_EQ(filesOf("Camera Roll"), (std::vector<std::string> {"IMG_0001.JPG"}));
    EXPECT_EQ(filesOf("Zantrope"), (std::vector<std::string> {"IMG_0001.JPG"}));
    save("Zantrope", plat::ImageOrientation::Right);
    ASSERT_EQ(completions.size(), 2u);
    EXPECT_FALSE(completions[1]);
    EXPECT_EQ(folders.albums().value().size(), 2u) << "no second album";
    EXPECT_EQ(filesOf("Zantrope"), (std::vector<std::string> {"IMG_0001.JPG", "IMG_0002.JPG"}));
    auto filed = folders.assetInAlbum("Zantrope", "IMG_0002.JPG");
    ASSERT_TRUE(filed.ok());
    EXPECT_EQ(plat::Asset(filed.value()).orientation(), plat::ImageOrientation::Right) << "the orientation tag kept";
}

TEST_F(NamedAlbums, ANameDifferingOnlyInCaseIsAnotherAlbum)
{
    save("Zantrope");
    save("zantrope");
    ASSERT_EQ(completions.size(), 2u);
    EXPECT_EQ(folders.albums().value().size(), 3u);
    EXPECT_EQ(filesOf("Zantrope"), (std::vector<std::string> {"IMG_0001.JPG"}));
    EXPECT_EQ(filesOf("zantrope"), (std::vector<std::string> {"IMG_0002.JPG"}));
}

TEST_F(NamedAlbums, TwoAlbumsOfTheNameBothGetThePictureAndTheCompletionRunsOnce)
{
    ASSERT_TRUE(folders.addAlbum("Trip").ok());
    ASSERT_TRUE(folders.addAlbum("Trip 2").ok());
    ASSERT_TRUE(plat::writeFileAtomically(folders.root() + "/Trip 2/.name", std::string("Trip")).ok());
    save("Trip");
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_FALSE(completions[0]);
    EXPECT_EQ(filesOf("Trip"), (std::vector<std::string> {"IMG_0001.JPG"}));
    EXPECT_EQ(filesOf("Trip 2"), (std::vector<std::string> {"IMG_0001.JPG"}));
    EXPECT_EQ(folders.albums().value().size(), 3u);
}

TEST_F(NamedAlbums, RefusedAccessReportsThePlatformsErrorOnce)
{
    ASSERT_TRUE(folders.setAuthorizationStatus(plat::AuthorizationStatus::Denied).ok());
    save("Zantrope");
    ASSERT_EQ(completions.size(), 1u);
    ASSERT_TRUE(completions[0]);
    EXPECT_EQ(completions[0]->domain(), plat::kAssetsLibraryErrorDomain);
    EXPECT_EQ(completions[0]->code(), -3311);
}

TEST_F(NamedAlbums, TheCallerMayLetGoOfTheLibraryAtOnce)
{
    zt::saveImage(library, *plat::test::makeFlatImage(8, 8, {10, 20, 30, 255}), "Zantrope",
        [this](const std::optional<plat::Error>& error) { completions.push_back(error); });
    library.reset();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !completions.empty(); }));
    settle();
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_FALSE(completions[0]);
    EXPECT_EQ(filesOf("Zantrope").size(), 1u);
}

TEST_F(NamedAlbums, AnAssetThatIsGoneIsReportedNotLeftHanging)
{
    auto gone = *plat::URL::URLWithString("assets-library://asset/Camera%20Roll/IMG_0042.JPG");
    zt::addAssetURL(
        library, gone, "Zantrope", [this](const std::optional<plat::Error>& error) { completions.push_back(error); });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !completions.empty(); }));
    settle();
    ASSERT_EQ(completions.size(), 1u);
    ASSERT_TRUE(completions[0]);
    EXPECT_EQ(completions[0]->code(), plat::kAssetsLibraryDataUnavailableError);
}
