#include "platform/media/MicrophoneInput.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/media/AudioStreamDecoder.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

constexpr const char* kDefaultDevice = "default";

using Opened = Result<std::unique_ptr<AudioStreamDecoder>>;

Opened openLive(const char* formatName, const std::string& device, int sampleRate, int channels)
{
    DeviceInput input;
    input.formatName = formatName;
    input.url = device.empty() ? kDefaultDevice : device;
    input.options = {{"sample_rate", std::to_string(sampleRate)}, {"channels", std::to_string(channels)}};
    input.live = true;
    return AudioStreamDecoder::openDevice(input, sampleRate, channels);
}

Opened openSignal(const std::string& signal, int sampleRate, int channels)
{
    DeviceInput input;
    input.formatName = "lavfi";
    input.url = signal;
    return AudioStreamDecoder::openDevice(input, sampleRate, channels);
}

Opened openFile(const std::string& path, int sampleRate, int channels)
{
    auto probed = openMediaFile(path);
    if (!probed.ok())
        return probed.error();
    int stream = av_find_best_stream(probed.value().get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream < 0)
        return mediaError(kMediaErrorDeviceNotConnected, "no sound for the microphone in", path, stream);
    return AudioStreamDecoder::open(path, stream, sampleRate, channels);
}

}  // namespace

MicrophoneInput::MicrophoneInput(std::unique_ptr<AudioStreamDecoder> decoder, std::string name, bool live, bool loops)
    : _decoder(std::move(decoder))
    , _name(std::move(name))
    , _live(live)
    , _loops(loops)
{
}

MicrophoneInput::~MicrophoneInput() = default;

Result<std::unique_ptr<MicrophoneInput>> MicrophoneInput::open(
    const MicrophoneDescription& microphone, int sampleRate, int channels)
{
    std::unique_ptr<MicrophoneInput> input;
    auto make = [&](Opened opened, std::string name, bool live, bool loops) -> Result<void> {
        if (!opened.ok())
            return opened.error();
        input.reset(new MicrophoneInput(std::move(opened).value(), std::move(name), live, loops));
        input->_channels = channels;
        return {};
    };
    Result<void> made;
    switch (microphone.kind) {
    case MicrophoneKind::Machine: {
        made = make(openLive("pulse", microphone.device, sampleRate, channels), "PulseAudio", true, false);
        if (made.ok())
            break;
        plat::log("microphone: no PulseAudio input: {}", made.error().localizedDescription());
        made = make(openLive("alsa", microphone.device, sampleRate, channels), "ALSA", true, false);
        if (made.ok())
            break;
        plat::log(
            "microphone: no ALSA input either: {}; recording a generated tone", made.error().localizedDescription());
        made = make(openSignal(kFallbackSignal, sampleRate, channels), kFallbackSignal, false, false);
        break;
    }
    case MicrophoneKind::PulseAudio:
        made = make(openLive("pulse", microphone.device, sampleRate, channels), "PulseAudio", true, false);
        break;
    case MicrophoneKind::ALSA:
        made = make(openLive("alsa", microphone.device, sampleRate, channels), "ALSA", true, false);
        break;
    case MicrophoneKind::Signal:
        made = make(openSignal(microphone.signal, sampleRate, channels), microphone.signal, false, false);
        break;
    case MicrophoneKind::File: {
        std::string path = MicrophoneFolder::resolvedFile(microphone);
        made = make(openFile(path, sampleRate, channels), path, false, true);
        break;
    }
    case MicrophoneKind::None:
        return mediaError(
            kMediaErrorDeviceNotConnected, "the device has no microphone:", MicrophoneFolder::microphoneFilePath());
    }
    if (!made.ok())
        return made.error();
    return input;
}

Result<int64_t> MicrophoneInput::read(float* destination, int64_t frames)
{
    int64_t done = 0;
    bool restarted = false;
    while (done < frames) {
        auto read = _decoder->read(destination + done * _channels, frames - done);
        if (!read.ok())
            return read.error();
        done += read.value();
        // A device that has closed: what it gave last is read first.
        if (_live && _decoder->hasEnded() && done == 0)
            return mediaError(kMediaErrorDeviceNotConnected, "the microphone stopped delivering:", _name);
        if (_live || !_decoder->hasEnded())
            break;
        // A file starts again at its end; one without sound gives silence.
        if (!_loops || (restarted && read.value() == 0)) {
            std::fill(destination + done * _channels, destination + frames * _channels, 0.0f);
            done = frames;
            break;
        }
        auto sought = _decoder->seek(MediaTime::zero());
        if (!sought.ok())
            return sought.error();
        restarted = true;
    }
    return done;
}

}  // namespace plat::detail
