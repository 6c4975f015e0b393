#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/AudioRecorderViewController.h"
#include "editor/FrameEditDelegate.h"
#include "editor/MediaSelectionViewController.h"
#include "editor/PreviewPlayer.h"
#include "editor/UnreadablePictureNote.h"
#include "painter/PainterViewController.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ViewController.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/HelpManagerDelegate.h"

namespace plat {
class Button;
class GestureRecognizer;
class ImageView;
class Label;
class NavigationController;
class ScrollView;
class View;
}  // namespace plat

namespace zt {
class AudioClip;
class AudioConfigurationViewController;
class AudioController;
class CaptureViewController;
class FrameEditorHelp;
struct FrameEditorHelpControls;
class FrameList;
class Frame;
class HelpManager;
class Hudy;
class ImageProducer;
class MainViewControllerDelegate;
class PlayerViewController;
class ProjectModel;
class ThemeMovieHandler;
class TimelineViewController;

// The editing screen of one open project: the big picture of the current
// frame with its look layers (fade, foreground, cinema mask), two toolbar
// panels beside it, and below it the strip or (zoomed out) the timeline. It
// owns the preview player and the project's audio controller; on a tablet
// it embeds the capture screen, whose front onion view is then the big
// picture. It is the hub the other subsystems talk to: it observes their
// notifications, hosts the voice-over recorder, the clip editor and the
// single-frame controls over its own view, and presents the crop editor.
// Set-up, states and closing are in FrameEditorViewController.cpp, zoom,
// playback and the single-frame editors' presentation in ...Playback.cpp,
// the toolbar actions and frame edits in ...Actions.cpp, the notification
// handlers in ...Events.cpp, the panels in ...Panels.cpp and help in
// ...Help.cpp. Main thread; the handlers of notifications that
// a background sender may post move their view work onto the main queue.
class FrameEditorViewController : public plat::ViewController,
                                  public FrameEditDelegate,
                                  public AudioRecorderViewDelegate,
                                  public PreviewPlayerDelegate,
                                  public MediaSelectionDelegate,
                                  public HelpManagerDelegate,
                                  public PainterViewDelegate,
                                  public BubblePopoverControllerDelegate {
public:
    static constexpr const char* kPhoneLayout = "FrameEditorViewController";
    static constexpr const char* kTabletLayout = "FrameEditorViewController_iPad";

    // currentFrameEditorState
    static constexpr int32_t kZoomedOut = 0;  // the timeline shows
    static constexpr int32_t kZoomedIn = 1;  // the strip shows

    static constexpr double kZoomSeconds = 0.3;
    static constexpr const char* kZoomAnimationKey = "ZoomIn";
    static constexpr double kFullScreenSpringSeconds = 0.3;
    static constexpr double kShrinkBackSeconds = 1.0;
    static constexpr double kSpringDamping = 1.0;
    static constexpr double kSpringVelocity = 10.0;
    static constexpr double kCloseFadeSeconds = 0.25;
    static constexpr double kAppearFadeSeconds = 0.5;
    static constexpr double kLookSheetSeconds = 0.25;
    static constexpr double kLookSheetTopPhone = 150.0;
    static constexpr double kLookSheetTopTablet = 476.0;
    static constexpr double kLookSheetStartHeight = 170.0;
    static constexpr double kCardEditorFadeSeconds = 0.25;
    static constexpr double kRecorderSeconds = 0.5;
    static constexpr double kRecorderTabletMargin = 50;
    static constexpr double kStripTopTablet = 632.0;
    static constexpr double kTimelineTopTablet = 647.0;
    static constexpr double kPanelSpringSeconds = 0.25;
    static constexpr double kClipEditorHeightPhone = 202;
    static constexpr double kClipEditorHeightTablet = 214;
    static constexpr double kSingleFrameControlsLift = 50;
    static constexpr double kFlyInSeconds = 0.5;
    static constexpr double kMaskFadeSeconds = 0.3;
    static constexpr double kCinemaRatio = 2.35;
    static constexpr double kOptionsWidth = 360.0;
    static constexpr double kOptionsHeight = 200.0;
    static constexpr double kDefaultActivitySeconds = 20;
    static constexpr double kEmptyHintFontSize = 17.0;
    static constexpr double kEmptyHintTurnRadians = 0.2;
    static constexpr double kLabelFitWidth = 260.0;
    // A project with fewer entries than this (placeholder counted) cannot be
    // played, zoomed out, given sound or a look.
    static constexpr int64_t kEntriesForPlayback = 3;

    // The views the layout connects.
    struct Outlets {
        std::shared_ptr<plat::ScrollView> viewPlayerViewController;
        std::shared_ptr<plat::View> viewTimelineViewController;
        std::shared_ptr<plat::ImageView> imageViewFrame;
        std::shared_ptr<plat::Button> btnExplorer;
        std::shared_ptr<plat::Button> btnAudio;
        std::shared_ptr<plat::Button> btnCamera;
        std::shared_ptr<plat::Button> btnMore;
        std::shared_ptr<plat::Button> btnPlay;
        std::shared_ptr<plat::Button> btnMusic;
        std::shared_ptr<plat::Button> btnHelp;
        std::shared_ptr<plat::Button> btnTheme;
        std::shared_ptr<plat::View> viewEmptyHelp;
        std::shared_ptr<plat::Label> labelEmptyHelp;
        std::shared_ptr<plat::View> viewRightControls;
        std::shared_ptr<plat::View> viewLeftControls;
        std::shared_ptr<plat::ImageView> viewRightControlsBg;
        std::shared_ptr<plat::ImageView> viewLeftControlsBg;
        std::shared_ptr<plat::View> viewCaptureView;
        std::shared_ptr<plat::View> viewFade;
        std::shared_ptr<plat::View> viewAspectRatioMask;
        std::shared_ptr<plat::ImageView> imageViewForeground;
        std::shared_ptr<plat::View> viewSingleFrameEditControls;
        std::shared_ptr<plat::Button> btnImageEdit;
        std::shared_ptr<plat::Button> btnImageMask;
        std::shared_ptr<plat::Button> btnImagePaint;
        std::shared_ptr<plat::Button> btnImageMerge;
        std::shared_ptr<plat::Button> btnBackward;
        std::shared_ptr<plat::Button> btnForward;
        std::shared_ptr<plat::View> viewSeperator;
        std::shared_ptr<plat::View> viewMaskUpper;
        std::shared_ptr<plat::View> viewMaskLower;
    };

    // initWithNibName:bundle:project: kPhoneLayout or kTabletLayout.
    FrameEditorViewController(std::string nibName, std::shared_ptr<ProjectModel> project);
    ~FrameEditorViewController() override;

    void setOutlets(Outlets outlets) { _outlets = std::move(outlets); }
    const Outlets& outlets() const { return _outlets; }

    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    std::shared_ptr<MainViewControllerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<MainViewControllerDelegate> delegate) { _delegate = std::move(delegate); }
    const std::shared_ptr<BubblePopoverController>& popoverController() const { return _popoverController; }
    void setPopoverController(std::shared_ptr<BubblePopoverController> popover)
    {
        _popoverController = std::move(popover);
    }

