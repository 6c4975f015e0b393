// The project explorer's preview preparation: the project rendered as the
// preview movie, its progress polled each second, the movie played when
// it is ready.
#include "app/ProjectModel.h"
#include "app/screens/ProjectExplorer.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "render/MovieExportType.h"
#include "render/MovieRenderer.h"
#include "render/MovieRendererSources.h"

namespace zt {

namespace {

constexpr double kProgressPollSeconds = 1.0;
constexpr int64_t kStatusRunning = 2;
constexpr int64_t kStatusFinished = 3;

}  // namespace

void ProjectExplorer::prepareMovieWithResolution(plat::Size size)
{
    if (!checkIfProjectNeedsConversionAnConvertIt())
        return;
    auto type = previewExportType(size);
    auto renderer = MovieRendererSources(_selectedProject).getRendererForUTI(type->UTI());
    if (!renderer)
        return;
    _movieRenderer = renderer;
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    std::weak_ptr<MovieRenderer> weakRenderer = renderer;
    renderer->exportProjectWithExportType(type, [weakSelf, weakRenderer] {
        auto self = weakSelf.lock();
        auto finished = weakRenderer.lock();
        // Cancelled meanwhile, or another preparation took over.
        if (!self || !finished || self->_movieRenderer != finished)
            return;
        self->_movieRenderer.reset();
        if (finished->status() != kStatusFinished)
            return;
        plat::DispatchQueue::mainQueue().async([weakSelf] {
            if (auto again = weakSelf.lock())
                again->actionPlay();
        });
    });
    plat::DispatchQueue::mainQueue().after(kProgressPollSeconds, [weakSelf, renderer] {
        if (auto self = weakSelf.lock())
            self->checkStatusForExporter(renderer);
    });
}

void ProjectExplorer::checkStatusForExporter(const std::shared_ptr<MovieRenderer>& renderer)
{
    if (!renderer || renderer->status() != kStatusRunning)
        return;
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    plat::DispatchQueue::mainQueue().after(kProgressPollSeconds, [weakSelf, renderer] {
        if (auto self = weakSelf.lock())
            self->checkStatusForExporter(renderer);
    });
}

void ProjectExplorer::cancelMovieRenderer()
{
    if (_movieRenderer)
        _movieRenderer->cancelExport();
    _movieRenderer.reset();
}

}  // namespace zt
