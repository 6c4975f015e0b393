#include "platform/media/AssetWriter.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/EncoderFolder.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MovieMuxer.h"

namespace plat {

namespace {

// How far one input may run ahead of another before it waits.
constexpr double kInterleavingSeconds = 1.0;
// Appended media an input may hold before it is encoded and written.
constexpr int64_t kVideoQueueDepth = 2;
constexpr int64_t kAudioQueueDepth = 8;

struct FileTypeInfo {
    const char* fileType;
    const char* formatName;
    bool canHoldVideo;
    bool canHoldAAC;
};

constexpr FileTypeInfo kFileTypes[] = {
    {kFileTypeQuickTimeMovie, "mov", true, true},
    {kFileTypeMPEG4, "mp4", true, true},
    {kFileTypeAppleM4A, "ipod", false, true},
    {kFileTypeCoreAudioFormat, "caf", false, true},
    {kFileTypeWAVE, "wav", false, false},
    {kFileTypeAIFF, "aiff", false, false},
};

const FileTypeInfo* fileTypeInfo(const std::string& fileType)
{
    for (const FileTypeInfo& info : kFileTypes) {
        if (fileType == info.fileType)
            return &info;
    }
    return nullptr;
}

std::shared_ptr<AssetWriter> failCreation(std::optional<Error>* error, Error reason)
{
    if (error)
        *error = std::move(reason);
    return nullptr;
}

}  // namespace

namespace {

std::optional<double> secondsPerEncodedPicture()
{
    auto framesPerSecond = EncoderFolder::framesPerSecond();
    return framesPerSecond ? std::optional<double>(1 / *framesPerSecond) : std::nullopt;
}

}  // namespace

AssetWriter::AssetWriter(URL outputURL, std::string outputFileType, std::string formatName)
    : _outputURL(std::move(outputURL))
    , _outputFileType(std::move(outputFileType))
    , _muxer(std::make_unique<detail::MovieMuxer>(_outputURL.path(), std::move(formatName)))
    , _queue(DispatchQueue::create("plat.media.assetwriter"))
    , _secondsPerPicture(secondsPerEncodedPicture())
{
}

AssetWriter::~AssetWriter() = default;

std::shared_ptr<AssetWriter> AssetWriter::assetWriterWithURL(
    const URL& outputURL, const std::string& outputFileType, std::optional<Error>* error)
{
    const FileTypeInfo* info = fileTypeInfo(outputFileType);
    if (!info)
        return failCreation(
            error, detail::mediaError(kMediaErrorInvalidOutputURL, "unknown file type " + outputFileType, {}));
    if (!outputURL.isFileURL())
        return failCreation(
            error, detail::mediaError(kMediaErrorInvalidOutputURL, "not a file URL:", outputURL.absoluteString()));
    std::string path = outputURL.path();
    if (fileExists(path))
        return failCreation(error, detail::mediaError(kMediaErrorFileAlreadyExists, "a file exists at", path));
    std::string folder = deletingLastPathComponent(path);
    if (!isDirectory(folder) || ::access(folder.c_str(), W_OK) != 0)
        return failCreation(
            error, detail::mediaError(kMediaErrorInvalidOutputURL, "cannot write into the folder of", path));
    return std::make_shared<AssetWriter>(outputURL, outputFileType, info->formatName);
}

bool AssetWriter::canAddInput(const std::shared_ptr<AssetWriterInput>& input) const
{
    if (!input || status() != AssetWriterStatus::Unknown || input->isAttached())
        return false;
    const FileTypeInfo* info = fileTypeInfo(_outputFileType);
    if (input->mediaType() == kMediaTypeAudio)
        return !input->encodesAAC() || info->canHoldAAC;
    return input->mediaType() == kMediaTypeVideo && info->canHoldVideo;
}

void AssetWriter::addInput(const std::shared_ptr<AssetWriterInput>& input)
{
    if (!canAddInput(input))
        return;
    input->attach(shared_from_this(), _muxer->addSlot());
    _inputs.push_back(input);
}

std::vector<std::pair<std::string, std::string>> AssetWriter::metadata() const
{
    std::lock_guard lock(_lock);
    return _metadata;
}

void AssetWriter::setMetadata(std::vector<std::pair<std::string, std::string>> metadata)
{
    if (status() != AssetWriterStatus::Unknown)
        return;
    std::lock_guard lock(_lock);
    _metadata = std::move(metadata);
}

MediaTime AssetWriter::movieFragmentInterval() const
{
    std::lock_guard lock(_lock);
    return _movieFragmentInterval;
}

void AssetWriter::setMovieFragmentInterval(const MediaTime& interval)
{
    if (status() != AssetWriterStatus::Unknown)
        return;
    std::lock_guard lock(_lock);
    _movieFragmentInterval = interval.isNumeric() && interval > MediaTime::zero() ? interval : MediaTime::invalid();
}

bool AssetWriter::startWriting()
{
    if (status() != AssetWriterStatus::Unknown)
        return false;
    _muxer->setMetadata(metadata());
    const FileTypeInfo* info = fileTypeInfo(_outputFileType);
    const MediaTime fragment = movieFragmentInterval();
    if (fragment.isValid() && info->canHoldVideo)
        _muxer->setFragmentDuration(static_cast<int64_t>(std::llround(fragment.seconds() * 1e6)));
    auto opened = _muxer->open();
    if (!opened.ok()) {
        fail(opened.error());
        return false;
    }
    _status = AssetWriterStatus::Writing;
    inputsMayBeReady();
    return true;
}

void AssetWriter::startSessionAtSourceTime(const MediaTime& startTime)
{
    {
        std::lock_guard lock(_lock);
        if (_sessionStart || !startTime.isNumeric())
            return;
        _sessionStart = startTime;
    }
    inputsMayBeReady();
}

void AssetWriter::endSessionAtSourceTime(const MediaTime& endTime)
{
    std::lock_guard lock(_lock);
    if (endTime.isNumeric())
        _sessionEnd = endTime;
}

MediaTime AssetWriter::sessionStart() const
{
    std::lock_guard lock(_lock);
    return _sessionStart.value_or(MediaTime::zero());
}

MediaTime AssetWriter::sessionEnd() const
{
    std::lock_guard lock(_lock);
    return _sessionEnd;
}

bool AssetWriter::hasSessionStarted() const
{
    std::lock_guard lock(_lock);
    return _sessionStart.has_value();
}

std::optional<Error> AssetWriter::error() const
{
    std::lock_guard lock(_lock);
    return _error;
}

bool AssetWriter::isInputReady(const AssetWriterInput& input) const
{
    if (status() != AssetWriterStatus::Writing || !hasSessionStarted() || input.isMarkedFinished())
        return false;
    if (input.isPacedNow())
        return false;
    int64_t depth = input.mediaType() == kMediaTypeVideo ? kVideoQueueDepth : kAudioQueueDepth;
    if (input.waitingCount() >= depth)
        return false;
    if (_muxer->isBackedUp() && _muxer->hasStreamParameters(input._slot))
        return false;  // the header waits for another input's first media
    MediaTime own = input.appendedUntil();
    if (!own.isNumeric())
        return true;
    MediaTime window = MediaTime::makeWithSeconds(kInterleavingSeconds, 1000);
    for (const auto& other : _inputs) {
        if (other.get() == &input || other->isMarkedFinished())
            continue;
        MediaTime theirs = other->appendedUntil();
        if (theirs.isNumeric() && own > theirs + window)
            return false;
    }
    return true;
}

void AssetWriter::inputsMayBeReady()
{
    for (const auto& input : _inputs)
        input->scheduleRequest(AssetWriterInput::Wake::WhenReady);
}

void AssetWriter::fail(Error error)
{
    {
        std::lock_guard lock(_lock);
        if (_error)
            return;
        _error = std::move(error);
    }
    AssetWriterStatus current = status();
    while ((current == AssetWriterStatus::Unknown || current == AssetWriterStatus::Writing)
        && !_status.compare_exchange_weak(current, AssetWriterStatus::Failed)) { }
    // Loops waiting for readiness must learn of the failure: they are called once more.
    for (const auto& input : _inputs)
        input->scheduleRequest(AssetWriterInput::Wake::EvenWhenNotReady);
    bool finishing;
    {
        std::lock_guard lock(_lock);
        finishing = _finishing;
    }
    if (!finishing)
        afterInputsDrain([muxer = _muxer.get(), self = shared_from_this()] { muxer->abandon(); });
}

void AssetWriter::afterInputsDrain(std::function<void()> block)
{
    DispatchGroup group;
    for (const auto& input : _inputs)
        group.async(*input->workQueue(), [] {});
    group.notify(*_queue, std::move(block));
}

void AssetWriter::finishWritingWithCompletionHandler(std::function<void()> handler)
{
    bool alreadyFinishing;
    {
        std::lock_guard lock(_lock);
        alreadyFinishing = _finishing;
        _finishing = true;
    }
    if (alreadyFinishing || status() != AssetWriterStatus::Writing) {
        // Nothing to finish: the handler still runs, and the status tells why.
        if (handler)
            _queue->async(std::move(handler));
        return;
    }
    for (const auto& input : _inputs)
        input->markAsFinished();
    MediaTime end = sessionEnd();
    MediaTime start = sessionStart();
    MediaTime endInFile = end.isNumeric() ? end - start : MediaTime::invalid();
    for (const auto& input : _inputs)
        input->workQueue()->async([input, endInFile] { input->flush(endInFile); });
    afterInputsDrain([self = shared_from_this(), handler = std::move(handler)] {
        if (self->status() == AssetWriterStatus::Writing) {
            auto finished = self->_muxer->finish();
            if (finished.ok()) {
                AssetWriterStatus expected = AssetWriterStatus::Writing;
                self->_status.compare_exchange_strong(expected, AssetWriterStatus::Completed);
            } else {
                self->fail(finished.error());
            }
        }
        if (self->status() != AssetWriterStatus::Completed)
            self->_muxer->abandon();
        if (handler)
            handler();
    });
}

void AssetWriter::cancelWriting()
{
    AssetWriterStatus current = status();
    while ((current == AssetWriterStatus::Unknown || current == AssetWriterStatus::Writing)
        && !_status.compare_exchange_weak(current, AssetWriterStatus::Cancelled)) { }
    if (status() != AssetWriterStatus::Cancelled)
        return;
    for (const auto& input : _inputs)
        input->markAsFinished();
    afterInputsDrain([muxer = _muxer.get(), self = shared_from_this()] { muxer->abandon(); });
}

}  // namespace plat
