#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Coding.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/media/MediaTime.h"

namespace zt {

// One piece of sound placed in a movie: a voice-over, music or a sound
// effect. The audio lanes keep these records in the project metadata under
// "RecordMetaAudio". The clip travels as an object in notifications (an
// archive of it holds its record). Main queue.
class AudioClip : public plat::Coding {
public:
    enum Type : int { SoundEffect = 0, VoiceOver = 1, Music = 2 };

    AudioClip();  // a new clip with a new UID, everything else zero
    // A clip from a stored record; fields of the wrong type read as absent.
    static AudioClip initClipWithMetaData(const plat::Dictionary& record);
    plat::Dictionary encode() const;

    std::string classNameForCoder() const override { return "AudioClip"; }
    void encodeWithCoder(plat::KeyedArchiver& coder) const override;

    bool isAudioPlayingAtTime(const plat::MediaTime& time) const;

    static plat::Dictionary getDictionaryFromCMTime(const plat::MediaTime& time);
    static plat::MediaTime getCMTimeFromDictonary(const std::optional<plat::Dictionary>& dictionary);

    const std::string& UID() const { return _UID; }
    void setUID(std::string uid) { _UID = std::move(uid); }
    const std::optional<plat::URL>& url() const { return _url; }
    void setUrl(std::optional<plat::URL> url) { _url = std::move(url); }
    const std::optional<std::string>& name() const { return _name; }
    void setName(std::optional<std::string> name) { _name = std::move(name); }
    const plat::MediaTime& start() const { return _start; }
    void setStart(plat::MediaTime start) { _start = start; }
    const plat::MediaTime& duration() const { return _duration; }
    void setDuration(plat::MediaTime duration) { _duration = duration; }
    const plat::MediaTime& totalDuration() const { return _totalDuration; }
    void setTotalDuration(plat::MediaTime duration) { _totalDuration = duration; }
    float volume() const { return _volume; }
    void setVolume(float volume) { _volume = volume; }
    int type() const { return _type; }
    void setType(int type) { _type = type; }
    const std::optional<std::string>& linkToFrameUID() const { return _linkToFrameUID; }
    void setLinkToFrameUID(std::optional<std::string> uid) { _linkToFrameUID = std::move(uid); }
    int linkToPosition() const { return _linkToPosition; }
    void setLinkToPosition(int position) { _linkToPosition = position; }
    bool isOn() const { return _isOn; }
    void setIsOn(bool on) { _isOn = on; }
    const std::optional<std::string>& fileID() const { return _fileID; }
    void setFileID(std::optional<std::string> fileID) { _fileID = std::move(fileID); }
    const std::optional<std::string>& originalFilename() const { return _originalFilename; }
    void setOriginalFilename(std::optional<std::string> name) { _originalFilename = std::move(name); }
    const plat::MediaTimeRange& timeRangeInMovie() const { return _timeRangeInMovie; }
    void setTimeRangeInMovie(plat::MediaTimeRange range) { _timeRangeInMovie = range; }
    int64_t track() const { return _track; }
    void setTrack(int64_t track) { _track = track; }
    int64_t startFrameIndex() const { return _startFrameIndex; }
    void setStartFrameIndex(int64_t index) { _startFrameIndex = index; }
    int64_t endFrameIndex() const { return _endFrameIndex; }
    void setEndFrameIndex(int64_t index) { _endFrameIndex = index; }

private:
    std::string _UID;
    std::optional<plat::URL> _url;
    std::optional<std::string> _name;
    plat::MediaTime _start;
    plat::MediaTime _duration;
    plat::MediaTime _totalDuration;
    float _volume = 0;
    int _type = SoundEffect;
    std::optional<std::string> _linkToFrameUID;
    int _linkToPosition = 0;
    bool _isOn = false;
    std::optional<std::string> _fileID;
    std::optional<std::string> _originalFilename;
    plat::MediaTimeRange _timeRangeInMovie;
    int64_t _track = 0;
    int64_t _startFrameIndex = 0;
    int64_t _endFrameIndex = 0;
};

}  // namespace zt
