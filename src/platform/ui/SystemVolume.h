#pragma once

namespace plat {

// The notification the system posts when the output volume changes (also
// by the volume buttons), with the platform's names; the payload holds the
// new volume (0 to 1) and the reason.
inline constexpr const char* SystemVolumeDidChangeNotification = "AVSystemController_SystemVolumeDidChangeNotification";
inline constexpr const char* AudioVolumeNotificationParameter = "AVSystemController_AudioVolumeNotificationParameter";
inline constexpr const char* AudioVolumeChangeReasonNotificationParameter
    = "AVSystemController_AudioVolumeChangeReasonNotificationParameter";

// The device's output volume and its two buttons: each press moves the
// volume one step of sixteen (within 0 and 1) and posts the change, also
// when it is already at the end, as the platform does. The desktop screen
// maps keys to the buttons. Main thread.
class SystemVolume {
public:
    static constexpr double kStep = 1.0 / 16;

    static SystemVolume& shared();

    double outputVolume() const { return _volume; }
    void setOutputVolume(double volume);
    void pressVolumeUp();
    void pressVolumeDown();

private:
    SystemVolume() = default;
    void post();

    double _volume = 0.5;
};

}  // namespace plat
