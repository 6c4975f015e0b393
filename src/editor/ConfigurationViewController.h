#pragma once
#include <array>
#include <memory>

#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

namespace plat {
class Control;
class Switch;
}  // namespace plat

namespace zt {
class ProjectModel;
class SpeedViewController;

// The playback options, a table of four rows: play the last 12 frames only,
// play as loop, play at half speed (switches stored in the project's
// metadata at once), and the frame-rate panel. Shown in a popover by the
// editor; a change applies to the next playback. Main thread.
class ConfigurationViewController : public plat::ViewController,
                                    public plat::TableViewDataSource,
                                    public plat::TableViewDelegate {
public:
    enum Row : int64_t { RowLastFramesOnly = 0, RowLoop = 1, RowHalfSpeed = 2, RowSpeed = 3, RowCount = 4 };
    static constexpr double kSwitchRowHeight = 44;
    static constexpr double kSpeedRowHeight = 74;
    static constexpr double kWidth = 320;

    explicit ConfigurationViewController(std::shared_ptr<ProjectModel> project);  // initWithProject:

    const std::shared_ptr<plat::TableView>& tableView() const { return _tableView; }
    const std::shared_ptr<SpeedViewController>& speedViewController() const { return _speedViewController; }

    void loadView() override;
    void viewDidLoad() override;

    int64_t tableViewNumberOfRowsInSection(plat::TableView& tableView, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;

    // Each stores its switch under its key and saves the metadata.
    void actionPlayLastFramesOnly(plat::Switch& sender);
    void actionPlayLoop(plat::Switch& sender);
    void actionPlayHalfSpeed(plat::Switch& sender);
    // The cells' switches, which carry their row as tag.
    void actionSwitchChanged(plat::Control& sender);

private:
    void storeSwitch(plat::Switch& sender, const char* key);

    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<plat::TableView> _tableView;
    std::shared_ptr<SpeedViewController> _speedViewController;
};

}  // namespace zt
