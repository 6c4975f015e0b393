#include "render/ForegroundSelectViewController.h"

#include <cstdio>
#include <iterator>

#include "document/FailureReason.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "render/LookNotifications.h"
#include "uikit/Carousel.h"

namespace zt {

namespace {

// The captions drawn into the previews, from foreground_20.png on.
constexpr const char* kPreviewNames[] = {"None", "Vignette", "Film", "Frame", "Hearts", "Snow"};

}  // namespace

ForegroundSelectViewController::ForegroundSelectViewController(std::shared_ptr<ProjectModel> project)
    : LookChooserViewController("ForegroundSelectViewController", std::move(project), "META_RECORD_FOREGROUND")
{
    for (int number = kFirstPreviewNumber; number <= kLastPreviewNumber; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "foreground_%.2d.png", number);
        if (plat::Bundle::mainBundle().pathForResource(name, "")) {
            _images.emplace_back(name);
            const auto position = static_cast<size_t>(number - kFirstPreviewNumber);
            _names.emplace_back(position < std::size(kPreviewNames) ? kPreviewNames[position] : "");
        }
    }
}

std::string ForegroundSelectViewController::overlayNameForPreview(const std::string& preview)
{
    const std::string extension = plat::pathExtension(preview);
    return plat::deletingPathExtension(preview) + "_bg." + extension;
}

std::string ForegroundSelectViewController::itemName(int64_t index) const
{
    if (index < 0 || index >= static_cast<int64_t>(_names.size()))
        return {};
    return plat::localized(_names[static_cast<size_t>(index)]);
}

std::shared_ptr<const plat::Image> ForegroundSelectViewController::previewPicture(int64_t index)
{
    if (index < 0 || index >= static_cast<int64_t>(_images.size()))
        return nullptr;
    return plat::Image::imageNamed(_images[static_cast<size_t>(index)]);
}

void ForegroundSelectViewController::carouselDidEndScrollingAnimation(Carousel& carousel)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const int64_t index = carousel.currentItemIndex();
    if (index == storedIndex() || index < 0 || index >= static_cast<int64_t>(_images.size()))
        return;
    // An entry without an overlay (the first, none) stores no picture; the
    // readers show none while the index is 0.
    auto overlay = plat::Image::imageNamed(overlayNameForPreview(_images[static_cast<size_t>(index)]));
    const auto previous = project()->fileDataForFileWithPreferredFilename(kForegroundFile);
    if (overlay) {
        auto data = plat::PNGRepresentation(*overlay);
        std::optional<plat::Error> failure;
        if (!data || !project()->updateRegularFileWithContents(*data, kForegroundFile, &failure)) {
            plat::log("foreground chooser: the overlay of {} is not stored", _images[static_cast<size_t>(index)]);
            refuseChoice(errorWithCause(
                "ForegroundSelectViewController", 1, "The picture of the foreground cannot be stored.", failure));
            return;
        }
    }
    if (!storeIndex(index)) {
        // The stored choice keeps its own overlay.
        if (overlay) {
            const bool putBack = previous ? project()->updateRegularFileWithContents(*previous, kForegroundFile)
                                          : project()->removeRegularFileWithPreferredFilename(kForegroundFile);
            if (!putBack)
                plat::log("foreground chooser: the overlay of the stored choice is not put back");
        }
        return;
    }
    plat::NotificationCenter::defaultCenter().post(ForegroundDidChangeNotification, this);
}

std::string ForegroundSelectViewController::notStoredTitle() const
{
    return plat::localized("The foreground could not be saved.");
}

}  // namespace zt
