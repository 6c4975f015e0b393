#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/URL.h"

namespace zt {

class WSHTTPFetcher;

// The account host that signs users in when no sign-in domain is set.
inline constexpr const char* kVSDefaultSignInHost = "www.google.com";
inline constexpr const char* kVSDefaultAccountType = "HOSTED_OR_GOOGLE";

// Builds the ClientLogin sign-in: an HTTPS form post of user name and
// password that answers with a token. Any thread.
class VSAuthenticationFetcher {
public:
    // Extra form fields, sent in this order after the standard ones.
    using Parameters = std::vector<std::pair<std::string, std::string>>;

    // nullptr when the user name or the password is empty.
    static std::shared_ptr<WSHTTPFetcher> authTokenFetcherWithUsername(const std::string& username,
        const std::string& password, const std::string& service, const std::string& source,
        const std::optional<std::string>& signInDomain, const std::optional<std::string>& accountType,
        const Parameters& additionalParameters, const std::map<std::string, std::string>& customHeaders);

    // The sign-in domain, or the default account host when it is empty.
    static std::string signInHost(const std::optional<std::string>& signInDomain);
    // "http" for a host on "localhost:", else "https".
    static std::string signInScheme(const std::string& host);
    // "<scheme>://<host>/accounts/<path>" of the effective sign-in host.
    static std::string accountsURLString(const std::optional<std::string>& signInDomain, const std::string& path);
    // A form value percent-escaped in UTF-8: only letters, digits and "-._~" stay.
    static std::string stringByURLEncodingFormValue(const std::string& value);
};

}  // namespace zt
