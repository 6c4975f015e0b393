#include "audio/AudioPickerTestSupport.h"

#include <algorithm>
#include <cmath>

#include "audio/MQAlbumTrackTableViewCell.h"
#include "audio/MQAlbumViewController.h"
#include "audio/MQExtensions.h"
#include "audio/QVMediaPickerItem.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/MediaItem.h"
#include "platform/library/MediaItemCollection.h"
#include "platform/library/MediaQuery.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TabBarItem.h"
#include "platform/ui/TableView.h"
#include "render/ZantropeMovieRenderer.h"
#include "support/Idioms.h"
#include "support/TextContrast.h"

namespace {

using zt::test::AudioPickerScreen;

std::vector<std::string> tabTitles(const plat::TabBarController& tabs)
{
    std::vector<std::string> titles;
    for (const auto& child : tabs.viewControllers())
        titles.push_back(child->tabBarItem()->title());
    return titles;
}

std::shared_ptr<const plat::MediaItem> songTitled(const std::string& title)
{
    for (const auto& item : plat::MediaQuery::songsQuery()->items())
        if (item->title() == title)
            return item;
    return nullptr;
}

}  // namespace

namespace {
// The picker's form sheet on a phone (the whole screen) and on a tablet (a sheet in the middle).
class AudioPickerSheet : public AudioPickerScreen, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    AudioPickerSheet()
        : AudioPickerScreen(GetParam())
    {
    }
};
}  // namespace

TEST_P(AudioPickerSheet, OpensOnSoundEffectsWithTheAppsTabsBeforeTheLibrarys)
{
    auto picker = openPicker(3);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(root->presentedViewController(), picker->viewController());
    EXPECT_EQ(picker->viewController()->modalPresentationStyle(), plat::ModalPresentationStyle::FormSheet);
    auto sheet = picker->viewController()->view();
    const plat::Rect shown = sheet->convertRect(sheet->bounds(), nullptr);
    const plat::Rect screen = window->bounds();
    EXPECT_TRUE(shown.minX() >= screen.minX() && shown.minY() >= screen.minY() && shown.maxX() <= screen.maxX()
        && shown.maxY() <= screen.maxY())
        << "the sheet lies on the screen";
    EXPECT_EQ(controller->addAudioToFrame(), 3);
    EXPECT_EQ(tabTitles(*picker->tabBarController()),
        (std::vector<std::string> {
            "Recordings", "Theme Music", "Sound Effects", "Albums", "Playlists", "Artists", "Songs"}));
    EXPECT_EQ(picker->tabBarController()->selectedIndex(), 2);
    auto effects = picker->soundEffectsViewController();
    ASSERT_EQ(effects->mediaItems().size(), 4u);
    EXPECT_EQ(effects->mediaItems()[0]->title(), "Bell");
    EXPECT_EQ(effects->mediaItems()[3]->title(), "Whoosh");
    EXPECT_NE(driver.findView("1."), nullptr);
    EXPECT_NE(driver.findView("0:01"), nullptr) << "the bell lasts 1.5 s";
    expectPicture(GetParam() == plat::UserInterfaceIdiom::Pad ? "picker_sound_effects_tablet" : "picker_sound_effects");
}

INSTANTIATE_TEST_SUITE_P(Idioms, AudioPickerSheet, plat::test::bothIdioms(), plat::test::idiomName);

