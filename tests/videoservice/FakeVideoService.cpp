#include "FakeVideoService.h"

#include <algorithm>

#include "platform/foundation/Files.h"
#include "platform/foundation/URL.h"
#include "support/TemporarySandbox.h"

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;

namespace zt::test {

namespace {

constexpr int kVideoFeedLength = 5;
constexpr int kPageSize = 2;
constexpr const char* kAtomType = "application/atom+xml; charset=UTF-8; type=feed";
constexpr const char* kEntryType = "application/atom+xml; charset=UTF-8; type=entry";

std::string queryValue(const std::string& target, const std::string& name)
{
    auto question = target.find('?');
    if (question == std::string::npos)
        return {};
    for (const auto& [key, value] : formFields(target.substr(question + 1))) {
        if (key == name)
            return value;
    }
    return {};
}

std::string pathOf(const std::string& target)
{
    return target.substr(0, target.find('?'));
}

std::string between(const std::string& text, const std::string& open, const std::string& close)
{
    auto start = text.find(open);
    if (start == std::string::npos)
        return {};
    start += open.size();
    auto end = text.find(close, start);
    return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

std::string feedHead(const std::string& kindTerm)
{
    return "<?xml version='1.0' encoding='UTF-8'?>\n"
           "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:app='http://www.w3.org/2007/app' "
           "xmlns:media='http://search.yahoo.com/mrss/' xmlns:openSearch='http://a9.com/-/spec/opensearch/1.1/' "
           "xmlns:gd='http://schemas.google.com/g/2005' xmlns:yt='http://gdata.youtube.com/schemas/2007' "
           "gd:etag='W/\"CUMBRX47eCp7I2A9WhFXEE0.\"'>\n"
           "  <id>tag:youtube.com,2008:videos</id>\n"
           "  <updated>2015-06-01T11:58:12.000Z</updated>\n"
           "  <category scheme='http://schemas.google.com/g/2005#kind' term='http://gdata.youtube.com/schemas/2007#"
        + kindTerm + "'/>\n";
}

std::string entryBody(const std::string& videoID, const std::string& title)
{
    return "    <id>tag:youtube.com,2008:video:" + videoID + "</id>\n"
        + "    <published>2015-05-30T10:20:30.000Z</published>\n"
          "    <updated>2015-05-31T08:00:00.000Z</updated>\n"
          "    <category scheme='http://schemas.google.com/g/2005#kind' "
          "term='http://gdata.youtube.com/schemas/2007#video'/>\n"
          "    <category scheme='http://gdata.youtube.com/schemas/2007/categories.cat' term='Film' "
          "label='Film &amp; Animation'/>\n"
          "    <title>"
        + title + "</title>\n" + "    <link rel='alternate' type='text/html' href='https://www.youtube.com/watch?v="
        + videoID + "'/>\n" + "    <author><name>claymaker</name><yt:userId>UCclay</yt:userId></author>\n"
        + "    <media:group>\n" + "      <media:title type='plain'>" + title + "</media:title>\n"
        + "      <media:thumbnail url='https://i.ytimg.com/vi/" + videoID
        + "/default.jpg' height='90' width='120' yt:name='default'/>\n" + "      <yt:videoid>" + videoID
        + "</yt:videoid>\n" + "    </media:group>\n" + "    <yt:statistics favoriteCount='0' viewCount='42'/>\n";
}

}  // namespace

std::map<std::string, std::string> formFields(const std::string& body)
{
    std::map<std::string, std::string> fields;
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        std::string pair = body.substr(start, end - start);
        auto equals = pair.find('=');
        if (equals != std::string::npos) {
            std::string value = pair.substr(equals + 1);
            std::replace(value.begin(), value.end(), '+', ' ');
            fields[pair.substr(0, equals)] = plat::percentDecode(value).value_or(value);
        }
        start = end + 1;
    }
    return fields;
}

std::string videoFeedXML(int firstIndex, int count, const std::optional<std::string>& nextURL)
{
    std::string xml = feedHead("video") + "  <title>Stop motion videos</title>\n";
    if (nextURL)
        xml += "  <link rel='next' type='application/atom+xml' href='" + *nextURL + "'/>\n";
    xml += "  <openSearch:totalResults>" + std::to_string(kVideoFeedLength) + "</openSearch:totalResults>\n"
        + "  <openSearch:startIndex>" + std::to_string(firstIndex) + "</openSearch:startIndex>\n";
    for (int index = firstIndex; index < firstIndex + count; ++index) {
        xml += "  <entry gd:etag='W/\"Dk8" + std::to_string(index) + "\"'>\n"
            + entryBody("vid" + std::to_string(index), "Frame study " + std::to_string(index)) + "  </entry>\n";
    }
    return xml + "</feed>\n";
}

std::string videoEntryXML(const std::string& videoID, const std::string& title)
{
    return "<?xml version='1.0' encoding='UTF-8'?>\n"
           "<entry xmlns='http://www.w3.org/2005/Atom' xmlns:app='http://www.w3.org/2007/app' "
           "xmlns:media='http://search.yahoo.com/mrss/' xmlns:gd='http://schemas.google.com/g/2005' "
           "xmlns:yt='http://gdata.youtube.com/schemas/2007' gd:etag='W/\"A0cHQn47eCp7I2A9WhFXEE8.\"'>\n"
           "    <app:control><yt:state name='processing'/></app:control>\n"
        + entryBody(videoID, title) + "</entry>\n";
}

std::string serverErrorXML()
{
    return "<?xml version='1.0' encoding='UTF-8'?>\n"
           "<errors xmlns='http://schemas.google.com/g/2005'>\n"
           "  <error><domain>yt:validation</domain><code>too_long</code>"
           "<location type='xpath'>media:group/media:title/text()</location>"
           "<internalReason>Title is too long</internalReason></error>\n"
           "  <error><domain>yt:quota</domain><code>too_many_recent_calls</code></error>\n"
           "</errors>\n";
}

FakeVideoService::FakeVideoService()
    : server([this](const HTTPTestRequest& request) { return answer(request); })
{
}

std::string FakeVideoService::signInDomain() const
{
    return "localhost:" + std::to_string(server.port());
}

std::vector<HTTPTestRequest> FakeVideoService::requestsTo(const std::string& pathPrefix) const
{
    std::vector<HTTPTestRequest> matching;
    for (const auto& request : server.requests()) {
        if (request.target.rfind(pathPrefix, 0) == 0)
            matching.push_back(request);
    }
    return matching;
}

void FakeVideoService::setSignInReply(SignInReply reply)
{
    std::lock_guard guard(_lock);
    _signInReply = reply;
}

void FakeVideoService::setCaptchaURL(const std::string& captchaURL)
{
    std::lock_guard guard(_lock);
    _captchaURL = captchaURL;
}

void FakeVideoService::expireToken(const std::string& token)
{
    std::lock_guard guard(_lock);
    _expiredTokens.push_back(token);
}

void FakeVideoService::setNextLinksLeaveHost(bool leave)
{
    std::lock_guard guard(_lock);
    _nextLinksLeaveHost = leave;
}

void FakeVideoService::dropUploadChunk(size_t chunk)
{
    std::lock_guard guard(_lock);
    _dropChunk = chunk;
}

void FakeVideoService::stallUploadChunk(size_t chunk)
{
    std::lock_guard guard(_lock);
    _stallChunk = chunk;
}

void FakeVideoService::failFlakyFeed(int times)
{
    std::lock_guard guard(_lock);
    _flakyFailures = times;
}

std::string FakeVideoService::multipartUpload() const
{
    std::lock_guard guard(_lock);
    return _multipart;
}

std::string FakeVideoService::storedUpload() const
{
    std::lock_guard guard(_lock);
    return _stored;
}

std::string FakeVideoService::postedEntryXML() const
{
    std::lock_guard guard(_lock);
    return _postedEntry;
}

std::vector<std::string> FakeVideoService::uploadRanges() const
{
    std::lock_guard guard(_lock);
    return _ranges;
}

std::string FakeVideoService::issuedToken() const
{
    std::lock_guard guard(_lock);
    return "TOKEN-" + std::to_string(_tokensIssued);
}

HTTPTestReply FakeVideoService::answer(const HTTPTestRequest& request)
{
    const std::string path = pathOf(request.target);
    if (request.method == "POST" && path == "/accounts/ClientLogin")
        return signIn(request);
    if (path == "/feeds/api/videos" || path.rfind("/feeds/api/videos/-/", 0) == 0 || path == "/feeds/api/endless")
        return videoFeedPage(request);
    if (request.method == "GET" && path == "/feeds/api/users/default/uploads")
        return uploadsFeed(request);
    if (request.method == "POST" && path == "/feeds/api/users/default/uploads") {
        if (auto refusal = refuseUnsigned(request))
            return *refusal;
        std::lock_guard guard(_lock);
        _multipart = request.body;
        return HTTPTestReply::withBody(201, videoEntryXML("NEWVID02", "One piece"), kEntryType);
    }
    if (path == "/feeds/api/users/default/uploads/vid1" && (request.method == "PUT" || request.method == "DELETE")) {
        if (auto refusal = refuseUnsigned(request))
            return *refusal;
        if (request.method == "DELETE")
            return HTTPTestReply::withBody(200, "", "text/plain");
        const std::string title = between(request.body, "<title>", "</title>");
        return HTTPTestReply::withBody(200, videoEntryXML("vid1", title), kEntryType);
    }
    if (request.method == "POST" && path == "/feeds/api/batch") {
        auto reply = plat::readFile(plat::test::sourcePath("tests/data/videoservice/batch-reply.xml"));
        std::string body = reply.ok() ? std::string(reply.value().begin(), reply.value().end()) : std::string();
        return HTTPTestReply::withBody(200, body, kAtomType);
    }
    if (path == "/feeds/api/flaky") {
        std::lock_guard guard(_lock);
        if (_flakyFailures > 0) {
            --_flakyFailures;
            return HTTPTestReply::withBody(503, "Try again later", "text/plain");
        }
        return HTTPTestReply::withBody(200, videoFeedXML(1, 1, std::nullopt), kAtomType);
    }
    if (request.method == "POST" && path == "/resumable/feeds/api/users/default/uploads")
        return startUpload(request);
    if (request.method == "PUT" && path == "/upload/session")
        return uploadChunk(request);
    if (path == "/feeds/api/videos/vid1")
        return HTTPTestReply::withBody(200, videoEntryXML("vid1", "Frame study 1"), kEntryType);
    if (path == "/feeds/api/error")
        return HTTPTestReply::withBody(400, serverErrorXML(), "application/vnd.google.gdata.error+xml");
    if (path == "/feeds/api/malformed")
        return HTTPTestReply::withBody(200, feedHead("video") + "  <entry><title>Cut short", kAtomType);
    if (path == "/feeds/api/html")
        return HTTPTestReply::withBody(200, "<html><body><p>Please sign in</p></body></html>", "text/html");
    if (path == "/feeds/api/json")
        return HTTPTestReply::withBody(200, "{\"feed\": {\"entry\": []}}", "application/json");
    if (path == "/feeds/api/wrongroot")
        return HTTPTestReply::withBody(200, serverErrorXML(), kAtomType);
    if (path == "/feeds/api/empty")
        return HTTPTestReply::withBody(200, "", kAtomType);
    if (path == "/feeds/api/oversized") {
        // Declares one byte more than the 7 MiB a reply may have, sends a little, and closes.
        std::string start = feedHead("video");
        auto reply = HTTPTestReply::withBody(200, start, kAtomType);
        reply.delivery = HTTPTestReply::Delivery::Truncated;
        reply.truncatedExtra = 7340033 - start.size();
        return reply;
    }
    if (path == "/feeds/api/teapot")
        return HTTPTestReply::withBody(418, "short and stout", "text/plain");
    if (path == "/feeds/api/stall") {
        HTTPTestReply reply;
        reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    }
    return HTTPTestReply::withBody(404, "Not Found", "text/plain");
}

HTTPTestReply FakeVideoService::signIn(const HTTPTestRequest& request)
{
    auto fields = formFields(request.body);
    std::lock_guard guard(_lock);
    const bool knowsUser = fields["Email"] == kUsername && fields["Passwd"] == kPassword;
    auto issue = [&] {
        ++_tokensIssued;
        return HTTPTestReply::withBody(
            200, "SID=DQAAAGgA7Zg\nLSID=DQAAAGsAAv3\nAuth=TOKEN-" + std::to_string(_tokensIssued) + "\n", "text/plain");
    };
    switch (_signInReply) {
    case SignInReply::Token:
        if (!knowsUser)
            return HTTPTestReply::withBody(403, "Error=BadAuthentication\n", "text/plain");
        return issue();
    case SignInReply::Captcha:
        if (knowsUser && fields["logintoken"] == kCaptchaToken && fields["logincaptcha"] == kCaptchaAnswer)
            return issue();
        return HTTPTestReply::withBody(403,
            "Url=https://www.google.com/login/captcha\nError=CaptchaRequired\nCaptchaToken="
                + std::string(kCaptchaToken) + "\nCaptchaUrl=" + _captchaURL + "\n",
            "text/plain");
    case SignInReply::NoToken:
        return HTTPTestReply::withBody(200, "SID=DQAAAGgA7Zg\nLSID=DQAAAGsAAv3\n", "text/plain");
    case SignInReply::BadAuthentication:
        return HTTPTestReply::withBody(403, "Error=BadAuthentication\nInfo=InvalidSecondFactor\n", "text/plain");
    case SignInReply::Stall:
    case SignInReply::Drop: {
        HTTPTestReply reply;
        reply.delivery = _signInReply == SignInReply::Stall ? HTTPTestReply::Delivery::StallBeforeHead
                                                            : HTTPTestReply::Delivery::CloseWithoutReply;
        return reply;
    }
    }
    return HTTPTestReply::withBody(500, "", "text/plain");
}

std::optional<HTTPTestReply> FakeVideoService::refuseUnsigned(const HTTPTestRequest& request)
{
    const std::string authorization = request.header("Authorization").value_or("");
    const std::string prefix = "GoogleLogin auth=";
    std::lock_guard guard(_lock);
    if (authorization.rfind(prefix, 0) == 0) {
        const std::string token = authorization.substr(prefix.size());
        const bool issued = token.rfind("TOKEN-", 0) == 0 && std::stoi(token.substr(6)) <= _tokensIssued
            && std::stoi(token.substr(6)) > 0;
        const bool expired = std::find(_expiredTokens.begin(), _expiredTokens.end(), token) != _expiredTokens.end();
        if (issued && !expired)
            return std::nullopt;
    }
    return HTTPTestReply::withBody(401, "<HTML><BODY>Token invalid</BODY></HTML>", "text/html")
        .header("WWW-Authenticate", "GoogleLogin realm=\"https://www.google.com/accounts/ClientLogin\"");
}

HTTPTestReply FakeVideoService::videoFeedPage(const HTTPTestRequest& request)
{
    const bool endless = pathOf(request.target) == "/feeds/api/endless";
    const std::string startText = queryValue(request.target, "start-index");
    const int start = startText.empty() ? 1 : std::max(1, std::atoi(startText.c_str()));
    const int count = endless ? 1 : std::min(kPageSize, kVideoFeedLength - start + 1);
    std::optional<std::string> next;
    bool leaveHost = false;
    {
        std::lock_guard guard(_lock);
        leaveHost = _nextLinksLeaveHost;
    }
    if (endless || start + count <= kVideoFeedLength) {
        const std::string path = std::string(endless ? "/feeds/api/endless" : "/feeds/api/videos")
            + "?start-index=" + std::to_string(start + count) + "&amp;max-results=2";
        next = leaveHost ? foreignURL(path) : url(path);
    }
    return HTTPTestReply::withBody(200, videoFeedXML(start, std::max(count, 0), next), kAtomType);
}

HTTPTestReply FakeVideoService::uploadsFeed(const HTTPTestRequest& request)
{
    if (auto refusal = refuseUnsigned(request))
        return *refusal;
    return HTTPTestReply::withBody(200, videoFeedXML(1, 1, std::nullopt), kAtomType);
}

HTTPTestReply FakeVideoService::startUpload(const HTTPTestRequest& request)
{
    if (auto refusal = refuseUnsigned(request))
        return *refusal;
    std::lock_guard guard(_lock);
    _announcedLength = std::stoull(request.header("X-Upload-Content-Length").value_or("0"));
    _uploadType = request.header("X-Upload-Content-Type").value_or("");
    _postedEntry = request.body;
    _stored.clear();
    return HTTPTestReply::withBody(200, "", "text/plain").header("Location", url("/upload/session"));
}

HTTPTestReply FakeVideoService::rangeReply() const
{
    HTTPTestReply reply = HTTPTestReply::withBody(308, "", "text/plain");
    reply.reason = "Resume Incomplete";
    if (!_stored.empty())
        reply.header("Range", "bytes=0-" + std::to_string(_stored.size() - 1));
    return reply;
}

HTTPTestReply FakeVideoService::uploadChunk(const HTTPTestRequest& request)
{
    std::lock_guard guard(_lock);
    const std::string range = request.header("Content-Range").value_or("");
    _ranges.push_back(range);
    if (range.find('*') == std::string::npos) {
        ++_chunksSeen;
        if (_stallChunk && _chunksSeen == *_stallChunk) {
            HTTPTestReply reply;
            reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
            return reply;
        }
        // A chunk must continue exactly where the stored bytes end.
        const std::string first = between(range, "bytes ", "-");
        if (first.empty() || std::stoull(first) != _stored.size())
            return rangeReply();
        if (_dropChunk && _chunksSeen == *_dropChunk) {
            _stored += request.body.substr(0, request.body.size() / 2);
            HTTPTestReply reply;
            reply.delivery = HTTPTestReply::Delivery::CloseWithoutReply;
            return reply;
        }
        _stored += request.body;
    }
    if (_announcedLength > 0 && _stored.size() == _announcedLength) {
        const std::string title = between(_postedEntry, "<media:title", "</media:title>");
        const std::string text = title.substr(title.find('>') + 1);
        return HTTPTestReply::withBody(201, videoEntryXML("NEWVID01", text), kEntryType);
    }
    return rangeReply();
}

}  // namespace zt::test
