#pragma once
#include <memory>
#include <string>

#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

namespace plat {

// The platform's table view controller: its view is a table (made in the
// style given, or the root of its layout) whose data source and delegate
// it is; subclasses answer the table's questions. The table loads its data
// when the controller first appears, and a selected row is deselected
// (animated) each time it appears again unless told otherwise.
class TableViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    explicit TableViewController(TableViewStyle style = TableViewStyle::Plain);
    // initWithNibName:bundle: the layout's root view is the table.
    explicit TableViewController(std::string nibName);

    // Loads the view.
    std::shared_ptr<TableView> tableView();
    void setTableView(std::shared_ptr<TableView> tableView);
    bool clearsSelectionOnViewWillAppear() const { return _clearsSelectionOnViewWillAppear; }
    void setClearsSelectionOnViewWillAppear(bool clears) { _clearsSelectionOnViewWillAppear = clears; }

    void loadView() override;
    void viewWillAppear(bool animated) override;

    // An empty table until a subclass says otherwise.
    int64_t tableViewNumberOfRowsInSection(TableView&, int64_t) override { return 0; }
    std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& tableView, IndexPath path) override;

private:
    void adoptTable(const std::shared_ptr<TableView>& table);

    TableViewStyle _style = TableViewStyle::Plain;
    std::weak_ptr<TableView> _tableView;
    bool _clearsSelectionOnViewWillAppear = true;
    bool _loadedData = false;
};

}  // namespace plat
