#include <algorithm>

#include "audio/AudioController.h"
#include "document/AudioClip.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"

// Where the tracks have room for a clip, and which clips sound at a frame.
namespace zt {

plat::MediaTime AudioController::calculateMaxDurationAvailableForTrack(const Track& track, int64_t frameIndex) const
{
    if (frameIndex < 0)
        return frames(0);
    int64_t count = _project->getFrameList().count();
    int64_t freeFrames = 0;
    while (frameIndex + freeFrames < count && !getAudioClipForFrameAtIndex(frameIndex + freeFrames, track))
        ++freeFrames;
    return frames(freeFrames);
}

int64_t AudioController::getNextStartIndexFromIndex(int64_t index, const Track& track) const
{
    int64_t next = plat::kNotFound;
    for (const auto& clip : track) {
        int64_t anchor = anchorIndexOf(*clip);
        if (anchor != plat::kNotFound && anchor > index)
            next = std::min(next, anchor);
    }
    return next;
}

plat::MediaTime AudioController::calculateMaxDurationAvailableForTrack(
    const Track& track, int64_t frameIndex, const AudioClip& ignoreClip) const
{
    (void)frameIndex;
    int64_t anchor = anchorIndexOf(ignoreClip);
    if (anchor == plat::kNotFound)
        return frames(0);
    int64_t next = getNextStartIndexFromIndex(anchor, track);
    // To the end of the list, the clip's own frame included: a clip at the
    // last entry keeps that frame rather than being cut to nothing.
    if (next == plat::kNotFound)
        next = _project->getFrameList().count();
    return frames(std::max<int64_t>(next - anchor, 0));
}

bool AudioController::anotherClipPlaysAt(int64_t frameIndex, const Track& track, const AudioClip& clip) const
{
    auto playing = getAudioClipForFrameAtIndex(frameIndex, track);
    return playing && playing->UID() != clip.UID();
}

bool AudioController::checkTrackSpaceForClipDuration(
    const plat::MediaTime& duration, int64_t* availableTrack, plat::MediaTime* availableDuration, int64_t frameIndex)
{
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

std::map<int64_t, std::shared_ptr<AudioClip>> AudioController::getAudioForFrameAtIndex(int64_t frameIndex) const
{
    std::map<int64_t, std::shared_ptr<AudioClip>> playing;
    plat::MediaTime time = frames(frameIndex);
    for (int64_t track = 0; track < kTrackCount; ++track) {
        // The later clip of a track wins where two overlap.
        for (const auto& clip : _audioTracks[static_cast<size_t>(track)]) {
            if (clip->isAudioPlayingAtTime(time))
                playing[track] = clip;
        }
    }
    return playing;
}

std::shared_ptr<AudioClip> AudioController::getAudioClipForFrameAtIndex(int64_t frameIndex, const Track& track) const
{
    plat::MediaTime time = frames(frameIndex);
    for (const auto& clip : track) {
        if (clip->isAudioPlayingAtTime(time))
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
