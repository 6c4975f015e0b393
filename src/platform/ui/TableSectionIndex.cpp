#include "platform/ui/TableSectionIndex.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"

namespace plat::detail {

namespace {

constexpr double kTitleHeight = 14;

}  // namespace

TableSectionIndex::TableSectionIndex()
    : View(makeRect(0, 0, kWidth, 0))
{
    setAccessibilityIdentifier("section index");
}

void TableSectionIndex::setTitles(std::vector<std::string> titles)
{
    if (titles == _titles)
        return;
    _titles = std::move(titles);
    auto old = subviews();
    for (const auto& label : old)
        label->removeFromSuperview();
    for (const auto& title : _titles) {
        auto label = std::make_shared<Label>();
        label->setText(title);
        label->setFont(Font::boldSystemFontOfSize(11));
        label->setTextAlignment(TextAlignment::Center);
        label->setTextColor(tintColor());
        addSubview(label);
    }
    setNeedsLayout();
}

void TableSectionIndex::layoutSubviews()
{
    Rect b = bounds();
    double total = kTitleHeight * static_cast<double>(_titles.size());
    double top = std::max(0.0, std::round((b.height() - total) / 2));
    double step = _titles.empty() ? 0 : std::min(kTitleHeight, b.height() / static_cast<double>(_titles.size()));
    const auto& labels = subviews();
    for (size_t i = 0; i < labels.size(); ++i)
        labels[i]->setFrame(makeRect(0, top + step * static_cast<double>(i), b.width(), step));
}

void TableSectionIndex::choose(const TouchSet& touches)
{
    if (touches.empty() || _titles.empty())
        return;
    Point p = touches.front()->locationInView(this);
    const auto& labels = subviews();
    int64_t index = 0;
    for (size_t i = 0; i < labels.size(); ++i)
        if (p.y >= labels[i]->frame().minY())
            index = static_cast<int64_t>(i);
    if (index == _lastChosen)
        return;
    _lastChosen = index;
    if (auto table = std::dynamic_pointer_cast<TableView>(superview()))
        table->scrollToSectionIndexTitle(index);
}

void TableSectionIndex::touchesBegan(const TouchSet& touches, const Event&)
{
    _lastChosen = -1;
    choose(touches);
}

bool TableSectionIndex::gestureRecognizerShouldBegin(GestureRecognizer& recognizer)
{
    return recognizer.view().get() == this;
}

void TableSectionIndex::touchesMoved(const TouchSet& touches, const Event&)
{
    choose(touches);
}

}  // namespace plat::detail
