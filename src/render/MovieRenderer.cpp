#include "render/MovieRenderer.h"

#include <algorithm>

#include "document/FailureReason.h"
#include "document/FileUtil.h"
#include "document/ProjectModel.h"
#include "document/ProjectTexts.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetExportSession.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/VideoCompatibility.h"
#include "render/ApplicationIdleTimer.h"
#include "render/Check4KReady.h"

namespace zt {

namespace {

constexpr const char* kRenderQueueLabel = "com.quorvane.renderqueue";
constexpr const char* kRenderCacheFolder = "rendercache";
constexpr const char* kDefaultTitle = "My Plovix Movie";
constexpr const char* kPreparedMovieName = "plovix.mov";
constexpr double kLongestPreparedFrameSeconds = 1.0;

bool hasPreset(const std::vector<std::string>& presets, const char* preset)
{
    return std::find(presets.begin(), presets.end(), preset) != presets.end();
}

// The movie sizes the platform's presets stand for, largest first.
struct PresetSize {
    const char* preset;
    plat::Size size;
};

constexpr PresetSize kPresetSizes[] = {
    {plat::kAssetExportPreset1920x1080, {1920, 1080}},
    {plat::kAssetExportPreset1280x720, {1280, 720}},
    {plat::kAssetExportPreset960x540, {960, 540}},
    {plat::kAssetExportPreset640x480, {640, 480}},
    {plat::kAssetExportPresetLowQuality, {640, 360}},
};

}  // namespace

namespace detail {

plat::Size maximumResolution(bool canRender4K, const std::vector<std::string>& presets)
{
    if (canRender4K)
        return {3840, 2160};
    for (const PresetSize& entry : kPresetSizes) {
        if (hasPreset(presets, entry.preset))
            return entry.size;
    }
    return {0, 0};
}

bool isResolutionInPresets(plat::Size size, const std::vector<std::string>& presets)
{
    for (const PresetSize& entry : kPresetSizes) {
        if (entry.size == size)
            return hasPreset(presets, entry.preset);
    }
    return false;
}

bool isPreparedMovieFile(const std::string& path, plat::Size resolution)
{
    if (!plat::fileExists(path) || !plat::videoAtPathIsCompatibleWithSavedPhotosAlbum(path))
        return false;
    auto video = plat::URLAsset::assetWithPath(path)->tracksWithMediaType(plat::kMediaTypeVideo);
    if (video.empty())
        return false;
    plat::Size natural = video.front()->naturalSize();
    if (natural == plat::Size {0, 0})
        return false;
    bool anySize = resolution == plat::Size {-1, -1};
    bool sameSize = natural == resolution || natural == plat::Size {resolution.height, resolution.width};
    if (!anySize && !sameSize)
        return false;
    plat::MediaTime shortest = video.front()->minFrameDuration();
    return shortest.isNumeric() && shortest.seconds() <= kLongestPreparedFrameSeconds;
}

}  // namespace detail

MovieRenderer::MovieRenderer(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

MovieRenderer::~MovieRenderer() = default;

void MovieRenderer::cancelExport()
{
    setStatus(MovieRendererStatusCancelled);
}

void MovieRenderer::renderMovie() { }

bool MovieRenderer::getNeedsAudioMixing() const
{
    return false;
}

std::optional<std::string> MovieRenderer::getSupportedUTI() const
{
    return std::nullopt;
}

std::vector<std::shared_ptr<MovieExportType>> MovieRenderer::getSupportedExportTypes()
{
    return {};
}

uint64_t MovieRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType& type)
{
    (void)type;
    return kUnknownEstimatedFileSize;
}

void MovieRenderer::beginExport(std::shared_ptr<MovieExportType> type, std::function<void()> completionHandler)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto snapshot = _project->makeReadOnlySnapshot();
    std::lock_guard lock(_lock);
    _exportType = std::move(type);
    _completionHandler = std::move(completionHandler);
    _snapshot = std::move(snapshot);
    _unreadableFrames.clear();
    _unreadableSounds.clear();
    _completionPending = true;
    // Rendering from here on, so that a cancel before the work begins is not lost.
    _status = MovieRendererStatusRendering;
}

