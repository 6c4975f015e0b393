#include "platform/media/PlayerItem.h"

#include <algorithm>

#include "platform/media/Asset.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItemVideoOutput.h"

namespace plat {

PlayerItem::PlayerItem(std::shared_ptr<const Asset> asset)
    : _asset(std::move(asset))
{
}

std::shared_ptr<PlayerItem> PlayerItem::playerItemWithAsset(std::shared_ptr<const Asset> asset)
{
    return std::make_shared<PlayerItem>(std::move(asset));
}

PlayerItem::~PlayerItem()
{
    for (const auto& output : _outputs)
        output->detach();
}

MediaTime PlayerItem::currentTime() const
{
    auto player = _player.lock();
    return player ? player->currentTime() : MediaTime::zero();
}

float PlayerItem::playbackRate() const
{
    auto player = _player.lock();
    return player ? player->rate() : 0.0f;
}

void PlayerItem::addOutput(const std::shared_ptr<PlayerItemVideoOutput>& output)
{
    if (!output || std::find(_outputs.begin(), _outputs.end(), output) != _outputs.end())
        return;
    _outputs.push_back(output);
    output->attach(shared_from_this());
}

void PlayerItem::removeOutput(const std::shared_ptr<PlayerItemVideoOutput>& output)
{
    auto found = std::find(_outputs.begin(), _outputs.end(), output);
    if (found == _outputs.end())
        return;
    (*found)->detach();
    _outputs.erase(found);
}

MediaTime PlayerItem::duration() const
{
    return _asset ? _asset->duration() : MediaTime::zero();
}

}  // namespace plat