TEST_F(AudioPickerScreen, EveryLibraryTabListsItsCollectionsAndTheSongsComeInLetterSections)
{
    auto picker = openPicker(0);
    ASSERT_TRUE(driver.tap("Albums"));
    driver.wait(1);
    auto albums = std::dynamic_pointer_cast<zt::MQMediaQueryViewController>(selectedList(picker));
    ASSERT_NE(albums, nullptr);
    EXPECT_EQ(albums->items().size(), 11u);
    EXPECT_FALSE(albums->itemSections()) << "fewer than 26 albums";
    EXPECT_EQ(picker->selectedTabIndex(), 3);
    auto table = albums->itemTableView();
    auto firstAlbum = table->cellForRowAtIndexPath({0, 0});
    ASSERT_NE(firstAlbum, nullptr);
    EXPECT_EQ(firstAlbum->textLabel()->text(), "After Hours");
    EXPECT_EQ(firstAlbum->accessoryType(), plat::TableViewCellAccessoryType::DisclosureIndicator);
    EXPECT_NE(firstAlbum->imageView()->image(), nullptr);
    expectPicture("picker_albums");

    ASSERT_TRUE(driver.tap("Playlists"));
    driver.wait(1);
    EXPECT_EQ(picker->playlistsViewController()->items().size(), 2u);
    ASSERT_TRUE(driver.tap("Artists"));
    driver.wait(1);
    EXPECT_EQ(picker->artistsViewController()->items().size(), 8u);

    ASSERT_TRUE(driver.tap("Songs"));
    driver.wait(1);
    auto songs = picker->songsViewController();
    ASSERT_TRUE(songs->itemSections());
    EXPECT_EQ(songs->itemSections()->size(), 27u);
    auto songTable = songs->itemTableView();
    EXPECT_EQ(songTable->numberOfSections(), 27);
    EXPECT_EQ(songTable->numberOfRowsInSection(4), 2) << "Echo and Échos";
    EXPECT_NE(songTable->sectionIndexView(), nullptr);
    auto alpha = songTable->cellForRowAtIndexPath({0, 0});
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->textLabel()->text(), "Alpha");
    EXPECT_EQ(alpha->detailTextLabel()->text(), "Northern Lights - Aurora Lane");
    EXPECT_EQ(alpha->accessoryType(), plat::TableViewCellAccessoryType::None);
    expectPicture("picker_songs_sectioned");

    // The index finds a letter's section; the locked song cannot be picked.
    songTable->scrollToSectionIndexTitle(11);
    driver.wait(1);
    auto locked = songTable->cellForRowAtIndexPath({11, 1});
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(locked->textLabel()->text(), "Locked Song");
    EXPECT_FALSE(locked->isUserInteractionEnabled());
    EXPECT_EQ(locked->textLabel()->textColor(), plat::Color::lightGrayColor());
}

