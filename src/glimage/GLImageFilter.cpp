#include "glimage/GLImageFilter.h"

#include <GLES2/gl2.h>
#include <algorithm>
#include <cmath>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageNearestSampling.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/gl/GLTextureCache.h"
#include "platform/graphics/PixelBuffer.h"

namespace zt {

const std::vector<std::string> kGLImageFilterAttributes = {"position", "inputTextureCoordinate"};

const char* const kGLImageVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

varying vec2 textureCoordinate;

void main()
{
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;
}
)";

const char* const kGLImagePassthroughFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

void main()
{
    gl_FragColor = texture2D(inputImageTexture, textureCoordinate);
}
)";

namespace {

// Static so that the vertex arrays GL keeps pointers to outlive every draw.
constexpr float kFullFrameVertices[8] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};

constexpr float kRotationTextureCoordinates[8][8] = {
    {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f},  // no rotation
    {1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f},  // rotate left
    {0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f},  // rotate right
    {0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f},  // flip vertically
    {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f},  // flip horizontally
    {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f},  // rotate right, flip vertically
    {1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f},  // rotate right, flip horizontally
    {1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f},  // rotate 180°
};

bool isZero(plat::Size size)
{
    return size.width == 0 && size.height == 0;
}

// Whether a framebuffer of the size would have a pixel at all.
bool hasWholePixel(plat::Size size)
{
    return size.width >= 1 && size.height >= 1;
}

// The largest rectangle of aspectRatio's proportions inside bounds.
plat::Size aspectFitSize(plat::Size aspectRatio, plat::Size bounds)
{
    if (aspectRatio.width <= 0 || aspectRatio.height <= 0)
        return {};
    // The limiting side takes the bound exactly; the other follows the ratio.
    if (bounds.width / aspectRatio.width <= bounds.height / aspectRatio.height)
        return {bounds.width, aspectRatio.height * bounds.width / aspectRatio.width};
    return {aspectRatio.width * bounds.height / aspectRatio.height, bounds.height};
}

}  // namespace

GLImageFilter::GLImageFilter()
    : GLImageFilter(kGLImageVertexShaderString, kGLImagePassthroughFragmentShaderString, kGLImageFilterAttributes)
{
}

GLImageFilter::GLImageFilter(const std::string& fragmentShaderString)
    : GLImageFilter(kGLImageVertexShaderString, fragmentShaderString, kGLImageFilterAttributes)
{
}

GLImageFilter::GLImageFilter(const std::string& vertexShaderString, const std::string& fragmentShaderString)
    : GLImageFilter(vertexShaderString, fragmentShaderString, kGLImageFilterAttributes)
{
}

GLImageFilter::GLImageFilter(const std::string& vertexShaderString, const std::string& fragmentShaderString,
    const std::vector<std::string>& attributes)
    : readsInputsOnlyAtTheirCoordinates(areThePassThroughSources(vertexShaderString, fragmentShaderString))
    , uniformState(std::make_shared<GLImageUniformState>())
{
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        filterProgram = linkedProgram(vertexShaderString, fragmentShaderString, attributes);
        filterPositionAttribute = int32_t(filterProgram->attributeIndex("position"));
        filterTextureCoordinateAttribute = int32_t(filterProgram->attributeIndex("inputTextureCoordinate"));
        filterInputTextureUniform = filterProgram->uniformIndex("inputImageTexture");
        GLImageContext::setActiveShaderProgram(filterProgram);
        glEnableVertexAttribArray(GLuint(filterPositionAttribute));
        glEnableVertexAttribArray(GLuint(filterTextureCoordinateAttribute));
    });
}

bool GLImageFilter::areThePassThroughSources(
    const std::string& vertexShaderString, const std::string& fragmentShaderString)
{
    return vertexShaderString == kGLImageVertexShaderString
        && fragmentShaderString == kGLImagePassthroughFragmentShaderString;
}

std::shared_ptr<GLImageFilter> GLImageFilter::initWithFragmentShaderFromFile(const std::string& fragmentShaderFilename)
{
    return std::make_shared<GLImageFilter>(shaderStringFromResource(fragmentShaderFilename, "fsh"));
}

