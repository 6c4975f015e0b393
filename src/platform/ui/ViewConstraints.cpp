// The auto layout side of View: the constraints a view holds, its
// intrinsic size and priorities. The rest of View is in View.cpp.
#include <algorithm>

#include "platform/ui/ConstraintLayout.h"
#include "platform/ui/View.h"

namespace plat {

namespace {

size_t axisIndex(LayoutConstraintAxis axis)
{
    return axis == LayoutConstraintAxis::Horizontal ? 0 : 1;
}

}  // namespace

void View::addConstraint(const std::shared_ptr<LayoutConstraint>& constraint)
{
    if (!constraint)
        return;
    if (auto holder = constraint->holder()) {
        if (holder.get() == this)
            return;
        holder->removeConstraint(constraint);
    }
    if (_constraints.empty())
        detail::ConstraintLayout::noteHolderAdded();
    _constraints.push_back(constraint);
    constraint->_holder = sharedAs<View>();
    constraint->requestLayout();
}

void View::addConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints)
{
    for (const auto& constraint : constraints)
        addConstraint(constraint);
}

void View::removeConstraint(const std::shared_ptr<LayoutConstraint>& constraint)
{
    auto it = std::find(_constraints.begin(), _constraints.end(), constraint);
    if (it == _constraints.end())
        return;
    _constraints.erase(it);
    if (_constraints.empty())
        detail::ConstraintLayout::noteHolderRemoved();
    constraint->_holder.reset();
    constraint->requestLayout();
}

void View::removeConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints)
{
    auto copy = constraints;  // the list may be this view's own
    for (const auto& constraint : copy)
        removeConstraint(constraint);
}

void View::setTranslatesAutoresizingMaskIntoConstraints(bool translates)
{
    _translatesAutoresizingMask = translates;
    if (auto super = superview())
        super->setNeedsLayout();
}

void View::invalidateIntrinsicContentSize()
{
    if (!detail::ConstraintLayout::anyConstraints())
        return;
    if (auto super = superview())
        super->setNeedsLayout();
}

LayoutPriority View::contentHuggingPriorityForAxis(LayoutConstraintAxis axis) const
{
    return _hugging[axisIndex(axis)];
}

void View::setContentHuggingPriority(LayoutPriority priority, LayoutConstraintAxis axis)
{
    _hugging[axisIndex(axis)] = priority;
    invalidateIntrinsicContentSize();
}

LayoutPriority View::contentCompressionResistancePriorityForAxis(LayoutConstraintAxis axis) const
{
    return _compressionResistance[axisIndex(axis)];
}

void View::setContentCompressionResistancePriority(LayoutPriority priority, LayoutConstraintAxis axis)
{
    _compressionResistance[axisIndex(axis)] = priority;
    invalidateIntrinsicContentSize();
}

void View::setNeedsUpdateConstraints()
{
    _needsUpdateConstraints = true;
    setNeedsLayout();
    if (auto super = superview())
        super->setNeedsLayout();
}

void View::updateConstraintsIfNeeded()
{
    if (!_needsUpdateConstraints)
        return;
    _needsUpdateConstraints = false;
    updateConstraints();
}

}  // namespace plat
