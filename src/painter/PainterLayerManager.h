#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "painter/StrokeScaling.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace plat {
class Image;
class View;
}  // namespace plat

namespace zt {
class PainterLayer;
class PaintingCanvasView;
class ProjectModel;

// The layers of the frame being painted, index 0 in front. The current
// layer lives in the canvas as editable strokes; every other layer is its
// stroke archive plus its flat picture in an image view stacked with the
// canvas in the view canvas. There is always at least one layer. Switching
// layers stores the outgoing layer's strokes and picture first. The merge
// draws the shown layers from back to front, at their opacity, over the
// background picture. Main queue.
class PainterLayerManager {
public:
    static constexpr size_t kMaximumLayers = 21;

    // One new layer, current.
    explicit PainterLayerManager(std::shared_ptr<ProjectModel> project);
    ~PainterLayerManager();
    PainterLayerManager(const PainterLayerManager&) = delete;
    PainterLayerManager& operator=(const PainterLayerManager&) = delete;

    const std::vector<std::shared_ptr<PainterLayer>>& layers() const { return _layers; }
    const std::shared_ptr<PainterLayer>& currentLayer() const { return _currentLayer; }
    const std::shared_ptr<PaintingCanvasView>& paintingCanvas() const { return _paintingCanvas; }
    void setPaintingCanvas(std::shared_ptr<PaintingCanvasView> canvas) { _paintingCanvas = std::move(canvas); }
    const std::shared_ptr<plat::View>& viewCanvas() const { return _viewCanvas; }
    void setViewCanvas(std::shared_ptr<plat::View> view) { _viewCanvas = std::move(view); }
    const std::shared_ptr<const plat::Image>& imageBackground() const { return _imageBackground; }
    void setImageBackground(std::shared_ptr<const plat::Image> image) { _imageBackground = std::move(image); }

    std::shared_ptr<const plat::Image> getThumbnailForLayer(const PainterLayer& layer);
    int64_t indexOfActiveLayer() const;
    int64_t getActiveLayerIndex() const { return indexOfActiveLayer(); }
    void setActiveLayerAtIndex(int64_t index);
    void setCurrentLayer(const std::shared_ptr<PainterLayer>& layer);
    void saveLayer(PainterLayer& layer);
    void restoreLayer(PainterLayer& layer);
    void orderAllSubviews();

    // False when the list is full; an index past the end appends.
    bool addLayerAtIndex(int64_t index);
    // False without a layer at the index, or for the only layer. Removing
    // the current layer makes the one that takes its place current (the
    // next one behind it, else the one in front).
    bool removeLayerAtIndex(int64_t index);
    // Moves the layer to the other index, the others keeping their order,
    // as a table row moves.
    void moveLayerFromIndex(int64_t from, int64_t to);
    void enableLayerAtIndex(int64_t index, bool enabled);
    void changeLayerOpacityAtIndex(int64_t index, float opacity);

    // The current layer's strokes from the frame's stroke file; none does
    // nothing, and data that is not a painter canvas archive leaves the
    // canvas empty and says why.
    plat::Result<void> decodeLayerInformationFromData(const std::optional<plat::Data>& data);
    // Stores the current layer's strokes and picture; its strokes.
    std::optional<plat::Data> encodeLayerInformation();
    std::shared_ptr<plat::Image> mergeDownAllLayer();

    // Copies a frame's layer list and layer files to another frame under new
    // layer identifiers. Without a layer list nothing happens; a missing
    // layer file is passed over; an unreadable list fails and copies nothing.
    static plat::Result<void> duplicateFrameID(
        const std::string& frameID, const std::string& newFrameID, ProjectModel& project);