    // What the screen holds, for the screens around it and for tests.
    const std::shared_ptr<PlayerViewController>& playerViewController() const { return _playerViewController; }
    const std::shared_ptr<TimelineViewController>& timelineViewController() const { return _timelineViewController; }
    const std::shared_ptr<PreviewPlayer>& previewPlayer() const { return _previewPlayer; }
    const std::shared_ptr<AudioController>& audioController() const { return _audioController; }
    const std::shared_ptr<CaptureViewController>& captureViewController() const { return _captureViewController; }
    const std::shared_ptr<AudioRecorderViewController>& audioRecorderView() const { return _audioRecorderView; }
    const std::shared_ptr<plat::NavigationController>& audioConfigurationController() const
    {
        return _audioConfigurationController;
    }
    // The clip editor inside audioConfigurationController while it is up.
    const std::shared_ptr<AudioConfigurationViewController>& clipEditor() const { return _clipEditor; }
    const std::shared_ptr<plat::NavigationController>& outlineNavigationController() const
    {
        return _outlineNavigationController;
    }
    const std::shared_ptr<plat::ViewController>& themeCardEditViewController() const
    {
        return _themeCardEditViewController;
    }
    const std::shared_ptr<Hudy>& hudy() const { return _hudy; }
    // The help overlay while it is shown, the coach mark while it is up.
    const std::shared_ptr<FrameEditorHelp>& frameEditorHelp() const { return _frameEditorHelp; }
    const std::shared_ptr<HelpManager>& helpManager() const { return _helpManager; }
    const std::shared_ptr<plat::Button>& btnCloseModalController() const { return _btnCloseModalController; }
    int32_t currentFrameEditorState() const { return _currentFrameEditorState; }
    int32_t oldFrameEditorState() const { return _oldFrameEditorState; }
    int64_t currentFrame() const { return _currentFrame; }
    bool timeLineNeedsUpdateFlag() const { return _timeLineNeedsUpdate; }
    bool isHelpShownThisTime() const { return _isHelpShownThisTime; }
    int64_t fps() const { return _fps; }
    int64_t themeLastUsedCard() const { return _themeLastUsedCard; }
    bool isCommingBackFromCaptureView() const { return _isCommingBackFromCaptureView; }
    bool shouldPlayZoomOutAnimationFromFullScreenFrame() const
    {
        return _shouldPlayZoomOutAnimationFromFullScreenFrame;
    }
    // The picture the strip and the timeline show the current frame in: the
    // big picture, or the capture screen's front onion view on a tablet.
    std::shared_ptr<plat::ImageView> framePictureView() const;

