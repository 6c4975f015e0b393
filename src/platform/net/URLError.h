#pragma once
#include <cstdint>
#include <string>

#include "platform/foundation/Error.h"

namespace plat {

// The URL loading system's error domain and the codes this stand-in reports,
// with the platform's values.
inline constexpr const char* kURLErrorDomain = "NSURLErrorDomain";
// User-info key of the URL that failed (its absolute string).
inline constexpr const char* kURLErrorFailingURLStringErrorKey = "NSErrorFailingURLStringKey";

enum URLErrorCode : int64_t {
    kURLErrorUnknown = -1,
    kURLErrorCancelled = -999,
    kURLErrorBadURL = -1000,
    kURLErrorTimedOut = -1001,
    kURLErrorUnsupportedURL = -1002,
    kURLErrorCannotFindHost = -1003,
    kURLErrorCannotConnectToHost = -1004,
    kURLErrorNetworkConnectionLost = -1005,
    kURLErrorHTTPTooManyRedirects = -1007,
    kURLErrorResourceUnavailable = -1008,
    kURLErrorNotConnectedToInternet = -1009,
    kURLErrorRedirectToNonExistentLocation = -1010,
    kURLErrorBadServerResponse = -1011,
    kURLErrorUserCancelledAuthentication = -1012,
    kURLErrorUserAuthenticationRequired = -1013,
    kURLErrorZeroByteResource = -1014,
    kURLErrorCannotDecodeContentData = -1016,
    kURLErrorRequestBodyStreamExhausted = -1021,
    kURLErrorDataLengthExceedsMaximum = -1103,
    kURLErrorSecureConnectionFailed = -1200,
    kURLErrorServerCertificateUntrusted = -1202,
    kURLErrorCannotWriteToFile = -3003,
};

// An error of the URL domain for the URL (may be empty), with the text.
Error makeURLError(int64_t code, const std::string& description, const std::string& failingURL = {});

}  // namespace plat
