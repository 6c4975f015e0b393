#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/TableViewController.h"

namespace zt {
class ConnectHandler;
class MovieExportType;
class ProjectModel;

// The share form of one target: the export types of the renderers whose
// type identifiers the target takes, each with its estimated size, one of
// them chosen (a checkmark). "Export" closes the form and has the chosen
// type rendered and handed to the target; Cancel closes it and the share is
// over. A project that cannot be exported at all (its frame list cannot be
// read) gets no types, and the form says why. Shown in a navigation
// controller. Main thread.
class ShareConfigurationViewController : public plat::TableViewController {
public:
    ShareConfigurationViewController(std::shared_ptr<ProjectModel> project, std::shared_ptr<ConnectHandler> handler);

    const std::vector<std::shared_ptr<MovieExportType>>& exportTypes() const { return _exportTypes; }
    // Estimated file sizes in bytes, one for each type; nullopt where the renderer cannot tell.
    const std::vector<std::optional<uint64_t>>& estimatedBytes() const { return _estimatedBytes; }
    int64_t selectedIndex() const { return _selectedIndex; }

    void actionCancel();
    void actionExport();

    void viewDidLoad() override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(plat::TableView&, int64_t) override;
    std::optional<std::string> tableViewTitleForFooterInSection(plat::TableView&, int64_t) override;
    void tableViewDidSelectRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;

private:
    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<ConnectHandler> _handler;
    std::optional<std::string> _refusal;  // why nothing can be exported
    std::vector<std::shared_ptr<MovieExportType>> _exportTypes;
    std::vector<std::optional<uint64_t>> _estimatedBytes;
    int64_t _selectedIndex = 0;
    bool _closing = false;
};

}  // namespace zt
