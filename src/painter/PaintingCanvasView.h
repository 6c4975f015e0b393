#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "platform/ui/View.h"

namespace plat {
class EAGLLayer;
class Image;
}  // namespace plat

namespace zt {
class PainterBrush;

using PainterBrushes = std::map<int64_t, std::shared_ptr<PainterBrush>>;

// The painter's canvas as the painter screen and the layer manager see it:
// a view drawn with OpenGL ES 1.1 into its GL drawable layer. Every
// operation does nothing here (createImage and getBufferData give nothing);
// the painting and the masking canvas give them their meaning. Main queue.
class PaintingCanvasView : public plat::View {
public:
    ~PaintingCanvasView() override;

    const PainterBrushes& brushes() const { return _brushes; }
    virtual void setBrushes(PainterBrushes brushes) { _brushes = std::move(brushes); }

    virtual void erase() { }
    virtual void setBrushColorWithRed(double /*red*/, double /*green*/, double /*blue*/) { }
    virtual void changeBrush(int32_t /*type*/) { }
    virtual std::shared_ptr<plat::Image> createImage() { return nullptr; }
    // The size of createImage's pictures: whole pixels, without the fraction
    // of a point that a canvas may have (319.5 high on a phone).
    plat::Size pictureSize() const;
    virtual void replayBuffer() { }
    virtual void undo() { }
    virtual void redo() { }
    virtual bool canUndo() const { return false; }
    virtual bool canRedo() const { return false; }
    // The painter canvas archive of the undo list.
    virtual std::optional<plat::Data> getBufferData() { return std::nullopt; }
    // Empty or unreadable data leaves the canvas as it was and says so.
    virtual plat::Result<void> loadBufferData(const plat::Data& /*data*/) { return plat::Result<void>(); }
    virtual void setBackgroundImage(std::shared_ptr<const plat::Image> /*image*/) { }
    // Told whenever the undo or the redo list may have changed: a stroke,
    // an undo, a redo, an erase, a load (the painter dims Undo and Redo).
    void setHistoryChangedHandler(std::function<void()> handler) { _historyChanged = std::move(handler); }

protected:
    explicit PaintingCanvasView(plat::Rect frame);
    const std::shared_ptr<plat::EAGLLayer>& eaglLayer() const { return _eaglLayer; }
    void historyChanged() const
    {
        if (_historyChanged)
            _historyChanged();
    }

private:
    std::shared_ptr<plat::EAGLLayer> _eaglLayer;
    std::function<void()> _historyChanged;
    PainterBrushes _brushes;
};

}  // namespace zt
