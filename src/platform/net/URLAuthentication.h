#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"

namespace plat {

class URLResponse;

inline constexpr const char* kURLAuthenticationMethodDefault = "NSURLAuthenticationMethodDefault";
inline constexpr const char* kURLAuthenticationMethodHTTPBasic = "NSURLAuthenticationMethodHTTPBasic";
inline constexpr const char* kURLAuthenticationMethodHTTPDigest = "NSURLAuthenticationMethodHTTPDigest";
inline constexpr const char* kURLAuthenticationMethodServerTrust = "NSURLAuthenticationMethodServerTrust";

enum class URLCredentialPersistence { None, ForSession, Permanent };

// An answer to an authentication challenge: a user name and password, or the
// acceptance of a server's certificate. Any thread (value type).
class URLCredential {
public:
    static URLCredential credentialWithUser(std::string user, std::string password,
        URLCredentialPersistence persistence = URLCredentialPersistence::ForSession);
    // Accepts the server's certificate although it could not be verified.
    static URLCredential credentialForTrust();

    const std::string& user() const { return _user; }
    const std::string& password() const { return _password; }
    bool hasPassword() const { return !_isTrust; }
    bool isTrust() const { return _isTrust; }
    URLCredentialPersistence persistence() const { return _persistence; }

    friend bool operator==(const URLCredential&, const URLCredential&) = default;

private:
    URLCredential() = default;
    std::string _user;
    std::string _password;
    bool _isTrust = false;
    URLCredentialPersistence _persistence = URLCredentialPersistence::ForSession;
};

// Where a credential applies: host, port, protocol, realm and method.
// Any thread (value type).
class URLProtectionSpace {
public:
    URLProtectionSpace(std::string host, int port, std::string protocol, std::string realm,
        std::string authenticationMethod, bool isProxy = false);

    const std::string& host() const { return _host; }
    int port() const { return _port; }
    const std::string& protocol() const { return _protocol; }  // "http" or "https"
    const std::string& realm() const { return _realm; }
    const std::string& authenticationMethod() const { return _method; }
    bool isProxy() const { return _isProxy; }
    // True when a password given here never crosses the wire in clear: over
    // https, or by digest.
    bool receivesCredentialSecurely() const;

    friend auto operator<=>(const URLProtectionSpace&, const URLProtectionSpace&) = default;

private:
    std::string _host;
    int _port;
    std::string _protocol;
    std::string _realm;
    std::string _method;
    bool _isProxy;
};

class URLAuthenticationChallenge;

// What the connection offers for an answer; main run loop.
class URLAuthenticationChallengeSender {
public:
    virtual ~URLAuthenticationChallengeSender() = default;
    virtual void useCredential(const URLCredential& credential, const URLAuthenticationChallenge& challenge) = 0;
    virtual void continueWithoutCredential(const URLAuthenticationChallenge& challenge) = 0;
    virtual void cancelAuthenticationChallenge(const URLAuthenticationChallenge& challenge) = 0;
    virtual void performDefaultHandling(const URLAuthenticationChallenge& challenge) = 0;
};

class URLAuthenticationChallenge {
public:
    URLAuthenticationChallenge(URLProtectionSpace space, std::optional<URLCredential> proposedCredential,
        int64_t previousFailureCount, std::shared_ptr<const URLResponse> failureResponse,
        std::weak_ptr<URLAuthenticationChallengeSender> sender);

    const URLProtectionSpace& protectionSpace() const { return _space; }
    const std::optional<URLCredential>& proposedCredential() const { return _proposed; }
    int64_t previousFailureCount() const { return _previousFailureCount; }
    const std::shared_ptr<const URLResponse>& failureResponse() const { return _failureResponse; }
    std::shared_ptr<URLAuthenticationChallengeSender> sender() const { return _sender.lock(); }

private:
    URLProtectionSpace _space;
    std::optional<URLCredential> _proposed;
    int64_t _previousFailureCount;
    std::shared_ptr<const URLResponse> _failureResponse;
    std::weak_ptr<URLAuthenticationChallengeSender> _sender;
};

// The URL loading system's store of credentials by protection space, which
// default handling of a challenge answers from. Memory only. Any thread.
class URLCredentialStorage {
public:
    static URLCredentialStorage& sharedCredentialStorage();

    std::map<std::string, URLCredential> credentialsForProtectionSpace(const URLProtectionSpace& space) const;
    std::optional<URLCredential> defaultCredentialForProtectionSpace(const URLProtectionSpace& space) const;
    // Credentials with persistence None are not kept.
    void setCredential(const URLCredential& credential, const URLProtectionSpace& space);
    void setDefaultCredential(const URLCredential& credential, const URLProtectionSpace& space);
    void removeCredential(const URLCredential& credential, const URLProtectionSpace& space);
    void removeAllCredentials();

private:
    struct Entry {
        std::map<std::string, URLCredential> byUser;
        std::optional<std::string> defaultUser;
    };
    mutable std::mutex _lock;
    std::map<URLProtectionSpace, Entry> _entries;  // guarded by _lock
};

}  // namespace plat
