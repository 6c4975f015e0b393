#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace plat {
class URL;

// The platform's short interface sounds (a delete's crumple, say): a sound
// file of at most 30 seconds, decoded once when it is registered and played
// at full volume on top of whatever else plays. Statuses as the platform's.
using SystemSoundID = uint32_t;
using OSStatus = int32_t;

inline constexpr OSStatus kAudioServicesNoError = 0;
inline constexpr OSStatus kAudioServicesUnsupportedPropertyError = 0x7074793F;  // 'pty?'
inline constexpr OSStatus kAudioServicesSystemSoundUnspecifiedError = -1500;
inline constexpr double kSystemSoundLongestSeconds = 30;

// Main queue, as the stand-in's players.
OSStatus AudioServicesCreateSystemSoundID(const URL& url, SystemSoundID* soundID);
void AudioServicesPlaySystemSound(SystemSoundID soundID);
OSStatus AudioServicesDisposeSystemSoundID(SystemSoundID soundID);

}  // namespace plat
