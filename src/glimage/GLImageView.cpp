#include "glimage/GLImageView.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"
#include "platform/gl/GLContext.h"
#include "platform/ui/EAGLLayer.h"
#include "platform/ui/Screen.h"

namespace zt {

namespace {

constexpr float kDisplayTextureCoordinates[8][8] = {
    {0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f},  // no rotation
    {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f},  // rotate left
    {1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f},  // rotate right
    {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f},  // flip vertically
    {1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f},  // flip horizontally
    {1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f},  // rotate right, flip vertically
    {1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f},  // rotate right, flip horizontally
    {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f},  // rotate 180°
};

std::shared_ptr<plat::EAGLLayer> makeDisplayLayer()
{
    auto layer = plat::EAGLLayer::layer();
    layer->setDrawableProperties({.retainedBacking = false, .colorFormat = plat::GLDrawableColorFormat::RGBA8});
    return layer;
}

// The largest rectangle of aspectRatio's proportions inside bounds; none
// when either has no area.
plat::Size aspectFitSize(plat::Size aspectRatio, plat::Size bounds)
{
    if (aspectRatio.width <= 0 || aspectRatio.height <= 0 || bounds.width <= 0 || bounds.height <= 0)
        return {};
    if (bounds.width / aspectRatio.width <= bounds.height / aspectRatio.height)
        return {bounds.width, aspectRatio.height * bounds.width / aspectRatio.width};
    return {aspectRatio.width * bounds.height / aspectRatio.height, bounds.height};
}

}  // namespace

GLImageView::GLImageView(plat::Rect frame)
    : plat::View(frame, makeDisplayLayer())
{
    _eaglLayer = std::static_pointer_cast<plat::EAGLLayer>(layer());
    commonInit();
}

GLImageView::~GLImageView()
{
    runSynchronouslyOnContextQueue([this] { destroyDisplayFramebuffer(); });
}

const float* GLImageView::textureCoordinatesForRotation(GLImageRotationMode rotationMode)
{
    const int mode = static_cast<int>(rotationMode);
    if (mode < 0 || mode > 7)
        plat::detail::fatal("GLImageView: rotation mode {} is not 0..7", mode);
    return kDisplayTextureCoordinates[mode];
}

void GLImageView::commonInit()
{
    setContentScaleFactor(plat::Screen::mainScreen().scale());
    setOpaque(true);
    setHidden(false);
    noteBoundsForDrawing();
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        displayProgram = GLImageFilter::linkedProgram(
            kGLImageVertexShaderString, kGLImagePassthroughFragmentShaderString, kGLImageFilterAttributes);
        displayPositionAttribute = int32_t(displayProgram->attributeIndex("position"));
        displayTextureCoordinateAttribute = int32_t(displayProgram->attributeIndex("inputTextureCoordinate"));
        displayInputTextureUniform = displayProgram->uniformIndex("inputImageTexture");
        GLImageContext::setActiveShaderProgram(displayProgram);
        glEnableVertexAttribArray(GLuint(displayPositionAttribute));
        glEnableVertexAttribArray(GLuint(displayTextureCoordinateAttribute));
        createDisplayFramebuffer();
    });
}

void GLImageView::noteBoundsForDrawing()
{
    // Asked here so the layer knows its pixel size when the context queue
    // gives the renderbuffer its storage.
    (void)_eaglLayer->drawablePixelSize();
    const plat::Size boundsSize = bounds().size;
    const double scale = contentScaleFactor();
    runSynchronouslyOnContextQueue([&] {
        _boundsSize = boundsSize;
        _scale = scale;
    });
}

void GLImageView::layerBoundsDidChange(plat::Layer& changedLayer, plat::Rect oldBounds)
{
    plat::View::layerBoundsDidChange(changedLayer, oldBounds);
    noteBoundsForDrawing();
    if (bounds().size.width == 0 || bounds().size.height == 0)
        return;  // the old framebuffer stays until a size comes back
    runSynchronouslyOnContextQueue([this] {
        destroyDisplayFramebuffer();
        createDisplayFramebuffer();
        recalculateViewGeometry();
    });
}

void GLImageView::createDisplayFramebuffer()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        displayFramebuffer = GLFramebuffer::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, displayFramebuffer.name());
        displayRenderbuffer = GLRenderbuffer::generate();
        glBindRenderbuffer(GL_RENDERBUFFER, displayRenderbuffer.name());
        // A layer without pixels refuses storage; the size read back is then 0.
        (void)GLImageContext::sharedImageProcessingContext().context()->renderbufferStorage(
            GL_RENDERBUFFER, _eaglLayer);
        GLint backingWidth = 0;
        GLint backingHeight = 0;
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &backingWidth);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &backingHeight);
        if (backingWidth == 0 || backingHeight == 0) {
            destroyDisplayFramebuffer();
            return;
        }
        _sizeInPixels = {double(backingWidth), double(backingHeight)};
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, displayRenderbuffer.name());
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            plat::detail::fatal("Failure with display framebuffer generation for display of size: {}, {}",
                _boundsSize.width, _boundsSize.height);
    });
}

