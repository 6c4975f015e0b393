#pragma once
#include <string>
#include <vector>

#include "render/LookChooserViewController.h"

namespace zt {

// Chooses the overlay drawn over every frame ("META_RECORD_FOREGROUND", the
// index in the list; 0, the first, is none) from the bundle's previews
// "foreground_%.2d.png" numbered 20 to 49; the chosen preview's overlay
// "foreground_NN_bg.png" is stored in the project as "foreground.png".
// Layout "ForegroundSelectViewController". Main thread.
class ForegroundSelectViewController : public LookChooserViewController {
public:
    static constexpr int kFirstPreviewNumber = 20;
    static constexpr int kLastPreviewNumber = 49;
    static constexpr const char* kForegroundFile = "foreground.png";

    explicit ForegroundSelectViewController(std::shared_ptr<ProjectModel> project);  // initWithProject:

    // The previews' names in ascending number.
    const std::vector<std::string>& images() const { return _images; }
    uint64_t numberOfItemsInCarousel(Carousel&) override { return _images.size(); }
    void carouselDidEndScrollingAnimation(Carousel& carousel) override;

    // "foreground_21.png" -> "foreground_21_bg.png".
    static std::string overlayNameForPreview(const std::string& preview);

protected:
    std::shared_ptr<const plat::Image> previewPicture(int64_t index) override;
    std::string itemName(int64_t index) const override;
    std::string notStoredTitle() const override;

private:
    std::vector<std::string> _images;
    std::vector<std::string> _names;  // the previews' captions, in step with _images
};

}  // namespace zt
