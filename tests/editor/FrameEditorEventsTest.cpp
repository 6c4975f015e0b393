// What the frame editor does when the other subsystems tell it something,
// and the panels it hosts: each notification's reaction, payloads that are
// missing or of the wrong kind, the clip editor, the fly-in of a new clip,
// the heads-up display and the look overlays.
#include "audio/AudioConfigurationViewController.h"
#include "audio/AudioController.h"
#include "audio/AudioRecorderViewController.h"
#include "document/AudioClip.h"
#include "editor/FrameEditorHelp.h"
#include "editor/FrameEditorTestSupport.h"
#include "editor/PlayerViewController.h"
#include "editor/StripItemViews.h"
#include "platform/foundation/ErrorObject.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/Path.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/KeyframeAnimation.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationController.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "uikit/Carousel.h"
#include "uikit/Hudy.h"
#include <thread>

namespace {

using zt::FrameEditorViewController;
using zt::test::FrameEditorScene;
using zt::test::TabletFrameEditorScene;

const char* const kObservedNames[] = {"AddFrameNotification", "GotoCaptureFrameNotification",
    "MovieEffectDidChangeNotification", "OutlineHasChangedNotification", "ThemeDoneNotification",
    "ThemeDidChangeNotification", "ThemeRenderingFinishedNotification", "ThemeShowTitleNotification",
    "FrameEditorHelpCloseNotification", "ShowActivityNotification", "HideActivityNotification", "ShowHUDNotification",
    "ShowErrorNotification", "AudioControllerAddAudioNotification", "AudioControllerRemoveClipNotification",
    "ShowAudioControllerNotification", "AudioControllerDoneNotification", "ThemeCardEditFinishedNotification",
    "AspectRatioMaskDidChangeNotification", "FadeInOutDidChangeNotification", "ForegroundDidChangeNotification"};

plat::Dictionary clipPayload(int type, int64_t track, const std::string& name)
{
    auto clip = std::make_shared<zt::AudioClip>();
    clip->setType(type);
    clip->setTrack(track);
    clip->setName(name);
    return plat::Dictionary {{zt::kClipKey, clip}};
}

// Each lane of the item lies whole in the strip's place on the screen.
void expectLanesWhole(const plat::View& container, plat::View& item, const plat::Window& window)
{
    const plat::Rect shown = container.convertRect(container.bounds(), nullptr);
    for (int64_t track = 0; track < 3; ++track) {
        auto lane = item.viewWithTag(zt::detail::kFirstLaneTag + track);
        ASSERT_NE(lane, nullptr);
        const plat::Rect onScreen = lane->convertRect(lane->bounds(), nullptr);
        EXPECT_TRUE(onScreen.minY() >= shown.minY() && onScreen.maxY() <= shown.maxY()
            && shown.maxY() <= window.bounds().maxY())
            << "track " << track << " at " << plat::stringFromRect(onScreen) << " in " << plat::stringFromRect(shown);
    }
}

// What a person sees of each control and text that the view holds (but
// for those under `skipped`), neither hidden nor faded out: a button's icon
// and title, another control whole, a label that shows a text; each with
// the name of what it belongs to.
struct SeenPart {
    std::shared_ptr<plat::View> view;
    std::string name;
};

void collectSeenParts(const std::shared_ptr<plat::View>& view, const std::vector<const plat::View*>& skipped,
    std::vector<SeenPart>& parts)
{
    if (view->isHidden() || view->alpha() <= 0.01
        || std::find(skipped.begin(), skipped.end(), view.get()) != skipped.end())
        return;
    if (auto button = std::dynamic_pointer_cast<plat::Button>(view)) {
        const std::string name = button->accessibilityLabel();
        if (button->imageView()->image())
            parts.push_back({button->imageView(), name + " (its icon)"});
        if (!button->titleLabel()->text().empty())
            parts.push_back({button->titleLabel(), name + " (its title)"});
        if (button->imageView()->image() || !button->titleLabel()->text().empty())
            return;
    }
    auto label = std::dynamic_pointer_cast<plat::Label>(view);
    if (std::dynamic_pointer_cast<plat::Control>(view) || (label && !label->text().empty())) {
        parts.push_back({view, view->accessibilityLabel()});
        return;
    }
    for (const auto& subview : view->subviews())
        collectSeenParts(subview, skipped, parts);
}

template <class Scene> class EditorEventsOn : public Scene {
protected:
    // Whatever of the editor the panel lies over lies wholly under it: none
    // of its controls or texts is cut across by the panel's edge.
    void expectNothingCutAcrossBy(const plat::View& panel)
    {
        const plat::Rect covered = panel.convertRect(panel.bounds(), nullptr);
        std::vector<SeenPart> parts;
        collectSeenParts(this->editor->view(), {&panel, this->editor->btnCloseModalController().get()}, parts);
        for (const auto& [part, name] : parts) {
            const plat::Rect place = part->convertRect(part->bounds(), nullptr);
            const bool meets = place.minX() < covered.maxX() && covered.minX() < place.maxX()
                && place.minY() < covered.maxY() && covered.minY() < place.maxY();
            const bool under = place.minX() >= covered.minX() && place.maxX() <= covered.maxX()
                && place.minY() >= covered.minY() && place.maxY() <= covered.maxY();
            EXPECT_TRUE(!meets || under) << name << " at " << plat::stringFromRect(place)
                                         << " is cut across by the panel at " << plat::stringFromRect(covered);
        }
    }

    void expectTheVoiceOverPanelAndTheClipEditorToCutNothingAcross()
    {
        this->open(4);
        this->editor->actionAudio();
        this->driver.wait(1);
        auto recorder = this->editor->audioRecorderView();
        ASSERT_NE(recorder, nullptr);
        {
            SCOPED_TRACE("the voice-over panel");
            expectNothingCutAcrossBy(*recorder->view());
        }
        recorder->removeRecorderIfNotRecording();
        this->driver.wait(1);
        ASSERT_EQ(this->editor->audioRecorderView(), nullptr);
        this->post("ShowAudioControllerNotification", clipPayload(zt::AudioClip::VoiceOver, 0, "Voice"));
        this->driver.wait(1);
        auto clipEditor = this->editor->audioConfigurationController();
        ASSERT_NE(clipEditor, nullptr);
        {
            SCOPED_TRACE("the clip editor");
            expectNothingCutAcrossBy(*clipEditor->view());
        }
        // Closed, it gives back what it faded.
        this->post("AudioControllerDoneNotification");
        this->driver.wait(1);
        for (const auto& shown : {this->outlets().viewLeftControls, this->outlets().viewRightControls})
            EXPECT_EQ(shown->alpha(), 1.0);
    }

    // A song under six pictures: wherever its band is drawn along one item
    // of the strip, a tap there opens the clip editor on the song.
    void expectEveryPointOfASongsBandToOpenIt()
    {
        this->open(6);
        const std::string song = this->sandbox.path("tmp/song.wav");
        auto made = plat::test::runFFmpeg(this->sandbox.path("tmp"),
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=5", "-c:a", "pcm_s16le", song});
        ASSERT_EQ(made.exitCode, 0) << made.output;
        this->editor->audioController()->addAudioFromFile(song, 0, std::string("Song"), zt::AudioClip::Music);
        this->driver.wait(2);
        this->goTo(2);
        auto item = this->strip().outlets().carousel->itemViewAtIndex(3);
        ASSERT_NE(item, nullptr);
        // The song runs through item 3: its band there is one item wide.
        auto band = item->viewWithTag(zt::detail::kFirstLaneTag + 2)->viewWithTag(zt::detail::kLaneBarTag);
        const plat::Rect drawn = band->convertRect(band->bounds(), nullptr);
        const plat::test::Rgba songBlue {52, 152, 219, 255};
        for (double share : {0.02, 0.3, 0.5, 0.7, 0.8, 0.9, 0.98}) {
            const plat::Point point {drawn.minX() + share * drawn.width(), drawn.midY()};
            SCOPED_TRACE(plat::stringFromPoint(point));
            this->editor->showAudioTimeLine();
            this->driver.wait(1);
            constexpr int kScreenScale = 2;
            EXPECT_LE(plat::test::componentDistance(
                          plat::test::pixelAt(*this->driver.screenshot(), static_cast<int>(point.x * kScreenScale),
                              static_cast<int>(point.y * kScreenScale)),
                          songBlue),
                8)
                << "the band is drawn there";
            this->driver.tapAt(point);
            this->driver.wait(1);
            auto clipEditor = this->editor->clipEditor();
            EXPECT_TRUE(clipEditor && clipEditor->audioClip()->name() == "Song");
            this->post("AudioControllerDoneNotification");
            this->driver.wait(1);
        }
    }

    // A new sound lands with the strip on its sound page, and the page stays.
    void addASoundAndExpectEveryLaneWhole()
    {
        this->open(4);
        this->post("AudioControllerAddAudioNotification", clipPayload(zt::AudioClip::Music, 2, "Song"));
        this->driver.wait(8);
        auto item = this->editor->playerViewController()->outlets().carousel->itemViewAtIndex(1);
        ASSERT_NE(item, nullptr);
        expectLanesWhole(*this->outlets().viewPlayerViewController, *item, *this->window);
    }
};
class FrameEditorEvents : public EditorEventsOn<FrameEditorScene> { };
class TabletFrameEditorEvents : public EditorEventsOn<TabletFrameEditorScene> { };

TEST_F(FrameEditorEvents, NotificationsWithoutTheirPayloadOrWithTheWrongKindAreIgnored)
{
    open(4);
    goTo(2);
    for (const char* name : kObservedNames) {
        post(name);
        for (const char* key : {"FRAME", "CLIP", "INFO", "ERROR", "HIDE_AFTER", "OUTLINE_LAST_CARD_USED"})
            post(name, plat::Dictionary {{key, plat::Array {1, "two"}}});
    }
    driver.wait(1);
    EXPECT_EQ(frames().count(), 5);
    EXPECT_EQ(editor->audioConfigurationController(), nullptr);
    EXPECT_EQ(editor->hudy(), nullptr);
    EXPECT_EQ(shownAlert(), nullptr);
    EXPECT_EQ(editor->btnCloseModalController(), nullptr);
}

TEST_F(FrameEditorEvents, ANewFrameZoomsInShowsTheThumbnailsAndIsAddedToTheStrip)
{
    open(4);
    editor->zoomOut();
    editor->showAudioTimeLine();
    driver.wait(1);
    zt::ImageProducer producer(project);
    zt::Frame frame(zt::FrameTypePicture);
    ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, {250, 0, 0, 255}), frame.frameID()));
    frames().insertFrame(frame, frames().getCaptureIndex());
    post("AddFrameNotification", plat::Dictionary {{"FRAME", frame.encode()}});
    driver.wait(1);
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedIn);
    EXPECT_EQ(outlets().viewPlayerViewController->contentOffset().y, 0) << "the thumbnail lane";
    EXPECT_EQ(strip().getCurrentFrame(), 4) << "the new frame is shown";
    EXPECT_TRUE(editor->timeLineNeedsUpdateFlag());
}