void MovieRenderer::exportProjectWithExportType(
    std::shared_ptr<MovieExportType> type, std::function<void()> completionHandler)
{
    beginExport(std::move(type), std::move(completionHandler));
    auto queue = plat::DispatchQueue::create(kRenderQueueLabel);
    {
        std::lock_guard lock(_lock);
        _renderQueue = queue;
    }
    // The block keeps the renderer alive until its export has ended.
    queue->async([self = shared_from_this()] {
        ApplicationIdleTimer::setIdleTimerDisabled(true);
        self->renderMovie();
        ApplicationIdleTimer::setIdleTimerDisabled(false);
        self->finishExport(CompletionThread::MainQueue);
    });
}

void MovieRenderer::finishExport(CompletionThread thread)
{
    if (!_completionPending.exchange(false))
        return;
    std::function<void()> handler;
    {
        std::lock_guard lock(_lock);
        handler = _completionHandler;
    }
    if (!handler)
        return;
    if (thread == CompletionThread::CallingThread)
        handler();
    else
        plat::DispatchQueue::mainQueue().async(std::move(handler));
}

std::shared_ptr<ProjectModel> MovieRenderer::renderProject()
{
    std::lock_guard lock(_lock);
    if (!_snapshot) {
        plat::assertOnQueue(plat::DispatchQueue::mainQueue());
        _snapshot = _project->makeReadOnlySnapshot();
    }
    return _snapshot;
}

std::shared_ptr<ProjectModel> MovieRenderer::projectForReading()
{
    std::lock_guard lock(_lock);
    if (_snapshot)
        return _snapshot;
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    return _project;
}

std::shared_ptr<MovieExportType> MovieRenderer::exportType() const
{
    std::lock_guard lock(_lock);
    return _exportType;
}

std::optional<plat::Error> MovieRenderer::error() const
{
    std::lock_guard lock(_lock);
    return _error;
}

void MovieRenderer::setError(plat::Error error)
{
    std::lock_guard lock(_lock);
    _error = std::move(error);
}

void MovieRenderer::fail(plat::Error error)
{
    setError(std::move(error));
    setStatus(MovieRendererStatusFailed);
}

plat::Error MovieRenderer::noFramesError(std::string domain, int64_t code)
{
    // A list that cannot be read leaves the project without frames: the person hears which list and why.
    auto why = unreadableFrameListText(*renderProject());
    return plat::Error(std::move(domain), code, why.value_or("No frames found in project."));
}

void MovieRenderer::noteUnreadableFrame(int64_t renderIndex)
{
    plat::log("render: the picture of movie frame {} cannot be read", renderIndex + 1);
    std::lock_guard lock(_lock);
    _unreadableFrames.push_back(renderIndex + 1);
}

