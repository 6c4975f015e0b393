#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/AudioController.h"
#include "editor/StripItemViews.h"
#include "platform/foundation/Error.h"
#include "platform/media/SystemSound.h"
#include "platform/ui/ViewController.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/CarouselProtocols.h"

namespace plat {
class GestureRecognizer;
class ImageView;
class Label;
class Pasteboard;
class TapGestureRecognizer;
class Timer;
class UndoManager;
}  // namespace plat

namespace zt {
class Carousel;
class DeletedFramesStash;
class Frame;
class FrameEditDelegate;
class FrameList;
class FramePasteboard;
struct FramePasteboardRecord;
class ImageProducer;
class PhotoRollExport;
class ProjectModel;

// How a paste orders the frames it adds.
enum class PasteOrder { Forward, Reverse };

// Notifications the strip posts (object: the strip), beside the audio
// controller's "ShowActivityNotification" and "ShowErrorNotification".
inline constexpr const char* kHideActivityNotification = "HideActivityNotification";
inline constexpr const char* kShowHUDNotification = "ShowHUDNotification";
inline constexpr const char* kShowAudioControllerNotification = "ShowAudioControllerNotification";
inline constexpr const char* kFramesDeletedNotification = "PLAYERVIEWCONTROLLER_FRAMES_DELETED";
inline constexpr const char* kHideAfterKey = "HIDE_AFTER";

// The strip of frame thumbnails at the bottom of the frame editor: one item
// per frame-list entry, with hold runs and the audio clips sounding at each
// frame marked. It keeps the editor's picture in step with its current item
// (the preview at once, the full picture after 0.5 s without a change),
// keeps a range selection, and opens the frame menu on a tap, whose
// operations (capture here, hold, select, copy, paste, delete) it carries
// out; a delete can be undone. The project is saved after every edit.
// Main thread, except the file copies of a paste.
class PlayerViewController : public plat::ViewController,
                             public CarouselDataSource,
                             public CarouselDelegate,
                             public BubblePopoverControllerDelegate {
public:
    static constexpr double kItemWidthPhone = 90;
    static constexpr double kItemWidthTablet = 130;
    static constexpr double kDecelerationRate = 0.96;
    static constexpr double kFullPictureDelaySeconds = 0.5;
    static constexpr double kTimerSeconds = 0.5;
    static constexpr double kReloadDelaySeconds = 0.25;
    static constexpr double kPasteReloadDelaySeconds = 0.35;
    static constexpr double kBlinkAlpha = 0.25;
    static constexpr double kBlinkSeconds = 0.12;
    static constexpr int kMenuItemCount = 7;
    static constexpr double kMenuCellMinimum = 65;
    static constexpr double kMenuCellMaximum = 75;
    static constexpr double kMenuMargin = 20;
    static constexpr double kMenuHeight = 100.0;
    // Pastes of more frames than this show an activity message while they copy.
    static constexpr int64_t kQuietPasteCount = 3;
    // Photo exports of this many pictures or more show an activity message.
    static constexpr int64_t kBusyExportCount = 6;
    static constexpr double kExportActivitySeconds = 5;
    static constexpr const char* kDeleteActionName = "Delete Frame(s)";
    static constexpr const char* kErrorDomain = "PlayerViewController";
    static constexpr int64_t kPasteSkippedError = 1;
    static constexpr int64_t kNotSavedError = 2;

    // initWithProject:, with the layout "PlayerViewController_iPad" on a tablet.
    explicit PlayerViewController(std::shared_ptr<ProjectModel> project);
    ~PlayerViewController() override;

    // The views the layout connects.
    struct Outlets {
        std::shared_ptr<Carousel> carousel;
        std::shared_ptr<plat::Label> labelFrameNumber;
        std::shared_ptr<plat::View> viewFrameNumber;
    };
    void setOutlets(Outlets outlets) { _outlets = std::move(outlets); }
    const Outlets& outlets() const { return _outlets; }

    // Collaborators, set by the editor. The list is the project's own.
    void setFrameList(FrameList& frameList);
    void setAudioController(std::weak_ptr<AudioController> audioController)
    {
        _audioController = std::move(audioController);
    }
    void setFrameEditDelegate(std::weak_ptr<FrameEditDelegate> delegate) { _frameEditDelegate = std::move(delegate); }
    void setImageViewPreview(std::weak_ptr<plat::ImageView> imageView) { _imageViewPreview = std::move(imageView); }

    void viewDidLoad() override;
    // Stops the full-picture timer; the editor calls it before it leaves.
    void viewWillClose();

    // A frame already in the list: shows its item, scrolls to it and makes it current.
    void addFrame(const Frame& frame);
    void gotoCaptureFrame();
    void scrollToFrame(int64_t index);
    int64_t getCurrentFrame() const;
    void updateFrames();
    void willStartPlayback();

    // The state the menu and the operations work from.
    int64_t tapedFrameIndex() const { return _tapedFrameIndex; }
    int64_t selectionStartIndex() const { return _selectionStartIndex; }
    int64_t previewCurrentFrame() const { return _previewCurrentFrame; }
    bool isFullResolutionImageShown() const { return _isFullResolutionImageShown; }
    const std::shared_ptr<BubblePopoverController>& popoverController() const { return _popoverController; }
    const std::shared_ptr<plat::TapGestureRecognizer>& doubleTap() const { return _doubleTap; }
    // The first and last index of the selection, or of the tapped frame alone without one.
    std::pair<int64_t, int64_t> operationRange() const;

    // Carousel.
    uint64_t numberOfItemsInCarousel(Carousel& carousel) override;
    std::shared_ptr<plat::View> carouselViewForItemAtIndexReusingView(
        Carousel& carousel, int64_t index, std::shared_ptr<plat::View> reusingView) override;
    uint64_t numberOfPlaceholdersInCarousel(Carousel&) override { return 0; }
    std::optional<double> carouselItemWidth(Carousel& carousel) override;
    void carouselCurrentItemIndexDidChange(Carousel& carousel) override;
    // No: the items' own taps open the frame menu, and the carousel's would take them first.
    bool carouselShouldSelectItemAtIndex(Carousel&, int64_t) override { return false; }

    // The item's view parts.
    void getAudioViewForThumbnailAtIndex(int64_t index, plat::View& lanes);
    void updateCurrentFrame(int64_t index);
    void updateSelection();
    void doSingleTapOnFrame(plat::GestureRecognizer& recognizer);
    void doSingleTapOnAudio(plat::GestureRecognizer& recognizer);
    void doDoubleTap(plat::GestureRecognizer& recognizer);
    void showThumbMenuForFrame(int64_t index, const plat::View& itemView);

    // Frame operations (the menu's first close the popover).
    void captureHere();
    void holdSelected();
    void holdSelectedForTimes(int32_t times);
    void selectSelected();
    void deselectAllSelected();
    void copySelected();
    void pasteSelected();
    void pasteReverseSelected();
    void pasteSelected(PasteOrder order);
    void deleteSelected();
    void exportSelected();
    void setNeedsRendering();
    void removePopup();

    bool popoverControllerShouldDismissPopover(BubblePopoverController& controller) override;
    void popoverControllerDidDismissPopover(BubblePopoverController& controller) override;

private:
    // Items.
    std::shared_ptr<plat::View> makeItemView();
    void addTap(plat::View& view, void (PlayerViewController::*action)(plat::GestureRecognizer&));
    void fillItemView(plat::View& item, int64_t index);
    void loadFullPictureIfDue();
    void writeCounter();
    void reloadCarouselAfter(double seconds);
    FrameList& frameList();
    std::shared_ptr<AudioController> audioController() const { return _audioController.lock(); }
    // Saves the list after an edit; when that fails, puts the list back as
    // it was, tells the user and answers false.
    bool savedFrameList(const FrameList& before);
    void afterEdit();
    void post(const char* name, plat::Dictionary userInfo = {});
    void postError(const plat::Error& error);

    // Operations (PlayerViewControllerOperations.cpp, PlayerViewControllerPaste.cpp).
    // Deletes the entries with those UIDs, as one undoable step.
    void deleteEntries(const std::vector<std::string>& uids);
    void restoreDeletedFrames(const std::shared_ptr<DeletedFramesStash>& stash);
    void registerUndoOfDelete(const std::shared_ptr<DeletedFramesStash>& stash);
    bool keepsFilesOfFrame(const std::string& frameID, const std::string& folder, const FramePasteboardRecord* copied);
    // False, with the user told, when the picture could not become a saved frame.
    bool pasteImage(const plat::Image& image, int64_t index);
    void insertPastedFrame(const Frame& frame, int64_t index);
    void finishPaste(int64_t pastedCount, int64_t requestedCount, std::vector<std::string> skipped,
        const std::optional<plat::Error>& cause);
    void playTrashSound();

    std::shared_ptr<ProjectModel> _project;
    FrameList* _frameList = nullptr;  // the project's own list, alive as long as _project
    std::weak_ptr<AudioController> _audioController;
    std::unique_ptr<ImageProducer> _imageProducer;
    std::shared_ptr<FramePasteboard> _pasteBoard;
    Outlets _outlets;
    std::weak_ptr<plat::ImageView> _imageViewPreview;
    std::weak_ptr<FrameEditDelegate> _frameEditDelegate;
    detail::StripItemGeometry _geometry;
    int64_t _tapedFrameIndex = 0;
    int64_t _selectionStartIndex = -1;
    int64_t _previewCurrentFrame = -1;
    bool _isFullResolutionImageShown = false;
    double _showFullResolutionAtTimeIndex = 0;  // seconds since the reference date; 0 = never set
    std::shared_ptr<plat::Timer> _loopTimer;
    std::shared_ptr<plat::TapGestureRecognizer> _doubleTap;
    std::shared_ptr<BubblePopoverController> _popoverController;
    std::unique_ptr<PhotoRollExport> _photoRollExport;
    std::optional<plat::SystemSoundID> _trashSound;
    // Where undo steps of deletes went: they are dropped with the strip.
    std::weak_ptr<plat::UndoManager> _undoManager;
};

}  // namespace zt
