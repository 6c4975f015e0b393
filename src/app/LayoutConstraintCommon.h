#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/LayoutConstraint.h"

namespace plat {
class View;
}

namespace zt {

// Builders of the constraints the welcome screens use; each visual format
// names its view "view". They only make constraints: the caller adds them
// to the view that should hold them.
using Constraints = std::vector<std::shared_ptr<plat::LayoutConstraint>>;

// Edge bits of constraintsToStickView.
enum StickEdges : unsigned { StickEdgeTop = 1, StickEdgeLeft = 2, StickEdgeBottom = 4, StickEdgeRight = 8 };

// "%@:|-0-[view]-0-|" of axis "H" or "V".
Constraints constraintsToStretchToSuperview(const std::shared_ptr<plat::View>& view, const std::string& axis);
Constraints constraintsToStretchHorizontallyToSuperview(const std::shared_ptr<plat::View>& view);
Constraints constraintsToStretchVerticallyToSuperview(const std::shared_ptr<plat::View>& view);
// The horizontal constraints, then the vertical ones.
Constraints constraintsToFillToSuperview(const std::shared_ptr<plat::View>& view);
// For each set bit, in the order top, left, bottom, right.
Constraints constraintsToStickView(const std::shared_ptr<plat::View>& view, unsigned edges);
std::shared_ptr<plat::LayoutConstraint> constraintToCenterViewHorizontallyToSuperview(
    const std::shared_ptr<plat::View>& view);
std::shared_ptr<plat::LayoutConstraint> constraintToCenterViewVerticallyToSuperview(
    const std::shared_ptr<plat::View>& view);
std::shared_ptr<plat::LayoutConstraint> constraintToSetStaticHeight(
    double height, const std::shared_ptr<plat::View>& view);
std::shared_ptr<plat::LayoutConstraint> constraintToSetStaticWidth(
    double width, const std::shared_ptr<plat::View>& view);

}  // namespace zt
