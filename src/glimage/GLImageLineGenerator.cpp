#include "glimage/GLImageLineGenerator.h"

#include <GLES2/gl2.h>
#include <algorithm>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Log.h"

namespace zt {

namespace {

const char* const kLineVertexShaderString = R"(
attribute vec4 position;

void main()
{
    gl_Position = position;
}
)";

const char* const kLineFragmentShaderString = R"(
uniform lowp vec3 lineColor;

void main()
{
    gl_FragColor = vec4(lineColor, 1.0);
}
)";

// Slopes above this are vertical lines at x = intercept.
constexpr float kVerticalSlope = 9000.0f;
constexpr size_t kFloatsPerLine = 4;

}  // namespace

GLImageLineGenerator::GLImageLineGenerator()
    : GLImageFilter(kLineVertexShaderString, kLineFragmentShaderString)
{
    runSynchronouslyOnContextQueue([this] {
        lineWidthUniform = filterProgram->uniformIndex("lineWidth");
        lineColorUniform = filterProgram->uniformIndex("lineColor");
    });
    setLineWidth(1.0);
    setLineColorRed(0.0f, 1.0f, 0.0f);
}

void GLImageLineGenerator::generateLineCoordinates()
{
    lineCoordinates.assign(kMaximumLines * kFloatsPerLine, 0.0f);
}

void GLImageLineGenerator::setLineWidth(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _lineWidth = newValue;
        GLImageContext::setActiveShaderProgram(filterProgram);
        glLineWidth(GLfloat(newValue));
    });
}

void GLImageLineGenerator::setLineColorRed(float redComponent, float greenComponent, float blueComponent)
{
    setVec3({redComponent, greenComponent, blueComponent}, lineColorUniform, filterProgram);
}

void GLImageLineGenerator::renderLinesFromArray(
    const float* lineSlopeAndIntercepts, uint64_t numberOfLines, const plat::MediaTime& frameTime)
{
    if (_preventRendering)
        return;
    runSynchronouslyOnContextQueue([&] {
        const plat::Size size = sizeOfFBO();
        if (size.width < 1 || size.height < 1) {
            plat::log("GLImageLineGenerator: no frame size to draw lines into");
            return;
        }
        if (lineCoordinates.empty())
            generateLineCoordinates();
        const uint64_t linesToDraw = std::min(numberOfLines, kMaximumLines);
        for (uint64_t i = 0; i < linesToDraw; ++i) {
            const float slope = lineSlopeAndIntercepts[i * 2];
            const float intercept = lineSlopeAndIntercepts[i * 2 + 1];
            float* line = lineCoordinates.data() + i * kFloatsPerLine;
            if (slope > kVerticalSlope) {
                line[0] = intercept;
                line[1] = -1.0f;
                line[2] = intercept;
                line[3] = 1.0f;
            } else {
                line[0] = -1.0f;
                line[1] = intercept - slope;
                line[2] = 1.0f;
                line[3] = slope + intercept;
            }
        }

        GLImageContext::setActiveShaderProgram(filterProgram);
        setFilterFBO();
        setUniformsForProgramAtIndex(0);
        glLineWidth(GLfloat(_lineWidth));

        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);

        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_BLEND);

        glDisableVertexAttribArray(GLuint(filterTextureCoordinateAttribute));
        glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, lineCoordinates.data());
        if (linesToDraw > 0)
            glDrawArrays(GL_LINES, 0, GLsizei(linesToDraw * 2));
        glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, fullFrameVertices());
        glEnableVertexAttribArray(GLuint(filterTextureCoordinateAttribute));

        glDisable(GL_BLEND);

        outputTextureRetainCount = _targets.size();
        informTargetsAboutNewFrameAtTime(frameTime);
    });
}

}  // namespace zt
