#include "glimage/GLImageTwoPassFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageNearestSampling.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/gl/GLTextureCache.h"
#include "platform/graphics/PixelBuffer.h"

namespace zt {

GLImageTwoPassFilter::GLImageTwoPassFilter(const std::string& firstStageVertexShaderString,
    const std::string& firstStageFragmentShaderString, const std::string& secondStageVertexShaderString,
    const std::string& secondStageFragmentShaderString)
    : GLImageFilter(firstStageVertexShaderString, firstStageFragmentShaderString)
    , secondProgramUniformState(std::make_shared<GLImageUniformState>())
    , secondStageReadsOnlyAtItsCoordinate(
          areThePassThroughSources(secondStageVertexShaderString, secondStageFragmentShaderString))
{
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        useSecondStageProgram(secondStageVertexShaderString, secondStageFragmentShaderString);
    });
}

GLImageTwoPassFilter::GLImageTwoPassFilter(
    const std::string& firstStageFragmentShaderString, const std::string& secondStageFragmentShaderString)
    : GLImageTwoPassFilter(kGLImageVertexShaderString, firstStageFragmentShaderString, kGLImageVertexShaderString,
        secondStageFragmentShaderString)
{
}

GLImageTwoPassFilter::~GLImageTwoPassFilter()
{
    // The pixel buffer's texture goes back to its cache while the context
    // is current, whichever framebuffers are left.
    runSynchronouslyOnContextQueue([this] { GLImageTwoPassFilter::destroyFilterFBO(); });
}

void GLImageTwoPassFilter::useSecondStageProgram(
    const std::string& vertexShaderString, const std::string& fragmentShaderString)
{
    secondFilterProgram = linkedProgram(vertexShaderString, fragmentShaderString, kGLImageFilterAttributes);
    secondFilterPositionAttribute = int32_t(secondFilterProgram->attributeIndex("position"));
    secondFilterTextureCoordinateAttribute = int32_t(secondFilterProgram->attributeIndex("inputTextureCoordinate"));
    secondFilterInputTextureUniform = secondFilterProgram->uniformIndex("inputImageTexture");
    secondFilterInputTextureUniform2 = secondFilterProgram->uniformIndex("inputImageTexture2");
    GLImageContext::setActiveShaderProgram(secondFilterProgram);
    glEnableVertexAttribArray(GLuint(secondFilterPositionAttribute));
    glEnableVertexAttribArray(GLuint(secondFilterTextureCoordinateAttribute));
}

uint32_t GLImageTwoPassFilter::textureForOutput()
{
    return renderTexture ? renderTexture->name() : secondFilterOutputTexture.name();
}

void GLImageTwoPassFilter::initializeSecondOutputTextureIfNeeded()
{
    if (usesPixelBufferOutput() || secondFilterOutputTexture)
        return;
    secondFilterOutputTexture = GLTexture::generate();
    glBindTexture(GL_TEXTURE_2D, secondFilterOutputTexture.name());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void GLImageTwoPassFilter::deleteOutputTexture()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        // The intermediate texture is always an ordinary one.
        outputTexture.reset();
        if (!usesPixelBufferOutput())
            secondFilterOutputTexture.reset();
    });
}

void GLImageTwoPassFilter::createFilterFBOofSize(plat::Size currentFBOSize)
{
    runSynchronouslyOnContextQueue([&] {
        if (!filterFramebuffer) {
            // The intermediate texture never comes from a pixel buffer: only
            // the output is read back.
            const bool prepared = preparedToCaptureImage;
            preparedToCaptureImage = false;
            GLImageFilter::createFilterFBOofSize(currentFBOSize);
            preparedToCaptureImage = prepared;
        }
        if (!secondFilterFramebuffer)
            createSecondFilterFBOofSize(sizeOfFBO());
    });
}

void GLImageTwoPassFilter::createSecondFilterFBOofSize(plat::Size currentFBOSize)
{
    makeFramebufferWithStorage(secondFilterFramebuffer, currentFBOSize, [this] {
        initializeSecondOutputTextureIfNeeded();
        return secondFilterOutputTexture.name();
    });
}

void GLImageTwoPassFilter::recreateFilterFBO()
{
    cachedMaximumOutputSize = {};
    // Either framebuffer may be missing: the first goes after a frame that
    // conserved memory.
    if (!filterFramebuffer && !secondFilterFramebuffer)
        return;
    destroyFilterFBO();
    deleteOutputTexture();
    setFilterFBO();
}

