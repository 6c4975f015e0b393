#include "videoservice/VSAuthenticationFetcher.h"

#include "platform/foundation/Text.h"
#include "platform/net/URLAuthentication.h"
#include "platform/net/URLRequest.h"
#include "web/WSHTTPFetcher.h"

namespace zt {

namespace {
constexpr double kSignInTimeoutSeconds = 60.0;
}

std::string VSAuthenticationFetcher::signInHost(const std::optional<std::string>& signInDomain)
{
    return signInDomain && !signInDomain->empty() ? *signInDomain : std::string(kVSDefaultSignInHost);
}

std::string VSAuthenticationFetcher::signInScheme(const std::string& host)
{
    return plat::hasPrefix(host, "localhost:") ? "http" : "https";
}

std::string VSAuthenticationFetcher::accountsURLString(
    const std::optional<std::string>& signInDomain, const std::string& path)
{
    const std::string host = signInHost(signInDomain);
    return signInScheme(host) + "://" + host + "/accounts/" + path;
}

std::string VSAuthenticationFetcher::stringByURLEncodingFormValue(const std::string& value)
{
    return plat::percentEncode(value);
}

std::shared_ptr<WSHTTPFetcher> VSAuthenticationFetcher::authTokenFetcherWithUsername(const std::string& username,
    const std::string& password, const std::string& service, const std::string& source,
    const std::optional<std::string>& signInDomain, const std::optional<std::string>& accountType,
    const Parameters& additionalParameters, const std::map<std::string, std::string>& customHeaders)
{
    if (username.empty() || password.empty())
        return nullptr;
    auto url = plat::URL::URLWithString(accountsURLString(signInDomain, "ClientLogin"));
    if (!url)
        return nullptr;  // a sign-in domain that makes no URL
    plat::URLRequest request(url, plat::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, kSignInTimeoutSeconds);
    for (const auto& [name, value] : customHeaders)
        request.setValue(value, name);

    const std::string type = accountType && !accountType->empty() ? *accountType : kVSDefaultAccountType;
    std::string body = "Email=" + stringByURLEncodingFormValue(username)
        + "&Passwd=" + stringByURLEncodingFormValue(password) + "&source=" + stringByURLEncodingFormValue(source)
        + "&service=" + stringByURLEncodingFormValue(service) + "&accountType=" + stringByURLEncodingFormValue(type);
    for (const auto& [name, value] : additionalParameters)
        body += "&" + name + "=" + stringByURLEncodingFormValue(value);

    auto fetcher = WSHTTPFetcher::fetcherWithRequest(request);
    fetcher->setPostData(plat::Data(body.begin(), body.end()));
    fetcher->setCredential(
        plat::URLCredential::credentialWithUser(username, password, plat::URLCredentialPersistence::ForSession));
    fetcher->setRetryEnabled(true);
    return fetcher;
}

}  // namespace zt
