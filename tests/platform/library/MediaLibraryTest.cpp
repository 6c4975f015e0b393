#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "platform/library/MediaItem.h"
#include "platform/library/MediaItemArtwork.h"
#include "platform/library/MediaItemCollection.h"
#include "platform/library/MediaLibrary.h"
#include "platform/library/MediaLibraryIndex.h"
#include "platform/library/MediaPlaylist.h"
#include "platform/library/MediaQuery.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/MusicLibraryFiles.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaGrouping;
using plat::MediaPropertyPredicate;
using plat::MediaQuery;
using plat::test::GeneratedMusicLibrary;

std::vector<std::string> titlesOf(const std::vector<std::shared_ptr<const plat::MediaItem>>& items)
{
    std::vector<std::string> titles;
    for (const auto& item : items)
        titles.push_back(item->title());
    return titles;
}

std::vector<std::string> sectionTitles(const std::vector<plat::MediaQuerySection>& sections)
{
    std::vector<std::string> titles;
    for (const auto& section : sections)
        titles.push_back(section.title);
    return titles;
}

class MusicLibrary : public ::testing::Test {
protected:
    void SetUp() override { GeneratedMusicLibrary::shared().useInCurrentSandbox(); }

    std::shared_ptr<const plat::MediaItem> songTitled(const std::string& title)
    {
        for (const auto& item : MediaQuery::songsQuery()->items())
            if (item->title() == title)
                return item;
        return nullptr;
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
};

}  // namespace

TEST_F(MusicLibrary, SongsComeByTitleInLetterSectionsWithUnreadableFilesLeftOut)
{
    auto songs = MediaQuery::songsQuery();
    auto titles = titlesOf(songs->items());
    // 30 tagged songs, the untagged one by its file name, the protected one; broken.mp3 is left out.
    ASSERT_EQ(titles.size(), 32u);
    EXPECT_EQ(titles.front(), "Alpha");
    EXPECT_EQ(titles[3], "Delta");
    EXPECT_EQ(titles[4], "Echo");
    EXPECT_EQ(titles[5], "Échos") << "Échos sorts with the plain E";
    EXPECT_EQ(titles.back(), "4 Seasons") << "names that begin with no letter come last";
    EXPECT_NE(std::find(titles.begin(), titles.end(), "untitled-demo"), titles.end());
    EXPECT_EQ(songs->collections().size(), 32u);
    auto sections = songs->collectionSections();
    auto letters = sectionTitles(sections);
    ASSERT_EQ(letters.size(), 27u);
    EXPECT_EQ(letters.front(), "A");
    EXPECT_EQ(letters[4], "E");
    EXPECT_EQ(sections[4].location, 4);
    EXPECT_EQ(sections[4].length, 2);
    EXPECT_EQ(letters.back(), "#");
    EXPECT_EQ(sections.back().location + sections.back().length, 32);
}

TEST_F(MusicLibrary, AnItemCarriesItsTagsAndCoverPicture)
{
    auto echo = songTitled("Echo");
    ASSERT_NE(echo, nullptr);
    EXPECT_EQ(echo->artist(), "Aurora Lane");
    EXPECT_EQ(echo->albumTitle(), "Daybreak");
    EXPECT_EQ(echo->albumArtist(), "Aurora Lane");
    EXPECT_EQ(echo->albumTrackNumber(), 2);
    EXPECT_EQ(echo->genre(), "Pop");
    EXPECT_EQ(echo->year(), 2013);
    EXPECT_NEAR(echo->playbackDuration(), 2.0, 0.05);
    EXPECT_EQ(echo->valueForProperty(plat::kMediaItemPropertyAlbumTitle), plat::Value("Daybreak"));
    EXPECT_EQ(echo->valueForProperty(plat::kMediaItemPropertyYear), plat::Value(2013));
    EXPECT_TRUE(echo->valueForProperty(plat::kMediaItemPropertyComposer).isNull());
    ASSERT_TRUE(echo->assetURL());
    EXPECT_EQ(echo->assetURL()->path(), GeneratedMusicLibrary::shared().path("aurora-lane/daybreak/2-echo.m4a"));
    auto artwork = echo->artwork();
    ASSERT_NE(artwork, nullptr);
    EXPECT_EQ(artwork->bounds().size, (plat::Size {120, 120}));
    auto picture = artwork->imageWithSize({60, 30});
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), (plat::Size {60, 30}));
    EXPECT_EQ(songTitled("Kilo")->artwork(), nullptr);
    EXPECT_NEAR(songTitled("Kilo")->playbackDuration(), 200, 0.2);
    auto untagged = songTitled("untitled-demo");
    ASSERT_NE(untagged, nullptr);
    EXPECT_TRUE(untagged->artist().empty());
    EXPECT_TRUE(untagged->valueForProperty(plat::kMediaItemPropertyArtist).isNull());
}