std::shared_ptr<GLProgram> GLImageFilter::linkedProgram(const std::string& vertexShaderString,
    const std::string& fragmentShaderString, const std::vector<std::string>& attributes)
{
    auto program = GLImageContext::sharedImageProcessingContext().programForVertexShaderString(
        vertexShaderString, fragmentShaderString);
    if (!program->initialized()) {
        for (const auto& attribute : attributes)
            program->addAttribute(attribute);
        if (!program->link()) {
            plat::log("Program link log: {}", program->programLog().value_or("(null)"));
            plat::log("Fragment shader compile log: {}", program->fragmentShaderLog().value_or("(null)"));
            plat::log("Vertex shader compile log: {}", program->vertexShaderLog().value_or("(null)"));
            plat::detail::fatal("Filter shader link failed");
        }
    }
    return program;
}

GLImageFilter::~GLImageFilter()
{
    // The pixel buffer's texture goes back to its cache while the context is
    // current; the framebuffer and the output texture go with their owners.
    runSynchronouslyOnContextQueue([this] { GLImageFilter::destroyFilterFBO(); });
}

const float* GLImageFilter::filterTextureCoordinatesForRotation(GLImageRotationMode rotationMode)
{
    const int mode = static_cast<int>(rotationMode);
    if (mode < 0 || mode > 7)
        plat::detail::fatal("GLImageFilter: rotation mode {} is not 0..7", mode);
    return kRotationTextureCoordinates[mode];
}

const float* GLImageFilter::textureCoordinatesForRotation(GLImageRotationMode rotationMode) const
{
    return filterTextureCoordinatesForRotation(rotationMode);
}

const float* GLImageFilter::fullFrameVertices()
{
    return kFullFrameVertices;
}

void GLImageFilter::setupFilterForSize(plat::Size) { }

void GLImageFilter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t)
{
    // Without a whole pixel to draw into (no input, or its source just went)
    // there is no frame to make or pass on.
    if (!hasWholePixel(sizeOfFBO()))
        return;
    outputTextureRetainCount = _targets.size();
    renderToTextureWithVertices(kFullFrameVertices, textureCoordinatesForRotation(inputRotation), filterSourceTexture);
    informTargetsAboutNewFrameAtTime(frameTime);
}

uint32_t GLImageFilter::textureForOutput()
{
    return renderTexture ? renderTexture->name() : outputTexture.name();
}

void GLImageFilter::setInputTexture(uint32_t newInputTexture, int64_t)
{
    filterSourceTexture = newInputTexture;
}

void GLImageFilter::setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t)
{
    firstTextureDelegate = std::move(newTextureDelegate);
}

int64_t GLImageFilter::nextAvailableTextureIndex()
{
    return 0;
}

void GLImageFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    if (_preventRendering)
        return;
    if (!overrideInputSize) {
        const plat::Size rotated = rotatedSize(newSize, textureIndex);
        // A size without a pixel builds no framebuffer; its frames are dropped.
        if (!hasWholePixel(rotated)) {
            inputTextureSize = rotated;
        } else if (rotated != inputTextureSize) {
            inputTextureSize = rotated;
            recreateFilterFBO();
        }
    } else if (!isZero(forcedMaximumSize)) {
        // A frame of another shape needs a framebuffer of its own shape too.
        const plat::Size fitted = aspectFitSize(rotatedSize(newSize, textureIndex), forcedMaximumSize);
        if (!hasWholePixel(fitted)) {
            inputTextureSize = fitted;
        } else if (fitted != inputTextureSize) {
            inputTextureSize = fitted;
            recreateFilterFBO();
        }
    }
}

void GLImageFilter::setInputRotation(GLImageRotationMode newInputRotation, int64_t)
{
    inputRotation = newInputRotation;
}

plat::Size GLImageFilter::maximumOutputSize()
{
    return {};
}

void GLImageFilter::endProcessing()
{
    if (isEndProcessing)
        return;
    isEndProcessing = true;
    // A target may take itself off as it ends: walk a copy.
    auto targets = _targets;
    for (const auto& target : targets)
        target->endProcessing();
}

void GLImageFilter::conserveMemoryForNextFrame()
{
    if (overrideInputSize)
        return;
    GLImageOutput::conserveMemoryForNextFrame();
}

bool GLImageFilter::wantsMonochromeInput()
{
    return false;
}

