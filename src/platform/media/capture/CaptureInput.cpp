#include "platform/media/capture/CaptureInput.h"

#include <optional>

#include "platform/media/MediaConstants.h"
#include "platform/media/MicrophoneInput.h"
#include "platform/media/capture/CaptureAudioEngine.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureFrameReader.h"

namespace plat {

CaptureInputPort::CaptureInputPort(std::string mediaType, Size pictureSize)
    : _mediaType(std::move(mediaType))
    , _pictureSize(pictureSize)
{
}

Result<std::shared_ptr<CaptureDeviceInput>> CaptureDeviceInput::deviceInputWithDevice(
    std::shared_ptr<CaptureDevice> device)
{
    if (!device)
        return Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected, "No capture device.");
    if (const auto& microphone = device->microphoneDescription()) {
        // The person's answer to the microphone question counts as on the platform.
        if (MicrophoneFolder::recordPermission() == AudioSessionRecordPermission::Denied)
            return Error(kMediaErrorDomain, kMediaErrorApplicationIsNotAuthorizedToUseDevice,
                "The app may not use the microphone.");
        auto probe = detail::MicrophoneInput::open(
            *microphone, detail::CaptureAudioEngine::kSampleRate, detail::CaptureAudioEngine::kChannels);
        if (!probe.ok())
            return Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected,
                "The microphone \"" + device->localizedName() + "\" cannot be opened.", {},
                std::make_shared<const Error>(probe.error()));
        return std::make_shared<CaptureDeviceInput>(Passkey(), std::move(device));
    }
    // The platform opens the camera here; so do we, and let go until a
    // session runs, so that a camera that cannot deliver fails now: one
    // that opens and then stops at its first picture as well.
    const CaptureDeviceDescription& camera = device->description();
    auto probe = detail::CaptureFrameReader::open(camera, camera.width, camera.height);
    std::optional<Error> failure;
    if (!probe.ok())
        failure = probe.error();
    else if (auto first = probe.value()->readFrame(); first.status == detail::CaptureFrameReader::Status::Failed)
        failure = first.error;
    if (failure)
        return Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected,
            "The camera \"" + device->localizedName() + "\" cannot be opened.", {},
            std::make_shared<const Error>(*failure));
    return std::make_shared<CaptureDeviceInput>(Passkey(), std::move(device));
}

CaptureDeviceInput::CaptureDeviceInput(Passkey, std::shared_ptr<CaptureDevice> device)
    : _device(std::move(device))
    , _activePictureSize {
          static_cast<double>(_device->description().width), static_cast<double>(_device->description().height)}
{
}

std::vector<CaptureInputPort> CaptureDeviceInput::ports() const
{
    if (_device->microphoneDescription())
        return {CaptureInputPort(kMediaTypeAudio, Size {})};
    return {CaptureInputPort(kMediaTypeVideo, _activePictureSize)};
}

}  // namespace plat
