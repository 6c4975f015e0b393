#include "platform/media/capture/CaptureOutput.h"

#include "platform/media/MediaConstants.h"

namespace plat {

CaptureOutput::~CaptureOutput() = default;

std::vector<std::shared_ptr<CaptureConnection>> CaptureOutput::connections() const
{
    if (!_connection)
        return {};
    return {_connection};
}

std::shared_ptr<CaptureConnection> CaptureOutput::connectionWithMediaType(std::string_view mediaType) const
{
    return mediaType == connectionMediaType() ? _connection : nullptr;
}

std::string_view CaptureOutput::connectionMediaType() const
{
    return kMediaTypeVideo;
}

void CaptureOutput::joinSession()
{
    // A still output's connection starts upright in portrait, as the platform's.
    _connection = std::make_shared<CaptureConnection>(supportsVideoOrientation(),
        supportsVideoOrientation() ? CaptureVideoOrientation::Portrait : CaptureVideoOrientation::LandscapeRight);
    _connection->setFrameDurationsSupported(supportsFrameDurations());
}

void CaptureOutput::leaveSession()
{
    _connection.reset();
}

}  // namespace plat
