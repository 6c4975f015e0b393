#include "glimage/GLImageKuwaharaFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// The texel step is fixed, whatever the frame size. Quadrants are tried in
// the order upper left, upper right, lower right, lower left; a later one
// wins only with a strictly smaller variance.
const char* const kKuwaharaFragmentShaderString = R"(
precision highp float;

varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform int radius;

const vec2 src_size = vec2(1.0 / 768.0, 1.0 / 1024.0);

void accumulate(vec2 uv, int fromX, int toX, int fromY, int toY, inout float minSigma2, inout vec4 result)
{
    vec3 sum = vec3(0.0);
    vec3 sumOfSquares = vec3(0.0);
    for (int j = fromY; j <= toY; ++j) {
        for (int i = fromX; i <= toX; ++i) {
            vec3 c = texture2D(inputImageTexture, uv + vec2(i, j) * src_size).rgb;
            sum += c;
            sumOfSquares += c * c;
        }
    }
    float n = float((radius + 1) * (radius + 1));
    vec3 mean = sum / n;
    vec3 variance = abs(sumOfSquares / n - mean * mean);
    float sigma2 = variance.r + variance.g + variance.b;
    if (sigma2 < minSigma2) {
        minSigma2 = sigma2;
        result = vec4(mean, 1.0);
    }
}

void main()
{
    vec2 uv = textureCoordinate;
    float minSigma2 = 100.0;
    vec4 result = vec4(0.0, 0.0, 0.0, 1.0);
    accumulate(uv, -radius, 0, -radius, 0, minSigma2, result);
    accumulate(uv, 0, radius, -radius, 0, minSigma2, result);
    accumulate(uv, 0, radius, 0, radius, minSigma2, result);
    accumulate(uv, -radius, 0, 0, radius, minSigma2, result);
    gl_FragColor = result;
}
)";

}  // namespace

GLImageKuwaharaFilter::GLImageKuwaharaFilter()
    : GLImageFilter(kKuwaharaFragmentShaderString)
{
    radiusUniform = filterProgram->uniformIndex("radius");
    setRadius(3);
}

void GLImageKuwaharaFilter::setRadius(uint64_t newValue)
{
    _radius = newValue;
    setInteger(int(newValue), radiusUniform, filterProgram);
}

}  // namespace zt
