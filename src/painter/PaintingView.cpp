#include "painter/PaintingView.h"

#include <GLES/gl.h>
#include <GLES/glext.h>
#include <cmath>
#include <map>

#include "painter/CanvasSurface.h"
#include "painter/PainterBrush.h"
#include "painter/Stroke.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/EAGLLayer.h"

namespace zt {

namespace {
// Dabs are premultiplied (the blending adds the tinted dab over what is
// there), so a see-through colour tints them with its components times its
// opacity: unmultiplied, a half-transparent colour would paint too bright.
void setPremultipliedColor(double red, double green, double blue, double alpha)
{
    glColor4f(static_cast<GLfloat>(red * alpha), static_cast<GLfloat>(green * alpha),
        static_cast<GLfloat>(blue * alpha), static_cast<GLfloat>(alpha));
}
}  // namespace

namespace {
constexpr float kEraserAlpha = 0.5f;
constexpr float kFountainPenMinimumSize = 3.0f;
}  // namespace

PaintingView::PaintingView()
    : PaintingView(plat::Rect {})
{
}

PaintingView::PaintingView(plat::Rect frame)
    : PaintingCanvasView(frame)
{
    _strokeBuffer.reserve(100);
    setUpRecognizers();
}

PaintingView::~PaintingView()
{
    if (_surface && _surface->makeCurrent())
        _surface->deleteTexture(_brushTexture);
}

bool PaintingView::hasSurface() const
{
    return _surface && _surface->hasFramebuffer();
}

void PaintingView::createLayer()
{
    auto surface = detail::CanvasSurface::create(eaglLayer());
    if (!surface.ok()) {
        if (!_surfaceFailed)
            plat::log("PaintingView: no canvas: {}", surface.error().description());
        _surfaceFailed = true;
        return;
    }
    _surface = std::move(surface.value());
}

void PaintingView::layoutSubviews()
{
    if (!_surface)
        createLayer();
    if (!_surface || !_surface->makeCurrent())
        return;
    const auto wanted = eaglLayer()->drawablePixelSize();
    if (_surface->hasFramebuffer() && wanted.width == _surface->backingWidth()
        && wanted.height == _surface->backingHeight())
        return;  // the same size: the surface and its strokes stay as they are
    _surface->destroyFramebuffer();
    if (!createFramebuffer())
        return;
    // A new surface is empty: draw what the undo list holds at the new size.
    if (_strokeBuffer.empty())
        _surface->clearAndPresent();
    else
        replayBuffer();
}

bool PaintingView::createFramebuffer()
{
    if (!_surface->createFramebuffer())
        return false;
    setContentScaleFactor(1.0);
    const plat::Rect b = bounds();
    _surface->setUpProjection(b.size.width, b.size.height);
    glDisable(GL_DITHER);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_POINT_SPRITE_OES);
    glTexEnvf(GL_POINT_SPRITE_OES, GL_COORD_REPLACE_OES, GL_TRUE);
    if (_brush)
        changePainterBrush(_brush);
    else
        changeBrush(kBrushTypeBrush);
    return true;
}

void PaintingView::changeBrush(int32_t type)
{
    auto found = brushes().find(type);
    if (found == brushes().end()) {
        _brush = nullptr;
        return;
    }
    changePainterBrush(found->second);
}

void PaintingView::changePainterBrush(std::shared_ptr<PainterBrush> brush)
{
    _brush = std::move(brush);
    if (!_brush || !_brush->image() || !_surface || !_surface->makeCurrent())
        return;
    const auto newTexture = _surface->createTexture(*_brush->image(), detail::CanvasSurface::Flip::No, false);
    if (newTexture == 0)
        return;
    _surface->deleteTexture(_brushTexture);
    _brushTexture = newTexture;
    glBindTexture(GL_TEXTURE_2D, _brushTexture);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    const plat::Color color = _brush->color().value_or(plat::Color::clearColor());
    setPremultipliedColor(color.red(), color.green(), color.blue(), color.alpha());
    if (auto pixels = _brush->image()->bitmap())
        _pointSize = static_cast<float>(pixels->width() / 2);
}

void PaintingView::setBrushColorWithRed(double red, double green, double blue)
{
    if (_surface && _surface->makeCurrent())
        glColor4f(static_cast<GLfloat>(red), static_cast<GLfloat>(green), static_cast<GLfloat>(blue), 1.0f);
    if (_brush)
        _brush->setColor(plat::Color::colorWithRed(red, green, blue, 1.0));
}

float PaintingView::pointSizeFor(const LinePoint& sample) const
{
    if (!_brush)
        return _pointSize;
    const auto size = static_cast<float>(_brush->size());
    switch (_brush->type()) {
    case kBrushTypeEraser:
    case kBrushTypeBrush:
        return size * sample.width();
    case kBrushTypePen:
        return size;
    case kBrushTypeFountainPen:
        return size - sample.width() > kFountainPenMinimumSize ? size - sample.width() : kFountainPenMinimumSize;
    default:
        return _pointSize;
    }
}