TEST_F(FrameEditorEvents, AFrameThatIsNotInTheProjectIsNotShown)
{
    open(2);
    goTo(1);
    zt::Frame stranger(zt::FrameTypePicture);
    post("AddFrameNotification", plat::Dictionary {{"FRAME", stranger.encode()}});
    driver.wait(1);
    EXPECT_EQ(strip().getCurrentFrame(), 1);
    EXPECT_FALSE(editor->timeLineNeedsUpdateFlag());
}

TEST_F(FrameEditorEvents, AnActivityWithoutATimeHidesAfterTwentySeconds)
{
    open(2);
    post("ShowActivityNotification", plat::Dictionary {{"INFO", "Importing"}});
    driver.wait(0.5);
    auto shown = editor->hudy();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->caption(), "Importing");
    EXPECT_TRUE(shown->isActivity());
    EXPECT_EQ(shown->dismissAfterTime(), 20);
    EXPECT_NE(shown->view()->superview(), nullptr);
    driver.wait(19);
    EXPECT_NE(shown->view()->superview(), nullptr);
    driver.wait(1.5);
    EXPECT_EQ(shown->view()->superview(), nullptr);
}

TEST_F(FrameEditorEvents, ANewDisplayReplacesTheLastAndHideKeepsTheObject)
{
    open(2);
    post("ShowActivityNotification", plat::Dictionary {{"INFO", "One"}, {"HIDE_AFTER", 3}});
    driver.wait(0.5);
    auto first = editor->hudy();
    post("ShowHUDNotification", plat::Dictionary {{"INFO", "Two"}});
    driver.wait(0.5);
    auto second = editor->hudy();
    ASSERT_NE(second, first);
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_FALSE(second->isActivity());
    post("HideActivityNotification");
    driver.wait(0.5);
    EXPECT_EQ(editor->hudy(), second);
    EXPECT_EQ(second->view()->superview(), nullptr);
}

