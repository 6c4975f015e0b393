#pragma once
#include <memory>

#include "platform/ui/TableViewCell.h"

namespace plat {
class Button;
class Label;
}  // namespace plat

namespace zt {

// A track row of the album screen and of the app's sound lists, made by the
// layout "MQAlbumTrackTableViewCell": number, name, length and a play
// button. Rows are tinted through its plain background view. Main thread.
class MQAlbumTrackTableViewCell : public plat::TableViewCell {
public:
    explicit MQAlbumTrackTableViewCell(plat::Rect frame);

    const std::shared_ptr<plat::Label>& trackNumberLabel() const { return _trackNumberLabel; }
    const std::shared_ptr<plat::Label>& trackNameLabel() const { return _trackNameLabel; }
    const std::shared_ptr<plat::Label>& trackLengthLabel() const { return _trackLengthLabel; }
    const std::shared_ptr<plat::Button>& btnPlay() const { return _btnPlay; }
    // The layout connects its parts.
    void setParts(std::shared_ptr<plat::Label> number, std::shared_ptr<plat::Label> name,
        std::shared_ptr<plat::Label> length, std::shared_ptr<plat::Button> play);

    // The layout's last step: an empty plain view behind the row, for its tint.
    void awakeFromNib();

    std::string accessibilityLabel() const override;

private:
    std::shared_ptr<plat::Label> _trackNumberLabel;
    std::shared_ptr<plat::Label> _trackNameLabel;
    std::shared_ptr<plat::Label> _trackLengthLabel;
    std::shared_ptr<plat::Button> _btnPlay;
};

}  // namespace zt
