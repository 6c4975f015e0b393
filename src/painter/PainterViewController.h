#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "painter/ColorPaletteViewController.h"
#include "painter/PaintToolViewController.h"
#include "painter/PainterLayerManager.h"
#include "painter/PaintingCanvasView.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "platform/ui/ViewController.h"
#include "uikit/HelpManagerDelegate.h"

namespace plat {
class Button;
class Image;
class ImageView;
class SwipeGestureRecognizer;
}  // namespace plat

namespace zt {
class HelpManager;
class ImageProducer;
class PainterLayerTableViewController;
class PainterViewController;
class ProjectModel;

class PainterViewDelegate {
public:
    virtual ~PainterViewDelegate() = default;
    // The save has finished; the receiver dismisses the painter.
    virtual void paintViewDidFinish(PainterViewController& painter, int64_t frame) = 0;
};

// The full-screen painter for one frame (the layout "PainterViewController"):
// in paint mode strokes of four tools in layers over the frame's unpainted
// picture, kept so that a later opening (also of the next frame) goes on
// with them; in masking mode the frame's picture is rubbed away to show the
// previous frame behind it. The tool bar slides in at the top and the
// palette at the bottom. Leaving always saves: the frame's painter files
// and merged picture, its preview and thumbnail, the painter settings, and
// the project marked for rendering; then the delegate is told. Nothing is
// written while the layers hold what the frame's files held when they were
// read. A frame that cannot be written whole is put back as it was and the
// person told why. The work is also written when the app goes to the
// background, so nothing painted is lost if it never comes back. A painting
// whose strokes or unpainted picture cannot be read back, or whose canvas
// size neither its strokes nor its pictures tell, is told; its
// frame's pictures, which still show it, are left as they are unless
// something is painted, which then goes over them, the painter files it
// replaces kept aside. Main queue.
class PainterViewController : public plat::ViewController,
                              public ColorPaletteDelegate,
                              public PaintToolDelegate,
                              public HelpManagerDelegate {
public:
    static constexpr const char* kLayoutName = "PainterViewController";
    // The stored strokes reach the canvas this long after set-up, once it has its size.
    static constexpr double kStrokeLoadDelaySeconds = 0.3;
    static constexpr double kBarSeconds = 0.25;
    static constexpr double kBarDamping = 1.0;
    static constexpr double kBarVelocity = 10.0;
    static constexpr double kPhoneToolBarCentreY = 10.0;
    static constexpr double kTabletBarHeight = 96;

    // initWithNibName:bundle:andProject:
    PainterViewController(std::string nibName, std::shared_ptr<ProjectModel> project);
    ~PainterViewController() override;

    bool isMasking() const { return _isMasking; }
    void setIsMasking(bool masking) { _isMasking = masking; }
    std::shared_ptr<PainterViewDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<PainterViewDelegate> delegate) { _delegate = std::move(delegate); }
    int64_t currentFrame() const { return _currentFrame; }
    void setCurrentFrame(int64_t frame) { _currentFrame = frame; }

    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;

    void paintToolDidSelectTool(int64_t code) override;
    void colorPaleteDidSelectColor(const plat::Color& color, int64_t index) override;
    void colorPaleteDidSelectHide() override;
    void helpManangerDidFinish(HelpManager& helpManager) override;

    // Writes everything and tells the delegate (once).
    void saveAndClose();
    void handleSwipe(plat::SwipeGestureRecognizer* recognizer);
    void actionShow();
    static plat::Color getUIColorFromRed(int red, int green, int blue);
    static plat::Rect getOrientationCorrectedRectFromRect(plat::Rect rect);
    // The second picture with the first drawn over it, at the second's size.
    static std::shared_ptr<plat::Image> blendUIImage(const plat::Image& top, const plat::Image& base);

