#include "painter/PainterLayerTableViewController.h"

#include "painter/PainterLayer.h"
#include "painter/PainterLayerManager.h"
#include "painter/PainterLayerTableCell.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"

namespace zt {

namespace {
constexpr double kSelectionDelaySeconds = 0.3;
constexpr double kSliderMargin = 30;
constexpr double kSliderHeight = 30;

// The icons are drawn white, for the dark tool bar; on the popover's light
// bars they take the tint, as the system items beside them do.
std::shared_ptr<plat::Image> barIcon(const char* name)
{
    auto icon = plat::Image::imageNamed(name);
    return icon ? icon->imageWithRenderingMode(plat::ImageRenderingMode::AlwaysTemplate) : nullptr;
}
}  // namespace

PainterLayerTableViewController::PainterLayerTableViewController()
{
    const bool tablet = plat::Device::currentDevice().userInterfaceIdiom() == plat::UserInterfaceIdiom::Pad;
    setContentSizeForViewInPopover({kPopoverWidth, tablet ? kTabletPopoverHeight : kPhonePopoverHeight});
}

PainterLayerTableViewController::~PainterLayerTableViewController()
{
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
}

void PainterLayerTableViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    tableView()->setEditing(true, /*animated=*/false);
    // Rows stay draggable and can still be picked: the picked row's layer becomes current.
    tableView()->setAllowsSelectionDuringEditing(true);
    tableView()->setRowHeight(PainterLayerTableCell::kHeight);

    _deleteBtn = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Trash);
    _deleteBtn->setTarget(this, &PainterLayerTableViewController::deleteLayer);
    _importBtn = std::make_shared<plat::BarButtonItem>(barIcon("painter_btn_import"), plat::BarButtonItemStyle::Plain);
    _importBtn->setTarget(this, &PainterLayerTableViewController::lockLayer);
    // Picture-only items: their names for accessibility and the device scripts.
    _importBtn->setAccessibilityLabel(plat::localized("Import"));
    _exportBtn = std::make_shared<plat::BarButtonItem>(barIcon("painter_btn_export"), plat::BarButtonItemStyle::Plain);
    _exportBtn->setTarget(this, &PainterLayerTableViewController::lockLayer);
    _exportBtn->setAccessibilityLabel(plat::localized("Export"));
    auto add = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Add);
    add->setTarget(this, &PainterLayerTableViewController::addLayer);
    _duplicateBtn
        = std::make_shared<plat::BarButtonItem>(barIcon("painter_btn_duplicate"), plat::BarButtonItemStyle::Plain);
    _duplicateBtn->setTarget(this, &PainterLayerTableViewController::duplicateLayer);
    _duplicateBtn->setAccessibilityLabel(plat::localized("Duplicate"));
    auto space = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::FlexibleSpace);
    for (const auto& item : {_importBtn, _exportBtn, _duplicateBtn, _deleteBtn})
        item->setEnabled(false);
    navigationItem()->setLeftBarButtonItems({add, _duplicateBtn, _importBtn, _exportBtn, space, _deleteBtn});

    // As wide as the popover allows: the view's own frame is still the
    // screen's here, which would push the knob out of the popover.
    _sliderOpacity = std::make_shared<plat::Slider>(
        plat::makeRect(0, 0, contentSizeForViewInPopover().width - kSliderMargin, kSliderHeight));
    _sliderOpacity->setMinimumValue(0.0);
    _sliderOpacity->setMaximumValue(1.0);
    _sliderOpacity->addTarget(
        this, &PainterLayerTableViewController::actionOpacityValueChanged, plat::ControlEventValueChanged);
    setToolbarItems({std::make_shared<plat::BarButtonItem>(_sliderOpacity)});
    if (auto navigation = navigationController())
        navigation->setToolbarHidden(false, /*animated=*/false);
}

void PainterLayerTableViewController::viewWillAppear(bool animated)
{
    plat::TableViewController::viewWillAppear(animated);
    updateSelectionHandler();
    if (auto navigation = navigationController())
        navigation->setToolbarHidden(false, /*animated=*/false);
}

std::optional<int64_t> PainterLayerTableViewController::selectedRow()
{
    auto path = tableView()->indexPathForSelectedRow();
    return path ? std::optional<int64_t>(path->row) : std::nullopt;
}

void PainterLayerTableViewController::updateSelectionHandler()
{
    if (!_layerManager)
        return;
    const int64_t row = _layerManager->indexOfActiveLayer();
    if (row == plat::kNotFound)
        return;
    tableView()->selectRowAtIndexPath(plat::IndexPath {0, row}, /*animated=*/false, plat::TableViewScrollPosition::Top);
    updateButtonStates(row);
}

