#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "document/FramePasteboardRecord.h"
#include "platform/foundation/Result.h"

namespace plat {
class Image;
class Pasteboard;
}  // namespace plat

namespace zt {

// The strip's view of a pasteboard: copied frames (one item holding the
// frame record and, as JPEG, the picture of the tapped frame) or any other
// app's picture. Main thread.
class FramePasteboard {
public:
    explicit FramePasteboard(std::shared_ptr<plat::Pasteboard> pasteboard);

    // The frame type is on the pasteboard (readable or not).
    bool holdsFrames() const;
    plat::Result<FramePasteboardRecord> frames() const;
    bool holdsImage() const;
    std::shared_ptr<plat::Image> image() const;
    // What a paste would add: the record's frames, else 1 for a picture, else
    // 0. A record that cannot be read pastes nothing.
    int64_t pasteCount() const;

    // Replaces the contents with one item: the record and, when given, the JPEG.
    plat::Result<void> putFrames(const FramePasteboardRecord& record, const std::optional<plat::Data>& jpeg);

private:
    std::shared_ptr<plat::Pasteboard> _pasteboard;
};

}  // namespace zt