void GLImageFilter::setCurrentlyReceivingMonochromeInput(bool newValue)
{
    _currentlyReceivingMonochromeInput = newValue;
}

void GLImageFilter::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    if (_preventRendering)
        return;
    GLImageContext::setActiveShaderProgram(filterProgram);
    setFilterFBO();
    setUniformsForProgramAtIndex(0);

    glClearColor(backgroundColorRed, backgroundColorGreen, backgroundColorBlue, backgroundColorAlpha);
    glClear(GL_COLOR_BUFFER_BIT);

    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, sourceTexture);
    glUniform1i(filterInputTextureUniform, 2);

    glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(GLuint(filterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, textureCoordinates);
    bindFurtherInputs();
    GLImageNearestSampling nearestSampling;
    readInputsNearestWherePixelForPixel(nearestSampling, vertices, textureCoordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GLImageFilter::readInputsNearestWherePixelForPixel(
    GLImageNearestSampling& sampling, const float* vertices, const float* textureCoordinates)
{
    if (const auto step = nearestReadStepForProgramAtIndex(0))
        sampling.readNearestWherePixelForPixel(GL_TEXTURE2 - GL_TEXTURE0, vertices, textureCoordinates, *step);
}

std::optional<std::array<float, 2>> GLImageFilter::nearestReadStepForProgramAtIndex(int programIndex) const
{
    if (!nearestSamplingAllowed)
        return std::nullopt;
    return inputReadStepForProgramAtIndex(programIndex);
}

std::optional<std::array<float, 2>> GLImageFilter::inputReadStepForProgramAtIndex(int programIndex) const
{
    if (programIndex == 0 && readsInputsOnlyAtTheirCoordinates)
        return std::array<float, 2> {0.0f, 0.0f};
    return std::nullopt;
}

void GLImageFilter::informTargetsAboutNewFrameAtTime(const plat::MediaTime& frameTime)
{
    if (auto block = frameProcessingCompletionBlock())
        block(*this, frameTime);
    releaseInputTexturesIfNeeded();
    auto ignored = targetToIgnoreForUpdates();
    // A target may change the list while it renders: walk a copy.
    auto targets = _targets;
    auto indices = targetTextureIndices;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (targets[i] == ignored || !hasTargetAt(targets[i], indices[i]))
            continue;
        if (usesPixelBufferOutput())
            setInputTextureForTarget(targets[i], indices[i]);
        prepareTargetForFrame(*targets[i], indices[i]);
        targets[i]->newFrameReadyAtTime(frameTime, indices[i]);
    }
}

void GLImageFilter::prepareTargetForFrame(GLImageInput& target, int64_t textureIndex)
{
    target.setInputSize(outputFrameSize(), textureIndex);
}

plat::Size GLImageFilter::outputFrameSize()
{
    return inputTextureSize;
}

plat::Size GLImageFilter::sizeOfFBO()
{
    const plat::Size outputSize = maximumOutputSize();
    if (!isZero(outputSize) && inputTextureSize.width >= outputSize.width)
        return outputSize;
    return inputTextureSize;
}

void GLImageFilter::setFilterFBO()
{
    if (!filterFramebuffer) {
        const plat::Size currentFBOSize = sizeOfFBO();
        createFilterFBOofSize(currentFBOSize);
        setupFilterForSize(currentFBOSize);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, filterFramebuffer.name());
    const plat::Size currentFBOSize = sizeOfFBO();
    glViewport(0, 0, GLsizei(currentFBOSize.width), GLsizei(currentFBOSize.height));
}

void GLImageFilter::setOutputFBO()
{
    setFilterFBO();
}

bool GLImageFilter::usesPixelBufferOutput() const
{
    return GLImageContext::supportsFastTextureUpload() && preparedToCaptureImage;
}

void GLImageFilter::createFilterFBOofSize(plat::Size currentFBOSize)
{
    makeFramebufferWithStorage(filterFramebuffer, currentFBOSize, [this] {
        initializeOutputTextureIfNeeded();
        return outputTexture.name();
    });
}

void GLImageFilter::makeFramebufferWithStorage(
    GLFramebuffer& framebuffer, plat::Size size, const std::function<uint32_t()>& plainTexture)
{
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        glActiveTexture(GL_TEXTURE1);
        framebuffer = GLFramebuffer::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.name());
        const auto& options = outputTextureOptions();
        const int width = int(size.width);
        const int height = int(size.height);

        uint32_t storage = 0;
        if (usesPixelBufferOutput()) {
            auto cache = plat::GLTextureCache::create(GLImageContext::sharedImageProcessingContext().context());
            if (!cache.ok())
                plat::detail::fatal("Error at CVOpenGLESTextureCacheCreate {}", cache.error().code());
            filterTextureCache = cache.value();
            auto buffer = plat::PixelBuffer::create(width, height, plat::kPixelFormatType_32BGRA);
            if (!buffer.ok()) {
                plat::log("FBO size: {}, {}", size.width, size.height);
                plat::detail::fatal("Error at CVPixelBufferCreate {}", buffer.error().code());
            }
            _renderTarget = buffer.value();
            auto texture = filterTextureCache->createTextureFromImage(_renderTarget, GL_TEXTURE_2D,
                GLint(options.internalFormat), width, height, options.format, options.type, 0);
            if (!texture.ok())
                plat::detail::fatal("Error at CVOpenGLESTextureCacheCreateTextureFromImage {}", texture.error().code());
            renderTexture = texture.value();
            storage = renderTexture->name();
            glBindTexture(renderTexture->target(), storage);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(options.wrapS));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(options.wrapT));
        } else {
            storage = plainTexture();
            glBindTexture(GL_TEXTURE_2D, storage);
            glTexImage2D(GL_TEXTURE_2D, 0, GLint(options.internalFormat), width, height, 0, emptyStorageFormat(options),
                options.type, nullptr);
        }
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, storage, 0);
        notifyTargetsAboutNewOutputTexture();

        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE)
            plat::detail::fatal("Incomplete filter FBO: {}", status);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GLImageFilter::destroyFilterFBO()
{
    if (!filterFramebuffer)
        return;
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        filterFramebuffer.reset();
        if (filterTextureCache) {
            _renderTarget.reset();
            renderTexture.reset();
            filterTextureCache->flush();
            filterTextureCache.reset();
        }
    });
}