    // Writes the frame's layer list and each storable layer's strokes and picture.
    plat::Result<void> storeLayersForFrameID(const std::string& frameID);
    // Reads the frame's layers back, whole or not at all: a damaged list or
    // strokes file is kept aside, and it, an empty list or a layer without
    // its strokes file fails and changes nothing. Layers painted on a canvas
    // of another size (their strokes tell, or in files of earlier versions
    // their pictures, else the frame's painted picture against its unpainted
    // one) have their strokes scaled to this one and their
    // pictures drawn again; strokes whose canvas nothing tells fail with
    // StrokeScaling's kUnknownCanvasSize and change nothing. Any other
    // damaged picture (wrong size included) is kept aside and drawn again
    // from the layer's strokes; the names of those kept aside. The first
    // layer becomes current. No list: nothing changes.
    plat::Result<std::vector<std::string>> loadLayersForFrameID(const std::string& frameID);
    // Whether any layer holds a stroke (one undone does not count).
    bool hasStrokes() const;
    // A frame's stroke file ("canvas-%@.cnv": its own, or another's that
    // the painting goes on from) brought to this canvas from the one it was
    // painted on, as the archive tells, or in files of earlier versions and
    // other devices that frame's layer pictures or else its painted picture
    // against its unpainted one; failing with StrokeScaling's
    // kUnknownCanvasSize when nothing tells.
    plat::Result<plat::Data> fitStrokesOfFrame(const std::string& frameID, const plat::Data& strokes);

    // What one layer stores: its dictionary form and its strokes.
    struct LayerContent {
        plat::Dictionary form;
        std::optional<plat::Data> strokes;
        friend bool operator==(const LayerContent&, const LayerContent&) = default;
    };
    // What the layers hold, front first; equal contents store the same files.
    std::vector<LayerContent> contents();

    static constexpr const char* kErrorDomain = "PainterLayerManager";
    static constexpr int64_t kMissingStrokesError = 3;

private:
    std::shared_ptr<PainterLayer> makeLayerNamed(std::string name);
    void showLayerViews();
    std::shared_ptr<plat::View> viewOf(const PainterLayer& layer) const;
    void showPicture(PainterLayer& layer, std::shared_ptr<const plat::Image> picture);
    std::shared_ptr<const plat::Image> pictureOf(const PainterLayer& layer);
    bool isIndex(int64_t index) const { return index >= 0 && index < static_cast<int64_t>(_layers.size()); }
    std::shared_ptr<const plat::Image> readPicture(const std::string& fileName) const;
    std::vector<std::shared_ptr<const plat::Image>> readLayerPictures(
        const std::string& frameID, const std::vector<std::shared_ptr<PainterLayer>>& layers) const;
    // The size of the canvas that layer pictures were painted on: this
    // canvas's when one of them has it, else the first of its proportions.
    std::optional<plat::Size> paintedCanvasSize(const std::vector<std::shared_ptr<const plat::Image>>& pictures) const;
    // A stroke archive brought to this canvas (StrokeScaling::fittedArchive);
    // as it is without a canvas.
    plat::Result<StrokeScaling::FittedArchive> fitToCanvas(
        const plat::Data& strokes, std::optional<plat::Size> picturesCanvas) const;
    // The frame's stroke archives brought to this canvas, as fitToCanvas;
    // those that nothing else tells the canvas of, from the one the frame's
    // painted picture against its unpainted one tells.
    plat::Result<std::vector<StrokeScaling::FittedArchive>> fitArchivesOfFrame(const std::string& frameID,
        const std::vector<plat::Data>& archives, std::optional<plat::Size> picturesCanvas) const;
    // The canvas the frame's painted picture against its unpainted one tells the strokes were painted on.
    std::optional<plat::Size> canvasOfFramePictures(
        const std::string& frameID, const std::vector<plat::Data>& archives) const;
    std::shared_ptr<plat::Image> drawStrokesOfLayer(PainterLayer& layer);

    std::shared_ptr<ProjectModel> _project;
    int64_t _layerNumber = 0;
    std::vector<std::shared_ptr<PainterLayer>> _layers;
    std::shared_ptr<PainterLayer> _currentLayer;
    std::shared_ptr<PaintingCanvasView> _paintingCanvas;
    std::shared_ptr<plat::View> _viewCanvas;
    std::shared_ptr<const plat::Image> _imageBackground;
};

}  // namespace zt
