#include "share/ShareConfigurationViewController.h"

#include "document/FileSizeText.h"
#include "document/ProjectModel.h"
#include "document/ProjectTexts.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "render/MovieExportType.h"
#include "render/MovieRenderer.h"
#include "render/MovieRendererSources.h"
#include "share/ConnectHandler.h"

namespace zt {

namespace {

constexpr const char* kCellIdentifier = "ExportTypeCell";
constexpr uint64_t kBytesPerKiB = 1024;
// The movie preselected is the largest no wider than this: big enough to
// watch, quick enough to make.
constexpr double kPreselectedMaximumWidth = 1280;

}  // namespace

ShareConfigurationViewController::ShareConfigurationViewController(
    std::shared_ptr<ProjectModel> project, std::shared_ptr<ConnectHandler> handler)
    : plat::TableViewController(plat::TableViewStyle::Grouped)
    , _project(std::move(project))
    , _handler(std::move(handler))
    , _refusal(unreadableFrameListText(*_project))
{
    // Nothing can be made of a project whose frames are not known: no type, no size, but why.
    if (_refusal)
        return;
    MovieRendererSources sources(_project);
    _exportTypes = sources.getMovieExportTypesForUTIItems(_handler->supportedUTIs());
    for (const auto& type : _exportTypes) {
        auto renderer = sources.getRendererForUTI(type->UTI());
        const uint64_t kib
            = renderer ? renderer->getEstimatedFileSizeAfterExportforType(*type) : kUnknownEstimatedFileSize;
        _estimatedBytes.push_back(kib >= kUnknownEstimatedFileSize / kBytesPerKiB
                ? std::nullopt
                : std::optional<uint64_t>(kib * kBytesPerKiB));
    }
    for (size_t i = 0; i < _exportTypes.size(); ++i) {
        const double width = _exportTypes[i]->size().width;
        if (width > 0 && width <= kPreselectedMaximumWidth) {
            _selectedIndex = static_cast<int64_t>(i);
            break;
        }
    }
}

void ShareConfigurationViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    setTitle(_handler->activityTitle());
    auto cancel = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
    cancel->setTarget(this, &ShareConfigurationViewController::actionCancel);
    navigationItem()->setLeftBarButtonItem(cancel);
    auto exportButton
        = std::make_shared<plat::BarButtonItem>(plat::localized("Export"), plat::BarButtonItemStyle::Done);
    exportButton->setTarget(this, &ShareConfigurationViewController::actionExport);
    exportButton->setEnabled(!_exportTypes.empty());
    navigationItem()->setRightBarButtonItem(exportButton);
}

int64_t ShareConfigurationViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return static_cast<int64_t>(_exportTypes.size());
}

std::shared_ptr<plat::TableViewCell> ShareConfigurationViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell)
        cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Value1, kCellIdentifier);
    const auto row = static_cast<size_t>(path.row);
    cell->textLabel()->setText(plat::localized(_exportTypes[row]->title()));
    const auto& bytes = _estimatedBytes[row];
    cell->detailTextLabel()->setText(
        bytes ? plat::localized("about") + " " + formattedFileSize(*bytes) : plat::localized("size unknown"));
    cell->setAccessoryType(path.row == _selectedIndex ? plat::TableViewCellAccessoryType::Checkmark
                                                      : plat::TableViewCellAccessoryType::None);
    return cell;
}

std::optional<std::string> ShareConfigurationViewController::tableViewTitleForHeaderInSection(plat::TableView&, int64_t)
{
    if (_refusal)
        return std::nullopt;  // nothing to choose
    return plat::localized("Export as");
}

std::optional<std::string> ShareConfigurationViewController::tableViewTitleForFooterInSection(plat::TableView&, int64_t)
{
    if (_refusal)
        return _refusal;
    if (_exportTypes.empty())
        return plat::localized("This project cannot be exported for this target.");
    const auto& bytes = _estimatedBytes[static_cast<size_t>(_selectedIndex)];
    return bytes ? plat::localized("Estimated size:") + " " + formattedFileSize(*bytes)
                 : plat::localized("The size cannot be estimated.");
}

void ShareConfigurationViewController::tableViewDidSelectRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    _selectedIndex = path.row;
    tableView.reloadData();
}

void ShareConfigurationViewController::actionCancel()
{
    if (_closing)
        return;
    _closing = true;
    // The sheet takes the form away and hears that nothing was shared.
    _handler->activityDidFinish(/*completed=*/false);
}

void ShareConfigurationViewController::actionExport()
{
    if (_closing || _exportTypes.empty())
        return;
    _closing = true;
    auto type = _exportTypes[static_cast<size_t>(_selectedIndex)];
    auto handler = _handler;
    // The form goes first: the progress screen is presented from the same screen.
    auto closing = navigationController() ? std::static_pointer_cast<plat::ViewController>(navigationController())
                                          : sharedAs<plat::ViewController>();
    if (!closing->presentingViewController()) {
        handler->exportWithType(type);
        return;
    }
    closing->dismissViewControllerAnimated(/*animated=*/true, [handler, type] { handler->exportWithType(type); });
}

}  // namespace zt
