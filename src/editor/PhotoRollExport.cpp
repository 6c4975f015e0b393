#include "editor/PhotoRollExport.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"

namespace zt {

PhotoRollExport::PhotoRollExport()
    : _queue(plat::DispatchQueue::create(kQueueLabel))
{
}

PhotoRollExport::~PhotoRollExport() = default;

void PhotoRollExport::save(std::vector<std::shared_ptr<plat::Image>> pictures, std::function<void(Outcome)> completion)
{
    // The library of the sandbox in use now, even if the work starts later.
    _queue->async([library = plat::PhotoLibrary::forCurrentSandbox(), pictures = std::move(pictures),
                      completion = std::move(completion)]() mutable {
        Outcome outcome;
        for (const auto& picture : pictures) {
            if (!picture) {
                ++outcome.failed;
                if (!outcome.firstError)
                    outcome.firstError
                        = plat::Error(kErrorDomain, kUnreadablePictureError, "A frame's picture cannot be read.");
                continue;
            }
            auto saved = library.saveImage(*picture);
            if (saved.ok()) {
                ++outcome.saved;
                continue;
            }
            plat::log("photo roll: {}", saved.error().description());
            ++outcome.failed;
            if (!outcome.firstError)
                outcome.firstError = saved.error();
        }
        plat::DispatchQueue::mainQueue().async(
            [completion = std::move(completion), outcome = std::move(outcome)] { completion(outcome); });
    });
}

}  // namespace zt
