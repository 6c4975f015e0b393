#include "dropbox/DBSession.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/security/Keychain.h"

namespace zt {

namespace {

constexpr const char* kLinkVersion = "1";
constexpr const char* kConnectPath = "/connect";
constexpr const char* kCancelPath = "/cancel";
// The answer is outside input: bounded before it is read.
constexpr size_t kMaxQueryBytes = 8 * 1024;
constexpr size_t kMaxValueBytes = 1024;

std::mutex& sharedSessionLock()
{
    static std::mutex lock;
    return lock;
}

std::shared_ptr<DBSession>& sharedSessionStorage()
{
    static std::shared_ptr<DBSession> session;  // guarded by sharedSessionLock()
    return session;
}

std::string lowercased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// key=value pairs separated by "&", percent-decoded; none when the query is
// too long or a part does not decode.
std::optional<std::map<std::string, std::string>> queryParameters(const std::string& query)
{
    if (query.size() > kMaxQueryBytes)
        return std::nullopt;
    std::map<std::string, std::string> parameters;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        std::string pair = query.substr(start, end - start);
        if (!pair.empty()) {
            size_t equals = pair.find('=');
            std::string rawKey = pair.substr(0, equals);
            std::string rawValue = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
            std::replace(rawValue.begin(), rawValue.end(), '+', ' ');
            auto key = plat::percentDecode(rawKey);
            auto value = plat::percentDecode(rawValue);
            if (!key || !value || value->size() > kMaxValueBytes)
                return std::nullopt;
            parameters[*key] = *value;
        }
        start = end + 1;
    }
    return parameters;
}

plat::KeychainQuery serviceQuery(std::optional<std::string> account = std::nullopt)
{
    plat::KeychainQuery query;
    query.service = DBSession::keychainServiceName();
    query.account = std::move(account);
    return query;
}

}  // namespace

DBSession::DBSession(std::string appKey, std::string appSecret)
    : _appKey(std::move(appKey))
    , _appSecret(std::move(appSecret))
{
}

std::shared_ptr<DBSession> DBSession::sharedSession()
{
    std::lock_guard lock(sharedSessionLock());
    auto& session = sharedSessionStorage();
    if (!session) {
        auto info = plat::Bundle::mainBundle().infoDictionary();
        auto key = info.getString("DropboxAppKey");
        if (!key)
            plat::log("dropbox: the bundle names no app key; no link answer will be recognised");
        session = std::make_shared<DBSession>(key.value_or(""), info.getString("DropboxAppSecret").value_or(""));
    }
    return session;
}

void DBSession::setSharedSession(std::shared_ptr<DBSession> session)
{
    std::lock_guard lock(sharedSessionLock());
    sharedSessionStorage() = std::move(session);
}

std::string DBSession::appScheme() const
{
    return "db-" + _appKey;
}

std::string DBSession::keychainServiceName()
{
    return plat::Bundle::mainBundle().bundleIdentifier() + ".dropbox.auth";
}

std::string DBSession::beginLinking()
{
    std::string nonce = plat::UUID().UUIDString();
    plat::UserDefaults::standardUserDefaults().setObject(plat::Value(nonce), kLinkNonceDefaultsKey);
    return nonce;
}

bool DBSession::handleOpenURL(const plat::URL& url)
{
    if (_appKey.empty() || url.scheme() != lowercased(appScheme()))
        return false;
    if (url.host() != kLinkVersion || (url.path() != kConnectPath && url.path() != kCancelPath))
        return false;

    auto& defaults = plat::UserDefaults::standardUserDefaults();
    auto expectedNonce = defaults.stringForKey(kLinkNonceDefaultsKey);
    // One answer per request, whatever it says.
    defaults.removeObjectForKey(kLinkNonceDefaultsKey);
    if (url.path() == kCancelPath) {
        plat::log("dropbox: the link was cancelled");
        return true;
    }
    auto parameters = queryParameters(url.query().value_or(""));
    if (!parameters) {
        plat::log("dropbox: the link answer cannot be read");
        return true;
    }
    auto value = [&](const char* key) {
        auto found = parameters->find(key);
        return found == parameters->end() ? std::string() : found->second;
    };
    if (!expectedNonce || value("state") != *expectedNonce) {
        plat::log("dropbox: a link answer without the request's nonce is ignored");
        return true;
    }
    std::string token = value("oauth_token"), secret = value("oauth_token_secret"), userId = value("uid");
    if (token.empty() || secret.empty() || userId.empty()) {
        plat::log("dropbox: the link answer lacks the token, the secret or the user id");
        return true;
    }
    if (storeCredentials(userId, token, secret))
        plat::log("dropbox: linked user {}", userId);
    return true;
}

bool DBSession::storeCredentials(const std::string& userId, const std::string& token, const std::string& secret)
{
    plat::Dictionary record {{"oauth_token", token}, {"oauth_token_secret", secret}, {"uid", userId}};
    auto bytes = plat::PropertyListSerialization::dataWithPropertyList(record, plat::PropertyListFormat::Binary);
    if (!bytes.ok()) {
        plat::log("dropbox: cannot encode the credentials: {}", bytes.error().localizedDescription());
        return false;
    }
    auto keychain = plat::Keychain::forCurrentSandbox();
    plat::OSStatus status = keychain.update(serviceQuery(userId), bytes.value());
    if (status == plat::errSecItemNotFound)
        status = keychain.add({keychainServiceName(), userId, "Dropbox"}, bytes.value());
    if (status != plat::errSecSuccess) {
        plat::log("dropbox: cannot store the credentials (keychain status {})", status);
        return false;
    }
    return true;
}

bool DBSession::isLinked() const
{
    plat::KeychainItemAttributes attributes;
    plat::OSStatus status = plat::Keychain::forCurrentSandbox().copyAttributes(serviceQuery(), &attributes);
    if (status != plat::errSecSuccess && status != plat::errSecItemNotFound)
        plat::log("dropbox: cannot read the stored link (keychain status {}); counted as not linked", status);
    return status == plat::errSecSuccess;
}

std::optional<std::pair<std::string, std::string>> DBSession::credentialsForUserId(const std::string& userId) const
{
    plat::Data data;
    plat::OSStatus status = plat::Keychain::forCurrentSandbox().copyData(serviceQuery(userId), &data);
    if (status != plat::errSecSuccess) {
        if (status != plat::errSecItemNotFound)
            plat::log("dropbox: cannot read the credentials of user {} (keychain status {})", userId, status);
        return std::nullopt;
    }
    auto parsed = plat::PropertyListSerialization::propertyListWithData(data);
    auto record = parsed.ok() ? parsed.value().asDictionary() : std::nullopt;
    auto token = record ? record->getString("oauth_token") : std::nullopt;
    auto secret = record ? record->getString("oauth_token_secret") : std::nullopt;
    if (!token || !secret) {
        plat::log("dropbox: the stored credentials of user {} are damaged", userId);
        return std::nullopt;
    }
    return std::make_pair(*token, *secret);
}

void DBSession::unlinkAll()
{
    plat::OSStatus status = plat::Keychain::forCurrentSandbox().remove(serviceQuery());
    if (status != plat::errSecSuccess && status != plat::errSecItemNotFound)
        plat::log("dropbox: cannot remove the credentials (keychain status {})", status);
}

}  // namespace zt
