#include "document/ProjectModel.h"

#include <algorithm>

namespace zt {

void ProjectModel::loadTracksIfNeeded()
{
    if (_tracksLoaded)
        return;
    _tracksLoaded = true;
    auto metadata = getMetaData();
    auto stored = metadata ? metadata->getDictionary("Tracks") : std::nullopt;
    if (!stored)
        return;
    for (const auto& [name, value] : *stored) {
        int64_t type = ProjectTrackModel::getTrackTypeForName(name);
        auto records = value.asArray();
        if (type == plat::kNotFound || !records)
            continue;  // unknown track kinds are left alone
        auto& tracks = _tracks[static_cast<int>(type)];
        for (const plat::Value& entry : *records) {
            if (auto record = entry.asDictionary())
                tracks.push_back(ProjectTrackModel::initFromDictonary(*record, static_cast<int>(type)));
        }
    }
}

std::optional<std::vector<std::shared_ptr<ProjectTrackModel>>> ProjectModel::getTracksOfType(int type)
{
    loadTracksIfNeeded();
    auto found = _tracks.find(type);
    if (found == _tracks.end())
        return std::nullopt;
    return found->second;
}

bool ProjectModel::hasTrackOfType(int type)
{
    auto tracks = getTracksOfType(type);
    return tracks && !tracks->empty();
}

void ProjectModel::addTrack(std::shared_ptr<ProjectTrackModel> track)
{
    loadTracksIfNeeded();
    int type = track->type();
    _tracks[type].push_back(std::move(track));
}

void ProjectModel::addTrack(std::shared_ptr<ProjectTrackModel> track, int64_t index)
{
    loadTracksIfNeeded();
    auto& tracks = _tracks[track->type()];
    if (index < 0 || index >= static_cast<int64_t>(tracks.size()))
        tracks.push_back(std::move(track));
    else
        tracks.insert(tracks.begin() + index, std::move(track));
}

void ProjectModel::deleteTrack(const std::shared_ptr<ProjectTrackModel>& track)
{
    loadTracksIfNeeded();
    auto found = _tracks.find(track->type());
    if (found != _tracks.end())
        std::erase(found->second, track);
}

std::vector<std::shared_ptr<ProjectTrackModel>> ProjectModel::getAllTracks()
{
    loadTracksIfNeeded();
    std::vector<std::shared_ptr<ProjectTrackModel>> all;
    for (const auto& [type, tracks] : _tracks)
        all.insert(all.end(), tracks.begin(), tracks.end());
    return all;
}

std::shared_ptr<ProjectModel> ProjectModel::makeReadOnlySnapshot()
{
    auto snapshot = std::make_shared<ProjectModel>(getProjectPath());
    snapshot->copyForReading(*this);
    return snapshot;
}

plat::Dictionary ProjectModel::encode()
{
    loadTracksIfNeeded();
    plat::Dictionary stored;
    for (const auto& [type, tracks] : _tracks) {
        auto name = ProjectTrackModel::getTrackStoreNameForTrackType(type);
        if (!name)
            continue;
        plat::Array records;
        for (const auto& track : tracks)
            records.append(track->encode());
        stored.set(*name, records);
    }
    return stored;
}

}  // namespace zt
