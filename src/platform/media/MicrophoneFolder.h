#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/media/AudioSession.h"

namespace plat {

// What stands behind the device's microphone: the machine's own (through
// PulseAudio where a server answers, else ALSA's default device), one
// device of either by name, a generated signal (any FFmpeg audio source,
// "sine=frequency=440" or "anoisesrc=color=pink:amplitude=0.1"), a sound
// file played in a loop, or none at all. The machine's own falls back to a
// soft generated tone when it has no microphone. Virtual microphones are
// read through the same code as real ones, so tests and a person's headset
// share one path.
enum class MicrophoneKind { Machine, PulseAudio, ALSA, Signal, File, None };

struct MicrophoneDescription {
    MicrophoneKind kind = MicrophoneKind::Machine;
    std::string device;  // PulseAudio, ALSA: the device's name; empty for the default one
    std::string signal;  // Signal
    std::string file;  // File: below the microphone folder unless absolute

    friend bool operator==(const MicrophoneDescription&, const MicrophoneDescription&) = default;
};

// The microphone of the device, from the sandbox's "Microphone" folder:
// "Microphone.plist" describes it (a dictionary with "Kind", one of
// "Machine", "PulseAudio", "ALSA", "Signal", "File" and "None", and
// "Device", "Signal" or "File"); without the file it is the machine's own.
// ".authorization" there holds the person's answer to the app's microphone
// question, as the privacy settings keep it: "denied" or "granted". Any
// thread; read when asked.
class MicrophoneFolder {
public:
    static std::string microphoneFolder();
    static std::string microphoneFilePath();

    // A file that cannot be read, or names an unknown kind or lacks what its
    // kind needs, gives a device without microphone (and a log line): a
    // microphone that is not what the file says would mislead whoever set it up.
    static MicrophoneDescription microphone();
    static Result<void> writeMicrophone(const MicrophoneDescription& microphone);
    static Result<void> removeMicrophone();
    // A File microphone's sound as a full path.
    static std::string resolvedFile(const MicrophoneDescription& microphone);

    // None while the question has not been answered in the settings.
    static std::optional<AudioSessionRecordPermission> recordPermission();
    // Granted or Denied writes the answer; Undetermined removes it.
    static Result<void> setRecordPermission(AudioSessionRecordPermission permission);
};

}  // namespace plat
