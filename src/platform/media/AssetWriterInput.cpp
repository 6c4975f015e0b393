#include "platform/media/AssetWriterInput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AACEncoder.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/H264Encoder.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MovieMuxer.h"
#include "platform/media/SampleBuffer.h"

namespace plat {

namespace {

constexpr int kMaxVideoEdge = 8192;
// Picture times in a timescale beyond this are kept in it rounded.
constexpr int32_t kFallbackVideoTimescale = 90000;
constexpr int32_t kMovieTimescale = 600;
// The rate a lone picture is encoded at when the movie's end is not known.
constexpr double kLonePicturesPerSecond = 1;

Error inputError(const std::string& text)
{
    return Error(kMediaErrorDomain, kMediaErrorUnknown, "asset writer input: " + text);
}

std::string profileFor(const std::string& level)
{
    if (level == kVideoProfileLevelH264BaselineAutoLevel)
        return "baseline";
    if (level == kVideoProfileLevelH264MainAutoLevel)
        return "main";
    return "high";
}

}  // namespace

struct AssetWriterInput::VideoSettings {
    detail::H264Encoder::Settings encoder;
};

struct AssetWriterInput::AudioSettings {
    detail::AACEncoder::Settings encoder;
};

namespace {

constexpr int64_t kMaxAudioChannels = 8;
constexpr int64_t kLowestAACRate = 8000;
constexpr int64_t kHighestAACRate = 96000;

// The channel count a channel-layout record names; none for a record too
// short to hold a tag.
std::optional<int64_t> channelsOfLayout(const Data& layout)
{
    if (layout.size() < 4)
        return std::nullopt;
    const uint32_t tag
        = uint32_t(layout[0]) | uint32_t(layout[1]) << 8 | uint32_t(layout[2]) << 16 | uint32_t(layout[3]) << 24;
    return int64_t(tag & 0xFFFF);
}

// AAC settings, or why they cannot be applied.
std::optional<detail::AACEncoder::Settings> aacSettings(const Dictionary& settings)
{
    detail::AACEncoder::Settings aac;
    // The rate may come as a real number (the hardware's rate often does).
    const double rate = settings.getDouble(kSampleRateKey).value_or(44100);
    const int64_t channels = settings.getInt64(kNumberOfChannelsKey).value_or(2);
    if (!(rate >= kLowestAACRate && rate <= kHighestAACRate) || rate != std::floor(rate) || channels < 1
        || channels > kMaxAudioChannels)
        return std::nullopt;
    if (auto layout = settings.getData(kChannelLayoutKey)) {
        if (channelsOfLayout(*layout) != channels)
            return std::nullopt;
    }
    aac.sampleRate = static_cast<int>(rate);
    aac.channels = static_cast<int>(channels);
    aac.bitRate = std::max<int64_t>(settings.getInt64(kEncoderBitRateKey).value_or(0), 0);
    return aac;
}

}  // namespace

AssetWriterInput::AssetWriterInput(std::string mediaType, std::optional<Dictionary> outputSettings)
    : _mediaType(std::move(mediaType))
    , _outputSettings(std::move(outputSettings))
    , _workQueue(DispatchQueue::create("plat.media.assetwriterinput"))
{
}

AssetWriterInput::~AssetWriterInput() = default;

std::shared_ptr<AssetWriterInput> AssetWriterInput::assetWriterInputWithMediaType(
    const std::string& mediaType, std::optional<Dictionary> outputSettings)
{
    if (mediaType == kMediaTypeAudio) {
        if (!outputSettings)
            return std::make_shared<AssetWriterInput>(mediaType, std::nullopt);
        // Settings: AAC, at a rate and channel count the encoder takes.
        auto format = outputSettings->getInt64(kFormatIDKey);
        auto aac = aacSettings(*outputSettings);
        if (format != static_cast<int64_t>(kAudioFormatMPEG4AAC) || !aac) {
            plat::log("media: audio inputs write linear PCM as given, or encode AAC of 1 to 8 channels at 8 to "
                      "96 kHz (with a channel layout of that many channels)");
            return nullptr;
        }
        auto input = std::make_shared<AssetWriterInput>(mediaType, outputSettings);
        input->_audio = std::make_unique<AudioSettings>();
        input->_audio->encoder = *aac;
        return input;
    }
    if (mediaType != kMediaTypeVideo || !outputSettings) {
        plat::log("media: an asset writer input needs audio, or video with output settings");
        return nullptr;
    }
    auto codec = outputSettings->getString(kVideoCodecKey);
    auto width = outputSettings->getInt64(kVideoWidthKey);
    auto height = outputSettings->getInt64(kVideoHeightKey);
    if (codec != kVideoCodecH264 || !width || !height || *width <= 0 || *height <= 0 || *width > kMaxVideoEdge
        || *height > kMaxVideoEdge || *width % 2 != 0 || *height % 2 != 0) {
        plat::log("media: unsupported video settings (H.264 with an even width and height is written)");
        return nullptr;
    }
    auto input = std::make_shared<AssetWriterInput>(mediaType, outputSettings);
    input->_video = std::make_unique<VideoSettings>();
    detail::H264Encoder::Settings& encoder = input->_video->encoder;
    encoder.width = static_cast<int>(*width);
    encoder.height = static_cast<int>(*height);
    if (auto compression = outputSettings->getDictionary(kVideoCompressionPropertiesKey)) {
        encoder.averageBitRate = std::max<int64_t>(compression->getInt64(kVideoAverageBitRateKey).value_or(0), 0);
        encoder.allowFrameReordering = compression->getBool(kVideoAllowFrameReorderingKey).value_or(true);
        encoder.maxKeyFrameInterval
            = std::max<int64_t>(compression->getInt64(kVideoMaxKeyFrameIntervalKey).value_or(0), 0);
        encoder.profile = profileFor(compression->getString(kVideoProfileLevelKey).value_or(std::string()));
    }
    return input;
}

void AssetWriterInput::attach(const std::shared_ptr<AssetWriter>& writer, int slot)
{
    _writer = writer;
    _slot = slot;
    if (_video) {
        // The muxer of the movie formats wants the parameter sets in the header.
        _encoder = std::make_unique<detail::H264Encoder>(_video->encoder, detail::H264Encoder::ParameterSets::InHeader);
    }
    if (_audio)
        _aacEncoder = std::make_unique<detail::AACEncoder>(_audio->encoder);
}

MediaTime AssetWriterInput::appendedUntil() const
{
    std::lock_guard lock(_lock);
    return _appendedUntil;
}

AffineTransform AssetWriterInput::transform() const
{
    std::lock_guard lock(_lock);
    return _transform;
}

void AssetWriterInput::setTransform(const AffineTransform& transform)
{
    std::lock_guard lock(_lock);
    _transform = transform;
}

bool AssetWriterInput::isReadyForMoreMediaData() const
{
    auto writer = _writer.lock();
    return writer && writer->isInputReady(*this);
}

void AssetWriterInput::requestMediaDataWhenReadyOnQueue(
    std::shared_ptr<DispatchQueue> queue, std::function<void()> block)
{
    {
        std::lock_guard lock(_lock);
        if (_finished)
            return;
        _requestQueue = std::move(queue);
        _requestBlock = std::move(block);
    }
    scheduleRequest(Wake::WhenReady);
}

bool AssetWriterInput::waitUntilReadyForMoreMediaData()
{
    std::unique_lock guard(_readinessLock);
    while (true) {
        const uint64_t seen = _readinessGeneration;
        guard.unlock();
        if (isReadyForMoreMediaData())
            return true;
        auto writer = _writer.lock();
        if (_finished || !writer || writer->status() != AssetWriterStatus::Writing)
            return false;
        guard.lock();
        _readinessChanged.wait(guard, [&] { return _readinessGeneration != seen; });
    }
}

void AssetWriterInput::scheduleRequest(Wake wake)
{
    {
        // Whatever made the writer look at its inputs may have made this one ready.
        std::lock_guard guard(_readinessLock);
        ++_readinessGeneration;
    }
    _readinessChanged.notify_all();
    bool evenWhenNotReady = wake == Wake::EvenWhenNotReady;
    if (!evenWhenNotReady && !isReadyForMoreMediaData())
        return;
    std::shared_ptr<DispatchQueue> queue;
    {
        std::lock_guard lock(_lock);
        if (!_requestBlock || !_requestQueue || _finished)
            return;
        if (_requestScheduled) {
            // The running block may have seen the old state: it looks again when it returns.
            if (evenWhenNotReady)
                _wakeAgain = true;
            return;
        }
        _requestScheduled = true;
        queue = _requestQueue;
    }
    queue->async([self = shared_from_this()] { self->runRequestBlock(); });
}

void AssetWriterInput::runRequestBlock()
{
    std::function<void()> block;
    {
        std::lock_guard lock(_lock);
        block = _requestBlock;
    }
    if (block && !_finished)
        block();
    bool wakeAgain;
    {
        std::lock_guard lock(_lock);
        _requestScheduled = false;
        wakeAgain = _wakeAgain;
        _wakeAgain = false;
    }
    scheduleRequest(wakeAgain ? Wake::EvenWhenNotReady : Wake::WhenReady);
}

void AssetWriterInput::markAsFinished()
{
    if (_finished.exchange(true))
        return;
    {
        std::lock_guard guard(_readinessLock);
        ++_readinessGeneration;
    }
    _readinessChanged.notify_all();
    {
        // The block often holds its owner, which holds this input: let it go.
        std::lock_guard lock(_lock);
        _requestBlock = nullptr;
        _requestQueue = nullptr;
    }
    auto writer = _writer.lock();
    if (!writer)
        return;
    _workQueue->async([self = shared_from_this(), writer] {
        // A lone picture lasts until the session's end, if that is known
        // yet; it goes now, so that the file's header waits no longer.
        if (self->_firstPicture && writer->status() == AssetWriterStatus::Writing) {
            // Picture times count from the session's start.
            const MediaTime end = writer->sessionEnd();
            auto started
                = self->startVideo(*writer, end.isNumeric() ? end - writer->sessionStart() : MediaTime::invalid());
            if (!started.ok())
                self->reportFailure(started.error());
        }
        // A track that never got media is left out of the file.
        if (!writer->muxer().hasStreamParameters(self->_slot)) {
            auto finished = writer->muxer().finishSlot(self->_slot);
            if (!finished.ok())
                self->reportFailure(finished.error());
        }
    });
    writer->inputsMayBeReady();
}

void AssetWriterInput::enqueue(std::function<void()> block, const MediaTime& endTime)
{
    {
        std::lock_guard lock(_lock);
        if (!_appendedUntil.isNumeric() || endTime > _appendedUntil)
            _appendedUntil = endTime;
    }
    ++_waiting;
    _workQueue->async([self = shared_from_this(), block = std::move(block)] {
        block();
        --self->_waiting;
        if (auto writer = self->_writer.lock())
            writer->inputsMayBeReady();
    });
    if (auto writer = _writer.lock())
        writer->inputsMayBeReady();
}

bool AssetWriterInput::appendPixelBuffer(
    const std::shared_ptr<PixelBuffer>& pixelBuffer, const MediaTime& presentationTime)
{
    auto writer = _writer.lock();
    if (!writer || writer->status() != AssetWriterStatus::Writing || _finished || !_video || !pixelBuffer
        || !presentationTime.isNumeric())
        return false;
    MediaTime time = presentationTime - writer->sessionStart();
    if (time < MediaTime::zero())
        return true;  // before the session: not part of the file
    if (auto seconds = writer->secondsPerPicture()) {
        // Not ready until the encoder has had its time; then the request block hears of it.
        const double due = Clock::current().uptimeSeconds() + *seconds;
        _pacedUntilUptime = due;
        _workQueue->afterUptime(due, [weakSelf = weak_from_this()] {
            if (auto self = weakSelf.lock())
                self->scheduleRequest(Wake::WhenReady);
        });
    }
    enqueue([self = shared_from_this(), pixelBuffer, time] { self->encodePixelBuffer(pixelBuffer, time); }, time);
    return true;
}

bool AssetWriterInput::isPacedNow() const
{
    return Clock::current().uptimeSeconds() < _pacedUntilUptime.load();
}

bool AssetWriterInput::appendSampleBuffer(const std::shared_ptr<const SampleBuffer>& sampleBuffer)
{
    auto writer = _writer.lock();
    if (!writer || writer->status() != AssetWriterStatus::Writing || _finished || _mediaType != kMediaTypeAudio
        || !sampleBuffer || !sampleBuffer->isValid())
        return false;
    MediaTime time = sampleBuffer->presentationTimeStamp() - writer->sessionStart();
    if (time < MediaTime::zero())
        return true;
    enqueue([self = shared_from_this(), sampleBuffer] { self->writeSampleBuffer(sampleBuffer); },
        time + sampleBuffer->duration());
    return true;
}

void AssetWriterInput::reportFailure(const Error& error)
{
    if (auto writer = _writer.lock())
        writer->fail(error);
}

void AssetWriterInput::encodePixelBuffer(const std::shared_ptr<PixelBuffer>& pixelBuffer, const MediaTime& time)
{
    auto writer = _writer.lock();
    if (!writer || writer->status() != AssetWriterStatus::Writing)
        return;
    Result<void> encoded;
    if (!_encoder->isOpen()) {
        // The encoder plans each picture's bits from the picture rate: the
        // first picture waits for the second, whose time tells it.
        if (!_firstPicture) {
            _firstPicture = HeldPicture {pixelBuffer, time};
            return;
        }
        encoded = startVideo(*writer, time);
    }
    if (encoded.ok())
        encoded = encodePicture(*writer, *pixelBuffer, time);
    if (!encoded.ok())
        reportFailure(encoded.error());
}

Result<void> AssetWriterInput::startVideo(AssetWriter& writer, const MediaTime& nextPictureTime)
{
    const HeldPicture first = std::move(*_firstPicture);
    _firstPicture.reset();
    // The first picture's timescale is the track's, so times in it stay exact;
    // one that says nothing (a time of 0 in whole seconds) gives the movie timescale.
    const int32_t timescale = first.time.timescale > 1 && first.time.timescale <= kFallbackVideoTimescale
        ? first.time.timescale
        : first.time.timescale == 1 ? kMovieTimescale
                                    : kFallbackVideoTimescale;
    const MediaTime pictureDuration = nextPictureTime.isNumeric() ? nextPictureTime - first.time : MediaTime::invalid();
    // A lone picture whose end is not known yet stands for a second at least.
    const double picturesPerSecond = pictureDuration.isNumeric() && pictureDuration > MediaTime::zero()
        ? 1.0 / pictureDuration.seconds()
        : kLonePicturesPerSecond;
    auto opened = _encoder->open(1, timescale, picturesPerSecond);
    if (!opened.ok())
        return opened;
    // A last picture whose end never comes lasts as long as it was planned for.
    _lastDuration = std::max<int64_t>(std::lround(timescale / picturesPerSecond), 1);
    detail::CodecParametersPtr parameters(avcodec_parameters_alloc());
    if (!parameters || avcodec_parameters_from_context(parameters.get(), _encoder->context()) < 0)
        return inputError("cannot describe the video stream");
    const AffineTransform t = transform();
    if (!t.isIdentity()) {
        auto fixed = [](double value, double unit) { return static_cast<int32_t>(std::lround(value * unit)); };
        writer.muxer().setDisplayMatrix(_slot,
            {fixed(t.a, 65536), fixed(t.b, 65536), 0, fixed(t.c, 65536), fixed(t.d, 65536), 0, fixed(t.tx, 65536),
                fixed(t.ty, 65536), 1 << 30});
    }
    auto described = writer.muxer().setStreamParameters(_slot, *parameters, 1, timescale);
    if (!described.ok())
        return described;
    return encodePicture(writer, *first.buffer, first.time);
}

Result<void> AssetWriterInput::encodePicture(AssetWriter& writer, PixelBuffer& pixelBuffer, const MediaTime& time)
{
    const AVRational timeBase = _encoder->context()->time_base;
    int64_t pts = detail::streamTimeFromMediaTime(time, timeBase);
    if (_hasPrevious) {
        if (pts <= _previousPts)
            return inputError("picture times must increase");
        _lastDuration = pts - _previousPts;
        _durations.emplace_back(_previousPts, _lastDuration);
    }
    _previousPts = pts;
    _hasPrevious = true;
    return _encoder->encode(pixelBuffer, pts,
        [this, &writer](detail::EncodedPacket packet) { return writeVideoPacket(writer, std::move(packet)); });
}

Result<void> AssetWriterInput::writeVideoPacket(AssetWriter& writer, detail::EncodedPacket packet)
{
    // The container takes a picture's duration from the next picture's time; the last one's is given.
    auto known = std::find_if(
        _durations.begin(), _durations.end(), [&](const auto& entry) { return entry.first == packet->pts; });
    if (known != _durations.end()) {
        packet->duration = known->second;
        _durations.erase(known);
    }
    return writer.muxer().writePacket(_slot, std::move(packet));
}

void AssetWriterInput::encodeSampleBuffer(AssetWriter& writer, const std::shared_ptr<const SampleBuffer>& sampleBuffer)
{
    if (!_aacEncoder->isOpen()) {
        auto opened = _aacEncoder->open();
        detail::CodecParametersPtr parameters(avcodec_parameters_alloc());
        if (opened.ok()
            && (!parameters || avcodec_parameters_from_context(parameters.get(), _aacEncoder->context()) < 0))
            opened = inputError("cannot describe the audio stream");
        if (opened.ok())
            opened = writer.muxer().setStreamParameters(_slot, *parameters, 1, _audio->encoder.sampleRate);
        if (!opened.ok()) {
            reportFailure(opened.error());
            return;
        }
    }
    MediaTime time = sampleBuffer->presentationTimeStamp() - writer.sessionStart();
    auto encoded = _aacEncoder->encode(*sampleBuffer, time,
        [this, &writer](detail::EncodedPacket packet) { return writer.muxer().writePacket(_slot, std::move(packet)); });
    if (!encoded.ok())
        reportFailure(encoded.error());
}

void AssetWriterInput::writeSampleBuffer(const std::shared_ptr<const SampleBuffer>& sampleBuffer)
{
    auto writer = _writer.lock();
    if (!writer || writer->status() != AssetWriterStatus::Writing)
        return;
    if (_aacEncoder) {
        encodeSampleBuffer(*writer, sampleBuffer);
        return;
    }
    const AudioStreamBasicDescription& format = sampleBuffer->audioStreamBasicDescription();
    int rate = static_cast<int>(format.sampleRate);
    if (!_audioFormat) {
        AVCodecID codec = detail::pcmCodecForDescription(format);
        if (codec == AV_CODEC_ID_NONE || rate != format.sampleRate) {
            reportFailure(inputError("only interleaved linear PCM at a whole sample rate can be written as it is"));
            return;
        }
        detail::CodecParametersPtr parameters(avcodec_parameters_alloc());
        if (!parameters) {
            reportFailure(inputError("out of memory"));
            return;
        }
        parameters->codec_type = AVMEDIA_TYPE_AUDIO;
        parameters->codec_id = codec;
        parameters->sample_rate = rate;
        av_channel_layout_default(&parameters->ch_layout, static_cast<int>(format.channelsPerFrame));
        parameters->bits_per_coded_sample = static_cast<int>(format.bitsPerChannel);
        parameters->block_align = static_cast<int>(format.bytesPerFrame);
        parameters->frame_size = 1;
        auto described = writer->muxer().setStreamParameters(_slot, *parameters, 1, rate);
        if (!described.ok()) {
            reportFailure(described.error());
            return;
        }
        _audioFormat = format;
    } else if (!(format == *_audioFormat)) {
        reportFailure(inputError("the audio format changed within the track"));
        return;
    }
    detail::EncodedPacket packet(av_packet_alloc());
    const Data& bytes = sampleBuffer->dataBuffer();
    if (!packet || av_new_packet(packet.get(), static_cast<int>(bytes.size())) < 0) {
        reportFailure(inputError("out of memory"));
        return;
    }
    std::memcpy(packet->data, bytes.data(), bytes.size());
    MediaTime time = sampleBuffer->presentationTimeStamp() - writer->sessionStart();
    packet->pts = detail::streamTimeFromMediaTime(time, AVRational {1, rate});
    packet->dts = packet->pts;
    packet->duration = sampleBuffer->numSamples();
    packet->flags |= AV_PKT_FLAG_KEY;
    auto written = writer->muxer().writePacket(_slot, std::move(packet));
    if (!written.ok())
        reportFailure(written.error());
}

void AssetWriterInput::flush(const MediaTime& sessionEnd)
{
    auto writer = _writer.lock();
    if (!writer || writer->status() != AssetWriterStatus::Writing)
        return;
    if (_encoder && _encoder->isOpen()) {
        if (_hasPrevious) {
            // The last picture lasts until the session's end, or as long as the one before it.
            const AVRational timeBase = _encoder->context()->time_base;
            int64_t end = sessionEnd.isNumeric() ? detail::streamTimeFromMediaTime(sessionEnd, timeBase) : 0;
            int64_t duration = end > _previousPts ? end - _previousPts : std::max<int64_t>(_lastDuration, 1);
            _durations.emplace_back(_previousPts, duration);
        }
        auto flushed = _encoder->flush(
            [this, &writer](detail::EncodedPacket packet) { return writeVideoPacket(*writer, std::move(packet)); });
        if (!flushed.ok()) {
            reportFailure(flushed.error());
            return;
        }
    }
    if (_aacEncoder && _aacEncoder->isOpen()) {
        auto flushed = _aacEncoder->flush([this, &writer](detail::EncodedPacket packet) {
            return writer->muxer().writePacket(_slot, std::move(packet));
        });
        if (!flushed.ok()) {
            reportFailure(flushed.error());
            return;
        }
    }
    auto finished = writer->muxer().finishSlot(_slot);
    if (!finished.ok())
        reportFailure(finished.error());
}

}  // namespace plat
