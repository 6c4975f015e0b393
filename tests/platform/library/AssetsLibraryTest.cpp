#include "platform/library/AssetsLibrary.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/Asset.h"
#include "platform/library/AssetsGroup.h"
#include "support/QuadrantPictures.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

class AssetsLibraryStandIn : public ::testing::Test {
protected:
    void addPhoto(const std::string& album, plat::test::Rgba colour, int secondsAgo)
    {
        auto saved = folders.saveImage(*plat::test::makeFlatImage(40, 30, colour), album);
        ASSERT_TRUE(saved.ok());
        std::filesystem::last_write_time(
            saved.value().path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
    }

    // The groups of one enumeration, in the order they came, once it ended.
    std::optional<std::vector<std::shared_ptr<plat::AssetsGroup>>> enumerate(uint32_t types)
    {
        std::vector<std::shared_ptr<plat::AssetsGroup>> groups;
        bool ended = false;
        library->enumerateGroupsWithTypes(
            types,
            [&](const std::shared_ptr<plat::AssetsGroup>& group, bool&) {
                if (group)
                    groups.push_back(group);
                else
                    ended = true;
            },
            [&](const plat::Error& error) { failure = error; });
        if (!plat::test::runMainLoopUntil([&] { return ended || failure; }))
            return std::nullopt;
        return groups;
    }

    plat::test::TemporarySandbox sandbox;
    plat::PhotoLibrary folders = plat::PhotoLibrary::forCurrentSandbox();
    std::shared_ptr<plat::AssetsLibrary> library = std::make_shared<plat::AssetsLibrary>();
    std::optional<plat::Error> failure;
};

}  // namespace

TEST_F(AssetsLibraryStandIn, GroupsComeByTypeWithTheirPosterAndCount)
{
    addPhoto("Camera Roll", {200, 0, 0, 255}, 300);
    addPhoto("Camera Roll", {0, 200, 0, 255}, 10);
    addPhoto("Birthday", {0, 0, 200, 255}, 10);
    ASSERT_TRUE(plat::writeFileAtomically(folders.root() + "/Camera Roll/clip.mov", std::string("movie")).ok());

    auto all = enumerate(plat::AssetsGroupAll);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 2u);
    const auto& roll = all->front();
    EXPECT_EQ(roll->name(), "Camera Roll");
    EXPECT_EQ(roll->type(), plat::AssetsGroupSavedPhotos);
    EXPECT_FALSE(roll->isEditable());
    EXPECT_EQ(roll->numberOfAssets(), 3);
    roll->setAssetsFilter(plat::AssetsFilter::AllPhotos);
    EXPECT_EQ(roll->numberOfAssets(), 2);
    auto poster = roll->posterImage();
    ASSERT_NE(poster, nullptr);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*poster, 5, 5), {0, 200, 0, 255}), 10)
        << "the newest photo";
    EXPECT_EQ((*all)[1]->type(), plat::AssetsGroupAlbum);

    auto albums = enumerate(plat::AssetsGroupAlbum);
    ASSERT_TRUE(albums);
    ASSERT_EQ(albums->size(), 1u);
    EXPECT_EQ(albums->front()->name(), "Birthday");
}

TEST_F(AssetsLibraryStandIn, AssetsComeOldestFirstThenTheEnd)
{
    addPhoto("Camera Roll", {0, 200, 0, 255}, 10);
    addPhoto("Camera Roll", {200, 0, 0, 255}, 300);
    auto groups = enumerate(plat::AssetsGroupSavedPhotos);
    ASSERT_TRUE(groups);
    ASSERT_EQ(groups->size(), 1u);
    std::vector<int64_t> indexes;
    std::vector<std::string> names;
    groups->front()->enumerateAssetsUsingBlock([&](const std::shared_ptr<plat::Asset>& asset, int64_t index, bool&) {
        indexes.push_back(index);
        names.push_back(asset ? asset->photoAsset().fileName : "end");
    });
    EXPECT_EQ(indexes, (std::vector<int64_t> {0, 1, plat::kNotFound}));
    EXPECT_EQ(names, (std::vector<std::string> {"IMG_0002.JPG", "IMG_0001.JPG", "end"}));
}

TEST_F(AssetsLibraryStandIn, AGroupCountsTheAlbumAsItWasButReadsItAsItIs)
{
    addPhoto("Camera Roll", {0, 200, 0, 255}, 10);
    auto groups = enumerate(plat::AssetsGroupSavedPhotos);
    ASSERT_TRUE(groups);
    addPhoto("Camera Roll", {0, 0, 200, 255}, 5);
    EXPECT_EQ(groups->front()->numberOfAssets(), 1);
    int seen = 0;
    groups->front()->enumerateAssetsUsingBlock(
        [&](const std::shared_ptr<plat::Asset>& asset, int64_t, bool&) { seen += asset ? 1 : 0; });
    EXPECT_EQ(seen, 2);
}

