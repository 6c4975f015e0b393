// Layouts of the small panels: the hold panel, the playback options' cell
// and the frame-rate panel.
#include <algorithm>

#include "editor/ConfigurationCell.h"
#include "editor/ConfigurationViewController.h"
#include "editor/DuplicateFramesView.h"
#include "editor/SpeedViewController.h"
#include "editor/StripLayouts.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "uikit/AppTint.h"

namespace zt {

namespace {

// Hold counts the slider offers; a longer hold widens it when the panel opens.
constexpr double kHoldMinimum = 1;
constexpr double kHoldMaximum = 24;
// Frames per second the speed slider offers.
constexpr double kSpeedMinimum = 1;
constexpr double kSpeedMaximum = 30;
// The options' popover is 200 points high and shows the first 68 of the
// frame-rate row's 74.
constexpr double kSpeedVisibleHeight = 68;
constexpr double kSpeedBottomMargin = 3;
constexpr double kSpeedStepSide = 30;
// In line with the titles and the switches of the rows above.
constexpr double kSpeedSideMargin = 15;
constexpr double kHoldStepSide = 26;
constexpr double kStepTitleSize = 18;
constexpr double kStepBorderWidth = 1.5;
// Between a step button and the slider: the slider's filled track starts there.
constexpr double kStepGap = 14;
constexpr const char* kMinusSign = "\u2212";
constexpr double kMargin = 8;
constexpr double kTextSize = 13;
constexpr double kCellWidth = 320;
// The panels show in the kit's light bubble.
const plat::Color kTextColor = plat::Color::colorWithWhite(0.1, 1);
const plat::Color kDetailColor = plat::Color::colorWithWhite(0.35, 1);

// A round button with a minus or a plus of one size: a bare hyphen beside
// the slider's filled track read as a second minus.
std::shared_ptr<plat::Button> makeStepButton(const std::string& title, plat::Rect frame, const std::string& name)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setTitle(title, plat::ControlStateNormal);
    button->titleLabel()->setFont(plat::Font::boldSystemFontOfSize(kStepTitleSize));
    button->setFrame(frame);
    button->layer()->setCornerRadius(std::min(frame.width(), frame.height()) / 2);
    button->layer()->setBorderWidth(kStepBorderWidth);
    button->setTintColor(appTintColor());
    button->layer()->setBorderColor(appTintColor());
    button->setAccessibilityLabel(plat::localized(name));
    return button;
}

std::shared_ptr<plat::Label> makeLabel(plat::Rect frame, const plat::Color& color)
{
    auto label = std::make_shared<plat::Label>(frame);
    label->setFont(plat::Font::systemFontOfSize(kTextSize));
    label->setTextColor(color);
    label->setBackgroundColor(plat::Color::clearColor());
    return label;
}

std::shared_ptr<plat::View> buildHoldPanel(plat::ViewController& owner)
{
    const plat::Size size = DuplicateFramesView::kPopoverSize;
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, size.width, size.height));
    root->setBackgroundColor(plat::Color::clearColor());
    DuplicateFramesView::Outlets outlets;
    outlets.infoLabel
        = makeLabel(plat::makeRect(kMargin, 2, size.width - 2 * kMargin, 18), plat::Color::darkGrayColor());
    outlets.infoLabel->setTextAlignment(plat::TextAlignment::Center);
    root->addSubview(outlets.infoLabel);
    // Two step buttons with the slider between them, clear of both.
    auto minus = makeStepButton(kMinusSign, plat::makeRect(kMargin, 20, kHoldStepSide, kHoldStepSide), "Fewer");
    root->addSubview(minus);
    const double sliderLeft = kMargin + kHoldStepSide + kStepGap;
    outlets.sliderTimer
        = std::make_shared<plat::Slider>(plat::makeRect(sliderLeft, 20, size.width - 2 * sliderLeft, kHoldStepSide));
    outlets.sliderTimer->setMinimumValue(kHoldMinimum);
    outlets.sliderTimer->setMaximumValue(kHoldMaximum);
    root->addSubview(outlets.sliderTimer);
    auto plus = makeStepButton(
        "+", plat::makeRect(size.width - kMargin - kHoldStepSide, 20, kHoldStepSide, kHoldStepSide), "More");
    root->addSubview(plus);
    outlets.btnDublicate = plat::Button::buttonWithType(plat::ButtonType::System);
    outlets.btnDublicate->setFrame(plat::makeRect(kMargin, 46, size.width - 2 * kMargin, 22));
    // Its title is text on the light bubble: the shade of the tint that reads there.
    outlets.btnDublicate->setTintColor(appTintForTextOnLightColor());
    root->addSubview(outlets.btnDublicate);

    owner.setOutlet("sliderTimer", outlets.sliderTimer);
    owner.setOutlet("_infoLabel", outlets.infoLabel);
    owner.setOutlet("btnDublicate", outlets.btnDublicate);
    if (auto* panel = dynamic_cast<DuplicateFramesView*>(&owner)) {
        outlets.sliderTimer->addTarget(
            panel, &DuplicateFramesView::actionSliderValueChanged, plat::ControlEventValueChanged);
        minus->addTarget(panel, &DuplicateFramesView::actionMinus, plat::ControlEventTouchUpInside);
        plus->addTarget(panel, &DuplicateFramesView::actionPlus, plat::ControlEventTouchUpInside);
        outlets.btnMinus = minus;
        outlets.btnPlus = plus;
        outlets.btnDublicate->addTarget(panel, &DuplicateFramesView::actionDuplicate, plat::ControlEventTouchUpInside);
        panel->setOutlets(std::move(outlets));
    }
    return root;
}

