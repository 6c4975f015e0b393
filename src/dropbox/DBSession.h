#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace plat {
class URL;
}

namespace zt {

// The link between this app and a Dropbox account. A link is asked for with
// a fresh nonce (sent as "state" with the connect request, to the Dropbox
// app or the web login page); the answer comes back as a URL of the app's
// own scheme, "db-<app key>", which handleOpenURL consumes: "1/connect"
// with the account's token, secret, user id and the nonce links the
// account, "1/cancel" gives up. Only an answer carrying the nonce of the
// request links, so another app cannot link the user to an account of its
// choosing. Credentials live in the keychain under the service
// "<bundle identifier>.dropbox.auth", one item per user id. Main thread.
class DBSession {
public:
    DBSession(std::string appKey, std::string appSecret);

    // The app's session, made on first use from the bundle's
    // "DropboxAppKey" and "DropboxAppSecret".
    static std::shared_ptr<DBSession> sharedSession();
    static void setSharedSession(std::shared_ptr<DBSession> session);

    const std::string& appKey() const { return _appKey; }
    const std::string& appSecret() const { return _appSecret; }
    // The URL scheme the link answer comes back on.
    std::string appScheme() const;

    // Forgets any earlier request and returns the nonce of a new one (kept
    // in the user defaults, so it survives the app being stopped meanwhile).
    std::string beginLinking();
    // True when the URL was the link answer (whether or not it linked).
    bool handleOpenURL(const plat::URL& url);
    bool isLinked() const;
    // The token and secret of a linked user.
    std::optional<std::pair<std::string, std::string>> credentialsForUserId(const std::string& userId) const;
    void unlinkAll();

    static std::string keychainServiceName();
    static constexpr const char* kLinkNonceDefaultsKey = "DBLinkNonce";

private:
    bool storeCredentials(const std::string& userId, const std::string& token, const std::string& secret);

    std::string _appKey;
    std::string _appSecret;
};

}  // namespace zt
