#pragma once
#include <memory>

#include "audio/AudioRecorderViewController.h"
#include "editor/FrameEditDelegate.h"
#include "editor/PreviewPlayer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ViewController.h"

namespace plat {
class Button;
class Control;
class Image;
class ImageView;
class Label;
}  // namespace plat

namespace zt {
class AudioClip;
class AudioConfigurationViewController;
class AudioController;
class Frame;
class MainViewControllerDelegate;
class PlayerViewController;
class ProjectModel;
class TimelineViewController;

// Stands in for the frame editor until it is built: it shows the project
// handed over by the root container with the frame strip (or, after a
// double tap on it, the timeline) below the picture of the current frame,
// adds numbered picture frames (so that a new project gets a folder and a
// list entry, as capturing does), plays the project, opens the capture
// screen over itself, records voice-overs at the current frame while the
// movie plays, opens the clip editor for a clip tapped in the strip, and
// closes with Done, which saves the project and tells the root container.
// Main thread.
class FrameEditorStandIn : public plat::ViewController,
                           public FrameEditDelegate,
                           public PreviewPlayerDelegate,
                           public AudioRecorderViewDelegate {
public:
    static constexpr int kPictureWidth = 960;
    static constexpr int kPictureHeight = 540;

    explicit FrameEditorStandIn(std::shared_ptr<ProjectModel> project);
    ~FrameEditorStandIn() override;

    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    void setDelegate(std::weak_ptr<MainViewControllerDelegate> delegate) { _delegate = std::move(delegate); }
    const std::shared_ptr<PlayerViewController>& strip() const { return _strip; }
    const std::shared_ptr<TimelineViewController>& timeline() const { return _timeline; }
    const std::shared_ptr<PreviewPlayer>& player() const { return _player; }
    const std::shared_ptr<AudioController>& audioController() const { return _audioController; }
    bool isTimelineShown() const { return _timelineShown; }
    const std::shared_ptr<AudioRecorderViewController>& recorderPanel() const { return _recorderPanel; }
    const std::shared_ptr<AudioConfigurationViewController>& clipEditor() const { return _clipEditor; }

    void loadView() override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    // A new picture before the capture placeholder, stored and saved like a captured frame.
    void actionAddFrame();
    // Plays from the strip's current frame, or stops a playback.
    void actionPlay();
    // Presents the capture screen over the stand-in, as the editor does on a phone.
    void actionCapture();
    void actionDone();
    // Opens the voice-over recorder at the current frame when a track has a
    // second of room there.
    void actionRecordVoice();
    void openClipEditor(const std::shared_ptr<AudioClip>& clip);

    // The numbered picture of the frame at that position (1 for the first).
    static std::shared_ptr<plat::Image> makeNumberedPicture(int64_t number);

    void zoomOut(plat::ViewController& strip) override;
    void zoomIn(plat::ViewController& timeline) override;
    void currentFrameUpdate(int64_t index) override;
    void timeLineNeedsUpdate() override;
    void previewPlayerShowFrameAtIndex(PreviewPlayer& player, int64_t index) override;
    void previewPlayerDidStopPlay(PreviewPlayer& player) override;
    // The recorder plays the movie from its frame while the voice is recorded.
    void audioRecorderDidStartRecording(AudioRecorderViewController& recorder) override;
    void audioRecorderDidStopRecording(AudioRecorderViewController& recorder, const std::string& file) override;
    void audioRecorderDidCancelRecording(AudioRecorderViewController& recorder) override;

private:
    void showProject();
    void showCapturedFrame(const Frame& frame);
    void showLastPicture();
    void addNavigators(plat::View& root);
    void showPlayButtonTitle();
    void observeAudioScreens();
    void closeRecorderPanel();
    void closeClipEditor();
    void stopPlayback();
    void showSoundChange(int64_t frame);

    std::shared_ptr<ProjectModel> _project;
    std::weak_ptr<MainViewControllerDelegate> _delegate;
    std::shared_ptr<plat::Label> _labelName;
    std::shared_ptr<plat::Label> _labelFrames;
    std::shared_ptr<plat::ImageView> _imageViewLastFrame;
    std::shared_ptr<plat::Button> _playButton;
    std::shared_ptr<AudioController> _audioController;
    std::shared_ptr<PlayerViewController> _strip;
    std::shared_ptr<TimelineViewController> _timeline;
    std::shared_ptr<PreviewPlayer> _player;
    std::shared_ptr<AudioRecorderViewController> _recorderPanel;
    // Behind the recorder panel: a tap outside it closes an idle panel.
    std::shared_ptr<plat::Button> _recorderShield;
    std::shared_ptr<AudioConfigurationViewController> _clipEditor;
    plat::ObserverToken _showClipObserver;
    plat::ObserverToken _clipDoneObserver;
    plat::ObserverToken _clipRemovedObserver;
    plat::ObserverToken _audioErrorObserver;
    bool _timelineShown = false;
    plat::ObserverToken _captureObserver;
    // Keeps the strip and the timeline from echoing each other's frame back.
    bool _followingNavigator = false;
};

}  // namespace zt
