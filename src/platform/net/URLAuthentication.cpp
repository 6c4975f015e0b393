#include "platform/net/URLAuthentication.h"

#include "platform/net/URLResponse.h"

namespace plat {

URLCredential URLCredential::credentialWithUser(
    std::string user, std::string password, URLCredentialPersistence persistence)
{
    URLCredential credential;
    credential._user = std::move(user);
    credential._password = std::move(password);
    credential._persistence = persistence;
    return credential;
}

URLCredential URLCredential::credentialForTrust()
{
    URLCredential credential;
    credential._isTrust = true;
    credential._persistence = URLCredentialPersistence::None;
    return credential;
}

URLProtectionSpace::URLProtectionSpace(
    std::string host, int port, std::string protocol, std::string realm, std::string authenticationMethod, bool isProxy)
    : _host(std::move(host))
    , _port(port)
    , _protocol(std::move(protocol))
    , _realm(std::move(realm))
    , _method(std::move(authenticationMethod))
    , _isProxy(isProxy)
{
}

bool URLProtectionSpace::receivesCredentialSecurely() const
{
    return _protocol == "https" || _method == kURLAuthenticationMethodHTTPDigest;
}

URLAuthenticationChallenge::URLAuthenticationChallenge(URLProtectionSpace space,
    std::optional<URLCredential> proposedCredential, int64_t previousFailureCount,
    std::shared_ptr<const URLResponse> failureResponse, std::weak_ptr<URLAuthenticationChallengeSender> sender)
    : _space(std::move(space))
    , _proposed(std::move(proposedCredential))
    , _previousFailureCount(previousFailureCount)
    , _failureResponse(std::move(failureResponse))
    , _sender(std::move(sender))
{
}

URLCredentialStorage& URLCredentialStorage::sharedCredentialStorage()
{
    static URLCredentialStorage* storage = new URLCredentialStorage();  // used until the process ends
    return *storage;
}

std::map<std::string, URLCredential> URLCredentialStorage::credentialsForProtectionSpace(
    const URLProtectionSpace& space) const
{
    std::lock_guard guard(_lock);
    auto it = _entries.find(space);
    return it == _entries.end() ? std::map<std::string, URLCredential> {} : it->second.byUser;
}

std::optional<URLCredential> URLCredentialStorage::defaultCredentialForProtectionSpace(
    const URLProtectionSpace& space) const
{
    std::lock_guard guard(_lock);
    auto it = _entries.find(space);
    if (it == _entries.end() || it->second.byUser.empty())
        return std::nullopt;
    const Entry& entry = it->second;
    if (entry.defaultUser) {
        if (auto user = entry.byUser.find(*entry.defaultUser); user != entry.byUser.end())
            return user->second;
    }
    // With one credential and no default chosen, that one is the default.
    if (entry.byUser.size() == 1)
        return entry.byUser.begin()->second;
    return std::nullopt;
}

void URLCredentialStorage::setCredential(const URLCredential& credential, const URLProtectionSpace& space)
{
    if (credential.persistence() == URLCredentialPersistence::None || !credential.hasPassword())
        return;
    std::lock_guard guard(_lock);
    _entries[space].byUser.insert_or_assign(credential.user(), credential);
}

void URLCredentialStorage::setDefaultCredential(const URLCredential& credential, const URLProtectionSpace& space)
{
    if (credential.persistence() == URLCredentialPersistence::None || !credential.hasPassword())
        return;
    std::lock_guard guard(_lock);
    Entry& entry = _entries[space];
    entry.byUser.insert_or_assign(credential.user(), credential);
    entry.defaultUser = credential.user();
}

void URLCredentialStorage::removeCredential(const URLCredential& credential, const URLProtectionSpace& space)
{
    std::lock_guard guard(_lock);
    auto it = _entries.find(space);
    if (it == _entries.end())
        return;
    it->second.byUser.erase(credential.user());
    if (it->second.defaultUser == credential.user())
        it->second.defaultUser.reset();
    if (it->second.byUser.empty())
        _entries.erase(it);
}

void URLCredentialStorage::removeAllCredentials()
{
    std::lock_guard guard(_lock);
    _entries.clear();
}

}  // namespace plat
