#include "painter/PainterLayerManager.h"

#include <algorithm>

#include "document/ProjectModel.h"
#include "painter/PainterLayer.h"
#include "painter/PaintingCanvasView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/ui/ImageView.h"

namespace zt {

namespace {

std::string layerNameWithNumber(int64_t number)
{
    std::string name = plat::localized("Draw Layer %d");
    const auto placeholder = name.find("%d");
    if (placeholder != std::string::npos)
        name.replace(placeholder, 2, std::to_string(number));
    return name;
}

}  // namespace

PainterLayerManager::PainterLayerManager(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
    _currentLayer = std::make_shared<PainterLayer>();
    _layers.push_back(_currentLayer);
}

PainterLayerManager::~PainterLayerManager() = default;

int64_t PainterLayerManager::indexOfActiveLayer() const
{
    auto found = std::find(_layers.begin(), _layers.end(), _currentLayer);
    return found == _layers.end() ? plat::kNotFound : found - _layers.begin();
}

void PainterLayerManager::setActiveLayerAtIndex(int64_t index)
{
    if (isIndex(index))
        setCurrentLayer(_layers[static_cast<size_t>(index)]);
}

void PainterLayerManager::setCurrentLayer(const std::shared_ptr<PainterLayer>& layer)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!layer || layer == _currentLayer)
        return;
    if (_currentLayer)
        saveLayer(*_currentLayer);
    _currentLayer = layer;
    restoreLayer(*layer);
}

std::shared_ptr<plat::View> PainterLayerManager::viewOf(const PainterLayer& layer) const
{
    if (&layer == _currentLayer.get())
        return _paintingCanvas;
    return layer.viewImage();
}

void PainterLayerManager::showPicture(PainterLayer& layer, std::shared_ptr<const plat::Image> picture)
{
    if (!layer.viewImage()) {
        auto view = std::make_shared<plat::ImageView>(_paintingCanvas
                ? _paintingCanvas->frame()
                : plat::Rect {{0, 0}, picture ? picture->size() : plat::Size {}});
        view->setUserInteractionEnabled(false);
        layer.setViewImage(view);
        if (_viewCanvas)
            _viewCanvas->addSubview(view);
    }
    layer.viewImage()->setImage(std::move(picture));
}

void PainterLayerManager::saveLayer(PainterLayer& layer)
{
    if (!_paintingCanvas)
        return;
    layer.setBufferData(_paintingCanvas->getBufferData());
    showPicture(layer, _paintingCanvas->createImage());
}

void PainterLayerManager::restoreLayer(PainterLayer& layer)
{
    if (_paintingCanvas) {
        _paintingCanvas->erase();
        if (layer.bufferData()) {
            auto loaded = _paintingCanvas->loadBufferData(*layer.bufferData());
            if (!loaded.ok()) {
                plat::log("painter: the strokes of layer {} cannot be read: {}", layer.UUID(),
                    loaded.error().localizedDescription());
                layer.setBufferData(std::nullopt);
            }
        }
    }
    showLayerViews();
}

// The canvas shows the current layer (its own picture view stays hidden
// behind it); every other layer shows in its picture view. Hidden layers
// are not shown, and each shows at its opacity.
void PainterLayerManager::showLayerViews()
{
    for (const auto& layer : _layers) {
        const bool isCurrent = layer == _currentLayer;
        if (layer->viewImage()) {
            layer->viewImage()->setHidden(isCurrent || !layer->isEnabled());
            layer->viewImage()->setAlpha(layer->obacity());
        }
        if (isCurrent && _paintingCanvas) {
            _paintingCanvas->setHidden(!layer->isEnabled());
            _paintingCanvas->setAlpha(layer->obacity());
        }
    }
    orderAllSubviews();
}

void PainterLayerManager::orderAllSubviews()
{
    if (!_viewCanvas)
        return;
    for (const auto& layer : _layers) {
        auto view = viewOf(*layer);
        if (view && view->superview() == _viewCanvas)
            _viewCanvas->sendSubviewToBack(*view);
    }
}

std::shared_ptr<PainterLayer> PainterLayerManager::makeLayerNamed(std::string name)
{
    auto layer = std::make_shared<PainterLayer>();
    layer->setName(std::move(name));
    return layer;
}

