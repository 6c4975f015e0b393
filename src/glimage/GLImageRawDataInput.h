#pragma once
#include <cstdint>
#include <memory>

#include "glimage/GLImageOutput.h"
#include "platform/foundation/Semaphore.h"

namespace zt {

// GL pixel formats of raw bytes (GLenum values).
enum GLImagePixelFormat : uint32_t {
    GLImagePixelFormatBGRA = 0x80E1,
    GLImagePixelFormatRGBA = 0x1908,
    GLImagePixelFormatRGB = 0x1907,
};

// GL component types of raw bytes (GLenum values); any other GL type may be passed.
enum GLImagePixelType : uint32_t {
    GLImagePixelTypeUByte = 0x1401,
    GLImagePixelTypeFloat = 0x1406,
};

// A caller's pixel bytes as a frame source: each upload fills the output
// texture, and each processData sends it to the targets as a still frame.
// Rows are tightly packed, row 0 first (the top, as frames are kept). The
// bytes are copied by the upload and not kept. Any thread: uploads run
// synchronously on the context queue, sends asynchronously there.
class GLImageRawDataInput : public GLImageOutput {
public:
    // bytesToUpload holds size.width x size.height pixels of the format and type.
    GLImageRawDataInput(const uint8_t* bytesToUpload, plat::Size imageSize,
        uint32_t pixelFormat = GLImagePixelFormatBGRA, uint32_t pixelType = GLImagePixelTypeUByte);

    void updateDataFromBytes(const uint8_t* bytesToUpload, plat::Size imageSize);
    void uploadBytes(const uint8_t* bytesToUpload);
    // Dropped while the previous send is still on its way.
    void processData();
    plat::Size outputImageSize() const;

    uint32_t pixelFormat() const { return _pixelFormat; }
    void setPixelFormat(uint32_t pixelFormat) { _pixelFormat = pixelFormat; }
    uint32_t pixelType() const { return _pixelType; }
    void setPixelType(uint32_t pixelType) { _pixelType = pixelType; }

private:
    plat::Size uploadedImageSize;  // context queue
    plat::Semaphore dataUpdateSemaphore {1};
    uint32_t _pixelFormat;
    uint32_t _pixelType;
};

}  // namespace zt
