#pragma once
#include <memory>
#include <string>
#include <vector>

namespace zt {
class MovieExportType;
class MovieRenderer;
class ProjectModel;

// Which renderer writes a type identifier, and which export types a share
// target can be offered. Every request makes new renderers: one renderer
// serves one export. Main queue.
class MovieRendererSourcesBase {
public:
    explicit MovieRendererSourcesBase(std::shared_ptr<ProjectModel> project);  // initWithProject:
    virtual ~MovieRendererSourcesBase() = default;

    // None in the base.
    virtual std::vector<std::shared_ptr<MovieRenderer>> getAvailableRenderer();
    // The first renderer whose type identifier equals UTI; nullptr for none.
    std::shared_ptr<MovieRenderer> getRendererForUTI(const std::string& UTI);
    // The export types of every renderer whose identifier is among the
    // given ones, in the renderers' order (not the given one's).
    std::vector<std::shared_ptr<MovieExportType>> getMovieExportTypesForUTIItems(const std::vector<std::string>& UTIs);

protected:
    const std::shared_ptr<ProjectModel>& project() const { return _project; }

private:
    std::shared_ptr<ProjectModel> _project;
};

// The registry of this app: movie, animated GIF, single images, project archive.
class MovieRendererSources : public MovieRendererSourcesBase {
public:
    using MovieRendererSourcesBase::MovieRendererSourcesBase;
    std::vector<std::shared_ptr<MovieRenderer>> getAvailableRenderer() override;
};

}  // namespace zt
