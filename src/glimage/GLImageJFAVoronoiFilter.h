#pragma once
#include <cstdint>

#include "glimage/GLImageFilter.h"

namespace zt {

// A Voronoi diagram by jump flooding. The input is a square seed texture
// with a side that is a power of two: seed pixels are opaque and their
// colour encodes their own position (see GLImageVoronoiShaders.h), every
// other pixel is transparent. Passes with halving steps hand each pixel
// the code of its nearest seed, ping-ponging between two framebuffers; the
// last pass always lands in the output. The textures sample the nearest
// texel: a blend of two codes would be a position of no seed. Frames on the
// context queue; sizeInPixels may be set from any thread.
class GLImageJFAVoronoiFilter : public GLImageFilter {
public:
    GLImageJFAVoronoiFilter();
    ~GLImageJFAVoronoiFilter() override;

    plat::Size sizeInPixels() const { return _sizeInPixels; }
    // Logs and keeps the last usable size when not square or not a power of two.
    void setSizeInPixels(plat::Size newValue);
    // The smallest power of two not below the larger side.
    static uint64_t nextPowerOfTwo(plat::Size size);

    void initializeOutputTextureIfNeeded() override;
    void createFilterFBOofSize(plat::Size currentFBOSize) override;
    void destroyFilterFBO() override;
    void deleteOutputTexture() override;
    void setSecondFilterFBO();
    void setOutputFBO() override;
    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;

    uint64_t numPassesForTesting() const;

private:
    void drawPass(uint32_t sourceTexture, float sampleStep, const float* vertices, const float* textureCoordinates);

    GLTexture secondFilterOutputTexture;  // context queue
    GLFramebuffer secondFilterFramebuffer;  // context queue
    int32_t sampleStepUniform = -1;
    int32_t sizeUniform = -1;
    uint64_t numPasses = 0;  // context queue
    int currentPass = 0;  // context queue
    plat::Size _sizeInPixels;
};

}  // namespace zt
