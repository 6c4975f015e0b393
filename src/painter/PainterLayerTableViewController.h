#pragma once
#include <cstdint>
#include <memory>

#include "platform/ui/TableViewController.h"
#include "uikit/BubblePopoverController.h"

namespace plat {
class BarButtonItem;
class Slider;
class Switch;
}  // namespace plat

namespace zt {
class PainterLayerManager;

// The layer list in the painter's popover: one row per layer (picture,
// name, shown switch), rows reordered by dragging, add and delete buttons,
// and an opacity slider in the tool bar. Selecting a row changes only the
// buttons and the slider; the selected layer becomes current when the
// popover closes. Every change goes through the layer manager, and the
// rows are read again after each, so rows and layers never disagree.
// Main queue.
class PainterLayerTableViewController : public plat::TableViewController, public BubblePopoverControllerDelegate {
public:
    static constexpr double kPopoverWidth = 320;
    static constexpr double kTabletPopoverHeight = 500;
    static constexpr double kPhonePopoverHeight = 230;

    PainterLayerTableViewController();
    ~PainterLayerTableViewController() override;

    const std::shared_ptr<PainterLayerManager>& layerManager() const { return _layerManager; }
    void setLayerManager(std::shared_ptr<PainterLayerManager> manager) { _layerManager = std::move(manager); }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    void addLayer();
    void deleteLayer();
    void enableLayer(plat::Switch& sender);
    void actionOpacityValueChanged(plat::Slider& sender);
    void lockLayer() { }
    void duplicateLayer() { }
    void updateButtonStates(int64_t row);
    void updateSelectionHandler();

    int64_t tableViewNumberOfRowsInSection(plat::TableView& tableView, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    bool tableViewCanEditRowAtIndexPath(plat::TableView&, plat::IndexPath) override { return true; }
    bool tableViewCanMoveRowAtIndexPath(plat::TableView&, plat::IndexPath) override { return true; }
    bool movesRows() const override { return true; }
    void tableViewMoveRowAtIndexPathToIndexPath(
        plat::TableView& tableView, plat::IndexPath from, plat::IndexPath to) override;
    plat::TableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(plat::TableView&, plat::IndexPath) override;
    void tableViewDidSelectRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;

    void popoverControllerDidDismissPopover(BubblePopoverController& controller) override;
    bool popoverControllerShouldDismissPopover(BubblePopoverController&) override { return true; }

    std::shared_ptr<plat::BarButtonItem> _deleteBtn;
    std::shared_ptr<plat::BarButtonItem> _duplicateBtn;
    std::shared_ptr<plat::BarButtonItem> _importBtn;
    std::shared_ptr<plat::BarButtonItem> _exportBtn;
    std::shared_ptr<plat::Slider> _sliderOpacity;

private:
    std::optional<int64_t> selectedRow();
    void reloadRowsLater();

    std::shared_ptr<PainterLayerManager> _layerManager;
};

}  // namespace zt