void GLImageView::destroyDisplayFramebuffer()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        displayFramebuffer.reset();
        displayRenderbuffer.reset();
    });
}

void GLImageView::setDisplayFramebuffer()
{
    if (!displayFramebuffer)
        createDisplayFramebuffer();
    if (!displayFramebuffer)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, displayFramebuffer.name());
    glViewport(0, 0, GLsizei(_sizeInPixels.width), GLsizei(_sizeInPixels.height));
}

void GLImageView::presentFramebuffer()
{
    glBindRenderbuffer(GL_RENDERBUFFER, displayRenderbuffer.name());
    GLImageContext::sharedImageProcessingContext().presentBufferForDisplay();
}

void GLImageView::recalculateViewGeometry()
{
    runSynchronouslyOnContextQueue([this] {
        const plat::Size bounds = _boundsSize;
        const plat::Size fitted = aspectFitSize(inputImageSize, bounds);
        float widthScaling = 1.0f;
        float heightScaling = 1.0f;
        // Without a frame size yet (or without bounds) there is no fit to
        // make: the quad fills the view.
        if (fitted.width > 0 && fitted.height > 0) {
            switch (_fillMode.load()) {
            case fillModeAspectFit:
                widthScaling = float(fitted.width / bounds.width);
                heightScaling = float(fitted.height / bounds.height);
                break;
            case fillModeAspectFill:
                widthScaling = float(bounds.height / fitted.height);
                heightScaling = float(bounds.width / fitted.width);
                break;
            default:
                break;
            }
        }
        const float vertices[8] = {-widthScaling, -heightScaling, widthScaling, -heightScaling, -widthScaling,
            heightScaling, widthScaling, heightScaling};
        std::copy(std::begin(vertices), std::end(vertices), std::begin(imageVertices));
    });
}

void GLImageView::setBackgroundColorRed(
    float redComponent, float greenComponent, float blueComponent, float alphaComponent)
{
    runSynchronouslyOnContextQueue([&] {
        backgroundColorRed = redComponent;
        backgroundColorGreen = greenComponent;
        backgroundColorBlue = blueComponent;
        backgroundColorAlpha = alphaComponent;
    });
}

void GLImageView::setFillMode(int64_t newValue)
{
    _fillMode = newValue;
    recalculateViewGeometry();
}

plat::Size GLImageView::sizeInPixels()
{
    plat::Size size;
    runSynchronouslyOnContextQueue([&] { size = _sizeInPixels; });
    if (size.width == 0 && size.height == 0)
        return maximumOutputSize();
    return size;
}

plat::Size GLImageView::inputImageSizeForTesting() const
{
    plat::Size size;
    runSynchronouslyOnContextQueue([&] { size = inputImageSize; });
    return size;
}

void GLImageView::newFrameReadyAtTime(const plat::MediaTime&, int64_t)
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::setActiveShaderProgram(displayProgram);
        setDisplayFramebuffer();
        if (!displayFramebuffer)
            return;  // a view without pixels has nothing to draw into
        glClearColor(backgroundColorRed, backgroundColorGreen, backgroundColorBlue, backgroundColorAlpha);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

        glActiveTexture(GL_TEXTURE4);
        glBindTexture(GL_TEXTURE_2D, inputTextureForDisplay);
        glUniform1i(displayInputTextureUniform, 4);

        glVertexAttribPointer(GLuint(displayPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, imageVertices);
        glVertexAttribPointer(GLuint(displayTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0,
            textureCoordinatesForRotation(inputRotation));
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        presentFramebuffer();
    });
}

void GLImageView::setInputTexture(uint32_t newInputTexture, int64_t)
{
    runSynchronouslyOnContextQueue([&] { inputTextureForDisplay = newInputTexture; });
}

void GLImageView::setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t)
{
    runSynchronouslyOnContextQueue([&] { textureDelegate = std::move(newTextureDelegate); });
}

void GLImageView::setInputSize(plat::Size newSize, int64_t)
{
    runSynchronouslyOnContextQueue([&] {
        plat::Size rotatedSize = newSize;
        if (rotationSwapsWidthAndHeight(inputRotation))
            rotatedSize = {newSize.height, newSize.width};
        if (rotatedSize != inputImageSize) {
            inputImageSize = rotatedSize;
            recalculateViewGeometry();
        }
    });
}

void GLImageView::setInputRotation(GLImageRotationMode newInputRotation, int64_t)
{
    runSynchronouslyOnContextQueue([&] { inputRotation = newInputRotation; });
}

plat::Size GLImageView::maximumOutputSize()
{
    plat::Size size;
    runSynchronouslyOnContextQueue([&] { size = {_boundsSize.width * _scale, _boundsSize.height * _scale}; });
    return size;
}

}  // namespace zt
