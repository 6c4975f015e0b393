#include "render/ThemeSelectViewController.h"

#include <cstdio>
#include <iterator>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Layer.h"
#include "render/LookNotifications.h"
#include "uikit/Carousel.h"

namespace zt {

namespace {

// The captions drawn into the themes' pictures, by theme number.
constexpr const char* kThemeNames[]
    = {"No Theme", "Curtain", "Sky", "Stars", "Paper", "Sunburst", "Chalk", "Neon", "Sunset"};

std::string themePictureName(int64_t index)
{
    char name[32];
    std::snprintf(name, sizeof name, "theme_%.2d.png", static_cast<int>(index));
    return name;
}

}  // namespace

ThemeSelectViewController::ThemeSelectViewController(std::shared_ptr<ProjectModel> project)
    : LookChooserViewController("ThemeSelectViewController", std::move(project), "META_RECORD_THEME")
{
}

ThemeSelectViewController::~ThemeSelectViewController() = default;

void ThemeSelectViewController::viewDidLoad()
{
    LookChooserViewController::viewDidLoad();
    std::weak_ptr<ThemeSelectViewController> weakSelf = sharedAs<ThemeSelectViewController>();
    _renderingObserver = plat::NotificationCenter::defaultCenter().addObserver(
        ThemeRenderingFinishedNotification, nullptr, [weakSelf](const plat::Notification& notification) {
            if (auto self = weakSelf.lock())
                self->receiveThemeRenderingFinishedNotification(notification);
        });
}

void ThemeSelectViewController::viewDidUnload()
{
    _renderingObserver = {};
    LookChooserViewController::viewDidUnload();
}

std::shared_ptr<const plat::Image> ThemeSelectViewController::previewPicture(int64_t index)
{
    return plat::Image::imageNamed(themePictureName(index));
}

std::string ThemeSelectViewController::itemName(int64_t index) const
{
    if (index < 0 || index >= static_cast<int64_t>(std::size(kThemeNames)))
        return {};
    return plat::localized(kThemeNames[index]);
}

std::string ThemeSelectViewController::notStoredTitle() const
{
    return plat::localized("The theme could not be saved.");
}

void ThemeSelectViewController::carouselDidEndScrollingAnimation(Carousel& carousel)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const int64_t index = carousel.currentItemIndex();
    if (index == storedIndex())
        return;
    if (!storeIndex(index))
        return;
    if (index != 0)
        setBusy(true);
    plat::NotificationCenter::defaultCenter().post(ThemeDidChangeNotification, this);
}

void ThemeSelectViewController::receiveThemeRenderingFinishedNotification(const plat::Notification&)
{
    setBusy(false);
}

void ThemeSelectViewController::setBusy(bool busy)
{
    _busy = busy;
    if (const auto& indicator = activityIndicator())
        busy ? indicator->startAnimating() : indicator->stopAnimating();
    if (const auto& row = carousel()) {
        row->setScrollEnabled(!busy);
        row->setUserInteractionEnabled(!busy);
    }
}

void ThemeSelectViewController::makeBorderForView(plat::View& view, const plat::Color& color)
{
    auto layer = view.layer();
    layer->setMasksToBounds(true);
    layer->setCornerRadius(2.0);
    layer->setBorderWidth(1.0);
    layer->setBorderColor(color);
}

void ThemeSelectViewController::makeShadowForView(plat::View& view)
{
    auto layer = view.layer();
    layer->setShadowColor(plat::Color::blackColor());
    layer->setShadowOffset({0, 0.1});
    layer->setShadowOpacity(0.5);
    layer->setShadowRadius(10.0);
}

}  // namespace zt
