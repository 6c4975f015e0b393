#include "glimage/GLImageScreenBlendFilter.h"

namespace zt {

namespace {

const char* const kScreenFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    mediump vec4 base = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    mediump vec4 whiteColor = vec4(1.0);
    gl_FragColor = whiteColor - ((whiteColor - overlay) * (whiteColor - base));
}
)";

}  // namespace

GLImageScreenBlendFilter::GLImageScreenBlendFilter()
    : GLImageTwoInputFilter(kScreenFragmentShaderString)
{
}

}  // namespace zt
