#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace plat {
class Device;
}

namespace zt {

// What the device's hardware is: the kernel's machine identifier and model,
// a model code with its display name, the family, a few kernel hardware
// counters, disk space, the screen's density and the Wi-Fi address. The one
// place that knows these facts. Any thread; nothing is kept.

// Model codes: 0 unknown, 1-4 simulators, 5-21 named models, 22-25 unknown
// members of a known family, 26 the development board.
enum DevicePlatformType : uint32_t {
    UIDeviceUnknown = 0,
    UIDeviceiPhoneSimulator = 1,
    UIDeviceiPhoneSimulatoriPhone = 2,
    UIDeviceiPhoneSimulatoriPad = 3,
    UIDeviceSimulatorAppleTV = 4,
    UIDevice1GiPhone = 5,
    UIDevice3GiPhone = 6,
    UIDevice3GSiPhone = 7,
    UIDevice4iPhone = 8,
    UIDevice4SiPhone = 9,
    UIDevice5iPhone = 10,
    UIDevice1GiPod = 11,
    UIDevice2GiPod = 12,
    UIDevice3GiPod = 13,
    UIDevice4GiPod = 14,
    UIDevice1GiPad = 15,
    UIDevice2GiPad = 16,
    UIDevice3GiPad = 17,
    UIDevice4GiPad = 18,
    UIDeviceAppleTV2 = 19,
    UIDeviceAppleTV3 = 20,
    UIDeviceAppleTV4 = 21,
    UIDeviceUnknowniPhone = 22,
    UIDeviceUnknowniPod = 23,
    UIDeviceUnknowniPad = 24,
    UIDeviceUnknownAppleTV = 25,
    UIDeviceIFPGA = 26,
};

enum DeviceFamily : int {
    UIDeviceFamilyiPhone = 0,
    UIDeviceFamilyiPod = 1,
    UIDeviceFamilyiPad = 2,
    UIDeviceFamilyAppleTV = 3,
    UIDeviceFamilyUnknown = 4,
};

// The kernel's string value of a name ("hw.machine", "hw.model"); empty
// for a name the kernel does not know.
std::string getSysInfoByName(const plat::Device& device, const char* name);
std::string platform(const plat::Device& device);
std::string hwmodel(const plat::Device& device);

// A kernel hardware counter by its selector (3 processors, 5 memory, ...),
// in full: values beyond 32 bits (the memory of today's machines) are
// neither cut nor taken as negative. 0 when the kernel has no such value.
uint64_t getSysInfo(const plat::Device& device, uint32_t selector);
uint64_t cpuFrequency(const plat::Device& device);
uint64_t busFrequency(const plat::Device& device);
uint64_t cpuCount(const plat::Device& device);
uint64_t totalMemory(const plat::Device& device);
uint64_t userMemory(const plat::Device& device);
uint64_t maxSocketBufferSize(const plat::Device& device);
// Decimal text of a counter, unsigned, as the diagnostics show them.
std::string sysInfoText(uint64_t value);

// Bytes of the volume of the home folder (the device's sandbox); none when
// the volume cannot be asked.
std::optional<uint64_t> totalDiskSpace(const plat::Device& device);
std::optional<uint64_t> freeDiskSpace(const plat::Device& device);

uint32_t platformType(const plat::Device& device);
// The model's name; the same for the code's family on a newer model.
std::string platformString(const plat::Device& device);
std::string platformStringForType(uint32_t type);
bool hasRetinaDisplay(const plat::Device& device);
int deviceFamily(const plat::Device& device);
// The Wi-Fi interface's ("en0") hardware address, "%02X:..."; none (with a
// line on standard output) where there is no such interface.
std::optional<std::string> macaddress(const plat::Device& device);

// The model code of a machine identifier on a screen this many points wide.
uint32_t platformTypeForMachine(const std::string& machine, double screenWidth);

}  // namespace zt
