#include "glimage/GLImagePoissonBlendFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"

namespace zt {

namespace {

const char* const kPoissonBlendFragmentShaderString = R"(
precision mediump float;

varying highp vec2 textureCoordinate;
varying highp vec2 leftTextureCoordinate;
varying highp vec2 rightTextureCoordinate;
varying highp vec2 topTextureCoordinate;
varying highp vec2 bottomTextureCoordinate;

varying highp vec2 textureCoordinate2;
varying highp vec2 leftTextureCoordinate2;
varying highp vec2 rightTextureCoordinate2;
varying highp vec2 topTextureCoordinate2;
varying highp vec2 bottomTextureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

uniform lowp float mixturePercent;

void main()
{
    vec4 centerColor = texture2D(inputImageTexture, textureCoordinate);
    vec3 bottomColor = texture2D(inputImageTexture, bottomTextureCoordinate).rgb;
    vec3 leftColor = texture2D(inputImageTexture, leftTextureCoordinate).rgb;
    vec3 rightColor = texture2D(inputImageTexture, rightTextureCoordinate).rgb;
    vec3 topColor = texture2D(inputImageTexture, topTextureCoordinate).rgb;

    vec4 centerColor2 = texture2D(inputImageTexture2, textureCoordinate2);
    vec3 bottomColor2 = texture2D(inputImageTexture2, bottomTextureCoordinate2).rgb;
    vec3 leftColor2 = texture2D(inputImageTexture2, leftTextureCoordinate2).rgb;
    vec3 rightColor2 = texture2D(inputImageTexture2, rightTextureCoordinate2).rgb;
    vec3 topColor2 = texture2D(inputImageTexture2, topTextureCoordinate2).rgb;

    vec3 meanColor = (bottomColor + leftColor + rightColor + topColor) / 4.0;
    vec3 meanColor2 = (bottomColor2 + leftColor2 + rightColor2 + topColor2) / 4.0;
    vec3 diffColor2 = centerColor2.rgb - meanColor2;

    vec3 gradColor = meanColor + diffColor2;

    gl_FragColor = vec4(mix(centerColor.rgb, gradColor, centerColor2.a * mixturePercent), centerColor.a);
}
)";

}  // namespace

GLImagePoissonBlendFilter::GLImagePoissonBlendFilter()
    : GLImageTwoInputCrossTextureSamplingFilter(kPoissonBlendFragmentShaderString)
{
    mixUniform = filterProgram->uniformIndex("mixturePercent");
    setMix(0.5);
}

GLImagePoissonBlendFilter::~GLImagePoissonBlendFilter()
{
    runSynchronouslyOnContextQueue([this] {
        secondFilterFramebuffer.reset();
        secondFilterOutputTexture.reset();
    });
}

void GLImagePoissonBlendFilter::setMix(double newValue)
{
    _mix = newValue;
    setFloat(float(newValue), mixUniform, filterProgram);
}

uint32_t GLImagePoissonBlendFilter::mainOutputTexture()
{
    return GLImageFilter::textureForOutput();
}