TEST_F(FrameEditorEvents, ADisplayAskedForFromAnotherThreadShowsOnTheMainThread)
{
    open(2);
    std::thread sender([] {
        plat::NotificationCenter::defaultCenter().post(
            "ShowHUDNotification", nullptr, plat::Dictionary {{"INFO", "From afar"}});
    });
    sender.join();
    EXPECT_EQ(editor->hudy(), nullptr) << "not on the sender's thread";
    driver.wait(0.5);
    ASSERT_NE(editor->hudy(), nullptr);
    EXPECT_EQ(editor->hudy()->caption(), "From afar");
}

TEST_F(FrameEditorEvents, AnErrorIsShownWithItsOwnText)
{
    open(2);
    post("ShowErrorNotification",
        plat::Dictionary {{"ERROR", std::make_shared<plat::ErrorObject>(plat::Error("Audio", 3, "No room here."))}});
    EXPECT_EQ(alertText(), "Error\nNo room here.");
}

TEST_F(FrameEditorEvents, APhotoAccessErrorGetsTheTextThatSaysWhereToAllowIt)
{
    open(2);
    editor->showError(
        plat::Error(plat::kAssetsLibraryErrorDomain, plat::kAssetsLibraryAccessUserDeniedError, "User denied access"));
    EXPECT_EQ(alertText(),
        "Error\nZantrope may not use your photos. To import them, allow it in the privacy settings of your device.");
}

