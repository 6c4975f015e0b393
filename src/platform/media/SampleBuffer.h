#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/foundation/Value.h"
#include "platform/media/AssetTrack.h"
#include "platform/media/MediaTime.h"

namespace plat {

class PixelBuffer;

// Audio samples with the time of the first: interleaved linear PCM, as an
// asset reader decodes them and an audio writer input takes them, or stored
// (compressed) packets as a track output hands them out without settings.
// Or one video picture with its time: a pixel buffer from a camera's video
// output, or a still's JPEG bytes. Any thread (immutable, but for the mark
// that whoever was handed it is done with it).
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

    // nullptr unless the time is numeric. A dropped picture's buffer carries
    // only its time (no image buffer).
    static std::shared_ptr<const SampleBuffer> createForImageBuffer(
        std::shared_ptr<PixelBuffer> imageBuffer, const MediaTime& presentationTimeStamp);
    static std::shared_ptr<const SampleBuffer> createWithJPEGData(Data jpeg, const MediaTime& presentationTimeStamp);
    // The picture of a video sample buffer; nullptr for sound, stills and dropped pictures.
    const std::shared_ptr<PixelBuffer>& imageBuffer() const { return _imageBuffer; }
    // True when dataBuffer() holds a JPEG picture.
    bool isJPEG() const { return _isJPEG; }

    // Marks the buffer used up: writers refuse it from then on. Its contents
    // stay readable for those who already took it in.
    void invalidate() const { _valid = false; }
    bool isValid() const { return _valid.load(); }

    SampleBuffer(const AudioStreamBasicDescription& format, const MediaTime& presentationTimeStamp, int64_t numSamples,
        Data bytes);

private:
    AudioStreamBasicDescription _format;
    MediaTime _presentationTimeStamp;
    int64_t _numSamples;
    Data _bytes;
    std::shared_ptr<PixelBuffer> _imageBuffer;
    bool _isJPEG = false;
    mutable std::atomic<bool> _valid {true};
};

}  // namespace plat
