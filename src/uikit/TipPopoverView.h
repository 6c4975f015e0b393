#pragma once
#include <functional>
#include <memory>

#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/View.h"
#include "uikit/TipPopoverArrow.h"

namespace plat {
class ImageView;
}

namespace zt {
class TipPopoverAnimationHelper;
class TipPopoverBackgroundHelper;

// A small help bubble with an arrow that points at a spot of a host view
// and holds whatever the caller puts into its content view. Presented once
// (fading in), later dismissed (fading out); the next help step makes a
// new bubble. Main thread.
class TipPopoverView : public plat::View {
public:
    using BubbleBlock = std::function<void(TipPopoverView&)>;

    // initWithFrame: the defaults (content 160 x 60, insets 10, kept inside the host).
    explicit TipPopoverView(plat::Rect frame = {});
    ~TipPopoverView() override;

    // Each made on first use.
    const std::shared_ptr<plat::View>& contentView();
    const std::shared_ptr<TipPopoverArrow>& arrow();
    const std::shared_ptr<TipPopoverBackgroundHelper>& backgroundHelper();
    const std::shared_ptr<TipPopoverAnimationHelper>& animationHelper();
    const std::shared_ptr<plat::ImageView>& backgroundImageView();

    const BubbleBlock& didPresentBlock() const { return _didPresentBlock; }
    void setDidPresentBlock(BubbleBlock block) { _didPresentBlock = std::move(block); }
    const BubbleBlock& didDismissBlock() const { return _didDismissBlock; }
    void setDidDismissBlock(BubbleBlock block) { _didDismissBlock = std::move(block); }

    // The content area; the bubble is this plus the insets. Negative sides
    // count as 0; a size with NaN or an infinity is refused.
    plat::Size contentSize() const { return _contentSize; }
    void setContentSize(plat::Size size);
    plat::EdgeInsets suggestedEdgeInsets() const { return _suggestedEdgeInsets; }
    void setSuggestedEdgeInsets(plat::EdgeInsets insets);
    // The insets in force: the suggested ones plus the arrow on its side.
    plat::EdgeInsets edgeInsets() const { return _edgeInsets; }
    bool adjustPositionInSuperviewEnabled() const { return _adjustPositionInSuperviewEnabled; }
    void setAdjustPositionInSuperviewEnabled(bool enabled) { _adjustPositionInSuperviewEnabled = enabled; }

    // Where presenting would put the bubble in a host of those bounds: the
    // arrow on one side (a value other than the five directions counts as
    // none) moved along it by arrowOffset from the middle, the target at the
    // arrow; pulled inside the host when enabled, the offset then changed so
    // that the arrow still points at the target as far as the body allows.
    // Changes nothing.
    struct Placement {
        plat::Rect frame;
        unsigned direction = TipPopoverArrowDirectionNone;
        plat::EdgeInsets edgeInsets;
        double arrowOffset = 0;
    };
    Placement placementForRect(plat::Rect rect, plat::Rect hostBounds, unsigned direction, double arrowOffset);

    // Shows the bubble in the host, its arrow (one direction value) at the
    // target rectangle (host coordinates) with the arrow's present offset,
    // pulled inside the host when enabled.
    void presentFromRect(
        plat::Rect rect, const std::shared_ptr<plat::View>& host, unsigned permittedArrowDirection, bool animated);
    // Points a shown bubble at a new rectangle, keeping its size.
    void adjustPositionToRect(plat::Rect rect);
    void adjustPositionToRect(plat::Rect rect, bool animated);
    void dismissPopoverAnimated(bool animated);

    // Where the arrow's triangle lies, in the host's coordinates; zero without an arrow.
    plat::Rect arrowRect();

    void layoutSubviews() override;
    // Only the drawn bubble, its body and its arrow, takes a touch: a touch
    // on the see-through margin around it is beside it.
    bool pointInside(plat::Point point, const plat::Event* event) const override;

private:
    // The arrow's triangle for the bubble at that frame, in the frame's coordinates.
    plat::Rect arrowRectIn(plat::Rect frame) const;
    // The frame for the target point at that size, before pulling.
    plat::Rect frameForRect(plat::Rect rect, plat::Size size, unsigned direction, double arrowOffset);
    // Moves the frame inside the bounds and adds to the arrow offset what
    // keeps the arrow on the target.
    plat::Rect pullIntoBounds(
        plat::Rect frame, plat::Rect bounds, unsigned direction, plat::EdgeInsets insets, double& arrowOffset);

    std::shared_ptr<plat::View> _contentView;
    std::shared_ptr<TipPopoverArrow> _arrow;
    std::shared_ptr<TipPopoverBackgroundHelper> _backgroundHelper;
    std::shared_ptr<TipPopoverAnimationHelper> _animationHelper;
    std::shared_ptr<plat::ImageView> _backgroundImageView;
    BubbleBlock _didPresentBlock;
    BubbleBlock _didDismissBlock;
    plat::Size _contentSize {160, 60};
    plat::EdgeInsets _suggestedEdgeInsets {10, 10, 10, 10};
    plat::EdgeInsets _edgeInsets {10, 10, 10, 10};
    bool _adjustPositionInSuperviewEnabled = true;
};

}  // namespace zt
