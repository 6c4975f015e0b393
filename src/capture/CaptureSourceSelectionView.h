#pragma once
#include <memory>

#include "capture/CaptureSources.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/TableViewController.h"

namespace zt {

class CaptureController;
class CaptureSourceSelectionView;

// Hears which source the user chose (the settings already hold it).
class CaptureSourceSelectionDelegate {
public:
    virtual ~CaptureSourceSelectionDelegate() = default;
    // captureSourceSelection:didSelect:
    virtual void captureSourceSelection(CaptureSourceSelectionView& chooser, std::shared_ptr<CaptureController> source)
        = 0;
};

// The source chooser shown in a popover: a row per source of the registry
// (name, tinted icon, a check mark on the source the settings name), then
// a help row about remote cameras. It follows the registry's list and
// reloads when remote cameras come or go. Main thread.
class CaptureSourceSelectionView : public plat::TableViewController {
public:
    static constexpr double kRowHeight = 44;
    static constexpr double kWidth = 200;
    static constexpr const char* kShowHelpPageNotification = "ShowHelpPage";
    static constexpr const char* kRemoteCameraHelpPage = "plovix-remotecamera";

    // initWithStyle: the plain style, over the shared registry's list.
    explicit CaptureSourceSelectionView(plat::TableViewStyle style = plat::TableViewStyle::Plain);
    // The same over a given list.
    CaptureSourceSelectionView(plat::TableViewStyle style, std::shared_ptr<CaptureSourceList> sources);
    ~CaptureSourceSelectionView() override;

    std::shared_ptr<CaptureSourceSelectionDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<CaptureSourceSelectionDelegate> delegate) { _delegate = std::move(delegate); }

    void viewDidLoad() override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView& tableView, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath) override
    {
        return kRowHeight;
    }
    void tableViewDidSelectRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;

private:
    std::shared_ptr<CaptureSourceList> _sources;
    std::weak_ptr<CaptureSourceSelectionDelegate> _delegate;
    plat::ObserverToken _sourcesObserver;
};

}  // namespace zt