TEST_F(FrameEditorEvents, AnErrorWithoutTextNamesItsDomainAndCode)
{
    open(2);
    editor->showError(plat::Error("Somewhere", 42, ""));
    EXPECT_EQ(alertText(), "Error\nOops. An unexpected error occurred. (Somewhere-42)");
    closeAlert();
    editor->showError(std::nullopt);
    EXPECT_EQ(alertText(), "<no alert>");
}

TEST_F(FrameEditorEvents, TheClipEditorOpensOnceAndDoneClosesItAndEnablesTheToolbar)
{
    open(4);
    post("ShowAudioControllerNotification", clipPayload(zt::AudioClip::VoiceOver, 0, "Voice"));
    auto panel = editor->audioConfigurationController();
    ASSERT_NE(panel, nullptr);
    post("ShowAudioControllerNotification", clipPayload(zt::AudioClip::VoiceOver, 0, "Again"));
    EXPECT_EQ(editor->audioConfigurationController(), panel) << "a second request is ignored";
    driver.wait(0.25);  // springs in over 0.25 s
    EXPECT_EQ(panel->view()->frame(), plat::makeRect(0, 320 - 202, 568, 202));
    EXPECT_FALSE(outlets().btnPlay->isEnabled());
    EXPECT_FALSE(outlets().btnHelp->isEnabled());
    ASSERT_NE(editor->btnCloseModalController(), nullptr);

    post("AudioControllerDoneNotification");
    EXPECT_EQ(editor->btnCloseModalController(), nullptr);
    EXPECT_TRUE(outlets().btnPlay->isEnabled());
    driver.wait(0.24);
    EXPECT_EQ(editor->audioConfigurationController(), panel) << "springs out over 0.25 s";
    driver.wait(0.02);
    EXPECT_EQ(editor->audioConfigurationController(), nullptr);
    EXPECT_EQ(panel->view()->superview(), nullptr);
}

TEST_F(FrameEditorEvents, RemovingTheClipClosesTheClipEditorToo)
{
    open(4);
    post("ShowAudioControllerNotification", clipPayload(zt::AudioClip::Music, 0, "Song"));
    driver.wait(1);
    post("AudioControllerRemoveClipNotification", clipPayload(zt::AudioClip::Music, 0, "Song"));
    driver.wait(1);
    EXPECT_EQ(editor->audioConfigurationController(), nullptr);
}

