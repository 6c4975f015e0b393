#pragma once
#include <memory>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/AssetTrack.h"

namespace plat {
class AssetReader;
class SampleBuffer;

// One stream of samples an asset reader hands out: a track as stored or
// decoded, or several audio tracks mixed. Configured before reading on one
// queue; copyNextSampleBuffer then runs on one queue at a time.
class AssetReaderOutput {
public:
    virtual ~AssetReaderOutput() = default;

    // The next buffer while the reader reads; nullptr at the end (the reader
    // completes once every output has ended), after cancelReading, or when
    // the reader is not reading.
    virtual std::shared_ptr<const SampleBuffer> copyNextSampleBuffer() = 0;

    // The tracks this output reads; they must belong to the reader's asset.
    virtual std::vector<std::shared_ptr<AssetTrack>> tracksRead() const = 0;

protected:
    friend class AssetReader;
    // Checks the settings and the tracks; the reader asks before adding.
    virtual Result<void> validate() const = 0;
    // Called by the reader's startReading.
    virtual Result<void> prepare(const std::shared_ptr<AssetReader>& reader, const MediaTimeRange& timeRange) = 0;

    // Tells the reader this output has handed out its last buffer.
    static void reportEnd(AssetReader& reader);
    // Tells the reader the output cannot go on; the reader fails with the error.
    static void reportFailure(AssetReader& reader, Error error);
};

}  // namespace plat
