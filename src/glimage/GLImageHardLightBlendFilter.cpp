#include "glimage/GLImageHardLightBlendFilter.h"

namespace zt {

namespace {

const char* const kHardLightFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    mediump vec4 base = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    highp vec3 alphaTerms = overlay.rgb * (1.0 - base.a) + base.rgb * (1.0 - overlay.a);
    highp vec3 dark = 2.0 * overlay.rgb * base.rgb + alphaTerms;
    highp vec3 light = overlay.a * base.a - 2.0 * (base.a - base.rgb) * (overlay.a - overlay.rgb) + alphaTerms;
    highp vec3 useDark = 1.0 - step(vec3(overlay.a), 2.0 * overlay.rgb);  // 2 overlay < overlay alpha
    gl_FragColor = vec4(mix(light, dark, useDark), 1.0);
}
)";

}  // namespace

GLImageHardLightBlendFilter::GLImageHardLightBlendFilter()
    : GLImageTwoInputFilter(kHardLightFragmentShaderString)
{
}

}  // namespace zt
