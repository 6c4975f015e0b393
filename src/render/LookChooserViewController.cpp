#include "render/LookChooserViewController.h"

#include "document/FailureAlerts.h"
#include "document/ProjectModel.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "uikit/Carousel.h"

namespace zt {

LookChooserViewController::LookChooserViewController(
    std::string nibName, std::shared_ptr<ProjectModel> project, std::string key)
    : plat::ViewController(std::move(nibName))
    , _project(std::move(project))
    , _key(std::move(key))
{
}

void LookChooserViewController::setOutlets(
    std::shared_ptr<Carousel> carousel, std::shared_ptr<plat::ActivityIndicatorView> indicator)
{
    _carousel = std::move(carousel);
    _activityIndicator = std::move(indicator);
}

int64_t LookChooserViewController::storedIndex()
{
    auto metadata = _project ? _project->getMetaData() : std::nullopt;
    return metadata ? metadata->getInt64(_key).value_or(0) : 0;
}

void LookChooserViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (!_carousel) {
        plat::log("look chooser: the layout {} has no carousel", nibName());
        return;
    }
    _carousel->setType(CarouselTypeLinear);
    _carousel->scrollToItemAtIndex(storedIndex(), /*animated=*/false);
}

void LookChooserViewController::viewDidUnload()
{
    _carousel.reset();
    _activityIndicator.reset();
}

unsigned LookChooserViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskLandscapeLeft | plat::InterfaceOrientationMaskLandscapeRight;
}

std::shared_ptr<plat::View> LookChooserViewController::carouselViewForItemAtIndexReusingView(
    Carousel&, int64_t index, std::shared_ptr<plat::View> reusingView)
{
    auto picture = previewPicture(index);
    if (auto reused = std::dynamic_pointer_cast<plat::ImageView>(reusingView)) {
        reused->setImage(picture);
        reused->setFrame(plat::makeRect(0, 0, kItemSize.width, kItemSize.height));
        reused->setAccessibilityLabel(itemName(index));
        return reused;
    }
    auto itemView = std::make_shared<plat::ImageView>(picture);
    itemView->setAccessibilityLabel(itemName(index));
    itemView->setFrame(plat::makeRect(0, 0, kItemSize.width, kItemSize.height));
    itemView->setContentMode(plat::ContentMode::ScaleAspectFill);
    itemView->layer()->setDoubleSided(false);
    return itemView;
}

std::optional<double> LookChooserViewController::carouselValueForOptionWithDefault(
    Carousel&, CarouselOption option, double)
{
    if (option == CarouselOptionWrap)
        return carouselShouldWrap(*_carousel) ? 1.0 : 0.0;
    return std::nullopt;
}

bool LookChooserViewController::storeIndex(int64_t index)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto stored = _project ? _project->changeMetaData({{_key, index}, {"RecordNeedsRendering", true}})
                           : plat::Result<void>(plat::Error("LookChooserViewController", 1, "There is no project."));
    if (stored.ok())
        return true;
    plat::log("look chooser: {} is not stored: {}", _key, stored.error().description());
    refuseChoice(stored.error());
    return false;
}

void LookChooserViewController::refuseChoice(const plat::Error& error)
{
    if (_carousel)
        _carousel->scrollToItemAtIndex(storedIndex(), /*animated=*/false);
    showFailureAlert(notStoredTitle(), error);
}

}  // namespace zt