TEST_F(AssetsLibraryStandIn, EveryOrientationIsReadFromThePhotosExifTag)
{
    for (int value = 0; value < 8; ++value) {
        auto orientation = static_cast<plat::ImageOrientation>(value);
        auto picture = plat::test::makeQuadrantPicture(60, 40, orientation);
        auto saved = folders.saveImage(*picture);
        ASSERT_TRUE(saved.ok());
        plat::Asset asset(saved.value());
        EXPECT_EQ(asset.orientation(), orientation) << value;
        auto representation = asset.defaultRepresentation();
        EXPECT_EQ(representation.orientation(), orientation) << value;
        auto stored = representation.fullResolutionImage();
        ASSERT_NE(stored, nullptr);
        plat::Size expected = plat::isTransposed(orientation) ? plat::Size {40, 60} : plat::Size {60, 40};
        EXPECT_EQ(representation.dimensions(), expected) << "stored, not turned";
        EXPECT_EQ(stored->width(), static_cast<int>(expected.width));
        auto thumbnail = asset.thumbnail();
        ASSERT_NE(thumbnail, nullptr);
        EXPECT_EQ(thumbnail->size(), (plat::Size {150, 150}));
        // Upright: the aspect-fill square keeps the top-left red corner of the picture.
        EXPECT_LE(
            plat::test::componentDistance(plat::test::pixelAt(*thumbnail, 10, 10), plat::test::kQuadrantTopLeft), 16)
            << value;
    }
}

TEST_F(AssetsLibraryStandIn, AssetsAreFoundByLinkAndLinksStayInsideTheLibrary)
{
    addPhoto("Camera Roll", {0, 200, 0, 255}, 10);
    auto saved = folders.assetsInAlbum("Camera Roll").value().front();
    plat::URL link = plat::assetURLFor(saved);
    EXPECT_EQ(link.absoluteString(), "assets-library://asset/Camera%20Roll/IMG_0001.JPG");
    // Answers to one question at a time: the library answers in any order.
    auto ask = [&](const std::string& text) {
        std::shared_ptr<plat::Asset> answer;
        bool answered = false;
        library->assetForURL(
            *plat::URL::URLWithString(text),
            [&](const std::shared_ptr<plat::Asset>& asset) {
                answer = asset;
                answered = true;
            },
            [&](const plat::Error&) { answered = true; });
        EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return answered; }));
        return answer;
    };
    auto found = ask(link.absoluteString());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->photoAsset().path, saved.path);
    EXPECT_EQ(ask("assets-library://asset/..%2F..%2FDocuments/IMG_0001.JPG"), nullptr);
    EXPECT_EQ(ask("assets-library://asset/Camera%20Roll/.."), nullptr);
    EXPECT_EQ(ask("assets-library://asset/Camera%20Roll/IMG_0001.JPG/more"), nullptr);
    EXPECT_EQ(ask("file:///etc/passwd"), nullptr);
}

TEST_F(AssetsLibraryStandIn, RefusedAccessReachesTheFailureBlockOnTheMainQueue)
{
    addPhoto("Camera Roll", {0, 200, 0, 255}, 10);
    ASSERT_TRUE(folders.setAuthorizationStatus(plat::AuthorizationStatus::Denied).ok());
    EXPECT_EQ(plat::AssetsLibrary::authorizationStatus(), plat::AuthorizationStatus::Denied);
    EXPECT_FALSE(enumerate(plat::AssetsGroupAll).has_value() && !failure);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code(), plat::kAssetsLibraryAccessUserDeniedError);

    std::optional<plat::Error> writeFailure;
    bool answered = false;
    library->writeImageToSavedPhotosAlbum(plat::test::makeFlatImage(4, 4, {1, 2, 3, 255})->bitmap(),
        plat::ImageOrientation::Up, [&](const std::optional<plat::URL>& url, const std::optional<plat::Error>& error) {
            EXPECT_FALSE(url);
            writeFailure = error;
            answered = true;
        });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return answered; }));
    ASSERT_TRUE(writeFailure);
    EXPECT_EQ(writeFailure->code(), -3311);
}

TEST_F(AssetsLibraryStandIn, ALibraryReleasedBeforeItAnswersAnswersNothing)
{
    bool answered = false;
    bool probe = false;
    library->addAssetsGroupAlbumWithName(
        "Trip", [&](const std::shared_ptr<plat::AssetsGroup>&) { answered = true; },
        [&](const plat::Error&) { answered = true; });
    library.reset();
    // Requests are answered in order: a second library's answer comes after the first one's would have.
    auto second = std::make_shared<plat::AssetsLibrary>();
    second->assetForURL(
        *plat::URL::URLWithString("assets-library://asset/x/y.jpg"),
        [&](const std::shared_ptr<plat::Asset>&) { probe = true; }, [&](const plat::Error&) { probe = true; });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return probe; }));
    plat::RunLoop::main().drain();
    EXPECT_FALSE(answered);
    EXPECT_TRUE(plat::isDirectory(folders.root() + "/Trip")) << "the work itself was done";
}

TEST_F(AssetsLibraryStandIn, WrittenPicturesKeepTheirOrientationTag)
{
    auto stored = plat::test::makeQuadrantPicture(60, 40, plat::ImageOrientation::Right);
    std::optional<plat::URL> written;
    library->writeImageToSavedPhotosAlbum(stored->bitmap(), plat::ImageOrientation::Right,
        [&](const std::optional<plat::URL>& url, const std::optional<plat::Error>&) { written = url; });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return written.has_value(); }));
    auto location = plat::assetLocationOfURL(*written);
    ASSERT_TRUE(location);
    auto asset = folders.assetInAlbum(location->albumFolder, location->fileName);
    ASSERT_TRUE(asset.ok());
    EXPECT_EQ(plat::Asset(asset.value()).orientation(), plat::ImageOrientation::Right);
}
