#include "document/AudioClip.h"

#include <algorithm>
#include <limits>

#include "document/FileUtil.h"
#include "platform/foundation/KeyedArchiver.h"

namespace zt {

namespace {

constexpr const char* kUIDKey = "RecordAudioUID";
constexpr const char* kURLKey = "RecordAudioURL";
constexpr const char* kNameKey = "RecordAudioName";
constexpr const char* kStartKey = "RecordAudioStart";
constexpr const char* kDurationKey = "RecordAudioDuration";
constexpr const char* kLengthKey = "RecordAudioLength";
constexpr const char* kVolumeKey = "RecordAudioVolume";
constexpr const char* kTypeKey = "RecordAudioType";
constexpr const char* kLinkToFrameKey = "RecordAudioLinkToFrame";
constexpr const char* kLinkToPositionKey = "RecordAudioLinkToPosition";
constexpr const char* kMuteKey = "RecordAudioVolumeMute";
constexpr const char* kFileIDKey = "fileID";
constexpr const char* kOriginalFilenameKey = "OriginalFilename";
constexpr const char* kArchiveKey = "AUDIO_CLIP";

// Stored integers are 32-bit; out-of-range values from a damaged record are clamped.
int storedInt(const plat::Dictionary& record, const char* key)
{
    int64_t value = record.getInt64(key).value_or(0);
    return static_cast<int>(
        std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

AudioClip::AudioClip()
    : _UID(FileUtil::createUUID())
{
}

AudioClip AudioClip::initClipWithMetaData(const plat::Dictionary& record)
{
    AudioClip clip;
    if (auto stored = record.getString(kURLKey))
        clip._url = plat::URL::fileURLWithPath(*stored);
    clip._name = record.getString(kNameKey);
    clip._linkToFrameUID = record.getString(kLinkToFrameKey);
    clip._fileID = record.getString(kFileIDKey);
    clip._originalFilename = record.getString(kOriginalFilenameKey);
    clip._duration = getCMTimeFromDictonary(record.getDictionary(kDurationKey));
    clip._start = getCMTimeFromDictonary(record.getDictionary(kStartKey));
    clip._totalDuration = getCMTimeFromDictonary(record.getDictionary(kLengthKey));
    clip._volume = static_cast<float>(record.getDouble(kVolumeKey).value_or(0.0));
    clip._type = storedInt(record, kTypeKey);
    clip._linkToPosition = storedInt(record, kLinkToPositionKey);
    if (auto uid = record.getString(kUIDKey))
        clip._UID = *uid;  // otherwise keeps the new UID made above
    if (!clip._start.isValid() || clip._start.seconds() < 0)
        clip._start = plat::MediaTime::zero();
    return clip;
}

plat::Dictionary AudioClip::encode() const
{
    plat::Dictionary record;
    record.set(kStartKey, getDictionaryFromCMTime(_start));
    record.set(kDurationKey, getDictionaryFromCMTime(_duration));
    record.set(kLengthKey, getDictionaryFromCMTime(_totalDuration));
    if (_linkToFrameUID)
        record.set(kLinkToFrameKey, *_linkToFrameUID);
    record.set(kTypeKey, _type);
    record.set(kVolumeKey, _volume);
    record.set(kMuteKey, _isOn);
    record.set(kLinkToPositionKey, _linkToPosition);
    record.set(kUIDKey, _UID);
    if (_name)
        record.set(kNameKey, *_name);
    if (_url) {
        // A file is stored by its name: the audio lanes find it in the project folder.
        record.set(kURLKey, _url->isFileURL() ? _url->lastPathComponent() : _url->absoluteString());
    }
    if (_originalFilename)
        record.set(kOriginalFilenameKey, *_originalFilename);
    if (_fileID)
        record.set(kFileIDKey, *_fileID);
    return record;
}

bool AudioClip::isAudioPlayingAtTime(const plat::MediaTime& time) const
{
    return _timeRangeInMovie.containsTime(time);
}

plat::Dictionary AudioClip::getDictionaryFromCMTime(const plat::MediaTime& time)
{
    return time.copyAsDictionary();
}

plat::MediaTime AudioClip::getCMTimeFromDictonary(const std::optional<plat::Dictionary>& dictionary)
{
    return plat::MediaTime::makeFromDictionary(dictionary);
}

void AudioClip::encodeWithCoder(plat::KeyedArchiver& coder) const
{
    coder.encodeObject(encode(), kArchiveKey);
}

}  // namespace zt
