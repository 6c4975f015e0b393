#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Geometry.h"
#include "platform/ui/ViewController.h"
#include "uikit/CarouselProtocols.h"

namespace plat {
class ActivityIndicatorView;
class Error;
class Image;
}  // namespace plat

namespace zt {
class Carousel;
class ProjectModel;

// A row of preview pictures in a linear carousel, embedded in the look
// sheet, that stores the picture it comes to rest on under one metadata key.
// The layout gives the carousel and the activity indicator. Landscape only.
// Main thread.
class LookChooserViewController : public plat::ViewController, public CarouselDataSource, public CarouselDelegate {
public:
    static constexpr double kItemWidth = 131.0;
    // The previews' shape, with a gap to the next slot.
    static constexpr plat::Size kItemSize {125, 55};

    LookChooserViewController(std::string nibName, std::shared_ptr<ProjectModel> project, std::string key);

    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    const std::shared_ptr<Carousel>& carousel() const { return _carousel; }
    const std::shared_ptr<plat::ActivityIndicatorView>& activityIndicator() const { return _activityIndicator; }
    // The layout's parts; the layout makes this chooser the carousel's data source and delegate.
    void setOutlets(std::shared_ptr<Carousel> carousel, std::shared_ptr<plat::ActivityIndicatorView> indicator);

    void viewDidLoad() override;
    // Lets the outlets go with the view.
    virtual void viewDidUnload();
    unsigned supportedInterfaceOrientations() const override;

    std::shared_ptr<plat::View> carouselViewForItemAtIndexReusingView(
        Carousel& carousel, int64_t index, std::shared_ptr<plat::View> reusingView) override;
    uint64_t numberOfPlaceholdersInCarousel(Carousel&) override { return 0; }
    std::shared_ptr<plat::View> carouselPlaceholderViewAtIndexReusingView(
        Carousel&, int64_t, std::shared_ptr<plat::View>) override
    {
        return nullptr;
    }
    std::optional<double> carouselItemWidth(Carousel&) override { return kItemWidth; }
    std::optional<double> carouselValueForOptionWithDefault(
        Carousel& carousel, CarouselOption option, double defaultValue) override;
    bool carouselShouldWrap(Carousel&) const { return false; }

    // The index stored under the chooser's key; 0 when missing or not a number.
    int64_t storedIndex();

protected:
    // The preview picture of the item.
    virtual std::shared_ptr<const plat::Image> previewPicture(int64_t index) = 0;
    // What the picture shows in words (its caption is drawn into it), for
    // the item's accessibility label; empty when it has none.
    virtual std::string itemName(int64_t index) const = 0;
    const std::string& key() const { return _key; }
    // Stores index under the key with RecordNeedsRendering and saves the
    // metadata; false (nothing stored, the person told why, the row back on
    // the stored choice) when it cannot be saved.
    bool storeIndex(int64_t index);
    // Tells the person why the choice was not kept and shows the stored one again.
    void refuseChoice(const plat::Error& error);
    // What the alert of a choice that was not kept says first.
    virtual std::string notStoredTitle() const = 0;

private:
    std::shared_ptr<ProjectModel> _project;
    std::string _key;
    std::shared_ptr<Carousel> _carousel;
    std::shared_ptr<plat::ActivityIndicatorView> _activityIndicator;
};

}  // namespace zt
