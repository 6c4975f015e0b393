#include "platform/ui/ConstraintLayout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/LinearSolver.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

namespace plat::detail {

namespace {

size_t gHolders = 0;

// Each value also wants to stay where it was, below every real wish.
constexpr double kStayWeight = 1e-3;
// Sizes are not negative, short of contradicting required constraints.
constexpr double kNonNegativeWeight = 1e5;
// A label whose height follows its width is measured again this many times at most.
constexpr int kMaximumSolves = 3;

double weightFor(LayoutPriority priority)
{
    return std::pow(10.0, static_cast<double>(priority) / 250.0);
}

LinearSolver::Relation relationFor(LayoutRelation relation)
{
    switch (relation) {
    case LayoutRelation::LessThanOrEqual:
        return LinearSolver::Relation::LessOrEqual;
    case LayoutRelation::GreaterThanOrEqual:
        return LinearSolver::Relation::GreaterOrEqual;
    case LayoutRelation::Equal:
        break;
    }
    return LinearSolver::Relation::Equal;
}

struct FrameVariables {
    LinearSolver::Variable x, y, width, height;
};

// One solve of a view's subviews.
class Solve {
public:
    Solve(View& parent, const std::vector<std::shared_ptr<LayoutConstraint>>& constraints,
        const std::vector<View*>& children, const std::map<const View*, double>& heightOverrides)
        : _parent(parent)
        // The parent's edges sit where its content starts, not where it is
        // scrolled to: scrolling moves the content, it does not re-place it.
        , _bounds {{0, 0}, parent.bounds().size}
    {
        for (View* child : children) {
            FrameVariables frame {
                _solver.addVariable(), _solver.addVariable(), _solver.addVariable(), _solver.addVariable()};
            _frames[child] = frame;
            Rect current = child->frame();
            if (child->translatesAutoresizingMaskIntoConstraints()) {
                pin(frame.x, current.minX(), LinearSolver::kRequired);
                pin(frame.y, current.minY(), LinearSolver::kRequired);
                pin(frame.width, current.width(), LinearSolver::kRequired);
                pin(frame.height, current.height(), LinearSolver::kRequired);
                continue;
            }
            Size intrinsic = child->intrinsicContentSize();
            if (auto over = heightOverrides.find(child); over != heightOverrides.end())
                intrinsic.height = over->second;
            addIntrinsic(frame.width, intrinsic.width, *child, LayoutConstraintAxis::Horizontal);
            addIntrinsic(frame.height, intrinsic.height, *child, LayoutConstraintAxis::Vertical);
            for (auto size : {frame.width, frame.height})
                _solver.addConstraint({{{size, 1}}, 0}, LinearSolver::Relation::GreaterOrEqual, kNonNegativeWeight);
            pin(frame.x, current.minX(), kStayWeight);
            pin(frame.y, current.minY(), kStayWeight);
            pin(frame.width, current.width(), kStayWeight);
            pin(frame.height, current.height(), kStayWeight);
        }
        for (const auto& constraint : constraints)
            add(*constraint);
    }

    Rect frameOf(View* child) const
    {
        const FrameVariables& f = _frames.at(child);
        return makeRect(_solver.value(f.x), _solver.value(f.y), _solver.value(f.width), _solver.value(f.height));
    }

private:
    void pin(LinearSolver::Variable variable, double value, double weight)
    {
        _solver.addConstraint({{{variable, 1}}, -value}, LinearSolver::Relation::Equal, weight);
    }

    void addIntrinsic(LinearSolver::Variable size, double intrinsic, const View& view, LayoutConstraintAxis axis)
    {
        if (intrinsic < 0)
            return;
        LayoutPriority hugging = view.contentHuggingPriorityForAxis(axis);
        LayoutPriority resistance = view.contentCompressionResistancePriorityForAxis(axis);
        _solver.addConstraint({{{size, 1}}, -intrinsic}, LinearSolver::Relation::LessOrEqual,
            hugging >= LayoutPriorityRequired ? LinearSolver::kRequired : weightFor(hugging));
        _solver.addConstraint({{{size, 1}}, -intrinsic}, LinearSolver::Relation::GreaterOrEqual,
            resistance >= LayoutPriorityRequired ? LinearSolver::kRequired : weightFor(resistance));
    }