    // Life.
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    void layoutViews();
    void addNotifications();
    void removeNotifications();
    void getCaptureViewController();
    void setupAutoShringForLabel(plat::Label& label);

    // States and controls.
    void switchState(int32_t state) { _currentFrameEditorState = state; }
    void updateGUI();
    void zoomIn();
    void zoomOut();

    // FrameEditDelegate.
    void zoomIn(plat::ViewController& sender) override;
    void zoomOut(plat::ViewController& sender) override;
    void currentFrameUpdate(int64_t index) override;
    void userStartScrolling() override;
    void timeLineNeedsUpdate() override;
    void didLoadFullResolutionImageForFrameAtIndex(int64_t index) override;
    // The note over the picture when the current frame's picture cannot be read (none until one was met).
    const std::shared_ptr<plat::Label>& unreadablePictureNote() const { return _unreadablePictureNote.label(); }

    // Preview.
    void actionPlayPreview();
    void playPreview();
    void stopPreview();
    bool isPlaying() const;

    // Single-frame editors over the screen (the crop editor, the painter).
    void presentViewControllerFromFrameEditorWithZoomIn(const std::shared_ptr<plat::ViewController>& controller);
    void dismissViewControllerFromFrameEditorWithZoomIn(
        const std::shared_ptr<plat::ViewController>& controller, int64_t frameIndex);
    void playZoomOutAnimationFromFullScreenFrame();
    // The picture's place while a single-frame editor is up on a phone: full width, 16:9.
    plat::Rect fullScreenFrame();

    // Closing.
    void actionProjectExplorer();
    // The frame identifier that becomes the project's thumbnail ("" without pictures).
    std::string linkThumbImageForProject();
    void closeController();

    // Toolbar actions and frame edits (FrameEditorViewControllerActions.cpp).
    void actionMusic();
    void actionUndoRedo();
    void actionAudio();
    void actionTheme();
    void showThemeWithPageOpen(int64_t page);
    // Slides a movie-look sheet up over the screen (the toolbar and the
    // capture screen's controls off meanwhile) with a catch button behind it.
    void presentLookSheet(const std::shared_ptr<plat::ViewController>& sheet);
    // Opens the help overlay, or closes it when it is open.
    void actionHelp();
    // Builds the overlay's bubbles for this device's layout.
    std::shared_ptr<FrameEditorHelp> prepareFrameEditorHelp();
    void showInternalHelp();
    void actionCamera();
    void actionMore();
    void actionMergeImages();
    void actionImageEdit();
    void actionDraw();
    void actionMask();
    void showPainterWithOption(int32_t option);
    void actionTextCardEdit();
    // Fades a theme-card editor in over the screen.
    void presentThemeCardEditor(const std::shared_ptr<plat::ViewController>& editor);
    void actionBackToFirstFrame();
    void actionGotoCaptureFrame();
    // An alert with a readable message; nothing for no error. Any thread.
    void showError(const std::optional<plat::Error>& error);
    // The message showError gives.
    static std::string errorMessage(const plat::Error& error);
    void updateImageEditControls();
    void showAudioTimeLine();
    void showThumbnailTimeLine();
    static plat::Rect getOrientationCorrectedRectFromRect(plat::Rect rect);

