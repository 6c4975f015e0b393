#pragma once
#include <array>

#include "glimage/GLImageFilter.h"
#include "glimage/GPUVector.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/ui/Transform3D.h"

namespace zt {

// Draws the frame through a 2-D or 3-D transform. The transform works in a
// space where the frame keeps its proportions (x from -1 to 1, y from -h/w
// to h/w), so a rotation turns the picture without shearing it; with
// ignoreAspectRatio the frame is the square -1..1 instead, and with
// anchorTopLeft the frame's corner rather than its centre is the origin.
// Setters from any thread; frames on the context queue.
class GLImageTransformFilter : public GLImageFilter {
public:
    GLImageTransformFilter();

    plat::AffineTransform affineTransform() const;
    void setAffineTransform(const plat::AffineTransform& newValue);
    plat::Transform3D transform3D() const { return _transform3D; }
    void setTransform3D(const plat::Transform3D& newValue);
    bool ignoreAspectRatio() const { return _ignoreAspectRatio; }
    void setIgnoreAspectRatio(bool newValue);
    bool anchorTopLeft() const { return _anchorTopLeft; }
    void setAnchorTopLeft(bool newValue);

    static GPUMatrix4x4 loadOrthoMatrix(
        double left, double right, double bottom, double top, double near, double far, bool anchorTopLeft);
    static std::array<float, 16> convert3DTransform(const plat::Transform3D& transform);

    void setupFilterForSize(plat::Size filterFrameSize) override;
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;

    GPUMatrix4x4 orthographicMatrixForTesting() const;

private:
    void sendOrthographicMatrix();

    int32_t transformMatrixUniform = -1;
    int32_t orthographicMatrixUniform = -1;
    plat::Transform3D _transform3D;
    GPUMatrix4x4 orthographicMatrix = kGPUMatrix4x4Identity;  // context queue
    bool _ignoreAspectRatio = false;
    bool _anchorTopLeft = false;
    std::array<float, 8> frameVertices {};  // context queue; GL reads them while drawing
};

}  // namespace zt
