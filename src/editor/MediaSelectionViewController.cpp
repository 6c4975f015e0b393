#include "editor/MediaSelectionViewController.h"

#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr const char* kCellIdentifier = "Cell";

struct RowLook {
    const char* text;
    const char* icon;
};

constexpr RowLook kRows[MediaSelectionViewController::kNumberOfRows] = {
    {"Add Images", "capturesource_icon_import"},
    {"Theme Cards", "mediaselection_theme"},
    {"Audio and Music", "mediaselection_audio"},
};

}  // namespace

MediaSelectionViewController::MediaSelectionViewController(
    std::shared_ptr<ProjectModel> project, plat::TableViewStyle style)
    : TableViewController(style)
    , _project(std::move(project))
{
    // Three rows less two points: 130.
    setContentSizeForViewInPopover({kPopoverWidth, kNumberOfRows * kRowHeight - 2});
}

bool MediaSelectionViewController::isRowActive(int64_t row)
{
    if (row == RowAddImages)
        return true;
    return _project && _project->getFrameList().count() >= kMinimumEntriesForMedia;
}

void MediaSelectionViewController::viewDidLoad()
{
    TableViewController::viewDidLoad();
    auto table = tableView();
    table->setRowHeight(kRowHeight);
    view()->setBackgroundColor(plat::Color::clearColor());
    table->setSeparatorColor(plat::Color::darkGrayColor());
    table->setScrollEnabled(false);
}

int64_t MediaSelectionViewController::numberOfSectionsInTableView(plat::TableView&)
{
    return 1;
}

int64_t MediaSelectionViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return kNumberOfRows;
}

std::shared_ptr<plat::TableViewCell> MediaSelectionViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell)
        cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, kCellIdentifier);
    cell->textLabel()->setTextColor(plat::Color::blackColor());
    cell->textLabel()->setFont(plat::Font::fontWithName("HelveticaNeue-Light", kFontSize));
    cell->setBackgroundColor(plat::Color::clearColor());
    if (path.row >= 0 && path.row < kNumberOfRows) {
        const RowLook& look = kRows[path.row];
        cell->textLabel()->setText(plat::localized(look.text));
        cell->imageView()->setImage(tintedImageNamed(look.icon));
        // An inactive row looks and acts disabled as a whole: its icon is
        // dimmed as a disabled control's is, and it takes no touches (a tap
        // falls to the table, which asks again whether the row is active).
        const bool active = isRowActive(path.row);
        if (!active)
            cell->textLabel()->setTextColor(plat::Color::lightGrayColor());
        cell->imageView()->setAlpha(active ? 1 : plat::Control::kDisabledContentAlpha);
        cell->setUserInteractionEnabled(active);
    }
    return cell;
}

void MediaSelectionViewController::tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    if (path.row < 0 || path.row >= kNumberOfRows || !isRowActive(path.row))
        return;
    auto self = sharedAs<MediaSelectionViewController>();  // the delegate may close the popover that holds us
    if (auto listener = delegate())
        listener->mediaSelectionDidSelect(*this, path.row);
}

}  // namespace zt
