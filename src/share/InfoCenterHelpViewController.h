#pragma once
#include <memory>
#include <string>

#include "platform/ui/ViewController.h"

namespace plat {
class TextView;
}

namespace zt {

// One help page, by identifier ("plovix-remotecamera"), from the bundle's
// "HelpPages" property list ({identifier: {"Title", "Text"}}); without a
// subpage, or for one the list lacks, the general page "plovix-help". Its
// presenter puts it in a navigation controller; its Done button closes it.
// Main thread.
class InfoCenterHelpViewController : public plat::ViewController {
public:
    static constexpr const char* kGeneralPage = "plovix-help";

    explicit InfoCenterHelpViewController(std::string nibName);  // initWithNibName:bundle:

    const std::string& subpage() const { return _subpage; }
    // Chooses the page before the view loads.
    void setSubpage(std::string subpage) { _subpage = std::move(subpage); }
    // The page shown (after the view loaded).
    const std::string& shownPage() const { return _shownPage; }
    void setTextViewPage(std::shared_ptr<plat::TextView> view) { _textViewPage = std::move(view); }

    void viewDidLoad() override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    // Closes the viewer (the navigation controller it was presented in).
    void actionDone();

private:
    std::string _subpage;
    std::string _shownPage;
    std::shared_ptr<plat::TextView> _textViewPage;
};

}  // namespace zt
