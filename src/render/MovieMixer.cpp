#include "render/MovieMixer.h"

#include <algorithm>
#include <cmath>

#include "document/AudioClip.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "document/SoundFileInspection.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"
#include "platform/media/AudioMix.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"

namespace zt {

namespace {

// How far a clip may run past the end of its file's sound: times stored at
// another timescale than the file's round by less.
constexpr double kSoundEndToleranceSeconds = 0.05;

// The clips by their start in the movie; clips that start together keep
// their order. The list itself stays as it is stored.
std::vector<std::shared_ptr<AudioClip>> inMovieOrder(const std::vector<std::shared_ptr<AudioClip>>& clips)
{
    std::vector<std::shared_ptr<AudioClip>> ordered = clips;
    std::stable_sort(ordered.begin(), ordered.end(),
        [](const auto& a, const auto& b) { return a->timeRangeInMovie().start < b->timeRangeInMovie().start; });
    return ordered;
}

std::shared_ptr<plat::CompositionTrack> addAudioTrack(plat::MutableComposition& composition)
{
    return composition.addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid);
}

// The first of the lane's tracks with nothing at or after the time, else a new one.
std::shared_ptr<plat::CompositionTrack> laneTrackSilentFrom(std::vector<std::shared_ptr<plat::CompositionTrack>>& lane,
    plat::MutableComposition& composition, const plat::MediaTime& time)
{
    for (const auto& track : lane) {
        if (track->timeRange().end() <= time)
            return track;
    }
    return lane.emplace_back(addAudioTrack(composition));
}

}  // namespace

MovieMixer::MovieMixer(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

bool MovieMixer::isValidTimeRange(const plat::MediaTimeRange& range)
{
    return range.start.isValid() && range.duration.isValid() && range.duration.epoch == 0
        && range.duration >= plat::MediaTime::zero();
}

std::optional<std::string> MovieMixer::soundFilePathOfClip(const AudioClip& clip) const
{
    const auto& projectPath = _project->getProjectPath();
    if (!clip.url() || !projectPath)
        return std::nullopt;
    return plat::appendingPathComponent(*projectPath, clip.url()->lastPathComponent());
}

bool MovieMixer::canReadSoundOfClip(const AudioClip& clip) const
{
    auto path = soundFilePathOfClip(clip);
    if (!path)
        return false;
    auto facts = SoundFileInspection::inspect(*path);
    if (!facts.ok()) {
        plat::log("mixer: {}", facts.error().localizedDescription());
        return false;
    }
    const double clipEnd = (clip.start() + clip.duration()).seconds();
    if (clipEnd > facts.value().duration.seconds() + kSoundEndToleranceSeconds) {
        plat::log(
            "mixer: {} ends at {} s, before its clip does at {} s", *path, facts.value().duration.seconds(), clipEnd);
        return false;
    }
    return true;
}

std::optional<int64_t> MovieMixer::startInMovieOfClip(const AudioClip& clip) const
{
    const FrameList& list = _project->getFrameList();
    const auto& anchor = clip.linkToFrameUID();
    if (!anchor)
        return list.getMovieIndexForIndex(clip.linkToPosition());
    // A clip stored on the capture placeholder sounds with the picture the
    // movie shows beside it, as a new one placed there is.
    int64_t shown = list.getShownIndexForIndex(list.getIndexOfFrameWithUID(*anchor));
    if (shown == plat::kNotFound)
        return std::nullopt;
    return list.getMovieIndexForIndex(shown) + clip.linkToPosition();
}

void MovieMixer::calculateAudioClipTimeRangeInMovieForClip(AudioClip& clip)
{
    auto start = startInMovieOfClip(clip);
    if (!start)
        return;
    // A damaged rate below 1 counts as the default, so the times can be made.
    int64_t fps = _project->recordFPS();
    clip.setTimeRangeInMovie(
        plat::MediaTimeRange::make(plat::MediaTime::make(*start, static_cast<int32_t>(fps)), clip.duration()));
    double frames = clip.duration().seconds() * static_cast<double>(static_cast<float>(fps));
    // An invalid duration covers no frame.
    int64_t last = std::isfinite(frames) ? *start + static_cast<int64_t>(std::ceil(frames)) - 1 : *start - 1;
    // The first and last entries of the list it covers, stepping over the placeholder.
    const FrameList& list = _project->getFrameList();
    clip.setStartFrameIndex(list.getIndexForMovieIndex(*start));
    clip.setEndFrameIndex(list.getIndexForMovieIndex(last));
}

bool MovieMixer::prepareAVMutableComposition(std::shared_ptr<plat::MutableComposition>* composition,
    std::shared_ptr<plat::AudioMix>* audioMix, ClipList& clips, const plat::MediaTime& duration,
    std::optional<plat::Error>* error)
{
    for (auto& track : clips) {
        for (const auto& clip : track) {
            calculateAudioClipTimeRangeInMovieForClip(*clip);
            plat::MediaTimeRange range = clip->timeRangeInMovie();
            if (range.end() > duration) {
                // A clip that begins after the end gets a negative duration and is left out.
                plat::MediaTime cut = duration - range.start;
                clip->setTimeRangeInMovie(plat::MediaTimeRange::make(range.start, cut));
                clip->setDuration(cut);
            }
        }
    }
    return prepareAVMutableCompositionWithMixWithAudioData(composition, audioMix, clips, error);
}

bool MovieMixer::prepareAVMutableCompositionWithMixWithAudioData(std::shared_ptr<plat::MutableComposition>* composition,
    std::shared_ptr<plat::AudioMix>* audioMix, const ClipList& clips, std::optional<plat::Error>* error)
{
    (void)error;
    auto made = plat::MutableComposition::composition();
    std::vector<std::shared_ptr<plat::AudioMixInputParameters>> parameters;
    for (const auto& list : clips) {
        // An insert moves whatever lies at or after its time on the track, so
        // a lane's clips go in by their start in the movie, each after the
        // ones before it. A clip that starts while another of its lane still
        // sounds gets a track of its own: both are heard whole at their places.
        std::vector<std::shared_ptr<plat::CompositionTrack>> lane {addAudioTrack(*made)};
        for (const auto& clip : inMovieOrder(list)) {
            auto path = soundFilePathOfClip(*clip);
            if (!path)
                continue;
            auto source = plat::MediaTimeRange::make(clip->start(), clip->duration());
            if (!clip->start().isValid() || !clip->duration().isValid() || !isValidTimeRange(clip->timeRangeInMovie()))
                continue;
            auto asset = plat::URLAsset::assetWithPath(*path);
            auto audioTracks = asset->tracksWithMediaType(plat::kMediaTypeAudio);
            if (audioTracks.empty())
                continue;
            const plat::MediaTime at = clip->timeRangeInMovie().start;
            auto track = laneTrackSilentFrom(lane, *made, at);
            auto inserted = track->insertTimeRange(source, *audioTracks.front(), at);
            if (!inserted.ok())
                plat::log("mixer: a clip leaves a gap: {}", inserted.error().localizedDescription());
            auto volume = plat::AudioMixInputParameters::audioMixInputParameters();
            volume->setTrackID(track->trackID());
            volume->setVolume(clip->volume(), at);
            parameters.push_back(std::move(volume));
        }
    }
    auto mix = plat::AudioMix::audioMix();
    mix->setInputParameters(std::move(parameters));
    if (composition)
        *composition = std::move(made);
    if (audioMix)
        *audioMix = std::move(mix);
    return true;
}

}  // namespace zt
