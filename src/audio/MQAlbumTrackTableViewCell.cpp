#include "audio/MQAlbumTrackTableViewCell.h"

#include "platform/ui/Button.h"

#include "platform/ui/Label.h"

namespace zt {

MQAlbumTrackTableViewCell::MQAlbumTrackTableViewCell(plat::Rect frame)
    : plat::TableViewCell(frame)
{
}

void MQAlbumTrackTableViewCell::setParts(std::shared_ptr<plat::Label> number, std::shared_ptr<plat::Label> name,
    std::shared_ptr<plat::Label> length, std::shared_ptr<plat::Button> play)
{
    _trackNumberLabel = std::move(number);
    _trackNameLabel = std::move(name);
    _trackLengthLabel = std::move(length);
    _btnPlay = std::move(play);
}

void MQAlbumTrackTableViewCell::awakeFromNib()
{
    setBackgroundView(std::make_shared<plat::View>(bounds()));
}

std::string MQAlbumTrackTableViewCell::accessibilityLabel() const
{
    return _trackNameLabel ? _trackNameLabel->text() : plat::TableViewCell::accessibilityLabel();
}

}  // namespace zt
