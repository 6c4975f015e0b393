#include "glimage/GLImageKuwaharaRadius3Filter.h"

namespace zt {

namespace {

// Windows 0 to 3: up-left, down-left, down-right, up-right of the pixel,
// visited in that order; the first of equally quiet windows wins.
const char* const kKuwaharaRadius3FragmentShaderString = R"(
precision highp float;

varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

const vec2 src_size = vec2(1.0 / 768.0, 1.0 / 1024.0);

void main()
{
    vec2 uv = textureCoordinate;
    float n = 16.0;

    vec3 m0 = vec3(0.0);
    vec3 m1 = vec3(0.0);
    vec3 m2 = vec3(0.0);
    vec3 m3 = vec3(0.0);
    vec3 s0 = vec3(0.0);
    vec3 s1 = vec3(0.0);
    vec3 s2 = vec3(0.0);
    vec3 s3 = vec3(0.0);
    vec3 c;

    for (int j = -3; j <= 0; ++j) {
        for (int i = -3; i <= 0; ++i) {
            c = texture2D(inputImageTexture, uv + vec2(float(i), float(j)) * src_size).rgb;
            m0 += c;
            s0 += c * c;
        }
    }
    for (int j = 0; j <= 3; ++j) {
        for (int i = -3; i <= 0; ++i) {
            c = texture2D(inputImageTexture, uv + vec2(float(i), float(j)) * src_size).rgb;
            m1 += c;
            s1 += c * c;
        }
    }
    for (int j = 0; j <= 3; ++j) {
        for (int i = 0; i <= 3; ++i) {
            c = texture2D(inputImageTexture, uv + vec2(float(i), float(j)) * src_size).rgb;
            m2 += c;
            s2 += c * c;
        }
    }
    for (int j = -3; j <= 0; ++j) {
        for (int i = 0; i <= 3; ++i) {
            c = texture2D(inputImageTexture, uv + vec2(float(i), float(j)) * src_size).rgb;
            m3 += c;
            s3 += c * c;
        }
    }

    float min_sigma2 = 1e+2;
    m0 /= n;
    s0 = abs(s0 / n - m0 * m0);
    float sigma2 = s0.r + s0.g + s0.b;
    if (sigma2 < min_sigma2) {
        min_sigma2 = sigma2;
        gl_FragColor = vec4(m0, 1.0);
    }

    m1 /= n;
    s1 = abs(s1 / n - m1 * m1);
    sigma2 = s1.r + s1.g + s1.b;
    if (sigma2 < min_sigma2) {
        min_sigma2 = sigma2;
        gl_FragColor = vec4(m1, 1.0);
    }

    m2 /= n;
    s2 = abs(s2 / n - m2 * m2);
    sigma2 = s2.r + s2.g + s2.b;
    if (sigma2 < min_sigma2) {
        min_sigma2 = sigma2;
        gl_FragColor = vec4(m2, 1.0);
    }

    m3 /= n;
    s3 = abs(s3 / n - m3 * m3);
    sigma2 = s3.r + s3.g + s3.b;
    if (sigma2 < min_sigma2) {
        min_sigma2 = sigma2;
        gl_FragColor = vec4(m3, 1.0);
    }
}
)";

}  // namespace

GLImageKuwaharaRadius3Filter::GLImageKuwaharaRadius3Filter()
    : GLImageFilter(kKuwaharaRadius3FragmentShaderString)
{
}

}  // namespace zt