    // Notification handlers (FrameEditorViewControllerEvents.cpp).
    void receiveAddFrameNotification(const plat::Notification& notification);
    void receiveGotoCaptureFrameNotification(const plat::Notification& notification);
    void receiveMovieEffectDidChangeNotification(const plat::Notification& notification);
    void receiveFadeInOutDidChangeNotification(const plat::Notification& notification);
    void receiveFrameEditorHelpCloseNotification(const plat::Notification& notification);
    void receiveShowActivityNotification(const plat::Notification& notification);
    void receiveShowHUDNotification(const plat::Notification& notification);
    void receiveHideActivityNotification(const plat::Notification& notification);
    void receiveShowErrorNotification(const plat::Notification& notification);
    void receiveAudioControllerAddAudioNotification(const plat::Notification& notification);
    void receiveShowAudioControllerNotification(const plat::Notification& notification);
    void receiveAudioControllerDoneNotification(const plat::Notification& notification);
    void receiveAudioControllerRemoveClipNotification(const plat::Notification& notification);
    void receiveOutlineHasChangedNotification(const plat::Notification& notification);
    void receiveThemeDidChangeNotification(const plat::Notification& notification);
    void receiveThemeRenderingFinishedNotification(const plat::Notification& notification);
    void receiveThemeShowTitleNotification(const plat::Notification& notification);
    void receiveThemeDoneNotification(const plat::Notification& notification);
    void receiveThemeCardEditFinishedNotification(const plat::Notification& notification);
    void receiveAspectRatioMaskDidChangeNotification(const plat::Notification& notification);
    void receiveForegroundDidChangeNotification(const plat::Notification& notification);
    void updateApspectRatioMask();
    void updateForground();

    // Panels (FrameEditorViewControllerPanels.cpp).
    void showAudioRecorder();
    void hideAudioRecorder();
    // The views the recorder's panel fades out while it is up.
    std::vector<std::shared_ptr<plat::View>> fadedByRecorder() const;
    // The views the clip editor's panel fades out while it is up.
    std::vector<std::shared_ptr<plat::View>> fadedByClipEditor() const;
    void showAudioControllerForClip(const std::shared_ptr<AudioClip>& clip);
    void hideAudioController();
    void showSingleFrameControls();
    // The controls' toggle, used by the edits they start: closes them when shown, else nothing.
    void closeSingleFrameControls();
    bool areSingleFrameControlsShown() const;
    // The fly-in of a new clip from the left to its lane in the strip.
    void flyInAudioClip(const AudioClip& clip);
    void showActivity(const std::string& caption, double dismissAfterSeconds);
    void showHUD(const std::string& caption);
    void hideActivity();
    void handleSingeTap(plat::GestureRecognizer& recognizer);
    // PainterViewDelegate: the painter saved the frame; it is dismissed and
    // the strip shows the frame's new picture.
    void paintViewDidFinish(PainterViewController& painter, int64_t frameIndex) override;

