#include <algorithm>

#include "audio/AudioController.h"
#include "document/AudioClip.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"

// Where the tracks have room for a clip, and which clips sound at a frame.
namespace zt {

// Room counts the frames the movie shows: the capture placeholder, wherever
// it stands, gives none and ends none.
plat::MediaTime AudioController::calculateMaxDurationAvailableForTrack(const Track& track, int64_t frameIndex) const
{
    const FrameList& list = _project->getFrameList();
    int64_t from = list.getShownIndexForIndex(frameIndex);
    if (from == plat::kNotFound)
        return frames(0);
    int64_t freeFrames = 0;
    for (int64_t index = from; index < list.count() && !getAudioClipForFrameAtIndex(index, track); ++index) {
        if (index != list.getCaptureIndex())
            ++freeFrames;
    }
    return frames(freeFrames);
}

int64_t AudioController::getNextStartIndexFromIndex(int64_t index, const Track& track) const
{
    int64_t next = plat::kNotFound;
    for (const auto& clip : track) {
        int64_t start = placedIndexOf(*clip);
        if (start != plat::kNotFound && start > index)
            next = std::min(next, start);
    }
    return next;
}

plat::MediaTime AudioController::calculateMaxDurationAvailableForTrack(
    const Track& track, int64_t frameIndex, const AudioClip& ignoreClip) const
{
    (void)frameIndex;
    int64_t start = placedIndexOf(ignoreClip);
    if (start == plat::kNotFound)
        return frames(0);
    const FrameList& list = _project->getFrameList();
    int64_t next = getNextStartIndexFromIndex(start, track);
    // To the end of the movie, the clip's own frame included: a clip at the
    // last picture keeps that frame rather than being cut to nothing.
    if (next == plat::kNotFound)
        next = list.count();
    return frames(std::max<int64_t>(list.getMovieIndexForIndex(next) - list.getMovieIndexForIndex(start), 0));
}

bool AudioController::anotherClipPlaysAt(int64_t frameIndex, const Track& track, const AudioClip& clip) const
{
    auto playing = getAudioClipForFrameAtIndex(frameIndex, track);
    return playing && playing->UID() != clip.UID();
}

bool AudioController::checkTrackSpaceForClipDuration(
    const plat::MediaTime& duration, int64_t* availableTrack, plat::MediaTime* availableDuration, int64_t frameIndex)
{
    const FrameList& list = _project->getFrameList();
    if (frameIndex >= 0 && frameIndex < list.count() && list.getShownIndexForIndex(frameIndex) == plat::kNotFound) {
        // Only the capture placeholder: a sound there would never be heard.
        postError(plat::Error(
            kErrorDomain, kNoPictureError, plat::localized("A sound goes with a picture. Take a picture first.")));
        return false;
    }
    plat::MediaTime best = plat::MediaTime::zero();
    int64_t bestTrack = 0;
    for (int64_t track = 0; track < kMusicTrack; ++track) {
        plat::MediaTime room
            = calculateMaxDurationAvailableForTrack(_audioTracks[static_cast<size_t>(track)], frameIndex);
        if (room > duration) {
            best = room;
            bestTrack = track;
            break;
        }
        if (room > best) {
            best = room;
            bestTrack = track;
        }
    }
    if (best.seconds() == 0) {
        postError(
            plat::Error(kErrorDomain, kNoRoomError, plat::localized("Too many clips already exist at playhead.")));
        return false;
    }
    if (availableDuration)
        *availableDuration = best;
    if (availableTrack)
        *availableTrack = bestTrack;
    return true;
}

void AudioController::calculateTrackSpaceForClipDuration(const plat::MediaTime& duration, int64_t* availableTrack,
    plat::MediaTime* availableDuration, int64_t frameIndex, const AudioClip& ignoreClip)
{
    plat::MediaTime best = plat::MediaTime::zero();
    int64_t bestTrack = 0;
    for (int64_t track = 0; track < kMusicTrack; ++track) {
        const Track& clips = _audioTracks[static_cast<size_t>(track)];
        plat::MediaTime room = anotherClipPlaysAt(frameIndex, clips, ignoreClip)
            ? frames(0)
            : calculateMaxDurationAvailableForTrack(clips, frameIndex, ignoreClip);
        if (room > duration) {
            best = room;
            bestTrack = track;
            break;
        }
        if (room > best) {
            best = room;
            bestTrack = track;
        }
    }
    if (availableDuration)
        *availableDuration = best;
    if (availableTrack)
        *availableTrack = bestTrack;
}

bool AudioController::isClipPlayingAtFrameIndex(const AudioClip& clip, int64_t frameIndex) const
{
    // The placeholder shows only the clips that sound on across it.
    return clip.startFrameIndex() <= frameIndex
        && clip.isAudioPlayingAtTime(frames(_project->getFrameList().getMovieIndexForIndex(frameIndex)));
}

std::map<int64_t, std::shared_ptr<AudioClip>> AudioController::getAudioForFrameAtIndex(int64_t frameIndex) const
{
    std::map<int64_t, std::shared_ptr<AudioClip>> playing;
    for (int64_t track = 0; track < kTrackCount; ++track) {
        // The later clip of a track wins where two overlap.
        for (const auto& clip : _audioTracks[static_cast<size_t>(track)]) {
            if (isClipPlayingAtFrameIndex(*clip, frameIndex))
                playing[track] = clip;
        }
    }
    return playing;
}

std::shared_ptr<AudioClip> AudioController::getAudioClipForFrameAtIndex(int64_t frameIndex, const Track& track) const
{
    for (const auto& clip : track) {
        if (isClipPlayingAtFrameIndex(*clip, frameIndex))
            return clip;
    }
    return nullptr;
}

std::shared_ptr<AudioClip> AudioController::getAudioClipForFrameAtIndex(int64_t frameIndex, int64_t trackIndex) const
{
    if (trackIndex < 0 || trackIndex >= kTrackCount || frameIndex < 0 || frameIndex >= _project->getFrameList().count())
        return nullptr;
    return getAudioClipForFrameAtIndex(frameIndex, _audioTracks[static_cast<size_t>(trackIndex)]);
}

int64_t AudioController::getAudioTrackIndexForClip(const AudioClip& clip) const
{
    for (int64_t track = 0; track < kTrackCount; ++track) {
        const Track& clips = _audioTracks[static_cast<size_t>(track)];
        if (std::any_of(clips.begin(), clips.end(), [&](const auto& held) { return held.get() == &clip; }))
            return track;
    }
    return plat::kNotFound;
}

}  // namespace zt
