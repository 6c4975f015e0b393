#include "audio/AudioPickerLayouts.h"

#include "audio/MQAlbumTrackTableViewCell.h"
#include "audio/MQAlbumViewController.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TableView.h"
#include "uikit/TextColors.h"

namespace zt {

namespace {

constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;
constexpr double kRowHeight = 44;
constexpr double kHeaderHeight = 130;
constexpr double kArtworkSide = 110;
constexpr double kMargin = 10;

std::shared_ptr<plat::Label> makeLabel(plat::Rect frame, const plat::Font& font, const plat::Color& color)
{
    auto label = std::make_shared<plat::Label>(frame);
    label->setFont(font);
    label->setTextColor(color);
    label->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    return label;
}

std::shared_ptr<plat::View> buildMediaQueryList(plat::ViewController& owner)
{
    auto root = std::make_shared<plat::View>(plat::Screen::mainScreen().bounds());
    root->setBackgroundColor(plat::Color::whiteColor());
    root->setAutoresizingMask(kFlexibleSize);
    auto table = std::make_shared<plat::TableView>(root->bounds(), plat::TableViewStyle::Plain);
    table->setAutoresizingMask(kFlexibleSize);
    root->addSubview(table);
    owner.setOutlet("itemTableView", table);
    return root;
}

std::shared_ptr<plat::View> buildAlbum(plat::ViewController& owner)
{
    auto table = std::make_shared<plat::TableView>(plat::Screen::mainScreen().bounds(), plat::TableViewStyle::Plain);
    table->setAutoresizingMask(kFlexibleSize);
    table->setRowHeight(kRowHeight);
    const double width = table->bounds().width();
    auto header = std::make_shared<plat::View>(plat::makeRect(0, 0, width, kHeaderHeight));
    header->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    header->setBackgroundColor(plat::Color::colorWithWhite(0.96, 1));
    auto artwork = std::make_shared<plat::ImageView>(plat::makeRect(kMargin, kMargin, kArtworkSide, kArtworkSide));
    artwork->setContentMode(plat::ContentMode::ScaleAspectFill);
    artwork->setClipsToBounds(true);
    header->addSubview(artwork);
    const double textX = kMargin * 2 + kArtworkSide;
    const double textWidth = width - textX - kMargin;
    auto artistLabel = makeLabel(
        plat::makeRect(textX, 14, textWidth, 22), plat::Font::boldSystemFontOfSize(17), plat::Color::blackColor());
    auto titleLabel = makeLabel(
        plat::makeRect(textX, 40, textWidth, 20), plat::Font::systemFontOfSize(15), plat::Color::darkGrayColor());
    auto releasedLabel
        = makeLabel(plat::makeRect(textX, 72, textWidth, 18), plat::Font::systemFontOfSize(13), secondaryTextColor());
    auto countLabel
        = makeLabel(plat::makeRect(textX, 94, textWidth, 18), plat::Font::systemFontOfSize(13), secondaryTextColor());
    for (const auto& label : {artistLabel, titleLabel, releasedLabel, countLabel})
        header->addSubview(label);
    table->setTableHeaderView(header);
    owner.setOutlet("albumArtImageView", artwork);
    owner.setOutlet("albumArtistLabel", artistLabel);
    owner.setOutlet("albumTitleLabel", titleLabel);
    owner.setOutlet("albumReleaseDateLabel", releasedLabel);
    owner.setOutlet("albumTrackCountTimeLabel", countLabel);
    if (auto* album = dynamic_cast<MQAlbumViewController*>(&owner))
        album->setHeaderOutlets(artwork, artistLabel, titleLabel, releasedLabel, countLabel);
    return table;
}

std::shared_ptr<plat::View> buildTrackRow(plat::ViewController& owner)
{
    const double width = plat::Screen::mainScreen().bounds().width();
    auto cell = std::make_shared<MQAlbumTrackTableViewCell>(plat::makeRect(0, 0, width, kRowHeight));
    auto number = std::make_shared<plat::Label>(plat::makeRect(kMargin, 0, 34, kRowHeight));
    number->setFont(plat::Font::systemFontOfSize(14));
    number->setTextColor(secondaryTextColor());
    number->setAutoresizingMask(plat::ViewAutoresizingFlexibleRightMargin);
    auto play = plat::Button::buttonWithType(plat::ButtonType::Custom);
    play->setFrame(plat::makeRect(width - kRowHeight, 0, kRowHeight, kRowHeight));
    play->setImage(plat::Image::imageNamed("mq_track_play.png"), plat::ControlStateNormal);
    play->setImage(plat::Image::imageNamed("mq_track_stop.png"), plat::ControlStateSelected);
    play->setAccessibilityLabel("Play");
    play->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin);
    auto length = std::make_shared<plat::Label>(plat::makeRect(width - kRowHeight - 64, 0, 60, kRowHeight));
    length->setFont(plat::Font::systemFontOfSize(14));
    length->setTextColor(secondaryTextColor());
    length->setTextAlignment(plat::TextAlignment::Right);
    length->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin);
    const double nameX = kMargin + 34 + 6;
    auto name = std::make_shared<plat::Label>(plat::makeRect(nameX, 0, width - nameX - kRowHeight - 70, kRowHeight));
    name->setFont(plat::Font::systemFontOfSize(16));
    name->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    for (const auto& part : std::initializer_list<std::shared_ptr<plat::View>> {number, name, length, play})
        cell->contentView()->addSubview(part);
    cell->setParts(number, name, length, play);
    cell->awakeFromNib();
    owner.setOutlet("albumTrackTableViewCell", cell);
    return cell;
}

}  // namespace

void registerAudioPickerLayouts()
{
    plat::LayoutRegistry::registerLayout("MQMediaQueryViewController", buildMediaQueryList);
    plat::LayoutRegistry::registerLayout("MQAlbumViewController", buildAlbum);
    plat::LayoutRegistry::registerLayout("MQAlbumTrackTableViewCell", buildTrackRow);
}

}  // namespace zt