bool PainterLayerManager::addLayerAtIndex(int64_t index)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_layers.size() >= kMaximumLayers)
        return false;
    auto layer = makeLayerNamed(layerNameWithNumber(++_layerNumber));
    const auto at = static_cast<size_t>(std::clamp<int64_t>(index, 0, static_cast<int64_t>(_layers.size())));
    _layers.insert(_layers.begin() + static_cast<std::ptrdiff_t>(at), layer);
    setCurrentLayer(layer);
    return true;
}

bool PainterLayerManager::removeLayerAtIndex(int64_t index)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!isIndex(index) || _layers.size() <= 1)
        return false;
    const auto at = static_cast<size_t>(index);
    auto removed = _layers[at];
    if (removed->viewImage()) {
        removed->viewImage()->removeFromSuperview();
        removed->setViewImage(nullptr);
    }
    _layers.erase(_layers.begin() + static_cast<std::ptrdiff_t>(at));
    if (removed == _currentLayer) {
        // Its strokes go with it: the layer that took its place is loaded
        // into the canvas without saving the removed one.
        _currentLayer = _layers[std::min(at, _layers.size() - 1)];
        restoreLayer(*_currentLayer);
    }
    return true;
}

void PainterLayerManager::moveLayerFromIndex(int64_t from, int64_t to)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!isIndex(from) || !isIndex(to) || from == to)
        return;
    auto layer = _layers[static_cast<size_t>(from)];
    _layers.erase(_layers.begin() + from);
    _layers.insert(_layers.begin() + to, layer);
    orderAllSubviews();
}

void PainterLayerManager::enableLayerAtIndex(int64_t index, bool enabled)
{
    if (!isIndex(index))
        return;
    _layers[static_cast<size_t>(index)]->setIsEnabled(enabled);
    showLayerViews();
}

void PainterLayerManager::changeLayerOpacityAtIndex(int64_t index, float opacity)
{
    if (!isIndex(index))
        return;
    _layers[static_cast<size_t>(index)]->setObacity(std::clamp(opacity, 0.0f, 1.0f));
    showLayerViews();
}

std::shared_ptr<const plat::Image> PainterLayerManager::getThumbnailForLayer(const PainterLayer& layer)
{
    if (&layer == _currentLayer.get())
        return _paintingCanvas ? _paintingCanvas->createImage() : nullptr;
    return layer.viewImage() ? layer.viewImage()->image() : nullptr;
}

plat::Result<void> PainterLayerManager::decodeLayerInformationFromData(const std::optional<plat::Data>& data)
{
    if (!data)
        return plat::Result<void>::success();
    _currentLayer->setBufferData(data);
    if (!_paintingCanvas)
        return plat::Result<void>::success();
    auto loaded = _paintingCanvas->loadBufferData(*data);
    if (!loaded.ok()) {
        _currentLayer->setBufferData(std::nullopt);
        _paintingCanvas->erase();
    }
    return loaded;
}

std::optional<plat::Data> PainterLayerManager::encodeLayerInformation()
{
    saveLayer(*_currentLayer);
    showLayerViews();
    return _currentLayer->bufferData();
}

std::shared_ptr<const plat::Image> PainterLayerManager::pictureOf(const PainterLayer& layer)
{
    if (&layer == _currentLayer.get() && _paintingCanvas)
        return _paintingCanvas->createImage();
    return layer.viewImage() ? layer.viewImage()->image() : nullptr;
}

std::shared_ptr<plat::Image> PainterLayerManager::mergeDownAllLayer()
{
    plat::Size size;
    if (_imageBackground)
        size = _imageBackground->size();
    else if (_paintingCanvas)
        size = _paintingCanvas->frame().size;
    plat::ImageContext merged(size, /*opaque=*/false, 1.0);
    auto* context = merged.context();
    if (!context)
        return nullptr;
    const plat::Rect whole {{0, 0}, size};
    if (_imageBackground)
        context->drawImage(*_imageBackground, whole);
    // The back layer first, so that the front one ends on top, as on screen.
    for (auto layer = _layers.rbegin(); layer != _layers.rend(); ++layer) {
        if (!(*layer)->isEnabled())
            continue;
        auto picture = pictureOf(**layer);
        if (!picture || picture == _imageBackground)
            continue;
        context->drawImage(*picture, whole, plat::BlendMode::Normal, (*layer)->obacity());
    }
    return merged.finish();
}

}  // namespace zt
