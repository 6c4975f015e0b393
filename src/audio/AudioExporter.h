#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/URL.h"

namespace zt {

// Copies a music-library item (by its asset URL) into a folder, so that the
// project owns the sound, without re-encoding: MP3 frames byte for byte
// into "audio-<UUID>.mp3", AAC through the pass-through export into
// "audio-<UUID>.<the item's extension>". One export per object, made with
// std::make_shared (the work holds on to it until it ends). The work
// runs on the background global queue; the completion runs once, on the
// main queue, with the new file or none, when status() and error() tell
// what happened.
class AudioExporter : public std::enable_shared_from_this<AudioExporter> {
public:
    using CompletionHandler = std::function<void(const std::optional<plat::URL>& fileURL)>;

    enum Status : int64_t { Finished = 0, Failed = 1, Exporting = 2 };

    void exportFileAtAssetURL(const plat::URL& assetURL, const std::string& folder, CompletionHandler completion);
    // The MP3 frames of the item into outputPath, written whole or not at
    // all. Synchronous; any thread.
    plat::Result<void> exportMP3(const plat::URL& assetURL, const std::string& outputPath);
    // The AAC item through the pass-through export; the completion runs on the main queue.
    void exportAAC(const plat::URL& assetURL, const std::string& folder, CompletionHandler completion);

    int64_t status() const { return _status.load(); }
    std::optional<plat::Error> error() const;

    static constexpr const char* kErrorDomain = "AudioExporter";
    static constexpr int64_t kNotValidMediaError = 89;
    static constexpr int64_t kUnsupportedFormatError = 69;
    static constexpr int64_t kUnsupportedExtensionError = 187;

private:
    void finish(const CompletionHandler& completion, std::optional<plat::URL> file);
    void fail(const CompletionHandler& completion, plat::Error error);
    void dispatchExport(const plat::URL& assetURL, const std::string& folder, const CompletionHandler& completion);

    std::atomic<int64_t> _status {Finished};
    mutable std::mutex _lock;
    std::optional<plat::Error> _error;  // guarded by _lock
};

}  // namespace zt