    // The attribute as a linear expression (scaled by factor).
    void append(LinearSolver::Expression& expression, View* view, LayoutAttribute attribute, double factor) const
    {
        if (view == &_parent) {
            double value = 0;
            switch (attribute) {
            case LayoutAttribute::Left:
            case LayoutAttribute::Leading:
                value = _bounds.minX();
                break;
            case LayoutAttribute::Right:
            case LayoutAttribute::Trailing:
                value = _bounds.maxX();
                break;
            case LayoutAttribute::Top:
            case LayoutAttribute::FirstBaseline:
                value = _bounds.minY();
                break;
            case LayoutAttribute::Bottom:
            case LayoutAttribute::Baseline:
                value = _bounds.maxY();
                break;
            case LayoutAttribute::Width:
                value = _bounds.width();
                break;
            case LayoutAttribute::Height:
                value = _bounds.height();
                break;
            case LayoutAttribute::CenterX:
                value = _bounds.midX();
                break;
            case LayoutAttribute::CenterY:
                value = _bounds.midY();
                break;
            case LayoutAttribute::NotAnAttribute:
                break;
            }
            expression.constant += factor * value;
            return;
        }
        const FrameVariables& f = _frames.at(view);
        auto& terms = expression.terms;
        switch (attribute) {
        case LayoutAttribute::Left:
        case LayoutAttribute::Leading:
            terms.push_back({f.x, factor});
            break;
        case LayoutAttribute::Right:
        case LayoutAttribute::Trailing:
            terms.push_back({f.x, factor});
            terms.push_back({f.width, factor});
            break;
        case LayoutAttribute::Top:
        case LayoutAttribute::FirstBaseline:
            terms.push_back({f.y, factor});
            break;
        case LayoutAttribute::Bottom:
        case LayoutAttribute::Baseline:
            terms.push_back({f.y, factor});
            terms.push_back({f.height, factor});
            break;
        case LayoutAttribute::Width:
            terms.push_back({f.width, factor});
            break;
        case LayoutAttribute::Height:
            terms.push_back({f.height, factor});
            break;
        case LayoutAttribute::CenterX:
            terms.push_back({f.x, factor});
            terms.push_back({f.width, factor / 2});
            break;
        case LayoutAttribute::CenterY:
            terms.push_back({f.y, factor});
            terms.push_back({f.height, factor / 2});
            break;
        case LayoutAttribute::NotAnAttribute:
            break;
        }
    }

    void add(LayoutConstraint& constraint)
    {
        // first - (multiplier * second + constant) (relation) 0
        LinearSolver::Expression expression;
        append(expression, constraint.firstItem().get(), constraint.firstAttribute(), 1);
        if (auto second = constraint.secondItem())
            append(expression, second.get(), constraint.secondAttribute(), -constraint.multiplier());
        expression.constant -= constraint.constant();
        bool required = constraint.priority() >= LayoutPriorityRequired;
        if (!_solver.addConstraint(expression, relationFor(constraint.relation()),
                required ? LinearSolver::kRequired : weightFor(constraint.priority())))
            log("Unable to simultaneously satisfy constraints; breaking {}", constraint.description());
    }