std::shared_ptr<plat::View> buildConfigurationCell(plat::ViewController& owner)
{
    auto cell = std::make_shared<ConfigurationCell>(
        plat::makeRect(0, 0, kCellWidth, ConfigurationViewController::kSwitchRowHeight));
    cell->setReuseIdentifier(ConfigurationCell::kReuseIdentifier);
    const double height = ConfigurationViewController::kSwitchRowHeight;
    const plat::Size switchSize = plat::Switch::kSize;
    auto title = makeLabel(plat::makeRect(15, 4, kCellWidth - switchSize.width - 40, 22), kTextColor);
    auto description = makeLabel(plat::makeRect(15, 24, kCellWidth - switchSize.width - 40, 16), kDetailColor);
    auto toggle = std::make_shared<plat::Switch>(plat::makeRect(
        kCellWidth - switchSize.width - 15, (height - switchSize.height) / 2, switchSize.width, switchSize.height));
    toggle->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin);
    title->setFrame(plat::makeRect(15, 0, kCellWidth - switchSize.width - 40, height));
    cell->contentView()->addSubview(title);
    cell->contentView()->addSubview(description);
    cell->contentView()->addSubview(toggle);
    if (auto* options = dynamic_cast<ConfigurationViewController*>(&owner))
        toggle->addTarget(options, &ConfigurationViewController::actionSwitchChanged, plat::ControlEventValueChanged);
    cell->setOutlets(title, description, toggle);
    return cell;
}

std::shared_ptr<plat::View> buildSpeedPanel(plat::ViewController& owner)
{
    auto root
        = std::make_shared<plat::View>(plat::makeRect(0, 0, kCellWidth, ConfigurationViewController::kSpeedRowHeight));
    root->setBackgroundColor(plat::Color::clearColor());
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    SpeedViewController::Outlets outlets;
    outlets.labelTitle = makeLabel(plat::makeRect(15, 1, kCellWidth - 30, 17), kTextColor);
    outlets.labelTitle->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    root->addSubview(outlets.labelTitle);
    outlets.labelValue = makeLabel(plat::makeRect(15, 18, kCellWidth - 30, 16), kDetailColor);
    outlets.labelValue->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    root->addSubview(outlets.labelValue);
    // The row is taller than what the popover shows of it: the step row ends
    // above the popover's bottom edge.
    const double stepTop = kSpeedVisibleHeight - kSpeedBottomMargin - kSpeedStepSide;
    auto minus = makeStepButton(
        kMinusSign, plat::makeRect(kSpeedSideMargin, stepTop, kSpeedStepSide, kSpeedStepSide), "Slower");
    root->addSubview(minus);
    const double sliderLeft = kSpeedSideMargin + kSpeedStepSide + kStepGap;
    outlets.sliderSpeed = std::make_shared<plat::Slider>(
        plat::makeRect(sliderLeft, stepTop, kCellWidth - 2 * sliderLeft, kSpeedStepSide));
    outlets.sliderSpeed->setMinimumValue(kSpeedMinimum);
    outlets.sliderSpeed->setMaximumValue(kSpeedMaximum);
    outlets.sliderSpeed->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    root->addSubview(outlets.sliderSpeed);
    auto plus = makeStepButton("+",
        plat::makeRect(kCellWidth - kSpeedSideMargin - kSpeedStepSide, stepTop, kSpeedStepSide, kSpeedStepSide),
        "Faster");
    plus->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin);
    root->addSubview(plus);

    owner.setOutlet("labelTitle", outlets.labelTitle);
    owner.setOutlet("labelValue", outlets.labelValue);
    owner.setOutlet("sliderSpeed", outlets.sliderSpeed);
    if (auto* speed = dynamic_cast<SpeedViewController*>(&owner)) {
        outlets.sliderSpeed->addTarget(speed, &SpeedViewController::actionValueChanged, plat::ControlEventValueChanged);
        minus->addTarget(speed, &SpeedViewController::actionMinus, plat::ControlEventTouchUpInside);
        plus->addTarget(speed, &SpeedViewController::actionPlus, plat::ControlEventTouchUpInside);
        speed->setOutlets(std::move(outlets));
    }
    return root;
}

}  // namespace

namespace detail {

void registerPlaybackOptionLayouts()
{
    plat::LayoutRegistry::registerLayout("DuplicateFramesView", buildHoldPanel);
    plat::LayoutRegistry::registerLayout("ConfigurationCell", buildConfigurationCell);
    plat::LayoutRegistry::registerLayout("SpeedViewController", buildSpeedPanel);
}

}  // namespace detail

}  // namespace zt
