#include "editor/FramePasteboard.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TypeIdentifiers.h"

namespace zt {

FramePasteboard::FramePasteboard(std::shared_ptr<plat::Pasteboard> pasteboard)
    : _pasteboard(std::move(pasteboard))
{
}

bool FramePasteboard::holdsFrames() const
{
    return _pasteboard && _pasteboard->containsPasteboardTypes({FramePasteboardRecord::kPasteboardType});
}

plat::Result<FramePasteboardRecord> FramePasteboard::frames() const
{
    auto data = _pasteboard ? _pasteboard->dataForPasteboardType(FramePasteboardRecord::kPasteboardType) : std::nullopt;
    if (!data)
        return plat::Error(FramePasteboardRecord::kErrorDomain, FramePasteboardRecord::kDamagedError,
            plat::localized("The frames on the pasteboard cannot be read."));
    return FramePasteboardRecord::fromArchivedData(*data);
}

bool FramePasteboard::holdsImage() const
{
    return _pasteboard && _pasteboard->containsPasteboardTypes({plat::kUTTypeImage});
}

std::shared_ptr<plat::Image> FramePasteboard::image() const
{
    return _pasteboard ? _pasteboard->image() : nullptr;
}

int64_t FramePasteboard::pasteCount() const
{
    if (holdsFrames()) {
        auto record = frames();
        return record.ok() ? static_cast<int64_t>(record.value().frames.size()) : 0;
    }
    return holdsImage() ? 1 : 0;
}

plat::Result<void> FramePasteboard::putFrames(
    const FramePasteboardRecord& record, const std::optional<plat::Data>& jpeg)
{
    auto archive = record.archivedData();
    if (!archive.ok())
        return archive.error();
    plat::PasteboardItem item;
    item.set(FramePasteboardRecord::kPasteboardType, archive.value());
    if (jpeg)
        item.set(plat::kUTTypeJPEG, *jpeg);
    _pasteboard->setItems({std::move(item)});
    return {};
}

}  // namespace zt
