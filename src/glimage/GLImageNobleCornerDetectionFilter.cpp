#include "glimage/GLImageNobleCornerDetectionFilter.h"

namespace zt {

namespace {

// A flat patch has no trace: no corner there, rather than 0 / 0.
const char* const kNobleCornerDetectionFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform lowp float sensitivity;

void main()
{
    mediump vec3 derivativeElements = texture2D(inputImageTexture, textureCoordinate).rgb;

    mediump float derivativeSum = derivativeElements.x + derivativeElements.y;
    mediump float zElement = (derivativeElements.z * 2.0) - 1.0;

    // R = det(M) / trace(M)
    mediump float cornerness = 0.0;
    if (derivativeSum > 0.0)
        cornerness = (derivativeElements.x * derivativeElements.y - (zElement * zElement)) / derivativeSum;

    gl_FragColor = vec4(vec3(cornerness * sensitivity), 1.0);
}
)";

}  // namespace

GLImageNobleCornerDetectionFilter::GLImageNobleCornerDetectionFilter()
    : GLImageHarrisCornerDetectionFilter(kNobleCornerDetectionFragmentShaderString)
{
}

}  // namespace zt
