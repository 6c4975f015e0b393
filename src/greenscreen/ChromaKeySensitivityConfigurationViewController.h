#pragma once
#include <memory>
#include <string>

#include "platform/ui/ViewController.h"

namespace plat {
class Label;
class Slider;
}  // namespace plat

namespace zt {

class ChromaKeyConfigurationDelegate;

// The keying's sensitivity in a row of the green screen's first screen: a
// caption, a slider and minus and plus buttons from its layout. Each change
// reaches the delegate at once. Main thread.
class ChromaKeySensitivityConfigurationViewController : public plat::ViewController {
public:
    static constexpr const char* kLayoutName = "ChromaKeySensitivityConfigurationViewController";
    static constexpr double kStep = 0.1;
    // The slider covers the keying's useful thresholds (its default is 0.4).
    static constexpr double kMinimumTreshold = 0.0;
    static constexpr double kMaximumTreshold = 1.0;

    ChromaKeySensitivityConfigurationViewController();

    std::shared_ptr<ChromaKeyConfigurationDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<ChromaKeyConfigurationDelegate> delegate) { _delegate = std::move(delegate); }
    float currentChromaKeyTreshold() const { return _currentChromaKeyTreshold; }
    // Stores the value and moves the slider to it.
    void setCurrentChromaKeyTreshold(float value);

    void viewDidLoad() override;

    void actionSliderValueChanged();
    void actionPlus();
    void actionMinus();

    // Outlets the layout connects.
    const std::shared_ptr<plat::Slider>& sliderTimer() const { return _sliderTimer; }
    void setSliderTimer(std::shared_ptr<plat::Slider> slider) { _sliderTimer = std::move(slider); }
    const std::shared_ptr<plat::Label>& infoLabel() const { return _infoLabel; }
    void setInfoLabel(std::shared_ptr<plat::Label> label) { _infoLabel = std::move(label); }

private:
    // Moves the slider by step (its range holds it in) and reports where it is.
    void stepSlider(double step);
    void reportSliderValue();

    std::weak_ptr<ChromaKeyConfigurationDelegate> _delegate;
    float _currentChromaKeyTreshold = 0;
    std::shared_ptr<plat::Slider> _sliderTimer;
    std::shared_ptr<plat::Label> _infoLabel;
};

}  // namespace zt
