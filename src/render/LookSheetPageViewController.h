#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/TableViewController.h"

namespace plat {
class Button;
}

namespace zt {

// A page of the movie look sheet (the settings list or the outline): the
// shared title bar that switches between the two, the button that raises
// the sheet to full height and lowers it again, Done, and the section
// headers. The sheet is the page's navigation controller's view, placed by
// the frame editor. Main thread.
class LookSheetPageViewController : public plat::TableViewController {
public:
    enum class Page { Theme, Outline };

    static constexpr double kTitleBarWidth = 320;
    static constexpr double kTitleBarHeight = 35;
    static constexpr double kSizeAnimationSeconds = 0.25;
    static constexpr double kLoweredTopPhone = 150;
    static constexpr double kLoweredTopTablet = 476;
    static constexpr double kRaisedHeightTablet = 768;
    static constexpr double kSectionHeaderHeight = 40;

    LookSheetPageViewController(std::string nibName, Page page);

    // The size button shows where the sheet stands as it comes on screen.
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    // The sheet may be placed (or moved by its editor) after it appeared.
    void viewDidLayoutSubviews() override;

    // Switches to the other page.
    virtual void actionUpload() = 0;
    // Raises the sheet to full height, or lowers it when it is raised.
    void actionChangeSize();
    // Asks the frame editor to close the sheet.
    virtual void actionDone();

    // The sheet stands raised when its top is at 0.
    bool isPanelRaised();
    const std::shared_ptr<plat::Button>& themeButton() const { return _themeButton; }
    const std::shared_ptr<plat::Button>& outlineButton() const { return _outlineButton; }

    // The sheet turns with its editor, to every orientation.
    unsigned supportedInterfaceOrientations() const override;

    std::optional<double> tableViewHeightForHeaderInSection(plat::TableView&, int64_t) override
    {
        return kSectionHeaderHeight;
    }

protected:
    // Title bar, size button and Done; for viewDidLoad.
    void setUpSheetBar();
    // The left bar button: the close picture while raised, open while lowered.
    void rebuildSizeButton();
    std::shared_ptr<plat::View> makeSectionHeader(const std::string& title);
    // After a size change has finished.
    virtual void panelDidChangeSize() { }

private:
    Page _page;
    std::optional<bool> _sizeButtonShowsRaised;
    std::shared_ptr<plat::Button> _themeButton;
    std::shared_ptr<plat::Button> _outlineButton;
};

}  // namespace zt
