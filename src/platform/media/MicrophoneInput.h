#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/media/MicrophoneFolder.h"

namespace plat::detail {
class AudioStreamDecoder;

// The sound of the device's microphone as interleaved floats at a chosen
// rate and channel count. A live microphone (PulseAudio, ALSA) delivers at
// its own pace and is read without waiting: a read takes what has come. A
// virtual one (a signal, a file in a loop) makes its sound whenever asked,
// so its reader paces it (the recorder, by the run-loop clock). One thread
// at a time.
class MicrophoneInput {
public:
    // The generated tone that stands in for a machine without a microphone.
    static constexpr const char* kFallbackSignal = "sine=frequency=440";

    // Fails, with an error of the media domain, for a device without
    // microphone or one that cannot be opened.
    static Result<std::unique_ptr<MicrophoneInput>> open(
        const MicrophoneDescription& microphone, int sampleRate, int channels);
    ~MicrophoneInput();
    MicrophoneInput(const MicrophoneInput&) = delete;
    MicrophoneInput& operator=(const MicrophoneInput&) = delete;

    bool isLive() const { return _live; }
    // What is being listened to, for the log.
    const std::string& name() const { return _name; }

    // Virtual: exactly frames frames. Live: up to frames, what has come.
    Result<int64_t> read(float* destination, int64_t frames);

private:
    MicrophoneInput(std::unique_ptr<AudioStreamDecoder> decoder, std::string name, bool live, bool loops);

    std::unique_ptr<AudioStreamDecoder> _decoder;
    std::string _name;
    bool _live;
    bool _loops;
    int _channels = 1;
};

}  // namespace plat::detail
