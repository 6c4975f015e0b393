#include "app/LayoutConstraintCommon.h"

#include "platform/ui/View.h"

namespace zt {

namespace {

Constraints withFormat(const std::string& format, const std::shared_ptr<plat::View>& view)
{
    return plat::LayoutConstraint::constraintsWithVisualFormat(
        format, plat::LayoutFormatDirectionLeftToRight, {}, {{"view", view}});
}

void append(Constraints& to, const Constraints& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

}  // namespace

Constraints constraintsToStretchToSuperview(const std::shared_ptr<plat::View>& view, const std::string& axis)
{
    return plat::LayoutConstraint::constraintsWithVisualFormat(axis + ":|-0-[view]-0-|", 0, {}, {{"view", view}});
}

Constraints constraintsToStretchHorizontallyToSuperview(const std::shared_ptr<plat::View>& view)
{
    return constraintsToStretchToSuperview(view, "H");
}

Constraints constraintsToStretchVerticallyToSuperview(const std::shared_ptr<plat::View>& view)
{
    return constraintsToStretchToSuperview(view, "V");
}

Constraints constraintsToFillToSuperview(const std::shared_ptr<plat::View>& view)
{
    Constraints all = constraintsToStretchHorizontallyToSuperview(view);
    append(all, constraintsToStretchVerticallyToSuperview(view));
    return all;
}

Constraints constraintsToStickView(const std::shared_ptr<plat::View>& view, unsigned edges)
{
    Constraints all;
    if (edges & StickEdgeTop)
        append(all, withFormat("V:|-(0)-[view]", view));
    if (edges & StickEdgeLeft)
        append(all, withFormat("H:|-(0)-[view]", view));
    if (edges & StickEdgeBottom)
        append(all, withFormat("V:[view]-(0)-|", view));
    if (edges & StickEdgeRight)
        append(all, withFormat("H:[view]-(0)-|", view));
    return all;
}

std::shared_ptr<plat::LayoutConstraint> constraintToCenterViewHorizontallyToSuperview(
    const std::shared_ptr<plat::View>& view)
{
    return plat::LayoutConstraint::constraintWithItem(view, plat::LayoutAttribute::CenterX, plat::LayoutRelation::Equal,
        view->superview(), plat::LayoutAttribute::CenterX, 1, 0);
}

std::shared_ptr<plat::LayoutConstraint> constraintToCenterViewVerticallyToSuperview(
    const std::shared_ptr<plat::View>& view)
{
    return plat::LayoutConstraint::constraintWithItem(view, plat::LayoutAttribute::CenterY, plat::LayoutRelation::Equal,
        view->superview(), plat::LayoutAttribute::CenterY, 1, 0);
}

std::shared_ptr<plat::LayoutConstraint> constraintToSetStaticHeight(
    double height, const std::shared_ptr<plat::View>& view)
{
    return plat::LayoutConstraint::constraintWithItem(view, plat::LayoutAttribute::Height, plat::LayoutRelation::Equal,
        nullptr, plat::LayoutAttribute::NotAnAttribute, 1, height);
}

std::shared_ptr<plat::LayoutConstraint> constraintToSetStaticWidth(
    double width, const std::shared_ptr<plat::View>& view)
{
    return plat::LayoutConstraint::constraintWithItem(view, plat::LayoutAttribute::Width, plat::LayoutRelation::Equal,
        nullptr, plat::LayoutAttribute::NotAnAttribute, 1, width);
}

}  // namespace zt
