#pragma once
// Data sources, delegates and a fixture shared by the carousel's tests.
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "uikit/Carousel.h"

namespace zt::test {

// Items 100 x 80 points; each view's tag is the index it was last asked for.
class NumberedItems : public CarouselDataSource {
public:
    static constexpr double kItemWidth = 100;
    static constexpr double kItemHeight = 80;

    explicit NumberedItems(int64_t itemCount, int64_t placeholderCount = 0)
        : count(itemCount)
        , placeholders(placeholderCount)
    {
    }

    uint64_t numberOfItemsInCarousel(Carousel&) override { return static_cast<uint64_t>(count); }
    uint64_t numberOfPlaceholdersInCarousel(Carousel&) override { return static_cast<uint64_t>(placeholders); }

    std::shared_ptr<plat::View> carouselViewForItemAtIndexReusingView(
        Carousel&, int64_t index, std::shared_ptr<plat::View> reusing) override
    {
        asked.push_back(index);
        if (reusing)
            reusedViews.push_back(reusing);
        if (makesNoView)
            return nullptr;
        auto view = reusing ? reusing : makeView();
        view->setTag(index);
        if (prepare)
            prepare(*view, index);
        return view;
    }

    std::shared_ptr<plat::View> carouselPlaceholderViewAtIndexReusingView(
        Carousel&, int64_t index, std::shared_ptr<plat::View> reusing) override
    {
        askedPlaceholders.push_back(index);
        auto view = reusing ? reusing : makeView();
        view->setTag(-1000 - index);
        return view;
    }

    static std::shared_ptr<plat::View> makeView()
    {
        return std::make_shared<plat::View>(plat::makeRect(0, 0, kItemWidth, kItemHeight));
    }

    int64_t count;
    int64_t placeholders;
    bool makesNoView = false;
    std::function<void(plat::View&, int64_t)> prepare;
    std::vector<int64_t> asked;
    std::vector<int64_t> askedPlaceholders;
    std::vector<std::shared_ptr<plat::View>> reusedViews;
};

// Records the carousel's callbacks by name, and answers options from a table.
class RecordingDelegate : public CarouselDelegate {
public:
    std::optional<double> carouselItemWidth(Carousel&) override { return itemWidth; }
    std::optional<double> carouselValueForOptionWithDefault(Carousel&, CarouselOption option, double) override
    {
        auto it = options.find(option);
        return it == options.end() ? std::nullopt : std::optional<double>(it->second);
    }
    std::optional<plat::Transform3D> carouselItemTransformForOffsetBaseTransform(
        Carousel&, double offset, const plat::Transform3D& base) override
    {
        if (!customTransform)
            return std::nullopt;
        return customTransform(offset, base);
    }
    void carouselWillBeginScrollingAnimation(Carousel&) override { events.push_back("willBeginScrollingAnimation"); }
    void carouselDidEndScrollingAnimation(Carousel&) override { events.push_back("didEndScrollingAnimation"); }
    void carouselDidScroll(Carousel&) override { ++scrollEvents; }
    void carouselCurrentItemIndexDidChange(Carousel& carousel) override
    {
        indexChanges.push_back(carousel.currentItemIndex());
    }
    void carouselWillBeginDragging(Carousel&) override { events.push_back("willBeginDragging"); }
    void carouselDidEndDragging(Carousel&, bool willDecelerate) override
    {
        events.push_back(willDecelerate ? "didEndDragging decelerating" : "didEndDragging");
    }
    void carouselWillBeginDecelerating(Carousel&) override { events.push_back("willBeginDecelerating"); }
    void carouselDidEndDecelerating(Carousel&) override { events.push_back("didEndDecelerating"); }
    bool carouselShouldSelectItemAtIndex(Carousel&, int64_t index) override { return index != refusedIndex; }
    void carouselDidSelectItemAtIndex(Carousel&, int64_t index) override { selected.push_back(index); }

    std::optional<double> itemWidth;
    std::map<CarouselOption, double> options;
    std::function<plat::Transform3D(double, const plat::Transform3D&)> customTransform;
    int64_t refusedIndex = plat::kNotFound;
    std::vector<std::string> events;
    std::vector<int64_t> indexChanges;
    std::vector<int64_t> selected;
    int scrollEvents = 0;
};

// A phone window holding a carousel of 400 x 200 points at (84, 60), so its
// centre is the window's centre (284, 160).
class CarouselFixture : public ::testing::Test {
protected:
    static constexpr double kCentreX = 284;
    static constexpr double kCentreY = 160;

    void SetUp() override
    {
        window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 568, 320));
        window->makeKeyAndVisible();
        carousel = std::make_shared<Carousel>(plat::makeRect(84, 60, 400, 200));
        window->addSubview(carousel);
    }

    // Sets the delegate first, so that the first layout pass already asks it.
    void show(int64_t count, int64_t placeholders = 0)
    {
        items = std::make_shared<NumberedItems>(count, placeholders);
        carousel->setDelegate(delegate);
        carousel->setDataSource(items);
        settle();
    }

    // Long enough for any animated scroll, deceleration or toggle to end.
    void settle() { clock.advance(2); }

    // The container the carousel moves for the item, or nullptr.
    std::shared_ptr<plat::View> containerOf(int64_t index) const
    {
        auto view = carousel->itemViewAtIndex(index);
        return view ? view->superview() : nullptr;
    }

    plat::Transform3D transformOf(int64_t index) const
    {
        auto container = containerOf(index);
        if (!container) {
            ADD_FAILURE() << "item " << index << " is not loaded";
            return {};
        }
        return container->layer()->transform();
    }

    // Where the centre of the item's view is on screen, in window points.
    plat::Point onScreen(int64_t index) const
    {
        auto view = carousel->itemViewAtIndex(index);
        if (!view) {
            ADD_FAILURE() << "item " << index << " is not loaded";
            return {};
        }
        plat::Rect b = view->bounds();
        return view->convertPoint({b.midX(), b.midY()}, nullptr);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::UIDriver driver;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<Carousel> carousel;
    std::shared_ptr<NumberedItems> items;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

inline void expectTransformNear(const plat::Transform3D& actual, const plat::Transform3D& expected,
    double tolerance = 1e-6, const std::string& what = {})
{
    const double a[16] = {actual.m11, actual.m12, actual.m13, actual.m14, actual.m21, actual.m22, actual.m23,
        actual.m24, actual.m31, actual.m32, actual.m33, actual.m34, actual.m41, actual.m42, actual.m43, actual.m44};
    const double e[16] = {expected.m11, expected.m12, expected.m13, expected.m14, expected.m21, expected.m22,
        expected.m23, expected.m24, expected.m31, expected.m32, expected.m33, expected.m34, expected.m41, expected.m42,
        expected.m43, expected.m44};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], e[i], tolerance) << what << " entry m" << (i / 4 + 1) << (i % 4 + 1);
}

}  // namespace zt::test
