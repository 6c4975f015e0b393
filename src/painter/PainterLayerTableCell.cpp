#include "painter/PainterLayerTableCell.h"

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Switch.h"
#include "platform/ui/ViewController.h"

namespace zt {

namespace {

constexpr double kWidth = 320;
constexpr double kPictureWidth = 80;
constexpr double kPictureHeight = 45;
constexpr double kMargin = 8;
constexpr double kSwitchWidth = 51;
constexpr double kSwitchHeight = 31;

std::shared_ptr<plat::View> buildCell(plat::ViewController& owner)
{
    auto cell = std::make_shared<PainterLayerTableCell>();
    cell->setFrame(plat::makeRect(0, 0, kWidth, PainterLayerTableCell::kHeight));
    auto content = cell->contentView();

    auto picture = std::make_shared<plat::ImageView>(
        plat::makeRect(kMargin, (PainterLayerTableCell::kHeight - kPictureHeight) / 2, kPictureWidth, kPictureHeight));
    picture->setContentMode(plat::ContentMode::ScaleAspectFit);
    picture->setBackgroundColor(plat::Color::colorWithWhite(0.85, 1));
    content->addSubview(picture);

    const double labelX = kMargin * 2 + kPictureWidth;
    auto label = std::make_shared<plat::Label>(
        plat::makeRect(labelX, 0, kWidth - labelX - kSwitchWidth - kMargin * 2, PainterLayerTableCell::kHeight));
    label->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    content->addSubview(label);

    auto enabled = std::make_shared<plat::Switch>(plat::makeRect(kWidth - kSwitchWidth - kMargin,
        (PainterLayerTableCell::kHeight - kSwitchHeight) / 2, kSwitchWidth, kSwitchHeight));
    enabled->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin);
    content->addSubview(enabled);

    cell->layerImage = picture;
    cell->layerLabel = label;
    cell->layerEnabled = enabled;
    owner.setOutlet("tmpCell", cell);
    return cell;
}

}  // namespace

PainterLayerTableCell::PainterLayerTableCell()
    : plat::TableViewCell(plat::TableViewCellStyle::Default, kReuseIdentifier)
{
}

void registerPainterLayerTableCellLayout()
{
    plat::LayoutRegistry::registerLayout(PainterLayerTableCell::kLayoutName, buildCell);
}

}  // namespace zt
