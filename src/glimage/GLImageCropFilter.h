#pragma once
#include <array>

#include "glimage/GLImageFilter.h"

namespace zt {

// Cuts a region out of the frame: the output has the region's share of the
// (turned) input size and shows only the region. The region is in fractions
// of the frame; each of its components must lie within 0..1. Setters from
// any thread; frames on the context queue.
class GLImageCropFilter : public GLImageFilter {
public:
    GLImageCropFilter();  // the whole frame
    explicit GLImageCropFilter(plat::Rect newCropRegion);

    plat::Rect cropRegion() const { return _cropRegion; }
    void setCropRegion(plat::Rect newValue);

    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;

    std::array<float, 8> cropTextureCoordinatesForTesting() const;

private:
    // Context queue: the texture coordinates of the region for the input's turn.
    void calculateCropTextureCoordinates();

    plat::Rect _cropRegion {{0, 0}, {1, 1}};
    std::array<float, 8> cropTextureCoordinates {};  // context queue; GL reads them while drawing
};

}  // namespace zt
