#include "glimage/GLImageCrosshairGenerator.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Log.h"

namespace zt {

namespace {

// Each point is a sprite crosshairWidth + 1 pixels wide.
const char* const kCrosshairVertexShaderString = R"(
attribute vec4 position;

uniform float crosshairWidth;

varying vec2 centerLocation;
varying float pointSpacing;

void main()
{
    gl_Position = vec4(((position.xy * 2.0) - 1.0), 0.0, 1.0);
    gl_PointSize = crosshairWidth + 1.0;
    pointSpacing = 1.0 / crosshairWidth;
    centerLocation = vec2(pointSpacing * ceil(crosshairWidth / 2.0), pointSpacing * ceil(crosshairWidth / 2.0));
}
)";

// A vertical and a horizontal bar through the sprite's centre.
const char* const kCrosshairFragmentShaderString = R"(
uniform lowp vec3 crosshairColor;

varying highp vec2 centerLocation;
varying highp float pointSpacing;

void main()
{
    lowp vec2 distanceFromCenter = abs(centerLocation - gl_PointCoord.xy);
    lowp float axisTest = step(pointSpacing, gl_PointCoord.y) * step(distanceFromCenter.x, 0.09)
        + step(pointSpacing, gl_PointCoord.x) * step(distanceFromCenter.y, 0.09);

    gl_FragColor = vec4(crosshairColor * axisTest, axisTest);
}
)";

constexpr double kDefaultCrosshairWidth = 5.0;

}  // namespace

GLImageCrosshairGenerator::GLImageCrosshairGenerator()
    : GLImageFilter(kCrosshairVertexShaderString, kCrosshairFragmentShaderString)
{
    runSynchronouslyOnContextQueue([this] {
        crosshairWidthUniform = filterProgram->uniformIndex("crosshairWidth");
        crosshairColorUniform = filterProgram->uniformIndex("crosshairColor");
    });
    setCrosshairWidth(kDefaultCrosshairWidth);
    setCrosshairColorRed(0.0f, 1.0f, 0.0f);
}

void GLImageCrosshairGenerator::setCrosshairWidth(double newValue)
{
    _crosshairWidth = newValue;
    setFloat(float(newValue), crosshairWidthUniform, filterProgram);
}

void GLImageCrosshairGenerator::setCrosshairColorRed(float redComponent, float greenComponent, float blueComponent)
{
    setVec3({redComponent, greenComponent, blueComponent}, crosshairColorUniform, filterProgram);
}

void GLImageCrosshairGenerator::renderCrosshairsFromArray(
    const float* crosshairCoordinates, uint64_t numberOfCrosshairs, const plat::MediaTime& frameTime)
{
    if (_preventRendering)
        return;
    runSynchronouslyOnContextQueue([&] {
        const plat::Size size = sizeOfFBO();
        if (size.width < 1 || size.height < 1) {
            plat::log("GLImageCrosshairGenerator: no frame size to draw crosshairs into");
            return;
        }
        GLImageContext::setActiveShaderProgram(filterProgram);
        setFilterFBO();
        setUniformsForProgramAtIndex(0);

        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);

        // Only positions are drawn: the coordinate array stays off so that
        // GL reads nothing past the caller's points.
        glDisableVertexAttribArray(GLuint(filterTextureCoordinateAttribute));
        glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, crosshairCoordinates);
        if (numberOfCrosshairs > 0)
            glDrawArrays(GL_POINTS, 0, GLsizei(numberOfCrosshairs));
        // The caller's array is gone after this call: leave GL pointing at
        // memory that lives.
        glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, fullFrameVertices());
        glEnableVertexAttribArray(GLuint(filterTextureCoordinateAttribute));

        outputTextureRetainCount = _targets.size();
        informTargetsAboutNewFrameAtTime(frameTime);
    });
}

}  // namespace zt