void GLImageTwoPassFilter::destroyFilterFBO()
{
    if (!filterFramebuffer && !secondFilterFramebuffer && !filterTextureCache)
        return;
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        filterFramebuffer.reset();
        secondFilterFramebuffer.reset();
        if (filterTextureCache) {
            _renderTarget.reset();
            renderTexture.reset();
            filterTextureCache->flush();
            filterTextureCache.reset();
        }
    });
}

void GLImageTwoPassFilter::setSecondFilterFBO()
{
    const plat::Size currentFBOSize = sizeOfFBO();
    if (!secondFilterFramebuffer) {
        createFilterFBOofSize(currentFBOSize);
        setupFilterForSize(currentFBOSize);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, secondFilterFramebuffer.name());
    glViewport(0, 0, GLsizei(currentFBOSize.width), GLsizei(currentFBOSize.height));
}

void GLImageTwoPassFilter::setOutputFBO()
{
    setSecondFilterFBO();
}

void GLImageTwoPassFilter::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    if (_preventRendering)
        return;
    // A grey input needs no first pass: the second samples the source itself.
    if (!_currentlyReceivingMonochromeInput)
        GLImageFilter::renderToTextureWithVertices(vertices, textureCoordinates, sourceTexture);

    GLImageContext::setActiveShaderProgram(secondFilterProgram);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, 0);

    setSecondFilterFBO();
    // Setting up a new framebuffer may have set uniforms of another program.
    GLImageContext::setActiveShaderProgram(secondFilterProgram);
    setUniformsForProgramAtIndex(1);

    glActiveTexture(GL_TEXTURE3);
    const float* secondTextureCoordinates = textureCoordinates;
    if (_currentlyReceivingMonochromeInput) {
        glBindTexture(GL_TEXTURE_2D, sourceTexture);
    } else {
        // The first pass turned the input already.
        glBindTexture(GL_TEXTURE_2D, outputTexture.name());
        secondTextureCoordinates = filterTextureCoordinatesForRotation(GLImageRotationMode::NoRotation);
    }
    glVertexAttribPointer(
        GLuint(secondFilterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, secondTextureCoordinates);
    glUniform1i(secondFilterInputTextureUniform, 3);
    glVertexAttribPointer(GLuint(secondFilterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, vertices);

    // Opaque black whatever the background colour: the second pass covers every pixel.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    {
        GLImageNearestSampling nearestSampling;
        if (const auto step = nearestReadStepForProgramAtIndex(1)) {
            nearestSampling.readNearestWherePixelForPixel(
                GL_TEXTURE3 - GL_TEXTURE0, vertices, secondTextureCoordinates, *step);
        }
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }

    if (shouldConserveMemoryForNextFrame) {
        if (auto delegate = firstTextureDelegate.lock())
            delegate->textureNoLongerNeededForTarget(this);
        filterFramebuffer.reset();
        outputTexture.reset();
        shouldConserveMemoryForNextFrame = false;
    }
}

void GLImageTwoPassFilter::prepareForImageCapture()
{
    if (preparedToCaptureImage)
        return;
    runSynchronouslyOnContextQueue([this] {
        preparedToCaptureImage = true;
        if (GLImageContext::supportsFastTextureUpload() && secondFilterOutputTexture) {
            GLImageContext::useImageProcessingContext();
            // The second framebuffer goes with its texture, so that it is
            // rebuilt over a pixel buffer instead of drawing into nothing.
            secondFilterFramebuffer.reset();
            secondFilterOutputTexture.reset();
        }
    });
}

std::shared_ptr<GLImageUniformState> GLImageTwoPassFilter::uniformStateForProgram(
    const std::shared_ptr<GLProgram>& program)
{
    // Stages with the same sources share one program, and then one store.
    return program == filterProgram ? uniformState : secondProgramUniformState;
}

std::optional<std::array<float, 2>> GLImageTwoPassFilter::inputReadStepForProgramAtIndex(int programIndex) const
{
    if (programIndex == 1) {
        if (secondStageReadsOnlyAtItsCoordinate)
            return std::array<float, 2> {0.0f, 0.0f};
        return std::nullopt;
    }
    return GLImageFilter::inputReadStepForProgramAtIndex(programIndex);
}

void GLImageTwoPassFilter::setUniformsForProgramAtIndex(int programIndex)
{
    const auto& state = programIndex == 0 ? uniformState : secondProgramUniformState;
    for (const auto& [uniform, block] : state->uniformStateRestorationBlocks)
        block();
}

}  // namespace zt
