#include "platform/media/AudioSession.h"

#include <algorithm>
#include <array>

#include "platform/foundation/DispatchQueue.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MicrophoneFolder.h"

namespace plat {

namespace {

constexpr std::array kCategories = {kAudioSessionCategoryAmbient, kAudioSessionCategorySoloAmbient,
    kAudioSessionCategoryPlayback, kAudioSessionCategoryRecord, kAudioSessionCategoryPlayAndRecord};

}  // namespace

AudioSession& AudioSession::sharedInstance()
{
    static AudioSession session;
    return session;
}

std::string AudioSession::category() const
{
    std::lock_guard lock(_lock);
    return _category;
}

bool AudioSession::setCategory(const std::string& category, std::optional<Error>* error)
{
    if (std::find(kCategories.begin(), kCategories.end(), category) == kCategories.end()) {
        if (error)
            *error = Error(kMediaErrorDomain, kMediaErrorUnknown, "not an audio session category: " + category);
        return false;
    }
    std::lock_guard lock(_lock);
    _category = category;
    updateSilence();
    return true;
}

bool AudioSession::setActive(bool active, std::optional<Error>* error)
{
    (void)error;
    std::lock_guard lock(_lock);
    _active = active;
    updateSilence();
    return true;
}

void AudioSession::updateSilence()
{
    _silencesPlayback = _active.load() && _category == kAudioSessionCategoryRecord;
}

double AudioSession::sampleRate() const
{
    return AudioOutput::kSampleRate;
}

void AudioSession::requestRecordPermission(std::function<void(bool granted)> response)
{
    bool granted;
    if (auto answered = MicrophoneFolder::recordPermission()) {
        granted = *answered == AudioSessionRecordPermission::Granted;
    } else {
        std::lock_guard lock(_lock);
        if (_recordPermission == AudioSessionRecordPermission::Undetermined)
            _recordPermission = AudioSessionRecordPermission::Granted;
        granted = _recordPermission == AudioSessionRecordPermission::Granted;
    }
    if (response)
        DispatchQueue::mainQueue().async([response = std::move(response), granted] { response(granted); });
}

AudioSessionRecordPermission AudioSession::recordPermission() const
{
    if (auto answered = MicrophoneFolder::recordPermission())
        return *answered;
    std::lock_guard lock(_lock);
    return _recordPermission;
}

void AudioSession::setRecordPermission(AudioSessionRecordPermission permission)
{
    std::lock_guard lock(_lock);
    _recordPermission = permission;
}

void AudioSession::resetForTesting()
{
    std::lock_guard lock(_lock);
    _category = kAudioSessionCategorySoloAmbient;
    _recordPermission = AudioSessionRecordPermission::Undetermined;
    _active = false;
    updateSilence();
}

}  // namespace plat