void GLImageFilter::recreateFilterFBO()
{
    cachedMaximumOutputSize = {};
    if (!filterFramebuffer)
        return;
    destroyFilterFBO();
    deleteOutputTexture();
    setFilterFBO();
}

void GLImageFilter::releaseInputTexturesIfNeeded()
{
    if (!shouldConserveMemoryForNextFrame)
        return;
    if (auto delegate = firstTextureDelegate.lock())
        delegate->textureNoLongerNeededForTarget(this);
    shouldConserveMemoryForNextFrame = false;
}

plat::Size GLImageFilter::rotatedSize(plat::Size sizeToRotate, int64_t)
{
    if (rotationSwapsWidthAndHeight(inputRotation))
        return {sizeToRotate.height, sizeToRotate.width};
    return sizeToRotate;
}

plat::Point GLImageFilter::rotatedPoint(plat::Point pointToRotate, GLImageRotationMode rotation)
{
    const double x = pointToRotate.x;
    const double y = pointToRotate.y;
    switch (rotation) {
    case GLImageRotationMode::NoRotation:
        return {x, y};
    case GLImageRotationMode::RotateLeft:
        return {1.0 - y, x};
    case GLImageRotationMode::RotateRight:
        return {y, 1.0 - x};
    case GLImageRotationMode::FlipVertical:
        return {x, 1.0 - y};
    case GLImageRotationMode::FlipHorizontal:
        return {1.0 - x, y};
    case GLImageRotationMode::RotateRightFlipVertical:
        return {y, x};
    case GLImageRotationMode::RotateRightFlipHorizontal:
        return {1.0 - y, 1.0 - x};
    case GLImageRotationMode::Rotate180:
        return {1.0 - x, 1.0 - y};
    }
    return pointToRotate;
}

void GLImageFilter::setBackgroundColorRed(
    float redComponent, float greenComponent, float blueComponent, float alphaComponent)
{
    backgroundColorRed = redComponent;
    backgroundColorGreen = greenComponent;
    backgroundColorBlue = blueComponent;
    backgroundColorAlpha = alphaComponent;
}