TEST_F(AudioPickerScreen, AnArtistOpensTheirAlbumsAndAnAlbumItsScreenWithHeader)
{
    auto picker = openPicker(0);
    ASSERT_TRUE(driver.tap("Artists"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Mono Tone"));
    driver.wait(1);
    auto albums = std::dynamic_pointer_cast<zt::MQMediaQueryViewController>(selectedList(picker));
    ASSERT_NE(albums, nullptr);
    EXPECT_EQ(albums->title(), "Mono Tone");
    EXPECT_EQ(albums->items().size(), 2u);
    ASSERT_TRUE(driver.tap("Long Player"));
    driver.wait(1);
    auto album = std::dynamic_pointer_cast<zt::MQAlbumViewController>(selectedList(picker));
    ASSERT_NE(album, nullptr);
    EXPECT_NE(driver.findView("3 Songs, 10 Mins."), nullptr);
    EXPECT_NE(driver.findView("Released 2015"), nullptr);
    EXPECT_NE(driver.findView("3:20"), nullptr);
    expectPicture("picker_album");
}

TEST_F(AudioPickerScreen, TrackListsAlternateWhiteAndLightGreyRows)
{
    auto picker = openPicker(0);
    std::shared_ptr<plat::TableViewController> effects = picker->soundEffectsViewController();
    ASSERT_TRUE(driver.tap("Albums"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("After Hours"));
    driver.wait(1);
    auto album = std::dynamic_pointer_cast<plat::TableViewController>(selectedList(picker));
    ASSERT_NE(std::dynamic_pointer_cast<zt::MQAlbumViewController>(album), nullptr);
    // Every row of each list, as its data source makes it: even rows white, odd rows RGB(245, 245, 245).
    const struct {
        const char* list;
        std::shared_ptr<plat::TableViewController> screen;
        std::vector<int> greys;
    } lists[] = {
        {"sound effects", effects, {255, 245, 255, 245}},
        {"album", album, {255, 245, 255, 245, 255, 245, 255}},
    };
    for (const auto& [list, screen, greys] : lists) {
        auto& table = *screen->tableView();
        ASSERT_EQ(screen->tableViewNumberOfRowsInSection(table, 0), static_cast<int64_t>(greys.size())) << list;
        for (size_t row = 0; row < greys.size(); ++row) {
            auto cell = screen->tableViewCellForRowAtIndexPath(table, {0, static_cast<int64_t>(row)});
            ASSERT_TRUE(cell && cell->backgroundView()) << list << " row " << row;
            const auto colour = cell->backgroundView()->backgroundColor();
            ASSERT_TRUE(colour) << list << " row " << row;
            const int expected = greys[row];
            EXPECT_EQ(std::lround(colour->red() * 255), expected) << list << " row " << row;
            EXPECT_EQ(std::lround(colour->green() * 255), expected) << list << " row " << row;
            EXPECT_EQ(std::lround(colour->blue() * 255), expected) << list << " row " << row;
        }
    }
}

TEST_F(AudioPickerScreen, APreviewPlaysOnTheClockAndAPressOnThePlayingTrackStopsIt)
{
    auto picker = openPicker(0);
    ASSERT_TRUE(driver.tap("Albums"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Daybreak"));
    driver.wait(1);
    auto album = std::dynamic_pointer_cast<zt::MQAlbumViewController>(selectedList(picker));
    ASSERT_NE(album, nullptr);
    auto rowAt = [&](int64_t row) {
        return std::dynamic_pointer_cast<zt::MQAlbumTrackTableViewCell>(
            album->tableView()->cellForRowAtIndexPath({0, row}));
    };
    ASSERT_NE(rowAt(1), nullptr);
    ASSERT_TRUE(driver.tap(*rowAt(1)->btnPlay()));
    ASSERT_NE(album->audioPlayer(), nullptr);
    EXPECT_TRUE(album->audioPlayer()->isPlaying());
    EXPECT_EQ(album->currentPlayedIndex(), 1);
    ASSERT_NE(rowAt(1), nullptr);
    EXPECT_TRUE(rowAt(1)->btnPlay()->isSelected());
    EXPECT_FALSE(rowAt(0)->btnPlay()->isSelected());
    clock.advance(1.0);
    EXPECT_NEAR(album->audioPlayer()->currentTime(), 1.0, 0.1);
    clock.advance(1.5);
    plat::RunLoop::main().drain();
    EXPECT_EQ(album->audioPlayer(), nullptr) << "the two-second song played to its end";
    EXPECT_EQ(album->currentPlayedIndex(), -1);

    ASSERT_NE(rowAt(0), nullptr);
    ASSERT_TRUE(driver.tap(*rowAt(0)->btnPlay()));
    EXPECT_EQ(album->currentPlayedIndex(), 0);
    ASSERT_NE(rowAt(0), nullptr);
    ASSERT_TRUE(driver.tap(*rowAt(0)->btnPlay()));
    EXPECT_EQ(album->currentPlayedIndex(), -1);
    EXPECT_EQ(album->audioPlayer(), nullptr) << "only stopped";
}

TEST_F(AudioPickerScreen, ASongPickedFromTheLibraryIsCopiedIntoTheProjectAsASoundAtTheFrame)
{
    auto picker = openPicker(3);
    ASSERT_TRUE(driver.tap("Songs"));
    driver.wait(1);
    picker->songsViewController()->itemTableView()->scrollToSectionIndexTitle(4);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Echo"));
    ASSERT_TRUE(waitForAddedClips(1));
    driver.wait(1);
    ASSERT_TRUE(errors.empty()) << errors.front().description();
    ASSERT_EQ(added.size(), 1u);
    const auto& clip = added.front();
    EXPECT_EQ(clip->type(), zt::AudioClip::SoundEffect);
    EXPECT_EQ(clip->name(), "Echo");
    EXPECT_EQ(clip->linkToFrameUID(), project->getFrameList().getFrameAtIndex(3)->UID());
    std::string file = clip->url()->lastPathComponent();
    EXPECT_TRUE(file.starts_with("audio-") && file.ends_with(".m4a")) << file;
    EXPECT_TRUE(inProject(file));
    EXPECT_EQ(activities, (std::vector<std::string> {"Importing..."}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(controller->mediaPicker(), nullptr);
    EXPECT_TRUE(picker->songsViewController()->delegate().expired()) << "cleaned up";
}

TEST_F(AudioPickerScreen, ASongOverAMinuteBecomesTheMusicAndOneOfExactlyAMinuteASound)
{
    auto picker = openPicker(2);
    controller->mqMediaPicker(*picker, nullptr, songTitled("Long Road Home"));
    ASSERT_TRUE(waitForAddedClips(1));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->type(), zt::AudioClip::Music);
    EXPECT_TRUE(controller->hasBackgroundMusic());

    auto again = openPicker(2);
    controller->mqMediaPicker(*again, nullptr, songTitled("Sixty Seconds"));
    ASSERT_TRUE(waitForAddedClips(2));
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[1]->type(), zt::AudioClip::SoundEffect);
    EXPECT_EQ(added[1]->totalDuration().seconds(), 60.0);
    EXPECT_EQ(added[1]->duration(), plat::MediaTime::make(18, 5)) << "cut to the 18 pictures from frame 2 on";
}

TEST_F(AudioPickerScreen, ASongOfAMinuteWithoutRoomIsRefusedBeforeAnythingIsCopied)
{
    ASSERT_TRUE(addTone(4.0, 0));
    ASSERT_TRUE(addTone(4.0, 0));
    ASSERT_EQ(controller->audioTracks()[1].size(), 1u) << "both sound tracks full from frame 0";
    const std::string folder = *project->getProjectPath();
    auto filesInProject = [&] { return plat::contentsOfDirectory(folder).value(); };
    const auto before = filesInProject();
    std::vector<std::string> atRefusal;
    auto refusal = plat::NotificationCenter::defaultCenter().addObserver(
        zt::kShowErrorNotification, nullptr, [&](const plat::Notification&) { atRefusal = filesInProject(); });
    auto picker = openPicker(0);
    const size_t clipsBefore = added.size();
    controller->mqMediaPicker(*picker, nullptr, songTitled("Sixty Seconds"));
    driver.wait(1);
    plat::RunLoop::main().settle();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].domain(), "AudioController");
    EXPECT_EQ(errors[0].code(), 240);
    EXPECT_EQ(atRefusal, before) << "refused with a copy of the song in the project";
    EXPECT_EQ(filesInProject(), before);
    EXPECT_TRUE(activities.empty()) << "nothing was imported";
    EXPECT_EQ(added.size(), clipsBefore);
}

TEST_F(AudioPickerScreen, AProtectedOrVanishedSongShowsTheProtectedMusicAlertAndAddsNothing)
{
    auto picker = openPicker(0);
    controller->mqMediaPicker(*picker, nullptr, songTitled("Locked Song"));
    driver.wait(1);
    auto alert = shownAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Error");
    EXPECT_EQ(alert->message(),
        "Access denied. This music is protected by a digital right management system and cannot be used.");
    EXPECT_TRUE(added.empty());
    EXPECT_TRUE(activities.empty());
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);

    // A library of its own whose song goes between the listing and the pick.
    std::string folder = sandbox.path("vanishing");
    auto song = plat::test::GeneratedMusicLibrary::shared().song("Golf");
    ASSERT_TRUE(plat::test::GeneratedMusicLibrary::writeSong(folder, song));
    plat::test::useMusicLibraryFolder(folder);
    auto golf = songTitled("Golf");
    ASSERT_NE(golf, nullptr);
    ASSERT_TRUE(plat::removeItem(plat::appendingPathComponent(folder, song.file)).ok());
    auto second = openPicker(0);
    controller->mqMediaPicker(*second, nullptr, golf);
    driver.wait(1);
    EXPECT_NE(shownAlert(), nullptr);
    EXPECT_TRUE(added.empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(AudioPickerScreen, CancellingDismissesThePickerAndAddsNothing)
{
    auto picker = openPicker(0);
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(controller->mediaPicker(), nullptr);
    EXPECT_TRUE(added.empty());
}

TEST_F(AudioPickerScreen, TheAppsSoundsBecomeASoundOrTheMusicByTheirLength)
{
    openPicker(4);
    ASSERT_TRUE(driver.tap("Pop"));
    driver.wait(1);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->type(), zt::AudioClip::SoundEffect);
    EXPECT_EQ(added[0]->name(), "Pop");
    EXPECT_TRUE(inProject("effect_pop.caf"));
    EXPECT_EQ(root->presentedViewController(), nullptr);

    openPicker(4);
    ASSERT_TRUE(driver.tap("Theme Music"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Sunny Day"));
    driver.wait(1);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[1]->type(), zt::AudioClip::Music);
    EXPECT_TRUE(inProject("theme_sunny_day.m4a"));
}

class RecordingsList : public AudioPickerScreen {
protected:
    void SetUp() override
    {
        AudioPickerScreen::SetUp();
        std::string folder = *project->getProjectPath();
        auto recorded = plat::test::runFFmpeg(folder,
            {"-f", "lavfi", "-i", "sine=frequency=300:duration=2", "-c:a", "pcm_s16le", projectFile(kRecording)});
        ASSERT_EQ(recorded.exitCode, 0) << recorded.output;
        ASSERT_TRUE(plat::writeFileAtomically(projectFile("notes.txt"), std::string_view("notes")).ok());
        zt::AudioController::createSharedAudioInboxFolder();
        inboxSong = plat::appendingPathComponent(zt::AudioController::sharedAudioInboxPath(), "song.mp3");
        ASSERT_TRUE(plat::copyItem(plat::test::GeneratedMusicLibrary::shared().path(
                                       plat::test::GeneratedMusicLibrary::shared().song("Alpha").file),
            inboxSong, plat::ReplaceExisting::No)
                        .ok());
    }

    static constexpr const char* kRecording = "record-2014-05-01-10-30-00.caf";
    std::string inboxSong;
};

TEST_F(RecordingsList, ListsTheProjectsRecordingsThenTheInboxAllAsRecordings)
{
    auto picker = openPicker(1);
    ASSERT_TRUE(driver.tap("Recordings"));
    driver.wait(1);
    const auto& items = picker->projectAudioViewController()->mediaItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->title(), zt::QVRecordQueryViewController::titleForRecording(kRecording));
    EXPECT_TRUE(items[0]->title().starts_with("Record: ")) << items[0]->title();
    EXPECT_EQ(items[1]->title(), "song");
    EXPECT_TRUE(items[0]->isRecord());
    EXPECT_TRUE(items[1]->isRecord());
    expectPicture("picker_recordings");
}

TEST_F(RecordingsList, APickedRecordingIsAVoiceOverNamedByItsLength)
{
    openPicker(1);
    ASSERT_TRUE(driver.tap("Recordings"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("song"));
    driver.wait(1);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->type(), zt::AudioClip::VoiceOver);
    EXPECT_EQ(added[0]->name(), "song") << "only recordings named by their date are named by their length";
    EXPECT_TRUE(inProject("song.mp3")) << "the inbox's sound is copied in";
}

TEST_F(RecordingsList, DeletingARecordingRemovesItAndItsClipsButAnInboxRowOnlyTheInboxFile)
{
    auto recording = addFile(projectFile(kRecording), 5, zt::AudioClip::VoiceOver);
    ASSERT_NE(recording, nullptr);
    EXPECT_EQ(recording->name(), "00:02");
    // A project sound of the inbox file's name, which is another sound.
    ASSERT_TRUE(plat::copyItem(projectFile(kRecording), projectFile("song.mp3"), plat::ReplaceExisting::No).ok());
    auto picker = openPicker(1);
    ASSERT_TRUE(driver.tap("Recordings"));
    driver.wait(1);
    auto list = picker->projectAudioViewController();
    auto table = list->tableView();
    ASSERT_EQ(table->numberOfRowsInSection(0), 2);

    list->tableViewCommitEditingStyleForRowAtIndexPath(*table, plat::TableViewCellEditingStyle::Delete, {0, 1});
    driver.wait(1);
    EXPECT_FALSE(plat::fileExists(inboxSong));
    EXPECT_TRUE(inProject("song.mp3")) << "the project's own file of that name stays";
    EXPECT_EQ(table->numberOfRowsInSection(0), 1);

    list->tableViewCommitEditingStyleForRowAtIndexPath(*table, plat::TableViewCellEditingStyle::Delete, {0, 0});
    driver.wait(1);
    EXPECT_FALSE(inProject(kRecording));
    EXPECT_TRUE(controller->audioTracks()[0].empty() && controller->audioTracks()[1].empty());
    EXPECT_EQ(table->numberOfRowsInSection(0), 0);
    EXPECT_TRUE(list->mediaItems().empty());
}

// The inbox takes any sound FFmpeg reads; each is listed, picked at its
// frame, heard where it was placed as the project plays and in its movie.
TEST_F(RecordingsList, SoundsOfEveryKindInTheInboxAreListedPlayedAndMixedIntoTheMovie)
{
    struct Kind {
        const char* name;
        std::vector<std::string> encoding;  // ffmpeg's output options
    };
    const Kind kinds[] = {{"FLAC.flac", {"-c:a", "flac"}}, {"Ogg.ogg", {"-c:a", "libvorbis"}},
        {"Opus.opus", {"-c:a", "libopus"}}, {"MP2.mp2", {"-c:a", "mp2"}}, {"AC-3.ac3", {"-c:a", "ac3"}},
        {"Ringtone.m4r", {"-c:a", "aac", "-f", "ipod"}}};
    for (const Kind& kind : kinds) {
        std::vector<std::string> arguments {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=0.4"};
        arguments.insert(arguments.end(), kind.encoding.begin(), kind.encoding.end());
        arguments.push_back(kind.name);
        auto made = plat::test::runFFmpeg(sounds.path(), arguments);
        ASSERT_EQ(made.exitCode, 0) << made.output;
        ASSERT_TRUE(zt::AudioController::importAudioFromFileURL(plat::URL::fileURLWithPath(sounds.path(kind.name))));
    }
    constexpr int64_t kFramesApart = 3;  // 0.6 s at 5 frames a second
    for (size_t i = 0; i < std::size(kinds); ++i) {
        auto picker = openPicker(kFramesApart * static_cast<int64_t>(i));
        ASSERT_TRUE(driver.tap("Recordings"));
        driver.wait(1);
        auto list = picker->projectAudioViewController();
        const auto& items = list->mediaItems();
        const std::string title = plat::deletingPathExtension(kinds[i].name);
        auto row = std::find_if(items.begin(), items.end(), [&](const auto& item) { return item->title() == title; });
        ASSERT_NE(row, items.end()) << title << " is not listed";
        list->tableViewDidSelectRowAtIndexPath(*list->tableView(), {0, row - items.begin()});
        driver.wait(1);
    }
    ASSERT_EQ(added.size(), std::size(kinds));

    std::vector<int16_t> played;
    plat::AudioOutput::shared().setMonitor([&played](const float* samples, int64_t count) {
        for (int64_t i = 0; i < count; ++i)
            played.push_back(static_cast<int16_t>(samples[i * plat::AudioOutput::kChannels] * 32767));
    });
    controller->playAtTimeIndex(0, 1);
    clock.advance(3.6);
    controller->stop();
    plat::AudioOutput::shared().setMonitor({});
    auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(project);
    bool finished = false;
    renderer->exportProjectWithExportType(zt::test::movieType({320, 180}), [&finished] { finished = true; });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&finished] { return finished; }));
    ASSERT_TRUE(renderer->exportURL());
    const auto movie = plat::test::decodeAudioWithFFmpeg(sounds.path(), renderer->exportURL()->path(), 44100, 1);
    for (size_t i = 0; i < std::size(kinds); ++i) {
        SCOPED_TRACE(kinds[i].name);
        const double start = 0.6 * static_cast<double>(i);
        EXPECT_GT(plat::test::peakLevel(played, 44100, 1, start + 0.1, start + 0.3), 0.1);
        // The movie shows the first picture twice: the sound of frame i starts a frame later.
        EXPECT_GT(plat::test::peakLevel(movie, 44100, 1, start + 0.3, start + 0.5), 0.1);
    }
}

TEST(AudioPickerTexts, PlayingTimesDropPartsOfASecond)
{
    EXPECT_EQ(zt::trackLengthString(59.7), "0:59");
    EXPECT_EQ(zt::trackLengthString(60), "1:00");
    EXPECT_EQ(zt::trackLengthString(61.9), "1:01");
    EXPECT_EQ(zt::trackLengthString(125), "2:05");
    EXPECT_EQ(zt::trackLengthString(3725), "1:02:05");
    EXPECT_EQ(zt::trackLengthString(-3), "0:00");
    EXPECT_EQ(zt::trackLengthString(std::numeric_limits<double>::quiet_NaN()), "0:00");
}

TEST(AudioPickerTexts, RecordingsAreTitledByTheirDateAndOtherFilesByTheirName)
{
    plat::test::TemporarySandbox sandbox;
    std::string dated = zt::QVRecordQueryViewController::titleForRecording("record-2014-05-01-10-30-00.caf");
    EXPECT_TRUE(dated.starts_with("Record: ")) << dated;
    EXPECT_NE(dated.find("2014"), std::string::npos) << dated;
    EXPECT_EQ(zt::QVRecordQueryViewController::titleForRecording("record-holiday.caf"), "record-holiday");
    EXPECT_EQ(zt::QVRecordQueryViewController::titleForRecording("song.mp3"), "song");
}

TEST(AudioPickerLists, AFolderListsItsSoundsByTitleWithoutRegardToCase)
{
    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::TemporaryFolder folder;
    for (const char* name : {"Zebra.caf", "b.m4a", "\u00C9clair.mp3", "A.mp3", "c.txt"})
        ASSERT_TRUE(plat::writeFileAtomically(folder.path(name), std::string_view("x")).ok());
    zt::QVMediaQueryViewController list;
    list.updateLibraryFromFolderAtPath(folder.path());
    std::vector<std::string> titles;
    for (const auto& item : list.mediaItems())
        titles.push_back(item->title());
    // The locale's collation: an accented letter sorts with its base letter.
    EXPECT_EQ(titles, (std::vector<std::string> {"A", "b", "\u00C9clair", "Zebra"}));
    EXPECT_EQ(list.mediaItems()[1]->getDuration(), "0:00") << "no sound in it";
    list.updateLibraryFromFolderAtPath(std::nullopt);
    EXPECT_EQ(list.mediaItems().size(), 4u) << "no folder changes nothing";
    EXPECT_EQ(zt::QVMediaPickerItem::initWithURL(std::nullopt), nullptr);
}

TEST_F(AudioPickerScreen, TheMusicPickerHasTheLibrarysFourTabsAndOpensOnPlaylists)
{
    controller->addBackgoundMusicInView(*root, 6);
    driver.wait(1);
    auto picker = controller->mediaPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(std::dynamic_pointer_cast<zt::QVMediaPickerController>(picker), nullptr);
    EXPECT_EQ(
        tabTitles(*picker->tabBarController()), (std::vector<std::string> {"Albums", "Playlists", "Artists", "Songs"}));
    EXPECT_EQ(picker->tabBarController()->selectedIndex(), 1);
    EXPECT_EQ(controller->addAudioToFrame(), 6);
    ASSERT_TRUE(driver.tap("Road Trip"));
    driver.wait(1);
    auto songs = std::dynamic_pointer_cast<zt::MQMediaQueryViewController>(selectedList(picker));
    ASSERT_NE(songs, nullptr);
    EXPECT_EQ(songs->items().size(), 5u);
    EXPECT_FALSE(songs->itemSections());
    // The third song of the playlist: the whole playlist comes with it, in its order.
    struct Pick : zt::MQMediaPickerControllerDelegate {
        void mqMediaPicker(zt::MQMediaPickerController&, const std::shared_ptr<const plat::MediaItemCollection>& items,
            const std::shared_ptr<const plat::MediaItem>& item) override
        {
            for (const auto& song : items->items())
                titles.push_back(song->title());
            chosen = item->title();
        }
        std::vector<std::string> titles;
        std::string chosen;
    };
    auto pick = std::make_shared<Pick>();
    picker->setDelegate(pick);
    ASSERT_TRUE(driver.tap("Zulu"));
    EXPECT_EQ(pick->titles, (std::vector<std::string> {"Romeo", "Alpha", "Zulu", "Echo", "Kilo"}));
    EXPECT_EQ(pick->chosen, "Zulu");
}

TEST_F(AudioPickerScreen, AListThatShrinksBelow26CollectionsLosesItsSections)
{
    auto picker = openPicker(0);
    ASSERT_NE(picker, nullptr);
    std::shared_ptr<zt::MQMediaQueryViewController> songs = picker->songsViewController();
    ASSERT_NE(songs, nullptr);
    ASSERT_TRUE(songs->itemSections());
    std::string folder = sandbox.path("small");
    ASSERT_TRUE(
        plat::test::GeneratedMusicLibrary::writeSong(folder, plat::test::GeneratedMusicLibrary::shared().song("Golf")));
    plat::test::useMusicLibraryFolder(folder);
    songs->mediaLibraryDidChange();
    EXPECT_EQ(songs->items().size(), 1u);
    EXPECT_FALSE(songs->itemSections());
    EXPECT_EQ(songs->itemTableView()->numberOfSections(), 1);
    EXPECT_EQ(songs->itemTableView()->numberOfRowsInSection(0), 1);
}

TEST_F(AudioPickerScreen, ASongOfAFormatThatCannotBeCopiedReportsTheExportersError)
{
    tone("plain.wav", 1.0);
    plat::test::useMusicLibraryFolder(sounds.path());
    auto picker = openPicker(0);
    controller->mqMediaPicker(*picker, nullptr, songTitled("plain"));
    ASSERT_TRUE(waitForAddedClips(1));
    driver.wait(1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].domain(), "AudioExporter");
    EXPECT_EQ(errors[0].code(), 69);
    EXPECT_TRUE(added.empty());
}

