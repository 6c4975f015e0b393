#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Object.h"

namespace plat {
class View;
namespace detail {
class ConstraintLayout;
}

// The platform's layout attributes, relations and priorities, with its numbers.
enum class LayoutAttribute : int {
    NotAnAttribute = 0,
    Left = 1,
    Right = 2,
    Top = 3,
    Bottom = 4,
    Leading = 5,
    Trailing = 6,
    Width = 7,
    Height = 8,
    CenterX = 9,
    CenterY = 10,
    Baseline = 11,
    FirstBaseline = 12,
};
enum class LayoutRelation : int { LessThanOrEqual = -1, Equal = 0, GreaterThanOrEqual = 1 };
enum class LayoutConstraintAxis : int { Horizontal = 0, Vertical = 1 };
using LayoutPriority = float;
inline constexpr LayoutPriority LayoutPriorityRequired = 1000;
inline constexpr LayoutPriority LayoutPriorityDefaultHigh = 750;
inline constexpr LayoutPriority LayoutPriorityDefaultLow = 250;
inline constexpr LayoutPriority LayoutPriorityFittingSizeLevel = 50;

// Options of the visual format language (bits), as the platform's: align
// every view of the format on an attribute; the direction of H formats.
enum LayoutFormatOptions : uint64_t {
    LayoutFormatAlignAllLeft = 1u << 1,
    LayoutFormatAlignAllRight = 1u << 2,
    LayoutFormatAlignAllTop = 1u << 3,
    LayoutFormatAlignAllBottom = 1u << 4,
    LayoutFormatAlignAllLeading = 1u << 5,
    LayoutFormatAlignAllTrailing = 1u << 6,
    LayoutFormatAlignAllCenterX = 1u << 9,
    LayoutFormatAlignAllCenterY = 1u << 10,
    LayoutFormatAlignAllBaseline = 1u << 11,
    LayoutFormatDirectionLeadingToTrailing = 0u << 16,
    LayoutFormatDirectionLeftToRight = 1u << 16,
    LayoutFormatDirectionRightToLeft = 2u << 16,
};

// The platform's layout constraint: firstItem.firstAttribute (relation)
// secondItem.secondAttribute * multiplier + constant, at a priority; no
// second item makes it a constant. Items are weak (a view holds the
// constraints about itself). Installed in a view (addConstraint) or made
// active, which installs it in the items' nearest common ancestor; any
// change lays the views out again. Main thread.
class LayoutConstraint : public Object {
public:
    LayoutConstraint(const std::shared_ptr<View>& firstItem, LayoutAttribute firstAttribute, LayoutRelation relation,
        const std::shared_ptr<View>& secondItem, LayoutAttribute secondAttribute, double multiplier, double constant);

    static std::shared_ptr<LayoutConstraint> constraintWithItem(const std::shared_ptr<View>& view1,
        LayoutAttribute attribute1, LayoutRelation relation, const std::shared_ptr<View>& view2,
        LayoutAttribute attribute2, double multiplier, double constant);
    // The visual format language ("H:|-[a(>=20)]-10-[b]|"). Metrics name
    // numbers, views name the views; a format that does not parse, or names
    // an unknown view or metric, is a programmer error that stops with the
    // format and the place, as the platform raises.
    static std::vector<std::shared_ptr<LayoutConstraint>> constraintsWithVisualFormat(const std::string& format,
        uint64_t options, const std::map<std::string, double>& metrics,
        const std::map<std::string, std::shared_ptr<View>>& views);
    static void activateConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);
    static void deactivateConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);

    std::shared_ptr<View> firstItem() const { return _firstItem.lock(); }
    std::shared_ptr<View> secondItem() const { return _secondItem.lock(); }
    LayoutAttribute firstAttribute() const { return _firstAttribute; }
    LayoutAttribute secondAttribute() const { return _secondAttribute; }
    LayoutRelation relation() const { return _relation; }
    double multiplier() const { return _multiplier; }
    double constant() const { return _constant; }
    void setConstant(double constant);
    LayoutPriority priority() const { return _priority; }
    void setPriority(LayoutPriority priority);
    // Installed in a view.
    bool isActive() const { return !_holder.expired(); }
    void setActive(bool active);
    const std::string& identifier() const { return _identifier; }
    void setIdentifier(std::string identifier) { _identifier = std::move(identifier); }
    // The view holding it, if any.
    std::shared_ptr<View> holder() const { return _holder.lock(); }
    bool hasSecondItem() const { return _hasSecondItem; }

    std::string description() const;

    // Asks the views it relates to lay out again (after a change).
    void requestLayout() const;

private:
    friend class View;
    friend class detail::ConstraintLayout;
    std::weak_ptr<View> _firstItem;
    std::weak_ptr<View> _secondItem;
    bool _hasSecondItem = false;
    LayoutAttribute _firstAttribute;
    LayoutAttribute _secondAttribute;
    LayoutRelation _relation;
    double _multiplier;
    double _constant;
    LayoutPriority _priority = LayoutPriorityRequired;
    std::weak_ptr<View> _holder;
    std::string _identifier;
    bool _reportedUnsolvable = false;
};

}  // namespace plat
