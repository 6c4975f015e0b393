#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/foundation/Value.h"

namespace zt {

// The status a remote camera answers with: its camera position, its three
// modes, whether it can switch cameras, and which locked and continuous
// modes it supports. Read from outside input: a reply that is not a JSON
// object, or holds a value of the wrong type, is refused as a whole; a
// missing key, or a value out of its range (a mode of a newer peer), reads
// as 0 or NO and the rest is kept.
struct RemoteCameraStatus {
    int64_t position = 0;
    int64_t focusMode = 0;
    int64_t exposureMode = 0;
    int64_t whiteBalanceMode = 0;
    bool multipleCaptureDeviceAvailable = false;
    bool focusModeLocked = false;
    bool focusModeContinuousAutoFocus = false;
    bool exposureModeLocked = false;
    bool exposureModeContinuousAutoExposure = false;
    bool whiteBalanceModeLocked = false;
    bool whiteBalanceModeContinuousAutoWhiteBalance = false;
    // The reply as received.
    plat::Dictionary dictionary;

    // From the reply's bytes (UTF-8 JSON); none for a refused reply.
    static std::optional<RemoteCameraStatus> fromReply(std::string_view text);
    static std::optional<RemoteCameraStatus> fromDictionary(const plat::Dictionary& dictionary);
};

}  // namespace zt
