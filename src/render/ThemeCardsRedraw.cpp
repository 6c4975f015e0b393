#include "render/ThemeCardsRedraw.h"

#include <utility>

#include "document/ProjectModel.h"
#include "platform/foundation/DispatchQueue.h"
#include "render/ThemeMovieHandler.h"

namespace zt {

ThemeCardsRedraw::~ThemeCardsRedraw() = default;

bool ThemeCardsRedraw::doCardsShowProjectName(const plat::Dictionary& metadata)
{
    // A stored outline that is no dictionary counts as none, as the cards read it.
    return metadata.getInt64("META_RECORD_THEME").value_or(0) != 0
        && !metadata.getDictionary("META_RECORD_OUTLINE_DATA");
}

bool ThemeCardsRedraw::redrawCardsShowingName(std::shared_ptr<ProjectModel> project)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto metadata = project ? project->getMetaData() : std::nullopt;
    if (!metadata || !doCardsShowProjectName(*metadata))
        return false;
    // A redraw still going on is replaced: the waiting wait for this one.
    _handler = std::make_shared<ThemeMovieHandler>(std::move(project));
    // The token, a member, ends the observing before this object goes.
    _finishedObserver
        = plat::NotificationCenter::defaultCenter().addObserver(ThemeMovieHandler::kThemeRenderingFinishedNotification,
            _handler.get(), [this](const plat::Notification&) { finishRedraw(); });
    _handler->renderTheme();
    return true;
}

void ThemeCardsRedraw::whenCardsAreDrawn(std::function<void()> then)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!_handler) {
        then();
        return;
    }
    _waiting.push_back(std::move(then));
}

void ThemeCardsRedraw::finishRedraw()
{
    // The handler keeps itself alive through the post that brings us here.
    _handler.reset();
    _finishedObserver = {};
    // What waited starts on the next turn, not inside the card renderer's calls.
    plat::DispatchQueue::mainQueue().async([waiting = std::exchange(_waiting, {})] {
        for (const auto& then : waiting)
            then();
    });
}

}  // namespace zt
