// The explorer's preview and exports: a movie of the selected project played
// once rendered, and any export rendered with the progress screen.
#include <cstdio>

#include "app/ProjectExplorer.h"
#include "app/UnreadableFramesMessage.h"
#include "document/FailureAlerts.h"
#include "document/FailureReason.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "render/MovieExportType.h"
#include "render/MovieRenderer.h"
#include "render/MovieRendererSources.h"
#include "render/RenderProgressViewController.h"
#include "uikit/AlertView.h"
#include "uikit/QVMovieView.h"
#include "uikit/QVNavigationController.h"

namespace zt {

namespace {

constexpr double kStatusPollSeconds = 1.0;
constexpr int64_t kStatusRunning = 2;
constexpr int64_t kStatusFinished = 3;
constexpr int64_t kStatusFailed = 4;

std::string failureText(const plat::Error& error)
{
    char code[32];
    std::snprintf(code, sizeof code, "%lld", static_cast<long long>(error.code()));
    const std::string reason = error.localizedDescription() + " - [" + error.domain() + "-" + code + "]";
    const std::string format = plat::localized("The project could not be prepared because an error occurred. - (%@)");
    const size_t slot = format.find("%@");
    return slot == std::string::npos ? format + " " + reason
                                     : format.substr(0, slot) + reason + format.substr(slot + 2);
}

}  // namespace

plat::Size ProjectExplorer::previewResolution()
{
    if (plat::Device::currentDevice().isTablet())
        return plat::Screen::mainScreen().scale() > 1.0 ? plat::Size {1920, 1080} : plat::Size {1280, 720};
    return MovieRenderer::isResolutionAvailable({960, 540}) ? plat::Size {960, 540} : plat::Size {640, 360};
}

void ProjectExplorer::actionPlay()
{
    playPreviewOfProject(_selectedProject);
}

void ProjectExplorer::playPreviewOfProject(const std::shared_ptr<ProjectModel>& project)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!project)
        return;
    const plat::Size size = previewResolution();
    auto type = previewExportType(size);
    auto renderer = MovieRendererSources(project).getRendererForUTI(type->UTI());
    if (!renderer)
        return;
    auto movie = renderer->getPreparedMovieForExportType(*type);
    if (!movie)
        movie = unnotedPreparedMovie(*project, *type);
    if (movie) {
        playVideoInMovieView(*movie);
        return;
    }
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    auto alert = std::make_shared<AlertView>(plat::localized("Render Movie"),
        plat::localized("The project needs to be rendered first. This may take a while."));
    auto prepare = [weakSelf, size](AlertView&, int64_t) {
        if (auto self = weakSelf.lock())
            self->prepareMovieWithResolution(size);
    };
    alert->addButtonWithTitle(plat::localized("Ok"), prepare);
    if (plat::Device::currentDevice().isTablet())
        alert->addButtonWithTitle(plat::localized("Optimized (Slower)"), prepare);
    alert->addButtonWithTitle(plat::localized("Cancel"), {});
    alert->show();
}

void ProjectExplorer::prepareMovieWithResolution(plat::Size size)
{
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    // The project rendered is the one played when done, wherever the list has moved meanwhile (an import).
    auto project = _selectedProject;
    prepareExportWithType(previewExportType(size), [weakSelf, project](MovieRenderer& renderer) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        if (auto unnoted = renderer.noteError(); unnoted && project && project->getProjectPath()) {
            self->keepUnnotedMovie(project, renderer, *unnoted);
            return;
        }
        // Now the prepared movie is there: played without asking.
        plat::DispatchQueue::mainQueue().async([weakSelf, project] {
            if (auto owner = weakSelf.lock())
                owner->playPreviewOfProject(project);
        });
    });
}

void ProjectExplorer::keepUnnotedMovie(
    const std::shared_ptr<ProjectModel>& project, MovieRenderer& renderer, const plat::Error& why)
{
    // The project read again from its folder still asks for a render: the
    // renderer, whose project noted the movie in memory, answers for it.
    _unnotedMovies[*project->getProjectPath()] = renderer.shared_from_this();
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    auto alert = std::make_shared<AlertView>(plat::localized("The movie could not be noted in the project."),
        failureReason(why) + " " + plat::localized("It plays now, but it will have to be rendered again."));
    alert->addButtonWithTitle(plat::localized("OK"), [weakSelf, project](AlertView&, int64_t) {
        if (auto self = weakSelf.lock())
            self->playPreviewOfProject(project);
    });
    alert->show();
}

