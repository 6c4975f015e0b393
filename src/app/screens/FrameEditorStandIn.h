#pragma once
#include <memory>

#include "editor/FrameEditDelegate.h"
#include "editor/PreviewPlayer.h"
#include "platform/ui/ViewController.h"

namespace plat {
class Button;
class Control;
class Image;
class ImageView;
class Label;
}  // namespace plat

namespace zt {
class AudioController;
class MainViewControllerDelegate;
class PlayerViewController;
class ProjectModel;
class TimelineViewController;

// Stands in for the frame editor until it is built: it shows the project
// handed over by the root container with the frame strip (or, after a
// double tap on it, the timeline) below the picture of the current frame,
// adds numbered picture frames (so that a new project gets a folder and a
// list entry, as capturing does), plays the project, and closes with Done,
// which saves the project and tells the root container. Main thread.
class FrameEditorStandIn : public plat::ViewController, public FrameEditDelegate, public PreviewPlayerDelegate {
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

    void loadView() override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    // A new picture before the capture placeholder, stored and saved like a captured frame.
    void actionAddFrame();
    // Plays from the strip's current frame, or stops a playback.
    void actionPlay();
    void actionDone();

    // The numbered picture of the frame at that position (1 for the first).
    static std::shared_ptr<plat::Image> makeNumberedPicture(int64_t number);

    void zoomOut(plat::ViewController& strip) override;
    void zoomIn(plat::ViewController& timeline) override;
    void currentFrameUpdate(int64_t index) override;
    void timeLineNeedsUpdate() override;
    void previewPlayerShowFrameAtIndex(PreviewPlayer& player, int64_t index) override;
    void previewPlayerDidStopPlay(PreviewPlayer& player) override;

private:
    void showProject();
    void showLastPicture();
    void addNavigators(plat::View& root);
    void showPlayButtonTitle();

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
    bool _timelineShown = false;
    // Keeps the strip and the timeline from echoing each other's frame back.
    bool _followingNavigator = false;
};

}  // namespace zt
