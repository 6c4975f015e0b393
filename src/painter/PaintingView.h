#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "painter/PainterStampDelegate.h"
#include "painter/PaintingCanvasView.h"
#include "painter/StrokeArchive.h"
#include "painter/StrokeGestureRecorder.h"

namespace plat {
class PanGestureRecognizer;
class TapGestureRecognizer;
}  // namespace plat

namespace zt {
class PainterStampViewController;
namespace detail {
class CanvasSurface;
}

// The paint-mode canvas: single-finger touches become strokes of textured
// dabs of the current brush, every finished stroke goes to the undo list,
// undone ones to the redo list, and the whole list can be drawn again
// (replay), shifted by the move brush, handed out as a picture or as the
// painter canvas archive and loaded back. The GL surface is made at the
// first layout; a layout that changes the size draws the strokes again at
// the new size, one that keeps it changes nothing. Main queue.
class PaintingView : public PaintingCanvasView, public PainterStampDelegate {
public:
    // Width of the samples of a tap.
    static constexpr double kTapWidth = 5.0;

    PaintingView();
    explicit PaintingView(plat::Rect frame);
    ~PaintingView() override;

    void layoutSubviews() override;
    void didMoveToSuperview() override;

    void erase() override;
    void setBrushColorWithRed(double red, double green, double blue) override;
    void changeBrush(int32_t type) override;
    void changePainterBrush(std::shared_ptr<PainterBrush> brush);
    const std::shared_ptr<PainterBrush>& brush() const { return _brush; }
    std::shared_ptr<plat::Image> createImage() override;
    void replayBuffer() override;
    void undo() override;
    void redo() override;
    bool canUndo() const override { return !_strokeBuffer.empty(); }
    bool canRedo() const override { return !_redoBuffer.empty(); }
    std::optional<plat::Data> getBufferData() override;
    plat::Result<void> loadBufferData(const plat::Data& data) override;

    const StrokeList& strokeBuffer() const { return _strokeBuffer; }
    const StrokeList& redoBuffer() const { return _redoBuffer; }
    // Whether the GL surface could be made (false before the first layout).
    bool hasSurface() const;

    void handleSingleTap(plat::TapGestureRecognizer& recognizer);
    void handlePanGesture(plat::PanGestureRecognizer& recognizer);
    // Records and draws a stroke of four samples at one canvas position.
    void addStrokeWithPosition(plat::Point position, double size, double angle, std::shared_ptr<PainterBrush> brush);

    // The stamp overlay shown over the canvas, answered when confirmed.
    void setViewControllerStamp(std::shared_ptr<PainterStampViewController> stamp);
    void PainterStampDelegateDidFinish(PainterStampViewController& stamp) override;

private:
    void setUpRecognizers();
    void createLayer();
    bool createFramebuffer();
    void drawFromBuffer(bool replaying, plat::Point offset = {});
    float pointSizeFor(const LinePoint& sample) const;
    void appendStroke(std::shared_ptr<Stroke> stroke);
    void shiftStrokes(plat::Point byCanvasOffset);
    void handleMoveGesture(plat::PanGestureRecognizer& recognizer);
    void finishMove();

    std::unique_ptr<detail::CanvasSurface> _surface;
    bool _surfaceFailed = false;  // reported once
    uint32_t _brushTexture = 0;
    float _pointSize = 1;  // the point size that dabs of other brush types keep
    std::shared_ptr<PainterBrush> _brush;
    StrokeList _strokeBuffer;
    StrokeList _redoBuffer;
    detail::StrokeGestureRecorder _recorder {[this] { drawFromBuffer(/*replaying=*/false); },
        [this](std::shared_ptr<Stroke> stroke) { appendStroke(std::move(stroke)); }};
    plat::Point _movePrevPoint;
    plat::Point _moveOrigCanvasCenter;
    bool _moving = false;
    std::shared_ptr<plat::TapGestureRecognizer> _tapGestureRecognizer;
    std::shared_ptr<plat::PanGestureRecognizer> _panGestureRecognizer;
    std::shared_ptr<PainterStampViewController> _viewControllerStamp;
};

}  // namespace zt
