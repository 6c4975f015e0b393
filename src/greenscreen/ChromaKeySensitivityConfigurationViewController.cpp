#include "greenscreen/ChromaKeySensitivityConfigurationViewController.h"

#include "greenscreen/ChromaKeyConfigurationDelegate.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"

namespace zt {

ChromaKeySensitivityConfigurationViewController::ChromaKeySensitivityConfigurationViewController()
    : plat::ViewController(kLayoutName)
{
}

void ChromaKeySensitivityConfigurationViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _infoLabel->setText(plat::localized("Sensitivity"));
    _sliderTimer->setMinimumTrackTintColor(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    _sliderTimer->setValue(_currentChromaKeyTreshold);
}

void ChromaKeySensitivityConfigurationViewController::setCurrentChromaKeyTreshold(float value)
{
    _currentChromaKeyTreshold = value;
    view();  // the slider comes with the view
    _sliderTimer->setValue(value);
}

void ChromaKeySensitivityConfigurationViewController::actionSliderValueChanged()
{
    reportSliderValue();
}

void ChromaKeySensitivityConfigurationViewController::actionPlus()
{
    stepSlider(kStep);
}

void ChromaKeySensitivityConfigurationViewController::actionMinus()
{
    stepSlider(-kStep);
}

void ChromaKeySensitivityConfigurationViewController::stepSlider(double step)
{
    // The sum in double precision, kept as the single-precision value the keying takes.
    _sliderTimer->setValue(static_cast<float>(static_cast<double>(static_cast<float>(_sliderTimer->value())) + step));
    reportSliderValue();
}

void ChromaKeySensitivityConfigurationViewController::reportSliderValue()
{
    _currentChromaKeyTreshold = static_cast<float>(_sliderTimer->value());
    if (auto camera = delegate())
        camera->didChangedFilterValue(*this, _currentChromaKeyTreshold);
}

}  // namespace zt