namespace {

// A library of its own whose songs carry some, all or none of the artist and album tags.
class MusicPickerNames : public AudioPickerScreen, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    MusicPickerNames()
        : AudioPickerScreen(GetParam())
    {
    }
    void SetUp() override
    {
        AudioPickerScreen::SetUp();
        const std::string folder = sandbox.path("tagged");
        for (const auto& song : kSongs) {
            plat::test::GeneratedSong tagged;
            tagged.file = song.file;
            tagged.title = song.title;
            tagged.artist = song.artist;
            tagged.album = song.album;
            tagged.albumArtist = song.albumArtist;
            ASSERT_TRUE(plat::test::GeneratedMusicLibrary::writeSong(folder, tagged)) << song.file;
        }
        plat::test::useMusicLibraryFolder(folder);
    }

    // The library tab's list, shown.
    std::shared_ptr<zt::MQMediaQueryViewController> showTab(const char* tab)
    {
        if (!picker)
            picker = openPicker(0);
        EXPECT_TRUE(driver.tap(tab)) << tab;
        driver.wait(1);
        return std::dynamic_pointer_cast<zt::MQMediaQueryViewController>(selectedList(picker));
    }
    // The title and subtitle of every row, as the list makes them.
    static std::vector<std::pair<std::string, std::string>> rowTexts(zt::MQMediaQueryViewController& list)
    {
        std::vector<std::pair<std::string, std::string>> texts;
        auto& table = *list.itemTableView();
        for (int64_t row = 0; row < list.tableViewNumberOfRowsInSection(table, 0); ++row) {
            auto cell = list.tableViewCellForRowAtIndexPath(table, {0, row});
            auto detail = cell->detailTextLabel();
            texts.emplace_back(cell->textLabel()->text(), detail && !detail->isHidden() ? detail->text() : "");
        }
        return texts;
    }

