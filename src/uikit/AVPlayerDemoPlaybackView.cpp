#include "uikit/AVPlayerDemoPlaybackView.h"

namespace zt {

AVPlayerDemoPlaybackView::AVPlayerDemoPlaybackView(plat::Rect frame)
    : plat::View(frame, std::make_shared<plat::PlayerLayer>())
{
}

plat::PlayerLayer& AVPlayerDemoPlaybackView::playerLayer() const
{
    return static_cast<plat::PlayerLayer&>(*layer());
}

const std::shared_ptr<plat::MoviePlayer>& AVPlayerDemoPlaybackView::player() const
{
    return playerLayer().player();
}

void AVPlayerDemoPlaybackView::setPlayer(std::shared_ptr<plat::MoviePlayer> player)
{
    playerLayer().setPlayer(std::move(player));
    setBackgroundColor(plat::Color::blackColor());
}

void AVPlayerDemoPlaybackView::setVideoFillMode(plat::ContentsGravity gravity)
{
    playerLayer().setVideoGravity(gravity);
}

}  // namespace zt
