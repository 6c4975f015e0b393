#include "platform/library/PhotoLibrary.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

class PhotoLibraryFolder : public ::testing::Test {
protected:
    // A picture file with a given age, so that the library's order is known.
    void addPicture(const std::string& album, const std::string& name, int secondsAgo)
    {
        auto picture = plat::test::makeFlatImage(40, 30, {200, 10, 10, 255});
        std::string folder = library.root() + "/" + album;
        ASSERT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::Yes).ok());
        std::string path = folder + "/" + name;
        ASSERT_TRUE(plat::writeFileAtomically(path, *plat::PNGRepresentation(*picture)).ok());
        std::filesystem::last_write_time(
            path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
    }

    plat::test::TemporarySandbox sandbox;
    plat::PhotoLibrary library = plat::PhotoLibrary::forCurrentSandbox();
};

}  // namespace

TEST_F(PhotoLibraryFolder, AMissingLibraryHasNoAlbums)
{
    auto albums = library.albums();
    ASSERT_TRUE(albums.ok());
    EXPECT_TRUE(albums.value().empty());
}

TEST_F(PhotoLibraryFolder, SavedPhotosComeFirstThenAlbumsByName)
{
    addPicture("Zoo", "a.png", 10);
    addPicture("Camera Roll", "b.png", 10);
    addPicture("Birthday", "c.png", 10);
    auto albums = library.albums();
    ASSERT_TRUE(albums.ok());
    ASSERT_EQ(albums.value().size(), 3u);
    EXPECT_EQ(albums.value()[0].name, "Camera Roll");
    EXPECT_EQ(albums.value()[1].name, "Birthday");
    EXPECT_EQ(albums.value()[2].name, "Zoo");
    EXPECT_EQ(albums.value()[0].numberOfPhotos, 1u);
}

TEST_F(PhotoLibraryFolder, AssetsAreOldestFirstAndOtherFilesAreLeftOut)
{
    addPicture("Camera Roll", "new.png", 5);
    addPicture("Camera Roll", "old.png", 500);
    ASSERT_TRUE(plat::writeFileAtomically(library.root() + "/Camera Roll/notes.txt", std::string("hello")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(library.root() + "/Camera Roll/clip.MOV", std::string("movie")).ok());
    auto assets = library.assetsInAlbum("Camera Roll");
    ASSERT_TRUE(assets.ok());
    ASSERT_EQ(assets.value().size(), 3u);
    EXPECT_EQ(assets.value()[0].fileName, "old.png");
    EXPECT_EQ(assets.value()[1].fileName, "new.png");
    EXPECT_EQ(assets.value()[2].type, plat::AssetType::Video) << "the movie is newest";
    EXPECT_EQ(plat::PhotoLibrary::fullResolutionImage(assets.value()[2]), nullptr);
}

TEST_F(PhotoLibraryFolder, SavedPicturesAreNumberedAndReadBack)
{
    auto picture = plat::test::makeFlatImage(64, 48, {0, 0, 255, 255});
    auto first = library.saveImage(*picture);
    auto second = library.saveImage(*picture);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(first.value().fileName, "IMG_0001.JPG");
    EXPECT_EQ(second.value().fileName, "IMG_0002.JPG");
    auto back = plat::PhotoLibrary::fullResolutionImage(first.value());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->size(), (plat::Size {64, 48}));
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*back, 30, 20), {0, 0, 255, 255}), 8);
    auto thumbnail = plat::PhotoLibrary::thumbnail(first.value(), 16);
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(thumbnail->size(), (plat::Size {16, 12}));
}

TEST_F(PhotoLibraryFolder, PicturesAndMoviesTakeTheirNumbersFromOneCounter)
{
    auto picture = plat::test::makeFlatImage(16, 12, {0, 0, 255, 255});
    const std::string movie = sandbox.path("clip.mov");
    ASSERT_TRUE(plat::writeFileAtomically(movie, std::string("movie")).ok());
    auto savePicture = [&] { return library.saveImage(*picture).value().fileName; };
    auto saveMovie = [&] { return library.saveVideo(movie).value().fileName; };
    EXPECT_EQ(saveMovie(), "IMG_0001.MOV");
    EXPECT_EQ(savePicture(), "IMG_0002.JPG");
    EXPECT_EQ(saveMovie(), "IMG_0003.MOV");
    // The counter goes on from the highest number: a gap is not filled again.
    ASSERT_TRUE(plat::removeItem(library.root() + "/Camera Roll/IMG_0002.JPG").ok());
    EXPECT_EQ(savePicture(), "IMG_0004.JPG");
}

// Past IMG_9999 the counter starts again from the first number, and takes
// only numbers that no file of either kind has.
TEST_F(PhotoLibraryFolder, PastTheLastNumberTheCounterTakesOnlyFreeNumbers)
{
    const std::string roll = library.root() + "/Camera Roll";
    ASSERT_TRUE(plat::createDirectory(roll, plat::IntermediateDirectories::Yes).ok());
    const std::vector<std::string> kept {"IMG_0001.JPG", "IMG_0002.MOV", "IMG_0004.PNG", "IMG_9998.JPG"};
    for (const std::string& name : kept)
        ASSERT_TRUE(plat::writeFileAtomically(roll + "/" + name, name).ok());
    auto picture = plat::test::makeFlatImage(16, 12, {0, 0, 255, 255});
    const std::string movie = sandbox.path("clip.mov");
    ASSERT_TRUE(plat::writeFileAtomically(movie, std::string("movie")).ok());
    auto savePicture = [&] { return library.saveImage(*picture).value().fileName; };
    auto saveMovie = [&] { return library.saveVideo(movie).value().fileName; };
    const std::vector<std::string> saved {savePicture(), saveMovie(), savePicture(), saveMovie()};
    EXPECT_EQ(saved, (std::vector<std::string> {"IMG_9999.JPG", "IMG_0003.MOV", "IMG_0005.JPG", "IMG_0006.MOV"}));
    for (const std::string& name : kept)
        EXPECT_EQ(plat::readFile(roll + "/" + name).value(), plat::Data(name.begin(), name.end())) << name;
}

