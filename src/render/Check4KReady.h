#pragma once
#include <string>

namespace zt {

// Whether the device is fast enough to render movies in 4K: phones from the
// iPhone 6 (iPhone7,x), tablets from iPad4,x and the sixth iPod touch, on
// system 8.0 or later. Any thread.
class Check4KReady {
public:
    // The device's machine identifier, such as iPhone7,2 (the device
    // model's; the host's "x86_64" renders no 4K).
    static std::string platform();
    static bool canRender4KResolution();
    // The test on a given machine name and system version.
    static bool canRender4KResolution(const std::string& platform, const std::string& systemVersion);
    // The device's system version.
    static std::string systemVersion();
};

}  // namespace zt
