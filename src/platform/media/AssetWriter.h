#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/media/MediaTime.h"

namespace plat {
class AssetWriterInput;
class DispatchQueue;
namespace detail {
class MovieMuxer;
}

enum class AssetWriterStatus : int { Unknown = 0, Writing = 1, Completed = 2, Failed = 3, Cancelled = 4 };

// Writes a media file (QuickTime movie, MPEG-4, M4A, CAF, WAVE or AIFF) from
// the media its inputs are given. Inputs are added before writing starts;
// the session's start time is the file's time 0. Inputs whose time runs more
// than a second ahead of another's are held back (not ready) so that the
// file stays interleaved. The finish handler runs on the writer's own queue.
// Any thread.
class AssetWriter : public std::enable_shared_from_this<AssetWriter> {
public:
    // Fails for a URL that is not a file in an existing folder, an existing
    // file (as on the platform, the caller removes it first) or an unknown
    // file type.
    static std::shared_ptr<AssetWriter> assetWriterWithURL(
        const URL& outputURL, const std::string& outputFileType, std::optional<Error>* error);
    ~AssetWriter();

    const URL& outputURL() const { return _outputURL; }
    const std::string& outputFileType() const { return _outputFileType; }

    // Before writing: inputs of a media type the file type can hold, each once.
    bool canAddInput(const std::shared_ptr<AssetWriterInput>& input) const;
    void addInput(const std::shared_ptr<AssetWriterInput>& input);
    const std::vector<std::shared_ptr<AssetWriterInput>>& inputs() const { return _inputs; }

    // Before writing: the file's tags, as key and text (QuickTime's "title",
    // "artist", "comment", "copyright", "date" and the like).
    std::vector<std::pair<std::string, std::string>> metadata() const;
    void setMetadata(std::vector<std::pair<std::string, std::string>> metadata);

    // Before writing: a movie (QuickTime or MPEG-4) written in fragments of
    // about this length, so that a file cut short (a crash, a full disk)
    // plays up to its last whole fragment. Invalid, the default: one index
    // written when the file is finished.
    MediaTime movieFragmentInterval() const;
    void setMovieFragmentInterval(const MediaTime& interval);

    // Creates the file; false (status failed, with an error) when it cannot.
    bool startWriting();
    void startSessionAtSourceTime(const MediaTime& startTime);
    // The last picture of each video track lasts until this time; later
    // samples are kept as they are.
    void endSessionAtSourceTime(const MediaTime& endTime);
    // Marks every input finished, writes what they still hold and closes the
    // file; then the status is completed, or failed with an error.
    void finishWritingWithCompletionHandler(std::function<void()> handler);
    // Stops writing; what was written stays in the file.
    void cancelWriting();

    AssetWriterStatus status() const { return _status.load(); }
    std::optional<Error> error() const;

    AssetWriter(URL outputURL, std::string outputFileType, std::string formatName);

private:
    friend class AssetWriterInput;

    bool isInputReady(const AssetWriterInput& input) const;
    void inputsMayBeReady();
    void fail(Error error);
    // After the inputs' queues have run what they hold.
    void afterInputsDrain(std::function<void()> block);
    MediaTime sessionStart() const;
    MediaTime sessionEnd() const;
    bool hasSessionStarted() const;
    detail::MovieMuxer& muxer() { return *_muxer; }
    // The time the device's encoder takes a picture (see EncoderFolder); none: no time at all.
    std::optional<double> secondsPerPicture() const { return _secondsPerPicture; }

    const URL _outputURL;
    const std::string _outputFileType;
    std::unique_ptr<detail::MovieMuxer> _muxer;
    std::shared_ptr<DispatchQueue> _queue;
    const std::optional<double> _secondsPerPicture;
    std::vector<std::shared_ptr<AssetWriterInput>> _inputs;  // fixed once writing starts
    std::atomic<AssetWriterStatus> _status {AssetWriterStatus::Unknown};
    mutable std::mutex _lock;
    std::optional<Error> _error;  // guarded by _lock
    std::optional<MediaTime> _sessionStart;  // guarded by _lock
    MediaTime _sessionEnd = MediaTime::invalid();  // guarded by _lock
    bool _finishing = false;  // guarded by _lock
    std::vector<std::pair<std::string, std::string>> _metadata;  // guarded by _lock
    MediaTime _movieFragmentInterval = MediaTime::invalid();  // guarded by _lock
};

}  // namespace plat
