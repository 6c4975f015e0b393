#pragma once
#include <cstdint>
#include <memory>

#include "platform/ui/ViewController.h"
#include "uikit/CarouselProtocols.h"

namespace zt {
class Carousel;
class ProjectModel;

// The movie's colour effect chosen in a row of eight pictures, one per
// effect, in the order of their stored numbers. Scrolling to a picture
// stores its effect ("RecordMovieFilter"), marks the movie for rendering,
// saves the metadata and posts MovieEffectDidChangeNotification; the
// stored value is the only state. The view and carousel come from the
// layout "EffectSelectionViewController". Main thread.
class EffectSelectionViewController : public plat::ViewController, public CarouselDataSource, public CarouselDelegate {
public:
    static constexpr int64_t kNumberOfEffects = 8;
    static constexpr double kItemWidth = 131.0;  // points between item centres

    explicit EffectSelectionViewController(std::shared_ptr<ProjectModel> project);

    const std::shared_ptr<Carousel>& carousel() const { return _carousel; }
    // The layout's carousel, whose data source and delegate the layout makes this chooser.
    void setCarousel(std::shared_ptr<Carousel> carousel) { _carousel = std::move(carousel); }
    const std::shared_ptr<ProjectModel>& project() const { return _project; }

    void viewDidLoad() override;
    // Drops the carousel with the view.
    void viewDidUnload();
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    uint64_t numberOfItemsInCarousel(Carousel& carousel) override;
    std::shared_ptr<plat::View> carouselViewForItemAtIndexReusingView(
        Carousel& carousel, int64_t index, std::shared_ptr<plat::View> reusingView) override;
    std::optional<double> carouselItemWidth(Carousel& carousel) override;
    void carouselWillBeginScrollingAnimation(Carousel& carousel) override;
    void carouselWillBeginDragging(Carousel& carousel) override;
    void carouselDidSelectItemAtIndex(Carousel& carousel, int64_t index) override;
    void carouselDidEndScrollingAnimation(Carousel& carousel) override;

    // The stored effect: "RecordMovieFilter" of the metadata, 0 (none) when
    // missing, not a number or not one of the effects (the pictures show it
    // unchanged then).
    int64_t storedEffect();

private:
    std::shared_ptr<Carousel> _carousel;
    std::shared_ptr<ProjectModel> _project;
    // Each layout pass of the carousel settles it on its item with a
    // scrolling animation, also where it already stands: such a settle that
    // neither moved nor followed a touch is no choice of the user's.
    double _scrollStartOffset = 0;
    bool _touchedSinceLastScroll = false;
};

}  // namespace zt
