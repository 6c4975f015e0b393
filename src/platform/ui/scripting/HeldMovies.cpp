#include "platform/ui/scripting/HeldMovies.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/media/MoviePlayer.h"
#include "platform/ui/PlayerLayer.h"
#include "platform/ui/Window.h"

namespace plat::scripting::detail {

namespace {

void collectPlayers(const Layer& layer, std::vector<std::shared_ptr<MoviePlayer>>& out)
{
    if (layer.isHidden())
        return;
    if (auto* shown = dynamic_cast<const PlayerLayer*>(&layer); shown && shown->player())
        out.push_back(shown->player());
    for (const auto& sublayer : layer.sublayers())
        collectPlayers(*sublayer, out);
}

}  // namespace

HeldMovies::~HeldMovies()
{
    for (const auto& weak : _held)
        if (auto player = weak.lock())
            player->endHold();
}

void HeldMovies::holdShown(Window& window)
{
    std::vector<std::shared_ptr<MoviePlayer>> shown;
    collectPlayers(*window.layer(), shown);
    for (const auto& player : shown) {
        const bool held
            = std::any_of(_held.begin(), _held.end(), [&](const auto& weak) { return weak.lock() == player; });
        if (held)
            continue;
        player->beginHold();
        _held.push_back(player);
    }
}

std::string HeldMovies::state() const
{
    std::string state;
    for (const auto& weak : _held)
        if (auto player = weak.lock())
            state += formatLine("rate {} at {}; ", player->rate(), player->currentTime().seconds());
    return state;
}

}  // namespace plat::scripting::detail
