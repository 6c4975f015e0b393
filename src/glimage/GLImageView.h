#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "glimage/GLImageInput.h"
#include "glimage/GLObject.h"
#include "platform/ui/View.h"

namespace plat {
class EAGLLayer;
}

namespace zt {
class GLProgram;

// How a display view fits a frame into its bounds; any other value stretches.
enum GLImageFillModeType : int64_t {
    fillModeStretch = 0,
    fillModeAspectFit = 1,
    fillModeAspectFill = 2,
};

// The on-screen sink of the pipeline: a view whose layer is a GL drawable
// layer. Each frame it receives is drawn into its own renderbuffer, fitted
// into the bounds by the fill mode and turned by the input rotation, and
// presented, which makes it the layer's picture. The view itself lives on
// the main thread; frames arrive on the context queue, and everything that
// drawing reads (sizes, rotation, quad) belongs to the context queue, which
// the main thread reaches synchronously.
class GLImageView : public plat::View, public GLImageInput {
public:
    explicit GLImageView(plat::Rect frame);
    ~GLImageView() override;

    // The display's texture coordinates for each rotation, eight floats: the
    // display's vertical axis runs opposite to a texture's.
    static const float* textureCoordinatesForRotation(GLImageRotationMode rotationMode);

    void setBackgroundColorRed(float redComponent, float greenComponent, float blueComponent, float alphaComponent);
    int64_t fillMode() const { return _fillMode.load(); }
    void setFillMode(int64_t newValue);
    // The renderbuffer's size in pixels; the bounds in pixels while there is none.
    plat::Size sizeInPixels();
    void setEnabled(bool value) { _enabled = value; }

    // GLImageInput
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override { return 0; }
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    plat::Size maximumOutputSize() override;
    void endProcessing() override { }
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return _enabled.load(); }
    void conserveMemoryForNextFrame() override { }
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override { }

    // Context queue.
    void createDisplayFramebuffer();
    void destroyDisplayFramebuffer();
    void setDisplayFramebuffer();
    void presentFramebuffer();
    void recalculateViewGeometry();

    // The quad last computed, eight floats (context queue).
    const float* imageVerticesForTesting() const { return imageVertices; }
    plat::Size inputImageSizeForTesting() const;

    // A change of size rebuilds the display framebuffer at the new pixel size.
    void layerBoundsDidChange(plat::Layer& layer, plat::Rect oldBounds) override;

private:
    void commonInit();
    // Main thread: the bounds the context queue draws against.
    void noteBoundsForDrawing();

    std::shared_ptr<plat::EAGLLayer> _eaglLayer;
    // Context queue.
    GLImageRotationMode inputRotation = GLImageRotationMode::NoRotation;
    std::weak_ptr<GLImageTextureDelegate> textureDelegate;
    uint32_t inputTextureForDisplay = 0;  // the source's, not ours
    GLRenderbuffer displayRenderbuffer;
    GLFramebuffer displayFramebuffer;
    std::shared_ptr<GLProgram> displayProgram;
    int32_t displayPositionAttribute = 0;
    int32_t displayTextureCoordinateAttribute = 0;
    int32_t displayInputTextureUniform = 0;
    plat::Size inputImageSize;
    float imageVertices[8] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
    float backgroundColorRed = 0.0f;
    float backgroundColorGreen = 0.0f;
    float backgroundColorBlue = 0.0f;
    float backgroundColorAlpha = 1.0f;
    plat::Size _sizeInPixels;
    plat::Size _boundsSize;  // copied from the main thread
    double _scale = 1;  // copied from the main thread

    std::atomic<bool> _enabled {true};
    std::atomic<int64_t> _fillMode {fillModeAspectFit};
};

}  // namespace zt