    struct Song {
        const char* file;
        const char* title;
        const char* artist;
        const char* album;
        const char* albumArtist;
    };
    static constexpr Song kSongs[] = {
        {"kites.m4a", "Kites", "Ann", "Paper", "Ann & Co"},
        {"tide.mp3", "Tide", "Ann", "Shore", ""},
        {"drift.wav", "Drift", "Helper", "", ""},
        {"moss.mp3", "Moss", "", "Lichen", "Fern"},
        {"echo.m4a", "Echo", "", "Caves", ""},
        {"plain.mp3", "Plain", "", "", ""},
    };
    std::shared_ptr<zt::QVMediaPickerController> picker;
};

}  // namespace

TEST_P(MusicPickerNames, ASongsSubtitleIsItsAlbumAndArtistOrWhatItHasOfThem)
{
    auto songs = showTab("Songs");
    ASSERT_NE(songs, nullptr);
    EXPECT_EQ(rowTexts(*songs),
        (std::vector<std::pair<std::string, std::string>> {
            {"Drift", "Helper"},  // WAVE, artist only
            {"Echo", "Caves"}, {"Kites", "Paper - Ann & Co"},  // the album's own artist before the song's
            {"Moss", "Lichen - Fern"}, {"Plain", ""}, {"Tide", "Shore - Ann"},  // no album artist: the song's
        }));
}

