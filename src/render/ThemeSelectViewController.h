#pragma once
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "render/LookChooserViewController.h"

namespace zt {

// Chooses the movie's theme ("META_RECORD_THEME", 0 none, 1-8 with title and
// credits cards) from the pictures "theme_%.2d.png". Choosing a theme other
// than none locks the row (indicator running, no scrolling, no touches)
// until the cards are rendered: ThemeRenderingFinishedNotification, which
// the renderer posts also when a card could not be made. Layout
// "ThemeSelectViewController". Main thread.
class ThemeSelectViewController : public LookChooserViewController {
public:
    static constexpr int64_t kNumberOfThemes = 9;

    explicit ThemeSelectViewController(std::shared_ptr<ProjectModel> project);  // initWithProject:
    ~ThemeSelectViewController() override;

    void viewDidLoad() override;
    void viewDidUnload() override;
    uint64_t numberOfItemsInCarousel(Carousel&) override { return kNumberOfThemes; }
    void carouselDidEndScrollingAnimation(Carousel& carousel) override;
    void receiveThemeRenderingFinishedNotification(const plat::Notification& notification);
    bool isBusy() const { return _busy; }

    // Styling helpers for item views.
    static void makeBorderForView(plat::View& view, const plat::Color& color);
    static void makeShadowForView(plat::View& view);

protected:
    std::shared_ptr<const plat::Image> previewPicture(int64_t index) override;
    std::string itemName(int64_t index) const override;
    std::string notStoredTitle() const override;

private:
    void setBusy(bool busy);

    plat::ObserverToken _renderingObserver;
    bool _busy = false;
};

}  // namespace zt