std::optional<plat::URL> ProjectExplorer::unnotedPreparedMovie(const ProjectModel& project, const MovieExportType& type)
{
    const auto projectPath = project.getProjectPath();
    auto kept = projectPath ? _unnotedMovies.find(*projectPath) : _unnotedMovies.end();
    if (kept == _unnotedMovies.end())
        return std::nullopt;
    auto movie = kept->second->getPreparedMovieForExportType(type);
    if (!movie)
        _unnotedMovies.erase(kept);
    return movie;
}

void ProjectExplorer::prepareExportWithType(std::shared_ptr<MovieExportType> type, AfterExport afterExport)
{
    startExport(std::move(type), std::move(afterExport), nullptr);
}

void ProjectExplorer::prepareExportWithType(std::shared_ptr<MovieExportType> type, ShareHandOff handOff)
{
    startExport(std::move(type), nullptr, std::move(handOff));
}

void ProjectExplorer::startExport(std::shared_ptr<MovieExportType> type, AfterExport afterExport, ShareHandOff handOff)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!_selectedProject || !type || !checkIfProjectNeedsConversionAnConvertIt())
        return;
    auto project = _selectedProject;
    _renderProgressViewController
        = std::make_shared<RenderProgressViewController>("RenderProgressViewController", project);
    _renderProgressNavigation = std::make_shared<QVNavigationController>(_renderProgressViewController);
    _renderProgressNavigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    std::weak_ptr<RenderProgressViewController> weakScreen = _renderProgressViewController;
    presentViewController(_renderProgressNavigation, /*animated=*/true,
        [weakSelf, weakScreen, project, type, afterExport = std::move(afterExport),
            handOff = std::move(handOff)]() mutable {
            auto self = weakSelf.lock();
            auto screen = weakScreen.lock();
            if (!self || !screen || screen != self->_renderProgressViewController)
                return;  // cancelled or replaced meanwhile
            screen->showInfo(plat::localized("Please wait while your video is being prepared."));
            // Cards drawn again for a name just typed are read once they are whole.
            self->_cardsRedraw.whenCardsAreDrawn([weakSelf, weakScreen, project, type, afterExport, handOff] {
                auto owner = weakSelf.lock();
                auto shown = weakScreen.lock();
                if (owner && shown && shown == owner->_renderProgressViewController)
                    owner->renderExport(shown, project, type, afterExport, handOff);
            });
        });
}

void ProjectExplorer::renderExport(const std::shared_ptr<RenderProgressViewController>& screen,
    const std::shared_ptr<ProjectModel>& project, const std::shared_ptr<MovieExportType>& type, AfterExport afterExport,
    ShareHandOff handOff)
{
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    std::weak_ptr<RenderProgressViewController> weakScreen = screen;
    auto renderer = MovieRendererSources(project).getRendererForUTI(type->UTI());
    if (!renderer) {
        screen->showFinished(plat::localized("This kind of export is not available."),
            RenderProgressViewController::Outcome::Failed, [weakSelf, weakScreen] {
                if (auto owner = weakSelf.lock())
                    owner->closeRenderProgressScreen(weakScreen.lock());
            });
        return;
    }
    _movieRenderer = renderer;
    screen->setCancelHandler([weakSelf] {
        if (auto owner = weakSelf.lock())
            owner->cancelMovieRenderer();
    });
    std::weak_ptr<MovieRenderer> weakRenderer = renderer;
    renderer->exportProjectWithExportType(type,
        [weakSelf, weakScreen, weakRenderer, afterExport = std::move(afterExport),
            handOff = std::move(handOff)]() mutable {
            auto owner = weakSelf.lock();
            auto exported = weakRenderer.lock();
            if (!owner || !exported)
                return;
            owner->finishExport(*exported, weakScreen.lock(), std::move(afterExport), std::move(handOff));
        });
    plat::RunLoop::main().performAfterDelay(this, kStatusPollSeconds, [weakSelf, weakRenderer] {
        if (auto owner = weakSelf.lock())
            owner->checkStatusForExporter(weakRenderer.lock());
    });
}

