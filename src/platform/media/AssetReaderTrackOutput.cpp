#include "platform/media/AssetReaderTrackOutput.h"

#include <algorithm>
#include <limits>

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/AudioStreamDecoder.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/LinearPCMFormat.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/VideoStreamDecoder.h"

namespace plat {

namespace {

constexpr int64_t kFramesPerBuffer = 8192;
constexpr double kLowestNativeRate = 8000;
constexpr double kHighestNativeRate = 192000;
constexpr uint32_t kMostNativeChannels = 8;

Error outputError(const std::string& text)
{
    return Error(kMediaErrorDomain, kMediaErrorUnknown, "track output: " + text);
}

const FormatDescription* lastFormatOf(const AssetTrack& track)
{
    const auto& formats = track.formatDescriptions();
    return formats.empty() ? nullptr : &formats.back();
}

// The decoded format: the settings' choices, else the track's own rate and channels where they can be handed out.
Result<AudioStreamBasicDescription> decodedFormatFor(const AssetTrack& track, const std::optional<Dictionary>& settings)
{
    detail::LinearPCMDefaults defaults;
    if (const FormatDescription* format = lastFormatOf(track)) {
        if (format->audio.sampleRate >= kLowestNativeRate && format->audio.sampleRate <= kHighestNativeRate)
            defaults.sampleRate = format->audio.sampleRate;
        if (format->audio.channelsPerFrame >= 1 && format->audio.channelsPerFrame <= kMostNativeChannels)
            defaults.channels = format->audio.channelsPerFrame;
    }
    return detail::linearPCMOutputFormat(settings, defaults);
}

int64_t sampleIndex(const MediaTime& time, int rate)
{
    return time.isNumeric() ? av_rescale_rnd(time.value, rate, time.timescale, AV_ROUND_NEAR_INF) : 0;
}

}  // namespace

struct AssetReaderTrackOutput::Reading {
    virtual ~Reading() = default;
    // The next buffer, nullptr at the end, or why the media cannot be read on.
    virtual Result<std::shared_ptr<const SampleBuffer>> next() = 0;
};

// Decodes through the mixer's stream decoder and hands out whole buffers.
class AssetReaderTrackOutput::DecodedReading final : public Reading {
public:
    DecodedReading(std::unique_ptr<detail::AudioStreamDecoder> decoder, AudioStreamBasicDescription format,
        int64_t firstSample, int64_t endSample)
        : _decoder(std::move(decoder))
        , _format(format)
        , _rate(static_cast<int>(format.sampleRate))
        , _channels(static_cast<size_t>(format.channelsPerFrame))
        , _position(firstSample)
        , _end(endSample)
    {
    }

