#pragma once
#include <string>

#include "platform/foundation/Geometry.h"

namespace plat {

// Posted (no object, no payload) when the device turns, while someone asked
// for device orientation notifications.
inline constexpr const char* DeviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

// The platform's interface idioms, with its numbers.
enum class UserInterfaceIdiom : int { Unspecified = -1, Phone = 0, Pad = 1 };

// The device the app runs on: a phone or a tablet, its system version and
// model, and its screen (landscape points: phone 568 x 320, tablet
// 1024 x 768, scale 2). The app picks it at start (--idiom); tests switch it
// with plat::test::ScopedDevice. Main thread.
class Device {
public:
    explicit Device(UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone, std::string systemVersion = "8.0");

    static const Device& currentDevice();
    static void setCurrentDevice(const Device& device);

    UserInterfaceIdiom userInterfaceIdiom() const { return _idiom; }
    bool isTablet() const { return _idiom == UserInterfaceIdiom::Pad; }
    const std::string& systemName() const { return _systemName; }
    const std::string& systemVersion() const { return _systemVersion; }
    // "iPhone" or "iPad", as the platform names its models.
    const std::string& model() const { return _model; }
    const std::string& name() const { return _name; }

    // The kernel's machine identifier ("hw.machine", such as iPhone7,2) and
    // hardware model ("hw.model"). Here they are the host's, as the
    // platform's simulator reports its host's ("x86_64"); tests and device
    // scripts set a phone's.
    const std::string& machine() const { return _machine; }
    void setMachine(std::string machine) { _machine = std::move(machine); }
    const std::string& hardwareModel() const { return _hardwareModel; }
    void setHardwareModel(std::string model) { _hardwareModel = std::move(model); }

    // Screen in points, landscape, and its pixels per point.
    Size screenSize() const;
    double screenScale() const { return 2.0; }

    // The platform's numeric comparison of version strings: "8.0" < "8.1" <
    // "10.0"; missing parts count as 0. Negative, zero or positive.
    static int compareVersions(const std::string& a, const std::string& b);
    bool systemVersionIsAtLeast(const std::string& version) const
    {
        return compareVersions(_systemVersion, version) >= 0;
    }

    // Whether the device has a camera (every phone and tablet here does,
    // unless a test takes it away).
    bool hasCamera() const { return _hasCamera; }
    void setHasCamera(bool hasCamera) { _hasCamera = hasCamera; }

    // Device orientation notifications are posted while at least one caller
    // asked for them; each begin needs its end.
    static void beginGeneratingDeviceOrientationNotifications();
    static void endGeneratingDeviceOrientationNotifications();
    static bool isGeneratingDeviceOrientationNotifications();

private:
    UserInterfaceIdiom _idiom;
    std::string _systemName = "iPhone OS";
    std::string _systemVersion;
    std::string _model;
    std::string _name;
    std::string _machine;
    std::string _hardwareModel;
    bool _hasCamera = true;
};

}  // namespace plat
