#include "glimage/GLImageChromaKeyBlendFilter.h"

#include <GLES3/gl3.h>
// The extension header after the core one, which defines its types.
#include <GLES2/gl2ext.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageNearestSampling.h"
#include "glimage/GLProgram.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/graphics/PixelFormat.h"

namespace zt {

namespace {

// The key colour's chroma and the soft edge's two ends are the same for every
// pixel, so the vertex shader works them out once and hands them on as a
// varying that stays constant across the quad. Read in the fragment shader,
// each of those uniforms cost llvmpipe a lane-by-lane load for every group of
// pixels, about a third of the shader's instructions.
const char* const kChromaKeyBlendVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
attribute vec4 inputTextureCoordinate2;

uniform float thresholdSensitivity;
uniform float smoothing;
uniform vec3 colorToReplace;

varying vec2 textureCoordinate;
varying vec2 textureCoordinate2;
varying vec4 keyChromaAndEdge;

void main()
{
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;
    textureCoordinate2 = inputTextureCoordinate2.xy;

    float maskY = 0.2989 * colorToReplace.r + 0.5866 * colorToReplace.g + 0.1145 * colorToReplace.b;
    float maskCr = 0.7132 * (colorToReplace.r - maskY);
    float maskCb = 0.5647 * (colorToReplace.b - maskY);
    keyChromaAndEdge = vec4(maskCr, maskCb, thresholdSensitivity, thresholdSensitivity + smoothing);
}
)";

// Distance in the Cr-Cb plane of a Y'CbCr space, the luma left out; both
// programs key with it.
const char* const kKeyedOverBackdropFunction = R"(
vec4 keyedOverBackdrop(vec4 textureColor, vec4 textureColor2, vec4 keyChromaAndEdge)
{
    float Y = 0.2989 * textureColor.r + 0.5866 * textureColor.g + 0.1145 * textureColor.b;
    float Cr = 0.7132 * (textureColor.r - Y);
    float Cb = 0.5647 * (textureColor.b - Y);

    float blendValue = 1.0 - smoothstep(keyChromaAndEdge.z, keyChromaAndEdge.w,
        distance(vec2(Cr, Cb), keyChromaAndEdge.xy));
    return mix(textureColor, textureColor2, blendValue);
}
)";

// The declarations, the keying function and main().
std::string keyingShader(std::string_view declarations, std::string_view main)
{
    std::string shader;
    shader.reserve(declarations.size() + std::strlen(kKeyedOverBackdropFunction) + main.size());
    shader.append(declarations).append(kKeyedOverBackdropFunction).append(main);
    return shader;
}

std::string blendFragmentShaderString()
{
    return keyingShader(R"(
precision highp float;

varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;
varying highp vec4 keyChromaAndEdge;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;
)",
        R"(
void main()
{
    gl_FragColor = keyedOverBackdrop(texture2D(inputImageTexture, textureCoordinate),
        texture2D(inputImageTexture2, textureCoordinate2), keyChromaAndEdge);
}
)");
}

// The same blend with the camera's pixel read from the framebuffer, where
// its picture was uploaded: llvmpipe gathers every texture read from
// memory, and a read of the pixel being drawn is a plain load of a line the
// draw writes anyway. The output stores RGBA and the picture's BGRA bytes
// went in as they are (a copy, not a swizzle of every pixel), so the pixel
// is read back turned.
std::string inPlaceFragmentShaderString()
{
    return keyingShader(R"(
#extension GL_EXT_shader_framebuffer_fetch : require
precision highp float;

varying highp vec2 textureCoordinate2;
varying highp vec4 keyChromaAndEdge;

uniform sampler2D inputImageTexture2;
)",
        R"(
void main()
{
    gl_FragColor = keyedOverBackdrop(
        gl_LastFragData[0].bgra, texture2D(inputImageTexture2, textureCoordinate2), keyChromaAndEdge);
}
)");
}

constexpr int kBackdropUnit = 3;

}  // namespace

GLImageChromaKeyBlendFilter::GLImageChromaKeyBlendFilter()
    : GLImageTwoInputFilter(kChromaKeyBlendVertexShaderString, blendFragmentShaderString())
{
    thresholdSensitivityUniform = filterProgram->uniformIndex("thresholdSensitivity");
    smoothingUniform = filterProgram->uniformIndex("smoothing");
    colorToReplaceUniform = filterProgram->uniformIndex("colorToReplace");
    readsInputsOnlyAtTheirCoordinates = true;
    setThresholdSensitivity(0.4f);
    setSmoothing(0.1f);
    setColorToReplaceRed(0.0f, 1.0f, 0.0f);
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        if (!GLImageContext::deviceSupportsFramebufferReads())
            return;
        _inPlaceProgram = linkedProgram(
            kChromaKeyBlendVertexShaderString, inPlaceFragmentShaderString(), kGLImageTwoInputFilterAttributes);
        _inPlacePositionAttribute = int32_t(_inPlaceProgram->attributeIndex("position"));
        _inPlaceBackdropCoordinateAttribute = int32_t(_inPlaceProgram->attributeIndex("inputTextureCoordinate2"));
        _inPlaceBackdropUniform = _inPlaceProgram->uniformIndex("inputImageTexture2");
        _inPlaceColorToReplaceUniform = _inPlaceProgram->uniformIndex("colorToReplace");
        _inPlaceThresholdSensitivityUniform = _inPlaceProgram->uniformIndex("thresholdSensitivity");
        _inPlaceSmoothingUniform = _inPlaceProgram->uniformIndex("smoothing");
    });
}

