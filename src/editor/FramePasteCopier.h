#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/Frame.h"
#include "platform/foundation/Error.h"

namespace zt {

// The file work of a paste: on a global queue, copies each pasted frame's
// files from the source project folder into the destination under the
// frame's new id, and hands every frame whose picture arrived to the main
// queue, in order; a frame whose picture did not copy (its project was
// deleted, say) leaves no files behind and is reported instead. The model
// is changed only by the handlers, on the main queue. Any thread.
class FramePasteCopier {
public:
    struct Item {
        int type;
        std::string frameID;  // in the source folder
        std::string newFrameID;  // in the destination
    };
    struct Failure {
        std::string frameID;
        std::string reason;
        // Why the picture could not be copied; none when the source has no picture.
        std::optional<plat::Error> error;
    };
    // A new frame of the item's type and new id (with a new UID); main queue.
    using FrameHandler = std::function<void(Frame frame)>;
    // After the last frame was handed over; main queue.
    using FinishHandler = std::function<void(std::vector<Failure> failures)>;

    static void start(std::string sourceFolder, std::string destinationFolder, std::vector<Item> items,
        FrameHandler onFrame, FinishHandler onFinish);

    // Copies one frame's files, its painting as the painter reads it; a
    // failure when its picture is not among them, or its painting cannot be
    // made to read so.
    static std::optional<Failure> copyFrame(
        const std::string& sourceFolder, const std::string& destinationFolder, const Item& item);
};

}  // namespace zt
