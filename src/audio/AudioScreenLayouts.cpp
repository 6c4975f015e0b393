#include "audio/AudioScreenLayouts.h"

#include "platform/foundation/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Slider.h"
#include "platform/ui/ViewController.h"
#include "uikit/QVBarGauge.h"

namespace zt {

namespace {

// Opaque: the toolbar and the picture behind would read as part of the panel.
const plat::Color kPanelColor = plat::Color::colorWithWhite(0.1, 1);
const plat::Color kEditorColor = plat::Color::colorWithWhite(0.15, 1);
constexpr double kMargin = 20;
constexpr double kPanelWidthPhone = 300;
// On a tablet the panel rises over the middle of the editor's toolbar: this
// wide, its edges fall between the toolbar's buttons instead of across one.
constexpr double kPanelWidthTablet = 384;
constexpr double kPanelHeight = 140;
constexpr double kPanelCornerRadius = 10;
constexpr double kButtonHeight = 32;
constexpr double kButtonFontSize = 15;
constexpr double kEditorHeight = 158;
constexpr double kWaveformTop = 12;
constexpr double kWaveformInset = 30;
constexpr double kWaveformHeight = 50;
constexpr double kTrimControlHeight = 75;
constexpr double kRowGap = 12;
constexpr double kPlayButtonWidth = 80;
constexpr double kVolumeLabelWidth = 60;

std::shared_ptr<plat::Button> makeButton(plat::Rect frame, const std::string& title)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setFrame(frame);
    button->setTitle(plat::localized(title), plat::ControlStateNormal);
    button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    button->layer()->setCornerRadius(6);
    button->setBackgroundColor(plat::Color::colorWithWhite(1, 0.12));
    return button;
}

// A dark rounded panel laid over the frame editor.
std::shared_ptr<plat::View> buildRecorderPanel(plat::ViewController& owner)
{
    const double panelWidth = plat::Device::currentDevice().isTablet() ? kPanelWidthTablet : kPanelWidthPhone;
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, panelWidth, kPanelHeight));
    root->setBackgroundColor(kPanelColor);
    root->layer()->setCornerRadius(kPanelCornerRadius);
    const double width = panelWidth - 2 * kMargin;

    auto label = std::make_shared<plat::Label>(plat::makeRect(kMargin, 10, width, 24));
    label->setFont(plat::Font::boldSystemFontOfSize(17));
    label->setTextColor(plat::Color::whiteColor());
    label->setTextAlignment(plat::TextAlignment::Center);
    root->addSubview(label);

    auto meter = std::make_shared<QVBarGauge>(plat::makeRect(kMargin, 42, width, 18));
    meter->setNumBars(20);
    root->addSubview(meter);

    // Marks where the meter reads 0 dB; the person does not move it.
    auto slider = std::make_shared<plat::Slider>(plat::makeRect(kMargin, 64, width, 24));
    slider->setValue(1.0);
    slider->setUserInteractionEnabled(false);
    root->addSubview(slider);

    const double buttonWidth = (width - 10) / 2;
    auto record = makeButton(plat::makeRect(kMargin, 96, buttonWidth, kButtonHeight), "Record");
    // Its title is in the app's tint, which reads only on black (4.8 to 1),
    // and in bold, strokes wide enough to show their colour.
    record->setBackgroundColor(plat::Color::blackColor());
    record->titleLabel()->setFont(plat::Font::boldSystemFontOfSize(kButtonFontSize));
    record->setEnabled(false);  // until the microphone may be used
    root->addSubview(record);
    auto cancel = makeButton(plat::makeRect(kMargin + buttonWidth + 10, 96, buttonWidth, kButtonHeight), "Cancel");
    root->addSubview(cancel);

    owner.setOutlet("labelAudioRecordInfo", label);
    owner.setOutlet("levelMeter", meter);
    owner.setOutlet("sliderAudioRecordLevel", slider);
    owner.setOutlet("btnAudioStartRecord", record);
    owner.setOutlet("btnAudioCancel", cancel);
    return root;
}

// The clip editor fills the panel below its navigation bar: 158 points on a
// phone, 170 on a tablet. The waveform, with the trim control's handles
// reaching 25 points below it, spans the width; under it one row holds
// Play (and Stop while the clip plays) and the volume.
std::shared_ptr<plat::View> buildClipEditor(plat::ViewController& owner)
{
    // As wide as the screen from the start: the waveform is drawn for the
    // width its area has when the editor appears.
    const double width = plat::Screen::mainScreen().bounds().width();
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, width, kEditorHeight));
    root->setBackgroundColor(kEditorColor);
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);

    auto trim = std::make_shared<plat::View>(
        plat::makeRect(kWaveformInset, kWaveformTop, width - 2 * kWaveformInset, kWaveformHeight));
    trim->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    root->addSubview(trim);

    constexpr double kRowTop = kWaveformTop + kTrimControlHeight + kRowGap;
    auto play = makeButton(plat::makeRect(kWaveformInset, kRowTop, kPlayButtonWidth, kButtonHeight), "Play");
    play->setTitle(plat::localized("Playing"), plat::ControlStateSelected);
    root->addSubview(play);
    auto stop = makeButton(
        plat::makeRect(kWaveformInset + kPlayButtonWidth + kRowGap, kRowTop, kPlayButtonWidth, kButtonHeight), "Stop");
    root->addSubview(stop);

    constexpr double kVolumeLeft = kWaveformInset + 2 * (kPlayButtonWidth + kRowGap) + kRowGap;
    auto volumeLabel
        = std::make_shared<plat::Label>(plat::makeRect(kVolumeLeft, kRowTop, kVolumeLabelWidth, kButtonHeight));
    volumeLabel->setText(plat::localized("Volume"));
    volumeLabel->setTextColor(plat::Color::lightGrayColor());
    volumeLabel->setFont(plat::Font::systemFontOfSize(15));
    root->addSubview(volumeLabel);
    constexpr double kSliderLeft = kVolumeLeft + kVolumeLabelWidth + kRowGap;
    auto volume = std::make_shared<plat::Slider>(
        plat::makeRect(kSliderLeft, kRowTop, width - kWaveformInset - kSliderLeft, kButtonHeight));
    volume->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    volume->setMinimumValue(0);
    volume->setMaximumValue(1);
    volume->setAccessibilityLabel(plat::localized("Volume"));
    root->addSubview(volume);

    owner.setOutlet("viewTrimm", trim);
    owner.setOutlet("sliderVolume", volume);
    owner.setOutlet("btnPlay", play);
    owner.setOutlet("btnStop", stop);
    return root;
}

}  // namespace

void registerAudioScreenLayouts()
{
    plat::LayoutRegistry::registerLayout("AudioRecorderViewController", buildRecorderPanel);
    plat::LayoutRegistry::registerLayout("AudioConfigurationViewController", buildClipEditor);
}

}  // namespace zt
