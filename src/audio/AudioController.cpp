#include "audio/AudioController.h"

#include <algorithm>

#include "audio/ProjectSoundFiles.h"
#include "document/AudioClip.h"
#include "document/FailureReason.h"
#include "document/FormatterUtil.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "document/SoundFileInspection.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/ErrorObject.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/media/AudioMix.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItem.h"
#include "render/MovieMixer.h"

namespace zt {

namespace {

constexpr const char* kAudioMetaKey = "RecordMetaAudio";
constexpr const char* kNeedsRenderingKey = "RecordNeedsRendering";
constexpr const char* kRecordingPrefix = "record-";
// Seeks land at the resolution the preview asks for.
constexpr int32_t kSeekTimescale = 1000000000;

std::string trackKey(int64_t track)
{
    return "TRACK_" + std::to_string(track);
}

std::optional<std::string> fileNameOf(const AudioClip& clip)
{
    if (!clip.url())
        return std::nullopt;
    return clip.url()->lastPathComponent();
}

bool usesFile(const AudioClip& clip, const std::string& name)
{
    auto file = fileNameOf(clip);
    return file && *file == name;
}

}  // namespace

AudioController::AudioController(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
    , _musicMixer(std::make_unique<MovieMixer>(_project))
{
    loadAudioForProject();
    updateAudioPlayer();
}

AudioController::~AudioController() = default;

int64_t AudioController::fps() const
{
    return _project->recordFPS();
}

plat::MediaTime AudioController::frames(int64_t count) const
{
    return plat::MediaTime::make(count, static_cast<int32_t>(fps()));
}

int64_t AudioController::anchorIndexOf(const AudioClip& clip) const
{
    if (!clip.linkToFrameUID())
        return plat::kNotFound;
    return _project->getFrameList().getIndexOfFrameWithUID(*clip.linkToFrameUID());
}

int64_t AudioController::placedIndexOf(const AudioClip& clip) const
{
    int64_t anchor = anchorIndexOf(clip);
    return anchor == plat::kNotFound ? plat::kNotFound : _project->getFrameList().getShownIndexForIndex(anchor);
}

void AudioController::prepareAudioForProject()
{
    loadAudioForProject();
    updateAudioPlayer();
}

void AudioController::loadAudioForProject()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto metadata = _project->getMetaData();
    auto stored = metadata ? metadata->getDictionary(kAudioMetaKey) : std::nullopt;
    _audioTracks = {};
    for (int64_t track = 0; track < kTrackCount; ++track) {
        auto records = stored ? stored->getArray(trackKey(track)) : std::nullopt;
        if (!records)
            continue;
        for (const plat::Value& entry : *records) {
            auto record = entry.asDictionary();
            if (!record)
                continue;
            auto clip = std::make_shared<AudioClip>(AudioClip::initClipWithMetaData(*record));
            clip->setTrack(track);
            _musicMixer->calculateAudioClipTimeRangeInMovieForClip(*clip);
            if (isClipValid(*clip))
                _audioTracks[static_cast<size_t>(track)].push_back(std::move(clip));
        }
    }
}

bool AudioController::isClipValid(const AudioClip& clip) const
{
    if (clip.linkToFrameUID()) {
        // The anchor itself must be found: an offset added to "not found" would pass for a frame.
        int64_t anchor = anchorIndexOf(clip);
        if (anchor == plat::kNotFound || anchor + clip.linkToPosition() < 0)
            return false;
    }
    if (clip.duration() == plat::MediaTime::zero())
        return false;
    if (!clip.start().isValid() || !clip.duration().isValid())
        return false;
    if (!MovieMixer::isValidTimeRange(clip.timeRangeInMovie()))
        return false;
    return clip.startFrameIndex() <= clip.endFrameIndex();
}

bool AudioController::saveAudioData()
{
    return storeTracks(MarkForRendering::No, WhenNotStored::TakeBackAndTell);
}

bool AudioController::storeTracks(MarkForRendering mark, WhenNotStored whenNotStored)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    plat::Dictionary audio;
    for (int64_t track = 0; track < kTrackCount; ++track) {
        plat::Array records;
        for (const auto& clip : _audioTracks[static_cast<size_t>(track)])
            records.append(clip->encode());
        audio.set(trackKey(track), std::move(records));
    }
    // A re-fit that changed nothing has nothing to store (and nothing to refuse).
    auto metadata = _project->getMetaData();
    if (metadata && metadata->get(kAudioMetaKey) == plat::Value(audio)
        && (mark == MarkForRendering::No || metadata->getBool(kNeedsRenderingKey).value_or(false)))
        return true;
    ProjectModel::MetaDataChange change {{kAudioMetaKey, std::move(audio)}};
    // One save holds both: the tracks and the note that the movie must be made again.
    if (mark == MarkForRendering::Yes)
        change.emplace_back(kNeedsRenderingKey, true);
    auto stored = _project->changeMetaData(change);
    if (stored.ok())
        return true;
    if (whenNotStored == WhenNotStored::Log) {
        plat::log("audio: the fitted clips are not stored: {}", stored.error().description());
        return false;
    }
    // Only stored sound is shown and played: the tracks go back to the metadata, which went back itself.
    loadAudioForProject();
    updateAudioPlayer();
    postError(errorWithCause(
        kErrorDomain, kNotStoredError, plat::localized("The sound could not be saved."), stored.error()));
    return false;
}

