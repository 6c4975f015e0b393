#include "editor/FrameEditorHelp.h"

#include <algorithm>
#include <cmath>

#include "editor/HelpBubbleArrangement.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "uikit/TipPopoverArrow.h"
#include "uikit/TipPopoverBackgroundHelper.h"
#include "uikit/TipPopoverView.h"

namespace zt {

namespace {

constexpr const char* kMoreImageName = "frameedit_help_more.png";
constexpr const char* kTextFontName = "HelveticaNeue-Light";

std::shared_ptr<plat::Label> makeBubbleLabel(const std::string& text, plat::Rect frame, const plat::Font& font)
{
    auto label = std::make_shared<plat::Label>(frame);
    label->setText(text);
    label->setFont(font);
    label->setTextColor(plat::Color::whiteColor());
    label->setBackgroundColor(plat::Color::clearColor());
    label->setNumberOfLines(0);
    return label;
}

}  // namespace

plat::Color FrameEditorHelp::defaultBubbleColor()
{
    return plat::Color::colorWithHue(0.75, 0.6f, 0.7f, 1);
}

FrameEditorHelp::FrameEditorHelp() = default;

FrameEditorHelp::~FrameEditorHelp() = default;

void FrameEditorHelp::addHelp(const std::string& text, plat::Rect rect, uint64_t arrowDirection,
    std::optional<plat::Color> color, std::function<void()> block)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _helpItems.push_back({text, rect, arrowDirection, std::move(color), std::move(block)});
}

void FrameEditorHelp::addHelp(const std::string& text, plat::Rect rect, uint64_t arrowDirection)
{
    addHelp(text, rect, arrowDirection, std::nullopt, nullptr);
}

void FrameEditorHelp::addHelp(const std::string& text, plat::Rect rect)
{
    addHelp(text, rect, 0);
}

void FrameEditorHelp::replaceHelpAtRect(plat::Rect rect, const std::string& text)
{
    for (auto& item : _helpItems) {
        if (item.rect == rect) {
            item.text = text;
            return;
        }
    }
}

double FrameEditorHelp::bubbleWidth() const
{
    return plat::Device::currentDevice().isTablet() ? kBubbleWidthTablet : kBubbleWidthPhone;
}

unsigned FrameEditorHelp::arrowDirectionFor(const FrameEditorHelpItem& item) const
{
    if (item.arrowDirection != 0)
        return static_cast<unsigned>(item.arrowDirection);
    const plat::Rect area = _helpView->frame();
    unsigned direction
        = item.rect.minX() > area.width() / 2 ? TipPopoverArrowDirectionRight : TipPopoverArrowDirectionLeft;
    if (item.rect.minY() > area.height() / 2)
        direction = TipPopoverArrowDirectionDown;
    return direction;
}

std::shared_ptr<TipPopoverView> FrameEditorHelp::makeBubble(size_t index)
{
    const FrameEditorHelpItem& item = _helpItems[index];
    auto bubble = std::make_shared<TipPopoverView>();
    const auto& content = bubble->contentView();
    const bool leadsOn = static_cast<bool>(item.block);
    const plat::Font font = plat::Font::fontWithName(kTextFontName, kFontSize);
    // The whole text, never cut short: the bubble is as tall as its lines,
    // so that bubbles of one line leave room between the controls they stand
    // beside, and a long text widens its bubble rather than stand in a narrow
    // column of many lines.
    const double markWidth = leadsOn ? kMoreImageWidth + kMarkGap : 0;
    const double oneLine = plat::sizeWithFont(item.text, font).width;
    double contentWidth = leadsOn || oneLine > kLongTextFactor * bubbleWidth() ? bubbleWidth() : oneLine;
    auto wrappedHeight = [&] {
        return plat::sizeWithFont(
            item.text, font, {contentWidth - markWidth, kUnlimitedTextHeight}, plat::LineBreakMode::WordWrapping)
            .height;
    };
    // Half a line spare: wrapped lines stand a little further apart than the font says.
    const double mostHeight = (kMostLines + 0.5) * font.lineHeight();
    while (wrappedHeight() > mostHeight && contentWidth < kWidestText)
        contentWidth = std::min(contentWidth + kWideningStep, kWidestText);
    const double height = std::ceil(wrappedHeight()) + 2 * kTextMargin;

    if (leadsOn) {
        auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
        button->setFrame(plat::makeRect(0, 0, contentWidth, height));
        button->setTag(static_cast<int64_t>(index));
        button->addTarget(this, &FrameEditorHelp::actionHelpBtn, plat::ControlEventTouchUpInside);
        content->addSubview(button);
        auto more = std::make_shared<plat::ImageView>(plat::Image::imageNamed(kMoreImageName));
        const plat::Size moreSize = more->frame().size;
        more->setFrame({{contentWidth - kMoreImageWidth, (height - moreSize.height) / 2}, moreSize});
        content->addSubview(more);
    }
    // The label starts inset: its last letters end the mark's gap before the mark.
    content->addSubview(
        makeBubbleLabel(item.text, plat::makeRect(kLabelInset, 0, contentWidth - markWidth, height), font));
    bubble->setContentSize({contentWidth + 2 * kLabelInset, height});
    return bubble;
}