void GLImageFilter::forceProcessingAtSize(plat::Size frameSize)
{
    runSynchronouslyOnContextQueue([&] {
        if (isZero(frameSize)) {
            overrideInputSize = false;
        } else {
            overrideInputSize = true;
            inputTextureSize = frameSize;
            forcedMaximumSize = {};
        }
        destroyFilterFBO();
        for (const auto& target : _targets) {
            if (auto filter = std::dynamic_pointer_cast<GLImageFilter>(target))
                filter->destroyFilterFBO();
        }
    });
}

void GLImageFilter::forceProcessingAtSizeRespectingAspectRatio(plat::Size frameSize)
{
    runSynchronouslyOnContextQueue([&] {
        if (isZero(frameSize)) {
            overrideInputSize = false;
            inputTextureSize = {};
            forcedMaximumSize = {};
        } else {
            overrideInputSize = true;
            forcedMaximumSize = frameSize;
        }
        destroyFilterFBO();
        for (const auto& target : _targets) {
            if (auto filter = std::dynamic_pointer_cast<GLImageFilter>(target))
                filter->destroyFilterFBO();
        }
    });
}

void GLImageFilter::cleanupOutputImage()
{
    destroyFilterFBO();
    deleteOutputTexture();
}

void GLImageFilter::deleteOutputTexture()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        if (usesPixelBufferOutput())
            return;  // the cache texture goes with the framebuffer
        outputTexture.reset();
    });
}

void GLImageFilter::prepareForImageCapture()
{
    if (preparedToCaptureImage)
        return;
    runSynchronouslyOnContextQueue([this] {
        preparedToCaptureImage = true;
        if (GLImageContext::supportsFastTextureUpload() && outputTexture) {
            GLImageContext::useImageProcessingContext();
            // The framebuffer goes too: left alone it would keep drawing into
            // the deleted texture instead of being rebuilt over a pixel buffer.
            destroyFilterFBO();
            outputTexture.reset();
        }
    });
}

std::shared_ptr<const plat::Bitmap> GLImageFilter::newCGImageFromCurrentlyProcessedOutputWithOrientation(
    plat::ImageOrientation)
{
    // What matters for reading bytes back is how the texture stores them; the
    // format option only describes uploads (BGRA by default).
    const auto& options = outputTextureOptions();
    if (options.internalFormat != GL_RGBA)
        plat::detail::fatal("For conversion to a CGImage the output texture format for this filter must be GL_RGBA.");
    if (options.type != GL_UNSIGNED_BYTE)
        plat::detail::fatal("For conversion to a CGImage the type of the output texture of this filter must be "
                            "GL_UNSIGNED_BYTE.");

    std::shared_ptr<plat::Bitmap> image;
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        const plat::Size size = sizeOfFBO();
        const int width = int(size.width);
        const int height = int(size.height);
        if (width <= 0 || height <= 0 || !hasOutputFramebuffer())
            return;

        if (usesPixelBufferOutput() && _renderTarget) {
            glFinish();
            auto buffer = _renderTarget;
            buffer->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
            _preventRendering = true;
            // Bitmaps own their pixels, so the buffer's are copied and the
            // buffer is let go at once rather than when the image dies.
            image = plat::Bitmap::allocate(width, height, plat::PixelOrder::BGRA);
            if (image) {
                const uint8_t* source = buffer->baseAddress();
                for (int y = 0; y < height; ++y)
                    std::copy_n(source + size_t(y) * buffer->bytesPerRow(), size_t(width) * 4, image->mutableRow(y));
            }
            buffer->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
            destroyFilterFBO();
            _preventRendering = false;
            return;
        }

        // GL holds premultiplied colour already (pictures upload their
        // premultiplied pixels), so the bytes are taken as they stand, as the
        // pixel buffer's are above.
        image = plat::Bitmap::allocate(width, height, plat::PixelOrder::RGBA);
        if (!image)
            return;
        setOutputFBO();
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image->mutableBytes());
    });
    return image;
}

// Uniforms by name.

void GLImageFilter::setInteger(int newInteger, const std::string& uniformName)
{
    setInteger(newInteger, filterProgram->uniformIndex(uniformName), filterProgram);
}

void GLImageFilter::setFloat(float newFloat, const std::string& uniformName)
{
    setFloat(newFloat, filterProgram->uniformIndex(uniformName), filterProgram);
}

void GLImageFilter::setSize(plat::Size newSize, const std::string& uniformName)
{
    setSize(newSize, filterProgram->uniformIndex(uniformName), filterProgram);
}

