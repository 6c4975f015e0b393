#include "capture/RemoteCameraStatus.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "web/LiteJsonCategories.h"

namespace zt {

namespace {

// A value missing from the reply, or out of its range (a mode that a newer
// peer has and this app does not know), reads as 0 or NO, so that the rest of
// the status is kept; a value of the wrong type (text, a boolean for a
// number, a fraction) refuses the status: none.
constexpr int64_t kMissingNumber = 0;

// A whole number written as a JSON number; a real such as 2.0 counts as the
// whole number it is.
std::optional<int64_t> wholeNumber(
    const plat::Dictionary& dictionary, std::string_view key, int64_t lowest, int64_t highest)
{
    const plat::Value* value = dictionary.find(key);
    if (!value)
        return kMissingNumber;
    std::optional<int64_t> number;
    if (value->isInteger()) {
        number = value->int64Value();
    } else if (value->isReal()) {
        double real = value->doubleValue().value_or(NAN);
        if (!std::isfinite(real) || std::trunc(real) != real)
            return std::nullopt;
        if (std::fabs(real) >= 1e15)
            return kMissingNumber;  // whole, and out of any range
        number = static_cast<int64_t>(real);
    }
    if (!number)
        return std::nullopt;
    if (*number < lowest || *number > highest)
        return kMissingNumber;
    return number;
}

// A JSON boolean, or the numbers 0 and 1 as some servers write them.
std::optional<bool> flag(const plat::Dictionary& dictionary, std::string_view key)
{
    const plat::Value* value = dictionary.find(key);
    if (!value)
        return false;
    if (value->isBoolean())
        return value->boolValue();
    if (value->isInteger())
        return value->int64Value().value_or(0) == 1;  // another number is out of range: NO
    return std::nullopt;
}

}  // namespace

std::optional<RemoteCameraStatus> RemoteCameraStatus::fromDictionary(const plat::Dictionary& dictionary)
{
    RemoteCameraStatus status;
    auto position = wholeNumber(dictionary, "AVCaptureDevicePosition", 0, 2);
    auto focus = wholeNumber(dictionary, "AVCaptureFocusMode", 0, 2);
    auto exposure = wholeNumber(dictionary, "AVCaptureExposureMode", 0, 3);  // 3: the platform's custom exposure
    auto whiteBalance = wholeNumber(dictionary, "AVCaptureWhiteBalanceMode", 0, 2);
    if (!position || !focus || !exposure || !whiteBalance)
        return std::nullopt;
    status.position = *position;
    status.focusMode = *focus;
    status.exposureMode = *exposure;
    status.whiteBalanceMode = *whiteBalance;
    struct Flag {
        const char* key;
        bool RemoteCameraStatus::*field;
    };
    static constexpr Flag kFlags[] = {
        {"MULTIPLE_CAPTURE_DEVICE_AVAILABLE", &RemoteCameraStatus::multipleCaptureDeviceAvailable},
        {"AVCaptureFocusModeLocked", &RemoteCameraStatus::focusModeLocked},
        {"AVCaptureFocusModeContinuousAutoFocus", &RemoteCameraStatus::focusModeContinuousAutoFocus},
        {"AVCaptureExposureModeLocked", &RemoteCameraStatus::exposureModeLocked},
        {"AVCaptureExposureModeContinuousAutoExposure", &RemoteCameraStatus::exposureModeContinuousAutoExposure},
        {"AVCaptureWhiteBalanceModeLocked", &RemoteCameraStatus::whiteBalanceModeLocked},
        {"AVCaptureWhiteBalanceModeContinuousAutoWhiteBalance",
            &RemoteCameraStatus::whiteBalanceModeContinuousAutoWhiteBalance},
    };
    for (const Flag& entry : kFlags) {
        auto value = flag(dictionary, entry.key);
        if (!value)
            return std::nullopt;
        status.*entry.field = *value;
    }
    status.dictionary = dictionary.deepCopy();
    return status;
}

std::optional<RemoteCameraStatus> RemoteCameraStatus::fromReply(std::string_view text)
{
    auto parsed = JSONValue(text);
    auto dictionary = parsed ? parsed->asDictionary() : std::nullopt;
    if (!dictionary) {
        plat::log("remote camera: the status is not a JSON object");
        return std::nullopt;
    }
    auto status = fromDictionary(*dictionary);
    if (!status)
        plat::log("remote camera: a status of the wrong shape is refused");
    return status;
}

}  // namespace zt