void ProjectExplorer::finishExport(MovieRenderer& renderer, const std::shared_ptr<RenderProgressViewController>& screen,
    AfterExport afterExport, ShareHandOff handOff)
{
    const int64_t status = renderer.status();
    if (status == kStatusFailed) {
        // The screen stays with the reason until the person cancels it: its Cancel closes it.
        if (screen && screen == _renderProgressViewController) {
            auto error = renderer.error();
            screen->showFailed(
                failureText(error ? *error : plat::Error("Render", status, plat::localized("The export failed."))));
        }
        return;
    }
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    auto keptRenderer = renderer.shared_from_this();
    plat::DispatchQueue::mainQueue().async([weakSelf, screen, status, keptRenderer,
                                               afterExport = std::move(afterExport),
                                               handOff = std::move(handOff)]() mutable {
        auto self = weakSelf.lock();
        // A cancelled preparation took its screen away: nothing more.
        if (!self || !screen || screen != self->_renderProgressViewController)
            return;
        // The rest waits until the person has read which frames and sounds the export could not read.
        std::function<void()> goOn = [weakSelf, status, keptRenderer, screen, afterExport = std::move(afterExport),
                                         handOff = std::move(handOff)]() mutable {
            auto owner = weakSelf.lock();
            if (owner && screen == owner->_renderProgressViewController)
                owner->continueAfterExport(status, keptRenderer, screen, std::move(afterExport), std::move(handOff));
        };
        if (status == kStatusFinished)
            tellUnreadableFramesAndSounds(*keptRenderer, std::move(goOn));
        else
            goOn();
    });
}

void ProjectExplorer::tellUnreadableFramesAndSounds(const MovieRenderer& renderer, std::function<void()> then)
{
    const auto frames = renderer.unreadableFrames();
    const auto sounds = renderer.unreadableSounds();
    if (frames.empty() && sounds.empty()) {
        then();
        return;
    }
    std::string title;
    std::string message;
    if (!frames.empty()) {
        title = plat::localized("Some frames could not be read.");
        message = unreadableFramesMessage(frames, renderer.unreadablePictureFill());
    }
    if (!sounds.empty()) {
        title = frames.empty() ? plat::localized("Some sounds could not be read.")
                               : plat::localized("Some frames and sounds could not be read.");
        message += (message.empty() ? "" : "\n") + unreadableSoundsMessage(sounds);
    }
    // Told once, over the screen of the render that met them.
    auto alert = std::make_shared<AlertView>(title, message);
    alert->addButtonWithTitle(plat::localized("OK"), [then = std::move(then)](AlertView&, int64_t) { then(); });
    alert->show();
}

void ProjectExplorer::continueAfterExport(int64_t status, const std::shared_ptr<MovieRenderer>& renderer,
    const std::shared_ptr<RenderProgressViewController>& screen, AfterExport afterExport, ShareHandOff handOff)
{
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    if (status == kStatusFinished && handOff) {
        // The share target works on under the same screen, which it
        // closes: the screen keeps this block in its buttons, so the block
        // points back to it weakly.
        std::weak_ptr<RenderProgressViewController> weakScreen = screen;
        handOff(*renderer, screen, [weakSelf, weakScreen] {
            if (auto owner = weakSelf.lock())
                owner->closeRenderProgressScreen(weakScreen.lock());
        });
        return;
    }
    _renderProgressNavigation->dismissViewControllerAnimated(
        /*animated=*/true, [status, renderer, afterExport = std::move(afterExport)] {
            if (status == kStatusFinished && afterExport)
                afterExport(*renderer);
        });
    _renderProgressViewController.reset();
    _renderProgressNavigation.reset();
}

void ProjectExplorer::closeRenderProgressScreen(const std::shared_ptr<RenderProgressViewController>& screen)
{
    if (!screen || screen != _renderProgressViewController)
        return;
    _renderProgressNavigation->dismissViewControllerAnimated(/*animated=*/true, nullptr);
    _renderProgressViewController.reset();
    _renderProgressNavigation.reset();
}

void ProjectExplorer::checkStatusForExporter(const std::shared_ptr<MovieRenderer>& renderer)
{
    if (!renderer || renderer->status() != kStatusRunning)
        return;
    if (_renderProgressViewController)
        _renderProgressViewController->setProgress(renderer->progress());
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    std::weak_ptr<MovieRenderer> weakRenderer = renderer;
    plat::RunLoop::main().performAfterDelay(this, kStatusPollSeconds, [weakSelf, weakRenderer] {
        if (auto self = weakSelf.lock())
            self->checkStatusForExporter(weakRenderer.lock());
    });
}

void ProjectExplorer::cancelMovieRenderer()
{
    if (_movieRenderer)
        _movieRenderer->cancelExport();
    if (_renderProgressNavigation) {
        _renderProgressNavigation->dismissViewControllerAnimated(/*animated=*/true, nullptr);
        _renderProgressNavigation.reset();
        _renderProgressViewController.reset();
    }
}

void ProjectExplorer::playVideoInMovieView(const plat::URL& movieURL)
{
    presentViewController(std::make_shared<QVMovieView>("QVMovieView", movieURL), /*animated=*/true, nullptr);
}

}  // namespace zt
