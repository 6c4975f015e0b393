#include "platform/ui/Device.h"

#include <fstream>
#include <sys/utsname.h>

#include <cctype>
#include <vector>

namespace plat {

namespace {

Device& current()
{
    static Device device;
    return device;
}

// How many callers asked for device orientation notifications (main thread).
int& orientationNotificationRequests()
{
    static int requests = 0;
    return requests;
}

std::vector<long long> versionParts(const std::string& text)
{
    std::vector<long long> parts;
    long long value = 0;
    bool inNumber = false;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            value = value * 10 + (c - '0');
            if (value > 1'000'000'000)
                value = 1'000'000'000;  // a silly version must not overflow
            inNumber = true;
        } else if (c == '.') {
            parts.push_back(inNumber ? value : 0);
            value = 0;
            inNumber = false;
        } else {
            break;
        }
    }
    parts.push_back(value);
    return parts;
}

std::string hostMachine()
{
    struct utsname system { };
    return ::uname(&system) == 0 ? std::string(system.machine) : std::string();
}

// The product name the firmware gives; the machine where there is none.
std::string hostHardwareModel()
{
    std::ifstream file("/sys/devices/virtual/dmi/id/product_name");
    std::string name;
    if (file && std::getline(file, name) && !name.empty())
        return name;
    return hostMachine();
}

}  // namespace

Device::Device(UserInterfaceIdiom idiom, std::string systemVersion)
    : _idiom(idiom)
    , _systemVersion(std::move(systemVersion))
    , _model(idiom == UserInterfaceIdiom::Pad ? "iPad" : "iPhone")
    , _name(idiom == UserInterfaceIdiom::Pad ? "Zantrope Tablet" : "Zantrope Phone")
    , _machine(hostMachine())
    , _hardwareModel(hostHardwareModel())
{
}

const Device& Device::currentDevice()
{
    return current();
}

void Device::setCurrentDevice(const Device& device)
{
    current() = device;
}

Size Device::screenSize() const
{
    return isTablet() ? Size {1024, 768} : Size {568, 320};
}

int Device::compareVersions(const std::string& a, const std::string& b)
{
    auto left = versionParts(a);
    auto right = versionParts(b);
    size_t n = std::max(left.size(), right.size());
    for (size_t i = 0; i < n; ++i) {
        long long l = i < left.size() ? left[i] : 0;
        long long r = i < right.size() ? right[i] : 0;
        if (l != r)
            return l < r ? -1 : 1;
    }
    return 0;
}

void Device::beginGeneratingDeviceOrientationNotifications()
{
    ++orientationNotificationRequests();
}

void Device::endGeneratingDeviceOrientationNotifications()
{
    if (orientationNotificationRequests() > 0)
        --orientationNotificationRequests();
}

bool Device::isGeneratingDeviceOrientationNotifications()
{
    return orientationNotificationRequests() > 0;
}

}  // namespace plat