void GLImageFilter::setPoint(plat::Point newPoint, const std::string& uniformName)
{
    setPoint(newPoint, filterProgram->uniformIndex(uniformName), filterProgram);
}

void GLImageFilter::setFloatVec3(std::array<float, 3> newVec3, const std::string& uniformName)
{
    setVec3(newVec3, filterProgram->uniformIndex(uniformName), filterProgram);
}

void GLImageFilter::setFloatVec4(std::array<float, 4> newVec4, const std::string& uniformName)
{
    setVec4(newVec4, filterProgram->uniformIndex(uniformName), filterProgram);
}

void GLImageFilter::setFloatArray(const float* array, int count, const std::string& uniformName)
{
    setFloatArray(array, count, filterProgram->uniformIndex(uniformName), filterProgram);
}

// Uniforms by location. Each stores its block in the shared uniform state,
// not in the filter, so that a filter released before the block runs leaves
// nothing dangling.

namespace {

void sendUniform(const std::shared_ptr<GLImageUniformState>& state, const std::shared_ptr<GLProgram>& program,
    int32_t uniform, std::function<void()> block)
{
    runAsynchronouslyOnContextQueue([state, program, uniform, block = std::move(block)] {
        GLImageContext::setActiveShaderProgram(program);
        state->uniformStateRestorationBlocks[uniform] = block;
        block();
    });
}

}  // namespace

void GLImageFilter::setMatrix3f(
    const std::array<float, 9>& matrix, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(uniformStateForProgram(program), program, uniform,
        [uniform, matrix] { glUniformMatrix3fv(uniform, 1, GL_FALSE, matrix.data()); });
}

void GLImageFilter::setMatrix4f(
    const std::array<float, 16>& matrix, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(uniformStateForProgram(program), program, uniform,
        [uniform, matrix] { glUniformMatrix4fv(uniform, 1, GL_FALSE, matrix.data()); });
}

void GLImageFilter::setFloat(float floatValue, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(
        uniformStateForProgram(program), program, uniform, [uniform, floatValue] { glUniform1f(uniform, floatValue); });
}

void GLImageFilter::setPoint(plat::Point pointValue, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(uniformStateForProgram(program), program, uniform,
        [uniform, pointValue] { glUniform2f(uniform, float(pointValue.x), float(pointValue.y)); });
}

void GLImageFilter::setSize(plat::Size sizeValue, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(uniformStateForProgram(program), program, uniform,
        [uniform, sizeValue] { glUniform2f(uniform, float(sizeValue.width), float(sizeValue.height)); });
}

void GLImageFilter::setVec3(
    std::array<float, 3> vectorValue, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(uniformStateForProgram(program), program, uniform,
        [uniform, vectorValue] { glUniform3fv(uniform, 1, vectorValue.data()); });
}

void GLImageFilter::setVec4(
    std::array<float, 4> vectorValue, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(uniformStateForProgram(program), program, uniform,
        [uniform, vectorValue] { glUniform4fv(uniform, 1, vectorValue.data()); });
}

void GLImageFilter::setFloatArray(
    const float* arrayValue, int count, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(uniformStateForProgram(program), program, uniform,
        [uniform, arrayValue, count] { glUniform1fv(uniform, count, arrayValue); });
}

void GLImageFilter::setInteger(int intValue, int32_t uniform, const std::shared_ptr<GLProgram>& program)
{
    sendUniform(
        uniformStateForProgram(program), program, uniform, [uniform, intValue] { glUniform1i(uniform, intValue); });
}

void GLImageFilter::setAndExecuteUniformStateCallbackAtIndex(
    int32_t uniform, const std::shared_ptr<GLProgram>& program, std::function<void()> uniformStateBlock)
{
    uniformStateForProgram(program)->uniformStateRestorationBlocks[uniform] = uniformStateBlock;
    uniformStateBlock();
}

std::shared_ptr<GLImageUniformState> GLImageFilter::uniformStateForProgram(const std::shared_ptr<GLProgram>&)
{
    return uniformState;
}

void GLImageFilter::setUniformsForProgramAtIndex(int)
{
    for (const auto& [uniform, block] : uniformState->uniformStateRestorationBlocks)
        block();
}

}  // namespace zt
