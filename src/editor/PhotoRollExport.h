#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/Error.h"

namespace plat {
class DispatchQueue;
class Image;
}  // namespace plat

namespace zt {

// Saves pictures into the device's saved-photos album, one at a time on a
// serial queue of its own (the album names its files by counting the ones
// there, so two writers must not overlap), and reports what happened on
// the main queue. Main thread.
class PhotoRollExport {
public:
    static constexpr const char* kQueueLabel = "com.quorvane.photoRollConnectHandler.saveToCameraRoll";
    static constexpr const char* kErrorDomain = "PhotoRollExport";
    static constexpr int64_t kUnreadablePictureError = 1;

    struct Outcome {
        int64_t saved = 0;
        int64_t failed = 0;
        std::optional<plat::Error> firstError;
    };

    PhotoRollExport();
    ~PhotoRollExport();
    PhotoRollExport(const PhotoRollExport&) = delete;
    PhotoRollExport& operator=(const PhotoRollExport&) = delete;

    // A missing picture (nullptr) counts as a failure.
    void save(std::vector<std::shared_ptr<plat::Image>> pictures, std::function<void(Outcome)> completion);

private:
    std::shared_ptr<plat::DispatchQueue> _queue;
};

}  // namespace zt
