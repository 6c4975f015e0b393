#include "platform/ui/PlayerLayer.h"

#include "platform/graphics/Image.h"

namespace plat {

PlayerLayer::PlayerLayer()
{
    // The contents are the player's pictures, never drawn by a delegate.
    setNeedsDisplayOnBoundsChange(false);
    setContentsGravity(ContentsGravity::ResizeAspect);
}

PlayerLayer::~PlayerLayer()
{
    if (_player)
        _player->removePictureObserver(_pictureObserver);
}

std::shared_ptr<PlayerLayer> PlayerLayer::playerLayerWithPlayer(std::shared_ptr<MoviePlayer> player)
{
    auto layer = std::make_shared<PlayerLayer>();
    layer->setPlayer(std::move(player));
    return layer;
}

void PlayerLayer::setPlayer(std::shared_ptr<MoviePlayer> player)
{
    if (player == _player)
        return;
    if (_player)
        _player->removePictureObserver(_pictureObserver);
    _pictureObserver = 0;
    _player = std::move(player);
    if (_player) {
        // The player outlives no layer it feeds: the layer removes itself first.
        _pictureObserver = _player->addPictureObserver([this] { showPlayerPicture(); });
    }
    showPlayerPicture();
}

void PlayerLayer::showPlayerPicture()
{
    setContents(_player ? _player->currentPicture() : nullptr);
}

}  // namespace plat