TEST_F(MusicLibrary, ProtectedSoundHasNoAssetAndAGoneFileTheDeletedItemsAddress)
{
    auto locked = songTitled("Locked Song");
    ASSERT_NE(locked, nullptr);
    EXPECT_FALSE(locked->assetURL());

    // A library of its own, whose song goes after it was read.
    std::string folder = sandbox.path("gone");
    auto song = GeneratedMusicLibrary::shared().song("Alpha");
    ASSERT_TRUE(GeneratedMusicLibrary::writeSong(folder, song));
    plat::test::useMusicLibraryFolder(folder);
    auto items = MediaQuery::songsQuery()->items();
    ASSERT_EQ(items.size(), 1u);
    ASSERT_TRUE(plat::removeItem(plat::appendingPathComponent(folder, song.file)).ok());
    auto url = items.front()->assetURL();
    ASSERT_TRUE(url);
    EXPECT_NE(url->absoluteString().find("item/item.(null)"), std::string::npos);
}

TEST_F(MusicLibrary, AlbumsGatherTheirSongsInTrackOrderAndApartByArtist)
{
    auto albums = MediaQuery::albumsQuery()->collections();
    std::vector<std::string> names;
    for (const auto& album : albums)
        names.push_back(album->representativeItem()->albumTitle());
    EXPECT_EQ(names,
        (std::vector<std::string> {"After Hours", "Daybreak", "Long Player", "Marching", "Mixed Bag", "Northern Lights",
            "Seasons", "Singles", "Singles", "", ""}));
    EXPECT_EQ(titlesOf(albums[1]->items()), (std::vector<std::string> {"Delta", "Echo", "Foxtrot", "Golf"}));
    EXPECT_EQ(albums[4]->count(), 6u) << "a compilation is one album by its album artist";
    EXPECT_NE(albums[7]->representativeItem()->artist(), albums[8]->representativeItem()->artist());
}

TEST_F(MusicLibrary, AnArtistsQueryAndAFilteredQueryGroupByAlbum)
{
    auto artists = MediaQuery::artistsQuery()->collections();
    std::vector<std::string> names;
    for (const auto& artist : artists)
        names.push_back(artist->representativeItem()->artist());
    EXPECT_EQ(names,
        (std::vector<std::string> {
            "Aurora Lane", "Brass Band Co", "Élan Trio", "Mono Tone", "Night Owls", "Yara", "Zed", ""}));
    MediaQuery query({MediaPropertyPredicate::predicateWithValue("Aurora Lane", plat::kMediaItemPropertyArtist)});
    query.setGroupingType(MediaGrouping::Album);
    auto albums = query.collections();
    ASSERT_EQ(albums.size(), 4u);
    EXPECT_EQ(albums[0]->representativeItem()->albumTitle(), "Daybreak");
    EXPECT_EQ(albums[3]->representativeItem()->title(), "Locked Song") << "songs of no album come last";
    EXPECT_EQ(titlesOf(query.items()).size(), 9u) << "the locked song has no album but is the artist's";
    MediaQuery contains({MediaPropertyPredicate::predicateWithValue(
        "ORA", plat::kMediaItemPropertyArtist, plat::MediaPredicateComparison::Contains)});
    EXPECT_EQ(contains.items().size(), 9u);
}

TEST_F(MusicLibrary, EqualToNoValueFindsTheSongsWithoutThatTag)
{
    const struct {
        const char* property;
        plat::MediaPredicateComparison comparison;
        std::vector<std::string> titles;
    } cases[] = {
        {plat::kMediaItemPropertyArtist, plat::MediaPredicateComparison::EqualTo, {"untitled-demo"}},
        {plat::kMediaItemPropertyAlbumTitle, plat::MediaPredicateComparison::EqualTo, {"Locked Song", "untitled-demo"}},
        {plat::kMediaItemPropertyArtist, plat::MediaPredicateComparison::Contains, {}},
    };
    for (const auto& [property, comparison, titles] : cases) {
        MediaQuery query({MediaPropertyPredicate::predicateWithValue(plat::Value(), property, comparison)});
        EXPECT_EQ(titlesOf(query.items()), titles) << property << " " << static_cast<int>(comparison);
    }
}

