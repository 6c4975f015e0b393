#include "glimage/GLImageCGAColorspaceFilter.h"

namespace zt {

namespace {

// Ties go to the earlier colour: black, white, cyan, magenta. A later
// colour must be nearer by more than half a colour step (1/510): texture
// sampling is not exact (llvmpipe's is off by 3e-4 between white and cyan),
// and a pixel exactly between two colours must keep the earlier one.
const char* const kCGAColorspaceFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

void main()
{
    highp vec2 sampleDivisor = vec2(1.0 / 200.0, 1.0 / 320.0);
    highp vec2 samplePos = textureCoordinate - mod(textureCoordinate, sampleDivisor);
    highp vec4 color = texture2D(inputImageTexture, samplePos);

    mediump vec4 colorCyan = vec4(85.0 / 255.0, 1.0, 1.0, 1.0);
    mediump vec4 colorMagenta = vec4(1.0, 85.0 / 255.0, 1.0, 1.0);
    mediump vec4 colorWhite = vec4(1.0, 1.0, 1.0, 1.0);
    mediump vec4 colorBlack = vec4(0.0, 0.0, 0.0, 1.0);

    const highp float tieTolerance = 0.5 / 255.0;
    mediump vec4 endColor = colorBlack;
    highp float nearest = distance(color, colorBlack);
    highp float whiteDistance = distance(color, colorWhite);
    if (whiteDistance < nearest - tieTolerance) {
        nearest = whiteDistance;
        endColor = colorWhite;
    }
    highp float cyanDistance = distance(color, colorCyan);
    if (cyanDistance < nearest - tieTolerance) {
        nearest = cyanDistance;
        endColor = colorCyan;
    }
    highp float magentaDistance = distance(color, colorMagenta);
    if (magentaDistance < nearest - tieTolerance) {
        nearest = magentaDistance;
        endColor = colorMagenta;
    }
    gl_FragColor = endColor;
}
)";

}  // namespace

GLImageCGAColorspaceFilter::GLImageCGAColorspaceFilter()
    : GLImageFilter(kCGAColorspaceFragmentShaderString)
{
}

}  // namespace zt