    Result<std::shared_ptr<const SampleBuffer>> next() override
    {
        int64_t frames = std::min(kFramesPerBuffer, _end - _position);
        if (frames <= 0)
            return std::shared_ptr<const SampleBuffer>();
        _samples.resize(static_cast<size_t>(frames) * _channels);
        auto read = _decoder->read(_samples.data(), frames);
        if (!read.ok())
            return read.error();
        int64_t got = read.value();
        if (got == 0) {
            _end = _position;  // the media ends here, whatever the header said
            return std::shared_ptr<const SampleBuffer>();
        }
        Data bytes = detail::encodeLinearPCM(_samples.data(), static_cast<size_t>(got) * _channels, _format);
        auto buffer = SampleBuffer::createLinearPCM(_format, MediaTime::make(_position, _rate), got, std::move(bytes));
        _position += got;
        return buffer;
    }

private:
    std::unique_ptr<detail::AudioStreamDecoder> _decoder;
    AudioStreamBasicDescription _format;
    int _rate;
    size_t _channels;
    int64_t _position;  // sample index of the next frame, from the stream's start
    int64_t _end;
    std::vector<float> _samples;
};

// Hands out the stream's packets as they are stored.
class AssetReaderTrackOutput::StoredReading final : public Reading {
public:
    StoredReading(detail::InputFormatContextPtr format, int streamIndex, AudioStreamBasicDescription description,
        MediaTimeRange range)
        : _format(std::move(format))
        , _streamIndex(streamIndex)
        , _description(description)
        , _stream(_format->streams[streamIndex])
        , _range(range)
    {
        _streamStart = _stream->start_time != AV_NOPTS_VALUE ? _stream->start_time : 0;
        for (unsigned i = 0; i < _format->nb_streams; ++i)
            _format->streams[i]->discard = static_cast<int>(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        if (_range.start.isNumeric() && _range.start > MediaTime::zero()) {
            int64_t target = _streamStart + detail::streamTimeFromMediaTime(_range.start, _stream->time_base);
            // An unseekable file is read from its start, and the packets before the range are passed over.
            (void)av_seek_frame(_format.get(), streamIndex, target, AVSEEK_FLAG_BACKWARD);
        }
    }

    Result<std::shared_ptr<const SampleBuffer>> next() override
    {
        while (!_ended) {
            int read = av_read_frame(_format.get(), _packet.get());
            if (read == AVERROR_EOF) {
                _ended = true;
                break;
            }
            if (read < 0)
                return detail::mediaError(kMediaErrorFileFailedToParse, "cannot read", _format->url, read);
            auto buffer = bufferOfPacket();
            av_packet_unref(_packet.get());
            if (buffer)
                return buffer;
        }
        return std::shared_ptr<const SampleBuffer>();
    }

private:
    std::shared_ptr<const SampleBuffer> bufferOfPacket()
    {
        const AVPacket& packet = *_packet;
        if (packet.stream_index != _streamIndex || packet.size <= 0)
            return nullptr;
        int64_t stamp = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (stamp == AV_NOPTS_VALUE)
            stamp = _nextStamp;
        else
            stamp -= _streamStart;
        _nextStamp = stamp + std::max<int64_t>(packet.duration, 0);
        int32_t timescale = _description.sampleRate >= 1 && _description.sampleRate <= 1e6
            ? static_cast<int32_t>(_description.sampleRate)
            : 1000000;
        MediaTime time = detail::mediaTimeFromStreamTime(stamp, _stream->time_base, timescale);
        MediaTime duration = detail::mediaTimeFromStreamTime(packet.duration, _stream->time_base, timescale);
        if (_range.end().isNumeric() && time >= _range.end()) {
            _ended = true;
            return nullptr;
        }
        if (_range.start.isNumeric() && packet.duration > 0 && time + duration <= _range.start)
            return nullptr;
        Data bytes(packet.data, packet.data + packet.size);
        if (_description.formatID == kAudioFormatLinearPCM) {
            if (_description.bytesPerFrame == 0 || bytes.size() % _description.bytesPerFrame != 0)
                return nullptr;  // a torn last packet of a damaged file
            int64_t frames = static_cast<int64_t>(bytes.size() / _description.bytesPerFrame);
            return SampleBuffer::createLinearPCM(_description, time, frames, std::move(bytes));
        }
        int64_t frames = _description.sampleRate >= 1 ? av_rescale_q(packet.duration, _stream->time_base,
                             AVRational {1, static_cast<int>(_description.sampleRate)})
                                                      : 0;
        return SampleBuffer::createCompressed(_description, time, std::max<int64_t>(frames, 0), std::move(bytes));
    }

    detail::InputFormatContextPtr _format;
    int _streamIndex;
    AudioStreamBasicDescription _description;
    AVStream* _stream;
    MediaTimeRange _range;
    int64_t _streamStart = 0;
    int64_t _nextStamp = 0;
    detail::PacketPtr _packet {av_packet_alloc()};
    bool _ended = false;
};

// Decodes pictures into pixel buffers of the settings' format.
class AssetReaderTrackOutput::DecodedVideoReading final : public Reading {
public:
    DecodedVideoReading(std::unique_ptr<detail::VideoStreamDecoder> decoder, MediaTimeRange range)
        : _decoder(std::move(decoder))
        , _range(range)
    {
    }

