#pragma once
#include <cstdint>
#include <memory>

#include "painter/PaintingCanvasView.h"
#include "painter/StrokeArchive.h"
#include "painter/StrokeGestureRecorder.h"
#include "platform/graphics/Color.h"

namespace plat {
class PanGestureRecognizer;
class TapGestureRecognizer;
}  // namespace plat

namespace zt {
namespace detail {
class CanvasSurface;
}

// The masking-mode canvas: it shows the current frame's picture over its
// whole surface, and every stroke makes that picture more transparent where
// it passes (each square dab halves colour and alpha under it), so that
// whatever is behind the canvas shows through. Touches, smoothing, undo,
// redo, erase, picture and archive work as on the painting canvas; there
// are no brushes, colours or moves. A layout that changes the size draws
// the picture and the strokes again; one that keeps it changes nothing.
// Main queue.
class MaskingView : public PaintingCanvasView {
public:
    // Every masking stroke records the pen's type and no colour.
    static constexpr int32_t kBrushType = 300;
    static constexpr double kTapWidth = 5.0;
    static constexpr float kDabSizePerWidth = 5.0f;

    // Makes the GL context at once; nullptr when it cannot be made current.
    static std::shared_ptr<MaskingView> create(plat::Rect frame = {});
    ~MaskingView() override;

    void layoutSubviews() override;

    void setBackgroundImage(std::shared_ptr<const plat::Image> image) override;
    // Masking has one kind of dab: brush choices change nothing.
    void changeBrushToDefault() { }
    void erase() override;
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

    // Draws the background picture over the whole surface.
    void drawBack(bool replaying);
    void handleSingleTap(plat::TapGestureRecognizer& recognizer);
    void handlePanGesture(plat::PanGestureRecognizer& recognizer);

    // Use create(); public for std::make_shared.
    MaskingView(plat::Rect frame, std::unique_ptr<detail::CanvasSurface> surface);

private:
    bool createFramebuffer();
    void drawFromBuffer(bool replaying);
    std::shared_ptr<Stroke> newStroke() const;

    std::unique_ptr<detail::CanvasSurface> _surface;
    std::shared_ptr<const plat::Image> _bgImage;
    uint32_t _texture = 0;
    plat::Color _brushColor = plat::Color::colorWithRed(0, 0, 0, 0);
    StrokeList _strokeBuffer;
    StrokeList _redoBuffer;
    // Masking strokes leave the redo list as it is.
    detail::StrokeGestureRecorder _recorder {[this] { drawFromBuffer(/*replaying=*/false); },
        [this](std::shared_ptr<Stroke> stroke) {
            _strokeBuffer.push_back(std::move(stroke));
            historyChanged();
        }};
};

}  // namespace zt
