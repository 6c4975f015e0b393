#include "painter/MaskingView.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include "painter/CanvasSurface.h"
#include "painter/Stroke.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/EAGLLayer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace zt {

namespace {
constexpr float kMaskAlpha = 0.5f;
}

std::shared_ptr<MaskingView> MaskingView::create(plat::Rect frame)
{
    // The layer comes with the view, so the surface is made for it afterwards.
    auto view = std::make_shared<MaskingView>(frame, nullptr);
    auto surface = detail::CanvasSurface::create(view->eaglLayer());
    if (!surface.ok()) {
        plat::log("MaskingView: no canvas: {}", surface.error().description());
        return nullptr;
    }
    view->_surface = std::move(surface.value());
    view->addGestureRecognizer(std::make_shared<plat::TapGestureRecognizer>(view.get(), &MaskingView::handleSingleTap));
    auto pan = std::make_shared<plat::PanGestureRecognizer>(view.get(), &MaskingView::handlePanGesture);
    pan->setMaximumNumberOfTouches(1);
    view->addGestureRecognizer(pan);
    return view;
}

MaskingView::MaskingView(plat::Rect frame, std::unique_ptr<detail::CanvasSurface> surface)
    : PaintingCanvasView(frame)
    , _surface(std::move(surface))
{
    _strokeBuffer.reserve(100);
}

MaskingView::~MaskingView()
{
    if (_surface && _surface->makeCurrent())
        _surface->deleteTexture(_texture);
}

void MaskingView::layoutSubviews()
{
    if (!_surface || !_surface->makeCurrent())
        return;
    const auto wanted = eaglLayer()->drawablePixelSize();
    if (_surface->hasFramebuffer() && wanted.width == _surface->backingWidth()
        && wanted.height == _surface->backingHeight())
        return;
    _surface->destroyFramebuffer();
    if (!createFramebuffer())
        return;
    // A new surface is empty: the picture and every stroke are drawn again.
    replayBuffer();
}

bool MaskingView::createFramebuffer()
{
    if (!_surface->createFramebuffer())
        return false;
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    _surface->deleteTexture(_texture);
    if (_bgImage)
        _texture = _surface->createTexture(*_bgImage, detail::CanvasSurface::Flip::Yes, /*clampToEdge=*/true);
    if (_texture == 0) {
        // A texture without a picture is incomplete: the quad is drawn plain white.
        GLuint name = 0;
        glGenTextures(1, &name);
        _texture = name;
    }
    setContentScaleFactor(1.0);
    const plat::Rect b = bounds();
    _surface->setUpProjection(b.size.width, b.size.height);
    glDisable(GL_DITHER);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    return true;
}

void MaskingView::setBackgroundImage(std::shared_ptr<const plat::Image> image)
{
    _bgImage = std::move(image);
    // A picture that comes after the surface was made shows at once.
    if (_surface && _surface->hasFramebuffer() && _surface->makeCurrent()) {
        _surface->bindFramebuffer();
        _surface->deleteTexture(_texture);
        if (_bgImage)
            _texture = _surface->createTexture(*_bgImage, detail::CanvasSurface::Flip::Yes, /*clampToEdge=*/true);
        replayBuffer();
    }
}

void MaskingView::drawBack(bool replaying)
{
    if (!_surface || !_surface->hasFramebuffer())
        return;
    if (!replaying) {
        _surface->makeCurrent();
        _surface->bindFramebuffer();
    }
    glBlendFunc(GL_ONE, GL_ZERO);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, _texture);
    const auto w = static_cast<GLfloat>(_surface->backingWidth());
    const auto h = static_cast<GLfloat>(_surface->backingHeight());
    const GLfloat vertices[] = {0, h, w, h, 0, 0, w, 0};
    const GLfloat coordinates[] = {0, 1, 1, 1, 0, 0, 1, 0};
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!replaying)
        _surface->present();
}

void MaskingView::drawFromBuffer(bool replaying)
{
    if (!_surface || !_surface->hasFramebuffer())
        return;
    if (!replaying) {
        _surface->makeCurrent();
        _surface->bindFramebuffer();
    }
    if (auto samples = _recorder.sampler().calculateSmoothLinePoints()) {
        // Texture 0 has no picture, so the dabs are plain squares.
        glBindTexture(GL_TEXTURE_2D, 0);
        glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(0, 0, 0, kMaskAlpha);
        std::vector<detail::Dab> dabs;
        dabs.reserve(samples->size());
        for (const auto& sample : *samples)
            dabs.push_back({static_cast<float>(sample.pos().x), static_cast<float>(sample.pos().y),
                sample.width() * kDabSizePerWidth});
        _surface->drawDabs(dabs);
    }
    if (!replaying)
        _surface->present();
}

void MaskingView::replayBuffer()
{
    if (!_surface || !_surface->hasFramebuffer() || !_surface->makeCurrent())
        return;
    _surface->bindFramebuffer();
    _surface->clear();
    drawBack(/*replaying=*/true);
    for (const auto& stroke : _strokeBuffer) {
        _recorder.sampler().setVelocities(stroke->velocities());
        for (const auto& window : stroke->points()) {
            _recorder.sampler().setPoints(window);
            drawFromBuffer(/*replaying=*/true);
        }
    }
    _recorder.sampler().reset();
    _surface->present();
}

void MaskingView::undo()
{
    if (!canUndo())
        return;
    _redoBuffer.push_back(_strokeBuffer.back());
    _strokeBuffer.pop_back();
    replayBuffer();
    historyChanged();
}

void MaskingView::redo()
{
    if (!canRedo())
        return;
    _strokeBuffer.push_back(_redoBuffer.back());
    _redoBuffer.pop_back();
    replayBuffer();
    historyChanged();
}

void MaskingView::erase()
{
    if (_surface)
        _surface->clearAndPresent();
    _strokeBuffer.clear();
    historyChanged();
}

std::shared_ptr<plat::Image> MaskingView::createImage()
{
    const plat::Size size = pictureSize();
    if (_surface && _surface->makeCurrent())
        return _surface->createImage(static_cast<int>(size.width), static_cast<int>(size.height));
    return nullptr;
}

std::optional<plat::Data> MaskingView::getBufferData()
{
    auto data = StrokeArchive::archivedDataWithStrokes(_strokeBuffer);
    if (!data.ok()) {
        plat::log("MaskingView: cannot archive the strokes: {}", data.error().description());
        return std::nullopt;
    }
    return data.value();
}

plat::Result<void> MaskingView::loadBufferData(const plat::Data& data)
{
    auto strokes = StrokeArchive::strokesWithData(data);
    if (!strokes.ok())
        return strokes.error();
    _strokeBuffer = std::move(strokes.value());
    replayBuffer();
    historyChanged();
    return plat::Result<void>::success();
}

std::shared_ptr<Stroke> MaskingView::newStroke() const
{
    auto stroke = std::make_shared<Stroke>();
    stroke->setColor(static_cast<float>(_brushColor.red()), static_cast<float>(_brushColor.green()),
        static_cast<float>(_brushColor.blue()), static_cast<float>(_brushColor.alpha()));
    stroke->setType(kBrushType);
    return stroke;
}

void MaskingView::handleSingleTap(plat::TapGestureRecognizer& recognizer)
{
    _recorder.recordTap(
        detail::StrokeGestureRecorder::canvasPosition(*this, recognizer.locationInView(this)), kTapWidth, newStroke());
}

void MaskingView::handlePanGesture(plat::PanGestureRecognizer& recognizer)
{
    _recorder.followPan(recognizer, *this, [this] { return newStroke(); });
}

}  // namespace zt
