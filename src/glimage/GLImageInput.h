#pragma once
#include <cstdint>
#include <memory>

#include "platform/foundation/Geometry.h"
#include "platform/media/MediaTime.h"

namespace plat {
class PixelBuffer;
}

namespace zt {
class GLImageInput;

// How a target turns the frame it receives; modes 1, 2, 5 and 6 swap width
// and height. Image row 0 is the top, as cameras deliver and read-back returns.
enum class GLImageRotationMode : int {
    NoRotation = 0,
    RotateLeft = 1,  // 90° counter-clockwise
    RotateRight = 2,  // 90° clockwise
    FlipVertical = 3,
    FlipHorizontal = 4,
    RotateRightFlipVertical = 5,
    RotateRightFlipHorizontal = 6,
    Rotate180 = 7,
};

bool rotationSwapsWidthAndHeight(GLImageRotationMode mode);

// A source hears through this when a target no longer needs its output
// texture for the current frame. Context queue.
class GLImageTextureDelegate {
public:
    virtual ~GLImageTextureDelegate() = default;
    virtual void textureNoLongerNeededForTarget(GLImageInput* target) = 0;
};

// Every frame target of the pipeline: filters, groups, views. A source calls
// these on the context queue.
class GLImageInput {
public:
    virtual ~GLImageInput() = default;
    virtual void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) = 0;
    virtual void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) = 0;
    virtual void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) = 0;
    virtual int64_t nextAvailableTextureIndex() = 0;
    virtual void setInputSize(plat::Size newSize, int64_t textureIndex) = 0;
    virtual void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) = 0;
    virtual plat::Size maximumOutputSize() = 0;
    virtual void endProcessing() = 0;
    virtual bool shouldIgnoreUpdatesToThisTarget() = 0;
    virtual bool enabled() = 0;
    virtual void conserveMemoryForNextFrame() = 0;
    virtual bool wantsMonochromeInput() = 0;
    virtual void setCurrentlyReceivingMonochromeInput(bool newValue) = 0;
    // A target that uploads a source's pictures itself takes them at that
    // input as pixel buffers, in place of a texture: the source then calls
    // setInputPicture instead of setInputTexture, and makes no texture of
    // the picture for it.
    virtual bool takesPictures(int64_t /*textureIndex*/) { return false; }
    virtual void setInputPicture(std::shared_ptr<plat::PixelBuffer> /*picture*/, int64_t /*textureIndex*/) { }
};

}  // namespace zt
