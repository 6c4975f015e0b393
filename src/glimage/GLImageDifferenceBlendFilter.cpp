#include "glimage/GLImageDifferenceBlendFilter.h"

namespace zt {

namespace {

const char* const kDifferenceFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    mediump vec4 base = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    gl_FragColor = vec4(abs(overlay.rgb - base.rgb), base.a);
}
)";

}  // namespace

GLImageDifferenceBlendFilter::GLImageDifferenceBlendFilter()
    : GLImageTwoInputFilter(kDifferenceFragmentShaderString)
{
}

}  // namespace zt