bool AudioController::storeAndMarkForRendering()
{
    return storeTracks(MarkForRendering::Yes, WhenNotStored::TakeBackAndTell);
}

void AudioController::postError(const plat::Error& error)
{
    plat::log("audio: {}", error.description());
    plat::NotificationCenter::defaultCenter().post(
        kShowErrorNotification, this, plat::Dictionary {{kErrorKey, std::make_shared<plat::ErrorObject>(error)}});
}

std::shared_ptr<AudioClip> AudioController::prepareAudioClipWithFile(
    const std::string& path, int64_t frameIndex, const std::optional<std::string>& name, int32_t type)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto facts = SoundFileInspection::inspect(path);
    if (!facts.ok()) {
        postError(facts.error());
        return nullptr;
    }
    plat::MediaTime duration = facts.value().duration;
    int64_t track = 0;
    plat::MediaTime room;
    if (!checkTrackSpaceForClipDuration(duration, &track, &room, frameIndex))
        return nullptr;
    auto placed = ProjectSoundFiles::placeInProjectFolder(*_project, path);
    if (!placed.ok()) {
        postError(errorWithCause(
            kErrorDomain, kNotStoredError, plat::localized("The sound could not be added."), placed.error()));
        return nullptr;
    }
    const std::string& fileName = placed.value();
    auto clip = std::make_shared<AudioClip>();
    clip->setStart(plat::MediaTime::zero());
    std::string title = name.value_or(plat::deletingPathExtension(plat::lastPathComponent(path)));
    if (type == AudioClip::VoiceOver && title.starts_with(kRecordingPrefix))
        title = FormatterUtil::getFormatedDuration(duration.seconds());
    clip->setName(title);
    clip->setDuration(duration > room ? room : duration);
    clip->setTotalDuration(duration);
    clip->setVolume(1.0f);
    clip->setUrl(plat::URL::fileURLWithPath(fileName));
    clip->setOriginalFilename(fileName);
    clip->setFileID(fileName);
    clip->setType(type);
    clip->setIsOn(true);
    // Never the capture placeholder: later pictures go in before it, and the movie leaves it out.
    const FrameList& list = _project->getFrameList();
    clip->setLinkToFrameUID(list.getFrameAtIndex(list.getShownIndexForIndex(frameIndex))->UID());
    clip->setTrack(track);
    _musicMixer->calculateAudioClipTimeRangeInMovieForClip(*clip);
    _audioTracks[static_cast<size_t>(track)].push_back(clip);
    return clip;
}

std::shared_ptr<AudioClip> AudioController::prepareAudioClipForBackgroundMusicWithFile(
    const std::string& path, const std::optional<std::string>& name)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto facts = SoundFileInspection::inspect(path);
    if (!facts.ok()) {
        postError(facts.error());
        return nullptr;
    }
    // The file is expected in the project folder already; one from elsewhere is copied in.
    auto placed = ProjectSoundFiles::placeInProjectFolder(*_project, path);
    if (!placed.ok()) {
        postError(errorWithCause(
            kErrorDomain, kNotStoredError, plat::localized("The sound could not be added."), placed.error()));
        return nullptr;
    }
    auto clip = std::make_shared<AudioClip>();
    clip->setStart(plat::MediaTime::zero());
    clip->setName(name.value_or(plat::deletingPathExtension(plat::lastPathComponent(path))));
    clip->setDuration(facts.value().duration);
    clip->setTotalDuration(facts.value().duration);
    clip->setVolume(1.0f);
    clip->setUrl(plat::URL::fileURLWithPath(placed.value()));
    clip->setType(AudioClip::Music);
    clip->setIsOn(true);
    clip->setLinkToPosition(0);
    clip->setTrack(kMusicTrack);
    // The old music goes only now; its file once the new music is stored (addAudioFromFile).
    _audioTracks[kMusicTrack].clear();
    _musicMixer->calculateAudioClipTimeRangeInMovieForClip(*clip);
    _audioTracks[kMusicTrack].push_back(clip);
    return clip;
}

