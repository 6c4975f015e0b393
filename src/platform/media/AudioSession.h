#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"

namespace plat {

// Categories of the audio session, by the platform's names.
inline constexpr const char* kAudioSessionCategoryAmbient = "AVAudioSessionCategoryAmbient";
inline constexpr const char* kAudioSessionCategorySoloAmbient = "AVAudioSessionCategorySoloAmbient";
inline constexpr const char* kAudioSessionCategoryPlayback = "AVAudioSessionCategoryPlayback";
inline constexpr const char* kAudioSessionCategoryRecord = "AVAudioSessionCategoryRecord";
inline constexpr const char* kAudioSessionCategoryPlayAndRecord = "AVAudioSessionCategoryPlayAndRecord";

enum class AudioSessionRecordPermission { Undetermined, Denied, Granted };

// The app's audio session: what the app does with sound (its category),
// whether it is active, the hardware's sample rate, and the person's answer
// to the microphone question. As on the platform, an active session in the
// record category silences what the app plays. Any thread.
class AudioSession {
public:
    static AudioSession& sharedInstance();

    std::string category() const;
    // False, with an error, for a name that is not a category.
    bool setCategory(const std::string& category, std::optional<Error>* error = nullptr);
    bool isActive() const { return _active.load(); }
    bool setActive(bool active, std::optional<Error>* error = nullptr);

    // The output's rate.
    double sampleRate() const;

    // The answer comes on the main queue. An answer kept in the device
    // folder's privacy settings (MicrophoneFolder) decides; without one the
    // first question is granted unless the person has already answered
    // (setRecordPermission); later ones get the same answer.
    void requestRecordPermission(std::function<void(bool granted)> response);
    AudioSessionRecordPermission recordPermission() const;
    void setRecordPermission(AudioSessionRecordPermission permission);

    // True while the active session's category records only.
    bool silencesPlayback() const { return _silencesPlayback.load(); }

    // The session as the app finds it at launch: solo ambient, inactive, the
    // microphone question not asked. For tests.
    void resetForTesting();

    AudioSession(const AudioSession&) = delete;
    AudioSession& operator=(const AudioSession&) = delete;

private:
    AudioSession() = default;
    void updateSilence();  // under _lock

    mutable std::mutex _lock;
    std::string _category = kAudioSessionCategorySoloAmbient;  // guarded by _lock
    AudioSessionRecordPermission _recordPermission = AudioSessionRecordPermission::Undetermined;  // guarded by _lock
    std::atomic<bool> _active {false};
    std::atomic<bool> _silencesPlayback {false};
};

}  // namespace plat