void FrameEditorHelp::showHelpInView(const std::shared_ptr<plat::View>& view)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!view) {
        plat::log("help overlay: no view to show it in");
        return;
    }
    if (_isShown) {
        // A second close button would outlive dismissHelp and swallow every tap.
        plat::log("help overlay: shown already");
        return;
    }
    _isShown = true;
    _helpView = view;
    _popovers.clear();
    _closeButton = plat::Button::buttonWithType(plat::ButtonType::Custom);
    // Over the whole view, in its own coordinates.
    _closeButton->setFrame(view->bounds());
    _closeButton->addTarget(this, &FrameEditorHelp::actionClose, plat::ControlEventTouchUpInside);
    view->addSubview(_closeButton);

    // Each bubble next to what it explains, clear of the screen's texts and
    // of the bubbles placed before it: first those that stand where they
    // are told (no arrow), then the others in order.
    std::vector<std::shared_ptr<TipPopoverView>> bubbles;
    std::vector<HelpBubbleArrangement::Choice> choices(_helpItems.size());
    for (size_t index = 0; index < _helpItems.size(); ++index)
        bubbles.push_back(makeBubble(index));
    HelpBubbleArrangement arrangement(*view);
    for (const bool fixed : {true, false}) {
        for (size_t index = 0; index < _helpItems.size(); ++index) {
            const unsigned direction = arrowDirectionFor(_helpItems[index]);
            const bool hasArrow = direction == TipPopoverArrowDirectionUp || direction == TipPopoverArrowDirectionDown
                || direction == TipPopoverArrowDirectionLeft || direction == TipPopoverArrowDirectionRight;
            if (hasArrow != fixed)
                choices[index] = arrangement.place(*bubbles[index], _helpItems[index].rect, direction);
        }
    }
    for (size_t index = 0; index < _helpItems.size(); ++index) {
        const auto& bubble = bubbles[index];
        const HelpBubbleArrangement::Choice& choice = choices[index];
        bubble->backgroundHelper()->setFillColor(_helpItems[index].color.value_or(defaultBubbleColor()));
        bubble->arrow()->setOffset(choice.arrowOffset);
        bubble->presentFromRect(choice.spot, view, choice.direction, /*animated=*/true);
        _popovers.push_back(bubble);
    }
}

std::optional<size_t> FrameEditorHelp::indexOfButton(const plat::Button& button) const
{
    if (!_isShown || button.tag() < 0)
        return std::nullopt;
    const auto index = static_cast<size_t>(button.tag());
    if (index >= _helpItems.size() || index >= _popovers.size())
        return std::nullopt;
    return index;
}

void FrameEditorHelp::actionHelpBtn(plat::Button& button)
{
    auto index = indexOfButton(button);
    if (!index)
        return;
    if (auto block = _helpItems[*index].block) {
        auto self = sharedAs<FrameEditorHelp>();
        block();
    }
}

void FrameEditorHelp::actionClose(plat::Control&)
{
    plat::NotificationCenter::defaultCenter().post(FrameEditorHelpCloseNotification, this);
}

void FrameEditorHelp::dismissHelp()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_closeButton)
        _closeButton->removeFromSuperview();
    _isShown = false;
    for (const auto& bubble : _popovers) {
        // Fading out, a bubble takes no more taps.
        bubble->setUserInteractionEnabled(false);
        bubble->dismissPopoverAnimated(/*animated=*/true);
    }
}

}  // namespace zt
