#include "glimage/GLImageMaskFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"

namespace zt {

namespace {

const char* const kMaskFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    lowp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    lowp vec4 textureColor2 = texture2D(inputImageTexture2, textureCoordinate2);

    lowp float newAlpha = dot(textureColor2.rgb, vec3(0.33333334, 0.33333334, 0.33333334)) * textureColor2.a;

    gl_FragColor = vec4(textureColor.xyz, newAlpha);
}
)";

}  // namespace

GLImageMaskFilter::GLImageMaskFilter()
    : GLImageTwoInputFilter(kMaskFragmentShaderString)
{
}

void GLImageMaskFilter::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    // Blending over the cleared framebuffer multiplies the colour by the new
    // alpha. The alpha itself is taken as it is: blended with the colour's
    // factors it would come out squared. The context may not be current yet
    // when a frame arrives.
    GLImageContext::useImageProcessingContext();
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    GLImageTwoInputFilter::renderToTextureWithVertices(vertices, textureCoordinates, sourceTexture);
    glDisable(GL_BLEND);
}

}  // namespace zt
