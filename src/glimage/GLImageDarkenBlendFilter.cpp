#include "glimage/GLImageDarkenBlendFilter.h"

namespace zt {

namespace {

const char* const kDarkenFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    lowp vec4 base = texture2D(inputImageTexture, textureCoordinate);
    lowp vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    lowp vec3 outputColor = min(overlay.rgb * base.a, base.rgb * overlay.a) + overlay.rgb * (1.0 - base.a)
        + base.rgb * (1.0 - overlay.a);
    gl_FragColor = vec4(outputColor, 1.0);
}
)";

}  // namespace

GLImageDarkenBlendFilter::GLImageDarkenBlendFilter()
    : GLImageTwoInputFilter(kDarkenFragmentShaderString)
{
}

}  // namespace zt
