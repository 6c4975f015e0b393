#include "glimage/GLImageColorBurnBlendFilter.h"

namespace zt {

namespace {

const char* const kColorBurnFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    mediump vec4 base = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    mediump vec4 whiteColor = vec4(1.0);
    gl_FragColor = whiteColor - (whiteColor - base) / overlay;
}
)";

}  // namespace

GLImageColorBurnBlendFilter::GLImageColorBurnBlendFilter()
    : GLImageTwoInputFilter(kColorBurnFragmentShaderString)
{
}

}  // namespace zt
