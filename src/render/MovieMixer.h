#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/media/MediaTime.h"

namespace plat {
class AudioMix;
class MutableComposition;
}  // namespace plat

namespace zt {
class AudioClip;
class ProjectModel;

// Places a project's audio clips in the movie's time line and builds one
// audio composition with a volume per clip from them. A clip is anchored to
// a frame (by its UID) plus an offset in frames, or to an absolute frame
// index. Runs on the queue of its project handle (the movie renderer gives
// it a snapshot).
class MovieMixer {
public:
    // Track lists of clips: the movie has three (tracks 0, 1, 2); one clip
    // alone is one list of one.
    using ClipList = std::vector<std::vector<std::shared_ptr<AudioClip>>>;

    explicit MovieMixer(std::shared_ptr<ProjectModel> project);  // initWithProject:

    // Sets the clip's range in the movie and its first and last frame
    // indices; a clip whose anchor frame is gone is left as it is. Times
    // count the frames the movie shows, so the capture placeholder takes
    // none wherever it stands.
    void calculateAudioClipTimeRangeInMovieForClip(AudioClip& clip);

    // Places every clip, cuts those that run past the movie's end (their
    // duration too), then builds as below. Always true.
    bool prepareAVMutableComposition(std::shared_ptr<plat::MutableComposition>* composition,
        std::shared_ptr<plat::AudioMix>* audioMix, ClipList& clips, const plat::MediaTime& duration,
        std::optional<plat::Error>* error);
    // Builds from the clips as they are: one composition track per track
    // list (empty lists too), each usable clip's sound inserted at its place
    // in the movie, whatever the list's order, with a volume record for its
    // track from its start. Clips of one list that overlap each get a track
    // of their own, so every clip is heard whole. Unusable clips and
    // unreadable files only leave silence. Always true; error is never set.
    bool prepareAVMutableCompositionWithMixWithAudioData(std::shared_ptr<plat::MutableComposition>* composition,
        std::shared_ptr<plat::AudioMix>* audioMix, const ClipList& clips, std::optional<plat::Error>* error);

    // Whether the clip's sound file is there and whole, and holds sound to
    // the end of the clip's stretch: a damaged file would only leave silence.
    bool canReadSoundOfClip(const AudioClip& clip) const;

    // Start and duration valid, duration of epoch 0 and not negative.
    static bool isValidTimeRange(const plat::MediaTimeRange& range);

private:
    // The frame of the movie where the clip starts; none when its anchor
    // frame is gone or the movie shows no frame.
    std::optional<int64_t> startInMovieOfClip(const AudioClip& clip) const;
    // The clip's file in the project folder: only its name counts, so the
    // sound moves with its folder.
    std::optional<std::string> soundFilePathOfClip(const AudioClip& clip) const;

    std::shared_ptr<ProjectModel> _project;
};

}  // namespace zt
