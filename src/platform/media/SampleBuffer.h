#pragma once
#include <cstdint>
#include <memory>

#include "platform/foundation/Value.h"
#include "platform/media/AssetTrack.h"
#include "platform/media/MediaTime.h"

namespace plat {

// Audio samples with the time of the first: interleaved linear PCM, as an
// asset reader decodes them and an audio writer input takes them, or stored
// (compressed) packets as a track output hands them out without settings.
// Any thread (immutable).
class SampleBuffer {
public:
    // nullptr unless format is interleaved linear PCM, the time is numeric,
    // there is at least one sample and bytes hold exactly numSamples frames.
    static std::shared_ptr<const SampleBuffer> createLinearPCM(const AudioStreamBasicDescription& format,
        const MediaTime& presentationTimeStamp, int64_t numSamples, Data bytes);
    // nullptr unless format is not linear PCM, the time is numeric and there
    // are bytes; numSamples is the sample frames they decode to (0 when unknown).
    static std::shared_ptr<const SampleBuffer> createCompressed(const AudioStreamBasicDescription& format,
        const MediaTime& presentationTimeStamp, int64_t numSamples, Data bytes);

    const AudioStreamBasicDescription& audioStreamBasicDescription() const { return _format; }
    MediaTime presentationTimeStamp() const { return _presentationTimeStamp; }
    bool isLinearPCM() const;
    // numSamples in the sample rate's timescale.
    MediaTime duration() const;
    int64_t numSamples() const { return _numSamples; }
    const Data& dataBuffer() const { return _bytes; }

    SampleBuffer(const AudioStreamBasicDescription& format, const MediaTime& presentationTimeStamp, int64_t numSamples,
        Data bytes);

private:
    AudioStreamBasicDescription _format;
    MediaTime _presentationTimeStamp;
    int64_t _numSamples;
    Data _bytes;
};

}  // namespace plat
