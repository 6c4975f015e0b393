#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Result.h"

namespace plat {

// What stands behind the device's microphone: a generated tone or a sound
// file played in a loop (virtual microphones, for tests and machines
// without one), or the machine's own through libavdevice.
enum class CaptureMicrophoneKind { Tone, SoundFile, PulseAudio, ALSA };

// The microphone as the device folder describes it: the sound it hears, at
// its own rate and channel count.
struct CaptureMicrophoneDescription {
    CaptureMicrophoneKind kind = CaptureMicrophoneKind::Tone;
    std::string name;  // empty: "iPhone Microphone"
    int sampleRate = 44100;
    int channels = 1;
    double frequency = 440;  // Tone: hertz
    double amplitude = 0.5;  // Tone: of full scale
    std::string file;  // SoundFile: below the microphone folder unless absolute
    std::string device = "default";  // PulseAudio and ALSA: the source

    friend bool operator==(const CaptureMicrophoneDescription&, const CaptureMicrophoneDescription&) = default;
};

// The device's microphone: the one "Microphone/Microphone.plist" in the
// sandbox describes when there is that file, otherwise the machine's own
// where it has one (a PulseAudio server, else an ALSA capture device).
// Any thread; the file is read when asked.
class CaptureMicrophoneFolder {
public:
    static constexpr int kLowestSampleRate = 8000;
    static constexpr int kHighestSampleRate = 192000;
    static constexpr int kMostChannels = 8;

    static std::string microphoneFolder();
    static std::string microphoneFilePath();

    // None for a device without a microphone, or a file that does not
    // describe a usable one (with a log line).
    static std::optional<CaptureMicrophoneDescription> microphone();
    static Result<void> writeMicrophone(const CaptureMicrophoneDescription& microphone);
    // A device without a microphone: the file says so with an empty dictionary.
    static Result<void> writeNoMicrophone();
    // Back to the machine's own.
    static Result<void> removeMicrophoneFile();

    // A sound file microphone's file as a full path.
    static std::string resolvedFile(const CaptureMicrophoneDescription& microphone);
};

}  // namespace plat