    // The screen's parts, for the frame editor's tests and the device scripts.
    const std::shared_ptr<PaintingCanvasView>& drawingView() const { return _drawingView; }
    const std::shared_ptr<plat::View>& paintMainView() const { return _paintMainView; }
    const std::shared_ptr<plat::ImageView>& bgImageView() const { return _bgImageView; }
    const std::shared_ptr<plat::Button>& btnShow() const { return _btnShow; }
    const std::shared_ptr<ColorPaletteViewController>& colorPalette() const { return _colorPalette; }
    const std::shared_ptr<PaintToolViewController>& toolPalette() const { return _toolPalette; }
    const std::shared_ptr<PainterLayerManager>& painterLayerManager() const { return _painterLayerManager; }
    const PainterBrushes& brushes() const { return _brushes; }
    int64_t currentSelectedTool() const { return _currentSelectedTool; }
    const std::vector<int64_t>& colorToolList() const { return _colorToolList; }
    // The coach mark while it is shown.
    const std::shared_ptr<HelpManager>& helpManager() const { return _helpManager; }
    // Whether the stored strokes are still waiting for their delay.
    bool hasPendingStrokes() const { return _pendingStrokes.has_value() || _pendingLayers; }

private:
    void setUpCanvas();
    // Undo and Redo dimmed while there is nothing to undo or redo.
    void showUndoRedo();
    void setUpBars();
    void setUpBrushes();
    void setUpLayers();
    void applyStoredSettings();
    void setUpMaskingPictures();
    void setUpPaintPictures();
    void loadPendingStrokes();
    // What the frame's files hold, once the painting shown is theirs.
    void rememberStoredContents();
    enum class UnreadablePart { Strokes, UnpaintedPicture, CanvasSize };
    // The frame's stored painting cannot be read back: its picture, which
    // still shows it, is painted on instead, and left as it is unless
    // something is painted.
    void paintingCannotBeRead(UnreadablePart part);
    // Says so, once, while the screen is shown.
    void tellPaintingCannotBeRead();
    // The stored strokes on this canvas: the frame's layers, or its own or
    // the previous frame's strokes.
    void loadPendingLayers();
    void loadPendingStrokeFile();
    // Layer pictures that could not be read were kept aside: says so.
    void tellLayerPicturesKeptAside(size_t count);
    void addSwipeRecognizer(plat::View& view);
    void swiped(plat::SwipeGestureRecognizer& recognizer);
    void showBars();
    void showHelp();
    void moveShowButtonToBottom();
    bool isTablet() const;
    plat::Size screenSize() const;

    // Writing, in PainterSaving.cpp. Each gives the first write that failed;
    // storePainting then puts the frame's files back as they were.
    plat::Result<void> storePainting();
    plat::Result<void> storeFrameFiles(const std::string& frameID);
    plat::Result<void> storePaintModeFiles(const std::string& frameID, const std::optional<plat::Data>& strokes);
    plat::Result<void> refreshPainterFilesAfterMasking(const std::string& frameID, const plat::Image& merged);
    void storeSettings();
    void observeBackground();

    std::shared_ptr<ProjectModel> _project;
    bool _isMasking = false;
    std::weak_ptr<PainterViewDelegate> _delegate;
    int64_t _currentFrame = 0;
    std::shared_ptr<plat::View> _paintMainView;
    std::shared_ptr<plat::ImageView> _bgImageView;
    std::shared_ptr<plat::Button> _btnShow;
    std::shared_ptr<PaintingCanvasView> _drawingView;
    std::shared_ptr<ColorPaletteViewController> _colorPalette;
    std::shared_ptr<PaintToolViewController> _toolPalette;
    std::shared_ptr<PainterLayerManager> _painterLayerManager;
    std::shared_ptr<PainterLayerTableViewController> _layerList;
    std::shared_ptr<ImageProducer> _imageProducer;
    std::shared_ptr<HelpManager> _helpManager;
    PainterBrushes _brushes;
    int64_t _currentSelectedTool = 0;
    // Empty until the brushes are set up (the palette's first report comes before).
    std::vector<int64_t> _colorToolList;
    std::vector<std::shared_ptr<plat::SwipeGestureRecognizer>> _swipeRecognizers;
    // Strokes read at set-up, decoded after the delay (or by an earlier save).
    std::optional<plat::Data> _pendingStrokes;
    std::string _pendingStrokesFrameID;  // whose layer pictures tell the canvas they were painted on
    bool _pendingLayers = false;
    bool _strokesFileKeptAside = false;  // beside the layers, told once they are read
    // The painting shown is what the frame's files hold (or none), not the
    // previous frame's strokes to go on from.
    bool _showsTheFramesOwnPainting = true;
    // What the layers held when the frame's files were read or last written.
    std::optional<std::vector<PainterLayerManager::LayerContent>> _storedContents;
    bool _paintingUnread = false;  // set by paintingCannotBeRead until the frame is stored
    UnreadablePart _unreadablePart = UnreadablePart::Strokes;
    std::optional<plat::Data> _paintedOnPicture;  // then the frame picture's bytes, when they show
    bool _paintingUnreadTold = false;
    bool _closed = false;
};

// Registers "PainterViewController": the picture behind, the canvas
// container and the show button. Main queue.
void registerPainterLayout();

}  // namespace zt