std::vector<int64_t> MovieRenderer::unreadableFrames() const
{
    std::vector<int64_t> positions;
    {
        std::lock_guard lock(_lock);
        positions = _unreadableFrames;
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

UnreadablePictureFill MovieRenderer::unreadablePictureFill() const
{
    return UnreadablePictureFill::LeftOut;
}

void MovieRenderer::noteUnreadableSound(std::string name)
{
    plat::log("render: the sound \"{}\" cannot be read and is left out", name);
    std::lock_guard lock(_lock);
    if (std::find(_unreadableSounds.begin(), _unreadableSounds.end(), name) == _unreadableSounds.end())
        _unreadableSounds.push_back(std::move(name));
}

std::vector<std::string> MovieRenderer::unreadableSounds() const
{
    std::lock_guard lock(_lock);
    return _unreadableSounds;
}

std::optional<plat::Error> MovieRenderer::noteError() const
{
    return std::nullopt;
}

plat::Error MovieRenderer::writeError(
    std::string domain, int64_t code, const std::string& message, const std::optional<plat::Error>& reason)
{
    if (!reason)
        return plat::Error(std::move(domain), code, message);
    // The system's reason, wherever in the chain it is; a library's own text stays beneath only.
    std::string text = message;
    for (const plat::Error* cause = &*reason; cause; cause = cause->underlyingError().get()) {
        if (cause->domain() == plat::kPOSIXErrorDomain) {
            text += " " + failureReason(*cause);
            break;
        }
    }
    return plat::Error(std::move(domain), code, text, {}, std::make_shared<const plat::Error>(*reason));
}

void MovieRenderer::setStatusUnlessCancelled(int64_t status)
{
    int64_t current = _status.load();
    while (current != MovieRendererStatusCancelled && !_status.compare_exchange_weak(current, status)) { }
}

std::optional<plat::URL> MovieRenderer::exportURL() const
{
    std::lock_guard lock(_lock);
    return _exportURL;
}

void MovieRenderer::setExportURL(std::optional<plat::URL> url)
{
    std::lock_guard lock(_lock);
    _exportURL = std::move(url);
}

std::string MovieRenderer::renderCacheDirectory()
{
    return plat::appendingPathComponent(plat::Sandbox::current()->cachesDirectory(), kRenderCacheFolder);
}

plat::URL MovieRenderer::getExportURLForExportType(const MovieExportType& type)
{
    ProjectModel& source = *projectForReading();
    std::string folder = renderCacheDirectory();
    if (const auto& projectPath = source.getProjectPath())
        folder = plat::appendingPathComponent(folder, plat::lastPathComponent(*projectPath));
    if (!plat::isDirectory(folder)) {
        // A folder that cannot be made fails the export when the renderer writes there.
        if (auto created = plat::createDirectory(folder, plat::IntermediateDirectories::Yes); !created.ok())
            plat::log("render: {}", created.error().localizedDescription());
    }
    auto metadata = source.getMetaData();
    std::string title = FileUtil::sanitizeFileNameString(
        metadata ? metadata->getString("RecordName").value_or(std::string()) : std::string());
    // A title that cleans down to nothing would make a hidden file such as ".mov".
    if (title.empty())
        title = FileUtil::sanitizeFileNameString(plat::localized(kDefaultTitle));
    // A long title gives way to the extension: the name must fit the file system.
    return plat::URL::fileURLWithPath(
        plat::appendingPathComponent(folder, plat::fileNameFitting(title, "." + type.extension())));
}

std::optional<plat::URL> MovieRenderer::getPreparedMovieForExportType(const MovieExportType& type)
{
    (void)type;
    return std::nullopt;
}

plat::Size MovieRenderer::getMaximumResolutionAvailable()
{
    return detail::maximumResolution(
        Check4KReady::canRender4KResolution(), plat::AssetExportSession::allExportPresets());
}

bool MovieRenderer::isResolutionAvailable(plat::Size size)
{
    return detail::isResolutionInPresets(size, plat::AssetExportSession::allExportPresets());
}

std::optional<std::string> MovieRenderer::getAVAssetExportPresetForSize(plat::Size size)
{
    if (size == plat::Size {640, 640})
        return plat::kAssetExportPreset1280x720;
    for (const PresetSize& entry : kPresetSizes) {
        if (entry.size == size)
            return entry.preset;
    }
    return std::nullopt;
}

bool MovieRenderer::isVideoAtPath(const std::string& folderPath, plat::Size resolution)
{
    auto metadata = plat::dictionaryWithContentsOfFile(
        plat::appendingPathComponent(folderPath, ProjectDataWrapper::kMetaDataFileName));
    if (metadata && metadata->getBool("RecordNeedsRendering").value_or(false))
        return false;
    return detail::isPreparedMovieFile(plat::appendingPathComponent(folderPath, kPreparedMovieName), resolution);
}

bool MovieRenderer::isFileAtPath(const std::string& path, const MovieExportType& type)
{
    (void)path, (void)type;
    return false;
}

}  // namespace zt
