#include "glimage/GLImageNormalBlendFilter.h"

namespace zt {

namespace {

const char* const kNormalFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    lowp vec4 base = texture2D(inputImageTexture, textureCoordinate);
    lowp vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    lowp float outputAlpha = overlay.a + base.a * (1.0 - overlay.a);
    lowp float divisor = outputAlpha == 0.0 ? 1.0 : outputAlpha;
    lowp vec3 outputColor = (overlay.rgb * overlay.a + base.rgb * base.a * (1.0 - overlay.a)) / divisor;
    gl_FragColor = vec4(outputColor, outputAlpha);
}
)";

}  // namespace

GLImageNormalBlendFilter::GLImageNormalBlendFilter()
    : GLImageTwoInputFilter(kNormalFragmentShaderString)
{
}

}  // namespace zt
