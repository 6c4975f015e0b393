#include "platform/ui/TableViewController.h"

#include "platform/foundation/Fatal.h"
#include "platform/ui/Screen.h"

namespace plat {

TableViewController::TableViewController(TableViewStyle style)
    : _style(style)
{
}

TableViewController::TableViewController(std::string nibName)
    : ViewController(std::move(nibName))
{
}

void TableViewController::loadView()
{
    if (!nibName().empty()) {
        ViewController::loadView();
        if (auto table = std::dynamic_pointer_cast<TableView>(view()))
            adoptTable(table);
        return;
    }
    auto table = std::make_shared<TableView>(Screen::mainScreen().applicationFrame(), _style);
    table->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
    setView(table);
    adoptTable(table);
}

void TableViewController::adoptTable(const std::shared_ptr<TableView>& table)
{
    _tableView = table;
    auto self = std::static_pointer_cast<TableViewController>(shared_from_this());
    table->setDataSource(std::static_pointer_cast<TableViewDataSource>(self));
    table->setDelegate(std::static_pointer_cast<TableViewDelegate>(self));
}

std::shared_ptr<TableView> TableViewController::tableView()
{
    view();
    return _tableView.lock();
}

void TableViewController::setTableView(std::shared_ptr<TableView> tableView)
{
    if (!tableView)
        return;
    setView(tableView);
    adoptTable(tableView);
}

void TableViewController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    auto table = _tableView.lock();
    if (!table)
        return;
    if (!_loadedData) {
        _loadedData = true;
        table->reloadData();
    } else if (_clearsSelectionOnViewWillAppear) {
        for (const IndexPath& path : table->indexPathsForSelectedRows())
            table->deselectRowAtIndexPath(path, animated);
    }
}

std::shared_ptr<TableViewCell> TableViewController::tableViewCellForRowAtIndexPath(TableView&, IndexPath path)
{
    detail::fatal("{} has rows but makes no cells (row {})", className(), path.description());
}

}  // namespace plat
