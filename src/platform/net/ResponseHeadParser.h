#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/net/HTTPHeaders.h"

namespace plat::detail {

// Reads the head of an HTTP/1.x response line by line, as the transport
// hands the lines over: the status line, header fields (folded lines joined),
// then the empty line. Interim 1xx heads are skipped. Bounded: a head larger
// than kMaxHeadBytes or with more than kMaxFields fields is an error.
class ResponseHeadParser {
public:
    static constexpr size_t kMaxHeadBytes = 256 * 1024;
    static constexpr size_t kMaxFields = 512;

    enum class State { NeedMore, Complete, Error };

    // One line with or without its line break.
    State addLine(std::string_view line);

    State state() const { return _state; }
    int64_t statusCode() const { return _statusCode; }
    const std::string& httpVersion() const { return _version; }
    const HTTPHeaders& headers() const { return _headers; }
    const std::string& errorText() const { return _errorText; }

    // Forgets everything, for the next response on the same transfer.
    void reset();

private:
    State fail(std::string text);
    bool parseStatusLine(std::string_view line);
    // Adds the last field read; folded lines may still extend it until then.
    void addPendingField();

    State _state = State::NeedMore;
    bool _haveStatusLine = false;
    int64_t _statusCode = 0;
    std::string _version;
    HTTPHeaders _headers;
    std::string _lastName;
    std::optional<std::string> _pendingValue;  // of _lastName, not yet in _headers
    size_t _headBytes = 0;
    size_t _fieldCount = 0;
    std::string _errorText;
};

}  // namespace plat::detail
