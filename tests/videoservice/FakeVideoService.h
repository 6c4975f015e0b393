#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "support/HTTPTestServer.h"

namespace zt::test {

// A stand-in of the video service on 127.0.0.1 that speaks its protocol:
// ClientLogin sign-in ("Auth" token, CAPTCHA and error replies), signed feed
// requests ("Authorization", "X-GData-Key", "GData-Version"), Atom feeds in
// pages joined by "next" links, error documents, and the resumable upload
// (a POST of the entry, then PUT chunks answered with 308 until the video
// entry comes back). Scripted faults are set before a test acts; every
// field is guarded by the lock because replies come from server threads.
class FakeVideoService {
public:
    enum class SignInReply {
        Token,  // a token for the right user name and password
        Captcha,  // a CAPTCHA challenge until it is answered
        NoToken,  // status 200 without "Auth"
        BadAuthentication,  // 403 with "Error" and "Info"
        Stall,  // no answer until the server is released
        Drop,  // the connection closes without a reply
    };

    static constexpr const char* kUsername = "maker@example.com";
    static constexpr const char* kPassword = "p&ss=w+rd/1-._~";
    static constexpr const char* kCaptchaToken = "CT-77";
    static constexpr const char* kCaptchaAnswer = "frogs";
    static constexpr const char* kDeveloperKey = "AI39si-developer_key";

    FakeVideoService();

    // Addresses on this server ("http://127.0.0.1:<port>/...").
    std::string url(const std::string& path) const { return server.url(path); }
    // The same server under another host name, for links that leave the service's host.
    std::string foreignURL(const std::string& path) const { return server.localhostURL(path); }
    // "localhost:<port>": the sign-in domain that reaches this server.
    std::string signInDomain() const;

    std::vector<plat::test::HTTPTestRequest> requests() const { return server.requests(); }
    std::vector<plat::test::HTTPTestRequest> requestsTo(const std::string& pathPrefix) const;
    size_t signInCount() const { return requestsTo("/accounts/ClientLogin").size(); }

    // --- scripts (set before the test acts) ---
    void setSignInReply(SignInReply reply);
    void setCaptchaURL(const std::string& captchaURL);
    // Tokens the service refuses with 401 from now on, as after an expiry.
    void expireToken(const std::string& token);
    // The next-link host of the video feed's pages: this server or a foreign one.
    void setNextLinksLeaveHost(bool leave);
    // The chunk of this number (1 = the first PUT) loses its connection after half its bytes arrived.
    void dropUploadChunk(size_t chunk);
    // The chunk of this number is never answered.
    void stallUploadChunk(size_t chunk);
    // Requests to "/feeds/api/flaky" fail with 503 this many times before the feed comes.
    void failFlakyFeed(int times);
    std::string storedUpload() const;
    // The body of the last upload that came as one multipart document.
    std::string multipartUpload() const;
    std::string postedEntryXML() const;
    std::vector<std::string> uploadRanges() const;
    std::string issuedToken() const;

    plat::test::HTTPTestServer server;

private:
    plat::test::HTTPTestReply answer(const plat::test::HTTPTestRequest& request);
    plat::test::HTTPTestReply signIn(const plat::test::HTTPTestRequest& request);
    plat::test::HTTPTestReply videoFeedPage(const plat::test::HTTPTestRequest& request);
    plat::test::HTTPTestReply uploadsFeed(const plat::test::HTTPTestRequest& request);
    plat::test::HTTPTestReply startUpload(const plat::test::HTTPTestRequest& request);
    plat::test::HTTPTestReply uploadChunk(const plat::test::HTTPTestRequest& request);
    // nullopt when the request carries a token the service accepts; else the 401 reply.
    std::optional<plat::test::HTTPTestReply> refuseUnsigned(const plat::test::HTTPTestRequest& request);
    plat::test::HTTPTestReply rangeReply() const;

    mutable std::mutex _lock;
    SignInReply _signInReply = SignInReply::Token;  // guarded by _lock
    std::string _captchaURL = "Captcha?ctoken=CT-77";  // guarded by _lock
    int _tokensIssued = 0;  // guarded by _lock
    std::vector<std::string> _expiredTokens;  // guarded by _lock
    bool _nextLinksLeaveHost = false;  // guarded by _lock
    std::optional<size_t> _dropChunk;  // guarded by _lock
    std::optional<size_t> _stallChunk;  // guarded by _lock
    size_t _chunksSeen = 0;  // guarded by _lock
    uint64_t _announcedLength = 0;  // guarded by _lock
    std::string _uploadType;  // guarded by _lock
    std::string _postedEntry;  // guarded by _lock
    std::string _stored;  // guarded by _lock
    std::vector<std::string> _ranges;  // guarded by _lock
    int _flakyFailures = 0;  // guarded by _lock
    std::string _multipart;  // guarded by _lock
};

// "key=value&..." form fields, percent-decoded.
std::map<std::string, std::string> formFields(const std::string& body);

// Atom documents the fake service sends; also used by tests that need a reply by hand.
std::string videoFeedXML(int firstIndex, int count, const std::optional<std::string>& nextURL);
std::string videoEntryXML(const std::string& videoID, const std::string& title);
std::string serverErrorXML();

}  // namespace zt::test
