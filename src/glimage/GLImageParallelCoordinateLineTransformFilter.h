#pragma once
#include <cstdint>
#include <vector>

#include "glimage/GLImageFilter.h"

namespace zt {

// How the line transform counts segments into its picture: by reading the
// framebuffer back in the shader (a count carried through the colour
// channels, read packed), or by adding a little to every channel through
// blending (read from red).
enum class GLImageLineAccumulation { FramebufferReads, AdditiveBlending };

// The Hough step of line detection in parallel coordinates: every second
// lit pixel of its input (an edge map) becomes a pair of line segments,
// and the picture counts how many segments cross each point. The points
// where many cross are lines of the input. Context queue.
class GLImageParallelCoordinateLineTransformFilter : public GLImageFilter {
public:
    // Framebuffer reads where the device has them, else blending.
    GLImageParallelCoordinateLineTransformFilter();
    explicit GLImageParallelCoordinateLineTransformFilter(GLImageLineAccumulation accumulation);
    ~GLImageParallelCoordinateLineTransformFilter() override;

    static GLImageLineAccumulation accumulationForThisDevice();

    // Sizes the buffers for the input size.
    void generateLineCoordinates();
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;

    GLImageLineAccumulation accumulation() const { return _accumulation; }
    uint32_t linePairsToRenderForTesting() const { return linePairsToRender; }

private:
    // Reads the input texture, whatever framebuffer is bound.
    bool readInputPixels(size_t width, size_t height);

    GLImageLineAccumulation _accumulation;
    std::vector<uint8_t> rawImagePixels;
    std::vector<float> lineCoordinates;
    plat::Size lineCoordinatesSize;
    uint32_t maxLinePairsToRender = 0;
    uint32_t linePairsToRender = 0;
    GLFramebuffer inputReadFramebuffer;  // context queue
};

}  // namespace zt