TEST_F(MusicLibrary, PlaylistsKeepTheirOrderAndListOnlySongsOfTheLibrary)
{
    auto playlists = MediaQuery::playlistsQuery()->collections();
    ASSERT_EQ(playlists.size(), 2u);
    auto bestOf = std::dynamic_pointer_cast<const plat::MediaPlaylist>(playlists[0]);
    auto roadTrip = std::dynamic_pointer_cast<const plat::MediaPlaylist>(playlists[1]);
    ASSERT_TRUE(bestOf && roadTrip);
    EXPECT_EQ(bestOf->name(), "Best Of");
    EXPECT_EQ(titlesOf(bestOf->items()), (std::vector<std::string> {"India", "Échos"}));
    EXPECT_EQ(roadTrip->name(), "Road Trip");
    EXPECT_EQ(titlesOf(roadTrip->items()), (std::vector<std::string> {"Romeo", "Alpha", "Zulu", "Echo", "Kilo"}));
    MediaQuery songs({MediaPropertyPredicate::predicateWithValue(
        static_cast<int64_t>(roadTrip->persistentID()), plat::kMediaPlaylistPropertyPersistentID)});
    EXPECT_EQ(titlesOf(songs.items()), titlesOf(roadTrip->items()));
    EXPECT_TRUE(songs.collectionSections().empty()) << "a playlist's order has no letter sections";
}

TEST_F(MusicLibrary, PersistentIdentifiersFindTheSameSongInAnotherReading)
{
    auto kilo = songTitled("Kilo");
    ASSERT_NE(kilo, nullptr);
    auto fresh = std::make_shared<plat::MediaLibrary>(sandbox.root());
    MediaQuery query({MediaPropertyPredicate::predicateWithValue(
        static_cast<int64_t>(kilo->persistentID()), plat::kMediaItemPropertyPersistentID)});
    query.setMediaLibrary(fresh);
    ASSERT_EQ(query.items().size(), 1u);
    EXPECT_EQ(query.items().front()->title(), "Kilo");
    EXPECT_NE(query.items().front(), kilo) << "read anew";
}

TEST(MusicLibraryEmpty, AnEmptyOrMissingLibraryAnswersEveryQueryWithNothing)
{
    plat::test::TemporarySandbox sandbox;
    for (auto query : {MediaQuery::songsQuery(), MediaQuery::albumsQuery(), MediaQuery::artistsQuery(),
             MediaQuery::playlistsQuery()}) {
        EXPECT_TRUE(query->items().empty());
        EXPECT_TRUE(query->collections().empty());
        EXPECT_TRUE(query->itemSections().empty());
        EXPECT_TRUE(query->collectionSections().empty());
    }
    ASSERT_TRUE(plat::createDirectory(sandbox.path("MusicLibrary"), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(sandbox.path("MusicLibrary/empty.m3u"), std::string_view("#EXTM3U\n")).ok());
    auto library = std::make_shared<plat::MediaLibrary>(sandbox.root());
    auto query = MediaQuery::playlistsQuery();
    query->setMediaLibrary(library);
    ASSERT_EQ(query->collections().size(), 1u);
    EXPECT_EQ(query->collections().front()->count(), 0u);
    EXPECT_EQ(query->collections().front()->representativeItem(), nullptr);
}

TEST_F(MusicLibrary, AChangedFolderIsNoticedOnTheClockAndOnlyThen)
{
    std::string folder = sandbox.path("changing");
    ASSERT_TRUE(GeneratedMusicLibrary::writeSong(folder, GeneratedMusicLibrary::shared().song("Hotel")));
    plat::test::useMusicLibraryFolder(folder);
    auto library = plat::MediaLibrary::defaultMediaLibrary();
    int changes = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kMediaLibraryDidChangeNotification, library.get(), [&](const plat::Notification&) { ++changes; });
    library->beginGeneratingLibraryChangeNotifications();
    EXPECT_EQ(MediaQuery::songsQuery()->items().size(), 1u);
    EXPECT_FALSE(library->checkForChanges());

    ASSERT_TRUE(GeneratedMusicLibrary::writeSong(folder, GeneratedMusicLibrary::shared().song("India")));
    // The folder is looked at once a second.
    clock.advance(0.9);
    plat::RunLoop::main().settle();
    EXPECT_EQ(changes, 0) << "not yet";
    clock.advance(0.2);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return changes == 1; }));
    EXPECT_EQ(titlesOf(MediaQuery::songsQuery()->items()), (std::vector<std::string> {"Hotel", "India"}));

    library->endGeneratingLibraryChangeNotifications();
    ASSERT_TRUE(plat::writeFileAtomically(plat::appendingPathComponent(folder, "more.m3u"), std::string_view("")).ok());
    clock.advance(10.0);
    plat::RunLoop::main().settle();
    EXPECT_EQ(changes, 1) << "nobody listens: the folder is not looked at";
}