void AudioController::addAudioFromFile(
    const std::optional<std::string>& path, int64_t frameIndex, const std::optional<std::string>& name, int type)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!path)
        return;
    std::vector<std::string> filesBefore;
    for (const Track& track : _audioTracks)
        for (const auto& clip : track)
            if (auto file = fileNameOf(*clip))
                filesBefore.push_back(*file);
    auto clip = type == AudioClip::Music ? prepareAudioClipForBackgroundMusicWithFile(*path, name)
                                         : prepareAudioClipWithFile(*path, frameIndex, name, type);
    if (!clip)
        return;
    if (!storeAndMarkForRendering()) {
        // The sound copied in for the clip goes with it, unless a stored clip plays it.
        if (auto file = fileNameOf(*clip);
            file && std::find(filesBefore.begin(), filesBefore.end(), *file) == filesBefore.end())
            deleteFileIfUnused(*file);
        return;
    }
    // Files only the replaced music played go once the new music is stored.
    for (const std::string& file : filesBefore)
        deleteFileIfUnused(file);
    updateAudioPlayer();
    plat::NotificationCenter::defaultCenter().post(
        kAudioControllerAddAudioNotification, this, plat::Dictionary {{kClipKey, clip}});
}

void AudioController::updateAudioClip(std::shared_ptr<AudioClip> clip)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!clip)
        return;
    int64_t current = getAudioTrackIndexForClip(*clip);
    if (current == plat::kNotFound)
        return;
    int64_t anchor = placedIndexOf(*clip);
    // A clip whose frame is gone keeps its length: the next re-fit removes it.
    if (current < kMusicTrack && anchor != plat::kNotFound) {
        plat::MediaTime room;
        calculateTrackSpaceForClipDuration(clip->totalDuration(), nullptr, &room, anchor, *clip);
        if (clip->duration() > room)
            clip->setDuration(room);
        const Track& first = _audioTracks[0];
        plat::MediaTime roomOnFirst = anotherClipPlaysAt(anchor, first, *clip)
            ? frames(0)
            : calculateMaxDurationAvailableForTrack(first, anchor, *clip);
        int64_t target = clip->duration() > roomOnFirst ? 1 : 0;
        if (target != current) {
            clip->setTrack(target);
            _audioTracks[static_cast<size_t>(target)].push_back(clip);
            std::erase(_audioTracks[static_cast<size_t>(current)], clip);
        }
    }
    _musicMixer->calculateAudioClipTimeRangeInMovieForClip(*clip);
    if (saveAudioData())
        updateAudioPlayer();
}

void AudioController::deleteFileIfUnused(const std::string& name)
{
    if (!isAudioFileStillInUse(name))
        ProjectSoundFiles::removeSoundFile(*_project, name);
}

bool AudioController::removeAudioClip(std::shared_ptr<AudioClip> clip)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!clip)
        return false;
    bool removed = false;
    for (Track& track : _audioTracks)
        removed = std::erase(track, clip) > 0 || removed;
    if (!removed)
        return false;
    // The file goes only once no stored clip names it.
    if (!storeAndMarkForRendering())
        return false;
    // Recordings keep their file for the recordings list.
    if (clip->type() != AudioClip::VoiceOver) {
        if (auto file = fileNameOf(*clip))
            deleteFileIfUnused(*file);
    }
    updateAudioPlayer();
    return true;
}

void AudioController::removeAudioFile(const std::string& name)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    for (Track& track : _audioTracks)
        std::erase_if(track, [&](const auto& clip) { return usesFile(*clip, name); });
    // The file stays while a stored clip names it.
    if (!storeAndMarkForRendering())
        return;
    ProjectSoundFiles::removeSoundFile(*_project, name);
    // The player must not go on playing the removed clips.
    updateAudioPlayer();
}

