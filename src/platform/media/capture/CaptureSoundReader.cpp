#include "platform/media/capture/CaptureSoundReader.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/foundation/Log.h"
#include "platform/media/AudioStreamDecoder.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureDevice.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

namespace plat::detail {

namespace {

int16_t toSample(double value)
{
    return static_cast<int16_t>(std::lrint(std::clamp(value, -1.0, 1.0) * 32767.0));
}

class ToneReader final : public CaptureSoundReader {
public:
    explicit ToneReader(const CaptureMicrophoneDescription& microphone)
        : _microphone(microphone)
    {
    }
    bool isLive() const override { return false; }
    Result<std::vector<int16_t>> read(int64_t frames) override
    {
        std::vector<int16_t> samples(static_cast<size_t>(frames) * static_cast<size_t>(_microphone.channels));
        const double step = 2 * std::numbers::pi * _microphone.frequency / _microphone.sampleRate;
        for (int64_t i = 0; i < frames; ++i) {
            // The phase from a whole count of samples: no drift over long runs.
            const int16_t value
                = toSample(_microphone.amplitude * std::sin(step * static_cast<double>((_position + i) % _period)));
            for (int c = 0; c < _microphone.channels; ++c)
                samples[static_cast<size_t>(i * _microphone.channels + c)] = value;
        }
        _position = (_position + frames) % _period;
        return samples;
    }

private:
    CaptureMicrophoneDescription _microphone;
    int64_t _position = 0;
    // One second repeats exactly for whole frequencies; others drift by less than a sample a second.
    int64_t _period = static_cast<int64_t>(_microphone.sampleRate) * 1000;
};

class SoundFileReader final : public CaptureSoundReader {
public:
    SoundFileReader(std::string path, int streamIndex, int sampleRate, int channels)
        : _path(std::move(path))
        , _streamIndex(streamIndex)
        , _sampleRate(sampleRate)
        , _channels(channels)
    {
    }
    Result<void> openFromStart()
    {
        auto decoder = AudioStreamDecoder::open(_path, _streamIndex, _sampleRate, _channels);
        if (!decoder.ok())
            return decoder.error();
        _decoder = std::move(decoder).value();
        return {};
    }
    bool isLive() const override { return false; }
    Result<std::vector<int16_t>> read(int64_t frames) override
    {
        std::vector<float> decoded(static_cast<size_t>(frames) * static_cast<size_t>(_channels));
        int64_t filled = 0;
        bool restarted = false;
        while (filled < frames) {
            auto read = _decoder->read(decoded.data() + filled * _channels, frames - filled);
            if (!read.ok())
                return read.error();
            if (read.value() > 0) {
                filled += read.value();
                restarted = false;
                continue;
            }
            // The file plays in a loop; one that gives nothing even from its start is silence.
            if (restarted)
                break;
            auto reopened = openFromStart();
            if (!reopened.ok())
                return reopened.error();
            restarted = true;
        }
        std::vector<int16_t> samples(decoded.size());
        std::transform(decoded.begin(), decoded.end(), samples.begin(), [](float v) { return toSample(v); });
        return samples;
    }

private:
    std::string _path;
    int _streamIndex;
    int _sampleRate;
    int _channels;
    std::unique_ptr<AudioStreamDecoder> _decoder;
};

struct ResamplerDeleter {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

// The machine's own input through libavdevice's PulseAudio or ALSA source.
class LiveSoundReader final : public CaptureSoundReader {
public:
    bool isLive() const override { return true; }

    static Result<std::unique_ptr<CaptureSoundReader>> open(const CaptureMicrophoneDescription& microphone)
    {
        configureFFmpegLogging();
        avdevice_register_all();
        const char* formatName = microphone.kind == CaptureMicrophoneKind::PulseAudio ? "pulse" : "alsa";
        const AVInputFormat* format = av_find_input_format(formatName);
        if (!format)
            return mediaError(
                kMediaErrorDeviceNotConnected, std::string("no ") + formatName + " input in", "libavdevice");
        AVDictionary* options = nullptr;
        av_dict_set_int(&options, "sample_rate", microphone.sampleRate, 0);
        av_dict_set_int(&options, "channels", microphone.channels, 0);
        AVFormatContext* raw = nullptr;
        int opened = avformat_open_input(&raw, microphone.device.c_str(), format, &options);
        av_dict_free(&options);
        if (opened < 0)
            return mediaError(kMediaErrorDeviceNotConnected, "cannot open the microphone", microphone.device, opened);
        auto reader = std::unique_ptr<LiveSoundReader>(new LiveSoundReader(microphone));
        reader->_format.reset(raw);
        if (reader->_format->nb_streams < 1)
            return mediaError(kMediaErrorDeviceNotConnected, "no sound from", microphone.device);
        return std::unique_ptr<CaptureSoundReader>(std::move(reader));
    }