void GLImagePoissonBlendFilter::createFilterFBOofSize(plat::Size currentFBOSize)
{
    runSynchronouslyOnContextQueue([&] {
        // The main framebuffer holds the last pass: it is the one read back,
        // through a pixel buffer once prepared for capture. The second only
        // ever feeds the next pass.
        if (!filterFramebuffer)
            GLImageFilter::createFilterFBOofSize(currentFBOSize);
        if (secondFilterFramebuffer)
            return;
        GLImageContext::useImageProcessingContext();
        glActiveTexture(GL_TEXTURE1);
        secondFilterFramebuffer = GLFramebuffer::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, secondFilterFramebuffer.name());
        initializeSecondOutputTextureIfNeeded();
        const auto& options = outputTextureOptions();
        glBindTexture(GL_TEXTURE_2D, secondFilterOutputTexture.name());
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(options.internalFormat), GLsizei(currentFBOSize.width),
            GLsizei(currentFBOSize.height), 0, emptyStorageFormat(options), options.type, nullptr);
        glFramebufferTexture2D(
            GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, secondFilterOutputTexture.name(), 0);
        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE)
            plat::detail::fatal("Incomplete filter FBO: {}", status);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GLImagePoissonBlendFilter::initializeSecondOutputTextureIfNeeded()
{
    if (secondFilterOutputTexture)
        return;
    secondFilterOutputTexture = GLTexture::generate();
    glBindTexture(GL_TEXTURE_2D, secondFilterOutputTexture.name());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void GLImagePoissonBlendFilter::destroyFilterFBO()
{
    GLImageFilter::destroyFilterFBO();
    runSynchronouslyOnContextQueue([this] { secondFilterFramebuffer.reset(); });
}

void GLImagePoissonBlendFilter::deleteOutputTexture()
{
    GLImageFilter::deleteOutputTexture();
    runSynchronouslyOnContextQueue([this] { secondFilterOutputTexture.reset(); });
}

void GLImagePoissonBlendFilter::setSecondFilterFBO()
{
    const plat::Size currentFBOSize = sizeOfFBO();
    if (!secondFilterFramebuffer) {
        createFilterFBOofSize(currentFBOSize);
        setupFilterForSize(currentFBOSize);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, secondFilterFramebuffer.name());
    glViewport(0, 0, GLsizei(currentFBOSize.width), GLsizei(currentFBOSize.height));
}

void GLImagePoissonBlendFilter::setOutputFBO()
{
    setFilterFBO();
}

void GLImagePoissonBlendFilter::drawPass(PassTarget target, PassSource source, uint32_t sourceTexture,
    const float* vertices, const float* textureCoordinates)
{
    GLImageContext::setActiveShaderProgram(filterProgram);
    if (target == PassTarget::MainFramebuffer)
        setFilterFBO();
    else
        setSecondFilterFBO();
    // Setting up a framebuffer may have made another program current.
    GLImageContext::setActiveShaderProgram(filterProgram);
    setUniformsForProgramAtIndex(0);
    if (source == PassSource::PreviousPass) {
        // Later passes read our own output, which stands in the output's
        // axes: neighbours one output pixel apart, whatever the input's turn.
        glUniform1f(texelWidthUniform, float(_texelWidth));
        glUniform1f(texelHeightUniform, float(_texelHeight));
    }

    glClearColor(backgroundColorRed, backgroundColorGreen, backgroundColorBlue, backgroundColorAlpha);
    glClear(GL_COLOR_BUFFER_BIT);

    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, sourceTexture);
    glUniform1i(filterInputTextureUniform, 2);
    glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(GLuint(filterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, textureCoordinates);
    bindFurtherInputs();
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GLImagePoissonBlendFilter::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    if (_preventRendering)
        return;
    // Pass p goes to the main framebuffer when an even number of passes
    // follow it, so that the last pass always does.
    const uint64_t passes = std::max<uint64_t>(_numIterations, 1);
    const float* unrotated = filterTextureCoordinatesForRotation(GLImageRotationMode::NoRotation);
    for (uint64_t pass = 0; pass < passes; ++pass) {
        const PassTarget target
            = (passes - 1 - pass) % 2 == 0 ? PassTarget::MainFramebuffer : PassTarget::SecondFramebuffer;
        if (pass == 0) {
            drawPass(target, PassSource::Inputs, sourceTexture, vertices, textureCoordinates);
        } else {
            // The previous pass wrote the other framebuffer.
            const uint32_t previous
                = target == PassTarget::MainFramebuffer ? secondFilterOutputTexture.name() : mainOutputTexture();
            drawPass(target, PassSource::PreviousPass, previous, vertices, unrotated);
        }
    }
}

}  // namespace zt
