#include "glimage/GLImageColorDodgeBlendFilter.h"

namespace zt {

namespace {

const char* const kColorDodgeFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    mediump vec4 base = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    mediump vec3 baseOverlayAlphaProduct = vec3(overlay.a * base.a);
    mediump vec3 rightHandProduct = overlay.rgb * (1.0 - base.a) + base.rgb * (1.0 - overlay.a);

    mediump vec3 firstBlendColor = baseOverlayAlphaProduct + rightHandProduct;
    mediump vec3 overlayRGB = clamp((overlay.rgb / clamp(overlay.a, 0.01, 1.0)) * step(0.0, overlay.a), 0.0, 0.99);

    mediump vec3 secondBlendColor = (base.rgb * overlay.a) / (1.0 - overlayRGB) + rightHandProduct;

    mediump vec3 colorChoice = step((overlay.rgb * base.a + base.rgb * overlay.a), baseOverlayAlphaProduct);

    gl_FragColor = vec4(mix(firstBlendColor, secondBlendColor, colorChoice), 1.0);
}
)";

}  // namespace

GLImageColorDodgeBlendFilter::GLImageColorDodgeBlendFilter()
    : GLImageTwoInputFilter(kColorDodgeFragmentShaderString)
{
}

}  // namespace zt
