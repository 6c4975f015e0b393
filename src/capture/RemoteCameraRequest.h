#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

namespace plat {
class Image;
}

namespace zt {

// One plain GET to a remote camera, waited for on the calling thread (any
// thread), with a time-out without progress on plat::Clock and a cap on the
// answer's size: a peer on the network is outside input, so a reply that is
// late, too large or not a success is an error, never a hang or a flood.
class RemoteCameraRequest {
public:
    // Status, mode, focus and switch requests, which the main thread waits for.
    static constexpr double kControlTimeoutSeconds = 5.0;
    static constexpr size_t kMaxStatusBytes = 64 * 1024;
    // Live pictures and captured pictures, fetched in the background.
    static constexpr double kPictureTimeoutSeconds = 10.0;
    static constexpr size_t kMaxPreviewBytes = 4 * 1024 * 1024;
    static constexpr size_t kMaxCaptureBytes = 32 * 1024 * 1024;

    // The base URL with one path component appended, then the query after
    // "&" when the base already has a query, else after "?".
    static std::optional<plat::URL> requestURL(
        const plat::URL& base, const std::string& path, const std::string& query = {});

    static plat::Result<plat::Data> get(const plat::URL& url, double timeoutSeconds, size_t maxBytes);

    // The picture of an image reply; an error for data that does not decode.
    static plat::Result<std::shared_ptr<plat::Image>> decodePicture(const plat::Data& data);
};

}  // namespace zt
