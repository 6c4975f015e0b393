#pragma once
#include <memory>
#include <string>

#include "platform/foundation/NotificationCenter.h"

namespace zt {
class ProjectModel;
class WebRenderer;

// Renders the title and credits cards of the project's theme, one after the
// other, and puts the card frames into the movie or takes them out. Ends a
// render with ThemeRenderingFinishedNotification (object this handler; with
// the first failure under "ERROR" when a card could not be made). An owner
// that lets it go before then ends the render unannounced. Main queue.
class ThemeMovieHandler : public std::enable_shared_from_this<ThemeMovieHandler> {
public:
    static constexpr const char* kThemeRenderingFinishedNotification = "ThemeRenderingFinishedNotification";
    static constexpr int kTitleCard = 0;
    static constexpr int kCreditsCard = 1;
    static constexpr int kCardSeconds = 4;

    explicit ThemeMovieHandler(std::shared_ptr<ProjectModel> project);  // initWithProject:
    ~ThemeMovieHandler();

    void renderTheme();
    // Renders the card currentRenderdCard names (callers set it to card first).
    void renderCard(int card);
    void foo(int card) { renderCard(card); }
    void receiveWebRenderingFinishedNotification(const plat::Notification& notification);
    // Adds the title and credits frames for a theme, removes them for none.
    void updateMovie();

    int currentRenderdCard() const { return _currentRenderdCard; }
    void setCurrentRenderdCard(int card) { _currentRenderdCard = card; }
    const std::shared_ptr<WebRenderer>& webRenderer() const { return _webRenderer; }

private:
    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<WebRenderer> _webRenderer;
    int _currentRenderdCard = kTitleCard;
    plat::ObserverToken _renderingObserver;
    std::string _firstFailure;
};

}  // namespace zt
