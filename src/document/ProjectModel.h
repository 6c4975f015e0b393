#pragma once
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "document/FramePictureChecks.h"
#include "document/ProjectDataWrapper.h"
#include "document/ProjectTrackModel.h"

namespace zt {

// The project handle every screen holds: the folder handle plus typed access
// to the timeline tracks kept under "Tracks" in the metadata. Track changes
// stay in memory; encode() gives the "Tracks" dictionary they would make.
// Main queue.
class ProjectModel : public ProjectDataWrapper {
public:
    using ProjectDataWrapper::ProjectDataWrapper;

    // The tracks of a type, or none when the project has no such array.
    std::optional<std::vector<std::shared_ptr<ProjectTrackModel>>> getTracksOfType(int type);
    bool hasTrackOfType(int type);
    void addTrack(std::shared_ptr<ProjectTrackModel> track);
    // Inserts at index, or appends when index is not below the type's count.
    void addTrack(std::shared_ptr<ProjectTrackModel> track, int64_t index);
    void deleteTrack(const std::shared_ptr<ProjectTrackModel>& track);
    // Every track, ordered by type.
    std::vector<std::shared_ptr<ProjectTrackModel>> getAllTracks();
    plat::Dictionary encode();

    // A copy to read on one other queue while this handle goes on changing
    // on the main queue (an export reads the frames on its own queue): the
    // same folder, a deep copy of the metadata and a copy of the frame list.
    // The copy never writes: its saves and file changes do nothing. Main queue.
    std::shared_ptr<ProjectModel> makeReadOnlySnapshot();

    // What is known of whether the frames' full pictures can be read, for
    // every screen that holds this handle. Any thread.
    FramePictureChecks& framePictureChecks() const { return *_framePictureChecks; }

private:
    void loadTracksIfNeeded();

    bool _tracksLoaded = false;
    std::map<int, std::vector<std::shared_ptr<ProjectTrackModel>>> _tracks;
    const std::shared_ptr<FramePictureChecks> _framePictureChecks = std::make_shared<FramePictureChecks>();
};

}  // namespace zt
