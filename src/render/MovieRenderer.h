#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/URL.h"
#include "render/MovieExportType.h"
#include "render/UnreadablePictureFill.h"

namespace plat {
class DispatchQueue;
}

namespace zt {
class ProjectModel;

// The state of an export; the numbers are the platform's export-session
// status values (1 is never used).
enum MovieRendererStatus : int64_t {
    MovieRendererStatusUnknown = 0,
    MovieRendererStatusRendering = 2,
    MovieRendererStatusCompleted = 3,
    MovieRendererStatusFailed = 4,
    MovieRendererStatusCancelled = 5,
};

// The largest signed 64-bit value: an export size that cannot be told.
inline constexpr uint64_t kUnknownEstimatedFileSize = 9223372036854775807ULL;

// Turns one project into one export file of one export type under
// Caches/"rendercache". The common base of the movie, GIF, single-images and
// archive renderers. A renderer serves one export: callers take a new one
// from the registry each time, start it on the main queue, poll status and
// progress there, and read exportURL on status 3 or error on 4. The export
// reads a snapshot of the project taken when it starts, so the project may
// go on changing on the main queue; changes the export makes to the project
// are handed to the main queue. Status and progress are atomics, written on
// the renderer's queues and read anywhere. Every export is made under a
// temporary name beside its file (or folder) and replaces the last one only
// when whole and flushed: a failed or cancelled export leaves the last one
// as it was, and nothing half-written.
class MovieRenderer : public std::enable_shared_from_this<MovieRenderer> {
public:
    explicit MovieRenderer(std::shared_ptr<ProjectModel> project);  // initWithProject:
    virtual ~MovieRenderer();
    MovieRenderer(const MovieRenderer&) = delete;
    MovieRenderer& operator=(const MovieRenderer&) = delete;

    virtual void cancelExport();
    // The synchronous work of one export; nothing in the base.
    virtual void renderMovie();
    virtual bool getNeedsAudioMixing() const;
    virtual std::optional<std::string> getSupportedUTI() const;
    // Built anew on each call; none in the base.
    virtual std::vector<std::shared_ptr<MovieExportType>> getSupportedExportTypes();
    // KiB; kUnknownEstimatedFileSize in the base.
    virtual uint64_t getEstimatedFileSizeAfterExportforType(const MovieExportType& type);
    // Main queue. Runs renderMovie on a new serial queue "com.quorvane.renderqueue"
    // with the idle timer off, then posts the completion to the main queue,
    // whatever the outcome.
    virtual void exportProjectWithExportType(
        std::shared_ptr<MovieExportType> type, std::function<void()> completionHandler);
    // A finished movie that plays as it is; none in the base.
    virtual std::optional<plat::URL> getPreparedMovieForExportType(const MovieExportType& type);

    // The largest movie size this device renders, 0 x 0 when none.
    static plat::Size getMaximumResolutionAvailable();
    // Whether the platform offers a preset for the size (640 x 360 to 1920 x 1080 only).
    static bool isResolutionAvailable(plat::Size size);
    // Whether folderPath holds "plovix.mov" prepared at the size (-1 x -1: any size).
    static bool isVideoAtPath(const std::string& folderPath, plat::Size resolution);
    static std::optional<std::string> getAVAssetExportPresetForSize(plat::Size size);
    // Caches/"rendercache": one folder of exports per project.
    static std::string renderCacheDirectory();
    // Caches/"rendercache"/<project folder name>/<title>.<extension>; the folder
    // is made when missing. The title is "RecordName" cleaned for a file name,
    // or the localized "My Plovix Movie" when that leaves nothing.
    plat::URL getExportURLForExportType(const MovieExportType& type);
    // Always false, as the platform's renderer answers.
    static bool isFileAtPath(const std::string& path, const MovieExportType& type);

