#include "audio/AudioWaveformGenerator.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageContext.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderTrackOutput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"

namespace zt {

namespace {

constexpr double kLineWidth = 1.0;
constexpr int kBytesPerSample = 2;

const plat::Color& leftColour()
{
    static const plat::Color colour = plat::Color::colorWithRed(20 / 255.0, 77 / 255.0, 130 / 255.0, 1.0);
    return colour;
}

// The column values of the sound: each the average of a run of samples,
// left (and right, for two channels) one after the other.
struct Columns {
    std::vector<int16_t> values;
    int16_t maximum = 0;
};

class ColumnCollector {
public:
    ColumnCollector(int64_t framesPerColumn, uint32_t channels, size_t maxColumns)
        : _framesPerColumn(framesPerColumn)
        , _channels(channels)
        , _stereo(channels == 2)
        , _maxValues(maxColumns * (_stereo ? 2 : 1))
    {
    }

    // Adds the frames of one buffer of 16-bit little-endian samples; false once the picture is full.
    bool add(const uint8_t* bytes, size_t size)
    {
        size_t frameBytes = static_cast<size_t>(kBytesPerSample) * _channels;
        size_t frames = size / frameBytes;
        for (size_t i = 0; i < frames; ++i) {
            const uint8_t* frame = bytes + i * frameBytes;
            _left += sampleAt(frame, 0);
            if (_stereo)
                _right += sampleAt(frame, 1);
            if (_tally >= _framesPerColumn) {
                // Each column averages one frame more than the count, as the waveform has always been drawn.
                append(_left);
                if (_stereo)
                    append(_right);
                _left = 0;
                _right = 0;
                _tally = 0;
                if (_columns.values.size() >= _maxValues)
                    return false;
            } else {
                ++_tally;
            }
        }
        return true;
    }

    Columns take() { return std::move(_columns); }

private:
    static int64_t sampleAt(const uint8_t* frame, int channel)
    {
        int16_t sample;
        std::memcpy(&sample, frame + channel * kBytesPerSample, sizeof sample);
        return sample;
    }
    void append(int64_t sum)
    {
        auto value = static_cast<int16_t>(sum / (_tally + 1));
        if (std::abs(static_cast<int32_t>(value)) > _columns.maximum)
            _columns.maximum = static_cast<int16_t>(std::min(std::abs(static_cast<int32_t>(value)), 32767));
        _columns.values.push_back(value);
    }

    const int64_t _framesPerColumn;
    const uint32_t _channels;
    const bool _stereo;
    const size_t _maxValues;
    int64_t _left = 0;
    int64_t _right = 0;
    int64_t _tally = 0;
    Columns _columns;
};

}  // namespace

std::shared_ptr<plat::Image> AudioWaveformGenerator::renderPNGAudioPictogramForAssett(
    const std::shared_ptr<const plat::Asset>& asset, plat::Size size) const
{
    if (!asset || !(size.width >= 1) || !(size.height >= 1) || !std::isfinite(size.width))
        return nullptr;
    auto tracks = asset->tracksWithMediaType(plat::kMediaTypeAudio);
    if (tracks.empty())
        return nullptr;
    auto reader = plat::AssetReader::assetReaderWithAsset(asset);
    if (!reader.ok())
        return nullptr;
    const auto& track = tracks.front();
    auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(track,
        plat::Dictionary {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatLinearPCM)},
            {plat::kLinearPCMBitDepthKey, int64_t {16}}, {plat::kLinearPCMIsBigEndianKey, false},
            {plat::kLinearPCMIsFloatKey, false}, {plat::kLinearPCMIsNonInterleaved, false}});
    if (!reader.value()->canAddOutput(output))
        return nullptr;
    reader.value()->addOutput(output);

    // The last format description tells the rate and channels.
    if (track->formatDescriptions().empty())
        return nullptr;
    const auto& format = track->formatDescriptions().back().audio;
    auto sampleRate = static_cast<uint64_t>(format.sampleRate);
    uint32_t channels = format.channelsPerFrame;
    plat::MediaTime duration = asset->duration();
    if (channels == 0 || sampleRate == 0 || !duration.isNumeric() || duration.timescale <= 0)
        return nullptr;
    // In single precision, as the waveform has always been measured: 44.1 kHz, 10 s and 300 columns give 1470.
    float seconds = static_cast<float>(duration.value) / static_cast<float>(duration.timescale);
    float perColumn = static_cast<float>(sampleRate) * seconds / static_cast<float>(size.width);
    if (!std::isfinite(perColumn) || perColumn < 0)
        return nullptr;
    auto framesPerColumn = static_cast<int64_t>(std::min(perColumn, 9.0e18f));

    if (!reader.value()->startReading())
        return nullptr;
    // The reader decodes at the track's own rate and channel count, so its
    // buffers have the layout measured above; one that does not is skipped.
    ColumnCollector collector(framesPerColumn, channels, static_cast<size_t>(std::ceil(size.width)));
    bool full = false;
    while (auto buffer = output->copyNextSampleBuffer()) {
        if (buffer->audioStreamBasicDescription().channelsPerFrame != channels)
            continue;
        if (!collector.add(buffer->dataBuffer().data(), buffer->dataBuffer().size())) {
            full = true;
            reader.value()->cancelReading();
            break;
        }
    }
    if (!full && reader.value()->status() != plat::AssetReaderStatus::Completed)
        return nullptr;
    Columns columns = collector.take();
    return audioImageGraph(columns.values.data(), columns.maximum, static_cast<int64_t>(columns.values.size()), 1,
        static_cast<float>(size.height));
}

std::shared_ptr<plat::Image> AudioWaveformGenerator::audioImageGraph(
    const int16_t* samples, int16_t normalizeMax, int64_t sampleCount, int64_t channelCount, float imageHeight) const
{
    if (!samples || sampleCount <= 0 || !(imageHeight >= 1) || channelCount < 1)
        return nullptr;
    double height = imageHeight;
    bool stereo = channelCount == 2;
    // With two channels each column takes a left and a right value.
    int64_t columns = stereo ? (sampleCount + 1) / 2 : sampleCount;
    double width = static_cast<double>(columns);
    plat::ImageContext image(plat::Size {width, height}, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = image.context();
    if (!context)
        return nullptr;
    context->clearRect(plat::makeRect(0, 0, width, height));
    context->setAlpha(1.0);
    context->setLineWidth(kLineWidth);
    double centre = height * 0.5 / static_cast<double>(channelCount);
    // A silent sound has no loudest value to scale by: it is drawn as no lines at all.
    double factor = normalizeMax > 0 ? height / static_cast<double>(channelCount) / normalizeMax : 0.0;
    const int16_t* next = samples;
    const int16_t* end = samples + sampleCount;
    for (int64_t x = 0; x < columns; ++x) {
        // On the middle of the pixel column, so each value has a column of its own.
        double column = static_cast<double>(x) + 0.5;
        double v = factor * *next++;
        context->beginPath();
        context->moveToPoint({column, centre - v});
        context->addLineToPoint({column, centre + v});
        context->setStrokeColor(leftColour());
        context->strokePath();
        if (stereo && next < end) {
            double right = factor * *next++;
            context->beginPath();
            context->moveToPoint({column, 3 * centre - right});
            context->addLineToPoint({column, 3 * centre + right});
            context->setStrokeColor(plat::Color::redColor());
            context->strokePath();
        }
    }
    return image.finish();
}

}  // namespace zt