TEST_F(FrameEditorEvents, OnAPhoneTheVoiceOverPanelAndTheClipEditorCutNoControlOrTextAcross)
{
    expectTheVoiceOverPanelAndTheClipEditorToCutNothingAcross();
}

TEST_F(TabletFrameEditorEvents, OnATabletTheVoiceOverPanelAndTheClipEditorCutNoControlOrTextAcross)
{
    expectTheVoiceOverPanelAndTheClipEditorToCutNothingAcross();
}

TEST_F(FrameEditorEvents, OnAPhoneATapAnywhereOnASongsBandOpensTheClipEditor)
{
    expectEveryPointOfASongsBandToOpenIt();
}

TEST_F(TabletFrameEditorEvents, OnATabletATapAnywhereOnASongsBandOpensTheClipEditor)
{
    expectEveryPointOfASongsBandToOpenIt();
}

TEST_F(TabletFrameEditorEvents, TheTabletsClipEditorIs214PointsHigh)
{
    open(4);
    post("ShowAudioControllerNotification", clipPayload(zt::AudioClip::VoiceOver, 0, "Voice"));
    driver.wait(1);
    ASSERT_NE(editor->audioConfigurationController(), nullptr);
    EXPECT_EQ(editor->audioConfigurationController()->view()->frame(), plat::makeRect(0, 768 - 214, 1024, 214));
}

TEST_F(TabletFrameEditorEvents, TheTabletsRecorderRisesAboveTheBottomOverTheFadedStrip)
{
    open(4);
    editor->actionAudio();
    auto recorder = editor->audioRecorderView();
    ASSERT_NE(recorder, nullptr);
    driver.wait(0.5);  // rises over 0.5 s
    const double height = recorder->view()->frame().height();
    EXPECT_EQ(recorder->view()->frame().minY(), 768 - height - 50);
    // Under the panel, faded, rather than lifted over the picture and the capture screen's controls.
    EXPECT_EQ(outlets().viewPlayerViewController->frame().minY(), 632);
    EXPECT_EQ(outlets().viewTimelineViewController->frame().minY(), 647);
    EXPECT_EQ(editor->playerViewController()->view()->alpha(), 0);
    EXPECT_EQ(outlets().viewLeftControls->alpha(), 0) << "the jump buttons under the panel";
    editor->hideAudioRecorder();
    driver.wait(0.49);
    EXPECT_EQ(editor->audioRecorderView(), recorder) << "goes down over 0.5 s";
    driver.wait(0.02);
    EXPECT_EQ(editor->audioRecorderView(), nullptr);
    EXPECT_EQ(outlets().viewPlayerViewController->frame().minY(), 632);
    EXPECT_EQ(outlets().viewTimelineViewController->frame().minY(), 647);
    EXPECT_EQ(editor->playerViewController()->view()->alpha(), 1);
    EXPECT_EQ(outlets().viewLeftControls->alpha(), 1);
}

TEST_F(FrameEditorEvents, ANewSoundFliesFromTheBoxToItsLaneThenTheBoxGoes)
{
    open(4);
    int hides = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        "HideActivityNotification", nullptr, [&](const plat::Notification&) { ++hides; });
    const size_t before = editor->view()->subviews().size();
    plat::NotificationCenter::defaultCenter().post(
        "AudioControllerAddAudioNotification", nullptr, clipPayload(zt::AudioClip::SoundEffect, 1, "Boing"));
    EXPECT_EQ(hides, 1) << "posted first, on the posting thread";
    driver.wait(0);
    ASSERT_EQ(editor->view()->subviews().size(), before + 1);
    auto box = editor->view()->subviews().back();
    EXPECT_EQ(box->frame(), plat::makeRect(10, 100, 200, 33));
    auto animation
        = std::dynamic_pointer_cast<const plat::KeyframeAnimation>(box->layer()->animationForKey("curveAnimation"));
    ASSERT_NE(animation, nullptr);
    ASSERT_TRUE(animation->path());
    // From the box's centre, along one curve, to (305, 1 x 30 + 242).
    const auto& elements = animation->path()->elements();
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[0].points[0], (plat::Point {110, 116.5}));
    EXPECT_EQ(elements[1].type, plat::Path::ElementType::CurveTo);
    EXPECT_EQ(animation->path()->currentPoint(), (plat::Point {305, 272}));
    auto bar = box->subviews().at(0);
    EXPECT_EQ(bar->backgroundColor(), plat::Color::colorWithRed(142 / 255.0, 68 / 255.0, 173 / 255.0, 1));
    driver.wait(0.49);
    EXPECT_NE(box->superview(), nullptr) << "flies for 0.5 s";
    driver.wait(0.02);
    EXPECT_EQ(box->superview(), nullptr);
    plat::NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(FrameEditorEvents, ANewSoundLandsOnTheStripsSoundPageWithEveryLaneWhole)
{
    addASoundAndExpectEveryLaneWhole();
}