    Result<std::vector<int16_t>> read(int64_t frames) override
    {
        while (static_cast<int64_t>(_pending.size()) < frames * _microphone.channels) {
            int got = av_read_frame(_format.get(), _packet.get());
            if (got == AVERROR(EAGAIN))
                break;
            if (got < 0)
                return mediaError(kMediaErrorDeviceNotConnected, "the microphone stopped", _microphone.device, got);
            auto converted = convert(*_packet);
            av_packet_unref(_packet.get());
            if (!converted.ok())
                return converted.error();
        }
        const size_t count = std::min(_pending.size(), static_cast<size_t>(frames * _microphone.channels));
        std::vector<int16_t> samples(_pending.begin(), _pending.begin() + static_cast<long>(count));
        _pending.erase(_pending.begin(), _pending.begin() + static_cast<long>(count));
        return samples;
    }

private:
    explicit LiveSoundReader(const CaptureMicrophoneDescription& microphone)
        : _microphone(microphone)
    {
    }

    Result<void> convert(const AVPacket& packet)
    {
        const AVCodecParameters* parameters = _format->streams[0]->codecpar;
        const AVSampleFormat sampleFormat = av_get_packed_sample_fmt(static_cast<AVSampleFormat>(
            parameters->format >= 0 ? parameters->format : av_get_packed_sample_fmt(AV_SAMPLE_FMT_S16)));
        const int inputChannels = std::max(parameters->ch_layout.nb_channels, 1);
        const int bytesPerFrame = av_get_bytes_per_sample(sampleFormat) * inputChannels;
        if (bytesPerFrame <= 0)
            return mediaError(kMediaErrorDeviceNotConnected, "unknown sound format from", _microphone.device);
        if (!_resampler) {
            AVChannelLayout in {};
            AVChannelLayout out {};
            av_channel_layout_default(&in, inputChannels);
            av_channel_layout_default(&out, _microphone.channels);
            SwrContext* raw = nullptr;
            int made = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_S16, _microphone.sampleRate, &in, sampleFormat,
                parameters->sample_rate > 0 ? parameters->sample_rate : _microphone.sampleRate, 0, nullptr);
            av_channel_layout_uninit(&in);
            av_channel_layout_uninit(&out);
            _resampler.reset(raw);
            if (made < 0 || swr_init(_resampler.get()) < 0)
                return mediaError(
                    kMediaErrorDeviceNotConnected, "cannot convert the sound of", _microphone.device, made);
        }
        const int inputFrames = packet.size / bytesPerFrame;
        const int capacity = swr_get_out_samples(_resampler.get(), inputFrames);
        if (capacity <= 0)
            return {};
        std::vector<int16_t> converted(static_cast<size_t>(capacity) * static_cast<size_t>(_microphone.channels));
        uint8_t* out[] = {reinterpret_cast<uint8_t*>(converted.data())};
        const uint8_t* in[] = {packet.data};
        const int got = swr_convert(_resampler.get(), out, capacity, in, inputFrames);
        if (got < 0)
            return mediaError(kMediaErrorDeviceNotConnected, "cannot convert the sound of", _microphone.device, got);
        _pending.insert(_pending.end(), converted.begin(), converted.begin() + got * _microphone.channels);
        return {};
    }

    CaptureMicrophoneDescription _microphone;
    InputFormatContextPtr _format;
    std::unique_ptr<SwrContext, ResamplerDeleter> _resampler;
    PacketPtr _packet {av_packet_alloc()};
    std::vector<int16_t> _pending;
};

// The first audio stream of a file.
Result<int> firstAudioStream(const std::string& path)
{
    auto opened = openMediaFile(path);
    if (!opened.ok())
        return opened.error();
    int index = av_find_best_stream(opened.value().get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return mediaError(kMediaErrorFileFormatNotRecognized, "no sound in", path);
    return index;
}

}  // namespace

Result<std::unique_ptr<CaptureSoundReader>> CaptureSoundReader::open(const CaptureMicrophoneDescription& microphone)
{
    switch (microphone.kind) {
    case CaptureMicrophoneKind::Tone:
        return std::unique_ptr<CaptureSoundReader>(std::make_unique<ToneReader>(microphone));
    case CaptureMicrophoneKind::SoundFile: {
        const std::string path = CaptureMicrophoneFolder::resolvedFile(microphone);
        auto stream = firstAudioStream(path);
        if (!stream.ok())
            return stream.error();
        auto reader
            = std::make_unique<SoundFileReader>(path, stream.value(), microphone.sampleRate, microphone.channels);
        auto opened = reader->openFromStart();
        if (!opened.ok())
            return opened.error();
        return std::unique_ptr<CaptureSoundReader>(std::move(reader));
    }
    case CaptureMicrophoneKind::PulseAudio:
    case CaptureMicrophoneKind::ALSA:
        return LiveSoundReader::open(microphone);
    }
    return mediaError(kMediaErrorDeviceNotConnected, "unknown microphone", {});
}

}  // namespace plat::detail