void PaintingView::drawFromBuffer(bool replaying, plat::Point offset)
{
    if (!_surface || !_surface->hasFramebuffer())
        return;
    if (!replaying) {
        _surface->makeCurrent();
        _surface->bindFramebuffer();
    }
    if (auto samples = _recorder.sampler().calculateSmoothLinePoints()) {
        if (_brush && _brush->type() == kBrushTypeEraser) {
            glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);
            glColor4f(0, 0, 0, kEraserAlpha);
        }
        std::vector<detail::Dab> dabs;
        dabs.reserve(samples->size());
        for (const auto& sample : *samples) {
            _pointSize = pointSizeFor(sample);
            dabs.push_back({static_cast<float>(sample.pos().x + offset.x),
                static_cast<float>(sample.pos().y + offset.y), _pointSize});
        }
        _surface->drawDabs(dabs);
    }
    if (!replaying)
        _surface->present();
}

void PaintingView::replayBuffer()
{
    if (!_surface || !_surface->hasFramebuffer() || !_surface->makeCurrent())
        return;
    const auto rememberedBrush = _brush;
    // Replays set each brush to the size its strokes were made with; the
    // sizes the user chose come back afterwards, for every brush. Brush
    // colours are never changed here (strokes set the GL colour only).
    std::map<const PainterBrush*, int64_t> chosenSizes;
    for (const auto& [type, brush] : brushes())
        if (brush)
            chosenSizes[brush.get()] = brush->size();

    _surface->bindFramebuffer();
    _surface->clear();
    bool first = true;
    for (const auto& stroke : _strokeBuffer) {
        if (stroke->type() == kBrushTypeMove)
            continue;
        if (first || !_brush || stroke->type() != _brush->type())
            changeBrush(stroke->type());
        first = false;
        if (_brush && _brush->size() != stroke->brushSize()) {
            const bool usable = stroke->brushSize() >= Stroke::kSmallestReplayedBrushSize
                && stroke->brushSize() <= Stroke::kLargestReplayedBrushSize;
            _brush->setSize(usable ? stroke->brushSize() : _brush->defaultSize());
        }
        setPremultipliedColor(stroke->red(), stroke->green(), stroke->blue(), stroke->alpha());
        _recorder.sampler().setVelocities(stroke->velocities());
        for (const auto& window : stroke->points()) {
            _recorder.sampler().setPoints(window);
            drawFromBuffer(/*replaying=*/true, stroke->offset());
        }
    }
    _surface->present();
    _recorder.sampler().reset();

    changePainterBrush(rememberedBrush);
    for (const auto& [type, brush] : brushes())
        if (brush)
            brush->setSize(chosenSizes[brush.get()]);
}

void PaintingView::erase()
{
    if (_surface)
        _surface->clearAndPresent();
    _strokeBuffer.clear();
    historyChanged();
}

void PaintingView::shiftStrokes(plat::Point by)
{
    for (const auto& stroke : _strokeBuffer)
        stroke->setOffset({stroke->offset().x + by.x, stroke->offset().y + by.y});
}

void PaintingView::undo()
{
    if (!canUndo())
        return;
    auto stroke = _strokeBuffer.back();
    if (stroke->type() == kBrushTypeMove && stroke->moveDisplacement()) {
        const plat::Point d = stroke->moveDisplacement()->pos();
        shiftStrokes({d.x, -d.y});
    }
    _redoBuffer.push_back(stroke);
    _strokeBuffer.pop_back();
    replayBuffer();
    historyChanged();
}

void PaintingView::redo()
{
    if (!canRedo())
        return;
    auto stroke = _redoBuffer.back();
    if (stroke->type() == kBrushTypeMove && stroke->moveDisplacement()) {
        const plat::Point d = stroke->moveDisplacement()->pos();
        shiftStrokes({-d.x, d.y});
    }
    _redoBuffer.pop_back();
    _strokeBuffer.push_back(stroke);
    replayBuffer();
    historyChanged();
}

void PaintingView::appendStroke(std::shared_ptr<Stroke> stroke)
{
    _strokeBuffer.push_back(std::move(stroke));
    _redoBuffer.clear();
    historyChanged();
}

std::shared_ptr<plat::Image> PaintingView::createImage()
{
    const plat::Size size = pictureSize();
    const int width = static_cast<int>(size.width);
    const int height = static_cast<int>(size.height);
    if (_surface && _surface->makeCurrent())
        return _surface->createImage(width, height);
    auto empty = plat::Bitmap::allocateCleared(width, height, plat::PixelOrder::RGBA);
    return empty ? plat::Image::imageWithBitmap(empty) : nullptr;
}

std::optional<plat::Data> PaintingView::getBufferData()
{
    // Where the strokes belong on a canvas of another size goes with them;
    // no strokes belong anywhere.
    const plat::Size canvas = pictureSize();
    const bool hasSize = !_strokeBuffer.empty() && canvas.width > 0 && canvas.height > 0;
    auto data = StrokeArchive::archivedDataWithStrokes(
        _strokeBuffer, hasSize ? std::optional<plat::Size>(canvas) : std::nullopt);
    if (!data.ok()) {
        plat::log("PaintingView: cannot archive the strokes: {}", data.error().description());
        return std::nullopt;
    }
    return data.value();
}

plat::Result<void> PaintingView::loadBufferData(const plat::Data& data)
{
    auto strokes = StrokeArchive::strokesWithData(data);
    if (!strokes.ok())
        return strokes.error();
    _strokeBuffer = std::move(strokes.value());
    replayBuffer();
    historyChanged();
    return plat::Result<void>::success();
}

}  // namespace zt
