#include "glimage/GLImageOverlayBlendFilter.h"

namespace zt {

namespace {

const char* const kOverlayFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    mediump vec4 base = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    mediump vec3 alphaTerms = overlay.rgb * (1.0 - base.a) + base.rgb * (1.0 - overlay.a);
    mediump vec3 dark = 2.0 * overlay.rgb * base.rgb + alphaTerms;
    mediump vec3 light = overlay.a * base.a - 2.0 * (base.a - base.rgb) * (overlay.a - overlay.rgb) + alphaTerms;
    mediump vec3 useDark = 1.0 - step(vec3(base.a), 2.0 * base.rgb);  // 2 base < base alpha
    gl_FragColor = vec4(mix(light, dark, useDark), 1.0);
}
)";

}  // namespace

GLImageOverlayBlendFilter::GLImageOverlayBlendFilter()
    : GLImageTwoInputFilter(kOverlayFragmentShaderString)
{
}

}  // namespace zt
