#include "glimage/GLImageNonSeparableBlendShader.h"

namespace zt::detail {

namespace {

const char* const kLuminosityFunctions = R"(
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

)";

const char* const kSaturationFunctions = R"(highp float sat(highp vec3 c)
{
    highp float n = min(min(c.r, c.g), c.b);
    highp float x = max(max(c.r, c.g), c.b);
    return x - n;
}

highp float mid(highp float cmin, highp float cmid, highp float cmax, highp float s)
{
    return ((cmid - cmin) * s) / (cmax - cmin);
}

highp vec3 setsat(highp vec3 c, highp float s)
{
    if (c.r > c.g) {
        if (c.r > c.b) {
            if (c.g > c.b) {
                c.g = mid(c.b, c.g, c.r, s);
                c.b = 0.0;
            } else {
                c.b = mid(c.g, c.b, c.r, s);
                c.g = 0.0;
            }
            c.r = s;
        } else {
            c.r = mid(c.g, c.r, c.b, s);
            c.b = s;
            c.g = 0.0;
        }
    } else if (c.r > c.b) {
        c.r = mid(c.b, c.r, c.g, s);
        c.g = s;
        c.b = 0.0;
    } else if (c.g > c.b) {
        c.b = mid(c.r, c.b, c.g, s);
        c.g = s;
        c.r = 0.0;
    } else if (c.b > c.g) {
        c.g = mid(c.r, c.g, c.b, s);
        c.b = s;
        c.r = 0.0;
    } else {
        c = vec3(0.0);
    }
    return c;
}

)";

const char* const kMainBeforeColour = R"(varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    highp vec4 base = texture2D(inputImageTexture, textureCoordinate);
    highp vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    gl_FragColor = vec4(base.rgb * (1.0 - overlay.a) + )";

const char* const kMainAfterColour = R"( * overlay.a, base.a);
}
)";

}  // namespace

std::string nonSeparableBlendFragmentShader(NonSeparableBlendFunctions functions, std::string_view blendedColour)
{
    std::string source = kLuminosityFunctions;
    if (functions == NonSeparableBlendFunctions::LuminosityAndSaturation)
        source += kSaturationFunctions;
    source += kMainBeforeColour;
    source += blendedColour;
    source += kMainAfterColour;
    return source;
}

}  // namespace zt::detail
