#pragma once
#include <memory>
#include <vector>

#include "greenscreen/BackgroundItem.h"
#include "platform/ui/TableViewController.h"

namespace plat {
class Button;
}

namespace zt {

class ChromaKeyConfigurationDelegate;

// The theme pictures as a grid of buttons, three to a row; a tapped picture
// goes to the camera at once and the screen stays. Main thread.
class ChromaKeyThemeBackgroundConfigurationViewController : public plat::TableViewController {
public:
    static constexpr const char* kCellIdentifier = "CellThemeCardView";
    static constexpr double kRowHeight = 100;
    static constexpr int64_t kFirstButtonTag = 100;
    static constexpr int64_t kPicturesPerRow = 3;

    ChromaKeyThemeBackgroundConfigurationViewController();

    std::shared_ptr<ChromaKeyConfigurationDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<ChromaKeyConfigurationDelegate> delegate) { _delegate = std::move(delegate); }
    const std::vector<BackgroundItem>& items() const { return _items; }

    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView& tableView, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath) override
    {
        return kRowHeight;
    }
    bool tableViewShouldHighlightRowAtIndexPath(plat::TableView&, plat::IndexPath) override { return false; }

    // A picture's button: sends the item at 3 x row + column.
    void actionCard(plat::Button& sender);

private:
    std::shared_ptr<plat::TableViewCell> makeCell();

    std::vector<BackgroundItem> _items;
    std::weak_ptr<ChromaKeyConfigurationDelegate> _delegate;
};

}  // namespace zt
