#include "greenscreen/ChromaKeyThemeBackgroundConfigurationViewController.h"

#include <cmath>

#include "greenscreen/ChromaKeyConfigurationDelegate.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

namespace zt {

namespace {

constexpr double kButtonMargin = 10;
constexpr double kButtonTop = 20;
constexpr double kButtonHeight = 80;
// The margins left and right and between the three buttons, and some air.
constexpr double kHorizontalSpace = 50;

}  // namespace

ChromaKeyThemeBackgroundConfigurationViewController::ChromaKeyThemeBackgroundConfigurationViewController()
    : plat::TableViewController(plat::TableViewStyle::Plain)
{
}

void ChromaKeyThemeBackgroundConfigurationViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    setTitle(plat::localized("Background"));
    auto table = tableView();
    table->setBackgroundColor(plat::Color::clearColor());
    table->setOpaque(false);
    table->setBackgroundView(nullptr);
    table->setSeparatorColor(plat::Color::clearColor());
    table->setAllowsSelection(false);
    table->setRowHeight(kRowHeight);
    table->setScrollEnabled(true);
    _items = BackgroundItem::themeItems();
}

unsigned ChromaKeyThemeBackgroundConfigurationViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskAll;
}

int64_t ChromaKeyThemeBackgroundConfigurationViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return static_cast<int64_t>(_items.size()) / kPicturesPerRow;
}

std::shared_ptr<plat::TableViewCell> ChromaKeyThemeBackgroundConfigurationViewController::makeCell()
{
    auto cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, kCellIdentifier);
    const double width = std::trunc((view()->bounds().width() - kHorizontalSpace) / kPicturesPerRow);
    for (int64_t k = 0; k < kPicturesPerRow; ++k) {
        auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
        button->setFrame(plat::makeRect(
            kButtonMargin + static_cast<double>(k) * (width + kButtonMargin), kButtonTop, width, kButtonHeight));
        button->setBackgroundColor(plat::Color::clearColor());
        button->setTag(kFirstButtonTag + k);
        button->addTarget(
            this, &ChromaKeyThemeBackgroundConfigurationViewController::actionCard, plat::ControlEventTouchUpInside);
        cell->contentView()->addSubview(button);
    }
    return cell;
}

std::shared_ptr<plat::TableViewCell>
ChromaKeyThemeBackgroundConfigurationViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell)
        cell = makeCell();
    cell->textLabel()->setText("");
    for (int64_t k = 0; k < kPicturesPerRow; ++k) {
        auto button = std::dynamic_pointer_cast<plat::Button>(cell->contentView()->viewWithTag(kFirstButtonTag + k));
        if (!button)
            continue;
        const int64_t index = kPicturesPerRow * path.row + k;
        if (index < static_cast<int64_t>(_items.size())) {
            button->setImage(
                plat::Image::imageNamed(_items[static_cast<size_t>(index)].thumbImagePath), plat::ControlStateNormal);
            button->setHidden(false);
        } else {
            button->setHidden(true);
        }
    }
    cell->contentView()->setTag(path.row);
    cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
    return cell;
}

void ChromaKeyThemeBackgroundConfigurationViewController::actionCard(plat::Button& sender)
{
    auto row = sender.superview();
    if (!row)
        return;
    const int64_t index = kPicturesPerRow * row->tag() + (sender.tag() - kFirstButtonTag);
    if (index < 0 || index >= static_cast<int64_t>(_items.size())) {
        plat::log("theme backdrops: no picture {}", index);
        return;
    }
    const BackgroundItem& item = _items[static_cast<size_t>(index)];
    auto picture = plat::Image::imageNamed(item.bgImagePath);
    if (!picture) {
        plat::log("theme backdrops: the picture {} is missing", item.bgImagePath);
        return;
    }
    if (auto camera = delegate())
        camera->didSelectChangeBackDrop(*this, picture);
}

}  // namespace zt
