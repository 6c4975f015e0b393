// The remote camera's replies on any bytes: the first byte picks the kind
// (odd, as 's': a status reply; even, as 'p': a picture reply), the rest is
// the reply. A status that is taken (a missing key, or one out of its range,
// reads as 0) must hold values in the protocol's ranges; a picture that
// decodes must be within the bitmap limits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "capture/RemoteCameraRequest.h"
#include "capture/RemoteCameraStatus.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "RemoteCameraReplyFuzzer: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool picture = (data[0] & 1) == 0;
    const plat::Data reply(data + 1, data + size);
    if (picture) {
        auto decoded = zt::RemoteCameraRequest::decodePicture(reply);
        if (decoded.ok()) {
            const auto& bitmap = decoded.value()->bitmap();
            require(bitmap && plat::Bitmap::isAllowedSize(bitmap->width(), bitmap->height()), "picture beyond limits");
        }
        return 0;
    }
    auto status
        = zt::RemoteCameraStatus::fromReply(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    if (status) {
        require(status->position >= 0 && status->position <= 2, "position out of range");
        require(status->focusMode >= 0 && status->focusMode <= 2, "focus mode out of range");
        require(status->exposureMode >= 0 && status->exposureMode <= 3, "exposure mode out of range");
        require(status->whiteBalanceMode >= 0 && status->whiteBalanceMode <= 2, "white balance out of range");
    }
    return 0;
}
