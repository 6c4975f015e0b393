#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "glimage/GLImageFilter.h"

namespace zt {

// Draws a list of lines y = slope * x + intercept (in the frame's -1..1
// coordinates, as the line detector reports them; a slope above 9000 is a
// vertical line at x = intercept) across a transparent frame and hands it
// on. At most kMaximumLines a call. It draws only when given lines; its
// frame size is the one forced on it or its input's. Any thread (the
// drawing runs on the context queue).
class GLImageLineGenerator : public GLImageFilter {
public:
    static constexpr uint64_t kMaximumLines = 1024;

    GLImageLineGenerator();  // 1 pixel wide, green

    // slope, intercept pairs, read before this returns.
    void renderLinesFromArray(
        const float* lineSlopeAndIntercepts, uint64_t numberOfLines, const plat::MediaTime& frameTime);
    void renderToTextureWithVertices(const float*, const float*, uint32_t) override { }
    // Context queue: makes room for kMaximumLines lines.
    void generateLineCoordinates();

    double lineWidth() const { return _lineWidth; }
    // Any thread; GL's line width is set on the context queue, and again
    // before each drawing, since other filters set it too.
    void setLineWidth(double newValue);
    void setLineColorRed(float redComponent, float greenComponent, float blueComponent);

private:
    int32_t lineWidthUniform = -1;
    int32_t lineColorUniform = -1;
    std::vector<float> lineCoordinates;  // context queue
    std::atomic<double> _lineWidth = 1.0;  // drawn with on the context queue
};

}  // namespace zt