    // AudioRecorderViewDelegate.
    void audioRecorderDidStartRecording(AudioRecorderViewController& recorder) override;
    void audioRecorderDidStopRecording(AudioRecorderViewController& recorder, const std::string& file) override;
    void audioRecorderDidCancelRecording(AudioRecorderViewController& recorder) override;
    std::optional<plat::Error> audioRecorderCannotStoreRecording(AudioRecorderViewController& recorder) override;
    // PreviewPlayerDelegate.
    void previewPlayerShowFrameAtIndex(PreviewPlayer& player, int64_t index) override;
    void previewPlayerDidStopPlay(PreviewPlayer& player) override;
    // MediaSelectionDelegate.
    void mediaSelectionDidSelect(MediaSelectionViewController& menu, int64_t row) override;
    // HelpManagerDelegate.
    void helpManangerDidFinish(HelpManager& helpManager) override;
    // BubblePopoverControllerDelegate.
    bool popoverControllerShouldDismissPopover(BubblePopoverController&) override { return true; }
    void popoverControllerDidDismissPopover(BubblePopoverController& controller) override;

private:
    using Handler = void (FrameEditorViewController::*)(const plat::Notification&);
    bool isTablet() const;
    FrameList& frameList() const;
    ImageProducer& imageProducer();
    void makeNavigators();
    void makeAudioAndPreview();
    void setUpEmptyHint();
    // Says so over the picture when it shows nothing for a frame that has a picture.
    void updateUnreadablePictureNote(int64_t index);
    void attachSingleTap();
    int64_t frameToShowOnAppearance();
    // The ten (withJumps) or eight toolbar buttons on or off.
    enum class WithJumps { No, Yes };
    void setToolbarEnabled(bool enabled, WithJumps jumps);
    void setPlaybackLockedButtonsEnabled(bool enabled);
    void disableCaptureControls(bool disabled);
    // The capture screen beside the editor shows where the next picture goes: it follows every change of the frames.
    void updateCaptureFrameCounter();
    void scaleContainer(plat::View& container, double from, double to);
    // Runs block on the main queue while the screen lives and is open.
    void onMainQueue(std::function<void(FrameEditorViewController&)> block);
    // The full-screen transparent button behind a panel; a new one removes the old.
    std::shared_ptr<plat::Button> makeCatchButton();
    void removeCatchButton(const std::shared_ptr<plat::Button>& button);
    bool isPopoverShown() const;
    // Saves the edited full picture of the frame; false (the user told) when it could not be stored.
    bool storeEditedPicture(int64_t index, const plat::Image& picture);
    void tellNotAvailableYet(const std::string& feature);
    void closeLookSheet();
    // Everything the screen runs or shows over itself is stopped and taken
    // down: playback, panels, popovers, displays, delayed calls.
    void tearDownForClosing();
    void addRecordingToProject(int64_t frame, const std::string& file);
    // Help (FrameEditorViewControllerHelp.cpp): at most one coach mark a screen life, by the frame count.
    void showCoachMarkForFrameCount(int64_t count);
    FrameEditorHelpControls helpControls();
    void closeHelp();
    void closeHelpForClosing();

    std::shared_ptr<ProjectModel> _project;
    std::weak_ptr<MainViewControllerDelegate> _delegate;
    Outlets _outlets;
    std::shared_ptr<PlayerViewController> _playerViewController;
    std::shared_ptr<TimelineViewController> _timelineViewController;
    std::shared_ptr<BubblePopoverController> _popoverController;
    std::shared_ptr<AudioRecorderViewController> _audioRecorderView;
    std::shared_ptr<PreviewPlayer> _previewPlayer;
    std::shared_ptr<AudioController> _audioController;
    std::shared_ptr<CaptureViewController> _captureViewController;
    int32_t _currentFrameEditorState = kZoomedIn;
    int32_t _oldFrameEditorState = kZoomedIn;
    int64_t _currentFrame = 0;
    UnreadablePictureNote _unreadablePictureNote;
    bool _timeLineNeedsUpdate = false;
    bool _isHelpShownThisTime = false;
    std::shared_ptr<plat::NavigationController> _outlineNavigationController;
    int64_t _themeLastUsedCard = 0;
    std::unique_ptr<ImageProducer> _imageProducer;
    std::shared_ptr<plat::ViewController> _themeCardEditViewController;
    std::shared_ptr<plat::NavigationController> _audioConfigurationController;
    std::shared_ptr<AudioConfigurationViewController> _clipEditor;
    int64_t _fps = 0;
    bool _isCommingBackFromCaptureView = false;
    std::shared_ptr<plat::Button> _btnCloseModalController;
    std::shared_ptr<Hudy> _hudy;
    std::shared_ptr<FrameEditorHelp> _frameEditorHelp;
    std::shared_ptr<ThemeMovieHandler> _themeMovieHandler;
    std::shared_ptr<HelpManager> _helpManager;
    bool _shouldPlayZoomOutAnimationFromFullScreenFrame = false;
    std::shared_ptr<plat::GestureRecognizer> _singleTap;
    // Panels between their closing and the end of its animation: a second
    // request meanwhile does nothing.
    bool _isRecorderClosing = false;
    bool _isClipEditorClosing = false;
    // A single-frame editor is being presented (a phone zooms first).
    bool _isPresentingFrameEditor = false;
    // The frame count when the phone's capture screen opened.
    int64_t _countBeforeCapture = 0;
    // Set when the screen closed: late animation ends and queued blocks do nothing.
    bool _isClosed = false;
    bool _notificationsAdded = false;
    bool _hasAppeared = false;
};

}  // namespace zt
