#include "editor/EffectSelectionViewController.h"

#include <iterator>
#include <string>

#include "document/FailureAlerts.h"
#include "document/ProjectModel.h"
#include "editor/EditorNotifications.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "uikit/Carousel.h"

namespace zt {

namespace {

constexpr const char* kMovieFilterKey = "RecordMovieFilter";
constexpr const char* kNeedsRenderingKey = "RecordNeedsRendering";

std::shared_ptr<const plat::Image> effectPicture(int64_t index)
{
    return plat::Image::imageNamed("edit_effect_" + std::to_string(index) + ".png");
}

// What each item does to the pictures, for its accessibility label: the
// pictures show the effect, not its name.
std::string effectName(int64_t index)
{
    static constexpr const char* kNames[]
        = {"No Effect", "Grey Scale", "Sepia", "Posterize", "Colour Change", "Thermal", "X-Ray", "Dither"};
    if (index < 0 || index >= static_cast<int64_t>(std::size(kNames)))
        return {};
    return plat::localized(kNames[index]);
}

}  // namespace

EffectSelectionViewController::EffectSelectionViewController(std::shared_ptr<ProjectModel> project)
    : ViewController("EffectSelectionViewController")
    , _project(std::move(project))
{
}

int64_t EffectSelectionViewController::storedEffect()
{
    auto metadata = _project ? _project->getMetaData() : std::nullopt;
    int64_t effect = metadata ? metadata->getInt64(kMovieFilterKey).value_or(0) : 0;
    return effect >= 0 && effect < kNumberOfEffects ? effect : 0;
}

void EffectSelectionViewController::viewDidLoad()
{
    ViewController::viewDidLoad();
    if (!_carousel) {
        plat::log("effect chooser: the layout has no carousel");
        return;
    }
    _carousel->setType(CarouselTypeLinear);
    _carousel->scrollToItemAtIndex(storedEffect(), /*animated=*/false);
}

void EffectSelectionViewController::viewDidUnload()
{
    _carousel.reset();
}

bool EffectSelectionViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return orientation == plat::InterfaceOrientation::LandscapeLeft
        || orientation == plat::InterfaceOrientation::LandscapeRight;
}

uint64_t EffectSelectionViewController::numberOfItemsInCarousel(Carousel&)
{
    return static_cast<uint64_t>(kNumberOfEffects);
}

std::shared_ptr<plat::View> EffectSelectionViewController::carouselViewForItemAtIndexReusingView(
    Carousel&, int64_t index, std::shared_ptr<plat::View> reusingView)
{
    // A missing picture leaves the item empty.
    auto picture = effectPicture(index);
    if (auto reused = std::dynamic_pointer_cast<plat::ImageView>(reusingView)) {
        reused->setImage(picture);
        reused->setAccessibilityLabel(effectName(index));
        return reused;
    }
    auto itemView = std::make_shared<plat::ImageView>(picture);
    itemView->setAccessibilityLabel(effectName(index));
    itemView->layer()->setDoubleSided(false);
    itemView->setContentMode(plat::ContentMode::ScaleAspectFill);
    return itemView;
}

std::optional<double> EffectSelectionViewController::carouselItemWidth(Carousel&)
{
    return kItemWidth;
}

void EffectSelectionViewController::carouselWillBeginScrollingAnimation(Carousel& carousel)
{
    _scrollStartOffset = carousel.scrollOffset();
}

void EffectSelectionViewController::carouselWillBeginDragging(Carousel&)
{
    _touchedSinceLastScroll = true;
}

void EffectSelectionViewController::carouselDidSelectItemAtIndex(Carousel&, int64_t)
{
    _touchedSinceLastScroll = true;
}

void EffectSelectionViewController::carouselDidEndScrollingAnimation(Carousel& carousel)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    bool chosen = _touchedSinceLastScroll || carousel.scrollOffset() != _scrollStartOffset;
    _touchedSinceLastScroll = false;
    if (!chosen)
        return;
    if (!_project)
        return;
    auto stored
        = _project->changeMetaData({{kMovieFilterKey, carousel.currentItemIndex()}, {kNeedsRenderingKey, true}});
    if (!stored.ok()) {
        // Only a stored effect is shown: the row goes back to it and the person hears why.
        plat::log("effect chooser: the effect is not stored: {}", stored.error().description());
        auto metadata = _project->getMetaData();
        carousel.scrollToItemAtIndex(
            metadata ? metadata->getInt64(kMovieFilterKey).value_or(0) : 0, /*animated=*/false);
        _touchedSinceLastScroll = false;
        showFailureAlert(plat::localized("The effect could not be saved."), stored.error());
        return;
    }
    plat::NotificationCenter::defaultCenter().post(MovieEffectDidChangeNotification, this);
}

}  // namespace zt
