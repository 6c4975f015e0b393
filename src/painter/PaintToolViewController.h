#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "painter/PaintingCanvasView.h"
#include "platform/graphics/Color.h"
#include "platform/ui/ViewController.h"
#include "uikit/BubblePopoverController.h"

namespace plat {
class Button;
class ScrollView;
}  // namespace plat

namespace zt {
class PainterLayerTableViewController;

// Tool codes the tool bar sends; what each does is the painter screen's.
enum PaintToolCode : int64_t {
    kPaintToolBack = 0,
    kPaintToolBrush = 2,
    kPaintToolPen = 3,
    kPaintToolFountainPen = 4,
    kPaintToolEraser = 5,
    kPaintToolButton7 = 6,
    kPaintToolUndo = 10,
    kPaintToolRedo = 15,
    kPaintToolMove = 20,
    kPaintToolStamp = 30,
};

class PaintToolDelegate {
public:
    virtual ~PaintToolDelegate() = default;
    virtual void paintToolDidSelectTool(int64_t code) = 0;
};

// The painter's tool bar (the layout "PaintToolViewController"): back, the
// four drawing tools with a colour indicator under the three that take a
// colour, move, undo, redo, layers and stamp. It reports taps as tool
// codes; a tap on the selected drawing tool opens its size popover
// instead, and the layers button opens the layer list. It holds at most
// one popover. Main queue.
class PaintToolViewController : public plat::ViewController, public BubblePopoverControllerDelegate {
public:
    static constexpr const char* kLayoutName = "PaintToolViewController";
    // Wider slots than this get gaps after back and move.
    static constexpr double kWidestSlot = 80;

    PaintToolViewController();
    ~PaintToolViewController() override;

    std::shared_ptr<PaintToolDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<PaintToolDelegate> delegate) { _delegate = std::move(delegate); }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    // Spreads the buttons over the bar's width (run before it appears).
    void layoutButtons();

    void actionButton1(plat::Button& sender);  // back
    void actionButton2(plat::Button& sender);  // layers
    void actionButton3(plat::Button& sender);  // brush
    void actionButton4(plat::Button& sender);  // pen
    void actionButton5(plat::Button& sender);  // fountain pen
    void actionButton6(plat::Button& sender);  // eraser
    void actionButton7(plat::Button& sender);
    void actionMove(plat::Button& sender);
    void actionStamp(plat::Button& sender);
    void actionUndo(plat::Button& sender);
    void actionRedo(plat::Button& sender);
    void actionLayer(plat::Button& sender);
    void actionShowToolOptions(plat::Button& sender);
    void showLayerControlFromButton(plat::Button& sender);

    void setBrush(std::shared_ptr<PainterBrush> brush, int64_t type);
    void setColor(const plat::Color& color, int64_t tool);
    void setSelectedTool(int64_t tool);
    void hideTool(int64_t tool);
    void enableTool(int64_t code, bool enabled);
    const std::shared_ptr<PainterLayerTableViewController>& painterLayerTableViewController() const
    {
        return _painterLayerTableViewController;
    }
    void setPainterLayerTableViewController(std::shared_ptr<PainterLayerTableViewController> controller)
    {
        _painterLayerTableViewController = std::move(controller);
    }

    const PainterBrushes& brushes() const { return _brushes; }
    const std::shared_ptr<plat::Button>& currentSelectedTool() const { return _currentSelectedTool; }
    const std::shared_ptr<BubblePopoverController>& popoverController() const { return _popoverController; }

    void popoverControllerDidDismissPopover(BubblePopoverController&) override { }
    bool popoverControllerShouldDismissPopover(BubblePopoverController&) override { return true; }

    // Outlets, connected by the layout.
    std::shared_ptr<plat::Button> btnBack;
    std::shared_ptr<plat::Button> btnBrush;
    std::shared_ptr<plat::Button> btnPen;
    std::shared_ptr<plat::Button> btnFountainPen;
    std::shared_ptr<plat::Button> btnEraser;
    std::shared_ptr<plat::Button> btnMove;
    std::shared_ptr<plat::Button> btnStamp;
    std::shared_ptr<plat::Button> btnUndo;
    std::shared_ptr<plat::Button> btnRedo;
    std::shared_ptr<plat::Button> btnLayer;
    std::shared_ptr<plat::ScrollView> viewScrollViewTools;
    std::shared_ptr<plat::View> viewToolColorBrush;
    std::shared_ptr<plat::View> viewToolColorPen;
    std::shared_ptr<plat::View> viewToolColorFountainPen;

private:
    void sendCode(int64_t code);
    void selectToolButton(plat::Button& sender, int64_t code);
    void makeSelected(plat::Button& sender);
    void deselectCurrent();
    std::shared_ptr<plat::Button> shared(plat::Button& button) const;
    plat::Rect frameInBar(const plat::Button& button);

    std::weak_ptr<PaintToolDelegate> _delegate;
    std::shared_ptr<plat::Button> _currentSelectedTool;
    std::shared_ptr<BubblePopoverController> _popoverController;
    PainterBrushes _brushes;
    std::shared_ptr<PainterLayerTableViewController> _painterLayerTableViewController;
};

// Registers "PaintToolViewController" (outlets named as the tool bar's
// members). Main queue.
void registerPaintToolLayout();

}  // namespace zt