TEST_F(PhotoLibraryFolder, ADamagedPictureDecodesToNothing)
{
    ASSERT_TRUE(plat::createDirectory(library.root() + "/Camera Roll", plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(library.root() + "/Camera Roll/broken.jpg", std::string("\xff\xd8 no")).ok());
    auto assets = library.assetsInAlbum("Camera Roll");
    ASSERT_TRUE(assets.ok());
    ASSERT_EQ(assets.value().size(), 1u);
    EXPECT_EQ(plat::PhotoLibrary::fullResolutionImage(assets.value()[0]), nullptr);
    EXPECT_EQ(plat::PhotoLibrary::thumbnail(assets.value()[0], 32), nullptr);
}

TEST_F(PhotoLibraryFolder, AlbumNamesCannotLeaveTheLibrary)
{
    EXPECT_FALSE(library.addAlbum("../escape").ok());
    EXPECT_FALSE(library.assetsInAlbum("..").ok());
    EXPECT_FALSE(library.assetsInAlbum("Nowhere").ok());
}

TEST_F(PhotoLibraryFolder, RefusedAccessFailsEveryOperationWithThePlatformsCode)
{
    auto picture = plat::test::makeFlatImage(8, 8, {0, 0, 255, 255});
    ASSERT_TRUE(library.saveImage(*picture).ok());
    ASSERT_TRUE(library.setAuthorizationStatus(plat::AuthorizationStatus::Denied).ok());
    auto albums = library.albums();
    ASSERT_FALSE(albums.ok());
    EXPECT_EQ(albums.error().domain(), plat::kAssetsLibraryErrorDomain);
    EXPECT_EQ(albums.error().code(), -3311);
    EXPECT_TRUE(albums.error().userInfo().getString(plat::kLocalizedFailureReasonErrorKey));
    EXPECT_EQ(library.assetsInAlbum("Camera Roll").error().code(), -3311);
    EXPECT_EQ(library.saveImage(*picture).error().code(), -3311);
    ASSERT_TRUE(library.setAuthorizationStatus(plat::AuthorizationStatus::Restricted).ok());
    EXPECT_EQ(library.albums().error().code(), -3312);
    ASSERT_TRUE(library.setAuthorizationStatus(plat::AuthorizationStatus::Authorized).ok());
    ASSERT_TRUE(library.albums().ok());
    EXPECT_EQ(library.albums().value().size(), 1u) << "the privacy file is no album";
}

TEST_F(PhotoLibraryFolder, AlbumsMayShareANameButNewOnesMayNot)
{
    addPicture("Trip", "a.png", 10);
    addPicture("Trip 2", "b.png", 10);
    ASSERT_TRUE(plat::writeFileAtomically(library.root() + "/Trip 2/.name", std::string("Trip\n")).ok());
    auto albums = library.albums();
    ASSERT_TRUE(albums.ok());
    ASSERT_EQ(albums.value().size(), 2u);
    EXPECT_EQ(albums.value()[0].name, "Trip");
    EXPECT_EQ(albums.value()[1].name, "Trip");
    EXPECT_EQ(albums.value()[1].folder, "Trip 2");
    EXPECT_EQ(albums.value()[1].numberOfPhotos, 1u) << "the name file is no asset";

    auto again = library.createAlbumNamed("Trip");
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again.value()) << "the platform refuses a name that is taken";
    auto lower = library.createAlbumNamed("trip");
    ASSERT_TRUE(lower.ok());
    ASSERT_TRUE(lower.value());
    EXPECT_EQ(lower.value()->name, "trip");
    auto slashed = library.createAlbumNamed("../Holidays/2014");
    ASSERT_TRUE(slashed.ok());
    ASSERT_TRUE(slashed.value());
    EXPECT_EQ(slashed.value()->name, "../Holidays/2014");
    EXPECT_EQ(slashed.value()->path, library.root() + "/_.-Holidays-2014") << "inside the library";
}

TEST_F(PhotoLibraryFolder, AnAssetFiledInAnotherAlbumIsTheSameFile)
{
    auto picture = plat::test::makeFlatImage(8, 8, {0, 0, 255, 255});
    auto saved = library.saveImage(*picture);
    ASSERT_TRUE(saved.ok());
    auto filed = library.addAssetToAlbum(saved.value(), "Trip");
    ASSERT_TRUE(filed.ok());
    EXPECT_EQ(filed.value().albumFolder, "Trip");
    EXPECT_EQ(std::filesystem::hard_link_count(saved.value().path), 2u);
    auto twice = library.addAssetToAlbum(saved.value(), "Trip");
    ASSERT_TRUE(twice.ok());
    EXPECT_EQ(twice.value().path, filed.value().path) << "filed once";
    EXPECT_EQ(library.assetsInAlbum("Trip").value().size(), 1u);
    EXPECT_FALSE(library.assetInAlbum("..", "PhotoLibrary").ok());
    EXPECT_FALSE(library.assetInAlbum("Camera Roll", "../../etc/passwd.jpg").ok());
}
