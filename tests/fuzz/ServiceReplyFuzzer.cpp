// What the video service makes of reply bodies: the object of a success
// reply (by kind, and as an expected class), the user info of a failure
// reply, and the error of a refused sign-in.
#include <cstddef>
#include <cstdint>

#include "videoservice/VSServiceGoogleYouTube.h"
#include "videoservice/YouTubeEntries.h"
#include "videoservice/YouTubeFeeds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    plat::Data data(bytes, bytes + size);
    (void)zt::VSServiceBase::parseObjectFromData(data, nullptr, std::nullopt, {}, false);
    (void)zt::VSServiceBase::parseObjectFromData(
        data, &zt::VSFeedYouTubeVideo::staticClass(), std::string("2.0"), {}, true);
    (void)zt::VSServiceBase::parseObjectFromData(
        data, &zt::VSEntryYouTubeVideo::staticClass(), std::nullopt, {}, false);
    (void)zt::VSServiceBase::userInfoForErrorResponseData(
        data, std::string("application/vnd.google.gdata.error+xml"), plat::Dictionary());
    (void)zt::VSServiceBase::userInfoForErrorResponseData(data, std::string("text/plain"), plat::Dictionary());
    static const auto service = zt::VSServiceBase::service<zt::VSServiceGoogleYouTube>();
    auto signInError = service->errorForAuthFetcherStatus(403, data);
    (void)zt::captchaURL(signInError.userInfo());
    return 0;
}
