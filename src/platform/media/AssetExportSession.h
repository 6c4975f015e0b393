#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/URL.h"
#include "platform/media/AssetForward.h"

namespace plat {
class DispatchQueue;

enum class AssetExportSessionStatus : int {
    Unknown = 0,
    Waiting = 1,
    Exporting = 2,
    Completed = 3,
    Failed = 4,
    Cancelled = 5,
};

// Exports a file asset into a new file with a preset. The stand-in writes
// the pass-through preset: the sound is copied without re-encoding, AAC (and
// Apple Lossless) into M4A, linear PCM into WAVE or AIFF (only the byte order
// of the samples changes). The other presets are listed for the choice of
// sizes; a session for them cannot be made here, as the platform answers for
// an asset a preset does not suit. The export runs on the session's own
// queue, which also runs the completion handler. Any thread.
class AssetExportSession : public std::enable_shared_from_this<AssetExportSession> {
public:
    static std::vector<std::string> allExportPresets();
    // nullptr for another preset than pass-through, or an asset that is not a readable file.
    static std::shared_ptr<AssetExportSession> exportSessionWithAsset(
        std::shared_ptr<const Asset> asset, const std::string& presetName);

    const std::string& presetName() const { return _presetName; }
    // The file types this asset can be exported to.
    std::vector<std::string> supportedFileTypes() const;

    std::optional<URL> outputURL() const;
    void setOutputURL(const URL& url);
    std::string outputFileType() const;
    void setOutputFileType(const std::string& fileType);

    // The output file must not exist yet; a failed or cancelled export leaves none.
    void exportAsynchronouslyWithCompletionHandler(std::function<void()> handler);
    void cancelExport();

    AssetExportSessionStatus status() const { return _status.load(); }
    std::optional<Error> error() const;
    float progress() const { return _progress.load(); }

    AssetExportSession(std::shared_ptr<const Asset> asset, std::string presetName, std::string sourcePath);

private:
    Result<void> runExport(const std::string& outputPath, const std::string& fileType);

    std::shared_ptr<const Asset> _asset;
    std::string _presetName;
    std::string _sourcePath;
    std::shared_ptr<DispatchQueue> _queue;
    std::atomic<AssetExportSessionStatus> _status {AssetExportSessionStatus::Unknown};
    std::atomic<float> _progress {0};
    mutable std::mutex _lock;
    std::optional<URL> _outputURL;  // guarded by _lock
    std::string _outputFileType;  // guarded by _lock
    std::optional<Error> _error;  // guarded by _lock
};

}  // namespace plat
