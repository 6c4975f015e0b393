#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"

namespace zt {
class ProjectModel;
class ThemeMovieHandler;

// Draws a project's title and credits cards again once its name has changed
// where they show that name, and holds back whatever reads the cards' pictures
// (an export, the editor) until they are drawn. Main queue.
class ThemeCardsRedraw {
public:
    ThemeCardsRedraw() = default;
    ~ThemeCardsRedraw();
    ThemeCardsRedraw(const ThemeCardsRedraw&) = delete;
    ThemeCardsRedraw& operator=(const ThemeCardsRedraw&) = delete;

    // Whether the cards show the project's name: a theme is chosen and no
    // outline was written, whose title stays as typed.
    static bool doCardsShowProjectName(const plat::Dictionary& metadata);

    // Draws the project's cards again when they show its name; true when it does.
    bool redrawCardsShowingName(std::shared_ptr<ProjectModel> project);
    // Runs then once no redraw is going on: at once when none is.
    void whenCardsAreDrawn(std::function<void()> then);

private:
    void finishRedraw();

    std::shared_ptr<ThemeMovieHandler> _handler;
    plat::ObserverToken _finishedObserver;
    std::vector<std::function<void()>> _waiting;
};

}  // namespace zt
