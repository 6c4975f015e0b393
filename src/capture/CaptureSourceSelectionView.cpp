#include "capture/CaptureSourceSelectionView.h"

#include "capture/CaptureController.h"
#include "document/DataManager.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr const char* kCellIdentifier = "CaptureSourceCell";
constexpr const char* kRemoteHelpIcon = "capturesource_icon_remote_app";
constexpr double kFontSize = 15;
constexpr double kMinimumFontScale = 0.7;

}  // namespace

CaptureSourceSelectionView::CaptureSourceSelectionView(plat::TableViewStyle style)
    : CaptureSourceSelectionView(style, CaptureSources::sharedInstance()->getAvailableCaptureSources())
{
}

CaptureSourceSelectionView::CaptureSourceSelectionView(
    plat::TableViewStyle style, std::shared_ptr<CaptureSourceList> sources)
    : plat::TableViewController(style)
    , _sources(std::move(sources))
{
    // Measured once: sources that come while the popover is up get rows it may not show.
    const double rows = static_cast<double>(_sources->size() + 1);
    setContentSizeForViewInPopover({kWidth, rows * kRowHeight - 2});
    _sourcesObserver = plat::NotificationCenter::defaultCenter().addObserver(
        kCaptureSourceUpdateSourcesNotification, nullptr, [this](const plat::Notification&) {
            if (isViewLoaded())
                tableView()->reloadData();
        });
}

CaptureSourceSelectionView::~CaptureSourceSelectionView() = default;

void CaptureSourceSelectionView::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    auto table = tableView();
    table->setRowHeight(kRowHeight);
    table->setBackgroundColor(plat::Color::clearColor());
    table->setSeparatorColor(plat::Color::darkGrayColor());
    table->setScrollEnabled(false);
}

int64_t CaptureSourceSelectionView::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return static_cast<int64_t>(_sources->size()) + 1;  // and the help row
}

std::shared_ptr<plat::TableViewCell> CaptureSourceSelectionView::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell)
        cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, kCellIdentifier);
    cell->setBackgroundColor(plat::Color::clearColor());
    const auto& label = cell->textLabel();
    label->setFont(plat::Font::fontWithName("HelveticaNeue-Light", kFontSize));
    label->setTextColor(plat::Color::blackColor());
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumScaleFactor(kMinimumFontScale);
    cell->setAccessoryType(plat::TableViewCellAccessoryType::None);
    const auto row = static_cast<size_t>(path.row);
    if (row >= _sources->size()) {
        label->setText(plat::localized("Remote Camera"));
        cell->imageView()->setImage(tintedImageNamed(kRemoteHelpIcon));
        return cell;
    }
    const auto& source = (*_sources)[row];
    label->setText(plat::localized(source->getCaptureSourceName()));
    auto icon = source->getCaptureSourceMenuIcon();
    cell->imageView()->setImage(
        icon ? icon->imageWithRenderingMode(plat::ImageRenderingMode::AlwaysTemplate) : nullptr);
    if (source->captureSourceID() == DataManager::sharedDataManager().currentCaptureSourceID())
        cell->setAccessoryType(plat::TableViewCellAccessoryType::Checkmark);
    return cell;
}

void CaptureSourceSelectionView::tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    const auto row = static_cast<size_t>(path.row);
    if (row >= _sources->size()) {
        plat::Dictionary payload;
        payload.set("page", kRemoteCameraHelpPage);
        plat::NotificationCenter::defaultCenter().post(kShowHelpPageNotification, nullptr, std::move(payload));
        return;
    }
    auto source = (*_sources)[row];
    DataManager::sharedDataManager().setCurrentCaptureSourceID(source->captureSourceID());
    if (auto listener = delegate())
        listener->captureSourceSelection(*this, std::move(source));
}

}  // namespace zt
