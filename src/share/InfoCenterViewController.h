#pragma once
#include <memory>
#include <string>

#include "platform/ui/ViewController.h"

namespace plat {
class Label;
}

namespace zt {
class InfoCenterViewController;

class InfoCenterDelegate {
public:
    virtual ~InfoCenterDelegate() = default;
    // The info centre is done; its presenter closes it.
    virtual void infoCenterDidFinish(InfoCenterViewController& infoCenter) = 0;
};

// The info centre: the app's name and version, the way to the help pages,
// and Done, which tells the delegate. Its views come from its layout
// ("InfoCenterViewController"), which binds the buttons to actionHelp and
// actionDone. Main thread.
class InfoCenterViewController : public plat::ViewController {
public:
    explicit InfoCenterViewController(std::string nibName);  // initWithNibName:bundle:

    void setDelegate(std::weak_ptr<InfoCenterDelegate> delegate) { _delegate = std::move(delegate); }
    void setLabelVersion(std::shared_ptr<plat::Label> label) { _labelVersion = std::move(label); }

    void viewDidLoad() override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    // Presents the help pages in a navigation controller (a form sheet on a tablet).
    void actionHelp();
    void actionDone();

private:
    std::weak_ptr<InfoCenterDelegate> _delegate;
    std::shared_ptr<plat::Label> _labelVersion;
};

}  // namespace zt