    View& _parent;
    Rect _bounds;
    LinearSolver _solver;
    std::map<const View*, FrameVariables> _frames;
};

bool isInScope(const View* item, const View& parent)
{
    return item == &parent || item->superview().get() == &parent;
}

// The constraints that place parent's subviews, and the subviews they involve.
void gather(View& parent, std::vector<std::shared_ptr<LayoutConstraint>>& constraints, std::vector<View*>& children)
{
    std::set<const LayoutConstraint*> seen;
    auto consider = [&](const View& holder) {
        for (const auto& constraint : holder.constraints()) {
            auto first = constraint->firstItem();
            auto second = constraint->secondItem();
            if (!first || (constraint->hasSecondItem() && !second))
                continue;  // an item is gone
            if (!isInScope(first.get(), parent) || (second && !isInScope(second.get(), parent)))
                continue;
            if (first.get() == &parent && (!second || second.get() == &parent))
                continue;  // about the parent alone: its superview places it
            if (!seen.insert(constraint.get()).second)
                continue;
            constraints.push_back(constraint);
            for (const auto& item : {first, second})
                if (item && item.get() != &parent
                    && std::find(children.begin(), children.end(), item.get()) == children.end())
                    children.push_back(item.get());
        }
    };
    consider(parent);
    for (auto ancestor = parent.superview(); ancestor; ancestor = ancestor->superview())
        consider(*ancestor);
    for (const auto& child : parent.subviews())
        consider(*child);
}

double roundedToPixels(double value, double scale)
{
    return std::round(value * scale) / scale;
}

}  // namespace

void ConstraintLayout::reportUnsolvable(View& holder)
{
    for (const auto& constraint : holder.constraints()) {
        if (constraint->_reportedUnsolvable)
            continue;
        auto first = constraint->firstItem();
        auto second = constraint->secondItem();
        if (!first || !second)
            continue;
        bool related = first == second || first->superview() == second->superview() || first == second->superview()
            || second == first->superview();
        if (related)
            continue;
        constraint->_reportedUnsolvable = true;
        log("auto layout: constraints between views of different superviews are not solved: {}",
            constraint->description());
    }
}

void ConstraintLayout::noteHolderAdded()
{
    ++gHolders;
}

void ConstraintLayout::noteHolderRemoved()
{
    if (gHolders > 0)
        --gHolders;
}

bool ConstraintLayout::anyConstraints()
{
    return gHolders > 0;
}

void ConstraintLayout::layOutSubviews(View& parent)
{
    if (gHolders == 0)
        return;
    parent.updateConstraintsIfNeeded();
    for (const auto& child : parent.subviews())
        child->updateConstraintsIfNeeded();
    reportUnsolvable(parent);
    std::vector<std::shared_ptr<LayoutConstraint>> constraints;
    std::vector<View*> children;
    gather(parent, constraints, children);
    if (constraints.empty())
        return;
    auto keepAlive = parent.weak_from_this().lock();
    double scale = Screen::mainScreen().scale();
    std::map<const View*, double> heightOverrides;
    std::map<View*, Rect> frames;
    for (int round = 0; round < kMaximumSolves; ++round) {
        Solve solve(parent, constraints, children, heightOverrides);
        frames.clear();
        for (View* child : children)
            frames[child] = solve.frameOf(child);
        // Labels on several lines are as high as their text needs at the width they got.
        bool again = false;
        for (View* child : children) {
            auto* label = dynamic_cast<Label*>(child);
            if (!label || label->numberOfLines() == 1 || child->translatesAutoresizingMaskIntoConstraints()
                || label->preferredMaxLayoutWidth() > 0)
                continue;
            double height = label->sizeThatFits({frames[child].width(), 0}).height;
            auto known = heightOverrides.find(child);
            if (known == heightOverrides.end() || std::abs(known->second - height) > 0.5) {
                heightOverrides[child] = height;
                again = again || std::abs(child->intrinsicContentSize().height - height) > 0.5
                    || known != heightOverrides.end();
            }
        }
        if (!again)
            break;
    }
    for (View* child : children) {
        if (child->translatesAutoresizingMaskIntoConstraints())
            continue;
        Rect solved = frames[child];
        double left = roundedToPixels(solved.minX(), scale);
        double top = roundedToPixels(solved.minY(), scale);
        double right = roundedToPixels(solved.maxX(), scale);
        double bottom = roundedToPixels(solved.maxY(), scale);
        child->setFrame(makeRect(left, top, std::max(0.0, right - left), std::max(0.0, bottom - top)));
    }
}

}  // namespace plat::detail
