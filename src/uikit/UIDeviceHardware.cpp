#include "uikit/UIDeviceHardware.h"

#include <cstdio>
#include <fstream>
#include <net/if.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include "platform/foundation/Sandbox.h"
#include "platform/ui/Device.h"

namespace zt {

namespace {

// The kernel's hardware selectors.
constexpr uint32_t kHardwareMachine = 1;
constexpr uint32_t kHardwareProcessors = 3;
constexpr uint32_t kHardwarePhysicalMemory = 5;
constexpr uint32_t kHardwareUserMemory = 6;
constexpr uint32_t kHardwareBusFrequency = 14;
constexpr uint32_t kHardwareCPUFrequency = 15;
constexpr double kTabletScreenWidth = 768.0;

struct PrefixRule {
    const char* prefix;
    bool exact;
    uint32_t type;
};

// In order: the first rule that holds gives the code.
constexpr PrefixRule kRules[] = {
    {"iFPGA", true, UIDeviceIFPGA},
    {"iPhone1,1", true, UIDevice1GiPhone},
    {"iPhone1,2", true, UIDevice3GiPhone},
    {"iPhone2", false, UIDevice3GSiPhone},
    {"iPhone3", false, UIDevice4iPhone},
    {"iPhone4", false, UIDevice4SiPhone},
    {"iPhone5", false, UIDevice5iPhone},
    {"iPod1", false, UIDevice1GiPod},
    {"iPod2", false, UIDevice2GiPod},
    {"iPod3", false, UIDevice3GiPod},
    {"iPod4", false, UIDevice4GiPod},
    {"iPad1", false, UIDevice1GiPad},
    {"iPad2", false, UIDevice2GiPad},
    {"iPad3", false, UIDevice3GiPad},
    {"iPad4", false, UIDevice4GiPad},
    {"AppleTV2", false, UIDeviceAppleTV2},
    {"AppleTV3", false, UIDeviceAppleTV3},
    {"iPhone", false, UIDeviceUnknowniPhone},
    {"iPod", false, UIDeviceUnknowniPod},
    {"iPad", false, UIDeviceUnknowniPad},
    {"AppleTV", false, UIDeviceUnknownAppleTV},
};

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

uint64_t pagesInBytes(int name)
{
    long pages = ::sysconf(name);
    long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
}

uint64_t numberInFile(const char* path)
{
    std::ifstream file(path);
    uint64_t value = 0;
    return file >> value ? value : 0;
}

std::optional<struct statvfs> homeVolume()
{
    auto sandbox = plat::Sandbox::current();
    if (!sandbox)
        return std::nullopt;
    struct statvfs volume { };
    if (::statvfs(sandbox->root().c_str(), &volume) != 0)
        return std::nullopt;
    return volume;
}

}  // namespace

std::string getSysInfoByName(const plat::Device& device, const char* name)
{
    const std::string key = name ? name : "";
    if (key == "hw.machine")
        return device.machine();
    if (key == "hw.model")
        return device.hardwareModel();
    struct utsname system { };
    if (::uname(&system) != 0)
        return std::string();
    if (key == "kern.ostype")
        return system.sysname;
    if (key == "kern.osrelease")
        return system.release;
    if (key == "kern.hostname")
        return system.nodename;
    return std::string();
}

std::string platform(const plat::Device& device)
{
    return getSysInfoByName(device, "hw.machine");
}

std::string hwmodel(const plat::Device& device)
{
    return getSysInfoByName(device, "hw.model");
}

uint64_t getSysInfo(const plat::Device&, uint32_t selector)
{
    switch (selector) {
    case kHardwareProcessors: {
        long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
        return processors > 0 ? static_cast<uint64_t>(processors) : 0;
    }
    case kHardwarePhysicalMemory:
        return pagesInBytes(_SC_PHYS_PAGES);
    case kHardwareUserMemory:
        return pagesInBytes(_SC_AVPHYS_PAGES);
    case kHardwareCPUFrequency:
        // Kilohertz in the kernel's table.
        return numberInFile("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq") * 1000;
    case kHardwareMachine:
        // The largest socket buffer the kernel grants.
        return numberInFile("/proc/sys/net/core/rmem_max");
    case kHardwareBusFrequency:
    default:
        return 0;
    }
}

uint64_t cpuFrequency(const plat::Device& device)
{
    return getSysInfo(device, kHardwareCPUFrequency);
}

uint64_t busFrequency(const plat::Device& device)
{
    return getSysInfo(device, kHardwareBusFrequency);
}

uint64_t cpuCount(const plat::Device& device)
{
    return getSysInfo(device, kHardwareProcessors);
}

uint64_t totalMemory(const plat::Device& device)
{
    return getSysInfo(device, kHardwarePhysicalMemory);
}

uint64_t userMemory(const plat::Device& device)
{
    return getSysInfo(device, kHardwareUserMemory);
}

uint64_t maxSocketBufferSize(const plat::Device& device)
{
    return getSysInfo(device, kHardwareMachine);
}

std::string sysInfoText(uint64_t value)
{
    return std::to_string(value);
}

std::optional<uint64_t> totalDiskSpace(const plat::Device&)
{
    auto volume = homeVolume();
    if (!volume)
        return std::nullopt;
    return static_cast<uint64_t>(volume->f_blocks) * volume->f_frsize;
}

std::optional<uint64_t> freeDiskSpace(const plat::Device&)
{
    auto volume = homeVolume();
    if (!volume)
        return std::nullopt;
    return static_cast<uint64_t>(volume->f_bavail) * volume->f_frsize;
}

uint32_t platformTypeForMachine(const std::string& machine, double screenWidth)
{
    for (const PrefixRule& rule : kRules) {
        if (rule.exact ? machine == rule.prefix : startsWith(machine, rule.prefix))
            return rule.type;
    }
    if (endsWith(machine, "86") || machine == "x86_64")
        return screenWidth < kTabletScreenWidth ? UIDeviceiPhoneSimulatoriPhone : UIDeviceiPhoneSimulatoriPad;
    return UIDeviceUnknown;
}

uint32_t platformType(const plat::Device& device)
{
    // The platform measures the screen upright, where the phone is the narrow one.
    plat::Size screen = device.screenSize();
    return platformTypeForMachine(platform(device), std::min(screen.width, screen.height));
}

std::string platformStringForType(uint32_t type)
{
    switch (type) {
    case UIDeviceiPhoneSimulator:
    case UIDeviceiPhoneSimulatoriPhone:
        return "iPhone Simulator";
    case UIDeviceiPhoneSimulatoriPad:
        return "iPad Simulator";
    case UIDeviceSimulatorAppleTV:
        return "Apple TV Simulator";
    case UIDevice1GiPhone:
        return "iPhone 1G";
    case UIDevice3GiPhone:
        return "iPhone 3G";
    case UIDevice3GSiPhone:
        return "iPhone 3GS";
    case UIDevice4iPhone:
        return "iPhone 4";
    case UIDevice4SiPhone:
        return "iPhone 4S";
    case UIDevice5iPhone:
        return "iPhone 5";
    case UIDevice1GiPod:
        return "iPod touch 1G";
    case UIDevice2GiPod:
        return "iPod touch 2G";
    case UIDevice3GiPod:
        return "iPod touch 3G";
    case UIDevice4GiPod:
        return "iPod touch 4G";
    case UIDevice1GiPad:
        return "iPad 1G";
    case UIDevice2GiPad:
        return "iPad 2G";
    case UIDevice3GiPad:
        return "iPad 3G";
    case UIDevice4GiPad:
        return "iPad 4G";
    case UIDeviceAppleTV2:
        return "Apple TV 2G";
    case UIDeviceAppleTV3:
        return "Apple TV 3G";
    case UIDeviceAppleTV4:
        return "Apple TV 4G";
    case UIDeviceUnknowniPhone:
        return "Unknown iPhone";
    case UIDeviceUnknowniPod:
        return "Unknown iPod";
    case UIDeviceUnknowniPad:
        return "Unknown iPad";
    case UIDeviceUnknownAppleTV:
        return "Unknown Apple TV";
    case UIDeviceIFPGA:
        return "iFPGA";
    default:
        return "Unknown iOS device";
    }
}

std::string platformString(const plat::Device& device)
{
    return platformStringForType(platformType(device));
}

bool hasRetinaDisplay(const plat::Device& device)
{
    return device.screenScale() == 2.0;
}

int deviceFamily(const plat::Device& device)
{
    std::string machine = platform(device);
    if (startsWith(machine, "iPhone"))
        return UIDeviceFamilyiPhone;
    if (startsWith(machine, "iPod"))
        return UIDeviceFamilyiPod;
    if (startsWith(machine, "iPad"))
        return UIDeviceFamilyiPad;
    if (startsWith(machine, "AppleTV"))
        return UIDeviceFamilyAppleTV;
    return UIDeviceFamilyUnknown;
}

std::optional<std::string> macaddress(const plat::Device&)
{
    constexpr const char* kInterface = "en0";
    if (::if_nametoindex(kInterface) == 0) {
        std::printf("Error: if_nametoindex error\n");
        return std::nullopt;
    }
    std::ifstream file(std::string("/sys/class/net/") + kInterface + "/address");
    unsigned bytes[6] = {};
    std::string text;
    if (!(file >> text)
        || std::sscanf(
               text.c_str(), "%x:%x:%x:%x:%x:%x", &bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4], &bytes[5])
            != 6) {
        std::printf("Error: sysctl, take 1\n");
        return std::nullopt;
    }
    char address[18];
    std::snprintf(address, sizeof address, "%02X:%02X:%02X:%02X:%02X:%02X", bytes[0], bytes[1], bytes[2], bytes[3],
        bytes[4], bytes[5]);
    return std::string(address);
}

}  // namespace zt
