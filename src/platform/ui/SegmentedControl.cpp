#include "platform/ui/SegmentedControl.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"

namespace plat {

namespace {

constexpr double kHeight = 29;
constexpr double kCornerRadius = 4;
constexpr double kSegmentPadding = 16;
const Font kSegmentFont = Font::systemFontOfSize(13);

}  // namespace

SegmentedControl::SegmentedControl()
    : Control(Rect {})
{
}

SegmentedControl::SegmentedControl(const std::vector<std::string>& titles)
    : Control(Rect {})
{
    for (const auto& title : titles)
        _segments.push_back({title, nullptr, true, 0});
    Control::setFrame({{0, 0}, sizeThatFits({})});
}

void SegmentedControl::setSelectedSegmentIndex(int64_t index)
{
    if (index < kNoSegment || index >= static_cast<int64_t>(_segments.size()))
        index = kNoSegment;
    _selected = index;
    setNeedsDisplay();
}

void SegmentedControl::insertSegmentWithTitle(const std::string& title, size_t index, bool)
{
    index = std::min(index, _segments.size());
    _segments.insert(_segments.begin() + static_cast<std::ptrdiff_t>(index), Segment {title, nullptr, true, 0});
    if (_selected >= static_cast<int64_t>(index))
        ++_selected;
    setNeedsDisplay();
}

void SegmentedControl::insertSegmentWithImage(std::shared_ptr<const Image> image, size_t index, bool)
{
    index = std::min(index, _segments.size());
    _segments.insert(_segments.begin() + static_cast<std::ptrdiff_t>(index), Segment {{}, std::move(image), true, 0});
    if (_selected >= static_cast<int64_t>(index))
        ++_selected;
    setNeedsDisplay();
}

void SegmentedControl::removeSegmentAtIndex(size_t index, bool)
{
    if (index >= _segments.size())
        return;
    _segments.erase(_segments.begin() + static_cast<std::ptrdiff_t>(index));
    if (_selected == static_cast<int64_t>(index))
        _selected = kNoSegment;
    else if (_selected > static_cast<int64_t>(index))
        --_selected;
    setNeedsDisplay();
}

void SegmentedControl::removeAllSegments()
{
    _segments.clear();
    _selected = kNoSegment;
    setNeedsDisplay();
}

void SegmentedControl::setTitle(const std::string& title, size_t segment)
{
    if (segment < _segments.size()) {
        _segments[segment].title = title;
        _segments[segment].image.reset();
        setNeedsDisplay();
    }
}

std::string SegmentedControl::titleForSegmentAtIndex(size_t segment) const
{
    return segment < _segments.size() ? _segments[segment].title : std::string();
}

void SegmentedControl::setImage(std::shared_ptr<const Image> image, size_t segment)
{
    if (segment < _segments.size()) {
        _segments[segment].image = std::move(image);
        _segments[segment].title.clear();
        setNeedsDisplay();
    }
}

std::shared_ptr<const Image> SegmentedControl::imageForSegmentAtIndex(size_t segment) const
{
    return segment < _segments.size() ? _segments[segment].image : nullptr;
}

void SegmentedControl::setEnabledForSegmentAtIndex(bool enabled, size_t segment)
{
    if (segment < _segments.size()) {
        _segments[segment].enabled = enabled;
        setNeedsDisplay();
    }
}

bool SegmentedControl::isEnabledForSegmentAtIndex(size_t segment) const
{
    return segment < _segments.size() && _segments[segment].enabled;
}

void SegmentedControl::setWidth(double width, size_t segment)
{
    if (segment < _segments.size()) {
        _segments[segment].width = std::max(0.0, width);
        setNeedsDisplay();
    }
}

double SegmentedControl::widthForSegmentAtIndex(size_t segment) const
{
    return segment < _segments.size() ? _segments[segment].width : 0;
}

Rect SegmentedControl::frameOfSegment(size_t segment) const
{
    Rect b = bounds();
    double fixed = 0;
    size_t automatic = 0;
    for (const auto& s : _segments) {
        fixed += s.width;
        automatic += s.width > 0 ? 0 : 1;
    }
    double share = automatic > 0 ? std::max(0.0, b.width() - fixed) / static_cast<double>(automatic) : 0;
    double x = b.minX();
    for (size_t i = 0; i < _segments.size(); ++i) {
        double w = _segments[i].width > 0 ? _segments[i].width : share;
        if (i == segment)
            return {{x, b.minY()}, {w, b.height()}};
        x += w;
    }
    return {};
}

int64_t SegmentedControl::segmentIndexAtPoint(Point point) const
{
    for (size_t i = 0; i < _segments.size(); ++i)
        if (frameOfSegment(i).contains(point))
            return static_cast<int64_t>(i);
    return kNoSegment;
}

void SegmentedControl::endTrackingWithTouch(Touch& touch, const Event&)
{
    int64_t index = segmentIndexAtPoint(touch.locationInView(this));
    if (index == kNoSegment || !_segments[static_cast<size_t>(index)].enabled)
        return;
    if (index != _selected || _momentary) {
        setSelectedSegmentIndex(index);
        sendActionsForControlEvents(ControlEventValueChanged);
    }
    if (_momentary)
        setSelectedSegmentIndex(kNoSegment);
}

Size SegmentedControl::sizeThatFits(Size) const
{
    double widest = 0;
    for (const auto& s : _segments) {
        double w = s.width > 0 ? s.width
            : s.image          ? s.image->size().width + kSegmentPadding
                               : sizeWithFont(s.title, kSegmentFont).width + kSegmentPadding;
        widest = std::max(widest, w);
    }
    return {widest * static_cast<double>(_segments.size()), kHeight};
}

void SegmentedControl::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    Color tint = isEnabled() ? tintColor() : Color::colorWithWhite(0.6, 1);
    for (size_t i = 0; i < _segments.size(); ++i) {
        Rect frame = frameOfSegment(i);
        bool selected = static_cast<int64_t>(i) == _selected;
        if (selected) {
            context.setFillColor(tint);
            context.fillRect(frame);
        }
        const Segment& s = _segments[i];
        Color ink = selected ? Color::whiteColor() : tint;
        if (!s.enabled)
            ink = ink.colorWithAlphaComponent(0.4);
        if (s.image) {
            Size size = s.image->size();
            context.drawImage(*s.image, {{frame.midX() - size.width / 2, frame.midY() - size.height / 2}, size});
        } else {
            Size text = sizeWithFont(s.title, kSegmentFont);
            context.setFillColor(ink);
            context.drawText(s.title, {{frame.minX(), frame.midY() - text.height / 2}, {frame.width(), text.height}},
                kSegmentFont, LineBreakMode::TruncatingTail, TextAlignment::Center);
        }
        if (i > 0) {
            context.setFillColor(tint);
            context.fillRect({{frame.minX() - 0.5, frame.minY()}, {1, frame.height()}});
        }
    }
    context.beginPath();
    context.addPath(
        Path::pathWithRoundedRect({{b.minX() + 0.5, b.minY() + 0.5}, {b.width() - 1, b.height() - 1}}, kCornerRadius));
    context.setStrokeColor(tint);
    context.setLineWidth(1);
    context.strokePath();
}

}  // namespace plat
