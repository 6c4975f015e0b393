#include "render/Check4KReady.h"

#include <cstdlib>

#include "platform/ui/Device.h"
#include "uikit/UIDeviceHardware.h"

namespace zt {

namespace {

constexpr float kFirstSystemWith4K = 8.0f;

struct FamilyWith4K {
    const char* name;
    float firstWith4K;  // the model number (before the comma) from which 4K renders
};

constexpr FamilyWith4K kFamilies[] = {{"iPhone", 6.0f}, {"iPad", 4.0f}, {"iPod", 6.0f}};

// The number at the start of text, as the platform's float reading takes it:
// "7,2" reads 7; no number reads 0.
float leadingNumber(const std::string& text)
{
    return std::strtof(text.c_str(), nullptr);
}

}  // namespace

std::string Check4KReady::platform()
{
    return zt::platform(plat::Device::currentDevice());
}

std::string Check4KReady::systemVersion()
{
    return plat::Device::currentDevice().systemVersion();
}

bool Check4KReady::canRender4KResolution()
{
    return canRender4KResolution(platform(), systemVersion());
}

bool Check4KReady::canRender4KResolution(const std::string& platform, const std::string& systemVersion)
{
    if (leadingNumber(systemVersion) < kFirstSystemWith4K)
        return false;
    for (const FamilyWith4K& family : kFamilies) {
        auto found = platform.find(family.name);
        if (found == std::string::npos)
            continue;
        std::string model = platform;
        model.erase(found, std::char_traits<char>::length(family.name));
        return leadingNumber(model) >= family.firstWith4K;
    }
    return false;  // a simulator or another machine
}

}  // namespace zt
