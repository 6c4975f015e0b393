#include "platform/media/SampleBuffer.h"

#include <cmath>

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/MediaConstants.h"

namespace plat {

SampleBuffer::SampleBuffer(
    const AudioStreamBasicDescription& format, const MediaTime& presentationTimeStamp, int64_t numSamples, Data bytes)
    : _format(format)
    , _presentationTimeStamp(presentationTimeStamp)
    , _numSamples(numSamples)
    , _bytes(std::move(bytes))
{
}

std::shared_ptr<const SampleBuffer> SampleBuffer::createLinearPCM(
    const AudioStreamBasicDescription& format, const MediaTime& presentationTimeStamp, int64_t numSamples, Data bytes)
{
    bool interleavedPCM = format.formatID == kAudioFormatLinearPCM
        && !(format.formatFlags & kAudioFormatFlagIsNonInterleaved) && format.bytesPerFrame > 0
        && format.channelsPerFrame > 0 && format.sampleRate >= 1 && format.sampleRate <= 1e6;
    if (!interleavedPCM || !presentationTimeStamp.isNumeric() || numSamples < 1
        || static_cast<uint64_t>(numSamples) * format.bytesPerFrame != bytes.size())
        return nullptr;
    return std::make_shared<const SampleBuffer>(format, presentationTimeStamp, numSamples, std::move(bytes));
}

std::shared_ptr<const SampleBuffer> SampleBuffer::createForImageBuffer(
    std::shared_ptr<PixelBuffer> imageBuffer, const MediaTime& presentationTimeStamp)
{
    if (!presentationTimeStamp.isNumeric())
        return nullptr;
    auto buffer = std::make_shared<SampleBuffer>(AudioStreamBasicDescription {}, presentationTimeStamp, 1, Data {});
    buffer->_imageBuffer = std::move(imageBuffer);
    return buffer;
}

std::shared_ptr<const SampleBuffer> SampleBuffer::createWithJPEGData(Data jpeg, const MediaTime& presentationTimeStamp)
{
    if (jpeg.empty() || !presentationTimeStamp.isNumeric())
        return nullptr;
    auto buffer
        = std::make_shared<SampleBuffer>(AudioStreamBasicDescription {}, presentationTimeStamp, 1, std::move(jpeg));
    buffer->_isJPEG = true;
    return buffer;
}

std::shared_ptr<const SampleBuffer> SampleBuffer::createCompressed(
    const AudioStreamBasicDescription& format, const MediaTime& presentationTimeStamp, int64_t numSamples, Data bytes)
{
    if (format.formatID == kAudioFormatLinearPCM || !presentationTimeStamp.isNumeric() || numSamples < 0
        || bytes.empty())
        return nullptr;
    return std::make_shared<const SampleBuffer>(format, presentationTimeStamp, numSamples, std::move(bytes));
}

bool SampleBuffer::isLinearPCM() const
{
    return _format.formatID == kAudioFormatLinearPCM;
}

MediaTime SampleBuffer::duration() const
{
    if (!(_format.sampleRate >= 1))
        return MediaTime::invalid();  // pictures, and rates that cannot be counted in
    double rate = std::round(_format.sampleRate);
    if (rate == _format.sampleRate)
        return MediaTime::make(_numSamples, static_cast<int32_t>(rate));
    return MediaTime::makeWithSeconds(static_cast<double>(_numSamples) / _format.sampleRate, 1000000);
}

}  // namespace plat
