#include "glimage/GLImageSourceOverBlendFilter.h"

namespace zt {

namespace {

const char* const kSourceOverFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    lowp vec4 base = texture2D(inputImageTexture, textureCoordinate);
    lowp vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    gl_FragColor = mix(base, overlay, overlay.a);
}
)";

}  // namespace

GLImageSourceOverBlendFilter::GLImageSourceOverBlendFilter()
    : GLImageTwoInputFilter(kSourceOverFragmentShaderString)
{
}

}  // namespace zt
