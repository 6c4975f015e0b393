#pragma once
#include <cstdint>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/media/MediaTime.h"

namespace zt {

// What is known of a sound file a project takes in or plays.
struct SoundFileFacts {
    plat::MediaTime duration;
    double sampleRate = 0;
    uint32_t channels = 0;
    uint32_t formatID = 0;  // the platform's four-character code of the codec
};

// Whether a sound file can be taken into a project, and whether one there
// can still be mixed into its movie: it must hold sound,
// that sound must decode into what the speaker plays, and it must really
// last as long as its header says (a truncated file, or one claiming hours
// it does not hold, would make clips of silence). Errors are of the
// "AudioController" domain and name the file. Any thread.
class SoundFileInspection {
public:
    static plat::Result<SoundFileFacts> inspect(const std::string& path);

    static constexpr const char* kErrorDomain = "AudioController";
    static constexpr int64_t kNotSoundError = 241;
    static constexpr int64_t kUndecodableSoundError = 242;
    static constexpr int64_t kTruncatedSoundError = 243;
};

}  // namespace zt
