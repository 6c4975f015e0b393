#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/net/HTTPHeaders.h"

namespace plat {

// The head of an HTTP response: the URL it answers, the status and the header
// fields, with the MIME type, text encoding and expected length read from
// them. Any thread (immutable).
class URLResponse {
public:
    static constexpr int64_t kUnknownLength = -1;

    URLResponse(URL url, int64_t statusCode, HTTPHeaders headerFields, std::string httpVersion = "HTTP/1.1");

    const URL& url() const { return _url; }
    int64_t statusCode() const { return _statusCode; }
    const HTTPHeaders& allHeaderFields() const { return _headers; }
    // The media type of "Content-Type" in lower case, without parameters; empty when absent.
    const std::string& MIMEType() const { return _mimeType; }
    // The "charset" parameter; empty when absent.
    const std::string& textEncodingName() const { return _textEncoding; }
    // "Content-Length", or kUnknownLength when absent, malformed or encoded.
    int64_t expectedContentLength() const { return _expectedLength; }
    // The last path component of the URL, or "Untitled".
    std::string suggestedFilename() const;
    const std::string& httpVersion() const { return _httpVersion; }

    // The platform's text for a status ("not found" for 404).
    static std::string localizedStringForStatusCode(int64_t statusCode);

private:
    URL _url;
    int64_t _statusCode;
    HTTPHeaders _headers;
    std::string _httpVersion;
    std::string _mimeType;
    std::string _textEncoding;
    int64_t _expectedLength = kUnknownLength;
};

// Reads a decimal number of at most 18 digits with nothing else around it
// (blanks at both ends allowed); empty otherwise. For lengths and offsets in
// header fields, where a server may send anything.
std::optional<int64_t> parseHeaderInteger(std::string_view text);

}  // namespace plat
