#include "glimage/GLImageLuminosityBlendFilter.h"

namespace zt {

namespace {

const char* const kLuminosityFragmentShaderString = R"(
highp float lum(highp vec3 c)
{
    return dot(c, vec3(0.3, 0.59, 0.11));
}

highp vec3 clipcolor(highp vec3 c)
{
    highp float l = lum(c);
    highp float n = min(min(c.r, c.g), c.b);
    highp float x = max(max(c.r, c.g), c.b);

    if (n < 0.0) {
        c = l + ((c - l) * l) / (l - n);
    }
    if (x > 1.0) {
        c = l + ((c - l) * (1.0 - l)) / (x - l);
    }
    return c;
}

highp vec3 setlum(highp vec3 c, highp float l)
{
    highp float d = l - lum(c);
    c = c + vec3(d);
    return clipcolor(c);
}

varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    highp vec4 base = texture2D(inputImageTexture, textureCoordinate);
    highp vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    gl_FragColor = vec4(base.rgb * (1.0 - overlay.a) + setlum(base.rgb, lum(overlay.rgb)) * overlay.a, base.a);
}
)";

}  // namespace

GLImageLuminosityBlendFilter::GLImageLuminosityBlendFilter()
    : GLImageTwoInputFilter(kLuminosityFragmentShaderString)
{
}

}  // namespace zt
