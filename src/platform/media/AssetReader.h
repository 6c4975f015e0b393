#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/media/AssetForward.h"
#include "platform/media/MediaTime.h"

namespace plat {
class AssetReaderOutput;

enum class AssetReaderStatus : int { Unknown = 0, Reading = 1, Completed = 2, Failed = 3, Cancelled = 4 };

// Reads an asset's media through its outputs: configured (outputs, time
// range) on one queue, then started; the outputs hand out samples on their
// reading queue; cancelReading and the status work from any thread.
class AssetReader : public std::enable_shared_from_this<AssetReader> {
public:
    // Fails for a file asset that could not be read.
    static Result<std::shared_ptr<AssetReader>> assetReaderWithAsset(std::shared_ptr<const Asset> asset);

    const std::shared_ptr<const Asset>& asset() const { return _asset; }
    // Before reading; the default is the whole asset.
    MediaTimeRange timeRange() const { return _timeRange; }
    void setTimeRange(const MediaTimeRange& timeRange);

    // Only before reading, for an output whose tracks belong to the asset
    // and whose settings can be produced.
    bool canAddOutput(const std::shared_ptr<AssetReaderOutput>& output) const;
    void addOutput(std::shared_ptr<AssetReaderOutput> output);
    const std::vector<std::shared_ptr<AssetReaderOutput>>& outputs() const { return _outputs; }

    // False, with the status failed and an error, when an output cannot be prepared.
    bool startReading();
    void cancelReading();

    AssetReaderStatus status() const { return _status.load(); }
    std::optional<Error> error() const;

    explicit AssetReader(std::shared_ptr<const Asset> asset);

private:
    friend class AssetReaderOutput;
    void outputDidFinish();
    void fail(Error error);

    std::shared_ptr<const Asset> _asset;
    MediaTimeRange _timeRange;
    std::vector<std::shared_ptr<AssetReaderOutput>> _outputs;
    std::atomic<AssetReaderStatus> _status {AssetReaderStatus::Unknown};
    std::atomic<size_t> _finishedOutputs {0};
    mutable std::mutex _lock;
    std::optional<Error> _error;  // guarded by _lock
};

}  // namespace plat
