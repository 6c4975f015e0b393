#include "glimage/GLImageSoftLightBlendFilter.h"

namespace zt {

namespace {

const char* const kSoftLightFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    mediump vec4 base = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    mediump float alphaDivisor = base.a + step(base.a, 0.0);
    gl_FragColor = base * (overlay.a * (base / alphaDivisor) + (2.0 * overlay * (1.0 - (base / alphaDivisor))))
        + overlay * (1.0 - base.a) + base * (1.0 - overlay.a);
}
)";

}  // namespace

GLImageSoftLightBlendFilter::GLImageSoftLightBlendFilter()
    : GLImageTwoInputFilter(kSoftLightFragmentShaderString)
{
}

}  // namespace zt
