#pragma once
#include <memory>
#include <vector>

#include "share/ConnectHandler.h"

namespace plat {
class Activity;
}

namespace zt {

// The share targets of the app, offered as activities beside the platform's
// share sheet: the photo album, file sharing and open-in (each renders
// through the exporter, when one is given), then duplicate. The share
// sheet's item is the project (a std::shared_ptr<ProjectModel>). Main thread.
class ShareServices {
public:
    ShareServices() = default;
    explicit ShareServices(ShareExporter exporter);
    std::vector<std::shared_ptr<plat::Activity>> getAvailableShareServices() const;

private:
    ShareExporter _exporter;
};

inline constexpr const char* UIActivityTypeShareToPhotoRoll = "UIActivityTypeShareToPhotoRoll";
inline constexpr const char* UIActivityTypeShareToiTunes = "UIActivityTypeShareToiTunes";
inline constexpr const char* UIActivityTypeShareToDuplicate = "UIActivityTypeShareToDuplicate";
inline constexpr const char* UIActivityTypeShareToOpenIn = "UIActivityTypeShareToOpenIn";

}  // namespace zt
