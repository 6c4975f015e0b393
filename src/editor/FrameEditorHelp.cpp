#include "editor/FrameEditorHelp.h"

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
constexpr const char* kShortTextFontName = "HelveticaNeue-Light";

std::shared_ptr<plat::Label> makeBubbleLabel(
    const std::string& text, plat::Rect frame, const plat::Font& font, int numberOfLines)
{
    auto label = std::make_shared<plat::Label>(frame);
    label->setText(text);
    label->setFont(font);
    label->setTextColor(plat::Color::whiteColor());
    label->setBackgroundColor(plat::Color::clearColor());
    label->setNumberOfLines(numberOfLines);
    return label;
}

plat::Font bubbleSystemFont()
{
    return plat::Font::systemFontOfSize(FrameEditorHelp::kFontSize);
}

}  // namespace

plat::Color FrameEditorHelp::defaultBubbleColor()
{
    return plat::Color::colorWithHue(0.75, 0.6f, 0.7f, 0.85f);
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

std::shared_ptr<TipPopoverView> FrameEditorHelp::makeShortBubble(size_t index, ShortBubbleUse use)
{
    const FrameEditorHelpItem& item = _helpItems[index];
    auto bubble = std::make_shared<TipPopoverView>();
    const auto& content = bubble->contentView();
    const double width = bubbleWidth();
    const double textWidth = plat::sizeWithFont(item.text, bubbleSystemFont()).width;
    double contentWidth = textWidth;
    double rightInset = 0;
    if (textWidth > kLongTextFactor * width || item.block) {
        auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
        button->setFrame(plat::makeRect(0, 0, width, kBubbleHeight));
        button->setTag(static_cast<int64_t>(index));
        button->addTarget(this, &FrameEditorHelp::actionHelpBtn, plat::ControlEventTouchUpInside);
        content->addSubview(button);
        auto more = std::make_shared<plat::ImageView>(plat::Image::imageNamed(kMoreImageName));
        more->setFrame({{width - kMoreImageWidth, 0}, more->frame().size});
        content->addSubview(more);
        contentWidth = width;
        rightInset = kMoreImageWidth;
    }
    const plat::Font font = use == ShortBubbleUse::FirstShowing
        ? plat::Font::fontWithName(kShortTextFontName, kFontSize)
        : bubbleSystemFont();
    content->addSubview(makeBubbleLabel(
        item.text, plat::makeRect(kLabelInset, 0, contentWidth - rightInset, kBubbleHeight), font, kShortLines));
    if (use == ShortBubbleUse::AfterExtended) {
        // Once opened, a bubble can always be opened again.
        auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
        button->setFrame(plat::makeRect(0, 0, contentWidth, kBubbleHeight));
        button->setTag(static_cast<int64_t>(index));
        button->addTarget(this, &FrameEditorHelp::actionHelpBtn, plat::ControlEventTouchUpInside);
        content->addSubview(button);
    }
    bubble->setContentSize({contentWidth + 2 * kLabelInset, kBubbleHeight});
    return bubble;
}

std::shared_ptr<TipPopoverView> FrameEditorHelp::makeExtendedBubble(size_t index)
{
    const FrameEditorHelpItem& item = _helpItems[index];
    auto bubble = std::make_shared<TipPopoverView>();
    const auto& content = bubble->contentView();
    const plat::Size text
        = plat::sizeWithFont(item.text, bubbleSystemFont(), kExtendedTextLimit, plat::LineBreakMode::WordWrapping);
    content->addSubview(makeBubbleLabel(item.text, plat::makeRect(kLabelInset, kLabelInset, text.width, text.height),
        bubbleSystemFont(), kExtendedLines));
    auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
    button->setFrame(plat::makeRect(0, 0, text.width, text.height));
    button->setTag(static_cast<int64_t>(index));
    button->addTarget(this, &FrameEditorHelp::actionCloseExtendedHelp, plat::ControlEventTouchUpInside);
    content->addSubview(button);
    bubble->setContentSize({text.width + 2 * kLabelInset, text.height + 2 * kLabelInset});
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

    for (size_t index = 0; index < _helpItems.size(); ++index) {
        const FrameEditorHelpItem& item = _helpItems[index];
        auto bubble = makeShortBubble(index, ShortBubbleUse::FirstShowing);
        bubble->backgroundHelper()->setFillColor(item.color.value_or(defaultBubbleColor()));
        bubble->presentFromRect(item.rect, view, arrowDirectionFor(item), /*animated=*/true);
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

void FrameEditorHelp::replaceBubble(size_t index, const std::shared_ptr<TipPopoverView>& bubble)
{
    const std::shared_ptr<TipPopoverView> shown = _popovers[index];
    bubble->backgroundHelper()->setFillColor(shown->backgroundHelper()->fillColor());
    bubble->presentFromRect(_helpItems[index].rect, _helpView, shown->arrow()->direction(), /*animated=*/true);
    shown->dismissPopoverAnimated(/*animated=*/false);
    _popovers[index] = bubble;
}

void FrameEditorHelp::actionHelpBtn(plat::Button& button)
{
    auto index = indexOfButton(button);
    if (!index)
        return;
    if (auto block = _helpItems[*index].block) {
        auto self = sharedAs<FrameEditorHelp>();
        block();
        return;
    }
    replaceBubble(*index, makeExtendedBubble(*index));
}

void FrameEditorHelp::actionCloseExtendedHelp(plat::Button& button)
{
    auto index = indexOfButton(button);
    if (!index)
        return;
    replaceBubble(*index, makeShortBubble(*index, ShortBubbleUse::AfterExtended));
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
