#include "glimage/GLImageYUVConversion.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"
#include "platform/graphics/PixelBuffer.h"

namespace zt::detail {

const GLImageColorConversionMatrix kColorConversion601
    = {1.164f, 1.164f, 1.164f, 0.0f, -0.392f, 2.017f, 1.596f, -0.813f, 0.0f};
const GLImageColorConversionMatrix kColorConversion709
    = {1.164f, 1.164f, 1.164f, 0.0f, -0.213f, 2.112f, 1.793f, -0.533f, 0.0f};
const GLImageColorConversionMatrix kColorConversion601FullRange
    = {1.0f, 1.0f, 1.0f, 0.0f, -0.344f, 1.772f, 1.402f, -0.714f, 0.0f};
const GLImageColorConversionMatrix kColorConversion709FullRange
    = {1.0f, 1.0f, 1.0f, 0.0f, -0.187f, 1.856f, 1.575f, -0.468f, 0.0f};

namespace {

// Video range puts black at 16 of 255; the video-range matrices scale from there.
constexpr float kVideoRangeBlack = 16.0f / 255.0f;

constexpr const char* kYUVConversionFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D luminanceTexture;
uniform sampler2D chrominanceTexture;
uniform mediump mat3 colorConversionMatrix;
uniform mediump float luminanceOffset;

void main()
{
    mediump vec3 yuv;
    lowp vec3 rgb;

    yuv.x = texture2D(luminanceTexture, textureCoordinate).r - luminanceOffset;
    yuv.yz = texture2D(chrominanceTexture, textureCoordinate).ra - vec2(0.5, 0.5);
    rgb = colorConversionMatrix * yuv;

    gl_FragColor = vec4(rgb, 1);
}
)";

constexpr GLfloat kSquareVertices[] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat kTextureCoordinates[] = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};

constexpr GLenum kLuminanceTextureUnit = GL_TEXTURE4;
constexpr GLint kLuminanceTextureUnitIndex = 4;
constexpr GLenum kChrominanceTextureUnit = GL_TEXTURE5;
constexpr GLint kChrominanceTextureUnitIndex = 5;

}  // namespace

GLImageYUVConversionChoice conversionForBuffer(const plat::PixelBuffer& buffer)
{
    const bool bt601 = buffer.yCbCrMatrix() == plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4;
    if (buffer.pixelFormatType() == plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange)
        return {bt601 ? kColorConversion601FullRange : kColorConversion709FullRange, 0.0f};
    return {bt601 ? kColorConversion601 : kColorConversion709, kVideoRangeBlack};
}

GLImageYUVConversion::GLImageYUVConversion() = default;

GLImageYUVConversion::~GLImageYUVConversion() = default;

void GLImageYUVConversion::setUp()
{
    _program = GLImageFilter::linkedProgram(
        kGLImageVertexShaderString, kYUVConversionFragmentShaderString, kGLImageFilterAttributes);
    _positionAttribute = int32_t(_program->attributeIndex("position"));
    _textureCoordinateAttribute = int32_t(_program->attributeIndex("inputTextureCoordinate"));
    _luminanceTextureUniform = _program->uniformIndex("luminanceTexture");
    _chrominanceTextureUniform = _program->uniformIndex("chrominanceTexture");
    _matrixUniform = _program->uniformIndex("colorConversionMatrix");
    _luminanceOffsetUniform = _program->uniformIndex("luminanceOffset");
    GLImageContext::setActiveShaderProgram(_program);
    glEnableVertexAttribArray(GLuint(_positionAttribute));
    glEnableVertexAttribArray(GLuint(_textureCoordinateAttribute));
}

bool GLImageYUVConversion::takeBufferSize(int width, int height)
{
    if (width == _imageBufferWidth && height == _imageBufferHeight)
        return false;
    _imageBufferWidth = width;
    _imageBufferHeight = height;
    return true;
}

void GLImageYUVConversion::createFramebuffer(uint32_t outputTexture)
{
    glActiveTexture(GL_TEXTURE1);
    _framebuffer = GLFramebuffer::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, _framebuffer.name());
    glBindTexture(GL_TEXTURE_2D, outputTexture);
    glTexImage2D(
        GL_TEXTURE_2D, 0, GL_RGBA, _imageBufferWidth, _imageBufferHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, outputTexture, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        plat::detail::fatal("Incomplete filter FBO: {}", status);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GLImageYUVConversion::bindFramebuffer()
{
    glBindFramebuffer(GL_FRAMEBUFFER, _framebuffer.name());
    glViewport(0, 0, _imageBufferWidth, _imageBufferHeight);
}

void GLImageYUVConversion::destroyFramebuffer()
{
    _framebuffer.reset();
}

void GLImageYUVConversion::draw(
    uint32_t luminanceTexture, uint32_t chrominanceTexture, const GLImageYUVConversionChoice& conversion)
{
    GLImageContext::setActiveShaderProgram(_program);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glActiveTexture(kLuminanceTextureUnit);
    glBindTexture(GL_TEXTURE_2D, luminanceTexture);
    glUniform1i(_luminanceTextureUniform, kLuminanceTextureUnitIndex);
    glActiveTexture(kChrominanceTextureUnit);
    glBindTexture(GL_TEXTURE_2D, chrominanceTexture);
    glUniform1i(_chrominanceTextureUniform, kChrominanceTextureUnitIndex);
    glUniformMatrix3fv(_matrixUniform, 1, GL_FALSE, conversion.matrix);
    glUniform1f(_luminanceOffsetUniform, conversion.luminanceOffset);

    glEnableVertexAttribArray(GLuint(_positionAttribute));
    glEnableVertexAttribArray(GLuint(_textureCoordinateAttribute));
    glVertexAttribPointer(GLuint(_positionAttribute), 2, GL_FLOAT, GL_FALSE, 0, kSquareVertices);
    glVertexAttribPointer(GLuint(_textureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, kTextureCoordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace zt::detail
