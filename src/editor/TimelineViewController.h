#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/ScrollView.h"
#include "platform/ui/ViewController.h"

namespace plat {
class ImageView;
class Label;
class TapGestureRecognizer;
class Timer;
}  // namespace plat

namespace zt {
class BubblePopoverController;
class FrameEditDelegate;
class FrameList;
class ImageProducer;
class ProjectModel;

// The whole film as one row of small tiles sampled evenly over the frame
// list, scrolling under a playhead fixed at the view's middle. The frame
// under the playhead follows the scroll offset in proportion; its preview
// goes into the editor's picture at once and its full picture after 0.5 s
// without a change. Main thread.
class TimelineViewController : public plat::ViewController, public plat::ScrollViewDelegate {
public:
    static constexpr plat::Size kTileSize {44, 25};
    static constexpr double kShadowInset = 2;
    static constexpr double kFullPictureDelaySeconds = 0.5;
    static constexpr double kTimerSeconds = 0.5;

    explicit TimelineViewController(std::shared_ptr<ProjectModel> project);  // initWithProject:
    ~TimelineViewController() override;

    // The views the layout connects.
    struct Outlets {
        std::shared_ptr<plat::ScrollView> viewClipScroller;
        std::shared_ptr<plat::View> viewClip;
        std::shared_ptr<plat::View> viewClipShadow;
        std::shared_ptr<plat::View> viewPosition;
        std::shared_ptr<plat::View> viewFrameNumber;
        std::shared_ptr<plat::Label> labelFrameNumber;
    };
    void setOutlets(Outlets outlets) { _outlets = std::move(outlets); }
    const Outlets& outlets() const { return _outlets; }

    void setFrameEditDelegate(std::weak_ptr<FrameEditDelegate> delegate) { _frameEditDelegate = std::move(delegate); }
    void setImageViewPreview(std::weak_ptr<plat::ImageView> imageView) { _imageViewPreview = std::move(imageView); }
    const std::shared_ptr<BubblePopoverController>& timelinePopoverController() const
    {
        return _timelinePopoverController;
    }
    void setTimelinePopoverController(std::shared_ptr<BubblePopoverController> popover)
    {
        _timelinePopoverController = std::move(popover);
    }

    void viewDidLoad() override;
    // Builds the tiles anew after the frame list changed; the frame under the playhead becomes -1.
    void updateClip();
    // Pins the frame (reported for any offset until the user drags) and scrolls to it.
    void scrollToFrame(int64_t index);
    int64_t getCurrentFrame() const { return _previewCurrentFrame; }
    void disableControls(bool disabled) { _isControlsDisabled = disabled; }
    bool isControlsDisabled() const { return _isControlsDisabled; }
    void viewWillClose();

    // Points of scrolling per frame; 0 without tiles.
    double pointsPerFrame() const;
    const std::vector<std::shared_ptr<plat::ImageView>>& tiles() const { return _tiles; }

    void scrollViewWillBeginDragging(plat::ScrollView& scrollView) override;
    void scrollViewDidScroll(plat::ScrollView& scrollView) override;

private:
    void handleDoubleTap();
    void loadFullPictureIfDue();
    void removeTiles();
    FrameList& frameList();

    std::shared_ptr<ProjectModel> _project;
    Outlets _outlets;
    std::unique_ptr<ImageProducer> _imageProducer;
    std::weak_ptr<FrameEditDelegate> _frameEditDelegate;
    std::weak_ptr<plat::ImageView> _imageViewPreview;
    std::shared_ptr<BubblePopoverController> _timelinePopoverController;
    std::shared_ptr<plat::TapGestureRecognizer> _doubleTap;
    std::shared_ptr<plat::Timer> _loopTimer;
    std::vector<std::shared_ptr<plat::ImageView>> _tiles;
    int64_t _previewCurrentFrame = -1;
    int64_t _scrollToFrame = -1;
    bool _isFullResolutionImageShown = false;
    double _showFullResolutionAtTimeIndex = 0;  // seconds since the reference date; 0 = never set
    bool _isControlsDisabled = false;
};

}  // namespace zt
