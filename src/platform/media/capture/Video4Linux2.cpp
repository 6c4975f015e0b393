#include "platform/media/capture/Video4Linux2.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <system_error>

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

// Exposure bias controls count in thousandths of an EV.
constexpr double kBiasUnitsPerEV = 1000.0;

int retryingIoctl(int fd, unsigned long request, void* argument)
{
    int result = 0;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

FileDescriptor openDevice(const std::string& path)
{
    return FileDescriptor(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
}

std::optional<v4l2_queryctrl> queryControl(int fd, uint32_t control)
{
    v4l2_queryctrl query {};
    query.id = control;
    if (retryingIoctl(fd, VIDIOC_QUERYCTRL, &query) < 0 || (query.flags & V4L2_CTRL_FLAG_DISABLED))
        return std::nullopt;
    return query;
}

bool capturesVideo(int fd, std::string* card)
{
    v4l2_capability capability {};
    if (retryingIoctl(fd, VIDIOC_QUERYCAP, &capability) < 0)
        return false;
    uint32_t caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps : capability.capabilities;
    const auto* name = reinterpret_cast<const char*>(capability.card);
    *card = std::string(name, ::strnlen(name, sizeof capability.card));
    return (caps & V4L2_CAP_VIDEO_CAPTURE) && (caps & V4L2_CAP_STREAMING);
}

// The largest picture among the device's formats, within our limits.
std::pair<int, int> largestSize(int fd)
{
    int bestWidth = 0, bestHeight = 0;
    v4l2_fmtdesc format {};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (format.index = 0; retryingIoctl(fd, VIDIOC_ENUM_FMT, &format) == 0; ++format.index) {
        v4l2_frmsizeenum size {};
        size.pixel_format = format.pixelformat;
        for (size.index = 0; retryingIoctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
            uint32_t width = 0, height = 0;
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                width = size.discrete.width;
                height = size.discrete.height;
            } else {
                width = std::min<uint32_t>(size.stepwise.max_width, CaptureDeviceFolder::kMaxWidth);
                height = std::min<uint32_t>(size.stepwise.max_height, CaptureDeviceFolder::kMaxHeight);
            }
            if (width > static_cast<uint32_t>(CaptureDeviceFolder::kMaxWidth)
                || height > static_cast<uint32_t>(CaptureDeviceFolder::kMaxHeight))
                continue;
            if (static_cast<int64_t>(width) * height > static_cast<int64_t>(bestWidth) * bestHeight) {
                bestWidth = static_cast<int>(width);
                bestHeight = static_cast<int>(height);
            }
            if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE)
                break;
        }
    }
    if (bestWidth < 16 || bestHeight < 16)
        return {640, 480};  // drivers without size enumeration: the size every webcam has
    return {bestWidth, bestHeight};
}

}  // namespace

Result<CaptureDeviceDescription> describeVideo4Linux2(CaptureDeviceDescription description)
{
    // The path leads the text: it is what a person looks for on the machine.
    const std::string notACamera = description.devicePath + " is not a video capture device";
    FileDescriptor device = openDevice(description.devicePath);
    if (!device.isValid()) {
        const int failure = errno;
        return Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected,
            notACamera + ": " + std::error_code(failure, std::generic_category()).message());
    }
    std::string card;
    if (!capturesVideo(device.get(), &card))
        return Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected, notACamera);
    description.kind = CaptureDeviceKind::Video4Linux2;
    if (description.name.empty())
        description.name = card;
    std::tie(description.width, description.height) = largestSize(device.get());
    // A webcam offers locked and continuous modes where it has the automatic
    // control; the one-shot modes and points of interest it lacks.
    description.focusModes.clear();
    if (queryControl(device.get(), V4L2_CID_FOCUS_AUTO))
        description.focusModes = {0, 2};
    description.exposureModes.clear();
    if (queryControl(device.get(), V4L2_CID_EXPOSURE_AUTO))
        description.exposureModes = {0, 2};
    description.whiteBalanceModes.clear();
    if (queryControl(device.get(), V4L2_CID_AUTO_WHITE_BALANCE))
        description.whiteBalanceModes = {0, 2};
    description.focusPointOfInterest = false;
    description.exposurePointOfInterest = false;
    description.exposureBias.reset();
    if (auto bias = queryControl(device.get(), V4L2_CID_AUTO_EXPOSURE_BIAS))
        description.exposureBias = std::pair {
            static_cast<float>(bias->minimum / kBiasUnitsPerEV), static_cast<float>(bias->maximum / kBiasUnitsPerEV)};
    description.configurationLockFails = false;
    return description;
}

std::vector<CaptureDeviceDescription> video4Linux2Cameras()
{
    auto entries = contentsOfDirectory("/dev");
    if (!entries.ok())
        return {};
    std::vector<std::string> names;
    for (const std::string& name : entries.value()) {
        if (name.starts_with("video"))
            names.push_back(name);
    }
    // video2 before video10.
    std::sort(names.begin(), names.end(),
        [](const std::string& a, const std::string& b) { return a.size() != b.size() ? a.size() < b.size() : a < b; });
    std::vector<CaptureDeviceDescription> cameras;
    for (const std::string& name : names) {
        CaptureDeviceDescription description;
        description.devicePath = appendingPathComponent("/dev", name);
        description.position = CaptureDevicePosition::Front;
        if (auto camera = describeVideo4Linux2(std::move(description)); camera.ok())
            cameras.push_back(std::move(camera).value());
    }
    return cameras;
}

Video4Linux2Controls::Video4Linux2Controls(std::string devicePath)
    : _devicePath(std::move(devicePath))
{
}

bool Video4Linux2Controls::setControl(uint32_t control, int32_t value) const
{
    FileDescriptor device = openDevice(_devicePath);
    if (!device.isValid())
        return false;
    v4l2_control setting {};
    setting.id = control;
    setting.value = value;
    if (retryingIoctl(device.get(), VIDIOC_S_CTRL, &setting) < 0) {
        log("camera {}: control {} refused: {}", _devicePath, control,
            Error::posix(errno, "set").localizedDescription());
        return false;
    }
    return true;
}

bool Video4Linux2Controls::setFocusMode(int64_t mode) const
{
    return setControl(V4L2_CID_FOCUS_AUTO, mode == 0 ? 0 : 1);
}

bool Video4Linux2Controls::setExposureMode(int64_t mode) const
{
    // Webcams differ in which automatic exposure they offer: full automatic,
    // else aperture priority (exposure time automatic).
    if (mode == 0)
        return setControl(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL);
    return setControl(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_AUTO)
        || setControl(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY);
}

bool Video4Linux2Controls::setWhiteBalanceMode(int64_t mode) const
{
    return setControl(V4L2_CID_AUTO_WHITE_BALANCE, mode == 0 ? 0 : 1);
}

bool Video4Linux2Controls::setExposureBias(float bias) const
{
    return setControl(V4L2_CID_AUTO_EXPOSURE_BIAS, static_cast<int32_t>(std::lround(bias * kBiasUnitsPerEV)));
}

}  // namespace plat::detail
