#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/TableViewCell.h"
#include "platform/ui/TableViewController.h"

namespace zt {

class ChromaKeyConfigurationDelegate;

// One row of a green-screen list screen. An empty icon shows none; a row
// that is not selectable shows no highlight and reports nothing.
struct ChromaKeyRow {
    std::string text;  // the English text, shown localized
    std::string icon;  // a resource shown in the tint colour
    plat::TableViewCellAccessoryType accessory = plat::TableViewCellAccessoryType::None;
    double height = 44;
    bool selectable = true;
};

// The look the green screen's list screens share: one section, a clear
// table with black separators that does not scroll, cells of the default
// style ("Cell") in black "HelveticaNeue-Light" 15 on clear, tinted row
// icons, every interface orientation. Subclasses give the title and rows
// and act on a selection. Main thread.
class ChromaKeyListViewController : public plat::TableViewController {
public:
    static constexpr const char* kCellIdentifier = "Cell";
    static constexpr double kFontSize = 15;

    std::shared_ptr<ChromaKeyConfigurationDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<ChromaKeyConfigurationDelegate> delegate) { _delegate = std::move(delegate); }
    const std::vector<ChromaKeyRow>& rows() const { return _rows; }

    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation) const override { return true; }
    int64_t tableViewNumberOfRowsInSection(plat::TableView& tableView, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;
    bool tableViewShouldHighlightRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;
    void tableViewDidSelectRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;

protected:
    ChromaKeyListViewController(std::string englishTitle, std::vector<ChromaKeyRow> rows);
    // A selectable row was chosen.
    virtual void didSelectRow(int64_t row) = 0;
    // After a row's cell is filled, for rows that show more.
    virtual void didFillCell(plat::TableViewCell& cell, int64_t row)
    {
        (void)cell;
        (void)row;
    }
    // Pushes a screen onto this screen's navigation controller, animated.
    void pushScreen(std::shared_ptr<plat::ViewController> screen);

private:
    std::string _englishTitle;
    std::vector<ChromaKeyRow> _rows;
    std::weak_ptr<ChromaKeyConfigurationDelegate> _delegate;
};

}  // namespace zt
