#include "capture/CaptureDeviceChoice.h"

#include "document/FailureReason.h"
#include "document/FilledText.h"
#include "platform/foundation/Bundle.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"

namespace zt {

namespace {

// Each camera that could not be opened, and why, a line each.
std::string failedCamerasText(const OpenedCamera& opened)
{
    std::string text;
    for (const plat::Error& failure : opened.failures) {
        if (!text.empty())
            text += "\n";
        text += failure.localizedDescription() + "\n" + failureReason(failure);
    }
    return text;
}

}  // namespace

OpenedCamera openFirstCameraThatWorks(const std::vector<std::shared_ptr<plat::CaptureDevice>>& inTurn)
{
    OpenedCamera opened;
    for (const auto& candidate : inTurn) {
        auto made = plat::CaptureDeviceInput::deviceInputWithDevice(candidate);
        if (made.ok()) {
            opened.device = candidate;
            opened.input = made.value();
            break;
        }
        opened.failures.push_back(made.error());
    }
    return opened;
}

plat::Error otherCameraUsedError(const OpenedCamera& opened, std::string domain, int64_t code)
{
    const std::string used = opened.device ? opened.device->localizedName() : "";
    return errorWithCause(std::move(domain), code,
        failedCamerasText(opened) + "\n" + filledText(plat::localized("The camera \"%@\" is used instead."), {used}),
        opened.failures.empty() ? std::nullopt : std::optional(opened.failures.front()));
}

plat::Error noCameraWorksError(const OpenedCamera& opened, std::string domain, int64_t code)
{
    if (opened.failures.empty())
        return plat::Error(std::move(domain), code, plat::localized("No capture device found."));
    const plat::Error& first = opened.failures.front();
    if (opened.failures.size() == 1) {
        // Which camera, and underneath why the system could not open it.
        std::string description = first.localizedDescription();
        return errorWithCause(std::move(domain), code,
            description.empty() ? plat::localized("No capture device found.") : description, first);
    }
    return errorWithCause(
        std::move(domain), code, failedCamerasText(opened) + "\n" + plat::localized("No camera works."), first);
}

plat::Error cameraStoppedError(
    const plat::CaptureDevice* camera, const std::string& reason, std::string domain, int64_t code)
{
    std::string text = camera ? filledText(plat::localized("The camera \"%@\" stopped."), {camera->localizedName()})
                              : plat::localized("The camera stopped.");
    std::optional<plat::Error> cause;
    if (!reason.empty())
        cause = plat::Error(domain, code, reason);
    return errorWithCause(std::move(domain), code, std::move(text), cause);
}

}  // namespace zt
