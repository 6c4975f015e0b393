#include "render/Check4KReady.h"

#include <cstdlib>
#include <sys/utsname.h>

namespace zt {

namespace {

// The device stand-in's system version.
constexpr const char* kSystemVersion = "8.0";
constexpr float kFirstSystemWith4K = 8.0f;

struct DeviceFamily {
    const char* name;
    float firstWith4K;  // the model number (before the comma) from which 4K renders
};

constexpr DeviceFamily kFamilies[] = {{"iPhone", 6.0f}, {"iPad", 4.0f}, {"iPod", 6.0f}};

// The number at the start of text, as the platform's float reading takes it:
// "7,2" reads 7; no number reads 0.
float leadingNumber(const std::string& text)
{
    return std::strtof(text.c_str(), nullptr);
}

}  // namespace

std::string Check4KReady::platform()
{
    struct utsname system { };
    if (::uname(&system) != 0)
        return std::string();
    return system.machine;
}

std::string Check4KReady::systemVersion()
{
    return kSystemVersion;
}

bool Check4KReady::canRender4KResolution()
{
    return canRender4KResolution(platform(), systemVersion());
}

bool Check4KReady::canRender4KResolution(const std::string& platform, const std::string& systemVersion)
{
    if (leadingNumber(systemVersion) < kFirstSystemWith4K)
        return false;
    for (const DeviceFamily& family : kFamilies) {
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
