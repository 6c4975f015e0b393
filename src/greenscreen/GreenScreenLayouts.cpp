#include "greenscreen/GreenScreenLayouts.h"

#include "greenscreen/ChromaKeySensitivityConfigurationViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Slider.h"

namespace zt {

namespace {

// The sensitivity panel, the size of its row (360 x 100): the caption on
// top, then minus, the slider and plus.
std::shared_ptr<plat::View> buildSensitivityPanel(plat::ViewController& owner)
{
    constexpr double kWidth = 360;
    constexpr double kHeight = 100;
    constexpr double kMargin = 12;
    constexpr double kStepButtonSide = 36;
    constexpr double kControlsTop = 44;
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kWidth, kHeight));
    root->setBackgroundColor(plat::Color::clearColor());
    auto label = std::make_shared<plat::Label>(plat::makeRect(kMargin, 10, kWidth - 2 * kMargin, 24));
    label->setTextAlignment(plat::TextAlignment::Center);
    label->setTextColor(plat::Color::blackColor());
    label->setFont(plat::Font::fontWithName("HelveticaNeue-Light", 15));
    auto stepButton = [&](double x, const char* title, const char* accessibility) {
        auto button = plat::Button::buttonWithType(plat::ButtonType::System);
        button->setFrame(plat::makeRect(x, kControlsTop, kStepButtonSide, kStepButtonSide));
        button->setTitle(title, plat::ControlStateNormal);
        button->setAccessibilityLabel(plat::localized(accessibility));
        button->titleLabel()->setFont(plat::Font::boldSystemFontOfSize(24));
        return button;
    };
    auto minus = stepButton(kMargin, "-", "Less Sensitive");
    auto plus = stepButton(kWidth - kMargin - kStepButtonSide, "+", "More Sensitive");
    const double sliderLeft = 2 * kMargin + kStepButtonSide;
    auto slider
        = std::make_shared<plat::Slider>(plat::makeRect(sliderLeft, kControlsTop + 3, kWidth - 2 * sliderLeft, 30));
    slider->setMinimumValue(ChromaKeySensitivityConfigurationViewController::kMinimumTreshold);
    slider->setMaximumValue(ChromaKeySensitivityConfigurationViewController::kMaximumTreshold);
    slider->setContinuous(true);
    slider->setAccessibilityLabel(plat::localized("Sensitivity"));
    for (const auto& view : std::initializer_list<std::shared_ptr<plat::View>> {label, minus, slider, plus})
        root->addSubview(view);
    owner.setOutlet("sliderTimer", slider);
    owner.setOutlet("_infoLabel", label);
    if (auto* panel = dynamic_cast<ChromaKeySensitivityConfigurationViewController*>(&owner)) {
        panel->setSliderTimer(slider);
        panel->setInfoLabel(label);
        slider->addTarget(panel, &ChromaKeySensitivityConfigurationViewController::actionSliderValueChanged,
            plat::ControlEventValueChanged);
        minus->addTarget(
            panel, &ChromaKeySensitivityConfigurationViewController::actionMinus, plat::ControlEventTouchUpInside);
        plus->addTarget(
            panel, &ChromaKeySensitivityConfigurationViewController::actionPlus, plat::ControlEventTouchUpInside);
    }
    return root;
}

}  // namespace

void registerGreenScreenLayouts()
{
    plat::LayoutRegistry::registerLayout(
        ChromaKeySensitivityConfigurationViewController::kLayoutName, buildSensitivityPanel);
}

}  // namespace zt
