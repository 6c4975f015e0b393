#include "editor/ConfigurationViewController.h"

#include "document/FailureAlerts.h"
#include "document/ProjectModel.h"
#include "editor/ConfigurationCell.h"
#include "editor/SpeedViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"
#include "uikit/AppTint.h"

namespace zt {

namespace {

struct SwitchRow {
    const char* title;
    const char* key;
};

constexpr std::array<SwitchRow, 3> kSwitchRows = {{
    {"Play last 12 frames only", "PlayLastFramesOnly"},
    {"Play as loop", "PlayAsLoop"},
    {"Play at half speed", "PlayAtHalfSpeed"},
}};

}  // namespace

ConfigurationViewController::ConfigurationViewController(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
    setContentSizeForViewInPopover({kWidth, 3 * kSwitchRowHeight + kSpeedRowHeight});
}

void ConfigurationViewController::loadView()
{
    const plat::Size size = contentSizeForViewInPopover();
    _tableView
        = std::make_shared<plat::TableView>(plat::makeRect(0, 0, size.width, size.height), plat::TableViewStyle::Plain);
    _tableView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    setView(_tableView);
}

void ConfigurationViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _tableView->setScrollEnabled(false);
    _tableView->setBackgroundColor(plat::Color::clearColor());
    _tableView->setOpaque(false);
    _tableView->setBackgroundView(nullptr);
    _tableView->setSeparatorColor(plat::Color::darkGrayColor());
    _tableView->registerNib("ConfigurationCell", ConfigurationCell::kReuseIdentifier);
    _speedViewController = std::make_shared<SpeedViewController>(_project);
    auto self = sharedAs<ConfigurationViewController>();
    _tableView->setDataSource(std::static_pointer_cast<plat::TableViewDataSource>(self));
    _tableView->setDelegate(std::static_pointer_cast<plat::TableViewDelegate>(self));
}

int64_t ConfigurationViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return RowCount;
}

std::optional<double> ConfigurationViewController::tableViewHeightForRowAtIndexPath(
    plat::TableView&, plat::IndexPath path)
{
    return path.row == RowSpeed ? kSpeedRowHeight : kSwitchRowHeight;
}

std::shared_ptr<plat::TableViewCell> ConfigurationViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto reused = tableView.dequeueReusableCellWithIdentifier(ConfigurationCell::kReuseIdentifier, path);
    auto cell = std::dynamic_pointer_cast<ConfigurationCell>(reused);
    if (!cell)
        return reused;
    cell->setBackgroundColor(plat::Color::clearColor());
    cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
    const auto& toggle = cell->switchOnOff();
    if (toggle && controlsTakeAppTint())
        toggle->setOnTintColor(appTintColor());
    if (path.row >= RowLastFramesOnly && path.row < RowSpeed) {
        const SwitchRow& row = kSwitchRows[static_cast<size_t>(path.row)];
        if (cell->labelTitle())
            cell->labelTitle()->setText(plat::localized(row.title));
        if (toggle) {
            auto metadata = _project->getMetaData();
            toggle->setHidden(false);
            toggle->setTag(path.row);
            toggle->setOn(metadata && metadata->getBool(row.key).value_or(false));
        }
        return cell;
    }
    if (cell->labelTitle())
        cell->labelTitle()->setText(std::string());
    if (toggle)
        toggle->setHidden(true);
    auto speedView = _speedViewController->view();
    speedView->setFrame(plat::makeRect(0, 0, cell->bounds().width(), kSpeedRowHeight));
    cell->contentView()->addSubview(speedView);
    return cell;
}

void ConfigurationViewController::storeSwitch(plat::Switch& sender, const char* key)
{
    auto stored = _project->changeMetaData({{key, sender.isOn()}});
    if (stored.ok())
        return;
    // Only a stored option is shown: the switch goes back and the person hears why.
    plat::log("playback options: {} is not stored: {}", key, stored.error().description());
    sender.setOn(!sender.isOn(), /*animated=*/true);
    showFailureAlert(plat::localized("The setting could not be saved."), stored.error());
}

void ConfigurationViewController::actionPlayLastFramesOnly(plat::Switch& sender)
{
    storeSwitch(sender, "PlayLastFramesOnly");
}

void ConfigurationViewController::actionPlayLoop(plat::Switch& sender)
{
    storeSwitch(sender, "PlayAsLoop");
}

void ConfigurationViewController::actionPlayHalfSpeed(plat::Switch& sender)
{
    storeSwitch(sender, "PlayAtHalfSpeed");
}

void ConfigurationViewController::actionSwitchChanged(plat::Control& sender)
{
    auto* toggle = dynamic_cast<plat::Switch*>(&sender);
    if (!toggle)
        return;
    switch (toggle->tag()) {
    case RowLastFramesOnly:
        actionPlayLastFramesOnly(*toggle);
        break;
    case RowLoop:
        actionPlayLoop(*toggle);
        break;
    case RowHalfSpeed:
        actionPlayHalfSpeed(*toggle);
        break;
    default:
        break;
    }
}

}  // namespace zt
