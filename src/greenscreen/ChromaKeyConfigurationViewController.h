#pragma once
#include <memory>

#include "greenscreen/ChromaKeyListViewController.h"

namespace zt {

class BubblePopoverController;
class ChromaKeySensitivityConfigurationViewController;

// The green screen's first screen in its popover: rows to the backdrop and
// key-colour screens, and a row holding the sensitivity panel, which starts
// at currentChromaKeyTreshold (the camera sets it before presenting). Main
// thread.
class ChromaKeyConfigurationViewController : public ChromaKeyListViewController {
public:
    static constexpr double kPopoverWidth = 360;
    static constexpr double kPopoverHeight = 160;
    static constexpr double kSensitivityRowHeight = 100;

    ChromaKeyConfigurationViewController();

    // A new popover with this screen in a navigation controller, reporting
    // to the delegate and starting at the threshold; not yet shown.
    static std::shared_ptr<BubblePopoverController> popoverWithConfiguration(
        std::weak_ptr<ChromaKeyConfigurationDelegate> delegate, float currentChromaKeyTreshold);

    float currentChromaKeyTreshold() const { return _currentChromaKeyTreshold; }
    void setCurrentChromaKeyTreshold(float value) { _currentChromaKeyTreshold = value; }
    // Made when the view loads.
    const std::shared_ptr<ChromaKeySensitivityConfigurationViewController>& sensitivityController() const
    {
        return _sensitivityController;
    }

    void viewDidLoad() override;

protected:
    void didSelectRow(int64_t row) override;
    void didFillCell(plat::TableViewCell& cell, int64_t row) override;

private:
    float _currentChromaKeyTreshold = 0;
    std::shared_ptr<ChromaKeySensitivityConfigurationViewController> _sensitivityController;
};

}  // namespace zt