TEST_F(TabletFrameEditorEvents, ANewSoundLandsOnTheStripsSoundPageWithEveryLaneWhole)
{
    addASoundAndExpectEveryLaneWhole();
}

TEST_F(FrameEditorEvents, TheCinemaMaskFollowsTheLook)
{
    open(2);
    auto mask = outlets().viewAspectRatioMask;
    EXPECT_TRUE(mask->isHidden());
    project->getMetaData()->set("META_RECORD_ASPECT_RATIO_MASK", true);
    post("AspectRatioMaskDidChangeNotification");
    EXPECT_FALSE(mask->isHidden());
    driver.wait(0.3);  // fades in over 0.3 s
    EXPECT_EQ(mask->alpha(), 1.0);
    project->getMetaData()->set("META_RECORD_ASPECT_RATIO_MASK", false);
    post("AspectRatioMaskDidChangeNotification");
    driver.wait(0.29);
    EXPECT_FALSE(mask->isHidden()) << "it fades out over 0.3 s first";
    driver.wait(0.02);
    EXPECT_TRUE(mask->isHidden());
}

TEST_F(FrameEditorEvents, TheForegroundPictureComesFromTheProjectFile)
{
    open(2);
    auto png = plat::PNGRepresentation(*plat::test::makeFlatImage(64, 36, {0, 255, 0, 128}));
    ASSERT_TRUE(png);
    ASSERT_TRUE(project->updateRegularFileWithContents(*png, "foreground.png"));
    project->getMetaData()->set("META_RECORD_FOREGROUND", 3);
    post("ForegroundDidChangeNotification");
    ASSERT_NE(outlets().imageViewForeground->image(), nullptr);
    EXPECT_EQ(outlets().imageViewForeground->image()->size(), (plat::Size {64, 36}));
    project->getMetaData()->set("META_RECORD_FOREGROUND", 0);
    post("ForegroundDidChangeNotification");
    EXPECT_EQ(outlets().imageViewForeground->image(), nullptr);
}

TEST_F(FrameEditorEvents, TheEffectAndTheFadeShowTheCurrentFrameAgain)
{
    open(4);
    goTo(2);
    for (const char* name : {"MovieEffectDidChangeNotification", "FadeInOutDidChangeNotification"}) {
        outlets().imageViewFrame->setImage(nullptr);
        post(name);
        EXPECT_NE(outlets().imageViewFrame->image(), nullptr) << name;
        EXPECT_EQ(editor->currentFrame(), 2) << name;
    }
}

TEST_F(FrameEditorEvents, GoingToTheCaptureFrameScrollsToThePlaceholder)
{
    open(4);
    goTo(0);
    post("GotoCaptureFrameNotification");
    driver.wait(1);
    EXPECT_EQ(editor->currentFrame(), 4);
}

TEST_F(FrameEditorEvents, WithoutAThemeTheStripGoesToThePictureBeforeThePlaceholder)
{
    open(4);
    goTo(0);
    post("ThemeDidChangeNotification", plat::Dictionary {{"OUTLINE_LAST_CARD_USED", 1}});
    EXPECT_EQ(editor->currentFrame(), 3);
    EXPECT_EQ(editor->themeLastUsedCard(), 1);
    post("OutlineHasChangedNotification");
    EXPECT_EQ(editor->themeLastUsedCard(), 1) << "kept without a payload";
}

