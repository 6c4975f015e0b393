#include "render/MovieRendererSources.h"

#include <algorithm>

#include "render/AnimatedGifRenderer.h"
#include "render/ProjectExportRenderer.h"
#include "render/SingleImagesExportRenderer.h"
#include "render/ZantropeMovieRenderer.h"

namespace zt {

MovieRendererSourcesBase::MovieRendererSourcesBase(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

std::vector<std::shared_ptr<MovieRenderer>> MovieRendererSourcesBase::getAvailableRenderer()
{
    return {};
}

std::shared_ptr<MovieRenderer> MovieRendererSourcesBase::getRendererForUTI(const std::string& UTI)
{
    for (auto& renderer : getAvailableRenderer()) {
        if (renderer->getSupportedUTI() == UTI)
            return renderer;
    }
    return nullptr;
}

std::vector<std::shared_ptr<MovieExportType>> MovieRendererSourcesBase::getMovieExportTypesForUTIItems(
    const std::vector<std::string>& UTIs)
{
    std::vector<std::shared_ptr<MovieExportType>> types;
    for (auto& renderer : getAvailableRenderer()) {
        auto UTI = renderer->getSupportedUTI();
        if (!UTI || std::find(UTIs.begin(), UTIs.end(), *UTI) == UTIs.end())
            continue;
        auto supported = renderer->getSupportedExportTypes();
        types.insert(types.end(), supported.begin(), supported.end());
    }
    return types;
}

std::vector<std::shared_ptr<MovieRenderer>> MovieRendererSources::getAvailableRenderer()
{
    return {
        std::make_shared<ZantropeMovieRenderer>(project()),
        std::make_shared<AnimatedGifRenderer>(project()),
        std::make_shared<SingleImagesExportRenderer>(project()),
        std::make_shared<ProjectExportRenderer>(project()),
    };
}

}  // namespace zt