bool AudioController::isAudioFileStillInUse(const std::string& name) const
{
    return std::any_of(_audioTracks.begin(), _audioTracks.end(), [&](const Track& track) {
        return std::any_of(track.begin(), track.end(), [&](const auto& clip) { return usesFile(*clip, name); });
    });
}

void AudioController::recalculateAudioClipTimeRanges()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    for (int64_t track = 0; track < kMusicTrack; ++track) {
        for (const auto& clip : _audioTracks[static_cast<size_t>(track)])
            _musicMixer->calculateAudioClipTimeRangeInMovieForClip(*clip);
    }
    _isAudioMixChanged = true;
}

void AudioController::recalculateAudioClipDurations()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    std::vector<std::shared_ptr<AudioClip>> orphans;
    for (int64_t track = 0; track < kMusicTrack; ++track) {
        for (const auto& clip : _audioTracks[static_cast<size_t>(track)]) {
            if (clip->linkToFrameUID() && anchorIndexOf(*clip) == plat::kNotFound)
                orphans.push_back(clip);
        }
    }
    for (const auto& clip : orphans)
        for (Track& track : _audioTracks)
            std::erase(track, clip);
    for (int64_t track = 0; track < kMusicTrack; ++track) {
        const Track& clips = _audioTracks[static_cast<size_t>(track)];
        for (const auto& clip : clips) {
            // Placed without an anchor, or on the capture placeholder with no
            // picture beside it: nothing to fit it to, so it keeps its length.
            int64_t start = placedIndexOf(*clip);
            if (start == plat::kNotFound)
                continue;
            plat::MediaTime room = calculateMaxDurationAvailableForTrack(clips, start, *clip);
            if (clip->duration() > room)
                clip->setDuration(room);
            _musicMixer->calculateAudioClipTimeRangeInMovieForClip(*clip);
        }
    }
    _isAudioMixChanged = true;
    // The fit follows from the frames, which were stored: opening the
    // project fits the stored clips the same way, so a fit that cannot be
    // stored stays in memory and is only logged.
    if (!storeTracks(orphans.empty() ? MarkForRendering::No : MarkForRendering::Yes, WhenNotStored::Log))
        return;
    // Recordings keep their file for the recordings list; other files go once no stored clip names them.
    for (const auto& clip : orphans) {
        if (clip->type() == AudioClip::VoiceOver)
            continue;
        if (auto file = fileNameOf(*clip))
            deleteFileIfUnused(*file);
    }
    if (!orphans.empty())
        updateAudioPlayer();
}

void AudioController::updateAudioPlayer()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    MovieMixer::ClipList clips(_audioTracks.begin(), _audioTracks.end());
    std::shared_ptr<plat::MutableComposition> composition;
    std::shared_ptr<plat::AudioMix> audioMix;
    (void)_musicMixer->prepareAVMutableComposition(
        &composition, &audioMix, clips, plat::MediaTime::indefinite(), nullptr);
    auto item = plat::PlayerItem::playerItemWithAsset(composition);
    item->setAudioMix(audioMix);
    _audioPlayer = plat::Player::playerWithPlayerItem(item);
    _audioPlayer->setAllowsExternalPlayback(false);
    _isAudioMixChanged = false;
}

void AudioController::playAtTimeIndex(float seconds, float rate)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!_audioPlayer)
        return;
    if (_isAudioMixChanged)
        updateAudioPlayer();
    _audioPlayer->seekToTime(plat::MediaTime::makeWithSeconds(seconds, kSeekTimescale));
    _audioPlayer->setRate(rate);
}

plat::MediaTime AudioController::getCurentTimeIndex() const
{
    if (_audioPlayer && _audioPlayer->rate() > 0)
        return _audioPlayer->currentTime();
    return plat::MediaTime::make(-1, -1);
}

void AudioController::stop()
{
    if (_audioPlayer)
        _audioPlayer->pause();
}

bool AudioController::hasBackgroundMusic() const
{
    return !_audioTracks[kMusicTrack].empty();
}

void AudioController::removeBackgoundMusic()
{
    if (hasBackgroundMusic())
        removeAudioClip(_audioTracks[kMusicTrack].back());
}

}  // namespace zt