void GLImageChromaKeyBlendFilter::setColorToReplaceRed(float redComponent, float greenComponent, float blueComponent)
{
    setVec3({redComponent, greenComponent, blueComponent}, colorToReplaceUniform, filterProgram);
    runAsynchronouslyOnContextQueue(
        [key = _inPlaceKey, color = std::array<float, 3> {redComponent, greenComponent, blueComponent}] {
            key->colorToReplace = color;
        });
}

void GLImageChromaKeyBlendFilter::setThresholdSensitivity(float newValue)
{
    _thresholdSensitivity = newValue;
    setFloat(newValue, thresholdSensitivityUniform, filterProgram);
    runAsynchronouslyOnContextQueue([key = _inPlaceKey, newValue] { key->thresholdSensitivity = newValue; });
}

void GLImageChromaKeyBlendFilter::setSmoothing(float newValue)
{
    _smoothing = newValue;
    setFloat(newValue, smoothingUniform, filterProgram);
    runAsynchronouslyOnContextQueue([key = _inPlaceKey, newValue] { key->smoothing = newValue; });
}

bool GLImageChromaKeyBlendFilter::takesPictures(int64_t textureIndex)
{
    return textureIndex == 0 && _inPlaceProgram != nullptr;
}

void GLImageChromaKeyBlendFilter::setInputPicture(std::shared_ptr<plat::PixelBuffer> picture, int64_t textureIndex)
{
    if (textureIndex != 0)
        return;
    GLImageTwoInputFilter::setInputTexture(0, 0);
    _picture = std::move(picture);
}

void GLImageChromaKeyBlendFilter::setInputTexture(uint32_t newInputTexture, int64_t textureIndex)
{
    if (textureIndex == 0)
        _picture.reset();
    GLImageTwoInputFilter::setInputTexture(newInputTexture, textureIndex);
}

void GLImageChromaKeyBlendFilter::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    _keyedInPlace = false;
    if (!_picture || _preventRendering) {
        GLImageTwoInputFilter::renderToTextureWithVertices(vertices, textureCoordinates, sourceTexture);
        return;
    }
    if (picturePlacesPixelForPixel(vertices)) {
        keyPictureInPlace();
        _keyedInPlace = true;
        return;
    }
    if (!_pictureTexture) {
        _pictureTexture = GLTexture::generate();
        glBindTexture(GL_TEXTURE_2D, _pictureTexture.name());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    uploadPictureInto(_pictureTexture.name(), /*asTexture=*/true);
    filterSourceTexture = _pictureTexture.name();
    GLImageTwoInputFilter::renderToTextureWithVertices(vertices, textureCoordinates, filterSourceTexture);
}

bool GLImageChromaKeyBlendFilter::picturePlacesPixelForPixel(const float* vertices)
{
    const auto& options = outputTextureOptions();
    const plat::Size size = sizeOfFBO();
    const float* fullFrame = fullFrameVertices();
    return _inPlaceProgram && !usesPixelBufferOutput() && inputRotation == GLImageRotationMode::NoRotation
        && std::equal(fullFrame, fullFrame + 8, vertices) && _picture->planeCount() == 0
        && _picture->pixelFormatType() == plat::kPixelFormatType_32BGRA && _picture->bytesPerRow() % 4 == 0
        && options.internalFormat == GL_RGBA && options.type == GL_UNSIGNED_BYTE && int(size.width) == _picture->width()
        && int(size.height) == _picture->height();
}

void GLImageChromaKeyBlendFilter::keyPictureInPlace()
{
    GLImageContext::setActiveShaderProgram(_inPlaceProgram);
    setFilterFBO();
    glActiveTexture(GL_TEXTURE2);
    uploadPictureInto(outputTexture.name(), /*asTexture=*/false);
    // Drawn into and read through the framebuffer, never sampled.
    glBindTexture(GL_TEXTURE_2D, 0);

    const auto& color = _inPlaceKey->colorToReplace;
    glUniform3f(_inPlaceColorToReplaceUniform, color[0], color[1], color[2]);
    glUniform1f(_inPlaceThresholdSensitivityUniform, _inPlaceKey->thresholdSensitivity);
    glUniform1f(_inPlaceSmoothingUniform, _inPlaceKey->smoothing);
    glActiveTexture(GL_TEXTURE0 + kBackdropUnit);
    glBindTexture(GL_TEXTURE_2D, filterSourceTexture2);
    glUniform1i(_inPlaceBackdropUniform, kBackdropUnit);

    const float* backdropCoordinates = textureCoordinatesForRotation(inputRotation2);
    glVertexAttribPointer(GLuint(_inPlacePositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, fullFrameVertices());
    glVertexAttribPointer(GLuint(filterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0,
        textureCoordinatesForRotation(GLImageRotationMode::NoRotation));
    glVertexAttribPointer(GLuint(_inPlaceBackdropCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, backdropCoordinates);
    GLImageNearestSampling nearestSampling;
    if (readsInputsOnlyAtTheirCoordinates && nearestSamplingAllowed)
        nearestSampling.readNearestWherePixelForPixel(kBackdropUnit, fullFrameVertices(), backdropCoordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GLImageChromaKeyBlendFilter::uploadPictureInto(uint32_t texture, bool asTexture) const
{
    const int width = _picture->width();
    const int height = _picture->height();
    _picture->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(_picture->bytesPerRow() / 4));
    if (asTexture) {
        glTexImage2D(
            GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, _picture->baseAddress());
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, _picture->baseAddress());
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    _picture->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
}

}  // namespace zt
