#include "platform/ui/scripting/LayoutCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ViewDescription.h"

namespace plat::scripting {

namespace {

using detail::describe;
using detail::drawnAfterInLayer;
using detail::drawsItself;
using detail::drawsWithin;
using detail::intersection;
using detail::isLayerBoundary;
using detail::isShown;
using detail::liesWithin;
using detail::windowFrameOf;

// The covered check draws the screen at one pixel a point and compares it,
// where the control draws, with a drawing without the views in front: a
// pixel counts as changed past this difference in a channel (edges blend),
// and the control as covered when more of its pixels than these changed.
constexpr double kPixelsPerPoint = 1;
constexpr int kChannelTolerance = 24;
constexpr int kCoveredPixels = 4;
// The element's own pixels: where its drawing alone is at least this opaque.
constexpr int kOwnAlpha = 64;
constexpr double kCoveredShare = 0.02;

bool isText(const View& view)
{
    auto* label = dynamic_cast<const Label*>(&view);
    return label && !label->text().empty();
}

// Controls (with their captions and pictures) and the texts of labels
// outside controls, in drawing order.
void collectElements(const std::shared_ptr<View>& view, std::vector<std::shared_ptr<View>>& elements)
{
    if (!isShown(*view))
        return;
    if (dynamic_cast<const Control*>(view.get())) {
        elements.push_back(view);
        return;
    }
    if (isText(*view))
        elements.push_back(view);
    for (const auto& subview : view->subviews())
        collectElements(subview, elements);
}

// A person brings what such a view shows into view by dragging.
bool followsDrags(const View& view)
{
    for (const auto& recognizer : view.gestureRecognizers())
        if (dynamic_cast<const PanGestureRecognizer*>(recognizer.get()) && recognizer->isEnabled())
            return true;
    return false;
}

// The frontmost view inside view (or view itself) that draws within area.
const View* frontmostDrawing(const View& view, Rect area)
{
    if (!isShown(view))
        return nullptr;
    const auto& subviews = view.subviews();
    const Rect inner = view.clipsToBounds() ? intersection(area, windowFrameOf(view)) : area;
    for (auto it = subviews.rbegin(); !inner.isEmpty() && it != subviews.rend(); ++it)
        if (auto found = frontmostDrawing(**it, inner))
            return found;
    return drawsItself(view) && !intersection(windowFrameOf(view), area).isEmpty() ? &view : nullptr;
}

// True when view is the section header that a plain table holding the
// element keeps at its top: the rows of the section pass under it as the
// table scrolls, so a row there is scrolled out of view, not covered.
bool isPinnedHeaderOver(const std::shared_ptr<View>& view, const View& element)
{
    auto table = std::dynamic_pointer_cast<TableView>(view->superview());
    if (!table || table->style() != TableViewStyle::Plain || !element.isDescendantOfView(*table))
        return false;
    for (int64_t section = 0; section < table->numberOfSections(); ++section)
        if (table->headerViewForSection(section) == view)
            return true;
    return false;
}

// The screen drawn with the given views hidden for the moment.
std::shared_ptr<Image> drawingWithout(Window& window, const std::vector<std::shared_ptr<View>>& hidden)
{
    View::performWithoutAnimation([&] {
        for (const auto& view : hidden)
            view->setHidden(true);
    });
    auto picture = snapshotWindow(window, kPixelsPerPoint);
    View::performWithoutAnimation([&] {
        for (const auto& view : hidden)
            view->setHidden(false);
    });
    return picture;
}

// True when the two drawings of the screen differ in more of the element's
// own pixels (where its drawing, alone, is not transparent) inside area than
// a cover leaves unchanged. The area's outer point is left out: frames that
// touch blend there.
bool differWithin(const Image& a, const Image& b, const Image& element, Rect frame, Rect area)
{
    const Bitmap& first = *a.bitmap();
    const Bitmap& second = *b.bitmap();
    const Bitmap& own = *element.bitmap();
    const int left = std::max(0, static_cast<int>(std::ceil((area.minX() + 1) * kPixelsPerPoint)));
    const int top = std::max(0, static_cast<int>(std::ceil((area.minY() + 1) * kPixelsPerPoint)));
    const int right
        = std::min({first.width(), second.width(), static_cast<int>(std::floor((area.maxX() - 1) * kPixelsPerPoint))});
    const int bottom = std::min(
        {first.height(), second.height(), static_cast<int>(std::floor((area.maxY() - 1) * kPixelsPerPoint))});
    if (right <= left || bottom <= top || first.order() != second.order())
        return false;
    const auto ownLeft = static_cast<int>(std::lround(frame.minX() * kPixelsPerPoint));
    const auto ownTop = static_cast<int>(std::lround(frame.minY() * kPixelsPerPoint));
    int64_t drawn = 0;
    int64_t changed = 0;
    for (int y = top; y < bottom; ++y) {
        if (y - ownTop < 0 || y - ownTop >= own.height())
            continue;
        const uint8_t* p = first.row(y);
        const uint8_t* q = second.row(y);
        const uint8_t* o = own.row(y - ownTop);
        for (int x = std::max(left, ownLeft); x < right && x - ownLeft < own.width(); ++x) {
            if (o[4 * (x - ownLeft) + 3] <= kOwnAlpha)
                continue;
            ++drawn;
            const uint8_t* pp = p + 4 * x;
            const uint8_t* qq = q + 4 * x;
            changed += std::abs(pp[0] - qq[0]) > kChannelTolerance || std::abs(pp[1] - qq[1]) > kChannelTolerance
                || std::abs(pp[2] - qq[2]) > kChannelTolerance;
        }
    }
    return changed > kCoveredPixels && changed > kCoveredShare * static_cast<double>(drawn);
}

struct Visibility {
    Rect visible;  // the part a person sees, in window points
    const View* cutBy = nullptr;  // the first view that cuts it where dragging cannot bring it back
    bool dragged = false;  // inside a view that a drag moves
};

// True when scrolling brings the element whole into the scroll view's
// sight: the view scrolls, and the element lies within its content (and the
// room its insets leave around it). Content beyond stays cut for good.
bool scrollsIntoView(const ScrollView& scrollView, const View& element)
{
    if (!scrollView.isScrollEnabled())
        return false;
    const Rect frame = element.convertRect(element.bounds(), &scrollView);
    const Size content = scrollView.contentSize();
    const EdgeInsets inset = scrollView.contentInset();
    const Rect reachable = makeRect(-inset.left, -inset.top,
        std::max(content.width, scrollView.bounds().width()) + inset.left + inset.right,
        std::max(content.height, scrollView.bounds().height()) + inset.top + inset.bottom);
    return liesWithin(frame, reachable);
}

// The part of the element that shows: a label without a background of its
// own shows only its text (a list keeps its last row's line out of sight by
// cutting the bottom of the row, under a label whose text stays whole).
Rect shownFrameOf(const View& element)
{
    auto* label = dynamic_cast<const Label*>(&element);
    const auto background = element.backgroundColor();
    if (!label || (background && background->alpha() > 0))
        return windowFrameOf(element);
    return label->convertRect(label->textRectForBounds(label->bounds(), label->numberOfLines()), nullptr);
}

Visibility visibilityOf(const View& element, Window& window)
{
    Visibility seen {shownFrameOf(element)};
    for (const View* v = element.superview().get(); v; v = v->superview().get()) {
        // A scroll view's own edge cuts its content as scrolling leaves it,
        // unless scrolling cannot bring the content back.
        if (auto* scrollView = dynamic_cast<const ScrollView*>(v))
            seen.dragged = seen.dragged || scrollsIntoView(*scrollView, element);
        else
            seen.dragged = seen.dragged || followsDrags(*v);
        if (!v->clipsToBounds() && v != &window)
            continue;
        const Rect clipped = intersection(seen.visible, windowFrameOf(*v));
        if (!seen.cutBy && !seen.dragged && !liesWithin(seen.visible, clipped))
            seen.cutBy = v;
        seen.visible = clipped;
    }
    return seen;
}

}  // namespace

std::vector<std::string> layoutFaults(Window& window)
{
    window.layoutIfNeeded();
    const Rect screen = window.bounds();
    std::vector<std::shared_ptr<View>> elements;
    for (const auto& view : window.subviews())
        collectElements(view, elements);

    std::vector<std::string> faults;
    std::shared_ptr<Image> asShown;
    for (const auto& element : elements) {
        const Rect frame = windowFrameOf(*element);
        // A transparent touch zone (a panel's catch button) shows nothing to cut or cover.
        if (frame.isEmpty() || !drawsWithin(*element, frame))
            continue;
        const Visibility seen = visibilityOf(*element, window);
        // A panel slid out of view takes its controls along: only a control
        // that sticks out of the view holding it is laid out wrong.
        const auto holder = element->superview();
        const bool parked = seen.visible.isEmpty() && holder && liesWithin(frame, windowFrameOf(*holder));
        if (seen.cutBy && !parked) {
            const std::string where = seen.cutBy == &window ? "the screen's edge" : describe(*seen.cutBy);
            faults.push_back(describe(*element) + " is cut off by " + where);
        }
        if (seen.visible.isEmpty())
            continue;
        std::vector<std::shared_ptr<View>> covers;
        for (const auto& view : drawnAfterInLayer(*element, screen))
            if (drawsWithin(*view, seen.visible) && !isPinnedHeaderOver(view, *element))
                covers.push_back(view);
        if (covers.empty())
            continue;
        if (!asShown)
            asShown = snapshotWindow(window, kPixelsPerPoint);
        auto alone = renderViewToImage(*element, kPixelsPerPoint);
        auto uncovered = drawingWithout(window, covers);
        auto covered
            = [&](const Image& without) { return differWithin(*asShown, without, *alone, frame, seen.visible); };
        if (!asShown || !alone || !uncovered || !covered(*uncovered))
            continue;
        // Name the view in the way: the first whose absence alone uncovers the control.
        std::string cover = describe(*covers.front());
        for (const auto& view : covers) {
            if (auto without = drawingWithout(window, {view}); without && covered(*without)) {
                const View* drawing = frontmostDrawing(*view, seen.visible);
                cover = describe(drawing ? *drawing : *view);
                break;
            }
        }
        faults.push_back(describe(*element) + " is covered by " + cover);
    }
    return faults;
}

}  // namespace plat::scripting
