#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "document/Frame.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/TableViewController.h"
#include "render/ThemeCardItem.h"

namespace plat {
class Button;
class Error;
class Image;
}  // namespace plat

namespace zt {
class Hudy;
class ProjectModel;
class WebRenderer;

// The theme-card gallery: four cards a row; a tapped card becomes a new
// frame at the playhead, held for a second, and is announced with
// AddFrameNotification {"FRAME"} before the gallery goes. The pictures are
// stored on a background queue; the frame list and metadata change on the
// main queue only. Main queue.
class ThemeCardTableViewController : public plat::TableViewController {
public:
    static constexpr const char* kAddFrameNotification = "AddFrameNotification";
    static constexpr int kCardsPerRow = 4;
    static constexpr int kFirstButtonTag = 100;
    static constexpr double kRowHeight = 100;
    static constexpr double kWaitSeconds = 5.0;

    explicit ThemeCardTableViewController(std::shared_ptr<ProjectModel> project);  // initWithProject:
    ~ThemeCardTableViewController() override;

    void viewDidLoad() override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath) override
    {
        return kRowHeight;
    }

    void actionDone();
    void actionCard(plat::Button& button);
    // Starts inserting the card: its pictures on a background queue, the
    // rest back on the main queue.
    void insertThemeCardWithThemaCardIndex(int64_t index);
    void receiveWebRenderingFinishedNotification(const plat::Notification& notification);

    const std::vector<ThemeCardItem>& items() const { return _items; }
    // True from a tap until the card's frame is announced.
    bool isInserting() const { return _inserting; }

private:
    void insertStoredCard(const ThemeCardItem& item, const Frame& frame);
    // The card was not stored: its files go, and the person hears why.
    void refuseCard(const Frame& frame, const plat::Error& error);
    void announceFrame();

    std::shared_ptr<ProjectModel> _project;
    std::vector<ThemeCardItem> _items;
    std::shared_ptr<WebRenderer> _webRenderer;
    std::optional<Frame> _frame;
    std::shared_ptr<Hudy> _hud;
    plat::ObserverToken _renderingObserver;
    bool _inserting = false;
};

}  // namespace zt
