#include "glimage/GLImageSubtractBlendFilter.h"

namespace zt {

namespace {

const char* const kSubtractFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    lowp vec4 base = texture2D(inputImageTexture, textureCoordinate);
    lowp vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    gl_FragColor = vec4(base.rgb - overlay.rgb, base.a);
}
)";

}  // namespace

GLImageSubtractBlendFilter::GLImageSubtractBlendFilter()
    : GLImageTwoInputFilter(kSubtractFragmentShaderString)
{
}

}  // namespace zt
