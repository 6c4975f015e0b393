#include "greenscreen/ChromaKeyListViewController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableView.h"
#include "uikit/UIImageResize.h"

namespace zt {

ChromaKeyListViewController::ChromaKeyListViewController(std::string englishTitle, std::vector<ChromaKeyRow> rows)
    : plat::TableViewController(plat::TableViewStyle::Plain)
    , _englishTitle(std::move(englishTitle))
    , _rows(std::move(rows))
{
}

void ChromaKeyListViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    setTitle(plat::localized(_englishTitle));
    auto table = tableView();
    table->setBackgroundColor(plat::Color::clearColor());
    table->setOpaque(false);
    table->setBackgroundView(nullptr);
    table->setSeparatorColor(plat::Color::blackColor());
    table->setAllowsSelection(true);
    table->setScrollEnabled(false);
}

unsigned ChromaKeyListViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskAll;
}

int64_t ChromaKeyListViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return static_cast<int64_t>(_rows.size());
}

std::shared_ptr<plat::TableViewCell> ChromaKeyListViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell)
        cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, kCellIdentifier);
    cell->setBackgroundColor(plat::Color::clearColor());
    const auto& label = cell->textLabel();
    label->setFont(plat::Font::fontWithName("HelveticaNeue-Light", kFontSize));
    label->setTextColor(plat::Color::blackColor());
    const auto row = static_cast<size_t>(path.row);
    if (row >= _rows.size()) {
        plat::log("green screen: the list has no row {}", path.row);
        return cell;
    }
    const ChromaKeyRow& shown = _rows[row];
    label->setText(shown.text.empty() ? std::string() : plat::localized(shown.text));
    cell->imageView()->setImage(shown.icon.empty() ? nullptr : tintedImageNamed(shown.icon));
    cell->setAccessoryType(shown.accessory);
    cell->setSelectionStyle(
        shown.selectable ? plat::TableViewCellSelectionStyle::Default : plat::TableViewCellSelectionStyle::None);
    didFillCell(*cell, path.row);
    return cell;
}

std::optional<double> ChromaKeyListViewController::tableViewHeightForRowAtIndexPath(
    plat::TableView&, plat::IndexPath path)
{
    const auto row = static_cast<size_t>(path.row);
    return row < _rows.size() ? _rows[row].height : ChromaKeyRow().height;
}

bool ChromaKeyListViewController::tableViewShouldHighlightRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    const auto row = static_cast<size_t>(path.row);
    return row < _rows.size() && _rows[row].selectable;
}

void ChromaKeyListViewController::tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    const auto row = static_cast<size_t>(path.row);
    if (row < _rows.size() && _rows[row].selectable)
        didSelectRow(path.row);
}

void ChromaKeyListViewController::pushScreen(std::shared_ptr<plat::ViewController> screen)
{
    auto navigation = navigationController();
    if (!navigation) {
        plat::log("green screen: no navigation controller to show the next screen in");
        return;
    }
    navigation->pushViewController(std::move(screen), /*animated=*/true);
}

}  // namespace zt
