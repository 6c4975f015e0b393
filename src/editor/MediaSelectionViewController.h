#pragma once
#include <cstdint>
#include <memory>

#include "platform/ui/TableViewController.h"

namespace zt {
class MediaSelectionViewController;
class ProjectModel;

// Hears which row of the add-media menu was chosen. Main thread.
class MediaSelectionDelegate {
public:
    virtual ~MediaSelectionDelegate() = default;
    // row: 0 add images, 1 theme cards, 2 audio and music. Closing the menu is the delegate's work.
    virtual void mediaSelectionDidSelect(MediaSelectionViewController& menu, int64_t row) = 0;
};

// The add-media menu shown in a popover from the frame editor's media
// button: "Add Images", "Theme Cards" and "Audio and Music". The last two
// are greyed and do nothing until the frame list (capture placeholder
// included) has kMinimumEntriesForMedia entries; the frame editor makes a
// new menu at each opening, so the rows follow the project. Main thread.
class MediaSelectionViewController : public plat::TableViewController {
public:
    enum Row : int64_t { RowAddImages = 0, RowThemeCards = 1, RowAudio = 2 };
    static constexpr int64_t kNumberOfRows = 3;
    static constexpr double kRowHeight = 44.0;
    static constexpr double kPopoverWidth = 200.0;
    static constexpr int64_t kMinimumEntriesForMedia = 3;
    static constexpr double kFontSize = 15.0;

    MediaSelectionViewController(std::shared_ptr<ProjectModel> project, plat::TableViewStyle style);

    std::shared_ptr<MediaSelectionDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<MediaSelectionDelegate> delegate) { _delegate = std::move(delegate); }
    const std::shared_ptr<ProjectModel>& project() const { return _project; }

    // Asked again each time, as the project may have changed.
    bool isRowActive(int64_t row);

    void viewDidLoad() override;
    int64_t numberOfSectionsInTableView(plat::TableView& tableView) override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView& tableView, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    void tableViewDidSelectRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;

private:
    std::shared_ptr<ProjectModel> _project;
    std::weak_ptr<MediaSelectionDelegate> _delegate;
};

}  // namespace zt
