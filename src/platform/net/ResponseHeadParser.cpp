#include "platform/net/ResponseHeadParser.h"

namespace plat::detail {

void ResponseHeadParser::reset()
{
    *this = ResponseHeadParser();
}

ResponseHeadParser::State ResponseHeadParser::fail(std::string text)
{
    _errorText = std::move(text);
    _state = State::Error;
    return _state;
}

void ResponseHeadParser::addPendingField()
{
    if (_pendingValue)
        _headers.add(_lastName, std::move(*_pendingValue));
    _pendingValue.reset();
}

bool ResponseHeadParser::parseStatusLine(std::string_view line)
{
    // "HTTP/1.1 200 OK"; the reason may be missing.
    if (line.size() < 12 || line.substr(0, 5) != "HTTP/")
        return false;
    size_t space = line.find(' ');
    if (space == std::string_view::npos || space + 4 > line.size())
        return false;
    std::string_view code = line.substr(space + 1, 3);
    for (char c : code) {
        if (c < '0' || c > '9')
            return false;
    }
    if (space + 4 < line.size() && line[space + 4] != ' ')
        return false;
    _version = std::string(line.substr(0, space));
    _statusCode = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
    return _statusCode >= 100;
}

ResponseHeadParser::State ResponseHeadParser::addLine(std::string_view line)
{
    if (_state != State::NeedMore)
        return _state;
    _headBytes += line.size();
    if (_headBytes > kMaxHeadBytes)
        return fail("the response head is too large");
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);

    if (!_haveStatusLine) {
        if (!parseStatusLine(line))
            return fail("the status line cannot be read");
        _haveStatusLine = true;
        return _state;
    }
    if (line.empty()) {
        if (_statusCode < 200) {
            // An interim answer ("100 Continue"): the real head follows.
            size_t bytes = _headBytes;
            reset();
            _headBytes = bytes;
            return _state;
        }
        addPendingField();
        _state = State::Complete;
        return _state;
    }
    if (line.front() == ' ' || line.front() == '\t') {
        if (!_pendingValue)
            return fail("a folded line has no field");
        // Joined in place: a head of many folded lines costs no more than its bytes.
        *_pendingValue += ' ';
        *_pendingValue += trimmingOptionalWhitespace(line);
        return _state;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return fail("a header field cannot be read");
    std::string_view name = line.substr(0, colon);
    for (char c : name) {
        if (c <= ' ' || c == 0x7F)
            return fail("a header field name is malformed");
    }
    if (++_fieldCount > kMaxFields)
        return fail("the response has too many header fields");
    addPendingField();
    _lastName = std::string(name);
    _pendingValue = std::string(trimmingOptionalWhitespace(line.substr(colon + 1)));
    return _state;
}

}  // namespace plat::detail