TEST_F(FrameEditorEvents, TheTitleAndCreditsCardsAreScrolledToWhenFound)
{
    auto made = makeProject(3);
    made->getMetaData()->set("META_RECORD_THEME", 1);
    auto& list = made->getFrameList();
    list.insertFrame(zt::Frame(zt::FrameTypeTitle), 0);
    list.insertFrame(zt::Frame(zt::FrameTypeCredits), list.getCaptureIndex());
    open(made);
    goTo(2);
    post("ThemeRenderingFinishedNotification");
    EXPECT_EQ(editor->currentFrame(), 0) << "the last title card";
    // The outline changed its credits: both cards are rendered again, then the strip shows the credits.
    goTo(2);
    post("ThemeDidChangeNotification", plat::Dictionary {{"OUTLINE_LAST_CARD_USED", 1}});
    EXPECT_EQ(editor->themeLastUsedCard(), 1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return editor->currentFrame() == 4; }, 60))
        << "the first credits card, once the cards are rendered";
    EXPECT_EQ(frames().count(), 6) << "the cards the theme has stay";
    goTo(2);
    post("ThemeShowTitleNotification");
    EXPECT_EQ(editor->currentFrame(), 0);
}

TEST_F(FrameEditorEvents, WithoutCardsTheThemeNotificationsScrollNowhere)
{
    open(4);
    goTo(2);
    post("ThemeRenderingFinishedNotification");
    post("ThemeShowTitleNotification");
    EXPECT_EQ(editor->currentFrame(), 2);
}

TEST_F(FrameEditorEvents, ALookSheetSlidesUpOverACatchButtonAndThemeDoneSlidesItAway)
{
    open(4);
    auto sheet = std::make_shared<plat::ViewController>();
    editor->presentLookSheet(sheet);
    editor->presentLookSheet(std::make_shared<plat::ViewController>());  // a double tap
    auto navigation = editor->outlineNavigationController();
    ASSERT_NE(navigation, nullptr);
    EXPECT_EQ(navigation->topViewController(), sheet) << "the first sheet stays the only one";
    driver.wait(0.25);  // slides up over 0.25 s
    EXPECT_EQ(navigation->view()->frame(), plat::makeRect(0, 150, 568, 170));
    EXPECT_FALSE(outlets().btnExplorer->isEnabled());
    ASSERT_NE(editor->btnCloseModalController(), nullptr);

    post("ThemeDoneNotification");
    EXPECT_EQ(editor->btnCloseModalController(), nullptr);
    EXPECT_FALSE(outlets().btnExplorer->isEnabled()) << "the toolbar waits for the sheet to be gone";
    driver.wait(0.24);
    EXPECT_NE(navigation->view()->superview(), nullptr) << "slides away over 0.25 s";
    driver.wait(0.02);
    EXPECT_EQ(navigation->view()->superview(), nullptr);
    EXPECT_TRUE(outlets().btnExplorer->isEnabled());
    EXPECT_TRUE(editor->timeLineNeedsUpdateFlag());
}

TEST_F(FrameEditorEvents, ThemeDoneWithoutASheetLeavesAnotherPanelAlone)
{
    open(4);
    goTo(1);
    editor->showSingleFrameControls();
    post("ThemeDoneNotification");
    EXPECT_TRUE(editor->areSingleFrameControlsShown());
}

TEST_F(FrameEditorEvents, ACardEditorFadesInAndFinishingFadesItOut)
{
    open(4);
    auto cards = std::make_shared<plat::ViewController>();
    editor->presentThemeCardEditor(cards);
    EXPECT_EQ(cards->view()->superview(), editor->view());
    EXPECT_EQ(cards->view()->frame(), editor->view()->bounds()) << "a phone's fills the screen";
    driver.wait(0.25);  // fades in over 0.25 s
    EXPECT_EQ(cards->view()->alpha(), 1.0);
    post("ThemeCardEditFinishedNotification");
    driver.wait(0.24);
    EXPECT_NE(cards->view()->superview(), nullptr) << "fades out over 0.25 s";
    driver.wait(0.02);
    EXPECT_EQ(cards->view()->superview(), nullptr);
    EXPECT_EQ(editor->themeCardEditViewController(), nullptr);
}