TEST_F(MusicLibrary, TheFolderComesFromTheDevicesSettingsOrIsTheStandardOne)
{
    plat::MediaLibrary library(sandbox.root());
    EXPECT_EQ(library.folder(), GeneratedMusicLibrary::shared().folder());
    plat::test::useMusicLibraryFolder("MyMusic");
    EXPECT_EQ(library.folder(), sandbox.path("MyMusic"));
    ASSERT_TRUE(
        plat::writeFileAtomically(sandbox.path("MusicLibrary/MusicLibrary.plist"), std::string_view("garbage")).ok());
    EXPECT_EQ(library.folder(), sandbox.path("MusicLibrary"));
}

TEST(MusicLibraryIndex, AnUnchangedFolderIsNotReadAgainAndIdentifiersStay)
{
    plat::test::TemporaryFolder folder;
    ASSERT_TRUE(GeneratedMusicLibrary::writeSong(folder.path(), GeneratedMusicLibrary::shared().song("Golf")));
    auto first = plat::detail::readMediaLibraryIndex(folder.path(), nullptr);
    ASSERT_EQ(first->items.size(), 1u);
    EXPECT_EQ(plat::detail::readMediaLibraryIndex(folder.path(), first), first);
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("notes.txt"), std::string_view("not a sound")).ok());
    EXPECT_EQ(plat::detail::readMediaLibraryIndex(folder.path(), first), first) << "other files are no part of it";
    ASSERT_TRUE(GeneratedMusicLibrary::writeSong(folder.path(), GeneratedMusicLibrary::shared().song("Hotel")));
    auto second = plat::detail::readMediaLibraryIndex(folder.path(), first);
    ASSERT_EQ(second->items.size(), 2u);
    auto golf = std::find_if(
        second->items.begin(), second->items.end(), [](const auto& item) { return item->title() == "Golf"; });
    ASSERT_NE(golf, second->items.end());
    EXPECT_EQ(*golf, first->items.front()) << "the unchanged song is taken over, not opened again";
}

TEST(MusicLibraryIndex, FilesWhoseFirstSoundCannotBeDecodedAreLeftOutWithALogLine)
{
    plat::test::TemporaryFolder folder;
    // Sound of every kind the library takes stays in, Vorbis included, whose
    // first packet gives no samples yet.
    auto made = plat::test::runFFmpeg(folder.path(),
        {"-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-c:a", "flac", "good.flac", "-c:a", "libvorbis",
            "good.ogg", "-c:a", "libopus", "good.opus", "-c:a", "pcm_s16le", "good.wav", "-c:a", "pcm_s16be",
            "good.aiff", "-c:a", "alac", "good.caf", "-c:a", "aac", "good.aac"});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    // Noise named as sound: FFmpeg opens most of it by its name alone.
    std::vector<std::string> damaged = {"zeros.flac"};
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("zeros.flac"), std::string(5000, '\0')).ok());
    std::mt19937 noise(46);
    for (int i = 0; i < 8; ++i) {
        for (std::string extension : {"flac", "aac"}) {
            std::string bytes(5000, '\0');
            for (char& byte : bytes)
                byte = static_cast<char>(noise());
            std::string name = "noise-" + std::to_string(i) + "." + extension;
            ASSERT_TRUE(plat::writeFileAtomically(folder.path(name), bytes).ok());
            damaged.push_back(name);
        }
    }
    testing::internal::CaptureStderr();
    auto index = plat::detail::readMediaLibraryIndex(folder.path(), nullptr, 1);
    std::string log = testing::internal::GetCapturedStderr();
    std::vector<std::string> listed;
    for (const auto& item : index->items)
        listed.push_back(plat::lastPathComponent(item->path()));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed,
        (std::vector<std::string> {
            "good.aac", "good.aiff", "good.caf", "good.flac", "good.ogg", "good.opus", "good.wav"}));
    for (const std::string& name : damaged)
        EXPECT_NE(log.find("music library: left out " + folder.path(name)), std::string::npos) << name;
}