TEST_P(MusicPickerNames, SongsWithoutAnArtistOrAlbumAreListedAsUnknown)
{
    auto artists = showTab("Artists");
    ASSERT_NE(artists, nullptr);
    using Rows = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(rowTexts(*artists), (Rows {{"Ann", ""}, {"Helper", ""}, {"Unknown Artist", ""}}));
    auto albums = showTab("Albums");
    ASSERT_NE(albums, nullptr);
    EXPECT_EQ(rowTexts(*albums),
        (Rows {{"Caves", ""}, {"Lichen", "Fern"}, {"Paper", "Ann & Co"}, {"Shore", "Ann"}, {"Unknown Album", ""},
            {"Unknown Album", "Helper"}}));
}

TEST_P(MusicPickerNames, TheUnknownArtistOpensTheAlbumsOfSongsWithoutAnArtist)
{
    ASSERT_NE(showTab("Artists"), nullptr);
    ASSERT_TRUE(driver.tap("Unknown Artist"));
    driver.wait(1);
    auto albums = std::dynamic_pointer_cast<zt::MQMediaQueryViewController>(selectedList(picker));
    ASSERT_NE(albums, nullptr);
    EXPECT_EQ(albums->title(), "Unknown Artist");
    EXPECT_EQ(rowTexts(*albums),
        (std::vector<std::pair<std::string, std::string>> {{"Caves", ""}, {"Lichen", "Fern"}, {"Unknown Album", ""}}));
    ASSERT_TRUE(driver.tap("Unknown Album"));
    driver.wait(1);
    auto album = std::dynamic_pointer_cast<zt::MQAlbumViewController>(selectedList(picker));
    ASSERT_NE(album, nullptr);
    EXPECT_EQ(album->title(), "Unknown Artist");
    EXPECT_NE(driver.findView("Unknown Album"), nullptr) << "the album's name in its header";
    EXPECT_NE(driver.findView("Plain"), nullptr);
}

TEST_P(MusicPickerNames, EveryNameAndSubtitleOfTheListsStandsOutFromTheRow)
{
    constexpr double kScreenScale = 2;
    constexpr double kReadable = 4.5;  // no text of the rows is large
    for (const char* tab : {"Songs", "Artists", "Albums"}) {
        auto list = showTab(tab);
        ASSERT_NE(list, nullptr) << tab;
        auto table = list->itemTableView();
        const plat::Rect shown = table->convertRect(table->bounds(), nullptr);
        for (const auto& cell : table->visibleCells()) {
            for (const auto& label : {cell->textLabel(), cell->detailTextLabel()}) {
                if (!label || label->isHidden() || label->text().empty())
                    continue;
                const plat::Rect area = label->convertRect(label->bounds(), nullptr);
                if (area.maxY() > shown.maxY())
                    continue;  // partly below the list's end
                // Word by word: a lone dash reads worse than the words around it.
                for (const auto& piece : plat::test::measureTextPieces(*window, *label, kScreenScale))
                    EXPECT_GE(piece.contrast.ratio, kReadable)
                        << tab << ": " << label->text() << " at " << piece.left << ", " << piece.top;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, MusicPickerNames, plat::test::bothIdioms(), plat::test::idiomName);