TEST_F(FrameEditorEvents, TheHelpCloseNotificationClosesTheOverlayAndNeverOpensIt)
{
    open(4);
    post("FrameEditorHelpCloseNotification");
    EXPECT_EQ(editor->frameEditorHelp(), nullptr);
    ASSERT_TRUE(driver.tap("Help"));
    ASSERT_NE(editor->frameEditorHelp(), nullptr);
    EXPECT_TRUE(outlets().btnHelp->isSelected());
    post("FrameEditorHelpCloseNotification");
    EXPECT_EQ(editor->frameEditorHelp(), nullptr);
    EXPECT_FALSE(outlets().btnHelp->isSelected());
}

TEST_F(FrameEditorEvents, RegisteringAgainRunsEachHandlerOncePerPosting)
{
    open(2);
    editor->removeNotifications();
    editor->addNotifications();
    editor->addNotifications();
    // Each run of the handler adds a flying box.
    const size_t before = editor->view()->subviews().size();
    post("AudioControllerAddAudioNotification", clipPayload(zt::AudioClip::VoiceOver, 0, "Once"));
    EXPECT_EQ(editor->view()->subviews().size(), before + 1);
    driver.wait(1);
    editor->removeNotifications();
    post("AudioControllerAddAudioNotification", clipPayload(zt::AudioClip::VoiceOver, 0, "Nobody listens"));
    EXPECT_EQ(editor->view()->subviews().size(), before);
    editor->addNotifications();
}

class FrameEditorFrameRate : public FrameEditorEvents {
protected:
    // Ten pictures at five a second, a one-second voice at frame 4 (0.8 s in);
    // the options are opened by code, under the coach mark eleven entries bring.
    void SetUp() override
    {
        auto made = makeProject(10);
        made->getMetaData()->set("RecordFPS", 5);
        open(made);
        const std::string tone = sandbox.path("tmp/voice.wav");
        auto tonesMade = plat::test::runFFmpeg(sandbox.path("tmp"),
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1", "-c:a", "pcm_s16le", tone});
        ASSERT_EQ(tonesMade.exitCode, 0) << tonesMade.output;
        editor->audioController()->addAudioFromFile(tone, 4, std::nullopt, zt::AudioClip::VoiceOver);
        driver.wait(1);
        ASSERT_NEAR(voiceStart(), 0.8, 1e-6);
        editor->actionMore();
        driver.wait(1);
        ASSERT_NE(editor->popoverController(), nullptr);
    }
    // Where the voice starts and how long it lasts in the movie, in seconds; -1 without a voice.
    double voiceStart() const { return voiceRange().first; }
    std::pair<double, double> voiceRange() const
    {
        for (const auto& track : editor->audioController()->audioTracks()) {
            for (const auto& clip : track) {
                if (clip)
                    return {clip->timeRangeInMovie().start.seconds(), clip->timeRangeInMovie().duration.seconds()};
            }
        }
        return {-1, -1};
    }
    void closeOptionsAt(int64_t fps)
    {
        project->getMetaData()->set("RecordFPS", fps);
        editor->popoverControllerDidDismissPopover(*editor->popoverController());
    }
};

TEST_F(FrameEditorFrameRate, LoweringTheRateMovesTheClipsWithTheirFrames)
{
    closeOptionsAt(2);
    EXPECT_NEAR(voiceStart(), 2.0, 1e-6) << "frame 4 at two a second";
}

TEST_F(FrameEditorFrameRate, RaisingTheRateOnlyFitsTheClipsToTheirRoom)
{
    closeOptionsAt(10);
    EXPECT_NEAR(voiceStart(), 0.4, 1e-6) << "frame 4 at ten a second";
    // Ten pictures at ten a second end at 1.0 s: 0.6 s of room from frame 4.
    EXPECT_NEAR(voiceRange().second, 0.6, 1e-6) << "the second of sound is cut to its room";
}

TEST_F(FrameEditorFrameRate, TheSameRateChangesNothing)
{
    const auto before = voiceRange();
    closeOptionsAt(5);
    EXPECT_EQ(voiceRange(), before);
}

}  // namespace
