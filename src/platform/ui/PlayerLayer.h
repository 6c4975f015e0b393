#pragma once
#include <memory>

#include "platform/media/MoviePlayer.h"
#include "platform/ui/Layer.h"

namespace plat {

// The layer that shows a movie player's pictures, as the platform's player
// layer: its contents are the player's current picture, placed by the
// video gravity (aspect fit unless set). Main thread.
class PlayerLayer : public Layer {
public:
    PlayerLayer();
    ~PlayerLayer() override;
    static std::shared_ptr<PlayerLayer> playerLayerWithPlayer(std::shared_ptr<MoviePlayer> player);

    const std::shared_ptr<MoviePlayer>& player() const { return _player; }
    void setPlayer(std::shared_ptr<MoviePlayer> player);
    ContentsGravity videoGravity() const { return contentsGravity(); }
    void setVideoGravity(ContentsGravity gravity) { setContentsGravity(gravity); }
    // Whether a picture is there to be shown.
    bool isReadyForDisplay() const { return contents() != nullptr; }

private:
    void showPlayerPicture();

    std::shared_ptr<MoviePlayer> _player;
    MoviePlayer::ObserverToken _pictureObserver = 0;
};

}  // namespace plat