void PainterLayerTableViewController::updateButtonStates(int64_t row)
{
    if (!_layerManager || row < 0 || row >= static_cast<int64_t>(_layerManager->layers().size()))
        return;
    const auto& layer = *_layerManager->layers()[static_cast<size_t>(row)];
    _exportBtn->setEnabled(layer.canStored());
    _duplicateBtn->setEnabled(layer.canStored());
    _importBtn->setEnabled(true);
    _deleteBtn->setEnabled(layer.canDeleted());
    _sliderOpacity->setValue(layer.obacity());
}

// Rows carry their index in their switches: after any change of the list
// every row is read again.
void PainterLayerTableViewController::reloadRowsLater()
{
    plat::DispatchQueue::mainQueue().async([weakSelf = weak_from_this()] {
        auto self = std::static_pointer_cast<PainterLayerTableViewController>(weakSelf.lock());
        if (!self)
            return;
        self->tableView()->reloadData();
        self->updateSelectionHandler();
    });
}

void PainterLayerTableViewController::addLayer()
{
    auto row = selectedRow();
    if (!row || !_layerManager || !_layerManager->addLayerAtIndex(*row))
        return;
    tableView()->insertRowsAtIndexPaths({plat::IndexPath {0, *row}}, plat::TableViewRowAnimation::Automatic);
    plat::RunLoop::main().performAfterDelay(this, kSelectionDelaySeconds, [weakSelf = weak_from_this()] {
        if (auto self = std::static_pointer_cast<PainterLayerTableViewController>(weakSelf.lock())) {
            self->tableView()->reloadData();
            self->updateSelectionHandler();
        }
    });
}

void PainterLayerTableViewController::deleteLayer()
{
    auto row = selectedRow();
    if (!row || !_layerManager || !_layerManager->removeLayerAtIndex(*row))
        return;
    tableView()->deleteRowsAtIndexPaths({plat::IndexPath {0, *row}}, plat::TableViewRowAnimation::Automatic);
    reloadRowsLater();
}

void PainterLayerTableViewController::enableLayer(plat::Switch& sender)
{
    if (_layerManager)
        _layerManager->enableLayerAtIndex(sender.tag(), sender.isOn());
}

void PainterLayerTableViewController::actionOpacityValueChanged(plat::Slider& sender)
{
    auto row = selectedRow();
    if (row && _layerManager)
        _layerManager->changeLayerOpacityAtIndex(*row, static_cast<float>(sender.value()));
}

int64_t PainterLayerTableViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return _layerManager ? static_cast<int64_t>(_layerManager->layers().size()) : 0;
}

std::shared_ptr<plat::TableViewCell> PainterLayerTableViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& table, plat::IndexPath path)
{
    auto cell = std::dynamic_pointer_cast<PainterLayerTableCell>(
        table.dequeueReusableCellWithIdentifier(PainterLayerTableCell::kReuseIdentifier));
    if (!cell) {
        if (!plat::LayoutRegistry::hasLayout(PainterLayerTableCell::kLayoutName))
            registerPainterLayerTableCellLayout();
        // Outlets are not owned: the layout's root keeps the cell alive meanwhile.
        auto made = plat::LayoutRegistry::loadNibNamed(PainterLayerTableCell::kLayoutName, *this);
        cell = std::dynamic_pointer_cast<PainterLayerTableCell>(outlet("tmpCell"));
        setOutlet("tmpCell", nullptr);
        if (!cell)
            cell = std::dynamic_pointer_cast<PainterLayerTableCell>(made);
        cell->layerEnabled->addTarget(
            this, &PainterLayerTableViewController::enableLayer, plat::ControlEventValueChanged);
    }
    if (!_layerManager || path.row < 0 || path.row >= static_cast<int64_t>(_layerManager->layers().size()))
        return cell;
    const auto& layer = _layerManager->layers()[static_cast<size_t>(path.row)];
    cell->layerLabel->setText(layer->name());
    cell->layerImage->setImage(_layerManager->getThumbnailForLayer(*layer));
    cell->layerEnabled->setOn(layer->isEnabled());
    cell->layerEnabled->setTag(path.row);
    return cell;
}

void PainterLayerTableViewController::tableViewMoveRowAtIndexPathToIndexPath(
    plat::TableView&, plat::IndexPath from, plat::IndexPath to)
{
    if (!_layerManager)
        return;
    _layerManager->moveLayerFromIndex(from.row, to.row);
    reloadRowsLater();
}

plat::TableViewCellEditingStyle PainterLayerTableViewController::tableViewEditingStyleForRowAtIndexPath(
    plat::TableView&, plat::IndexPath)
{
    return plat::TableViewCellEditingStyle::None;
}

void PainterLayerTableViewController::tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    updateButtonStates(path.row);
}

void PainterLayerTableViewController::popoverControllerDidDismissPopover(BubblePopoverController&)
{
    if (auto row = selectedRow(); row && _layerManager)
        _layerManager->setActiveLayerAtIndex(*row);
}

}  // namespace zt
