#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Error.h"

namespace plat {
class URL;
}

namespace zt {

// The app's audio. Its class operations keep the shared audio inbox,
// Documents/"shared-audio", which receives the audio files other apps open
// in this one; the recordings list offers them. Any thread (files only).
class AudioController {
public:
    static std::string sharedAudioInboxPath();
    // Creates the inbox with its intermediate folders when nothing is there;
    // a failure is logged and otherwise ignored.
    static void createSharedAudioInboxFolder();
    // Moves the file into the inbox under its own name. False, with an
    // error, when the URL is not a plain file, its name is taken or the move
    // fails; the file then stays where it was.
    static bool importAudioFromFileURL(const plat::URL& url, std::optional<plat::Error>* error = nullptr);

    static constexpr const char* kErrorDomain = "AudioController";
    static constexpr int64_t kNotAFileError = 1;
};

}  // namespace zt