    Result<std::shared_ptr<const SampleBuffer>> next() override
    {
        auto picture = _decoder->next();
        if (!picture.ok())
            return picture.error();
        if (!picture.value())
            return std::shared_ptr<const SampleBuffer>();
        const MediaTime time = picture.value()->presentationTime;
        if (_range.end().isNumeric() && time >= _range.end())
            return std::shared_ptr<const SampleBuffer>();
        return SampleBuffer::createForImageBuffer(std::move(picture.value()->pixelBuffer), time);
    }

private:
    std::unique_ptr<detail::VideoStreamDecoder> _decoder;
    MediaTimeRange _range;
};

AssetReaderTrackOutput::AssetReaderTrackOutput(
    std::shared_ptr<AssetTrack> track, std::optional<Dictionary> outputSettings)
    : _track(std::move(track))
    , _outputSettings(std::move(outputSettings))
{
}

AssetReaderTrackOutput::~AssetReaderTrackOutput() = default;

std::shared_ptr<AssetReaderTrackOutput> AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(
    std::shared_ptr<AssetTrack> track, std::optional<Dictionary> outputSettings)
{
    return std::make_shared<AssetReaderTrackOutput>(std::move(track), std::move(outputSettings));
}

std::optional<uint32_t> AssetReaderTrackOutput::videoPixelFormat() const
{
    if (!_outputSettings)
        return std::nullopt;
    auto format = _outputSettings->getInt64(kPixelBufferPixelFormatTypeKey);
    if (!format || *format < 0 || !PixelBuffer::isSupportedPixelFormat(static_cast<uint32_t>(*format)))
        return std::nullopt;
    return static_cast<uint32_t>(*format);
}

Result<void> AssetReaderTrackOutput::validate() const
{
    if (!_track || (_track->mediaType() != kMediaTypeAudio && _track->mediaType() != kMediaTypeVideo))
        return outputError("only audio and video tracks can be read");
    const auto& segments = _track->segments();
    if (segments.size() != 1 || segments.front().isEmpty())
        return outputError("only the track of a media file can be read");
    if (_track->mediaType() == kMediaTypeVideo) {
        // Pictures are handed out decoded, as 32-bit pixels or bi-planar YCbCr.
        if (!videoPixelFormat())
            return outputError("video is read as pixel buffers of 32-bit BGRA or ARGB pixels or 4:2:0 YCbCr planes");
        return {};
    }
    if (_outputSettings) {
        auto format = decodedFormatFor(*_track, _outputSettings);
        if (!format.ok())
            return format.error();
    }
    return {};
}

Result<void> AssetReaderTrackOutput::prepare(
    const std::shared_ptr<AssetReader>& reader, const MediaTimeRange& timeRange)
{
    auto valid = validate();
    if (!valid.ok())
        return valid;
    const TrackSegment& segment = _track->segments().front();
    std::unique_ptr<Reading> reading;
    if (_track->mediaType() == kMediaTypeVideo) {
        auto decoder = detail::VideoStreamDecoder::open(*segment.sourcePath, segment.streamIndex, *videoPixelFormat());
        if (!decoder.ok())
            return decoder.error();
        auto sought = decoder.value()->seek(timeRange.start);
        if (!sought.ok())
            return sought.error();
        reading = std::make_unique<DecodedVideoReading>(std::move(decoder).value(), timeRange);
    } else if (_outputSettings) {
        AudioStreamBasicDescription format = decodedFormatFor(*_track, _outputSettings).value();
        int rate = static_cast<int>(format.sampleRate);
        auto decoder = detail::AudioStreamDecoder::open(
            *segment.sourcePath, segment.streamIndex, rate, static_cast<int>(format.channelsPerFrame));
        if (!decoder.ok())
            return decoder.error();
        auto sought = decoder.value()->seek(timeRange.start);
        if (!sought.ok())
            return sought.error();
        int64_t end
            = timeRange.end().isNumeric() ? sampleIndex(timeRange.end(), rate) : std::numeric_limits<int64_t>::max();
        reading = std::make_unique<DecodedReading>(
            std::move(decoder).value(), format, sampleIndex(timeRange.start, rate), end);
    } else {
        auto opened = detail::openMediaFile(*segment.sourcePath);
        if (!opened.ok())
            return opened.error();
        if (segment.streamIndex < 0 || static_cast<unsigned>(segment.streamIndex) >= opened.value()->nb_streams)
            return detail::mediaError(kMediaErrorFileFailedToParse, "no such stream in", *segment.sourcePath);
        const FormatDescription* format = lastFormatOf(*_track);
        if (!format)
            return outputError("the track has no format");
        AudioStreamBasicDescription description = format->audio;
        if (description.formatID == 0)
            description.formatID = format->mediaSubType;
        reading
            = std::make_unique<StoredReading>(std::move(opened).value(), segment.streamIndex, description, timeRange);
    }
    std::lock_guard lock(_lock);
    _reader = reader;
    _reading = std::move(reading);
    return {};
}

std::shared_ptr<const SampleBuffer> AssetReaderTrackOutput::copyNextSampleBuffer()
{
    auto reader = _reader.lock();
    if (!reader || reader->status() != AssetReaderStatus::Reading)
        return nullptr;
    std::lock_guard lock(_lock);
    if (!_reading)
        return nullptr;
    auto next = _reading->next();
    if (!next.ok()) {
        _reading.reset();
        reportFailure(*reader, next.error());
        return nullptr;
    }
    if (!next.value()) {
        _reading.reset();  // closes the file
        reportEnd(*reader);
        return nullptr;
    }
    if (reader->status() != AssetReaderStatus::Reading)
        return nullptr;
    return std::move(next).value();
}

}  // namespace plat
