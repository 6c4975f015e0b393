#include "platform/ui/LayoutConstraint.h"

#include <algorithm>
#include <sstream>

#include "platform/foundation/Fatal.h"
#include "platform/ui/View.h"
#include "platform/ui/VisualFormat.h"

namespace plat {

namespace {

const char* attributeName(LayoutAttribute attribute)
{
    switch (attribute) {
    case LayoutAttribute::NotAnAttribute:
        return "notAnAttribute";
    case LayoutAttribute::Left:
        return "left";
    case LayoutAttribute::Right:
        return "right";
    case LayoutAttribute::Top:
        return "top";
    case LayoutAttribute::Bottom:
        return "bottom";
    case LayoutAttribute::Leading:
        return "leading";
    case LayoutAttribute::Trailing:
        return "trailing";
    case LayoutAttribute::Width:
        return "width";
    case LayoutAttribute::Height:
        return "height";
    case LayoutAttribute::CenterX:
        return "centerX";
    case LayoutAttribute::CenterY:
        return "centerY";
    case LayoutAttribute::Baseline:
        return "baseline";
    case LayoutAttribute::FirstBaseline:
        return "firstBaseline";
    }
    return "?";
}

std::string itemName(const std::shared_ptr<View>& view)
{
    if (!view)
        return "(gone)";
    std::ostringstream name;
    name << view->className() << ":" << static_cast<const void*>(view.get());
    return name.str();
}

// The nearest view that both views are inside (either may be it).
std::shared_ptr<View> commonAncestor(const std::shared_ptr<View>& a, const std::shared_ptr<View>& b)
{
    if (!b)
        return a;
    for (auto candidate = a; candidate; candidate = candidate->superview())
        if (b->isDescendantOfView(*candidate))
            return candidate;
    return nullptr;
}

}  // namespace

LayoutConstraint::LayoutConstraint(const std::shared_ptr<View>& firstItem, LayoutAttribute firstAttribute,
    LayoutRelation relation, const std::shared_ptr<View>& secondItem, LayoutAttribute secondAttribute,
    double multiplier, double constant)
    : _firstItem(firstItem)
    , _secondItem(secondItem)
    , _hasSecondItem(secondItem != nullptr)
    , _firstAttribute(firstAttribute)
    , _secondAttribute(secondItem ? secondAttribute : LayoutAttribute::NotAnAttribute)
    , _relation(relation)
    , _multiplier(multiplier)
    , _constant(constant)
{
    if (!firstItem)
        detail::fatal("LayoutConstraint: a constraint needs a first item");
    if (firstAttribute == LayoutAttribute::NotAnAttribute)
        detail::fatal("LayoutConstraint: a constraint needs the first item's attribute");
    if (secondItem && secondAttribute == LayoutAttribute::NotAnAttribute)
        detail::fatal("LayoutConstraint: a second item needs an attribute");
}

std::shared_ptr<LayoutConstraint> LayoutConstraint::constraintWithItem(const std::shared_ptr<View>& view1,
    LayoutAttribute attribute1, LayoutRelation relation, const std::shared_ptr<View>& view2, LayoutAttribute attribute2,
    double multiplier, double constant)
{
    return std::make_shared<LayoutConstraint>(view1, attribute1, relation, view2, attribute2, multiplier, constant);
}

std::vector<std::shared_ptr<LayoutConstraint>> LayoutConstraint::constraintsWithVisualFormat(const std::string& format,
    uint64_t options, const std::map<std::string, double>& metrics,
    const std::map<std::string, std::shared_ptr<View>>& views)
{
    return detail::parseVisualFormat(format, options, metrics, views);
}

void LayoutConstraint::activateConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints)
{
    for (const auto& constraint : constraints)
        constraint->setActive(true);
}

void LayoutConstraint::deactivateConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints)
{
    for (const auto& constraint : constraints)
        constraint->setActive(false);
}

void LayoutConstraint::setConstant(double constant)
{
    if (constant == _constant)
        return;
    _constant = constant;
    requestLayout();
}

void LayoutConstraint::setPriority(LayoutPriority priority)
{
    _priority = std::clamp(priority, 1.0f, LayoutPriorityRequired);
    requestLayout();
}

void LayoutConstraint::setActive(bool active)
{
    if (active == isActive())
        return;
    if (!active) {
        if (auto holder = _holder.lock())
            holder->removeConstraint(sharedAs<LayoutConstraint>());
        return;
    }
    auto holder = commonAncestor(firstItem(), secondItem());
    if (!holder)
        detail::fatal(
            "LayoutConstraint: {} and {} have no common ancestor", itemName(firstItem()), itemName(secondItem()));
    holder->addConstraint(sharedAs<LayoutConstraint>());
}

void LayoutConstraint::requestLayout() const
{
    for (const auto& item : {firstItem(), secondItem()}) {
        if (!item)
            continue;
        item->setNeedsLayout();
        if (auto super = item->superview())
            super->setNeedsLayout();
    }
}

std::string LayoutConstraint::description() const
{
    std::ostringstream text;
    text << itemName(firstItem()) << "." << attributeName(_firstAttribute) << " "
         << (_relation == LayoutRelation::Equal                    ? "=="
                    : _relation == LayoutRelation::LessThanOrEqual ? "<="
                                                                   : ">=")
         << " ";
    if (_hasSecondItem)
        text << itemName(secondItem()) << "." << attributeName(_secondAttribute) << " * " << _multiplier << " + ";
    text << _constant;
    if (_priority < LayoutPriorityRequired)
        text << " @" << _priority;
    return text.str();
}

}  // namespace plat
