#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"

namespace plat {

class CaptureDevice;

// One stream of an input, as the platform's input port: the video port's
// format gives the clean aperture, the picture size the camera delivers.
class CaptureInputPort {
public:
    CaptureInputPort(std::string mediaType, Size pictureSize);
    const std::string& mediaType() const { return _mediaType; }
    // The whole picture: (0, 0, width, height) of the camera's active format.
    Rect cleanAperture() const { return {{0, 0}, _pictureSize}; }

private:
    std::string _mediaType;
    Size _pictureSize;
};

// What feeds a capture session.
class CaptureInput {
public:
    virtual ~CaptureInput() = default;
    virtual std::vector<CaptureInputPort> ports() const = 0;
};

// A camera or the microphone as a session's input. Making one checks that it can be
// opened now; a camera that cannot be (missing, busy, a folder without
// pictures) gives an error instead. Main thread.
class CaptureDeviceInput : public CaptureInput {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static Result<std::shared_ptr<CaptureDeviceInput>> deviceInputWithDevice(std::shared_ptr<CaptureDevice> device);

    CaptureDeviceInput(Passkey, std::shared_ptr<CaptureDevice> device);
    const std::shared_ptr<CaptureDevice>& device() const { return _device; }
    // The video port, sized by the camera's active format.
    std::vector<CaptureInputPort> ports() const override;

    // The session sets the size its preset gives this camera.
    void setActivePictureSize(Size size) { _activePictureSize = size; }

private:
    std::shared_ptr<CaptureDevice> _device;
    Size _activePictureSize;
};

}  // namespace plat
