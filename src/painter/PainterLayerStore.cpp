// Layers on disk: the frame's layer list with each layer's strokes and
// picture, their reading back, and their copy for a duplicated frame.
#include <cmath>

#include "document/FailureReason.h"
#include "document/FileUtil.h"
#include "document/FrameFiles.h"
#include "document/ProjectModel.h"
#include "painter/PainterFiles.h"
#include "painter/PainterLayer.h"
#include "painter/PainterLayerManager.h"
#include "painter/PaintingArea.h"
#include "painter/PaintingCanvasView.h"
#include "painter/StrokeArchive.h"
#include "painter/StrokeCanvasFinder.h"
#include "painter/StrokeScaling.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/ImageView.h"

namespace zt {

plat::Result<void> PainterLayerManager::duplicateFrameID(
    const std::string& frameID, const std::string& newFrameID, ProjectModel& project)
{
    auto data = project.fileDataForFileWithPreferredFilename(PainterFiles::layersFileName(frameID));
    if (!data)
        return plat::Result<void>::success();
    auto layers = PainterLayerArchive::layersWithData(*data);
    if (!layers.ok())
        return layers.error();
    for (auto& layer : layers.value()) {
        const std::string oldID = *layer.getString("UUID");
        const std::string newID = FileUtil::createUUID();
        layer.set("UUID", plat::Value(newID));
        const std::pair<std::string, std::string> files[] = {
            {PainterFiles::layerPictureFileName(frameID, oldID), PainterFiles::layerPictureFileName(newFrameID, newID)},
            {PainterFiles::layerStrokesFileName(frameID, oldID), PainterFiles::layerStrokesFileName(newFrameID, newID)},
        };
        for (const auto& [from, to] : files) {
            // A layer without one of its files goes on without it.
            if (project.fileDataForFileWithPreferredFilename(from) && !project.cloneFileWithPreferredFilename(from, to))
                plat::log("painter: cannot copy {} to {}", from, to);
        }
    }
    auto archived = PainterLayerArchive::archivedDataWithLayers(layers.value());
    if (!archived.ok())
        return archived.error();
    if (!project.updateRegularFileWithContents(archived.value(), PainterFiles::layersFileName(newFrameID)))
        return plat::Error("PainterLayerManager", 1, "cannot write the layer list of the copied frame");
    return plat::Result<void>::success();
}

plat::Result<void> PainterLayerManager::storeLayersForFrameID(const std::string& frameID)
{
    saveLayer(*_currentLayer);
    showLayerViews();
    std::vector<plat::Dictionary> stored;
    std::optional<plat::Error> cause;
    for (const auto& layer : _layers) {
        if (!layer->canStored())
            continue;
        if (layer->bufferData()
            && !_project->updateRegularFileWithContents(
                *layer->bufferData(), PainterFiles::layerStrokesFileName(frameID, layer->UUID()), &cause))
            return errorWithCause("PainterLayerManager", 2, "cannot write the strokes of a layer", cause);
        if (auto picture = pictureOf(*layer)) {
            auto png = plat::PNGRepresentation(*picture);
            if (!png
                || !_project->updateRegularFileWithContents(
                    *png, PainterFiles::layerPictureFileName(frameID, layer->UUID()), &cause))
                return errorWithCause("PainterLayerManager", 2, "cannot write the picture of a layer", cause);
        }
        stored.push_back(layer->encode());
    }
    auto archived = PainterLayerArchive::archivedDataWithLayers(stored);
    if (!archived.ok())
        return archived.error();
    if (!_project->updateRegularFileWithContents(archived.value(), PainterFiles::layersFileName(frameID), &cause))
        return errorWithCause("PainterLayerManager", 2, "cannot write the layer list", cause);
    return plat::Result<void>::success();
}

std::shared_ptr<const plat::Image> PainterLayerManager::readPicture(const std::string& fileName) const
{
    auto data = _project->fileDataForFileWithPreferredFilename(fileName);
    return data ? plat::Image::imageWithData(*data) : nullptr;
}

std::vector<std::shared_ptr<const plat::Image>> PainterLayerManager::readLayerPictures(
    const std::string& frameID, const std::vector<std::shared_ptr<PainterLayer>>& layers) const
{
    std::vector<std::shared_ptr<const plat::Image>> pictures;
    for (const auto& layer : layers)
        pictures.push_back(readPicture(PainterFiles::layerPictureFileName(frameID, layer->UUID())));
    return pictures;
}

std::optional<plat::Size> PainterLayerManager::paintedCanvasSize(
    const std::vector<std::shared_ptr<const plat::Image>>& pictures) const
{
    if (!_paintingCanvas)
        return std::nullopt;
    const plat::Size canvas = _paintingCanvas->pictureSize();
    if (canvas.width <= 0 || canvas.height <= 0)
        return std::nullopt;
    for (const auto& picture : pictures)
        if (picture && picture->size() == canvas)
            return canvas;
    // Every canvas has the screen's picture proportions; its height is cut to whole pixels.
    for (const auto& picture : pictures) {
        const plat::Size size = picture ? picture->size() : plat::Size {};
        if (size.width > 0 && std::abs(size.height - size.width * canvas.height / canvas.width) <= 1)
            return size;
    }
    return std::nullopt;
}

plat::Result<StrokeScaling::FittedArchive> PainterLayerManager::fitToCanvas(
    const plat::Data& strokes, std::optional<plat::Size> picturesCanvas) const
{
    const plat::Size canvas = _paintingCanvas ? _paintingCanvas->pictureSize() : plat::Size {};
    if (canvas.width <= 0)
        return StrokeScaling::FittedArchive {strokes, picturesCanvas};
    return StrokeScaling::fittedArchive(strokes, canvas, picturesCanvas);
}

plat::Result<std::vector<StrokeScaling::FittedArchive>> PainterLayerManager::fitArchivesOfFrame(
    const std::string& frameID, const std::vector<plat::Data>& archives, std::optional<plat::Size> picturesCanvas) const
{
    std::vector<StrokeScaling::FittedArchive> fitted;
    std::optional<plat::Size> framePicturesCanvas;
    bool framePicturesAsked = false;
    for (const plat::Data& archive : archives) {
        auto one = fitToCanvas(archive, picturesCanvas);
        if (!one.ok() && StrokeScaling::isUnknownCanvasSize(one.error())) {
            // Archives of earlier versions and of other devices do not tell their canvas.
            if (!framePicturesAsked)
                framePicturesCanvas = canvasOfFramePictures(frameID, archives);
            framePicturesAsked = true;
            if (framePicturesCanvas)
                one = fitToCanvas(archive, framePicturesCanvas);
        }
        if (!one.ok())
            return one.error();
        fitted.push_back(std::move(one.value()));
    }
    return fitted;
}

std::optional<plat::Size> PainterLayerManager::canvasOfFramePictures(
    const std::string& frameID, const std::vector<plat::Data>& archives) const
{
    auto unpainted = readPicture(PainterFiles::unpaintedPictureFileName(frameID));
    auto painted = readPicture(FrameFiles::pictureFileName(frameID));
    if (!unpainted || !painted)
        return std::nullopt;
    StrokeList strokes;
    for (const plat::Data& archive : archives) {
        auto some = StrokeArchive::strokesWithData(archive);
        if (some.ok())
            strokes.insert(strokes.end(), some.value().begin(), some.value().end());
    }
    return StrokeCanvasFinder::canvasOfStrokes(strokes, *unpainted, *painted, PaintingArea::canvasSizesOfDevices());
}

plat::Result<plat::Data> PainterLayerManager::fitStrokesOfFrame(const std::string& frameID, const plat::Data& strokes)
{
    // Archives of earlier versions do not tell their canvas; that frame's layer pictures may.
    std::vector<std::shared_ptr<PainterLayer>> layers;
    if (auto list = _project->fileDataForFileWithPreferredFilename(PainterFiles::layersFileName(frameID))) {
        if (auto dictionaries = PainterLayerArchive::layersWithData(*list); dictionaries.ok())
            for (const auto& dictionary : dictionaries.value())
                layers.push_back(PainterLayer::initWithDict(dictionary).value());
    }
    auto fitted = fitArchivesOfFrame(frameID, {strokes}, paintedCanvasSize(readLayerPictures(frameID, layers)));
    if (!fitted.ok())
        return fitted.error();
    return std::move(fitted.value().front().archive);
}

std::shared_ptr<plat::Image> PainterLayerManager::drawStrokesOfLayer(PainterLayer& layer)
{
    if (!_paintingCanvas || !layer.bufferData())
        return nullptr;
    _paintingCanvas->erase();
    if (!_paintingCanvas->loadBufferData(*layer.bufferData()).ok())
        return nullptr;
    auto picture = _paintingCanvas->createImage();
    _paintingCanvas->erase();
    return picture;
}

plat::Result<std::vector<std::string>> PainterLayerManager::loadLayersForFrameID(const std::string& frameID)
{
    std::vector<plat::Dictionary> dictionaries;
    auto list = PainterFiles::readFile(*_project, PainterFiles::layersFileName(frameID),
        [&dictionaries](const plat::Data& data) -> plat::Result<void> {
            auto read = PainterLayerArchive::layersWithData(data);
            if (!read.ok())
                return read.error();
            if (read.value().empty())
                return plat::Error(
                    PainterLayer::kErrorDomain, PainterLayer::kNotALayer, "the layer list holds no layer");
            dictionaries = std::move(read.value());
            return plat::Result<void>::success();
        });
    if (!list.ok())
        return list.error();
    if (!list.value())
        return std::vector<std::string>();

    // Every layer's strokes are read before anything changes: a layer
    // without them would show empty, and the next save would keep it so.
    std::vector<std::shared_ptr<PainterLayer>> loaded;
    for (const auto& dictionary : dictionaries) {
        if (loaded.size() >= kMaximumLayers)
            break;
        auto layer = PainterLayer::initWithDict(dictionary).value();
        const std::string strokesName = PainterFiles::layerStrokesFileName(frameID, layer->UUID());
        auto strokes = PainterFiles::readStrokeArchive(*_project, strokesName);
        if (!strokes.ok())
            return strokes.error();
        if (!strokes.value())
            return plat::Error(
                kErrorDomain, kMissingStrokesError, "the strokes of a layer are missing: " + strokesName);
        layer->setBufferData(strokes.value());
        loaded.push_back(std::move(layer));
    }
    // A painting made on a canvas of another size (another device's) comes
    // back with its strokes where they were on it. Archives of earlier
    // versions do not tell their canvas; the layer pictures, or the frame's,
    // may.
    const auto pictures = readLayerPictures(frameID, loaded);
    std::vector<plat::Data> archives;
    for (const auto& layer : loaded)
        archives.push_back(*layer->bufferData());
    auto fitted = fitArchivesOfFrame(frameID, archives, paintedCanvasSize(pictures));
    if (!fitted.ok())
        return fitted.error();
    std::vector<std::optional<plat::Size>> paintedOn;
    for (size_t index = 0; index < loaded.size(); ++index) {
        loaded[index]->setBufferData(std::move(fitted.value()[index].archive));
        paintedOn.push_back(fitted.value()[index].paintedOn);
    }
    const plat::Size canvas = _paintingCanvas ? _paintingCanvas->pictureSize() : plat::Size {};
    std::vector<std::string> damagedPictures;
    for (size_t index = 0; index < loaded.size(); ++index) {
        auto& layer = *loaded[index];
        auto picture = pictures[index];
        // A picture of the painting's other canvas is drawn again at this
        // one's size; any other that is not this canvas's is damaged.
        if (!picture || (_paintingCanvas && picture->size() != canvas)) {
            const std::string pictureName = PainterFiles::layerPictureFileName(frameID, layer.UUID());
            const bool ofThePainting = picture && paintedOn[index] && picture->size() == *paintedOn[index];
            if (!ofThePainting) {
                // Whatever is there, opened or not, is no picture of this canvas.
                auto there = PainterFiles::readFile(*_project, pictureName, [&picture](const plat::Data&) {
                    return plat::Error(PainterLayer::kErrorDomain, PainterLayer::kNotALayer,
                        picture ? "a layer picture of another size" : "not a picture");
                });
                if (!there.ok() && PainterFiles::wasKeptAsideFor(there.error()))
                    damagedPictures.push_back(pictureName);
            }
            picture = nullptr;
        }
        if (!picture)
            picture = drawStrokesOfLayer(layer);
        if (picture)
            showPicture(layer, picture);
    }

    for (const auto& layer : _layers)
        if (layer->viewImage())
            layer->viewImage()->removeFromSuperview();
    _layers = std::move(loaded);
    _currentLayer = _layers.front();
    restoreLayer(*_currentLayer);
    return damagedPictures;
}

bool PainterLayerManager::hasStrokes() const
{
    for (const auto& layer : _layers) {
        if (layer == _currentLayer) {
            if (_paintingCanvas && _paintingCanvas->canUndo())
                return true;
        } else if (layer->bufferData()) {
            auto strokes = StrokeArchive::strokesWithData(*layer->bufferData());
            if (strokes.ok() && !strokes.value().empty())
                return true;
        }
    }
    return false;
}

std::vector<PainterLayerManager::LayerContent> PainterLayerManager::contents()
{
    std::vector<LayerContent> contents;
    for (const auto& layer : _layers) {
        const bool inCanvas = layer == _currentLayer && _paintingCanvas;
        contents.push_back({layer->encode(), inCanvas ? _paintingCanvas->getBufferData() : layer->bufferData()});
    }
    return contents;
}

}  // namespace zt
