#include "platform/media/PlayerItem.h"

#include "platform/media/Asset.h"

namespace plat {

PlayerItem::PlayerItem(std::shared_ptr<const Asset> asset)
    : _asset(std::move(asset))
{
}

std::shared_ptr<PlayerItem> PlayerItem::playerItemWithAsset(std::shared_ptr<const Asset> asset)
{
    return std::make_shared<PlayerItem>(std::move(asset));
}

MediaTime PlayerItem::duration() const
{
    return _asset ? _asset->duration() : MediaTime::zero();
}

}  // namespace plat