    int64_t status() const { return _status.load(); }
    float progress() const { return _progress.load(); }
    std::optional<plat::Error> error() const;
    // The frames of the last export whose pictures could not be read (so the
    // export shows none of them), by their position in the film from 1, ascending.
    std::vector<int64_t> unreadableFrames() const;
    // What the export put in place of those frames; they are left out in the base.
    virtual UnreadablePictureFill unreadablePictureFill() const;
    // The sounds of the last export that could not be read and are not in
    // it, by the names the audio lanes show, in track order, each name once.
    std::vector<std::string> unreadableSounds() const;
    // Why the project could not note the movie the last export finished; the
    // movie is whole all the same. None in the base.
    virtual std::optional<plat::Error> noteError() const;
    std::optional<plat::URL> exportURL() const;
    void setExportURL(std::optional<plat::URL> url);

protected:
    void setStatus(int64_t status) { _status = status; }
    // Sets the status unless the export was cancelled meanwhile.
    void setStatusUnlessCancelled(int64_t status);
    void setProgress(float progress) { _progress = progress; }
    void setError(plat::Error error);
    // Status 4 with the error.
    void fail(plat::Error error);
    // The refusal of an export without frames: "No frames found in project.",
    // or, when the frame list cannot be read, which list and why. The render's queue.
    plat::Error noFramesError(std::string domain, int64_t code);
    // The picture of the frame at the render index could not be read. Any thread.
    void noteUnreadableFrame(int64_t renderIndex);
    // The sound of this name could not be read and is left out. Any thread.
    void noteUnreadableSound(std::string name);
    // The error of an export that could not be written: the message, with
    // the system's reason added when the failure has one ("No space left on
    // device."), and the failure kept beneath it.
    static plat::Error writeError(
        std::string domain, int64_t code, const std::string& message, const std::optional<plat::Error>& reason);

    // The project the export reads: the snapshot taken when it started. A
    // renderMovie called without an export takes it then, on the main queue.
    std::shared_ptr<ProjectModel> renderProject();
    // The snapshot once an export has begun, else the live project (main queue).
    std::shared_ptr<ProjectModel> projectForReading();
    // The live project; main queue only.
    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    std::shared_ptr<MovieExportType> exportType() const;

    // Begins an export: stores the type and the completion (replacing
    // earlier ones), takes the snapshot, sets the status to 2. Main queue.
    void beginExport(std::shared_ptr<MovieExportType> type, std::function<void()> completionHandler);
    // The completion of this export, once however often it is asked for:
    // posted to the main queue, or run on the calling thread.
    enum class CompletionThread { MainQueue, CallingThread };
    void finishExport(CompletionThread thread);

private:
    const std::shared_ptr<ProjectModel> _project;
    std::atomic<int64_t> _status {MovieRendererStatusUnknown};
    std::atomic<float> _progress {0};
    std::atomic<bool> _completionPending {false};
    mutable std::mutex _lock;
    std::optional<plat::Error> _error;  // guarded by _lock
    std::vector<int64_t> _unreadableFrames;  // guarded by _lock
    std::vector<std::string> _unreadableSounds;  // guarded by _lock
    std::optional<plat::URL> _exportURL;  // guarded by _lock
    std::shared_ptr<MovieExportType> _exportType;  // guarded by _lock
    std::function<void()> _completionHandler;  // guarded by _lock
    std::shared_ptr<ProjectModel> _snapshot;  // guarded by _lock
    std::shared_ptr<plat::DispatchQueue> _renderQueue;  // guarded by _lock
};

namespace detail {

// Movie sizes from the platform's preset list and the 4K test, for the
// largest size and the size test.
plat::Size maximumResolution(bool canRender4K, const std::vector<std::string>& presets);
bool isResolutionInPresets(plat::Size size, const std::vector<std::string>& presets);
// The checks a prepared movie passes: playable in the photo album, the size
// (either way round; -1 x -1 takes any), and a video track whose pictures
// last at most a second.
bool isPreparedMovieFile(const std::string& path, plat::Size resolution);

}  // namespace detail

}  // namespace zt
