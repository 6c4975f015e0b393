#pragma once
#include <memory>

namespace plat {
class ScrollView;
class View;
enum class ScrollViewIndicatorStyle : int;
}  // namespace plat

namespace plat::detail {

// The two thin bars of a scroll view that show where the visible part lies
// in the content: shown while the content moves (only for axes that
// scroll), faded out a moment after it stops. They are subviews of the
// scroll view that take no touches, kept in front of its content.
// Owned by the scroll view, which outlives it. Main thread.
class ScrollIndicators {
public:
    static constexpr double kThickness = 2.5;
    static constexpr double kMargin = 1;
    static constexpr double kMinimumLength = 7;
    static constexpr double kHideDelaySeconds = 0.5;
    static constexpr double kFadeSeconds = 0.2;

    explicit ScrollIndicators(ScrollView& owner);
    ~ScrollIndicators();

    // Places the bars for the current offset, content and bounds.
    void update();
    // Shows them now (cancelling a pending fade) and fades them after the delay.
    void showThenHide();
    void show();
    void hideSoon();
    void setStyle(ScrollViewIndicatorStyle style);

    const std::shared_ptr<View>& vertical() const { return _vertical; }
    const std::shared_ptr<View>& horizontal() const { return _horizontal; }

private:
    void ensureViews();
    void fadeOut();

    ScrollView& _owner;
    std::shared_ptr<View> _vertical;
    std::shared_ptr<View> _horizontal;
    bool _shown = false;
};

}  // namespace plat::detail
