#include "glimage/GLImagePolarPixellateFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kPolarPixellateFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

uniform highp vec2 center;
uniform highp vec2 pixelSize;

void main()
{
    highp vec2 normCoord = 2.0 * textureCoordinate - 1.0;
    highp vec2 normCenter = 2.0 * center - 1.0;

    normCoord -= normCenter;

    highp float r = length(normCoord);
    highp float phi = atan(normCoord.y, normCoord.x);

    r = r - mod(r, pixelSize.x) + 0.03;
    phi = phi - mod(phi, pixelSize.y);

    normCoord.x = r * cos(phi);
    normCoord.y = r * sin(phi);

    normCoord += normCenter;

    highp vec2 textureCoordinateToUse = normCoord / 2.0 + 0.5;

    gl_FragColor = texture2D(inputImageTexture, textureCoordinateToUse);
}
)";

}  // namespace

GLImagePolarPixellateFilter::GLImagePolarPixellateFilter()
    : GLImageCenterAndAspectFilter(kPolarPixellateFragmentShaderString, "center", {})
{
    pixelSizeUniform = filterProgram->uniformIndex("pixelSize");
    setPixelSize({0.05, 0.05});
    setCenter({0.5, 0.5});
}

void GLImagePolarPixellateFilter::setPixelSize(plat::Size newValue)
{
    _pixelSize = newValue;
    setSize(newValue, pixelSizeUniform, filterProgram);
}

}  // namespace zt
