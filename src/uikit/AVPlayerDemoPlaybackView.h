#pragma once
#include <memory>

#include "platform/ui/PlayerLayer.h"
#include "platform/ui/View.h"

namespace zt {

// The view that shows a movie player's pictures: its layer is a player layer.
class AVPlayerDemoPlaybackView : public plat::View {
public:
    explicit AVPlayerDemoPlaybackView(plat::Rect frame);

    const std::shared_ptr<plat::MoviePlayer>& player() const;
    // Also makes the background black, the colour around the picture.
    void setPlayer(std::shared_ptr<plat::MoviePlayer> player);
    void setVideoFillMode(plat::ContentsGravity gravity);

private:
    plat::PlayerLayer& playerLayer() const;
};

}  // namespace zt
