#include "platform/ui/SystemVolume.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NotificationCenter.h"

namespace plat {

SystemVolume& SystemVolume::shared()
{
    static SystemVolume volume;
    return volume;
}

void SystemVolume::setOutputVolume(double volume)
{
    _volume = std::clamp(volume, 0.0, 1.0);
}

void SystemVolume::post()
{
    Dictionary info;
    info.set(AudioVolumeNotificationParameter, _volume);
    info.set(AudioVolumeChangeReasonNotificationParameter, "ExplicitVolumeChange");
    NotificationCenter::defaultCenter().post(SystemVolumeDidChangeNotification, nullptr, info);
}

void SystemVolume::pressVolumeUp()
{
    // Whole steps: 0.5 + 1/16 is exact in binary, so repeated presses land on 1.
    _volume = std::min(1.0, std::round((_volume + kStep) / kStep) * kStep);
    post();
}

void SystemVolume::pressVolumeDown()
{
    _volume = std::max(0.0, std::round((_volume - kStep) / kStep) * kStep);
    post();
}

}  // namespace plat
